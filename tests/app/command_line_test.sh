#!/usr/bin/env bash
# The command line on a copy of the program in a folder of its own: import, export (read back by
# Python's csv module as a spreadsheet would), the vCard round trip, the refusals (another build on
# the same data among them), a folder with data that takes no file, and --help.
set -euo pipefail
exe="$1"
dir=$(mktemp -d)
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null || true; rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" LC_ALL=C.UTF-8
export XDG_DATA_HOME="$dir/share"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
mkdir "$dir/a" "$dir/b"
cp "$exe" "$dir/a/zelmoran"
cp "$exe" "$dir/b/zelmoran"
fail() { echo "FAIL: $*"; exit 1; }
z() { "$dir/a/zelmoran" "$@"; }

# Two cards of a phone's export, one of them a partner already once the first import ran.
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Őry Ügyes Árpád\r\nN:Őry;Ügyes Árpád;;;\r\nEMAIL;TYPE=INTERNET:ory@pelda.hu\r\nTEL;TYPE=CELL:+36 30 123 4567\r\nADR;TYPE=HOME:;;Fő utca 1\\, II. em.;Budapest;;1011;\r\nNOTE:Első sor\\nMásodik sor\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kis Imre\r\nEMAIL:kis.imre@pelda.hu\r\nEND:VCARD\r\n' >"$dir/phone.vcf"
printf 'Name;E-mail\r\nKIS IMRE;masik@pelda.hu\r\n;nobody@pelda.hu\r\nBakó; Ede;bako@pelda.hu\r\n' >"$dir/list.csv"

out=$(z --import "$dir/phone.vcf")
[ "$out" = "2 new, 0 skipped (already partners), 0 skipped (no name)" ] || fail "first import said: $out"
out=$(z --import "$dir/phone.vcf" "$dir/list.csv" --separator ';')
[ "$out" = "1 new, 3 skipped (already partners), 1 skipped (no name)" ] || fail "second import said: $out"

out=$(z --export "$dir/partners.csv" --separator ';')
[ "$out" = "4 partners written to $dir/partners.csv" ] || fail "export said: $out"
python3 - "$dir/partners.csv" <<'PY' || fail "the exported CSV does not read back"
import csv, sys
raw = open(sys.argv[1], 'rb').read()
assert raw.startswith(b'\xef\xbb\xbf'), 'no BOM'
assert raw.endswith(b'\r\n'), 'no CR LF at the end'
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline=''), delimiter=';'))
assert rows[0] == ['Név', 'E-mail', 'Telefon', 'Mobil', 'Honlap', 'Cím', 'Megjegyzés'], rows[0]
names = [r[0] for r in rows[1:]]
assert names == ['Bakó', 'Kis Imre', 'Zelmoran', 'Őry Ügyes Árpád'], names
ory = rows[4]
assert ory == ['Őry Ügyes Árpád', 'ory@pelda.hu', '', '+36 30 123 4567', '',
               '1011 Budapest, Fő utca 1, II. em.', 'Első sor\r\nMásodik sor'], ory
assert rows[1][1] == ' Ede', rows[1]
assert all(len(r) == 7 for r in rows), [len(r) for r in rows]
PY

# vCard out, vCard in on a fresh copy, CSV out again: the same partners.
z --export "$dir/partners.vcf" >/dev/null
"$dir/b/zelmoran" --import "$dir/partners.vcf" >/dev/null
"$dir/b/zelmoran" --export "$dir/again.csv" >/dev/null
cmp "$dir/partners.csv" "$dir/again.csv" || fail "the vCard round trip changed the partners"

# Refusals: nothing is written, the status says why.
sum=$(md5sum <"$dir/a/Data/partnerek.dat")
status=0; err=$(z --import "$dir/missing.vcf" "$dir/phone.vcf" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"missing.vcf"* ]] || fail "missing file: $status $err"
printf 'whatever' >"$dir/notes.txt"
status=0; err=$(z --import "$dir/notes.txt" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"ismeretlen formátum"* ]] || fail "unknown format: $status $err"
mkdir "$dir/folder.vcf"
status=0; err=$(z --import "$dir/folder.vcf" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"nem közönséges állomány"* ]] || fail "a folder: $status $err"
status=0; z --import >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "no file: $status"

