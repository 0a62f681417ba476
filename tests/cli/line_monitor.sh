#!/usr/bin/env bash
# `protmon-cli assemble --line-monitor` on data frames, and `protmon-cli capture` from the line
# monitor simulator over UDP and over a pty: printed lines, the saved file, stop by count, time
# and SIGINT, and the failed start.
# Usage: bash line_monitor.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# The simulator with the given options and without damaged checks; $where is its port or pty.
start_box() {
    start_lmsim "$@" --bad-bcc-permille 0
}

# Frames: a read request of service 16 on channel 0 at tick 0x0102, garbage, a frame whose
# length byte is below 4, and two telegrams with a bad block check (channel 1 at tick 0xFFFF).
printf '\x1b\x40\x1b\x07\x00\x01\x02\x01\x10\x11' >"$work/frames.bin"
printf '\x00\x1b\x55\x1b\x40\x1b\x02\x00\x00\x00' >>"$work/frames.bin"
printf '\x1b\x40\x1b\x08\x01\xff\xff\x05\xc0\x01\x02' >>"$work/frames.bin"
printf '\x1b\x40\x1b\x07\x00\x00\x09\x01\x10\x12' >>"$work/frames.bin"
"$cli" assemble --protocol trx5 --line-monitor "$work/frames.bin" -o "$work/frames.bu5" ||
    fail "assemble --line-monitor"
[ "$("$cli" decode "$work/frames.bu5" | wc -l)" = 3 ] || fail "three entries expected"
"$cli" info "$work/frames.bu5" | grep -qx "SourceFlags: 8" || fail "line monitor flag"
for chunk in 1 3 8; do
    "$cli" assemble --protocol trx5 --line-monitor --chunk "$chunk" "$work/frames.bin" \
        -o "$work/chunk.bu5"
    same_bytes "$work/frames.bu5" "$work/chunk.bu5" "--chunk $chunk changed the result"
done

# UDP: the count stops the capture; what was printed is what the file holds.
start_box --udp 0 --count 500 --rate 0
"$cli" capture --udp "127.0.0.1:$where" --count 300 -o "$work/udp.bu5" >"$work/udp.txt" ||
    fail "capture over UDP"
[ "$(wc -l <"$work/udp.txt")" = 300 ] || fail "300 lines expected"
"$cli" decode "$work/udp.bu5" | cmp -s - "$work/udp.txt" || fail "printed lines differ from file"
"$cli" info "$work/udp.bu5" | grep -qx "TimeStampResolution: 128" || fail "resolution"

# The dialog's fields as options, with the protocol's presets and the default gap.
start_box --udp 0 --count 50 --rate 0
"$cli" capture --udp "127.0.0.1:$where" --count 5 --lm-protocol din66019ii --lm-baudrate 9,6 \
    --lm-timestamp-resolution 8 -o "$work/opts.bu5" >/dev/null || fail "capture with options"
"$cli" info "$work/opts.bu5" >"$work/opts.txt"
for line in "MonitorBaud: 3" "MonitorDataBits: 7" "Handshake: 2" "EndOfTelegramTime: 5208" \
    "TimeStampIndex: 1" "TimeStampResolution: 8"; do
    grep -qx "$line" "$work/opts.txt" || fail "options: $line"
done

# Time limit and SIGINT end the capture normally and the file is written.
start_box --udp 0 --rate 200
"$cli" capture --udp "127.0.0.1:$where" --seconds 0.5 -o "$work/time.bu5" >/dev/null ||
    fail "capture --seconds"
[ -s "$work/time.bu5" ] || fail "no file after --seconds"
"$cli" capture --udp "127.0.0.1:$where" -o "$work/int.bu5" >"$work/int.txt" &
cap=$!
wait_for_line "$work/int.txt" >/dev/null || fail "nothing printed before SIGINT"
kill -INT "$cap"
wait "$cap" || fail "capture ended by SIGINT exits with $?"
[ -s "$work/int.txt" ] || fail "nothing printed before SIGINT"
"$cli" decode "$work/int.bu5" | cmp -s - "$work/int.txt" || fail "SIGINT file differs"

# A silent box: the start fails with the window's message on stderr and status 1.
start_box --udp 0 --silent
"$cli" capture --udp "127.0.0.1:$where" --count 1 >/dev/null 2>"$work/err.txt"
[ $? = 1 ] || fail "failed start must exit with 1"
grep -q "No answer from monitor hardware." "$work/err.txt" || fail "message of the failed start"

# Over a pty, the box found at 9600 and switched to the baud box rate.
start_box --pty --link-baud 9600 --count 40 --rate 0
"$cli" capture --port "$where" --baud 38400 --line-monitor --count 40 >"$work/pty.txt" ||
    fail "capture over a pty"
[ "$(wc -l <"$work/pty.txt")" = 40 ] || fail "40 lines expected over the pty"

# Option errors.
expect 2 "" "$cli" capture --count 3
expect 2 "" "$cli" capture --udp h:1 --lm-baudrate 37
exit 0
