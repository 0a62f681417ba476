#!/usr/bin/env bash
# The glyph button's checked-in pictures are exactly what their generator draws.
# Usage: bash glyph_pictures.sh BUILD_DIR DATA_DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
glyphs="$data/../../src/ui/glyphs"
if ! command -v python3 >/dev/null; then
    echo "python3 not installed: skipped"
    exit 0
fi
python3 "$glyphs/make_glyphs.py" "$work"
count=0
for f in "$work"/*.png; do
    cmp "$f" "$glyphs/$(basename "$f")"
    count=$((count + 1))
done
[ "$count" = 10 ] || fail "$count pictures, expected 10"
# Every picture the resource file names exists.
for name in $(grep -o 'glyphs/[a-z]*\.png' "$glyphs/../glyph_button.qrc"); do
    [ -f "$glyphs/../$name" ] || fail "$name missing"
done
finish ok
