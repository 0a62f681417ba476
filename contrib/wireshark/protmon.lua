-- Dissector for recordings exported by Protocol Monitor (`protmon-cli export --format pcapng`).
-- Every packet is one entry of the telegram list: an 8-byte header of the exporter, the entry's
-- bytes, and possibly bytes left in the entry's data area from an earlier use. The decoded row
-- that the exporter stored as the packet's comment becomes the info column.
--
-- Install: copy this file into Wireshark's personal Lua plugin folder
-- (~/.local/lib/wireshark/plugins/), or use it once with `tshark -X lua_script:protmon.lua`.

local protmon = Proto("protmon", "Protocol Monitor entry")

local kinds = { [0] = "telegram", [1] = "status", [2] = "raw chunk" }
local bases = { [0] = "receive time", [1] = "line monitor time", [2] = "position" }
local classes = {
    [0] = "read request", [1] = "write request", [2] = "read response", [3] = "write response",
}
local status_kinds = {
    [1] = "BCC", [2] = "Overrun", [3] = "Framing", [4] = "Parity", [10] = "Illegal Frame",
    [128] = "write response OK", [129] = "write response error", [130] = "read response error",
    [255] = "Select",
}
-- Telegram byte that holds the count of a variable-length service, by service byte (class in
-- bits 7..6, service number in bits 5..0); the length table of the TRX5 assembler.
local count_position = {
    [0x46] = 5, [0x49] = 12, [0x4B] = 5, [0x4C] = 11,
    [0x86] = 2, [0x89] = 7, [0x8B] = 2, [0x8C] = 7,
}

local f = protmon.fields
f.kind = ProtoField.uint8("protmon.kind", "Entry kind", base.DEC, kinds)
f.length = ProtoField.uint8("protmon.length", "Entry bytes", base.DEC)
f.channel = ProtoField.uint16("protmon.channel", "Channel", base.DEC,
    { [0] = "A", [1] = "B", [256] = "no line monitor" })
f.timestamp = ProtoField.uint16("protmon.timestamp", "TimeStamp", base.HEX)
f.time_basis = ProtoField.uint8("protmon.time_basis", "Time from", base.DEC, bases)
f.marked = ProtoField.bool("protmon.marked", "Marked", 8, nil, 0x01)
f.address = ProtoField.uint8("protmon.address", "Address byte", base.HEX)
f.service_byte = ProtoField.uint8("protmon.service_byte", "Service byte", base.HEX)
f.class = ProtoField.uint8("protmon.class", "Telegram class", base.DEC, classes, 0xC0)
f.service = ProtoField.uint8("protmon.service", "Service number", base.DEC, nil, 0x3F)
f.count = ProtoField.uint8("protmon.count", "Count byte", base.DEC)
f.fields = ProtoField.bytes("protmon.fields", "Service fields")
f.bcc = ProtoField.uint8("protmon.bcc", "BCC", base.HEX)
f.bcc_status = ProtoField.string("protmon.bcc.status", "BCC status")
f.status_kind = ProtoField.uint8("protmon.status_kind", "Status kind", base.DEC, status_kinds)
f.status_count = ProtoField.uint8("protmon.status_count", "Byte count or slave", base.DEC)
f.raw_count = ProtoField.uint8("protmon.raw_count", "Raw byte count", base.DEC)
f.bytes = ProtoField.bytes("protmon.bytes", "Bytes")
f.stale = ProtoField.bytes("protmon.stale", "Bytes left from an earlier entry")

local bad_bcc = ProtoExpert.new("protmon.bcc.bad", "BCC does not match",
    expert.group.CHECKSUM, expert.severity.WARN)
protmon.experts = { bad_bcc }

local comment_field = Field.new("frame.comment")

local function dissect_telegram(tvb, tree, n)
    tree:add(f.address, tvb(0, 1))
    tree:add(f.service_byte, tvb(1, 1))
    tree:add(f.class, tvb(1, 1))
    tree:add(f.service, tvb(1, 1))
    local pos = count_position[tvb(1, 1):uint()]
    if pos ~= nil and pos < n - 1 then
        tree:add(f.count, tvb(pos, 1))
    end
    if n > 3 then
        tree:add(f.fields, tvb(2, n - 3))
    end
    local bytes = tvb:bytes(0, n)
    local bcc = 0
    for i = 0, n - 2 do
        bcc = bit32.bxor(bcc, bytes:get_index(i))
    end
    tree:add(f.bcc, tvb(n - 1, 1))
    local good = bcc == bytes:get_index(n - 1)
    local item = tree:add(f.bcc_status, tvb(n - 1, 1), good and "good" or "bad")
    if not good then
        item:add_proto_expert_info(bad_bcc)
    end
end

local function dissect_status(tvb, tree, n)
    tree:add(f.status_kind, tvb(1, 1))
    if n > 2 then
        tree:add(f.status_count, tvb(2, 1))
    end
    if n > 3 then
        tree:add(f.bytes, tvb(3, n - 3))
    end
end

local function dissect_raw(tvb, tree, n)
    tree:add(f.raw_count, tvb(0, 1))
    if n > 1 then
        tree:add(f.bytes, tvb(1, n - 1))
    end
end

local function info_text()
    local texts = {}
    for _, c in ipairs({ comment_field() }) do
        texts[#texts + 1] = tostring(c.value):gsub("\t", "  ")
    end
    return table.concat(texts, "  ")
end

function protmon.dissector(tvb, pinfo, tree)
    if tvb:len() < 8 then
        return 0
    end
    pinfo.cols.protocol = "PROTMON"
    local subtree = tree:add(protmon, tvb())
    local kind = tvb(0, 1):uint()
    local n = math.min(tvb(1, 1):uint(), tvb:len() - 8)
    subtree:add(f.kind, tvb(0, 1))
    subtree:add(f.length, tvb(1, 1))
    subtree:add(f.channel, tvb(2, 2))
    subtree:add(f.timestamp, tvb(4, 2))
    subtree:add(f.time_basis, tvb(6, 1))
    subtree:add(f.marked, tvb(7, 1))
    local entry = tvb(8, n):tvb()
    if kind == 0 and n >= 2 then
        dissect_telegram(entry, subtree, n)
    elseif kind == 1 and n >= 2 then
        dissect_status(entry, subtree, n)
    elseif kind == 2 and n >= 1 then
        dissect_raw(entry, subtree, n)
    end
    if tvb:len() > 8 + n then
        subtree:add(f.stale, tvb(8 + n))
    end
    pinfo.cols.info = info_text()
    return tvb:len()
end

local encap = (wtap_encaps and wtap_encaps.USER0) or wtap.USER0
DissectorTable.get("wtap_encap"):add(encap, protmon)
