#!/usr/bin/env bash
# Starts the program. Without arguments it first starts the line monitor simulator on a loopback
# UDP port and connects the window to it, so Start shows live traffic without hardware.
set -euo pipefail
build=${1:-build}
shift || true
if [ -x "$build/protmon" ]; then
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found. Run the window under a virtual display:"
        echo "  xvfb-run -a bash scripts/run.sh $build"
        exit 1
    fi
    if [ $# -gt 0 ] || [ ! -x "$build/lmsim" ]; then
        exec "$build/protmon" "$@"
    fi
    ports=$(mktemp)
    # The simulator's demo plant: drives polled for parameters of the sample description set,
    # so the L7 decoder with tests/data/Para0001.bin shows names, units and smooth trends.
    "$build/lmsim" --udp 0 --plant >"$ports" &
    lmsim=$!
    trap 'kill "$lmsim" 2>/dev/null; rm -f "$ports"' EXIT
    for _ in $(seq 50); do
        [ -s "$ports" ] && break
        sleep 0.1
    done
    port=$(head -1 "$ports")
    echo "Line monitor simulator on 127.0.0.1:$port; press Start in the window."
    "$build/protmon" "127.0.0.1:$port"
    exit $?
fi
exec "$build/protmon-cli" --help
