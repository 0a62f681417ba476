#include "descriptions/address_index.h"
#include "descriptions/cfg_list.h"
#include "descriptions/description_format.h"
#include "descriptions/le_reader.h"

namespace protmon {

using namespace descfile;

namespace {

struct TAddHeader {
    std::uint32_t FileId = 0;
    std::int32_t GroupNamesOffset = 0;
    std::int32_t ParaNamesOffset = 0;
    std::int32_t PlainTextNamesOffset = 0;
};

// Applies the names of a language file. A table at offset 0 or outside the file is absent. A
// parser that does not apply only finds out whether a table is cut short by the end of the file.
class TLanguageParser {
public:
    TLanguageParser(std::span<const std::uint8_t> bytes, TCfgRec& cfg, bool apply)
        : bytes_(bytes), in_(bytes), cfg_(cfg), apply_(apply) {}
    bool CutShort() const { return cut_; }

    void GroupNames(std::int32_t offset);
    void ParaNames(std::int32_t offset);
    void PlainTextNames(std::int32_t offset);

private:
    // Seeks to a table and reads its count; false for an absent or unreadable table.
    bool OpenTable(std::int32_t offset, std::int32_t& count);
    // True when size more bytes are there; otherwise marks the file as ended.
    bool More(std::size_t size);
    void Field(TPlainTextRec* entry);

    std::span<const std::uint8_t> bytes_;
    TLeReader in_;
    TCfgRec& cfg_;
    bool apply_;
    bool cut_ = false;
};

bool TLanguageParser::More(std::size_t size) {
    if (!in_.Has(size))
        in_.Fail();
    cut_ = cut_ || in_.Failed();
    return !in_.Failed();
}

bool TLanguageParser::OpenTable(std::int32_t offset, std::int32_t& count) {
    count = 0;
    if (offset <= 0 || static_cast<std::size_t>(offset) >= in_.Size())
        return false;
    // Each table starts afresh: a table cut short does not hide the next one.
    in_ = TLeReader(bytes_);
    in_.Seek(offset);
    // A count larger than the file can hold reads the records that are there and stops.
    count = in_.I32();
    return !in_.Failed() && count > 0;
}

void TLanguageParser::GroupNames(std::int32_t offset) {
    std::int32_t count = 0;
    if (!OpenTable(offset, count))
        return;
    for (std::int32_t i = 0; i < count && More(kAddNameRecord); ++i) {
        const std::uint16_t address = in_.U16();
        std::string name = in_.Text(kTextSlot, kMaxText);
        if (TGrpRec* g = apply_ ? cfg_.Groups.FindGroup(address) : nullptr)
            g->DisplayName = std::move(name);
    }
}

void TLanguageParser::ParaNames(std::int32_t offset) {
    std::int32_t count = 0;
    if (!OpenTable(offset, count))
        return;
    // The first parameter with each address over all groups in order, built once for the table.
    TAddressIndex<TParaRec> first;
    for (TGrpRec& g : cfg_.Groups)
        for (TParaRec& p : g.Params)
            if (p.Address >= 0)
                first.SetIfEmpty(static_cast<std::size_t>(p.Address), &p);
    for (std::int32_t i = 0; i < count && More(kAddNameRecord); ++i) {
        const std::uint16_t address = in_.U16();
        std::string name = in_.Text(kTextSlot, kMaxText);
        if (TParaRec* p = apply_ ? first.Get(address) : nullptr)
            p->DisplayName = std::move(name);
    }
}

void TLanguageParser::Field(TPlainTextRec* entry) {
    const std::int32_t mask = in_.I32();
    std::string name = in_.Text(kTextSlot, kMaxText);
    const std::uint16_t values = in_.U16();
    if (in_.Failed()) {
        cut_ = true;
        return;
    }
    TDefRec* field = entry && apply_ ? entry->Fields.FindMask(mask) : nullptr;
    if (field)
        field->DisplayName = std::move(name);
    for (std::uint16_t v = 0; v < values && More(kAddValueRecord); ++v) {
        const std::int32_t value = in_.I32();
        std::string valueName = in_.Text(kTextSlot, kMaxText);
        if (TSubRec* sub = field ? field->Values.FindValue(value) : nullptr)
            sub->DisplayName = std::move(valueName);
    }
}

void TLanguageParser::PlainTextNames(std::int32_t offset) {
    std::int32_t count = 0;
    if (!OpenTable(offset, count))
        return;
    for (std::int32_t i = 0; i < count && More(kAddBlockHeader); ++i) {
        const std::uint16_t type = in_.U16();
        const std::uint16_t fields = in_.U16();
        TPlainTextRec* entry = cfg_.PlainTexts.FindType(type);
        for (std::uint16_t f = 0; f < fields && More(kAddFieldHeader); ++f)
            Field(entry);
    }
}

} // namespace

std::int32_t TCfgRec::LoadLanguageFile(const std::string& fileName, CodePage codePage) {
    std::vector<std::uint8_t> bytes;
    if (const int error = ReadWholeFile(fileName, bytes); error != 0)
        return error;
    return LoadLanguageImage(bytes, codePage);
}

std::int32_t TCfgRec::LoadLanguageImage(std::span<const std::uint8_t> bytes, CodePage codePage) {
    TLeReader in(bytes);
    const std::int16_t version = in.I16();
    if (in.Failed() || version > kOldestVersion || !MarkerMatches(in, kAddMarker) ||
        !in.Has(kAddHeader - 2 - kMarkerSize))
        return kLangWrongKind;
    TAddHeader h;
    h.FileId = in.U32();
    if (h.FileId != FileId)
        return kLangOtherFileId;
    in.Skip(25);
    h.GroupNamesOffset = in.I32();
    h.ParaNamesOffset = in.I32();
    h.PlainTextNamesOffset = in.I32();

    // A file cut short would leave the names half in one language and half in another: it is
    // looked through first and applied only when whole.
    for (const bool apply : {false, true}) {
        TLanguageParser parser(bytes, *this, apply);
        parser.GroupNames(h.GroupNamesOffset);
        parser.ParaNames(h.ParaNamesOffset);
        parser.PlainTextNames(h.PlainTextNamesOffset);
        if (parser.CutShort())
            return kLangCutShort;
    }
    DisplayCodePage = codePage;
    return 0;
}

} // namespace protmon
