#!/usr/bin/env bash
# `cmake --install` into a fresh prefix with a space in it: the menu entry, the icons, the AppStream
# metadata and the manual are there and valid, and the installed program, whose folder its user cannot
# write, keeps the data in that user's own data folder.
set -euo pipefail
build="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
fail() { echo "FAIL: $*"; exit 1; }
prefix="$dir/pre fix"
cmake --install "$build" --prefix "$prefix" >/dev/null

entry="$prefix/share/applications/org.example.Zelmoran.desktop"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qxF "Exec=\"$prefix/bin/zelmoran\"" "$entry" || fail "Exec: $(grep ^Exec "$entry")"
grep -qxF "Categories=Office;ContactManagement;Calendar;" "$entry" || fail "categories"
grep -qxF "GenericName[hu]=Címjegyzék és emlékeztető" "$entry" || fail "no Hungarian name"
grep -qxF "Icon=org.example.Zelmoran" "$entry" || fail "icon name"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.Zelmoran.metainfo.xml" >/dev/null ||
    fail "the AppStream metadata does not validate"
for size in 16 22 24 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/org.example.Zelmoran.png" ] || fail "no ${size}px icon"
done
# One file, which loads the sound's libraries only when a sound is first wanted, not at every start.
[ "$(ls "$prefix/bin")" = "zelmoran" ] || fail "the program is more than one file: $(ls "$prefix/bin")"
! readelf -d "$prefix/bin/zelmoran" | grep -q 'libQt6Multimedia' || fail "the program links Qt Multimedia"
# The manual the help tab opens, where the program looks for it beside its own folder, with its pictures.
src=$(cd "$(dirname "$0")/../.." && pwd)
doc="$prefix/share/doc/Zelmoran"
cmp -s "$src/README.md" "$doc/README.md" || fail "the manual is not installed as $doc/README.md"
for picture in $(grep -o 'docs/screenshots/[A-Za-z0-9_.-]*\.png' "$src/README.md" | sort -u); do
    cmp -s "$src/$picture" "$doc/$picture" || fail "the manual's picture $picture is missing"
done

# A user who may not write the program's folder: root runs it as nobody, anyone else closes the folder.
home="$dir/home"
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kis Imre\r\nEND:VCARD\r\n' >"$dir/one.vcf"
chmod 644 "$dir/one.vcf"
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$home"
    as=(runuser -u nobody --)
else
    chmod 555 "$prefix/bin"
    as=()
fi
out=$("${as[@]}" env HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
    QT_QPA_PLATFORM=offscreen "$prefix/bin/zelmoran" --import "$dir/one.vcf")
chmod 755 "$prefix/bin"
[ "$out" = "1 új partner felvéve, 0 kihagyva (már partner), 0 kihagyva (üres vagy kettőspontos név)" ] ||
    fail "import said: $out"
[ -s "$home/data/Zelmoran/Data/partnerek.dat" ] || fail "no partner file in the user's data folder"
[ ! -e "$prefix/bin/Data" ] || fail "data written beside the installed program"
echo ok
