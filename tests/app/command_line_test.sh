#!/usr/bin/env bash
# The command line on a copy of the program in a folder of its own: import, export (read back by
# Python's csv module as a spreadsheet would), the vCard round trip, separators, file names that are
# no UTF-8, the refusals (another build on the same data among them), a folder with data that takes
# no file, and --help.
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
# Without a display a window would abort: what must not start one is run this way.
nowindow() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$dir/a/zelmoran" "$@"; }

# Two cards of a phone's export, one of them a partner already once the first import ran.
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Őry Ügyes Árpád\r\nN:Őry;Ügyes Árpád;;;\r\nEMAIL;TYPE=INTERNET:ory@pelda.hu\r\nTEL;TYPE=CELL:+36 30 123 4567\r\nADR;TYPE=HOME:;;Fő utca 1\\, II. em.;Budapest;;1011;\r\nNOTE:Első sor\\nMásodik sor\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kis Imre\r\nEMAIL:kis.imre@pelda.hu\r\nEND:VCARD\r\n' >"$dir/phone.vcf"
printf 'Name;E-mail\r\nKIS IMRE;masik@pelda.hu\r\n;nobody@pelda.hu\r\nBakó; Ede;bako@pelda.hu\r\n' >"$dir/list.csv"

out=$(z --import "$dir/phone.vcf")
[ "$out" = "2 új partner felvéve, 0 kihagyva (már partner), 0 kihagyva (üres vagy kettőspontos név)" ] ||
    fail "first import said: $out"
out=$(z --import "$dir/phone.vcf" "$dir/list.csv" --separator ';')
[ "$out" = "1 új partner felvéve, 3 kihagyva (már partner), 1 kihagyva (üres vagy kettőspontos név)" ] ||
    fail "second import said: $out"

out=$(z --export "$dir/partners.csv" --separator ';')
[ "$out" = "4 partner kiírva: $dir/partners.csv" ] || fail "export said: $out"
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

# Without --separator each CSV file is read with its own, told by its header line; names go to the
# system as the bytes given, though they are no UTF-8.
printf 'Név,E-mail\r\nVesszős Vera,vera@pelda.hu\r\n' >"$dir/comma.csv"
latin=$'pont\xe9' # "pont" and a Latin-1 é
printf 'Név;E-mail\r\nPontos Pál;pal@pelda.hu\r\n' >"$dir/$latin.csv"
out=$(z --import "$dir/comma.csv" "$dir/$latin.csv")
[ "$out" = "2 új partner felvéve, 0 kihagyva (már partner), 0 kihagyva (üres vagy kettőspontos név)" ] ||
    fail "the import of two separators said: $out"
out=$(z --export "$dir/$latin-ki.csv")
[ "$out" = "6 partner kiírva: $dir/$latin-ki.csv" ] || fail "the export under a Latin-1 name said: $out"
python3 - "$dir" <<'PY' || fail "the export is not under the name given, or lacks the new partners"
import csv, io, os, sys
folder = os.fsencode(sys.argv[1])
names = os.listdir(folder)
assert b'pont\xe9-ki.csv' in names and not any(b'\xef\xbf\xbd' in n for n in names), names
text = open(os.path.join(folder, b'pont\xe9-ki.csv'), encoding='utf-8-sig').read()
rows = list(csv.reader(io.StringIO(text, newline=''), delimiter=';'))
assert ['Vesszős Vera', 'vera@pelda.hu'] in [r[:2] for r in rows], rows
assert ['Pontos Pál', 'pal@pelda.hu'] in [r[:2] for r in rows], rows
PY

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
# Unknown options fail with the usage and never make a window.
status=0; err=$(nowindow --frobnicate 2>&1 >/dev/null) || status=$?
[ "$status" -eq 2 ] && [[ "$err" == "zelmoran: ismeretlen kapcsoló: --frobnicate"$'\n\n'"Használat:"* ]] ||
    fail "an unknown option: $status $err"
