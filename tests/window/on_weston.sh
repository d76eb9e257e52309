#!/usr/bin/env bash
# Runs a window test on Wayland, under a headless weston of its own; CTest reports it skipped
# (exit 77) where weston is not installed. Without Qt's Wayland platform (qt6-wayland) the test
# runs offscreen and skips what needs Wayland.
#   on_weston.sh TEST [ARGUMENTS...]
set -u
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM="wayland;offscreen"
unset DISPLAY
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 \
    >"$runtime/weston.log" 2>&1 &
weston_pid=$!
trap 'kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do
    [ -S "$runtime/$WAYLAND_DISPLAY" ] && break
    sleep 0.05
done
"$@"
