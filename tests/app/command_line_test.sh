#!/usr/bin/env bash
# The command line on a copy of the program in a folder of its own: import, export (read back by
# Python's csv module as a spreadsheet would), the vCard round trip, the refusals, and --help.
set -euo pipefail
exe="$1"
dir=$(mktemp -d)
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null || true; rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" LC_ALL=C.UTF-8
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
"$dir/a/zelmoran" & pids+=($!)
for _ in $(seq 1 100); do ls "$XDG_RUNTIME_DIR"/zelmoran-*.lock >/dev/null 2>&1 && break; sleep 0.1; done
sleep 0.5
status=0; err=$(z --import "$dir/list.csv" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 3 ] && [[ "$err" == *"a program fut"* ]] || fail "running copy: $status $err"
[ "$(md5sum <"$dir/a/Data/partnerek.dat")" = "$sum" ] || fail "a refused import wrote"

z --help | grep -q "^Használat:" || fail "no Hungarian help"
echo ok
