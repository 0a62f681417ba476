#!/usr/bin/env bash
# `decode --descriptions` with the sample description set: parameter traffic decoded without a set,
# with the description file's own names, with the German names and, in hexadecimal, with the
# Russian (CP1251) names; the language file name rule; failures.
# Usage: bash decode_descriptions.sh BUILD_DIR DATA_DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
# Scaled values use the decimal separator of LC_NUMERIC; the expected texts have a point.
export LC_ALL=C

bash "$data/make_para_stream.sh" "$work"
same_bytes "$work/para_stream.bin" "$data/para_stream.bin" "para_stream.bin differs from its generator"
# The address list the traffic simulator reads is what mkparafile lists for the sample set.
"$build/mkparafile" --addresses "$data/Para0001.def" | cmp - "$data/Para0001.addresses" ||
    fail "Para0001.addresses differs from mkparafile --addresses"

"$cli" assemble --protocol trx5 "$data/para_stream.bin" -o "$work/para.bu5"
para="$data/Para0001.bin"
"$cli" decode "$work/para.bu5" >"$work/plain.txt"
same_text "$data/para_stream.decode.txt" "$work/plain.txt" "decode without descriptions"
"$cli" decode --descriptions "$para" "$work/para.bu5" >"$work/en.txt"
same_text "$data/para_stream.decode-para.txt" "$work/en.txt" "decode --descriptions"
"$cli" decode --descriptions "$para" --language d "$work/para.bu5" >"$work/d.txt"
same_text "$data/para_stream.decode-para-d.txt" "$work/d.txt" "--language d"
"$cli" decode --hex --descriptions="$para" --language=r "$work/para.bu5" >"$work/r.txt"
same_text "$data/para_stream.decode-para-r-hex.txt" "$work/r.txt" "--hex --language r"

# The language file is found by its name beside the description file: LNG + characters 5 to 8
# of the description file's name + the letter. A copy named P.bin looks for LNGna.add, which
# does not exist: a warning, and the description file's own names.
cp "$para" "$work/P.bin"
"$cli" decode --descriptions "$work/P.bin" --language a "$work/para.bu5" >"$work/p.txt" 2>"$work/p.err"
same_text "$data/para_stream.decode-para.txt" "$work/p.txt" "P.bin rows"
grep -q "LNGna.add" "$work/p.err" || fail "P.bin: no warning naming LNGna.add"
# With the German file copied to that name, the names are German again.
cp "$data/LNG0001d.add" "$work/LNGna.add"
"$cli" decode --descriptions "$work/P.bin" --language a "$work/para.bu5" >"$work/p.txt"
same_text "$data/para_stream.decode-para-d.txt" "$work/p.txt" "P.bin with LNGna.add"
# A language file of another kind changes nothing and is reported.
cp "$para" "$work/LNG0001d.add" && cp "$para" "$work/Para0001.bin"
"$cli" decode --descriptions "$work/Para0001.bin" --language d "$work/para.bu5" >"$work/k.txt" 2>"$work/k.err"
same_text "$data/para_stream.decode-para.txt" "$work/k.txt" "wrong kind of language file"
grep -q "not a language file" "$work/k.err" || fail "wrong kind not reported"

# Failures: a file that is no description file, a missing one, options in the wrong place.
expect 1 "" "$cli" decode --descriptions "$data/LNG0001d.add" "$work/para.bu5"
expect 1 "" "$cli" decode --descriptions "$work/none.bin" "$work/para.bu5"
for args in "--language d" "--descriptions $para --language de" "--descriptions $para --language /" \
    "--descriptions"; do
    # shellcheck disable=SC2086
    expect 2 "" "$cli" decode $args "$work/para.bu5"
done
expect 2 "" "$cli" info --descriptions "$para" "$work/para.bu5"
finish ok
