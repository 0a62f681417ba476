#include "descriptions/cfg_list.h"

namespace protmon {

namespace {

constexpr std::size_t kAddressCount = 32768; // addresses that can be found: 0 .. 32767

} // namespace

const TParaRec* TCfgRec::FindPara(std::uint16_t address) const {
    if (index_.empty())
        return FindParaLinear(address);
    return address < kAddressCount ? index_[address] : nullptr;
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
    index_.assign(kAddressCount, nullptr);
    std::vector<const TParaRec*> anywhere(kAddressCount, nullptr);
    std::vector<bool> baseSeen(kAddressCount / 128, false);
    for (const TGrpRec& g : Groups) {
        const bool homeGroup = g.BaseAddress >= 0 && (g.BaseAddress & 0x7F) == 0 &&
                               !baseSeen[static_cast<std::size_t>(g.BaseAddress) / 128];
        if (homeGroup)
            baseSeen[static_cast<std::size_t>(g.BaseAddress) / 128] = true;
        for (const TParaRec& p : g.Params) {
            if (p.Address < 0)
                continue;
            const auto a = static_cast<std::size_t>(p.Address);
            if (!anywhere[a])
                anywhere[a] = &p;
            if (homeGroup && (a & 0xFF80) == static_cast<std::size_t>(g.BaseAddress) && !index_[a])
                index_[a] = &p;
        }
    }
    for (std::size_t a = 0; a < kAddressCount; ++a)
        if (!index_[a])
            index_[a] = anywhere[a];
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
