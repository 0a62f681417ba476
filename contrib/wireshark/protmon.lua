-- Dissector for recordings exported by Protocol Monitor (`protmon-cli export --format pcapng`).
-- Every packet is one entry of the telegram list: an 8-byte header of the exporter, the entry's
-- bytes, and possibly bytes left in the entry's data area from an earlier use. The decoded row
-- that the exporter stored as the packet's comment becomes the info column and the fields
-- protmon.function and protmon.additional.
--
-- Install: copy this file into Wireshark's personal Lua plugin folder
-- (~/.local/lib/wireshark/plugins/), or use it once with `tshark -X lua_script:protmon.lua`.
--
-- The compiled dissector (protmon.so, installed by the package) gives the same fields many
-- times faster; where it is loaded, this file steps aside.
local found, compiled = pcall(Dissector.get, "protmon")
if found and compiled ~= nil then
    return
end

-- Recordings hold millions of entries: the bytes are read once as a string and every table is
-- built at load time.

local protmon = Proto("protmon", "Protocol Monitor entry")

local byte, find, sub, gsub = string.byte, string.find, string.sub, string.gsub
local bxor = bit32.bxor

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
-- bits 7..6, service number in bits 5..0); the length table of the TRX5 assembler (a unit test
-- compares these rows with it).
-- count_position begin
local count_position = {
    [0x46] = 5, [0x49] = 12, [0x4B] = 5, [0x4C] = 11,
    [0x86] = 2, [0x89] = 7, [0x8B] = 2, [0x8C] = 7,
}
-- count_position end

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
f.id = ProtoField.string("protmon.id", "ID")
f.func = ProtoField.string("protmon.function", "Function/Service")
f.additional = ProtoField.string("protmon.additional", "Additional")
f.request_in = ProtoField.framenum("protmon.request_in", "Request in", base.NONE,
    frametype.REQUEST)
f.response_in = ProtoField.framenum("protmon.response_in", "Response in", base.NONE,
    frametype.RESPONSE)
f.response_time = ProtoField.relative_time("protmon.response_time", "Response time")

local bad_bcc = ProtoExpert.new("protmon.bcc.bad", "BCC does not match",
    expert.group.CHECKSUM, expert.severity.WARN)
protmon.experts = { bad_bcc }

local comment_field = Field.new("frame.comment")

-- Request/response pairs, found on the first pass in packet order. A response belongs to the
-- nearest of the 9 entries before it that has its address and its service byte less 128
-- (status entries answer nothing); a request is answered by its first response only, a later
-- one is an orphan. Kept for later passes in a ByteArray, 7 bytes a frame: the distances to the
-- request and to the response (back + 16 * forward) and the response time in nanoseconds. Lua
-- tables of a million frames would be walked by every garbage collection, several times a packet.
local kDepth = 9
local kRecord = 7
local store, store_size = ByteArray.new(), 0
local ring_address, ring_service, ring_time, ring_answered = {}, {}, {}, {}
local ring_next = 0

-- The links can be switched off (Preferences > Protocols > PROTMON, or
-- `-o protmon.links:FALSE`) where only the entries themselves matter.
protmon.prefs.links = Pref.bool("Request/response links", true,
    "Link responses and requests (protmon.request_in, protmon.response_in, protmon.response_time)")
local links = true
function protmon.prefs_changed()
    links = protmon.prefs.links
end

function protmon.init()
    store, store_size = ByteArray.new(), 0
    ring_address, ring_service, ring_time, ring_answered = {}, {}, {}, {}
    ring_next = 0
end

-- Enters one entry into the look-back ring (address 0 for entries that are no telegram) and,
-- for a response, pairs it with its request.
local function pair_entry(frame, address, service, secs)
    local at = (frame - 1) * kRecord
    if at + kRecord > store_size then
        store_size = math.max(store_size * 2, 4096 * kRecord)
        store:set_size(store_size)
    end
    local code = 0
    if address ~= 0 and service >= 0x80 then
        for back = 1, kDepth do
            local slot = (ring_next - back) % kDepth
            local a = ring_address[slot]
            if a == nil then
                break
            end
            if a == address and ring_service[slot] + 128 == service then
                if not ring_answered[slot] then
                    ring_answered[slot] = true
                    code = back
                    local request = at - back * kRecord
                    if request >= 0 then
                        store:set_index(request, store:get_index(request) + 16 * back)
                    end
                    local ns = math.max(0, math.floor((secs - ring_time[slot]) * 1e9 + 0.5))
                    for i = 1, kRecord - 1 do
                        store:set_index(at + i, ns % 256)
                        ns = (ns - ns % 256) / 256
                    end
                end
                break
            end
        end
    end
    store:set_index(at, code)
    local slot = ring_next % kDepth
    ring_address[slot], ring_service[slot] = address, service
    ring_time[slot], ring_answered[slot] = secs, false
    ring_next = ring_next + 1