# A folder that holds data but takes no file is reported with the reason, and nothing goes to the
# user's own data folder in its place: a full disk (a file size cap of 0), and a folder its user may
# not write (root runs the program as nobody, anyone else closes the folder).
reason_full="A hiba oka: a rendszer korlátozza az írható állományok méretét, így a program nem tud írni."
status=0; err=$( (trap '' XFSZ; ulimit -f 0; exec "$dir/a/zelmoran" --import "$dir/list.csv") 2>&1 >/dev/null) ||
    status=$?
[ "$status" -eq 1 ] && [[ "$err" == *"$reason_full"* ]] && [[ "$err" == *"munkakönyvtáron: ($dir/a/)"* ]] ||
    fail "a full disk: $status $err"
reason_denied="A hiba oka: a jelenlegi felhasználónak nincs írási jogosultsága a mappára."
chmod 755 "$dir"
mkdir -m 777 "$dir/out"
mkdir -m 700 "$dir/nobody-runtime"
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$dir/nobody-runtime"
    as=(runuser -u nobody --)
else
    chmod 555 "$dir/a"
    as=()
fi
for request in "--import $dir/list.csv" "--export $dir/out/partners.csv"; do
    status=0
    # shellcheck disable=SC2086
    err=$("${as[@]}" env XDG_RUNTIME_DIR="$dir/nobody-runtime" XDG_DATA_HOME="$dir/share" \
        "$dir/a/zelmoran" $request 2>&1 >/dev/null) || status=$?
    [ "$status" -eq 1 ] && [[ "$err" == *"$reason_denied"* ]] || fail "a folder not to write, $request: $status $err"
done
chmod 755 "$dir/a"
[ ! -e "$dir/out/partners.csv" ] || fail "an empty book was exported"
[ ! -e "$dir/share" ] || fail "something was made in the user's own data folder: $(find "$dir/share")"
[ "$(md5sum <"$dir/a/Data/partnerek.dat")" = "$sum" ] || fail "a refused import wrote"
# A folder where the test file would go leaves the folder writable: the data stays where it is.
mkdir "$dir/a/teszt.tmp"
z --export "$dir/out/partners.csv" >/dev/null || fail "with a folder at teszt.tmp the export failed"
cmp -s "$dir/partners.csv" "$dir/out/partners.csv" || fail "with a folder at teszt.tmp another book was exported"
[ -d "$dir/a/teszt.tmp" ] && [ ! -e "$dir/share" ] || fail "teszt.tmp or the user's own data folder changed"
rmdir "$dir/a/teszt.tmp"
# Nor does a link planted there, which leads nowhere: its target keeps its bytes, the link stays.
printf 'keep' >"$dir/victim"
ln -s "$dir/victim" "$dir/a/teszt.tmp"
z --export "$dir/out/partners.csv" >/dev/null || fail "with a link at teszt.tmp the export failed"
[ "$(cat "$dir/victim")" = keep ] && [ -L "$dir/a/teszt.tmp" ] || fail "the link at teszt.tmp was followed or removed"
[ "$(ls -A "$dir/a")" = "$(printf 'Data\nteszt.tmp\nzelmoran')" ] || fail "the write test left: $(ls -A "$dir/a")"
rm "$dir/a/teszt.tmp"

# While the program runs on the data, neither its build nor another (a byte more) writes or reads it.
cp "$exe" "$dir/a/zelmoran-uj"
printf 'x' >>"$dir/a/zelmoran-uj"
"$dir/a/zelmoran" & pids+=($!)
for _ in $(seq 1 100); do ls "$XDG_RUNTIME_DIR"/zelmoran-*.lock >/dev/null 2>&1 && break; sleep 0.1; done
for _ in $(seq 1 100); do [ -e "$dir/a/Data/.zelmoran.lock" ] && break; sleep 0.1; done
sleep 0.5
status=0; err=$(z --import "$dir/list.csv" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 3 ] && [[ "$err" == *"a program fut"* ]] || fail "running copy: $status $err"
for request in "--import $dir/list.csv" "--export $dir/out/other.csv"; do
    status=0
    # shellcheck disable=SC2086
    err=$("$dir/a/zelmoran-uj" $request 2>&1 >/dev/null) || status=$?
    [ "$status" -eq 3 ] && [ "$err" = "zelmoran: Az adatállományokat egy másik futó Zelmoran használja." ] ||
        fail "another build beside the running copy, $request: $status $err"
done
[ ! -e "$dir/out/other.csv" ] || fail "another build exported beside the running copy"
[ "$(md5sum <"$dir/a/Data/partnerek.dat")" = "$sum" ] || fail "a refused import wrote"

z --help | grep -q "^Használat:" || fail "no Hungarian help"
echo ok
