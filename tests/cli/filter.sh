#!/usr/bin/env bash
# `decode --include/--exclude` prints the rows of the filtered display and `decode --search` the
# positions search finds, on the TRX5 stream recording; usage errors name the bad criterion.
# Each case lists the positions it must give; the rows must be those of the plain decode.
# Usage: bash filter.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

"$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/stream.bu5" || exit 1
"$cli" decode "$work/stream.bu5" >"$work/all.txt" || exit 1
"$cli" decode --hex "$work/stream.bu5" >"$work/all-hex.txt" || exit 1

# Lines of FILE for the given positions (the first column of a decode line is its position).
rows_at() {
    local file=$1
    shift
    local p
    for p in "$@"; do
        awk -F'\t' -v p="$p" '$1 == p' "$file"
    done
}

# filtered "POSITIONS" DECODE_OPTIONS...: the rows shown must be those at POSITIONS.
filtered() {
    local want=$1
    shift
    local got
    # shellcheck disable=SC2086
    if ! "$cli" decode "$@" "$work/stream.bu5" >"$work/got.txt" 2>"$work/err.txt"; then
        fail "decode $* failed: $(cat "$work/err.txt")"
        return
    fi
    local file="$work/all.txt"
    [[ " $* " == *" --hex "* ]] && file="$work/all-hex.txt"
    # shellcheck disable=SC2086
    rows_at "$file" $want >"$work/want.txt"
    diff -u "$work/want.txt" "$work/got.txt" >"$work/diff.txt" || fail "decode $*: $(cat "$work/diff.txt")"
}

# searched "POSITIONS" CRITERIA: the positions search finds, one per line.
searched() {
    local want=$1 got
    got=$("$cli" decode --search "$2" "$work/stream.bu5" | tr '\n' ' ')
    [ "$got" = "$want" ] || fail "--search $2 gave '$got', want '$want'"
}

# Header criteria: matches only, no partners. Receive-error entries (ID 0, service byte = kind)
# are tested like telegrams.
filtered "1 2 12" --include id-high=1
filtered "0 16 18 20 23" --include id-low=1,id-high=0,req-rsp=req
filtered "4 8 9 10 12" --include read-write=write
filtered "13 14" --include service=50
filtered "13 14" --include service=50,id-low=3
filtered "" --include service=50,id-low=3,req-rsp=rsp,read-write=write
# Value criteria bring in the partner: the write request of address 5647 gets its response.
filtered "2 3 4 8 12" --include address=5647
filtered "2 3 4 8 12" --include 'address=160Fh'
filtered "2 3 4 8 12" --include 'address= 160fh '
# A failed response brings in its request (searched backwards).
filtered "4 7 9" --include 'ack=>0'
filtered "5" --include data=42
filtered "6" --include data=FFFFFFFEh
# Service 50 counts as a write whatever bit 6 says; it carries no fourth process value.
filtered "13 14" --include pd1=66051,pd2=0405h,pd3=1543
# A response matched on a value brings in its request.
filtered "13 14" --include 'pd1=10111213h,ack=0'
filtered "" --include pd4=0
# Receive errors only, and taken out again by the exclude filter.
filtered "15 17 19 21 22" --include rx-errors
filtered "15 17 19 21 22" --include rx-errors,id-high=1
filtered "1 2 3 4 10 12 13 15 17 19 21 22" --include req-rsp=req --exclude id-low=1
filtered "0 1 2 3 4 10 12 13 16 18 20 23" --include req-rsp=req --exclude rx-errors
# The exclude filter alone, on a view of everything.
filtered "1 2 12" --exclude id-high=0
# Numbers in hexadecimal, as "Hex Display" shows them.
filtered "4 7 9" --hex --include 'ack=>0'
# Both filters inactive: "Filter display" does nothing, every row is shown.
filtered "$(seq -s ' ' 0 23)" --include id-high=all,no-slave-selection --exclude ''
filtered "$(seq -s ' ' 0 23)" --include ''

# Nothing matches: no rows, the notice on stderr, success.
out=$("$cli" decode --include id-high=F "$work/stream.bu5" 2>"$work/err.txt")
status=$?
[ "$status" = 0 ] && [ -z "$out" ] || fail "empty filter result: status $status, output '$out'"
grep -q "No telegrams matched ALL filter settings." "$work/err.txt" || fail "no notice for an empty result"

# Search starts after the first row and never wraps.
searched "4 8 9 10 12 " read-write=write
searched "1 2 12 " id-high=1
searched "" id-high=F
searched "$(seq -s ' ' 1 23) " id-high=all

# Usage errors name the key or value the dialog does not offer.
expect_usage() { expect 2 "$1" "$cli" "${@:2}"; }
f="$work/stream.bu5"
expect_usage "--include: unknown filter key 'colour'" decode --include colour=red "$f"
expect_usage "invalid value '13' for 'service'" decode --include service=13 "$f"
expect_usage "invalid value '57' for 'service'" decode --include service=57 "$f"
expect_usage "invalid value 'G' for 'id-high'" decode --include id-high=G "$f"
expect_usage "invalid value '16' for 'ack'" decode --include ack=16 "$f"
expect_usage "invalid value 'both' for 'req-rsp'" decode --exclude req-rsp=both "$f"
expect_usage "invalid value '' for 'read-write'" decode --include read-write "$f"
expect_usage "'rx-errors' is a switch and takes no value" decode --include rx-errors=1 "$f"
expect_usage "'address' needs a value" decode --include address "$f"
expect_usage "empty filter criterion" decode --include service=0,,id-low=1 "$f"
expect_usage "--exclude: unknown filter key" decode --exclude pd5=1 "$f"
expect_usage "--search: invalid value" decode --search id-low=10 "$f"
expect_usage "--search cannot be combined" decode --search id-low=1 --include id-low=2 "$f"
expect_usage "option '--include' needs a value" decode "$f" --include
expect_usage "unknown option '--include'" info --include id-low=1 "$f"

finish ok
