#!/usr/bin/env bash
# Runs the desktop session tests of gui_tests under GNOME's window manager (mutter), headless: with
# "wayland" as a Wayland compositor, with "x11" as the window manager of a virtual X server. Each run
# has a runtime folder and a session bus of its own.
# ZEL_FILTER narrows the tests; ZEL_LOG names a file that receives mutter's log.
set -euo pipefail
mode="$1" tests="$2"
need=(mutter dbus-run-session)
[ "$mode" = x11 ] && need+=(Xvfb xprop)
for tool in "${need[@]}"; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: the $mode session tests cannot run"; exit 1; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" HOME="$dir/home" ZEL_MODE="$mode"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"
unset DISPLAY WAYLAND_DISPLAY
cat > "$dir/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
log="$XDG_RUNTIME_DIR/mutter.log"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null' EXIT
if [ "$ZEL_MODE" = wayland ]; then
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display=zel-test >"$log" 2>&1 &
    pids+=($!)
    for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/zel-test" ] && break; sleep 0.1; done
    [ -S "$XDG_RUNTIME_DIR/zel-test" ] || { echo "mutter did not start:"; cat "$log"; exit 1; }
    export WAYLAND_DISPLAY=zel-test QT_QPA_PLATFORM=wayland
    suite='GuiWayland.*'
else
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$XDG_RUNTIME_DIR/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 1 100); do [ -s "$XDG_RUNTIME_DIR/display" ] && break; sleep 0.1; done
    [ -s "$XDG_RUNTIME_DIR/display" ] || { echo "Xvfb did not start"; exit 1; }
    export DISPLAY=":$(cat "$XDG_RUNTIME_DIR/display")" QT_QPA_PLATFORM=xcb
    mutter --x11 --replace >"$log" 2>&1 &
    pids+=($!)
    # The window manager is there once it names itself on the root window.
    for _ in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "mutter did not start:"; cat "$log"; exit 1; }
    suite='GuiX11.*'
fi
"$1" --gtest_filter="${ZEL_FILTER:-$suite}"
rc=$?
[ -n "${ZEL_LOG:-}" ] && cp "$log" "$ZEL_LOG"
exit $rc
SESSION
chmod +x "$dir/session.sh"
timeout 120 dbus-run-session -- "$dir/session.sh" "$tests"