end

local function add_pair(tree, frame)
    local at = (frame - 1) * kRecord
    if at + kRecord > store_size then
        return
    end
    local code = store:get_index(at)
    if code == 0 then
        return
    end
    local back = code % 16
    if back ~= 0 then
        tree:add(f.request_in, frame - back):set_generated()
        local ns = 0
        for i = kRecord - 1, 1, -1 do
            ns = ns * 256 + store:get_index(at + i)
        end
        local nsecs = ns % 1000000000
        tree:add(f.response_time, NSTime.new((ns - nsecs) / 1000000000, nsecs)):set_generated()
    end
    if code >= 16 then
        tree:add(f.response_in, frame + (code - back) / 16):set_generated()
    end
end

local function dissect_telegram(tvb, tree, raw, n)
    tree:add(f.address, tvb(8, 1))
    tree:add(f.service_byte, tvb(9, 1))
    tree:add(f.class, tvb(9, 1))
    tree:add(f.service, tvb(9, 1))
    local pos = count_position[byte(raw, 10)]
    if pos ~= nil and pos < n - 1 then
        tree:add(f.count, tvb(8 + pos, 1))
    end
    if n > 3 then
        tree:add(f.fields, tvb(10, n - 3))
    end
    local bcc = 0
    for i = 9, 7 + n do
        bcc = bxor(bcc, byte(raw, i))
    end
    local last = tvb(7 + n, 1)
    tree:add(f.bcc, last)
    if bcc == byte(raw, 8 + n) then
        tree:add(f.bcc_status, last, "good")
    else
        tree:add(f.bcc_status, last, "bad"):add_proto_expert_info(bad_bcc)
    end
end

local function dissect_status(tvb, tree, n)
    tree:add(f.status_kind, tvb(9, 1))
    if n > 2 then
        tree:add(f.status_count, tvb(10, 1))
    end
    if n > 3 then
        tree:add(f.bytes, tvb(11, n - 3))
    end
end

local function dissect_raw(tvb, tree, n)
    tree:add(f.raw_count, tvb(8, 1))
    if n > 1 then
        tree:add(f.bytes, tvb(9, n - 1))
    end
end

-- The comment's three texts (ID, Function/Service, Additional, separated by TAB; the exporter
-- escapes a TAB inside a text) as fields.
-- They point at the whole packet (the range at hand; a new one per field costs time).
local function add_texts(tree, whole, text)
    local t1 = find(text, "\t", 1, true)
    local t2 = t1 and find(text, "\t", t1 + 1, true)
    if t2 == nil then
        return
    end
    tree:add(f.id, whole, sub(text, 1, t1 - 1))
    tree:add(f.func, whole, sub(text, t1 + 1, t2 - 1))
    tree:add(f.additional, whole, sub(text, t2 + 1))
end

function protmon.dissector(tvb, pinfo, tree)
    local len = tvb:len()
    if len < 8 then
        return 0
    end
    local raw = tvb:raw(0, len)
    local kind, count = byte(raw, 1, 2)
    local n = count < len - 8 and count or len - 8
    local frame = pinfo.number
    if links and not pinfo.visited then
        if kind == 0 and n >= 2 then
            pair_entry(frame, byte(raw, 9), byte(raw, 10), pinfo.rel_ts)
        else
            pair_entry(frame, 0, 0, 0)
        end
    end

    pinfo.cols.protocol = "PROTMON"
    local row, mark = comment_field()
    local text = row and row.value
    if text ~= nil then
        local info = gsub(text, "\t", "  ")
        if mark ~= nil then
            info = info .. "  " .. mark.value
        end
        pinfo.cols.info = info
    end

    local whole = tvb()
    local subtree = tree:add(protmon, whole)
    subtree:add(f.kind, tvb(0, 1))
    subtree:add(f.length, tvb(1, 1))
    subtree:add(f.channel, tvb(2, 2))
    subtree:add(f.timestamp, tvb(4, 2))
    subtree:add(f.time_basis, tvb(6, 1))
    subtree:add(f.marked, tvb(7, 1))
    if kind == 0 and n >= 2 then
        dissect_telegram(tvb, subtree, raw, n)
    elseif kind == 1 and n >= 2 then
        dissect_status(tvb, subtree, n)
    elseif kind == 2 and n >= 1 then
        dissect_raw(tvb, subtree, n)
    end
    if len > 8 + n then
        subtree:add(f.stale, tvb(8 + n))
    end
    if text ~= nil then
        add_texts(subtree, whole, text)
    end
    if links then
        add_pair(subtree, frame)
    end
    return len
end

local encap = (wtap_encaps and wtap_encaps.USER0) or wtap.USER0
DissectorTable.get("wtap_encap"):add(encap, protmon)
