#!/usr/bin/env bash
# Writes the DIN66019II streams used by the command-line golden tests:
#   din_stream.bin  characters as they arrive on the line: every frame form, the "by previous"
#                   rules, garbage, a wrong check character, an unknown letter
#   din_frames.bin  line-monitor data frames (channel, time stamp) holding DIN66019II telegrams,
#                   one of them a Select with the request behind it, one of them garbage
# Usage: bash make_din_stream.sh [OUTPUT_DIR]   (default: this folder)
set -euo pipefail
out_dir=${1:-$(dirname "$0")}

STX=02 ETX=03 EOT=04 ENQ=05 ACK=06 NAK=15
frame=()
# Characters of a text as hex.
text() {
    local s=$1 i
    for ((i = 0; i < ${#s}; i++)); do frame+=("$(printf '%02X' "'${s:i:1}")"); done
}
ctl() { frame+=("$@"); }
# The DIN check character over frame[from..end]: XOR, raised by 0x20 below a space.
check() {
    local from=$1 x=0 i
    for ((i = from; i < ${#frame[@]}; i++)); do x=$((x ^ 16#${frame[i]})); done
    [ "$x" -lt 32 ] && x=$((x + 32))
    frame+=("$(printf '%02X' "$x")")
}
request() { frame=(); text "$1"; ctl $ENQ; check 0; }
block() { frame=(); ctl $STX; text "$1"; ctl $ETX; check 1; }
plain() { frame=(); text "$1"; ctl "${@:2}"; }

stream=()
add() { stream+=("${frame[@]}"); }
emit() {
    local file=$1 b esc=""
    shift
    for b in "$@"; do esc+="\\x$b"; done
    printf "$esc" >"$file"
}

# Select of slave 1, read request of service 0 and its read response.
frame=(); ctl $EOT; text "01"; add
request G1123456; add
block G1DEADBEEF; add
# Read request of service 6 (parameter name) and its response; then a write of the name.
request M101234; add
block M105Motor; add
block M1012340405Speed; add
plain 1 $ACK; add
# Write request of service 2 refused with error 3.
block "I1001200000000000000FF"; add
plain 13 $NAK; add
# Read of service 4 answered with status 4 only.
request K1ABCD; add
plain 14 $EOT; add
# Short request and its short data block (a read response), then a short write.
plain 0102 $ENQ; add
block 0102FFFE; add
block 01030005; add
plain "" $ACK; add
# Garbage before a data block, a wrong check character, an unknown letter.
plain xyz; add
block J2002A0001; add
request G1000001; frame[${#frame[@]}-1]=30; add
request V1; add
# A counted text longer than 24 characters is cut to 24.
request P1000012345; add
block "P101234567891E$(printf 'x%.0s' {1..30})"; add
emit "$out_dir/din_stream.bin" "${stream[@]}"

frames=()
# A line-monitor frame: marker, length + 4, channel, time stamp, telegram.
lm() {
    local channel=$1 ts=$2
    frames+=(1B 40 1B "$(printf '%02X' $((${#frame[@]} + 4)))" "$channel"
        "$(printf '%02X' $((ts >> 8)))" "$(printf '%02X' $((ts & 255)))" "${frame[@]}")
}
sel=(); frame=(); ctl $EOT; text "02"; sel=("${frame[@]}")
request W2; frame=("${sel[@]}" "${frame[@]}"); lm 00 256
block W20000002A0000000F; lm 01 300
request G1123456; lm 00 310
plain 12 ; lm 00 320
block G1DEADBEEF; lm 01 400
plain 1 $ACK; lm 01 401
emit "$out_dir/din_frames.bin" "${frames[@]}"
