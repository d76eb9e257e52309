#!/usr/bin/env bash
# Start-up from outside: runs the calculator and three minimal Qt 6 Widgets windows (one line
# of text; the same linking the evaluator's libraries and computing pi once; none) by turns on
# a private Xvfb display, and prints medians of the time from process start to the first
# window map, the processor time used by then and the resident memory, with the calculator's
# ratios to the minimal windows with text.
#   bench/startup.sh [BUILD_DIR] [RUNS]     (defaults: build, 21)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
runs=${2:-21}
bin=$(cd "$build_dir/bin" && pwd)
for program in map_probe minimal_window minimal_window_arb tarnicle; do
    if [ ! -x "$bin/$program" ]; then
        echo "missing $bin/$program: configure with -DTARNICLE_BENCH=ON and build" >&2
        exit 1
    fi
done

# The first free display number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
# -noreset: without it the server resets whenever its last client leaves, and a probe that
# connects meanwhile finds no display.
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
work=$(mktemp -d)
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export DISPLAY=":$display" XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }

# probe NAME PROGRAM [ARGUMENTS...]: appends "ms cpu_ms rss_at_map_kib rss_settled_kib" to NAME.
probe() {
    local name=$1
    shift
    (cd "$bin" && "$bin/map_probe" "$@" 2>/dev/null) >>"$work/$name"
}
# One untimed run of each fills the file system and font caches for all alike.
probe warm-up "$bin/minimal_window"
probe warm-up "$bin/tarnicle"
for _ in $(seq "$runs"); do
    probe text "$bin/minimal_window"
    probe arb "$bin/minimal_window_arb"
    probe blank "$bin/minimal_window" --blank
    probe tarnicle "$bin/tarnicle"
done

median() { # NAME COLUMN
    cut -d' ' -f"$2" "$work/$1" | sort -n | awk '{ v[NR] = $1 } END {
        print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
row() { # NAME LABEL
    awk -v label="$2" -v ms="$(median "$1" 1)" -v cpu="$(median "$1" 2)" \
        -v map="$(median "$1" 3)" -v settled="$(median "$1" 4)" \
        'BEGIN { printf "| %s | %.1f | %.1f | %.1f | %.1f |\n", label, ms, cpu, map / 1024, settled / 1024 }'
}
ratio() { # YARDSTICK COLUMN
    awk -v a="$(median tarnicle "$2")" -v b="$(median "$1" "$2")" 'BEGIN { printf "%.2fx", a / b }'
}
verdict() { # YARDSTICK COLUMN
    awk -v a="$(median tarnicle "$2")" -v b="$(median "$1" "$2")" \
        'BEGIN { print (a <= 1.10 * b ? "met" : "NOT met") }'
}

echo
echo "| start-up on Xvfb, median of $runs runs | start to window mapped, ms | processor time by then, ms | resident at map, MiB | resident 0.5 s later, MiB |"
echo "| --- | ---: | ---: | ---: | ---: |"
row blank "minimal window without text"
row text "minimal window with one line of text"
row arb "the same, linking Arb, FLINT, MPFR and GMP and computing pi"
row tarnicle "Tarnicle"
echo "| Tarnicle / minimal window with text | $(ratio text 1) | $(ratio text 2) | $(ratio text 3) | $(ratio text 4) |"
echo "| Tarnicle / the same, linking Arb | $(ratio arb 1) | $(ratio arb 2) | $(ratio arb 3) | $(ratio arb 4) |"
echo
echo "time to map within 1.10x of the minimal window linking Arb: $(verdict arb 1)"
echo
echo "resident memory at map within 1.10x of the minimal window linking Arb: $(verdict arb 3)"
