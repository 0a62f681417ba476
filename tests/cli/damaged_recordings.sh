#!/usr/bin/env bash
# Every command that reads a recording on files that are no recording, cut or padded: no file
# passes for a recording it is not. A refused file gives exit 1, the reason and no output; a file
# that is read but not whole gives its output, then a warning with the numbers, and exit 1.
# Usage: bash damaged_recordings.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1
export LC_ALL=C

"$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/good.bu5" || exit 1 # 24 entries
"$cli" export --format pcapng "$work/good.bu5" -o "$work/good.pcapng" || exit 1

# le32 N: the four bytes of N, little-endian.
le32() {
    python3 -c 'import struct, sys; sys.stdout.buffer.write(struct.pack("<i", int(sys.argv[1])))' "$1"
}
# good.bu5 with another entry count
with_count() {
    head -c 56 "$work/good.bu5"
    le32 "$1"
    tail -c +61 "$work/good.bu5"
}
yes "This is a text file, renamed." | head -c 4096 >"$work/text.bu5"
head -c 4096 /dev/zero >"$work/zeros.bu5"
{ le32 3; head -c 3996 "$data/din_stream.bin"; } >"$work/small_random.bu5"
with_count -1 >"$work/minus1.bu5"
with_count 2000000000 >"$work/huge.bu5"
head -c $((60 + 54 * 5 + 20)) "$work/good.bu5" >"$work/cut.bu5"
{ cat "$work/good.bu5"; head -c 10 /dev/zero; } >"$work/trailing.bu5"
le32 0 >"$work/v0_empty.bu5"
editcap -r "$work/good.pcapng" "$work/subset.pcapng" 1-5 2>/dev/null || fail "editcap"
# Cut at the block boundary before the last packet.
python3 - "$work/good.pcapng" "$work/cut_block.pcapng" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at, last = 0, 0
while at < len(data):
    kind, length = struct.unpack_from("<II", data, at)
    if kind == 6:
        last = at
    at += length
open(sys.argv[2], "wb").write(data[:last])
PY

commands=(
    "info"
    "decode"
    "stats"
    "values --list"
    "values --drive 01 --parameter 0"
    "export --format csv -o $work/out.csv"
    "export --format pcapng -o $work/out.pcapng"
)
# file, exit status, text on stderr, stdout empty (refused) or not
cases=(
    "text.bu5 1 not a recording: the header claims 1936287828 entries|refused"
    "zeros.bu5 1 4092 bytes after the last entry|read"
    "small_random.bu5 1 bytes after the last entry|read"
    "minus1.bu5 1 not a recording: the header claims -1 entries|refused"
    "huge.bu5 1 not a recording: the header claims 2000000000 entries|refused"
    "cut.bu5 1 Error reading from file: loaded 6 of 24 entries|read"
    "trailing.bu5 1 Error reading from file: 10 bytes after the last entry|read"
    "subset.pcapng 1 Error reading from file: loaded 5 of 24 entries|read"
    "cut_block.pcapng 1 Error reading from file: loaded 23 of 24 entries|read"
    "v0_empty.bu5 0 |read"
    "good.bu5 0 |read"
)
for c in "${cases[@]}"; do
    read -r file want text <<<"${c%|*}"
    kind=${c##*|}
    for command in "${commands[@]}"; do
        rm -f "$work/out.csv" "$work/out.pcapng"
        # shellcheck disable=SC2086 # the command's words
        expect "$want" "$text" "$cli" $command "$work/$file"
        # shellcheck disable=SC2086
        out=$("$cli" $command "$work/$file" 2>/dev/null)
        if [ "$kind" = refused ] && { [ -n "$out" ] || [ -e "$work/out.csv" ] || [ -e "$work/out.pcapng" ]; }; then
            fail "$command $file: output from a file that is no recording"
        fi
    done
done
# What a cut file holds is shown before the warning.
rows=$("$cli" decode "$work/cut.bu5" 2>/dev/null | wc -l)
[ "$rows" = 6 ] || fail "cut.bu5 gave $rows rows, want 6"
rows=$("$cli" decode "$work/subset.pcapng" 2>/dev/null | wc -l)
[ "$rows" = 5 ] || fail "subset.pcapng gave $rows rows, want 5"
expect 1 "EntriesInFile: 5" "$cli" info "$work/cut.bu5"
finish ok
