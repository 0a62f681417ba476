#!/usr/bin/env bash
# `capture` closes with a summary on stderr (and as JSON with --summary-json); a capture that
# ended because the device went away exits with 3 after writing its file, a normal end with 0.
# Usage: bash capture_summary.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# Starts the simulator on a pty; $pty is the path it prints first.
start_box() {
    start_lmsim --pty --bad-bcc-permille 0 "$@"
    pty=$where
    [[ $pty == /dev/* ]] || fail "the simulator printed no pty path: $pty"
}

# A normal end by count: status 0, the summary on stderr and in the JSON file.
start_box --rate 2000
timeout 20 "$cli" capture --port "$pty" --line-monitor --count 20 \
    --summary-json "$work/sum.json" >/dev/null 2>"$work/err.txt"
status=$?
[ $status = 0 ] || fail "capture by count exits with $status"
grep -q '^Capture ended (count) after [0-9.]* s: 20 entries, RxErrors:0, ' "$work/err.txt" ||
    fail "summary: $(cat "$work/err.txt")"
grep -q '"entries": 20, "rx_errors": 0, .*"end": "count"' "$work/sum.json" ||
    fail "JSON summary: $(cat "$work/sum.json")"
stop_lmsim
wait "$lmsim_pid" 2>/dev/null

# The box goes away in the middle: the file is written, the status is 3.
start_box --rate 200
timeout 20 "$cli" capture --port "$pty" --line-monitor -o "$work/lost.bu5" \
    --summary-json "$work/lost.json" >"$work/lost.txt" 2>"$work/lost-err.txt" &
capture=$!
for _ in $(seq 100); do
    [ -s "$work/lost.txt" ] && break
    sleep 0.05
done
stop_lmsim
wait "$lmsim_pid" 2>/dev/null
wait "$capture"
status=$?
[ $status = 3 ] || fail "capture with a lost device exits with $status"
grep -q '"end": "device lost"' "$work/lost.json" || fail "JSON: $(cat "$work/lost.json")"
grep -q "Serial interface not available" "$work/lost-err.txt" || fail "no message of the lost device"
"$cli" decode "$work/lost.bu5" | cmp -s - "$work/lost.txt" || fail "the file differs from the rows"
"$cli" capture --help | grep -q "exits with 3" || fail "help does not tell status 3"
echo "capture_summary: ok"
