#!/usr/bin/env bash
# Live capture in Wireshark through protmon-extcap: tshark lists our interfaces from the build's
# extcap folder, captures 200 telegrams from the line monitor simulator that decode as a
# `capture` of the same traffic does, and a capture filter keeps only matching telegrams. The
# extcap calls themselves: link type, options, filter check, and a refused start.
# Usage: bash extcap.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
# shellcheck source=wireshark.inc
source "$(dirname "${BASH_SOURCE[0]}")/wireshark.inc"
export LC_ALL=C
command -v tshark >/dev/null || fail "tshark is missing (scripts/install-deps.sh installs it)"
extcap="$build/wireshark/extcap/protmon-extcap"
wireshark_setup "$work" "$build"
out="$work/ws/home" # written by tshark, which runs as nobody under root

# The interfaces, link type, options and filter check as Wireshark asks for them.
ws tshark -D >"$work/interfaces" 2>&1
grep -q "protmon-udp (Protocol Monitor: line monitor over UDP)" "$work/interfaces" ||
    fail "tshark -D: $(cat "$work/interfaces")"
expect 0 "{number=147}" "$extcap" --extcap-interface protmon-udp --extcap-dlts
expect 0 "{call=--remote}" "$cli" extcap --extcap-interface=protmon-udp --extcap-config
expect 0 "value {arg=0}{value=38400}{display=38400}{default=true}" \
    "$extcap" --extcap-interface protmon-serial-ttyS0 --extcap-config
[ -z "$("$extcap" --extcap-interface protmon-udp --extcap-capture-filter 'req-rsp=rsp')" ] ||
    fail "a valid filter is refused"
expect 2 "req-rsp" "$extcap" --extcap-interface protmon-udp --extcap-capture-filter 'req-rsp=x'
expect 2 "unknown interface" "$extcap" --extcap-interface other --extcap-dlts

# A box that does not answer: the capture ends at once with a message and a failure status.
touch "$work/fifo"
start_lmsim --udp 0 --silent
expect 1 "No answer from monitor hardware" "$extcap" --capture --extcap-interface protmon-udp --remote "127.0.0.1:$where" \
    --fifo "$work/fifo"
stop_lmsim

# The same traffic twice: through `capture`, and live through tshark.
box=(--udp 0 --count 200 --rate 4000 --seed 5 --bad-bcc-permille 0)
start_lmsim "${box[@]}"
"$cli" capture --udp "127.0.0.1:$where" --count 200 -o "$work/ref.bu5" >/dev/null 2>&1 ||
    fail "capture of the reference"
start_lmsim "${box[@]}"
ws tshark -i protmon-udp -o "extcap.protmon_udp.remote:127.0.0.1:$where" -c 200 \
    -w "$out/live.pcapng" >"$work/tshark.out" 2>&1 || fail "tshark: $(cat "$work/tshark.out")"
"$cli" decode "$out/live.pcapng" >"$work/live.txt" || fail "decode of the live capture"
"$cli" decode "$work/ref.bu5" >"$work/ref.txt"
same_text "$work/ref.txt" "$work/live.txt" "live capture differs from capture"

# The capture filter: the responses only, as `decode --include` shows them.
start_lmsim "${box[@]}"
ws tshark -i protmon-udp -o "extcap.protmon_udp.remote:127.0.0.1:$where" -f 'req-rsp=rsp' \
    -c 20 -w "$out/rsp.pcapng" >"$work/tshark.out" 2>&1 || fail "tshark -f: $(cat "$work/tshark.out")"
"$cli" decode "$out/rsp.pcapng" | cut -f2- >"$work/rsp.txt"
"$cli" decode --include 'req-rsp=rsp' "$work/ref.bu5" | cut -f2- | head -n 20 >"$work/want.txt"
[ "$(wc -l <"$work/want.txt")" = 20 ] || fail "the reference holds fewer than 20 responses"
same_text "$work/want.txt" "$work/rsp.txt" "capture filter"
finish ok
