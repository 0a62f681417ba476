#!/usr/bin/env bash
# Writes para_stream.bin: TRX5 parameter traffic with addresses of the sample description set
# (Para0001.def), for the golden tests of `decode --descriptions`. Each exchange is a read or write
# request followed by its response from the same address byte.
# Usage: bash make_para_stream.sh [OUTPUT_DIR]   (default: this folder)
set -euo pipefail
out_dir=${1:-$(dirname "$0")}

bytes=()
# A telegram: the given bytes followed by their XOR block check.
tel() {
    local bcc=0 b
    for b in "$@"; do bcc=$((bcc ^ 16#$b)); done
    bytes+=("$@" "$(printf '%02X' "$bcc")")
}

# Read value (service 0, set 0: mask 01) of address HI LO from drive ADR, answered with a 32-bit VALUE.
read_value() {
    local adr=$1 hi=$2 lo=$3; shift 3
    tel "$adr" 00 "$hi" "$lo" 01
    tel "$adr" 80 "$@" 00
}

# Output frequency (0x0080): 1/100 Hz, 5000 -> 50.00.
read_value 02 00 80 00 00 13 88
# Heatsink temperature (0x0087): offset -40, 105 -> 65.
read_value 02 00 87 00 00 00 69
# Status word (0x0100): bit-field plain texts (Ready, Running, Forward).
read_value 02 01 00 00 00 00 13
# Fault code (0x0101): one plain text for the whole word (3: Undervoltage).
read_value 03 01 01 00 00 00 03
# Rated device power (0x0005): 1/100 kW, 750 -> 7.50.
read_value 03 00 05 00 00 02 EE
# Serial number (0x0001), a 32-bit value.
read_value 04 00 01 00 01 E2 40
# Hidden parameter (0x000F): no name, numbers only.
read_value 04 00 0F 00 00 00 07
# An address the set does not hold (0x7000).
read_value 04 70 00 00 00 00 01
# Write value (service 0) of the fault code with data 0, and its response without error.
tel 03 40 01 01 00 00 00 00 01
tel 03 C0 00
# Limits of the output frequency (service 2): the request carries the name only.
tel 02 02 00 80
tel 02 82 00 00 00 00 00 00 17 70 00
# A read answered with an error keeps the error text.
tel 02 00 00 80 01
tel 02 80 00 00 00 00 02

esc=""
for b in "${bytes[@]}"; do esc+="\\x$b"; done
printf "$esc" >"$out_dir/para_stream.bin"
