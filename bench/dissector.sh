#!/usr/bin/env bash
# tshark over a large pcapng export, without and with our Lua dissector, side by side in one run:
# prints each time, the time per packet our dissector adds and the ratio (of CPU time). The recording repeats
# the well-formed TRX5 telegrams of the golden tests until it holds ENTRIES entries; it lives in
# a temporary folder only. Further Lua files (an older protmon.lua, say) are timed in the same
# run for comparison, and the compiled dissector when it was built. Not run by ctest.
# Usage: bash bench/dissector.sh BUILD_DIR [ENTRIES (default 1000000)] [OTHER.lua ...]
set -euo pipefail
build=$1
entries=${2:-1000000}
shift $(($# < 2 ? $# : 2))
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
source "$root/tests/cli/wireshark.inc"
wireshark_setup "$work" "$build"

# The stream: the clean telegrams as often as needed for ENTRIES entries.
"$build/protmon-cli" assemble --protocol trx5 "$root/tests/data/trx5_clean.bin" -o "$work/one.bu5"
per_copy=$("$build/protmon-cli" decode "$work/one.bu5" | wc -l)
copies=$(((entries + per_copy - 1) / per_copy))
python3 - "$root/tests/data/trx5_clean.bin" "$work/stream.bin" "$copies" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data * int(sys.argv[3]))
PY
"$build/protmon-cli" assemble --protocol trx5 --buffer-depth "$entries" "$work/stream.bin" \
    -o "$work/big.bu5"
"$build/protmon-cli" export --format pcapng "$work/big.bu5" -o "$work/big.pcapng"
packets=$("$build/protmon-cli" info "$work/big.pcapng" | sed -n 's/^EntriesInFile: //p')

# Wall and CPU (user + system) seconds of one tshark run over the file (the summary lines, as a
# user reads them). On a shared machine the CPU time is the steadier figure.
seconds() {
    local TIMEFORMAT='%R %U %S' t
    t=$({ time ws tshark "$@" -r "$work/big.pcapng" >/dev/null 2>"$work/err"; } 2>&1) ||
        { cat "$work/err" >&2; exit 1; }
    read -r wall user sys <<<"$t"
    echo "$wall $(echo "$user + $sys" | bc -l)"
}

echo "entries: $packets  load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %9s %9s %16s %7s\n' "" "wall s" "CPU s" "CPU us/packet" "ratio"
read -r base_wall base_cpu <<<"$(seconds)"
printf '%-26s %9.2f %9.2f\n' "tshark without dissector" "$base_wall" "$base_cpu"
for lua in "$root/contrib/wireshark/protmon.lua" "$@"; do
    read -r wall cpu <<<"$(seconds -X "lua_script:$lua")"
    per=$(echo "($cpu - $base_cpu) * 1000000 / $packets" | bc -l)
    ratio=$(echo "$cpu / $base_cpu" | bc -l)
    printf '%-26s %9.2f %9.2f %+16.2f %7.2f\n' "$(basename "$lua")" "$wall" "$cpu" "$per" "$ratio"
done
if plugin_built; then
    with_plugin
    read -r wall cpu <<<"$(seconds)"
    without_plugin
    per=$(echo "($cpu - $base_cpu) * 1000000 / $packets" | bc -l)
    ratio=$(echo "$cpu / $base_cpu" | bc -l)
    printf '%-26s %9.2f %9.2f %+16.2f %7.2f\n' "protmon.so (compiled)" "$wall" "$cpu" "$per" \
        "$ratio"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
