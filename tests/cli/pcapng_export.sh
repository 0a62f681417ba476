#!/usr/bin/env bash
# `export` to pcapng, CSV and JSON Lines on the golden recordings, checked by independent readers:
# tshark opens the pcapng files without a warning, counts the packets, shows the decoded rows as
# comments and, with the Lua dissector, addresses, services and BCC states that agree with
# `decode` (the Lua file and, when built, the compiled dissector give the same fields, texts and
# request/response links, and every link is a pair of the export's tables); Python's csv and json modules read the tables. Every reading command takes our pcapng
# with the same output; export, import, export gives the same bytes; foreign files are refused.
# Usage: bash pcapng_export.sh BUILD_DIR DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
lua="$data/../../contrib/wireshark/protmon.lua"
export LC_ALL=C
source "$(dirname "${BASH_SOURCE[0]}")/wireshark.inc"
wireshark_setup "$work" "$build"
command -v tshark >/dev/null || fail "tshark is missing (scripts/install-deps.sh installs it)"

# tshark with its diagnostics kept apart; any but the note about running as root fails the test.
tshark_quiet() {
    tshark "$@" 2>"$work/tshark.err"
    if grep -v '^Running as user' "$work/tshark.err" | grep -q .; then
        cat "$work/tshark.err" >&2
        fail "tshark $*: warnings"
    fi
}

# Python checks of one recording: the comments tshark shows, the dissector's fields, the CSV and
# the JSON Lines against the rows of `decode`.
cat >"$work/check.py" <<'PY'
import csv, json, re, sys
name, decode, comments, fields, table, lines = sys.argv[1:7]
def fail(what):
    sys.exit(f"FAIL: {name}: {what}")
rows = [l.rstrip("\n").split("\t") for l in open(decode, encoding="utf-8")]
# tshark writes a TAB inside a field as \t (our texts hold no other control characters).
shown = [l.rstrip("\n") for l in open(comments, encoding="utf-8")]
want = ["\t".join(r[1:]).replace("\t", "\\t") for r in rows]
if shown != want:
    fail(f"comments differ from decode: {shown[:3]} vs {want[:3]}")
for row, f in zip(rows, (l.rstrip("\n").split("\t") for l in open(fields))):
    kind, address, service, bcc = f
    if kind != "0":
        if address or service or bcc:
            fail(f"row {row[0]}: telegram fields on a {kind} entry")
        continue
    if bcc != "good":
        fail(f"row {row[0]}: BCC {bcc}")
    if row[1] == " ":  # no address byte (some DIN66019II forms)
        if address != "0xff":
            fail(f"row {row[0]}: address {address}")
        continue
    number = re.search(r"(\d+)$", row[2]).group(1)
    if int(address, 16) != int(row[1], 16) or service != number:
        fail(f"row {row[0]}: dissector {address} {service}, decode {row[1]!r} {row[2]!r}")
with open(table, newline="", encoding="utf-8") as f:
    table_rows = list(csv.reader(f, strict=True))
if table_rows[0] != ["position", "time", "channel", "time stamp", "ID", "Function/Service",
                     "Additional", "response time", "bytes"]:
    fail(f"CSV header {table_rows[0]}")
if [r[0:1] + r[4:7] for r in table_rows[1:]] != rows:
    fail("CSV rows differ from decode")
objects = [json.loads(l) for l in open(lines, encoding="utf-8")]
if [[str(o["position"]), o["id"], o["function_service"], o["additional"]] for o in objects] != rows:
    fail("JSON Lines differ from decode")
for o, r in zip(objects, table_rows[1:]):
    if o["bytes"] != r[8] or (o["request_position"] is not None and o["kind"] != "telegram"):
        fail(f"JSON object {o['position']}")
PY

