#!/usr/bin/env bash
# Writes trend_frames.bin: line-monitor data frames with parameter traffic for the golden tests of
# `values`. Drive 02 is polled for the output frequency (0x0080) and answers on channel 1; the
# time stamps advance by 20000 ticks per exchange, so they wrap; a write, an error response and
# the status word (0x0100) of drive 03 lie between.
# Usage: bash make_trend_stream.sh [OUTPUT_DIR]   (default: this folder)
set -euo pipefail
out_dir=${1:-$(dirname "$0")}

bytes=()
tick=100
# frame CHANNEL BYTES...: one data frame at the current tick, the telegram with its XOR check.
frame() {
    local channel=$1 bcc=0 b
    shift
    for b in "$@"; do bcc=$((bcc ^ 16#$b)); done
    local telegram=("$@" "$(printf '%02X' "$bcc")")
    bytes+=(1B 40 1B "$(printf '%02X' $((${#telegram[@]} + 4)))" "$channel"
        "$(printf '%02X' $((tick >> 8)))" "$(printf '%02X' $((tick & 255)))" "${telegram[@]}")
}
# exchange REQUEST... -- RESPONSE...: request on channel 0, the response 30 ticks later on 1.
exchange() {
    local request=()
    while [ "$1" != "--" ]; do request+=("$1"); shift; done
    shift
    frame 00 "${request[@]}"
    tick=$(((tick + 30) % 65536))
    frame 01 "$@"
    tick=$(((tick + 20000) % 65536))
}

exchange 02 00 00 80 01 -- 02 80 00 00 13 88 00   # 50.00 Hz
exchange 02 00 00 80 01 -- 02 80 00 00 13 EC 00   # 51.00 Hz
exchange 03 00 01 00 01 -- 03 80 00 00 00 13 00   # status word of drive 03
exchange 02 40 00 80 00 00 09 C4 01 -- 02 C0 00   # write 25.00 Hz
exchange 02 00 00 80 01 -- 02 80 00 00 00 00 06   # error: no value
exchange 02 00 00 80 01 -- 02 80 00 00 09 C4 00   # 25.00 Hz
exchange 02 00 00 80 01 -- 02 80 FF FF FF 9C 00   # -1.00 Hz

esc=""
for b in "${bytes[@]}"; do esc+="\\x$b"; done
printf "$esc" >"$out_dir/trend_frames.bin"
