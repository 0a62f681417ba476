#!/usr/bin/env bash
# lmsim documents every option in --help and refuses bad command lines with exit status 2.
set -u
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

help=$("$lmsim" --help) || fail "--help failed"
for option in --udp --pty --operator --link-baud --refuse --silent --version-text --rate --count \
    --overrun-after --seed --bus-bytes --param-addresses --error-permille --bad-bcc-permille \
    --frames-per-datagram --plant --bus --protocol --bus-baud --bus-framing --traffic --stats \
    --help; do
    grep -q -- "$option" <<<"$help" || fail "--help does not document $option"
done

expect_status() { expect "$1" "" "$lmsim" "${@:2}"; }
expect_status 2                                    # no transport
expect_status 2 --udp                              # missing value
expect_status 2 --udp 70000
expect_status 2 --pty --rate fast
expect_status 2 --pty --bogus
expect_status 2 --pty --udp 0
expect_status 2 --pty --frames-per-datagram 0
expect_status 2 --udp 0 --plant --operator
expect_status 2 --udp 0 --bus                      # a plain bus only on a pty
expect_status 2 --pty --bus --operator
expect_status 2 --pty --bus --bus-framing 9X1
expect_status 2 --pty --bus --protocol modbus
expect_status 2 --pty --bus --traffic heavy
expect_status 2 --pty --bus --bus-baud 10
expect_status 2 --pty --protocol din --plant       # the plant speaks TRX5
expect_status 1 --udp 0 --bus-bytes /nonexistent/bus.bin
printf '0x10\nnot-an-address\n' >"$work/addresses.txt"
expect_status 1 --udp 0 --param-addresses "$work/addresses.txt"
# The plant, captured at a fixed rate: every drive with its five parameters, values of drive 02
# in Hz each cycle, and the line's faults (no reply, bad block checks).
start_lmsim --udp 0 --plant --seed 7 --rate 5000
"$cli" capture --udp "127.0.0.1:$where" --count 3000 -o "$work/plant.bu5" >/dev/null 2>&1 ||
    fail "capture of the plant"
stop_lmsim
"$cli" values --list "$work/plant.bu5" | cut -f1,2 >"$work/plant-list.txt"
for drive in 01 02 03 04; do
    for parameter in 128 132 135 256 384; do printf '%s\t%s\n' "$drive" "$parameter"; done
done >"$work/want-list.txt"
same_text "$work/want-list.txt" "$work/plant-list.txt" "plant: drives and parameters"
"$cli" values --csv --descriptions "$data/Para0001.bin" --drive 02 --parameter 80h \
    "$work/plant.bu5" >"$work/plant-02.csv"
[ "$(grep -c ',Hz$' "$work/plant-02.csv")" -ge 100 ] || fail "plant: output frequency of drive 02"
"$cli" stats --json "$work/plant.bu5" >"$work/plant.json"
grep -q '"status": {"BCC": [1-9]' "$work/plant.json" || fail "plant: no bad block check"
grep -q '"unanswered": [1-9]' "$work/plant.json" || fail "plant: no request without reply"
# A plain DIN66019II line captured directly at its own setting: telegrams, not garbage.
start_lmsim --pty --bus --protocol din --bus-baud 19200 --bus-framing 7E1 --bad-bcc-permille 0 \
    --error-permille 0
"$cli" capture --port "$where" --baud 19200 --protocol din66019ii --count 60 \
    >"$work/din-bus.txt" 2>/dev/null || fail "capture of the plain DIN66019II bus"
stop_lmsim
[ "$(grep -c 'ReceiveError' "$work/din-bus.txt")" -le 2 ] || fail "plain bus: garbage at its own setting"
[ "$(grep -c 'Rsp ' "$work/din-bus.txt")" -ge 20 ] || fail "plain bus: too few responses"
finish ""