# The texts and links of the dissector: Function/Service and Additional as `decode` shows them, a
# response's request as the JSON Lines' request_position (the dissector pairs a request with its
# first response only), and each link in both directions.
cat >"$work/links.py" <<'PY'
import json, sys
name, decode, links, lines = sys.argv[1:5]
rows = [l.rstrip("\n").split("\t") for l in open(decode, encoding="utf-8")]
objects = [json.loads(l) for l in open(lines, encoding="utf-8")]
got = [l.rstrip("\n").split("\t") for l in open(links, encoding="utf-8")]
response_in = {}
for row, o, (number, function, additional, request_in, response) in zip(rows, objects, got):
    if row[2:4] != [function.replace("\\t", "\t"), additional.replace("\\t", "\t")]:
        sys.exit(f"FAIL: {name}: frame {number}: texts {function!r} {additional!r} vs {row[2:4]}")
    if request_in:
        if o["request_position"] != int(request_in) - 1:
            sys.exit(f"FAIL: {name}: frame {number}: request in {request_in}, export {o}")
        response_in[int(request_in)] = int(number)
    if response and response_in.get(int(number)) not in (None, int(response)):
        sys.exit(f"FAIL: {name}: frame {number}: response in {response}")
for request, response in response_in.items():
    if got[request - 1][4] != str(response):
        sys.exit(f"FAIL: {name}: request {request} does not link to its response {response}")
PY

# dissected OUT PCAPNG: the fields of the Lua file, then those of the compiled dissector (which
# must be equal), in OUT.fields and OUT.links.
dissected() {
    local out=$1 file=$2 script=(-X "lua_script:$lua")
    chmod 644 "$file"
    ws tshark "${script[@]}" -r "$file" -T fields -e protmon.kind -e protmon.address \
        -e protmon.service -e protmon.bcc.status >"$out.fields"
    ws tshark "${script[@]}" -2 -r "$file" -T fields -e frame.number -e protmon.function \
        -e protmon.additional -e protmon.request_in -e protmon.response_in >"$out.links"
    plugin_built || return 0
    with_plugin
    ws tshark -r "$file" -T fields -e protmon.kind -e protmon.address -e protmon.service \
        -e protmon.bcc.status | cmp - "$out.fields" || fail "$out: compiled dissector's fields"
    ws tshark -2 -r "$file" -T fields -e frame.number -e protmon.function -e protmon.additional \
        -e protmon.request_in -e protmon.response_in | cmp - "$out.links" ||
        fail "$out: compiled dissector's texts or links"
    without_plugin
}

# check NAME BU5 [DECODE OPTIONS]: exports the recording in each format and checks it.
check() {
    local name=$1 bu5=$2
    shift 2
    local out="$work/$name"
    "$cli" decode "$@" "$bu5" >"$out.decode.txt"
    "$cli" export --format pcapng "$@" "$bu5" -o "$out.pcapng"
    "$cli" export --format csv "$@" "$bu5" -o "$out.csv"
    "$cli" export --format jsonl "$@" "$bu5" -o "$out.jsonl"
    local packets
    packets=$(tshark_quiet -r "$out.pcapng" -T fields -e frame.number | wc -l)
    [ "$packets" = "$(wc -l <"$out.decode.txt")" ] || fail "$name: tshark counts $packets packets"
    tshark_quiet -r "$out.pcapng" -T fields -e frame.comment >"$out.comments"
    dissected "$out" "$out.pcapng"
    python3 "$work/check.py" "$name" "$out.decode.txt" "$out.comments" "$out.fields" \
        "$out.csv" "$out.jsonl"
    python3 "$work/links.py" "$name" "$out.decode.txt" "$out.links" "$out.jsonl"
    # Read back by every command, with the same output; exported again, the same bytes.
    "$cli" decode "$@" "$out.pcapng" | cmp - "$out.decode.txt" || fail "$name: decode of pcapng"
    "$cli" info "$out.pcapng" | cmp - <("$cli" info "$bu5") || fail "$name: info of pcapng"
    "$cli" stats "$out.pcapng" | cmp - <("$cli" stats "$bu5") || fail "$name: stats of pcapng"
    "$cli" values --list "$out.pcapng" | cmp - <("$cli" values --list "$bu5") ||
        fail "$name: values of pcapng"
    "$cli" decode --columns time,response "$@" "$out.pcapng" |
        cmp - <("$cli" decode --columns time,response "$@" "$bu5") || fail "$name: --columns"
    "$cli" export --format pcapng "$@" "$out.pcapng" -o "$out.again.pcapng"
    cmp "$out.pcapng" "$out.again.pcapng" || fail "$name: export of the import differs"
}