status=0; err=$(nowindow -x --import "$dir/list.csv" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 2 ] && [[ "$err" == "zelmoran: ismeretlen kapcsoló: -x"$'\n'* ]] || fail "-x: $status $err"
# After "--" a name that begins with a dash is a file.
cp "$dir/list.csv" "$dir/-x.csv"
out=$(cd "$dir" && nowindow --import -- -x.csv)
[ "$out" = "0 új partner felvéve, 2 kihagyva (már partner), 1 kihagyva (üres vagy kettőspontos név)" ] ||
    fail "a name after --: $out"
# A separator given holds for every CSV file; a header it does not split refuses the whole import.
status=0; err=$(z --import "$dir/list.csv" "$dir/comma.csv" --separator ';' 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && [ "$err" = "zelmoran: nem címjegyzék (a fejlécsora a megadott elválasztóval nem bontható \
legalább két oszlopra): $dir/comma.csv" ] || fail "a comma file under ';': $status $err"
printf 'Név\r\nEgy Oszlop\r\n' >"$dir/one.csv"
status=0; err=$(z --import "$dir/one.csv" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && [ "$err" = "zelmoran: nem címjegyzék (a fejlécsorát a ; , tabulátor és | elválasztók \
egyike sem bontja legalább két oszlopra): $dir/one.csv" ] || fail "one column: $status $err"
# A program, or a text with a NUL byte in it, is no address book.
cp /bin/ls "$dir/ls.csv"
printf 'Név;E-mail\r\nNul\0Bájt;nul@pelda.hu\r\n' >"$dir/nul.csv"
for f in ls.csv nul.csv; do
    status=0; err=$(z --import "$dir/$f" 2>&1 >/dev/null) || status=$?
    [ "$status" -eq 1 ] && [ "$err" = "zelmoran: nem címjegyzék (nem szöveges állomány): $dir/$f" ] ||
        fail "$f: $status $err"
done
# An export replaces no pipe, nor what a link leads to when that is no plain file.
mkfifo "$dir/pipe.csv"
ln -s pipe.csv "$dir/pipe-link.csv"
for f in "$dir/pipe.csv" "$dir/pipe-link.csv"; do
    status=0; err=$(z --export "$f" 2>&1 >/dev/null) || status=$?
    [ "$status" -eq 1 ] && [ "$err" = "zelmoran: nem közönséges állomány (hanem például eszköz, csővezeték vagy \
mappa), ezért nem írható felül: $f" ] || fail "export onto $f: $status $err"
done
[ -p "$dir/pipe.csv" ] && [ -L "$dir/pipe-link.csv" ] || fail "an export replaced the pipe or its link"
# A write that fails names the data file, not the temporary beside it, and says the cause in words.
printf 'BEGIN:VCARD\r\nFN:Teli Lemez\r\nEND:VCARD\r\n' >"$dir/full.vcf"
status=0; err=$( (trap '' XFSZ; ulimit -f 1; z --import "$dir/full.vcf") 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && [ "$err" = "zelmoran: nem sikerült: $dir/a/Data/partnerek.dat (I/O error 27). Az állomány \
nagyobb lenne, mint amekkorát a lemez vagy a rendszer megenged." ] || fail "a full disk: $status $err"
[ "$(ls -A "$dir/a/Data")" = "$(printf '.zelmoran.lock\npartnerek.dat')" ] || fail "a failed write left: $(ls -A "$dir/a/Data")"

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
z --export "$dir/before.csv" >/dev/null
mkdir "$dir/a/teszt.tmp"
z --export "$dir/out/partners.csv" >/dev/null || fail "with a folder at teszt.tmp the export failed"
cmp -s "$dir/before.csv" "$dir/out/partners.csv" || fail "with a folder at teszt.tmp another book was exported"
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
# Qt's own options still start the window.
env -u QT_QPA_PLATFORM "$dir/a/zelmoran" -platform offscreen -style=fusion & pids+=($!)
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
