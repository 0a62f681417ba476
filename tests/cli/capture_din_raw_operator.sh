#!/usr/bin/env bash
# `capture` from the simulator on a pty: as a fieldbus operator switched on with --operator, and
# as a line monitor carrying DIN66019II characters recorded as DIN66019II and as raw bytes.
# Usage: bash capture_din_raw_operator.sh BUILD_DIR DATA_DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# Ends the previous simulator and starts one on a pty; $pty is its path.
start_box() {
    stop_lmsim
    start_lmsim --pty --bad-bcc-permille 0 "$@"
    [[ $where == /dev/* ]] || fail "the simulator printed no pty path"
    pty=$where
}

# The operator copies its traffic once the monitor command switched it on; every copy is a
# TRX5 telegram, and the recording carries the operator bits.
start_box --operator --rate 2000
timeout 20 "$cli" capture --port "$pty" --operator comm,pd-out,pd-in --count 100 \
    -o "$work/op.bu5" >"$work/op.txt" || fail "operator capture"
[ "$(wc -l <"$work/op.txt")" = 100 ] || fail "operator capture printed $(wc -l <"$work/op.txt") rows"
grep -q "ReceiveError" "$work/op.txt" && fail "operator copies gave status entries"
info=$("$cli" info "$work/op.bu5")
grep -qx "SourceFlags: 7" <<<"$info" || fail "operator bits not recorded"
grep -qx "Protocol: 0" <<<"$info" || fail "operator capture is not TRX5"

# An operator that refuses the command fails the start with the window's message.
start_box --operator --refuse 1
if timeout 20 "$cli" capture --port "$pty" --operator comm --count 1 2>"$work/err.txt" >/dev/null; then
    fail "a refusing operator did not fail the start"
fi
grep -q "Unable to activate the monitor function" "$work/err.txt" || fail "no operator message"

# DIN66019II characters from the line monitor: converted telegrams, no status entries.
start_box --rate 2000
lm=(--line-monitor --lm-protocol din66019ii)
timeout 20 "$cli" capture --port "$pty" "${lm[@]}" --protocol din66019ii --count 60 \
    >"$work/din.txt" || fail "DIN66019II capture"
[ "$(wc -l <"$work/din.txt")" = 60 ] || fail "DIN66019II capture printed $(wc -l <"$work/din.txt") rows"
grep -q "ReceiveError" "$work/din.txt" && fail "DIN66019II capture gave status entries"
grep -q "Req Read" "$work/din.txt" || fail "no read requests among the DIN66019II telegrams"
timeout 20 "$cli" capture --port "$pty" "${lm[@]}" --protocol raw --count 20 -o "$work/raw.bu5" \
    >"$work/raw.txt" || fail "raw capture"
[ "$(wc -l <"$work/raw.txt")" = 20 ] || fail "raw capture printed $(wc -l <"$work/raw.txt") rows"
grep -qx "Protocol: 2" <("$cli" info "$work/raw.bu5") || fail "raw recording protocol"

# --operator goes with TRX5 from the serial port only.
for bad in "--line-monitor" "--protocol raw"; do
    # shellcheck disable=SC2086
    if "$cli" capture --port "$pty" --operator comm $bad 2>/dev/null; then
        fail "--operator with $bad accepted"
    fi
done
message=$("$cli" capture --port "$pty" --operator comm,bogus 2>&1 || true)
grep -q "unknown operator selection 'bogus'" <<<"$message" || fail "bad --operator list"
finish ok
