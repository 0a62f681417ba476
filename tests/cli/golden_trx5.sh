#!/usr/bin/env bash
# A TRX5 byte stream through `assemble`, then `decode`, `decode --hex` and `info`, compared with
# the checked-in expected texts.
# Usage: bash golden_trx5.sh BUILD_DIR DATA_DIR
set -euo pipefail
build=$1
data=$2
cli="$build/protmon-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The checked-in streams are what the generator makes.
bash "$data/make_trx5_stream.sh" "$work"
cmp "$work/trx5_clean.bin" "$data/trx5_clean.bin" || fail "trx5_clean.bin differs from its generator"
cmp "$work/trx5_stream.bin" "$data/trx5_stream.bin" || fail "trx5_stream.bin differs from its generator"

"$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/stream.bu5"
"$cli" decode "$work/stream.bu5" >"$work/decode.txt"
diff -u "$data/trx5_stream.decode.txt" "$work/decode.txt" || fail "decode"
"$cli" decode --hex "$work/stream.bu5" >"$work/decode-hex.txt"
diff -u "$data/trx5_stream.decode-hex.txt" "$work/decode-hex.txt" || fail "decode --hex"
"$cli" info "$work/stream.bu5" >"$work/info.txt"
diff -u "$data/trx5_stream.info.txt" "$work/info.txt" || fail "info"

# Well-formed telegrams give the same file however the bytes are split over the ticks.
"$cli" assemble --protocol trx5 "$data/trx5_clean.bin" -o "$work/clean.bu5"
for chunk in 1 2 7 1000; do
    "$cli" assemble --protocol=trx5 --chunk "$chunk" "$data/trx5_clean.bin" -o "$work/chunk.bu5"
    cmp "$work/clean.bu5" "$work/chunk.bu5" || fail "--chunk $chunk changed the result"
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
echo "ok"
