#!/usr/bin/env bash
# Starts the program on a real X server in an empty folder and reads the title the window manager is
# given: exactly the program's own text, with nothing appended.
set -euo pipefail
exe="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/zelmoran"
cat > "$dir/probe.sh" <<'PROBE'
#!/usr/bin/env bash
"$1/zelmoran" & pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
for _ in $(seq 1 80); do
    sleep 0.25
    xwininfo -root -tree | grep -q 'Aktív mód' && break
done
sleep 1.5 # at least one tick of the clock
xwininfo -root -tree | grep -o '"[^"]*"' | grep -i zelmoran || true
PROBE
chmod +x "$dir/probe.sh"
# The real X server, even when the caller runs the other tests offscreen.
unset QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
titles=$(timeout 60 xvfb-run -a "$dir/probe.sh" "$dir" 2>/dev/null)
echo "$titles"
grep -qx '"Zelmoran  ( Aktív mód )"' <<<"$titles" || { echo "main window title not found"; exit 1; }
if grep -q 'v1\.6\.1\| — ' <<<"$titles"; then echo "a title carries an appended name"; exit 1; fi
