#!/usr/bin/env bash
# The checked-in sample description and language files are exactly what mkparafile makes of the
# checked-in definition.
set -euo pipefail
build=$1
data=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$build/mkparafile" -o "$out" "$data/Para0001.def" > /dev/null
for f in Para0001.bin LNG0001d.add LNG0001a.add LNG0001r.add; do
    cmp "$data/$f" "$out/$f"
done
# The address list a simulator reads: every parameter that is not hidden.
count=$("$build/mkparafile" --addresses "$data/Para0001.def" | wc -l)
test "$count" -eq 292
# A broken definition is refused with its line number.
printf 'description X.bin\nfileid 1\ngroup 0x100 G\npara 0x100 P1 unit=99 name=x\n' > "$out/bad.def"
if "$build/mkparafile" -o "$out" "$out/bad.def" 2> "$out/err"; then
    echo "bad definition accepted" >&2
    exit 1
fi
grep -q 'line 4' "$out/err"
