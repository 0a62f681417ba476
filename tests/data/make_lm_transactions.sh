#!/usr/bin/env bash
# Writes lm_transactions.bin: line-monitor data frames (channel, 16-bit time stamp, telegram) for
# the transaction statistics. Assembled with the default resolution of 128 µs per tick.
# Usage: bash make_lm_transactions.sh [OUTPUT_DIR]   (default: this folder)
set -euo pipefail
out_dir=${1:-$(dirname "$0")}

bytes=()
# frame CHANNEL TICK BYTE...: one data frame holding the telegram BYTE... and its XOR block check.
frame() {
    local channel=$1 tick=$2 bcc=0 b
    shift 2
    for b in "$@"; do bcc=$((bcc ^ 16#$b)); done
    bytes+=(1B 40 1B "$(printf '%02X' $(($# + 5)))" "$channel"
        "$(printf '%02X' $((tick >> 8)))" "$(printf '%02X' $((tick & 255)))"
        "$@" "$(printf '%02X' "$bcc")")
}
# bad_frame CHANNEL TICK BYTE...: a frame whose telegram ends in a wrong block check.
bad_frame() {
    local channel=$1 tick=$2
    shift 2
    bytes+=(1B 40 1B "$(printf '%02X' $(($# + 4)))" "$channel"
        "$(printf '%02X' $((tick >> 8)))" "$(printf '%02X' $((tick & 255)))" "$@")
}
rd_req() { frame 00 "$2" "$1" 00 20 00 01; }           # read request, service 0
rd_rsp() { frame 01 "$2" "$1" 80 00 00 01 F4 "$3"; }    # read response, service 0, error byte
wr_req() { frame 00 "$2" "$1" 40 16 0F 00 00 00 07 01; } # write request, service 0
wr_rsp() { frame 01 "$2" "$1" C0 "$3"; }                # write response, service 0, status

# Drive 10: answered after 10 ticks, then with error code 3 after 15 ticks.
rd_req 10 100
rd_rsp 10 110 00
rd_req 10 200
rd_rsp 10 215 03
# Drive 20: a write answered after 5 ticks, and one across the wrap of the time stamp (10 ticks).
wr_req 20 300
wr_rsp 20 305 00
wr_req 20 65530
wr_rsp 20 4 00
# Drive 20: process data request (service 16) without reply.
frame 00 320 20 10
# Drive 30: one request, two responses: the first takes it after 3 ticks, the second (8 ticks)
# is a response without request of its own.
rd_req 30 400
rd_rsp 30 403 00
rd_rsp 30 408 00
# A telegram with a bad block check: a "BCC" entry.
bad_frame 00 500 10 00 20 00 01 00
# Drive 40: a response without request.
rd_rsp 40 600 00
# Drive 50: the request lies 10 entries before its response, beyond the request search; both
# count, the request as unanswered, the response without time.
rd_req 50 700
for tick in 701 702 703 704 705 706 707 708 709; do frame 00 "$tick" 01 10; done
rd_rsp 50 710 00
# Drives 02 and 03 polled in turn: 02 answers after 20 ticks (2,560 us), 03 after 10; the next
# request to 02 is lost to a BCC error, and its response must not be taken as a second answer to
# the first request, 275 ticks (35,200 us) before it.
rd_req 02 800
rd_rsp 02 820 00
rd_req 03 830
rd_rsp 03 840 00
bad_frame 00 1050 02 00 20 00 01 00
rd_rsp 02 1075 00

esc=""
for b in "${bytes[@]}"; do esc+="\\x$b"; done
printf "$esc" >"$out_dir/lm_transactions.bin"
