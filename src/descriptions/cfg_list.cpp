#include "descriptions/cfg_list.h"

namespace protmon {

const TParaRec* TCfgRec::FindPara(std::uint16_t address) const {
    if (!indexed_)
        return FindParaLinear(address);
    return index_.Get(address);
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

// Gives every address the answer of the linear search: the first parameter in the first group
// whose range holds it, else the first parameter with that address in any group.
void TCfgRec::BuildIndex() {
    index_.Clear();
    std::array<bool, 256> baseSeen{};
    for (const TGrpRec& g : Groups) {
        const bool homeGroup = g.BaseAddress >= 0 && (g.BaseAddress & 0x7F) == 0 &&
                               !baseSeen[static_cast<std::size_t>(g.BaseAddress) / 128];
        if (!homeGroup)
            continue;
        baseSeen[static_cast<std::size_t>(g.BaseAddress) / 128] = true;
        for (const TParaRec& p : g.Params)
            if (p.Address >= 0 && (p.Address & 0xFF80) == g.BaseAddress)
                index_.SetIfEmpty(static_cast<std::size_t>(p.Address), &p);
    }
    // The addresses no home group holds: the first parameter in list order.
    for (const TGrpRec& g : Groups)
        for (const TParaRec& p : g.Params)
            if (p.Address >= 0)
                index_.SetIfEmpty(static_cast<std::size_t>(p.Address), &p);
    indexed_ = true;
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

} // namespace protmon
