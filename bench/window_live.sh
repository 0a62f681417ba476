#!/usr/bin/env bash
# CPU use of the window during a live capture: lmsim streams over loopback UDP at each rate while
# protmon captures under a virtual display, first with only the main window, then with
# "Statistics", "Trends..." (two curves) and "Response times..." open as well. The figure is the
# protmon process's user plus system time (/proc/PID/stat) over the measured seconds, in percent
# of one core; each cell is the median of RUNS runs, and the load average at each run's end is
# printed beside it, since other work on the machine inflates the figures. Builds nothing and is
# not run by ctest.
#
# Usage: bash bench/window_live.sh [BUILD_DIR (default build)]
# Environment: PROTMON (the window program, default BUILD_DIR/protmon), RUNS (3), DURATION (10 s measured per run),
#   WARMUP (3 s before measuring), RATES ("20 100 1000 10000"), MODES ("main analysis").
# The window is started with PROTMON_BENCH_LIVE=start or =analysis, which presses Start once it
# is up (and opens the analysis windows); see src/app/protmon/bench_hook.h.
set -uo pipefail
build=${1:-build}
protmon=${PROTMON:-$build/protmon}
lmsim=$build/lmsim
runs=${RUNS:-3}
seconds=${DURATION:-10}
warmup=${WARMUP:-3}
rates=${RATES:-20 100 1000 10000}
modes=${MODES:-main analysis}
here=$(cd "$(dirname "$0")/.." && pwd)
addresses=$here/tests/data/Para0001.addresses
for program in "$protmon" "$lmsim"; do
    [ -x "$program" ] || { echo "missing $program (build it first)" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/install-deps.sh)" >&2; exit 2; }

work=$(mktemp -d)
xvfb=""
lm=""
win=""
cleanup() {
    for p in $win $lm $xvfb; do kill "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=:$(head -n 1 "$work/display")
clock_ticks=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# One run: prints "percent load1" (load1 followed by ! when the analysis set-up failed).
measure() {
    local rate=$1 mode=$2
    rm -f "$work/ports" # not the port of the run before
    "$lmsim" --udp 0 --rate "$rate" --param-addresses "$addresses" >"$work/ports" 2>/dev/null &
    lm=$!
    for _ in $(seq 50); do
        [ -s "$work/ports" ] && break
        sleep 0.1
    done
    local hook=start
    [ "$mode" = analysis ] && hook=analysis
    DISPLAY=$display QT_QPA_PLATFORM=xcb PROTMON_BENCH_LIVE=$hook \
        "$protmon" "127.0.0.1:$(head -n 1 "$work/ports")" >/dev/null 2>"$work/window.log" &
    win=$!
    sleep "$warmup"
    # The curves wait for two parameters of the first drive, which a slow stream takes a while to
    # bring; a run whose windows are still not ready after a minute is marked.
    local mark=""
    if [ "$mode" = analysis ]; then
        for _ in $(seq 600); do
            grep -q "analysis windows open, 2 curves" "$work/window.log" && break
            sleep 0.1
        done
        grep -q "analysis windows open, 2 curves" "$work/window.log" || mark="!"
    fi
    local before after
    before=$(cpu_ticks "$win")
    sleep "$seconds"
    after=$(cpu_ticks "$win")
    local load
    load=$(cut -d' ' -f1 /proc/loadavg)
    kill "$win" "$lm" 2>/dev/null
    wait "$win" "$lm" 2>/dev/null
    win=""
    lm=""
    awk -v d=$((after - before)) -v hz="$clock_ticks" -v s="$seconds" -v l="$load" -v m="$mark" \
        'BEGIN { printf "%.1f %s%s\n", 100 * d / hz / s, l, m }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "protmon: $protmon; ${runs} run(s) of ${seconds} s per cell; CPU in % of one core"
echo "each run: CPU (1-minute load average at its end; ! = analysis windows were not ready)"
printf '%-8s' "frames/s"
for mode in $modes; do printf ' | %-9s %-28s' "$mode" "runs (load avg 1 min)"; done
echo
for rate in $rates; do
    printf '%-8s' "$rate"
    for mode in $modes; do
        : >"$work/cell"
        for _ in $(seq "$runs"); do measure "$rate" "$mode" >>"$work/cell"; done
        m=$(cut -d' ' -f1 "$work/cell" | median)
        detail=$(awk '{ printf "%s%s(%s)", (NR > 1 ? " " : ""), $1, $2 }' "$work/cell")
        printf ' | %-9s %-28s' "$m" "$detail"
    done
    echo
done
