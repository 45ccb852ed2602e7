#!/usr/bin/env bash
# Two processes of one build, on one folder and from a copy in another: the second ends within a
# second with status 0 and touches no file; a build with another identity runs beside it; a stopped
# first copy gets a box, not a silent end; what a killed copy leaves (its lock naming it, an emptied
# lock, a folder put at the socket's name) never stops the next start, which answers later starts,
# from the moment its window is drawn; one that comes earlier waits for that answer.
set -euo pipefail
exe="$1"
dir=$(mktemp -d)
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null || true; rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
mkdir "$dir/a" "$dir/b" "$dir/c"
cp "$exe" "$dir/a/zelmoran"
cp "$exe" "$dir/b/zelmoran"
cp "$exe" "$dir/c/zelmoran"
printf 'x' >>"$dir/c/zelmoran" # another build

fail() { echo "FAIL: $*"; exit 1; }
running() { kill -0 "$1" 2>/dev/null; }
# Waits until the copy holds the lock (it notes its process id there) and its first start has
# written its files.
wait_ready() {
    local held
    for _ in $(seq 1 100); do
        held=$(cat "${lock:-$(ls "$XDG_RUNTIME_DIR"/zelmoran-*.lock 2>/dev/null | head -1)}" 2>/dev/null || true)
        if [ "$held" = "$2" ] && [ -f "$1/beallitasok.cfg" ]; then
            sleep 0.3
            return 0
        fi
        sleep 0.1
    done
    fail "the first copy did not start"
}
sums() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }

"$dir/a/zelmoran" & pids+=($!); first=$!
lock=
wait_ready "$dir/a" "$first"
lock=$(ls "$XDG_RUNTIME_DIR"/zelmoran-*.lock)
socket=${lock%.lock}
before=$(sums "$dir/a")
start=$(date +%s%N)
status=0
timeout 10 "$dir/b/zelmoran" || status=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "second start ended with status $status after $elapsed ms"
[ "$status" -eq 0 ] || fail "status $status"
[ "$elapsed" -lt 1000 ] || fail "took $elapsed ms"
[ "$(ls -A "$dir/b")" = "zelmoran" ] || fail "the second start wrote: $(ls -A "$dir/b")"
[ "$(sums "$dir/a")" = "$before" ] || fail "the running copy's files changed"
running "$first" || fail "the first copy ended"
# The same from the running copy's own folder.
start=$(date +%s%N)
timeout 10 "$dir/a/zelmoran" || fail "a second start in the same folder failed"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$elapsed" -lt 1000 ] || fail "the second start in the same folder took $elapsed ms"
[ "$(sums "$dir/a")" = "$before" ] || fail "a second start in the same folder changed its files"
running "$first" || fail "the first copy ended"

"$dir/c/zelmoran" & pids+=($!); otherBuild=$!
sleep 2
running "$otherBuild" || fail "another build did not run beside the first"
kill "$otherBuild"

# A stopped copy holds the lock but answers nothing: the next start says so in a box and waits there
# for its OK, instead of ending without a word.
kill -STOP "$first"
status=0
timeout 4 "$dir/b/zelmoran" || status=$?
kill -CONT "$first"
[ "$status" -eq 124 ] || fail "a start beside a stopped copy ended by itself with status $status"
[ "$(ls -A "$dir/b")" = "zelmoran" ] || fail "a start beside a stopped copy wrote files"

# What a killed copy leaves: its lock naming it; the same lock emptied, as by a copy killed before it
# noted itself; a folder at the socket's name. Each time the next start runs and answers.
previous=$first
for left in "its lock" "an empty lock" "a folder at the socket"; do
    kill -9 "$previous"
    wait "$previous" 2>/dev/null || true
    case $left in
    "an empty lock") : >"$lock" ;;
    "a folder at the socket") rm -f "$socket"; mkdir "$socket"; touch "$socket/x" ;;
    esac
    "$dir/a/zelmoran" & pids+=($!); next=$!
    wait_ready "$dir/a" "$next"
    timeout 10 "$dir/b/zelmoran" || fail "with $left left behind, a second start beside the new copy failed"
    [ "$(ls -A "$dir/b")" = "zelmoran" ] || fail "with $left left behind, the second start wrote files"
    running "$next" || fail "with $left left behind, the new copy ended"
    previous=$next
done
# A copy answers once its window is drawn: a second start that comes while the first is still
# building its window waits for the answer.
kill -9 "$previous"
wait "$previous" 2>/dev/null || true
"$dir/a/zelmoran" & pids+=($!); early=$!
for _ in $(seq 1 400); do
    [ "$(cat "$lock" 2>/dev/null)" = "$early" ] && break
    sleep 0.005
done
[ "$(cat "$lock" 2>/dev/null)" = "$early" ] || fail "the starting copy did not take the lock"
status=0
timeout 10 "$dir/b/zelmoran" || status=$?
[ "$status" -eq 0 ] || fail "a second start during the first one's start ended with status $status"
[ "$(ls -A "$dir/b")" = "zelmoran" ] || fail "a second start during the first one's start wrote files"
running "$early" || fail "the first copy ended after a second start during its start"
echo "ok"
