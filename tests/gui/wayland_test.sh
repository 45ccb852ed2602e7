#!/usr/bin/env bash
# Runs the Wayland tests of gui_tests on a headless GNOME window manager (mutter), with a runtime
# folder and a session bus of their own.
set -euo pipefail
tests="$1"
if ! command -v mutter >/dev/null || ! command -v dbus-run-session >/dev/null; then
    echo "mutter or dbus-run-session is missing: the Wayland tests cannot run"
    exit 1
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" HOME="$dir/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"
unset DISPLAY WAYLAND_DISPLAY
cat > "$dir/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display=zel-test \
    >"$XDG_RUNTIME_DIR/mutter.log" 2>&1 & compositor=$!
trap 'kill $compositor 2>/dev/null; wait $compositor 2>/dev/null' EXIT
for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/zel-test" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/zel-test" ] || { echo "mutter did not start:"; cat "$XDG_RUNTIME_DIR/mutter.log"; exit 1; }
WAYLAND_DISPLAY=zel-test QT_QPA_PLATFORM=wayland "$1" --gtest_filter="${ZEL_FILTER:-GuiWayland.*}"; rc=$?; [ -n "${ZEL_LOG:-}" ] && cp "$XDG_RUNTIME_DIR/mutter.log" "$ZEL_LOG"; exit $rc
SESSION
chmod +x "$dir/session.sh"
timeout 120 dbus-run-session -- "$dir/session.sh" "$tests"
