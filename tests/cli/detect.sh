#!/usr/bin/env bash
# `detect` on a plain DIN66019II bus at 19200 Bd, 7E1: the verdict line names rate, framing and
# protocol, --json carries them as keys, and the port keeps the settings it had. Usage errors and
# a port that does not exist name their message.
# Usage: bash detect.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

expect 2 "detect needs either --port DEVICE or --udp HOST:PORT" "$cli" detect
expect 2 "detect needs either --port DEVICE or --udp HOST:PORT" \
    "$cli" detect --port /dev/null --udp localhost:1
expect 2 "--seconds needs a positive number" "$cli" detect --port /dev/null --seconds 0
expect 1 "cannot open $work/none" "$cli" detect --port "$work/none" --seconds 1

start_lmsim --pty --bus --protocol din --bus-baud 19200 --bus-framing 7E1
pty=$where
before=$(stty -F "$pty" -g)
out=$("$cli" detect --port "$pty" --seconds 10 2>&1)
status=$?
verdict=$(printf '%s\n' "$out" | tail -n 1)
[ "$status" = 0 ] || fail "detect exits with $status:"$'\n'"$out"
for word in 19200 7E1 DIN66019II; do
    [[ $verdict == *"$word"* ]] || fail "no $word in the verdict '$verdict'"
done
[[ $verdict =~ ^19200\ Baud,\ 7E1,\ DIN66019II:\ [0-9]+\ %\ of\ bytes\ in\ [0-9]+\ good\ telegrams$ ]] ||
    fail "verdict line: '$verdict'"
printf '%s\n' "$out" | head -n 1 | grep -q '^Setting  *Protocol  *Telegrams  *Explained  *Errors  *Score$' ||
    fail "table heading:"$'\n'"$out"
[ "$(stty -F "$pty" -g)" = "$before" ] || fail "the port's settings changed"

json=$("$cli" detect --port "$pty" --seconds 10 --json)
python3 - "$json" <<'PY' || fail "JSON: $json"
import json, sys
d = json.loads(sys.argv[1])
assert (d["baud"], d["framing"], d["protocol"]) == (19200, "7E1", "DIN66019II"), d
assert d["candidates"] and d["candidates"][0]["protocol"] == "DIN66019II", d["candidates"][0]
PY
stop_lmsim
finish "detect: 19200 Baud, 7E1, DIN66019II on a plain bus"
