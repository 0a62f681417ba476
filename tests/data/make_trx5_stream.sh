#!/usr/bin/env bash
# Writes the TRX5 byte streams used by the command-line golden tests:
#   trx5_clean.bin   well-formed telegrams only (assembly must not depend on how they arrive)
#   trx5_stream.bin  the same, followed by damaged input the assembler has to resynchronise on
# Usage: bash make_trx5_stream.sh [OUTPUT_DIR]   (default: this folder)
set -euo pipefail
out_dir=${1:-$(dirname "$0")}

bytes=()
# Raw bytes as given (hex).
raw() { bytes+=("$@"); }
# A telegram: the given bytes followed by their XOR block check.
tel() {
    local bcc=0 b
    for b in "$@"; do bcc=$((bcc ^ 16#$b)); done
    bytes+=("$@" "$(printf '%02X' "$bcc")")
}
emit() {
    local file=$1 b esc=""
    for b in "${bytes[@]}"; do esc+="\\x$b"; done
    printf "$esc" >"$file"
}

# Read request, service 16, address 1: the shortest telegram (3 bytes).
tel 01 10
# Four telegrams received in one piece: read requests of services 0 and 1 (address 0x10),
# a read request of service 2 (address 0x02), a write request of service 0 (address 0x02).
raw 10 00 20 00 01 31 10 01 16 0F 01 09 02 02 16 0F 19 02 40 16 0F 01 23 45 67 FF A4
# Read responses of service 0: a value, then error code 2.
tel 02 80 00 00 00 2A 00
tel 02 80 FF FF FF FE 00
tel 02 80 00 00 00 00 02
# Write response of service 0 without error, then one carrying error code 5.
tel 02 C0 00
tel 02 C0 05
# Write request of service 6 with count byte 3 (length 7 + 3): text bytes with a degree sign,
# a backslash and a TAB.
tel 02 46 16 0F 00 03 B0 5C 09
# Read response of service 6 (parameter name) with count byte 4 (length 5 + 4): a DEL, a
# backslash, a degree sign and a TAB among the characters.
tel 02 86 04 7F 5C B0 09 00
# Write request of service 1 with a negative value.
tel 10 41 16 0F 01 FF FF FF 85
# Read request of service 50 (17 bytes) and its response without error (16 bytes).
tel 03 32 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D
tel 03 B2 10 11 12 13 14 15 16 17 18 19 1A 1B 00
emit "$out_dir/trx5_clean.bin"

# Bytes without a valid service: "Illegal Frame", then the telegram behind them.
raw FF FF
tel 01 10
# Garbage that looks like the start of an 8-byte read response: one "BCC" entry holding it and
# what follows, then resynchronisation on the telegram behind it.
raw 07 80
tel 01 10
# Service byte 0x0D has no length: "Illegal Frame", then resynchronisation on the next telegram.
raw 05 0D 00 00
tel 01 10
# A telegram of 60 bytes (write request of service 6, count 53): "Illegal Frame" with its first
# 48 bytes. The 11 bytes behind the 49 consumed are garbage: together with the telegram with a
# bad block check behind them they give one "BCC" entry.
long=(02 46 16 0F 00 35)
for ((i = 0; i < 53; i++)); do long+=("$(printf '%02X' $((i + 0x20)))"); done
tel "${long[@]}"
# A bad block check on an otherwise valid telegram (skipped by the resynchronisation).
raw 01 10 12
tel 01 10
# An incomplete telegram at the end: left in the receive buffer and dropped at Stop.
raw 02 01 16
emit "$out_dir/trx5_stream.bin"
