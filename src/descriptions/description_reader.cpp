#include "descriptions/cfg_list.h"
#include "descriptions/description_format.h"
#include "descriptions/le_reader.h"
#include "model/progress.h"

#include <system_error>

namespace protmon {

using namespace descfile;

namespace {

struct TBinHeader {
    std::int16_t Version = 0;
    bool HeaderFlag = false;
    std::uint32_t FileId = 0;
    std::int32_t GroupTableOffset = 0;
    std::int32_t PlainTextTableOffset = 0;
    std::int32_t InfoOffset = 0;
    std::int32_t ExtraOffset = 0;
};

// Version and marker; false for anything that is not a description file of a readable version.
bool ReadBinHeader(TLeReader& in, TBinHeader& h) {
    h.Version = in.I16();
    if (in.Failed() || h.Version > kOldestVersion || !MarkerMatches(in, kBinMarker))
        return false;
    h.HeaderFlag = in.I16() != 0;
    h.FileId = in.U32();
    h.GroupTableOffset = in.I32();
    h.PlainTextTableOffset = in.I32();
    h.InfoOffset = in.I32();
    if (h.Version <= kExtraTableVersion)
        h.ExtraOffset = in.I32();
    return !in.Failed();
}

// Builds one set from the file contents. Tables may share sub-tables, so the records read are
// limited to a multiple of the file size: a file whose offsets point at the same tables over and
// over fails instead of growing without bound.
class TDescriptionParser {
public:
    TDescriptionParser(TLeReader& in, TCfgRec& cfg, IProgress* progress)
        : in_(in), cfg_(cfg), progress_(progress),
          budget_(8 * static_cast<std::uint64_t>(in.Size()) + 65536) {}

    // false when cancelled; read failures show in in_.Failed().
    bool Parse(const TBinHeader& h);

private:
    bool ReadPlainTexts(std::int32_t offset);
    void ReadFields(TDefList& fields);
    void ReadValues(TSubList& values);
    bool ReadGroups(std::int32_t offset);
    void ReadParams(TParaList& params);
    void ReadInfo(std::int32_t offset);
    void ReadExtra(const TBinHeader& h);

    void StartSteps(int count);
    // Moves the progress bar (letting events run); false when the user cancelled.
    bool Step(int i);
    bool Spend(std::int32_t count, std::size_t recordSize);
    // Reads a table at offset with fn, then returns behind the offset field.
    template <class Fn>
    void AtOffset(std::int32_t offset, Fn fn) {
        const std::size_t back = in_.Pos();
        if (offset == 0 || !in_.Seek(offset))
            return;
        fn();
        if (!in_.Failed())
            in_.Seek(static_cast<std::int64_t>(back));
    }

