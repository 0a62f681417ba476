#!/usr/bin/env bash
# The checked-in sample description and language files are exactly what mkparafile makes of the
# checked-in definition.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
"$build/mkparafile" -o "$work" "$data/Para0001.def" > /dev/null
for f in Para0001.bin LNG0001d.add LNG0001a.add LNG0001r.add; do
    cmp "$data/$f" "$work/$f"
done
# The address list a simulator reads: every parameter that is not hidden.
count=$("$build/mkparafile" --addresses "$data/Para0001.def" | wc -l)
test "$count" -eq 292
# A broken definition is refused with its line number.
printf 'description X.bin\nfileid 1\ngroup 0x100 G\npara 0x100 P1 unit=99 name=x\n' > "$work/bad.def"
if "$build/mkparafile" -o "$work" "$work/bad.def" 2> "$work/err"; then
    fail "bad definition accepted"
fi
grep -q 'line 4' "$work/err"
