#!/usr/bin/env bash
# `values`: the values of one parameter of one drive from line-monitor frames (times from the
# wrapping stamps, an error response without value, a write request with one), raw and scaled as
# CSV; plain texts and units from the sample description set; the parameter list per drive;
# usage errors.
# Usage: bash values.sh BUILD_DIR DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
export LC_ALL=C
para="$data/Para0001.bin"

bash "$data/make_trend_stream.sh" "$work"
cmp "$work/trend_frames.bin" "$data/trend_frames.bin" || fail "trend_frames.bin differs from its generator"
"$cli" assemble --protocol trx5 --line-monitor "$data/trend_frames.bin" -o "$work/t.bu5"
"$cli" assemble --protocol trx5 "$data/para_stream.bin" -o "$work/p.bu5"

"$cli" values "$work/t.bu5" --drive 02 --parameter 128 >"$work/raw.txt"
diff -u "$data/trend_frames.values.txt" "$work/raw.txt" || fail "values, raw"
"$cli" values "$work/t.bu5" --drive 2 --parameter 80h --descriptions "$para" --csv >"$work/para.csv"
diff -u "$data/trend_frames.values-para.csv" "$work/para.csv" || fail "values --descriptions --csv"
"$cli" values --list "$work/t.bu5" >"$work/list.txt"
diff -u "$data/trend_frames.list.txt" "$work/list.txt" || fail "values --list"
"$cli" values --list --descriptions "$para" --language d "$work/p.bu5" >"$work/list-d.txt"
diff -u "$data/para_stream.list-para-d.txt" "$work/list-d.txt" || fail "values --list --language d"
{
    "$cli" values --descriptions "$para" "$work/p.bu5" --drive 03 --parameter 101h
    "$cli" values --descriptions "$para" "$work/p.bu5" --drive 02 --parameter 135
} >"$work/para.txt"
diff -u "$data/para_stream.values-para.txt" "$work/para.txt" || fail "plain texts and units"

for args in "--drive 02" "--parameter 128" "--list --drive 02" "--drive 0 --parameter 1" \
    "--drive 100 --parameter 1" "--drive 02 --parameter 65536" "--drive 02 --parameter 12x" \
    "--drive 02 --parameter h" "--list --csv" "--language d --list"; do
    status=0
    # shellcheck disable=SC2086
    "$cli" values $args "$work/t.bu5" >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "values $args: status $status, expected a usage error"
done
status=0
"$cli" values --list "$work/none.bu5" >/dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "a missing file: status $status"
echo "ok"
