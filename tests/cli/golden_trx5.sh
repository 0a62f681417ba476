#!/usr/bin/env bash
# A TRX5 byte stream through `assemble`, then `decode`, `decode --hex` and `info`, compared with
# the checked-in expected texts.
# Usage: bash golden_trx5.sh BUILD_DIR DATA_DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# The checked-in streams are what the generator makes.
bash "$data/make_trx5_stream.sh" "$work"
same_bytes "$work/trx5_clean.bin" "$data/trx5_clean.bin" "trx5_clean.bin differs from its generator"
same_bytes "$work/trx5_stream.bin" "$data/trx5_stream.bin" "trx5_stream.bin differs from its generator"

"$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/stream.bu5"
"$cli" decode "$work/stream.bu5" >"$work/decode.txt"
same_text "$data/trx5_stream.decode.txt" "$work/decode.txt" "decode"
"$cli" decode --hex "$work/stream.bu5" >"$work/decode-hex.txt"
same_text "$data/trx5_stream.decode-hex.txt" "$work/decode-hex.txt" "decode --hex"
"$cli" info "$work/stream.bu5" >"$work/info.txt"
same_text "$data/trx5_stream.info.txt" "$work/info.txt" "info"

# Well-formed telegrams give the same file however the bytes are split over the ticks.
"$cli" assemble --protocol trx5 "$data/trx5_clean.bin" -o "$work/clean.bu5"
for chunk in 1 2 7 1000; do
    "$cli" assemble --protocol=trx5 --chunk "$chunk" "$data/trx5_clean.bin" -o "$work/chunk.bu5"
    same_bytes "$work/clean.bu5" "$work/chunk.bu5" "--chunk $chunk changed the result"
done

# A list of capacity 10 keeps the newest 10 entries, oldest first after the stop.
"$cli" assemble --protocol trx5 --buffer-depth 10 "$data/trx5_stream.bin" -o "$work/ring.bu5"
"$cli" decode "$work/ring.bu5" | cut -f2- >"$work/ring.txt"
tail -n 10 "$data/trx5_stream.decode.txt" | cut -f2- | diff -u - "$work/ring.txt" || fail "ring"
grep -qx "EntryCount: 10" <("$cli" info "$work/ring.bu5") || fail "ring entry count"

# An empty input gives an empty recording.
: >"$work/empty.bin"
"$cli" assemble --protocol trx5 "$work/empty.bin" -o "$work/empty.bu5"
[ "$(stat -c %s "$work/empty.bu5")" = 60 ] || fail "empty recording is not 60 bytes"
[ -z "$("$cli" decode "$work/empty.bu5")" ] || fail "empty recording decodes to rows"
finish ok
