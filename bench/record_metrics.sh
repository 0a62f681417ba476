#!/usr/bin/env bash
# What the metrics endpoint costs the recorder: lmsim streams FRAMES frames at RATE a second over
# loopback UDP into `protmon-cli record --quiet`, once without --metrics and once with it while
# curl scrapes every 100 ms. Each line is one run: the recorder's user + system CPU seconds
# (/usr/bin/time), its peak RSS, the scrapes answered, the frames dropped, and the load average
# at the run's end, since other work on the machine inflates the figures; the medians follow.
# Builds nothing and is not run by ctest.
#
# Usage: bash bench/record_metrics.sh [BUILD_DIR (default build)]
# Environment: RUNS (3), RATE (20000), FRAMES (200000).
set -uo pipefail
build=${1:-build}
runs=${RUNS:-3}
rate=${RATE:-20000}
frames=${FRAMES:-200000}
for program in "$build/protmon-cli" "$build/lmsim"; do
    [ -x "$program" ] || { echo "missing $program (build it first)" >&2; exit 2; }
done
work=$(mktemp -d)
lm=""
trap 'kill $lm 2>/dev/null; rm -rf "$work"' EXIT
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# run MODE: one recording of the whole stream; prints "cpu rss scrapes dropped load".
run() {
    local mode=$1 extra=() scrapes=0 rec
    rm -f "$work"/r-* "$work"/err "$work"/time
    "$build/lmsim" --udp 0 --count "$frames" --rate "$rate" >"$work/lm.out" 2>&1 &
    lm=$!
    for _ in $(seq 400); do grep -q '^[0-9]*$' "$work/lm.out" 2>/dev/null && break; sleep 0.05; done
    [ "$mode" = with ] && extra=(--metrics "$port")
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$build/protmon-cli" record \
        --udp "127.0.0.1:$(head -n 1 "$work/lm.out")" -o "$work/r" --quiet \
        --status-interval 0.2 "${extra[@]}" 2>"$work/err" &
    rec=$!
    until grep -q "^Recording: $frames entries" "$work/err" 2>/dev/null; do
        if [ "$mode" = with ]; then
            curl -s -o /dev/null --max-time 2 "http://127.0.0.1:$port/metrics" &&
                scrapes=$((scrapes + 1))
        fi
        sleep 0.1
        kill -0 "$rec" 2>/dev/null || break
    done
    kill -TERM "$(pgrep -P "$rec")" 2>/dev/null
    wait "$rec"
    kill "$lm" 2>/dev/null
    wait "$lm" 2>/dev/null
    local dropped
    dropped=$(grep '^Recording:' "$work/err" | tail -n 1 | sed 's/.*, \([0-9]*\) dropped.*/\1/')
    # A failed run leaves "Command exited with non-zero status N" before the figures.
    read -r user system rss < <(tail -n 1 "$work/time")
    echo "$(echo "$user + $system" | bc) $rss $scrapes $dropped $(cut -d ' ' -f 1 /proc/loadavg)"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "recorder at $rate frames/s, $frames frames; cpu_s rss_kB scrapes dropped load"
for mode in without with; do
    : >"$work/$mode"
    for _ in $(seq "$runs"); do
        line=$(run "$mode")
        echo "$mode: $line"
        echo "$line" >>"$work/$mode"
    done
done
for mode in without with; do
    echo "$mode --metrics: median cpu $(cut -d ' ' -f 1 "$work/$mode" | median) s," \
        "median rss $(cut -d ' ' -f 2 "$work/$mode" | median) kB"
done
