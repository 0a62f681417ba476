#include "descriptions/cfg_list.h"

namespace protmon {

const TParaRec* TCfgRec::FindPara(std::uint16_t address) const {
    return FindParaLinear(address);
}

const TParaRec* TCfgRec::FindParaLinear(std::uint16_t address) const {
    if (Groups.Empty())
        return nullptr;
    if (const TGrpRec* home = Groups.FindGroup(address))
        if (const TParaRec* p = home->Params.FindPara(address))
            return p;
    for (const TGrpRec& g : Groups)
        if (const TParaRec* p = g.Params.FindPara(address))
            return p;
    return nullptr;
}

void TCfgRec::BuildIndex() {}

std::int32_t TCfgRec::LoadLanguageFile(const std::string&, TCodePage) {
    return kLangWrongKind;
}
std::int32_t TCfgRec::LoadLanguageImage(std::span<const std::uint8_t>, TCodePage) {
    return kLangWrongKind;
}

TCfgRec* TZXCfgList::GetCfg(int index) {
    return index >= 0 && index < Count() ? sets_[static_cast<std::size_t>(index)].get() : nullptr;
}
const TCfgRec* TZXCfgList::GetCfg(int index) const {
    return index >= 0 && index < Count() ? sets_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TZXCfgList::RemoveCfg(int index) {
    if (index >= 0 && index < Count())
        sets_.erase(sets_.begin() + index);
}

int TZXCfgList::IndexOfFileId(std::uint32_t fileId) const {
    for (int i = 0; i < Count(); ++i)
        if (sets_[static_cast<std::size_t>(i)]->FileId == fileId)
            return i;
    return -1;
}

std::int32_t TZXCfgList::LoadDescriptionFile(const std::string&, bool) {
    return kCfgReadFailed;
}
std::int32_t TZXCfgList::LoadDescriptionImage(std::span<const std::uint8_t>, const std::string&,
                                              std::filesystem::file_time_type, bool) {
    return kCfgReadFailed;
}

} // namespace protmon
