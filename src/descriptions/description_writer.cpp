#include "descriptions/description_writer.h"

#include "descriptions/description_format.h"

#include <algorithm>

namespace protmon {

using namespace descfile;

namespace {

// Appends little-endian fields; offsets of tables written later are patched in afterwards.
class TLeWriter {
public:
    std::size_t Pos() const { return out_.size(); }
    void U8(std::uint8_t v) { out_.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
    void Marker(const std::string& m) {
        for (std::size_t i = 0; i < kMarkerSize; ++i)
            U8(i < m.size() ? static_cast<std::uint8_t>(m[i]) : 0);
    }
    void Text(const std::string& s, std::size_t slot, std::size_t maxLength) {
        const std::size_t len = std::min(s.size(), maxLength);
        U8(static_cast<std::uint8_t>(len));
        out_.insert(out_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(len));
        Zeros(slot - 1 - len);
    }
    // Reserves an int32 offset field; Patch fills it with the current position.
    std::size_t Placeholder() {
        const std::size_t at = Pos();
        I32(0);
        return at;
    }
    void Patch(std::size_t at) {
        const auto v = static_cast<std::uint32_t>(Pos());
        for (int i = 0; i < 4; ++i)
            out_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::vector<std::uint8_t> Take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
};

void WritePlainTexts(TLeWriter& w, const std::vector<TPlainTextDef>& entries) {
    w.I32(static_cast<std::int32_t>(entries.size()));
    std::vector<std::size_t> fieldOffsets;
    for (const TPlainTextDef& e : entries) {
        w.U16(e.Type);
        fieldOffsets.push_back(e.HasFieldTable ? w.Placeholder() : (w.I32(0), 0));
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].HasFieldTable)
            continue;
        w.Patch(fieldOffsets[i]);
        const auto& fields = entries[i].Fields;
        w.I32(static_cast<std::int32_t>(fields.size()));
        std::vector<std::size_t> valueOffsets;
        for (const TFieldDef& f : fields) {
            w.I32(f.Mask);
            w.Text(f.Name, kTextSlot, kMaxText);
            valueOffsets.push_back(f.HasValueTable ? w.Placeholder() : (w.I32(0), 0));
        }
        for (std::size_t j = 0; j < fields.size(); ++j) {
            if (!fields[j].HasValueTable)
                continue;
            w.Patch(valueOffsets[j]);
            w.I32(static_cast<std::int32_t>(fields[j].Values.size()));
            for (const TValueDef& v : fields[j].Values) {
                w.I32(v.Value);
                w.U8(0);
                w.Text(v.Name, kTextSlot, kMaxText);
            }
        }
    }
}

void WriteParam(TLeWriter& w, const TParaDef& p) {
    w.I16(p.Address);
    w.U16(p.PlainTextType);
    w.Zeros(12);
    w.U32(p.Attributes);
    w.U32(p.Flags);
    w.I16(p.Multiplier);
    w.I16(p.Divisor);
    w.I16(p.Offset);
    w.U16(p.Format);
    w.Zeros(4);
    w.Text(p.Ident, kIdentSlot, kMaxIdent);
    w.U8(0);
    w.Text(p.Name, kTextSlot, kMaxText);
}

void WriteGroups(TLeWriter& w, const std::vector<TGroupDef>& groups) {
    w.I32(static_cast<std::int32_t>(groups.size()));
    std::vector<std::size_t> paraOffsets;
    for (const TGroupDef& g : groups) {
        w.Zeros(8);
        w.I16(g.BaseAddress);
        w.Text(g.Name, kTextSlot, kMaxText);
        paraOffsets.push_back(g.HasParaTable ? w.Placeholder() : (w.I32(0), 0));
    }
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (!groups[i].HasParaTable)
            continue;
        w.Patch(paraOffsets[i]);
        w.I32(static_cast<std::int32_t>(groups[i].Params.size()));
        for (const TParaDef& p : groups[i].Params)
            WriteParam(w, p);
    }
}

void WriteInfo(TLeWriter& w, const TInfoDef& info) {
    w.Text(info.Text1, kTextSlot, kMaxText);
    w.Text(info.Text2, kTextSlot, kMaxText);
    for (int i = 0; i < 5; ++i)
        w.I16(info.Words[static_cast<std::size_t>(i)]);
    for (std::int32_t l : info.Longs)
        w.I32(l);
    w.U8(info.Byte);
    for (int i = 5; i < 8; ++i)
        w.I16(info.Words[static_cast<std::size_t>(i)]);
}

void WriteNames(TLeWriter& w, const std::vector<TNameDef>& names) {
    w.I32(static_cast<std::int32_t>(names.size()));
    for (const TNameDef& n : names) {
        w.U16(n.Address);
        w.Text(n.Name, kTextSlot, kMaxText);
    }
}

void WritePlainTextNames(TLeWriter& w, const std::vector<TPlainTextNamesDef>& blocks) {
    w.I32(static_cast<std::int32_t>(blocks.size()));
    for (const TPlainTextNamesDef& b : blocks) {
        w.U16(b.Type);
        w.U16(static_cast<std::uint16_t>(b.Fields.size()));
        for (const TFieldNamesDef& f : b.Fields) {
            w.I32(f.Mask);
            w.Text(f.Name, kTextSlot, kMaxText);
            w.U16(static_cast<std::uint16_t>(f.Values.size()));
            for (const TValueDef& v : f.Values) {
                w.I32(v.Value);
                w.Text(v.Name, kTextSlot, kMaxText);
            }
        }
    }
}

} // namespace

std::vector<std::uint8_t> WriteDescriptionImage(const TDescriptionDef& def) {
    TLeWriter w;
    const bool extraField = def.Version <= kExtraTableVersion;
    w.I16(def.Version);
    w.Marker(def.Marker);
    w.I16(def.HeaderFlag ? 1 : 0);
    w.U32(def.FileId);
    const std::size_t groupAt = w.Placeholder();
    const std::size_t plainAt = w.Placeholder();
    const std::size_t infoAt = w.Placeholder();
    const std::size_t extraAt = extraField ? w.Placeholder() : 0;
    if (def.HasPlainTextTable) {
        w.Patch(plainAt);
        WritePlainTexts(w, def.PlainTexts);
    }
    if (def.HasGroupTable) {
        w.Patch(groupAt);
        WriteGroups(w, def.Groups);
    }
    if (def.Info) {
        w.Patch(infoAt);
        WriteInfo(w, *def.Info);
    }
    if (extraField && def.Extra) {
        w.Patch(extraAt);
        w.I32(1);
        w.I32(*def.Extra);
    }
    return w.Take();
}

std::vector<std::uint8_t> WriteLanguageImage(const TLanguageDef& def) {
    TLeWriter w;
    w.I16(def.Version);
    w.Marker(def.Marker);
    w.U32(def.FileId);
    w.Zeros(25);
    const std::size_t groupAt = w.Placeholder();
    const std::size_t paraAt = w.Placeholder();
    const std::size_t plainAt = w.Placeholder();
    w.Patch(groupAt);
    WriteNames(w, def.GroupNames);
    w.Patch(paraAt);
    WriteNames(w, def.ParaNames);
    w.Patch(plainAt);
    WritePlainTextNames(w, def.PlainTexts);
    return w.Take();
}

} // namespace protmon
