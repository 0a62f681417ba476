// Compiled Wireshark dissector for recordings exported by Protocol Monitor: the same protocol,
// fields and info column as contrib/wireshark/protmon.lua, at a cost per packet that a recording
// of millions of entries allows. The length rule and the block check come from the assembler's
// own code, compiled in.
// Wireshark's headers declare their functions with C linkage themselves.
#include "capture/trx5_length.h"

#include <array>
#include <cstring>
#include <epan/epan.h>
#include <epan/expert.h>
#include <epan/packet.h>
#include <epan/proto.h>
#include <wiretap/wtap.h>
#include <wiretap/wtap_opttypes.h>

namespace {

int proto = -1;
int hfKind = -1, hfLength = -1, hfChannel = -1, hfTimestamp = -1, hfTimeBasis = -1;
int hfMarked = -1, hfAddress = -1, hfServiceByte = -1, hfClass = -1, hfService = -1;
int hfCount = -1, hfFields = -1, hfBcc = -1, hfBccStatus = -1, hfStatusKind = -1;
int hfStatusCount = -1, hfRawCount = -1, hfBytes = -1, hfStale = -1, hfId = -1;
int hfFunction = -1, hfAdditional = -1, hfRequestIn = -1, hfResponseIn = -1;
int hfResponseTime = -1;
gint ett = -1;
expert_field eiBadBcc = EI_INIT;

const value_string kKinds[] = {{0, "telegram"}, {1, "status"}, {2, "raw chunk"}, {0, nullptr}};
const value_string kBases[] = {
    {0, "receive time"}, {1, "line monitor time"}, {2, "position"}, {0, nullptr}};
const value_string kClasses[] = {{0, "read request"},
                                 {1, "write request"},
                                 {2, "read response"},
                                 {3, "write response"},
                                 {0, nullptr}};
const value_string kChannels[] = {{0, "A"}, {1, "B"}, {256, "no line monitor"}, {0, nullptr}};
const value_string kStatusKinds[] = {{1, "BCC"},
                                     {2, "Overrun"},
                                     {3, "Framing"},
                                     {4, "Parity"},
                                     {10, "Illegal Frame"},
                                     {128, "write response OK"},
                                     {129, "write response error"},
                                     {130, "read response error"},
                                     {255, "Select"},
                                     {0, nullptr}};

// Request/response pairs, found on the first pass in packet order: a response belongs to the
// nearest of the 9 entries before it with its address and its service byte less 128 (status
// entries answer nothing); a request is answered by its first response only.
constexpr int kDepth = 9;
struct TRingEntry {
    guint32 Frame = 0;
    guint8 Address = 0;
    guint8 Service = 0;
    bool Answered = false;
    nstime_t Time{};
};
struct TPair {
    guint32 RequestIn = 0;
    guint32 ResponseIn = 0;
    nstime_t ResponseTime{};
};
std::array<TRingEntry, kDepth> ring;
guint32 ringNext = 0;
wmem_map_t* pairs = nullptr;

void ResetPairs() {
    ring = {};
    ringNext = 0;
}

TPair* PairOf(guint32 frame) {
    auto* pair = static_cast<TPair*>(wmem_map_lookup(pairs, GUINT_TO_POINTER(frame)));
    if (pair == nullptr) {
        pair = wmem_new0(wmem_file_scope(), TPair);
        wmem_map_insert(pairs, GUINT_TO_POINTER(frame), pair);
    }
    return pair;
}

void PairEntry(guint32 frame, guint8 address, guint8 service, const nstime_t& time) {
    if (address != 0 && service >= 0x80) {
        for (guint32 back = 1; back <= kDepth && back <= ringNext; ++back) {
            TRingEntry& r = ring[(ringNext - back) % kDepth];
            if (r.Address != address || r.Service + 128 != service)
                continue;
            if (!r.Answered) {
                r.Answered = true;
                TPair* response = PairOf(frame);
                response->RequestIn = r.Frame;
                nstime_delta(&response->ResponseTime, &time, &r.Time);
                PairOf(r.Frame)->ResponseIn = frame;
            }
            break;
        }
    }
    ring[ringNext % kDepth] = {frame, address, service, false, time};
    ++ringNext;
}

void AddPair(proto_tree* tree, tvbuff_t* tvb, guint32 frame) {
    const auto* pair = static_cast<const TPair*>(wmem_map_lookup(pairs, GUINT_TO_POINTER(frame)));
    if (pair == nullptr)
        return;
    if (pair->RequestIn != 0) {
        proto_item_set_generated(
            proto_tree_add_uint(tree, hfRequestIn, tvb, 0, 0, pair->RequestIn));
        proto_item_set_generated(
            proto_tree_add_time(tree, hfResponseTime, tvb, 0, 0, &pair->ResponseTime));
    }
    if (pair->ResponseIn != 0)
        proto_item_set_generated(
            proto_tree_add_uint(tree, hfResponseIn, tvb, 0, 0, pair->ResponseIn));
}

void DissectTelegram(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, guint n) {
    const guint8* b = tvb_get_ptr(tvb, 8, n);
    proto_tree_add_item(tree, hfAddress, tvb, 8, 1, ENC_NA);
    proto_tree_add_item(tree, hfServiceByte, tvb, 9, 1, ENC_NA);
    proto_tree_add_item(tree, hfClass, tvb, 9, 1, ENC_NA);
    proto_tree_add_item(tree, hfService, tvb, 9, 1, ENC_NA);
    const guint pos = protmon::Trx5LengthRule(b[1]).CountPos;
    if (pos != 0 && pos < n - 1)
        proto_tree_add_item(tree, hfCount, tvb, 8 + static_cast<gint>(pos), 1, ENC_NA);
    if (n > 3)
        proto_tree_add_item(tree, hfFields, tvb, 10, static_cast<gint>(n - 3), ENC_NA);
    const gint last = 7 + static_cast<gint>(n);
    proto_tree_add_item(tree, hfBcc, tvb, last, 1, ENC_NA);
    const bool good = protmon::Trx5Bcc(protmon::ByteView(b, n), n - 1) == b[n - 1];
    proto_item* status =
        proto_tree_add_string(tree, hfBccStatus, tvb, last, 1, good ? "good" : "bad");
    if (!good)
        expert_add_info(pinfo, status, &eiBadBcc);
}

void DissectStatus(tvbuff_t* tvb, proto_tree* tree, guint n) {
    proto_tree_add_item(tree, hfStatusKind, tvb, 9, 1, ENC_NA);
    if (n > 2)
        proto_tree_add_item(tree, hfStatusCount, tvb, 10, 1, ENC_NA);
    if (n > 3)
        proto_tree_add_item(tree, hfBytes, tvb, 11, static_cast<gint>(n - 3), ENC_NA);
}

void DissectRaw(tvbuff_t* tvb, proto_tree* tree, guint n) {
    proto_tree_add_item(tree, hfRawCount, tvb, 8, 1, ENC_NA);
    if (n > 1)
        proto_tree_add_item(tree, hfBytes, tvb, 9, static_cast<gint>(n - 1), ENC_NA);
}

// The row comment (ID, Function/Service, Additional separated by TAB; the exporter escapes a
// TAB inside a text) as fields; the comments joined as the info column.
void AddTexts(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree) {
    const wtap_block_t block = pinfo->fd->has_modified_block
                                   ? epan_get_modified_block(pinfo->epan, pinfo->fd)
                                   : pinfo->rec->block;
    if (block == nullptr)
        return;
    char* row = nullptr;
    if (wtap_block_get_nth_string_option_value(block, OPT_COMMENT, 0, &row) != WTAP_OPTTYPE_SUCCESS)
        return;
    wmem_strbuf_t* info = wmem_strbuf_new(pinfo->pool, "");
    char* more = nullptr;
    for (guint i = 0; i == 0 || wtap_block_get_nth_string_option_value(
                                    block, OPT_COMMENT, i, &more) == WTAP_OPTTYPE_SUCCESS;
         ++i) {
        const char* text = i == 0 ? row : more;
        if (i > 0)
            wmem_strbuf_append(info, "  ");
        for (const char* c = text; *c != '\0'; ++c) {
            if (*c == '\t')
                wmem_strbuf_append(info, "  ");
            else
                wmem_strbuf_append_c(info, *c);
        }
    }
    col_add_str(pinfo->cinfo, COL_INFO, wmem_strbuf_get_str(info));
    if (tree == nullptr)
        return;
    const char* t1 = std::strchr(row, '\t');
    const char* t2 = t1 != nullptr ? std::strchr(t1 + 1, '\t') : nullptr;
    if (t2 == nullptr)
        return;
    const auto part = [&](const char* from, const char* to) {
        return wmem_strndup(pinfo->pool, from, static_cast<size_t>(to - from));
    };
    proto_item_set_generated(proto_tree_add_string(tree, hfId, tvb, 0, 0, part(row, t1)));
    proto_item_set_generated(proto_tree_add_string(tree, hfFunction, tvb, 0, 0, part(t1 + 1, t2)));
    proto_item_set_generated(proto_tree_add_string(tree, hfAdditional, tvb, 0, 0, t2 + 1));
}

int Dissect(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void*) {
    const guint len = tvb_captured_length(tvb);
    if (len < 8)
        return 0;
    const guint8 kind = tvb_get_guint8(tvb, 0);
    const guint n = std::min<guint>(tvb_get_guint8(tvb, 1), len - 8);
    const bool telegram = kind == 0 && n >= 2;
    if (!pinfo->fd->visited) {
        if (telegram)
            PairEntry(pinfo->num, tvb_get_guint8(tvb, 8), tvb_get_guint8(tvb, 9), pinfo->abs_ts);
        else
            PairEntry(pinfo->num, 0, 0, pinfo->abs_ts);
    }
    col_set_str(pinfo->cinfo, COL_PROTOCOL, "PROTMON");
    proto_item* top = proto_tree_add_item(tree, proto, tvb, 0, -1, ENC_NA);
    proto_tree* sub = proto_item_add_subtree(top, ett);
    proto_tree_add_item(sub, hfKind, tvb, 0, 1, ENC_NA);
    proto_tree_add_item(sub, hfLength, tvb, 1, 1, ENC_NA);
    proto_tree_add_item(sub, hfChannel, tvb, 2, 2, ENC_BIG_ENDIAN);
    proto_tree_add_item(sub, hfTimestamp, tvb, 4, 2, ENC_BIG_ENDIAN);
    proto_tree_add_item(sub, hfTimeBasis, tvb, 6, 1, ENC_NA);
    proto_tree_add_item(sub, hfMarked, tvb, 7, 1, ENC_NA);
    if (telegram)
        DissectTelegram(tvb, pinfo, sub, n);
    else if (kind == 1 && n >= 2)
        DissectStatus(tvb, sub, n);
    else if (kind == 2 && n >= 1)
        DissectRaw(tvb, sub, n);
    if (len > 8 + n)
        proto_tree_add_item(sub, hfStale, tvb, 8 + static_cast<gint>(n), -1, ENC_NA);
    AddTexts(tvb, pinfo, sub);
    AddPair(sub, tvb, pinfo->num);
    return static_cast<int>(len);
}

#define FIELD(hf, name, abbrev, type, display, strings, mask)                                      \
    {                                                                                              \
        &(hf), {                                                                                   \
            name, abbrev, type, display, strings, mask, nullptr, HFILL                             \
        }                                                                                          \
    }

void RegisterProtocol() {
    static hf_register_info fields[] = {
        FIELD(hfKind, "Entry kind", "protmon.kind", FT_UINT8, BASE_DEC, VALS(kKinds), 0),
        FIELD(hfLength, "Entry bytes", "protmon.length", FT_UINT8, BASE_DEC, nullptr, 0),
        FIELD(hfChannel, "Channel", "protmon.channel", FT_UINT16, BASE_DEC, VALS(kChannels), 0),
        FIELD(hfTimestamp, "TimeStamp", "protmon.timestamp", FT_UINT16, BASE_HEX, nullptr, 0),
        FIELD(hfTimeBasis, "Time from", "protmon.time_basis", FT_UINT8, BASE_DEC, VALS(kBases), 0),
        FIELD(hfMarked, "Marked", "protmon.marked", FT_BOOLEAN, 8, nullptr, 0x01),
        FIELD(hfAddress, "Address byte", "protmon.address", FT_UINT8, BASE_HEX, nullptr, 0),
        FIELD(hfServiceByte, "Service byte", "protmon.service_byte", FT_UINT8, BASE_HEX, nullptr,
              0),
        FIELD(hfClass, "Telegram class", "protmon.class", FT_UINT8, BASE_DEC, VALS(kClasses), 0xC0),
        FIELD(hfService, "Service number", "protmon.service", FT_UINT8, BASE_DEC, nullptr, 0x3F),
        FIELD(hfCount, "Count byte", "protmon.count", FT_UINT8, BASE_DEC, nullptr, 0),
        FIELD(hfFields, "Service fields", "protmon.fields", FT_BYTES, BASE_NONE, nullptr, 0),
        FIELD(hfBcc, "BCC", "protmon.bcc", FT_UINT8, BASE_HEX, nullptr, 0),
        FIELD(hfBccStatus, "BCC status", "protmon.bcc.status", FT_STRING, BASE_NONE, nullptr, 0),
        FIELD(hfStatusKind, "Status kind", "protmon.status_kind", FT_UINT8, BASE_DEC,
              VALS(kStatusKinds), 0),
        FIELD(hfStatusCount, "Byte count or slave", "protmon.status_count", FT_UINT8, BASE_DEC,
              nullptr, 0),
        FIELD(hfRawCount, "Raw byte count", "protmon.raw_count", FT_UINT8, BASE_DEC, nullptr, 0),
        FIELD(hfBytes, "Bytes", "protmon.bytes", FT_BYTES, BASE_NONE, nullptr, 0),
        FIELD(hfStale, "Bytes left from an earlier entry", "protmon.stale", FT_BYTES, BASE_NONE,
              nullptr, 0),
        FIELD(hfId, "ID", "protmon.id", FT_STRING, BASE_NONE, nullptr, 0),
        FIELD(hfFunction, "Function/Service", "protmon.function", FT_STRING, BASE_NONE, nullptr, 0),
        FIELD(hfAdditional, "Additional", "protmon.additional", FT_STRING, BASE_NONE, nullptr, 0),
        FIELD(hfRequestIn, "Request in", "protmon.request_in", FT_FRAMENUM, BASE_NONE,
              FRAMENUM_TYPE(FT_FRAMENUM_REQUEST), 0),
        FIELD(hfResponseIn, "Response in", "protmon.response_in", FT_FRAMENUM, BASE_NONE,
              FRAMENUM_TYPE(FT_FRAMENUM_RESPONSE), 0),
        FIELD(hfResponseTime, "Response time", "protmon.response_time", FT_RELATIVE_TIME, BASE_NONE,
              nullptr, 0),
    };
    static gint* trees[] = {&ett};
    static ei_register_info experts[] = {
        {&eiBadBcc, {"protmon.bcc.bad", PI_CHECKSUM, PI_WARN, "BCC does not match", EXPFILL}},
    };
    proto = proto_register_protocol("Protocol Monitor entry", "PROTMON", "protmon");
    proto_register_field_array(proto, fields, G_N_ELEMENTS(fields));
    proto_register_subtree_array(trees, G_N_ELEMENTS(trees));
    expert_register_field_array(expert_register_protocol(proto), experts, G_N_ELEMENTS(experts));
    pairs =
        wmem_map_new_autoreset(wmem_epan_scope(), wmem_file_scope(), g_direct_hash, g_direct_equal);
    register_init_routine(ResetPairs);
}

void RegisterHandoff() {
    const dissector_handle_t handle = register_dissector("protmon", Dissect, proto);
    dissector_add_uint("wtap_encap", WTAP_ENCAP_USER0, handle);
}

} // namespace

extern "C" {
WS_DLL_PUBLIC_DEF extern const gchar plugin_version[] = PROTMON_PLUGIN_VERSION;
WS_DLL_PUBLIC_DEF extern const int plugin_want_major = PROTMON_WIRESHARK_MAJOR;
WS_DLL_PUBLIC_DEF extern const int plugin_want_minor = PROTMON_WIRESHARK_MINOR;
WS_DLL_PUBLIC void plugin_register(void);

void plugin_register(void) {
    static proto_plugin plugin;
    plugin.register_protoinfo = RegisterProtocol;
    plugin.register_handoff = RegisterHandoff;
    proto_register_plugin(&plugin);
}
}
