#!/usr/bin/env bash
# Two `capture --port` on one pty: the second is refused with the window's message while the
# first goes on recording whole telegrams (run as root, TIOCEXCL alone would let both in).
# Usage: bash exclusive_port.sh BUILD_DIR DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

start_lmsim --pty --bad-bcc-permille 0 --rate 500
pty=$where
[[ $pty == /dev/* ]] || fail "the simulator printed no pty path: $pty"

timeout 30 "$cli" capture --port "$pty" --line-monitor --count 400 >"$work/first.txt" &
first=$!
lmsim_pids+=("$first") # ended with the simulators if the script stops early
for _ in $(seq 100); do
    [ -s "$work/first.txt" ] && break
    sleep 0.05
done
[ -s "$work/first.txt" ] || fail "the first capture recorded nothing"

if timeout 10 "$cli" capture --port "$pty" --line-monitor --count 1 >/dev/null 2>"$work/err.txt"; then
    fail "a second capture opened the port in use"
fi
grep -q "Serial interface not available" "$work/err.txt" || fail "no port message: $(cat "$work/err.txt")"

wait "$first" || fail "the first capture failed"
[ "$(wc -l <"$work/first.txt")" = 400 ] || fail "first capture printed $(wc -l <"$work/first.txt") rows"
grep -q "ReceiveError" "$work/first.txt" && fail "the first capture lost bytes to the second"
echo "ok"