"$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/trx5.bu5"
check trx5 "$work/trx5.bu5"
"$cli" assemble --protocol trx5 "$data/para_stream.bin" -o "$work/para.bu5"
check para-d "$work/para.bu5" --descriptions "$data/Para0001.bin" --language d
check para-r "$work/para.bu5" --descriptions "$data/Para0001.bin" --language r
"$cli" assemble --protocol din66019ii --line-monitor "$data/din_frames.bin" -o "$work/frames.bu5"
check frames "$work/frames.bu5"
"$cli" assemble --protocol raw --line-monitor "$data/din_frames.bin" -o "$work/frames-raw.bu5"
check frames-raw "$work/frames-raw.bu5"

# Line-monitor times, response times and the pair's position as checked-in tables.
diff -u "$data/din_frames.export.csv" "$work/frames.csv" || fail "CSV of the line-monitor recording"
diff -u "$data/din_frames.export.jsonl" "$work/frames.jsonl" || fail "JSON Lines of the same"
while IFS= read -r line; do
    python3 -m json.tool <<<"$line" >/dev/null || fail "json.tool refuses: $line"
done <"$work/frames.jsonl"

# The filtered display's rows only.
"$cli" export --format csv --include 'req-rsp=rsp' "$work/trx5.bu5" -o "$work/rsp.csv"
"$cli" decode --include 'req-rsp=rsp' "$work/trx5.bu5" | cut -f1 >"$work/rsp.positions"
tail -n +2 "$work/rsp.csv" | cut -d, -f1 | diff -u "$work/rsp.positions" - || fail "--include"

# A telegram whose BCC does not match (only a damaged monitor file holds one): "bad".
python3 - "$work/badbcc.bu5" <<'PY'
import struct, sys
header = [-1, 0, 0, 0, -1, 5, 5, 8, 0, 2, 1, 1302, 8, 0, 1]
entry = struct.pack("<HH", 256, 0) + bytes([0x01, 0x10, 0x12]).ljust(50, b"\0")
open(sys.argv[1], "wb").write(struct.pack("<15i", *header) + entry)
PY
"$cli" export --format pcapng "$work/badbcc.bu5" -o "$work/badbcc.pcapng"
dissected "$work/badbcc" "$work/badbcc.pcapng"
[ "$(cat "$work/badbcc.fields")" = "0	0x01	16	bad" ] || fail "a wrong BCC is not shown as bad"

# Other programs' captures are refused with a clear message, by every reading command.
printf '0000 01 02 03 04\n' >"$work/hex.txt"
text2pcap -q "$work/hex.txt" "$work/other.pcapng" 2>/dev/null
text2pcap -q -F pcap "$work/hex.txt" "$work/other.pcap" 2>/dev/null
refused() {
    local status=0
    "$@" >/dev/null 2>"$work/err" || status=$?
    [ "$status" = 1 ] || fail "$*: status $status"
    grep -q "Not a recording written by Protocol Monitor" "$work/err" || fail "$*: no clear message"
}
for file in "$work/other.pcapng" "$work/other.pcap"; do
    refused "$cli" info "$file"
    refused "$cli" decode "$file"
    refused "$cli" export --format csv "$file" -o "$work/out"
done
[ ! -e "$work/out" ] || fail "a refused file gave an output"
echo "ok"
