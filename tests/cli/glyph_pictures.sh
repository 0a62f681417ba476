#!/usr/bin/env bash
# The glyph button's checked-in pictures are exactly what their generator draws.
# Usage: bash glyph_pictures.sh BUILD_DIR DATA_DIR
set -euo pipefail
glyphs="$2/../../src/ui/glyphs"
if ! command -v python3 >/dev/null; then
    echo "python3 not installed: skipped"
    exit 0
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$glyphs/make_glyphs.py" "$out"
count=0
for f in "$out"/*.png; do
    cmp "$f" "$glyphs/$(basename "$f")"
    count=$((count + 1))
done
[ "$count" = 10 ] || { echo "FAIL: $count pictures, expected 10" >&2; exit 1; }
# Every picture the resource file names exists.
for name in $(grep -o 'glyphs/[a-z]*\.png' "$glyphs/../glyph_button.qrc"); do
    [ -f "$glyphs/../$name" ] || { echo "FAIL: $name missing" >&2; exit 1; }
done
echo "ok"
