#!/usr/bin/env bash
# Exit status and messages of protmon-cli for usage errors (2), file errors (1) and --help (0).
# Usage: bash errors.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

stream="$data/trx5_stream.bin"
"$cli" assemble --protocol trx5 "$stream" -o "$work/good.bu5" || exit 1
size=$(stat -c %s "$work/good.bu5")
head -c 100 "$work/good.bu5" >"$work/cut_entries.bu5"
head -c 30 "$work/good.bu5" >"$work/cut_header.bu5"
printf '\xfe\xff\xff\xff' >"$work/version2.bu5"
printf '\x00\x00\x00\x00' >"$work/version0_empty.bu5"
: >"$work/empty.bu5"

# Help
expect 0 "Usage: protmon-cli COMMAND" "$cli" --help
expect 0 "Usage: protmon-cli info" "$cli" info --help
expect 0 "Usage: protmon-cli decode" "$cli" decode --help
expect 0 "Usage: protmon-cli assemble" "$cli" assemble --help
# Usage errors
expect 2 "no command given" "$cli"
expect 2 "unknown command 'play'" "$cli" play x.bu5
expect 2 "no input file given" "$cli" decode
expect 2 "unknown option '--bogus'" "$cli" decode --bogus "$work/good.bu5"
expect 2 "unknown option '--hex'" "$cli" info --hex "$work/good.bu5"
expect 2 "unexpected argument" "$cli" info "$work/good.bu5" "$work/good.bu5"
expect 2 "--protocol is required" "$cli" assemble "$stream" -o "$work/x.bu5"
expect 2 "unknown protocol 'can'" "$cli" assemble --protocol can "$stream" -o "$work/x.bu5"
expect 2 "no output file given" "$cli" assemble --protocol trx5 "$stream"
expect 2 "needs a value" "$cli" assemble --protocol trx5 "$stream" -o
expect 2 "--chunk needs a positive number" "$cli" assemble --protocol trx5 --chunk 0 "$stream" -o "$work/x.bu5"
expect 2 "--chunk needs a positive number" "$cli" assemble --protocol trx5 --chunk 5k "$stream" -o "$work/x.bu5"
expect 2 "--buffer-depth needs a number from 10" "$cli" assemble --protocol trx5 --buffer-depth 9 "$stream" -o "$work/x.bu5"
expect 2 "takes no value" "$cli" decode --hex=1 "$work/good.bu5"
# File errors
expect 1 "Error reading from file" "$cli" decode "$work/missing.bu5"
expect 1 "Error reading from file" "$cli" info "$work/missing.bu5"
expect 1 "Error reading from file" "$cli" decode "$work"
expect 1 "cannot read the input" "$cli" assemble --protocol trx5 "$work/missing.bin" -o "$work/x.bu5"
expect 1 "cannot write $work/no/such/x.bu5: No such file or directory" "$cli" assemble --protocol trx5 "$stream" -o "$work/no/such/x.bu5"
expect 1 "Unsupported file version: 2" "$cli" decode "$work/version2.bu5"
expect 1 "Unsupported file version: 2" "$cli" info "$work/version2.bu5"
expect 1 "Error reading from file" "$cli" decode "$work/empty.bu5"
expect 1 "Error reading from file" "$cli" info "$work/cut_header.bu5"
expect 0 "" "$cli" decode "$work/version0_empty.bu5"
expect 0 "EntryCount: 0" "$cli" info "$work/version0_empty.bu5"
# A file cut inside its entries shows the entries it holds, then reports the error.
expect 1 "Error reading from file" "$cli" decode "$work/cut_entries.bu5"
rows=$("$cli" decode "$work/cut_entries.bu5" 2>/dev/null | wc -l)
[ "$rows" = 1 ] || fail "cut file gave $rows rows, want 1"
[ "$size" -gt 100 ] || fail "the recording has only $size bytes"
# A failed assemble leaves an existing output untouched.
cp "$work/good.bu5" "$work/keep.bu5"
expect 1 "cannot read the input" "$cli" assemble --protocol raw "$work/missing.bin" -o "$work/keep.bu5"
cmp -s "$work/good.bu5" "$work/keep.bu5" || fail "output changed"
finish ok
