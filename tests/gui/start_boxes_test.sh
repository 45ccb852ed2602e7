#!/usr/bin/env bash
# On a real X server: a start that cannot run shows a box and no main window, instead of ending
# without a word or opening an empty book elsewhere. Another build on the running copy's data, a
# stopped running copy, and a folder with data on a full disk.
set -euo pipefail
exe="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/a" "$dir/b" "$dir/c"
cp "$exe" "$dir/a/zelmoran"
cp "$exe" "$dir/b/zelmoran"
cp "$exe" "$dir/a/zelmoran-uj"
printf 'x' >>"$dir/a/zelmoran-uj" # another build beside the first, on its data
cat >"$dir/probe.sh" <<'PROBE'
#!/usr/bin/env bash
set -euo pipefail
dir=$1
pids=()
trap 'kill -CONT "${pids[@]}" 2>/dev/null || true; kill -9 "${pids[@]}" 2>/dev/null || true' EXIT
fail() { echo "FAIL: $*"; exit 1; }
names() { xwininfo -root -tree | grep -o '"[^"]*"' || true; }
# Waits for a top-level window of that exact name; none of the main window's may come.
expect_box() {
    for _ in $(seq 1 120); do
        if names | grep -qxF "\"$1\""; then
            ! names | grep -q 'Aktív mód' || fail "$2: a main window opened"
            return 0
        fi
        sleep 0.25
    done
    fail "$2: no box named $1 came"
}
# The running copy stays off the display; it has written its files when its settings are there.
QT_QPA_PLATFORM=offscreen "$dir/a/zelmoran" & pids+=($!); first=$!
for _ in $(seq 1 100); do [ -f "$dir/a/beallitasok.cfg" ] && [ -e "$dir/a/Data/.zelmoran.lock" ] && break; sleep 0.1; done
sleep 0.5

"$dir/a/zelmoran-uj" & pids+=($!); other=$!
expect_box "Figyelem!" "another build on the same data"
kill "$other"; wait "$other" 2>/dev/null || true

kill -STOP "$first"
"$dir/b/zelmoran" & pids+=($!); second=$!
expect_box "Figyelem!" "a start beside a stopped copy"
kill "$second"; wait "$second" 2>/dev/null || true
kill -9 "$first"; wait "$first" 2>/dev/null || true

(trap '' XFSZ; ulimit -f 0; exec "$dir/a/zelmoran") & pids+=($!); full=$!
expect_box "Zelmoran v1.6.1" "a folder with data on a full disk"
kill "$full"; wait "$full" 2>/dev/null || true
echo ok
PROBE
chmod +x "$dir/probe.sh"
# The real X server, even when the caller runs the other tests offscreen.
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime" XDG_DATA_HOME="$dir/share"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
out=$(timeout 120 xvfb-run -a "$dir/probe.sh" "$dir" 2>/dev/null) || { echo "$out"; exit 1; }
echo "$out"
[ "$(tail -1 <<<"$out")" = ok ] || exit 1
[ ! -e "$dir/share" ] || { echo "FAIL: something was made in the user's own data folder"; exit 1; }
[ "$(ls -A "$dir/b")" = "zelmoran" ] || { echo "FAIL: the start beside the stopped copy wrote files"; exit 1; }
