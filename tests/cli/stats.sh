#!/usr/bin/env bash
# `protmon-cli stats` and `decode --columns` on line-monitor frames with time stamps (pairs,
# an error response, a second response to an answered request, a wrap of the time stamp, requests
# without reply, a response without request, a BCC entry, a lost request whose response finds an
# answered one), compared with the checked-in expected texts.
# Usage: bash stats.sh BUILD_DIR DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

bash "$data/make_lm_transactions.sh" "$work"
cmp "$work/lm_transactions.bin" "$data/lm_transactions.bin" ||
    fail "lm_transactions.bin differs from its generator"
"$cli" assemble --protocol trx5 --line-monitor "$data/lm_transactions.bin" -o "$work/lm.bu5"

"$cli" stats "$work/lm.bu5" >"$work/stats.txt"
diff -u "$data/lm_transactions.stats.txt" "$work/stats.txt" || fail "stats"
"$cli" stats --json "$work/lm.bu5" >"$work/stats.json"
diff -u "$data/lm_transactions.stats.json" "$work/stats.json" || fail "stats --json"
if command -v python3 >/dev/null; then
    python3 -m json.tool "$work/stats.json" >/dev/null || fail "stats --json is not JSON"
fi
"$cli" decode --columns time,response "$work/lm.bu5" >"$work/columns.txt"
diff -u "$data/lm_transactions.decode-columns.txt" "$work/columns.txt" || fail "decode --columns"

# The extra columns only add to the line; the order of --columns is kept.
"$cli" decode "$work/lm.bu5" >"$work/plain.txt"
cut -f1-4 "$work/columns.txt" | cmp - "$work/plain.txt" || fail "--columns changed the four texts"
"$cli" decode --columns response,time "$work/lm.bu5" | cut -f5,6 >"$work/swapped.txt"
paste <(cut -f6 "$work/columns.txt") <(cut -f5 "$work/columns.txt") | cmp - "$work/swapped.txt" ||
    fail "--columns response,time"

# Counting the filtered rows only: drive 10 (its two pairs), with the pairs' times.
"$cli" stats --json --include id-high=1 "$work/lm.bu5" >"$work/include.json"
grep -q '^{"entries": 4, "status": {}, "drives": \[{"address": 16, "requests": 2, ' \
    "$work/include.json" || fail "stats --include: $(cat "$work/include.json")"
"$cli" stats --json --include rx-errors "$work/lm.bu5" |
    grep -qx '{"entries": 2, "status": {"BCC": 2}, "drives": \[\]}' || fail "stats --include rx-errors"
[ "$("$cli" stats --json --include id-high=9 "$work/lm.bu5" 2>/dev/null)" = \
    '{"entries": 0, "status": {}, "drives": []}' ] || fail "stats with no row matched"

# Without line-monitor stamps and receive times no response time is known.
"$cli" assemble --protocol trx5 "$data/trx5_clean.bin" -o "$work/plain.bu5"
"$cli" stats --json "$work/plain.bu5" | grep -q '"response_time_us": {' &&
    fail "a response time without any time source"

# A huge time-stamp resolution (header field at offset 4) makes response times wider than their
# columns; every column still stands apart, so each line keeps its number of words.
cp "$work/lm.bu5" "$work/huge.bu5"
printf '\xff\xff\xff\x7f' | dd of="$work/huge.bu5" bs=1 seek=4 conv=notrunc status=none
"$cli" stats "$work/huge.bu5" >"$work/huge.txt"
grep -q '[0-9]\{11\}' "$work/huge.txt" || fail "no wide figure: $(cat "$work/huge.txt")"
diff <(awk '{print NF}' "$work/stats.txt") <(awk '{print NF}' "$work/huge.txt") ||
    fail "columns ran together: $(cat "$work/huge.txt")"

# Usage errors.
for args in "decode --columns bogus" "decode --columns time,time" "decode --json" \
    "stats --columns time" "decode --search service=0 --columns time"; do
    set +e
    # shellcheck disable=SC2086
    "$cli" $args "$work/lm.bu5" >/dev/null 2>&1
    status=$?
    set -e
    [ "$status" = 2 ] || fail "'$args' exited with $status"
done
echo "ok"
