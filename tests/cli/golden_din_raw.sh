#!/usr/bin/env bash
# DIN66019II and raw recordings through `assemble`, directly and from line-monitor frames, then
# `decode` and `info`, compared with the checked-in expected texts.
# Usage: bash golden_din_raw.sh BUILD_DIR DATA_DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# The checked-in streams are what the generator makes.
bash "$data/make_din_stream.sh" "$work"
same_bytes "$work/din_stream.bin" "$data/din_stream.bin" "din_stream.bin differs from its generator"
same_bytes "$work/din_frames.bin" "$data/din_frames.bin" "din_frames.bin differs from its generator"

# assemble OPTIONS INPUT NAME: assembles into NAME.bu5 and compares its decoded rows with the
# expected text of that name.
check() {
    local input=$1 name=$2
    shift 2
    "$cli" assemble "$@" "$data/$input" -o "$work/$name.bu5"
    "$cli" decode "$work/$name.bu5" >"$work/$name.txt"
    same_text "$data/$name.txt" "$work/$name.txt" "$name"
}
check din_stream.bin din_stream.decode --protocol din66019ii
"$cli" decode --hex "$work/din_stream.decode.bu5" >"$work/hex.txt"
same_text "$data/din_stream.decode-hex.txt" "$work/hex.txt" "decode --hex"
check din_frames.bin din_frames.decode --protocol din66019ii --line-monitor
check din_stream.bin din_stream.raw.decode --protocol raw
check din_frames.bin din_frames.raw.decode --protocol raw --line-monitor
"$cli" info "$work/din_frames.raw.decode.bu5" >"$work/info.txt"
same_text "$data/din_frames.raw.info.txt" "$work/info.txt" "info of the raw line-monitor recording"

# However the characters arrive, the same recording results.
for protocol in din66019ii raw; do
    "$cli" assemble --protocol $protocol "$data/din_stream.bin" -o "$work/whole.bu5"
    for chunk in 1 2 7 64; do
        "$cli" assemble --protocol $protocol --chunk "$chunk" "$data/din_stream.bin" -o "$work/chunk.bu5"
        same_bytes "$work/whole.bu5" "$work/chunk.bu5" "$protocol --chunk $chunk changed the result"
    done
done
for chunk in 1 5 9; do
    "$cli" assemble --protocol din66019ii --line-monitor --chunk "$chunk" "$data/din_frames.bin" \
        -o "$work/chunk.bu5"
    same_bytes "$work/din_frames.decode.bu5" "$work/chunk.bu5" "frames --chunk $chunk"
done
finish ok