    TLeReader& in_;
    TCfgRec& cfg_;
    IProgress* progress_;
    std::uint64_t budget_;
};

bool TDescriptionParser::Spend(std::int32_t count, std::size_t recordSize) {
    const std::uint64_t cost = static_cast<std::uint64_t>(count) * recordSize;
    if (cost > budget_) {
        in_.Fail();
        return false;
    }
    budget_ -= cost;
    return true;
}

void TDescriptionParser::StartSteps(int count) {
    if (progress_ != nullptr)
        progress_->SetMax(count);
}

bool TDescriptionParser::Step(int i) {
    if (progress_ == nullptr)
        return true;
    progress_->SetActVal(i);
    return !progress_->Cancel();
}

void TDescriptionParser::ReadValues(TSubList& values) {
    std::int32_t count = 0;
    if (!in_.Count(kValueRecord, count) || !Spend(count, kValueRecord))
        return;
    for (std::int32_t i = 0; i < count; ++i) {
        TSubRec sub;
        sub.Value = in_.I32();
        sub.Opaque = in_.U8();
        sub.ValueName = in_.Text(kTextSlot, kMaxText);
        sub.DisplayName = sub.ValueName;
        values.Add(std::move(sub));
    }
}

void TDescriptionParser::ReadFields(TDefList& fields) {
    std::int32_t count = 0;
    if (!in_.Count(kFieldRecord, count) || !Spend(count, kFieldRecord))
        return;
    for (std::int32_t i = 0; i < count && !in_.Failed(); ++i) {
        TDefRec& field = fields.AddNew();
        field.Mask = in_.I32();
        field.Name = in_.Text(kTextSlot, kMaxText);
        field.DisplayName = field.Name;
        const std::int32_t sub = in_.I32();
        AtOffset(sub, [&] { ReadValues(field.Values); });
    }
}

bool TDescriptionParser::ReadPlainTexts(std::int32_t offset) {
    bool cancelled = false;
    AtOffset(offset, [&] {
        std::int32_t count = 0;
        if (!in_.Count(kPlainTextRecord, count) || !Spend(count, kPlainTextRecord))
            return;
        StartSteps(count);
        for (std::int32_t i = 0; i < count && !in_.Failed(); ++i) {
            if (!Step(i)) {
                cancelled = true;
                return;
            }
            TPlainTextRec& entry = cfg_.PlainTexts.AddNew();
            entry.Type = in_.U16();
            const std::int32_t defs = in_.I32();
            AtOffset(defs, [&] { ReadFields(entry.Fields); });
        }
    });
    return !cancelled;
}

void TDescriptionParser::ReadParams(TParaList& params) {
    std::int32_t count = 0;
    if (!in_.Count(kParaRecord, count) || !Spend(count, kParaRecord))
        return;
    for (std::int32_t i = 0; i < count && !in_.Failed(); ++i) {
        TParaRec p;
        p.Address = in_.I16();
        p.PlainTextType = in_.U16();
        in_.Bytes(p.Opaque.data(), p.Opaque.size());
        p.Attributes = in_.U32();
        p.Flags = in_.U32();
        p.Multiplier = in_.I16();
        p.Divisor = in_.I16();
        p.Offset = in_.I16();
        p.Format = in_.U16();
        in_.Skip(4); // the link to the plain-text entry lives here in memory
        p.Ident = in_.Text(kIdentSlot, kMaxIdent);
        p.Opaque2 = in_.U8();
        p.Name = in_.Text(kTextSlot, kMaxText);
        if ((p.Flags & kFlagHidden) != 0)
            continue;
        p.DisplayName = p.Name;
        p.PlainText = cfg_.PlainTexts.FindType(p.PlainTextType);
        params.Add(std::move(p));
    }
}

bool TDescriptionParser::ReadGroups(std::int32_t offset) {
    bool cancelled = false;
    AtOffset(offset, [&] {
        std::int32_t count = 0;
        if (!in_.Count(kGroupRecord, count) || !Spend(count, kGroupRecord))
            return;
        StartSteps(count);
        for (std::int32_t i = 0; i < count && !in_.Failed(); ++i) {
            if (!Step(i)) {
                cancelled = true;
                return;
            }
            TGrpRec& g = cfg_.Groups.AddNew();
            in_.Bytes(g.Opaque.data(), g.Opaque.size());
            g.BaseAddress = in_.I16();
            g.Name = in_.Text(kTextSlot, kMaxText);
            g.DisplayName = g.Name;
            const std::int32_t paras = in_.I32();
            AtOffset(paras, [&] { ReadParams(g.Params); });
            // Groups without parameters (none, none stored, all hidden) are not kept.
            if (g.Params.Empty())
                cfg_.Groups.RemoveLast();
        }
    });
    return !cancelled;
}

void TDescriptionParser::ReadInfo(std::int32_t offset) {
    if (offset == 0 || !in_.Seek(offset) || !in_.Has(kInfoRecord)) {
        if (offset != 0)
            in_.Fail();
        return; // the set keeps the defaults of a file without info record
    }
    cfg_.InfoText1 = in_.Text(kTextSlot, kMaxText);
    cfg_.InfoText2 = in_.Text(kTextSlot, kMaxText);
    for (auto& w : cfg_.InfoWord1to5)
        w = in_.I16();
    for (auto& l : cfg_.InfoLong)
        l = in_.I32();
    cfg_.InfoByte = in_.U8();
    for (auto& w : cfg_.InfoWord6to8)
        w = in_.I16();
}

void TDescriptionParser::ReadExtra(const TBinHeader& h) {
    if (h.Version > kExtraTableVersion) {
        cfg_.ExtraWord = h.HeaderFlag ? 0xFFFF : 0x3200;
        return;
    }
    cfg_.ExtraWord = 0;
    if (h.ExtraOffset == 0 || !in_.Seek(h.ExtraOffset))
        return;
    const std::int32_t count = in_.I32();
    if (count > 0)
        cfg_.ExtraWord = static_cast<std::uint16_t>(in_.U32() & 0xFFFF);
}

bool TDescriptionParser::Parse(const TBinHeader& h) {
    cfg_.FileId = h.FileId;
    cfg_.HeaderFlag = h.HeaderFlag;
    if (!ReadPlainTexts(h.PlainTextTableOffset) || !ReadGroups(h.GroupTableOffset))
        return false;
    if (!in_.Failed())
        ReadInfo(h.InfoOffset);
    if (!in_.Failed())
        ReadExtra(h);
    return true;
}

// Shows the progress window for the time of one load and closes it on every way out.
class TProgressSession {
public:
    explicit TProgressSession(IProgress* progress) : progress_(progress) {
        if (!progress_)
            return;
        progress_->SetTitle("");
        progress_->SetText("");
        progress_->SetCancelText("");
        progress_->Show();
    }
    ~TProgressSession() {
        if (progress_)
            progress_->Close();
    }
    TProgressSession(const TProgressSession&) = delete;
    TProgressSession& operator=(const TProgressSession&) = delete;

private:
    IProgress* progress_;
};

} // namespace

std::int32_t TZXCfgList::LoadDescriptionFile(const std::string& fileName, bool showProgress) {
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(fileName, bytes) != 0)
        return kCfgReadFailed;
    std::error_code ec;
    auto date = std::filesystem::last_write_time(fileName, ec);
    if (ec)
        date = {};
    return LoadDescriptionImage(bytes, fileName, date, showProgress);
}

std::int32_t TZXCfgList::LoadDescriptionImage(std::span<const std::uint8_t> bytes,
                                              const std::string& fileName,
                                              std::filesystem::file_time_type fileDate,
                                              bool showProgress) {
    // The progress window lets events run; a second load meanwhile is refused.
    if (loading_)
        return kCfgReadFailed;
    TLeReader in(bytes);
    TBinHeader header;
    if (!ReadBinHeader(in, header))
        return kCfgReadFailed;
    if (const int existing = IndexOfFileId(header.FileId); existing >= 0)
        return existing;

    loading_ = true;
    auto cfg = std::make_unique<TCfgRec>();
    bool completed = false;
    {
        TProgressSession session(showProgress ? progress_ : nullptr);
        TDescriptionParser parser(in, *cfg, showProgress ? progress_ : nullptr);
        completed = parser.Parse(header);
    }
    loading_ = false;
    if (!completed)
        return kCfgLoadCancelled;
    if (in.Failed())
        return kCfgReadFailed;
    cfg->FileName = fileName;
    cfg->FileDate = fileDate;
    cfg->BuildIndex();
    sets_.push_back(std::move(cfg));
    return Count() - 1;
}

} // namespace protmon
