#!/usr/bin/env bash
# Over UDP the counters tell the truth: under a flood of full datagrams every frame is printed or
# counted as dropped; datagrams from the box with nothing usable in them are counted as bad.
# Usage: bash udp_counts.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

# figure NAME FILE: the number after "NAME: " in the summary in FILE.
figure() { sed -n "s/.*$1: \([0-9]*\).*/\1/p" "$2" | head -n 1; }

# A flood of datagrams of 64 frames into a list of 10 entries: what is not printed was dropped.
sent=20000
start_lmsim --udp 0 --count "$sent" --rate 0 --frames-per-datagram 64 --bad-bcc-permille 0
"$cli" capture --udp "127.0.0.1:$where" --buffer-depth 10 --seconds 2 >"$work/rows.txt" \
    2>"$work/flood.err"
stop_lmsim
rows=$(wc -l <"$work/rows.txt")
ring=$(figure "dropped by a full ring" "$work/flood.err")
system=$(figure "dropped by the system" "$work/flood.err")
[ -n "$ring" ] || fail "no summary: $(cat "$work/flood.err")"
# The system counts datagrams: each took up to 64 frames with it.
[ $((rows + ring)) -le "$sent" ] && [ $((rows + ring + 64 * system)) -ge "$sent" ] ||
    fail "flood: $rows rows, $ring dropped by a full ring, $system datagrams by the system, $sent sent"
grep -q '^Bad datagrams: 0$' "$work/flood.err" || fail "flood: $(cat "$work/flood.err")"

# A box that answers every command and, once running, sends a frame, four datagrams with nothing
# usable (one byte, three bytes, a length beyond the end, random bytes) and another frame.
cat >"$work/box.py" <<'PY'
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1], flush=True)
s.settimeout(20)
marker = bytes([0x1B, 0x40, 0x1B])
frame = marker + bytes([10, 0, 0, 1, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07])
junk = [b"\x1b", marker, marker + bytes([200, 0, 0, 1, 1, 2]), bytes([0x12, 0x9A, 0, 0xFF, 0x33, 0x41])]
configured = False
while True:
    data, peer = s.recvfrom(100)
    if len(data) != 5 or data[:3] != marker:
        continue
    s.sendto(marker + b"\x00", peer)
    configured = configured or data[3] == 6
    if configured and data[3] == 16 and data[4] != 0:
        for d in [frame] + junk + [frame]:
            s.sendto(d, peer)
PY
python3 "$work/box.py" >"$work/box.out" 2>&1 &
lmsim_pids+=($!)
port=$(wait_for_line "$work/box.out") || fail "the box did not start"
"$cli" capture --udp "127.0.0.1:$port" --count 2 --summary-json "$work/bad.json" >/dev/null \
    2>"$work/bad.err" || fail "capture from the box exits with $?: $(cat "$work/bad.err")"
grep -q '^Bad datagrams: 4$' "$work/bad.err" || fail "bad datagrams: $(cat "$work/bad.err")"
grep -q '"bad_datagrams": 4,' "$work/bad.json" || fail "JSON: $(cat "$work/bad.json")"
finish "udp_counts: ok"
