#!/usr/bin/env bash
# Soak of `protmon-cli record`: lmsim at 20,000 frames/s over UDP into rotating files; prints
# VmRSS every 10 s, then frames sent against entries recorded. Not run by ctest.
# Usage: bash bench/record_soak.sh BUILD_DIR [SECONDS (default 300)]
set -uo pipefail
build=$1
seconds=${2:-300}
work=$(mktemp -d)
trap 'kill $lm $rec 2>/dev/null; rm -rf "$work"' EXIT
frames=$((seconds * 20000))
"$build/lmsim" --udp 0 --rate 20000 --count "$frames" --bad-bcc-permille 0 >"$work/lm.out" 2>&1 &
lm=$!
sleep 0.3
port=$(head -n 1 "$work/lm.out")
"$build/protmon-cli" record --udp "127.0.0.1:$port" -o "$work/soak" --quiet \
    --file-entries 100000 --ring 3 --status-interval 10 2>"$work/rec.err" &
rec=$!
for ((t = 10; t <= seconds + 10; t += 10)); do
    sleep 10
    echo "t=${t}s $(grep VmRSS /proc/$rec/status | tr -s ' ')  $(tail -n 1 "$work/rec.err")"
done
kill -TERM $rec
wait $rec
tail -n 1 "$work/rec.err"
echo "frames sent: $frames"
