#include "descriptions/description_records.h"

namespace protmon {

namespace {

template <class List, class Pred>
auto FindFirst(List& list, Pred pred) -> decltype(list.Items(0)) {
    for (auto& item : list)
        if (pred(item))
            return &item;
    return nullptr;
}

} // namespace

const TSubRec* TSubList::FindValue(std::int32_t value) const {
    return FindFirst(*this, [value](const TSubRec& r) { return r.Value == value; });
}
TSubRec* TSubList::FindValue(std::int32_t value) {
    return FindFirst(*this, [value](const TSubRec& r) { return r.Value == value; });
}

const TDefRec* TDefList::FindMask(std::int32_t mask) const {
    return FindFirst(*this, [mask](const TDefRec& r) { return r.Mask == mask; });
}
TDefRec* TDefList::FindMask(std::int32_t mask) {
    return FindFirst(*this, [mask](const TDefRec& r) { return r.Mask == mask; });
}

const TPlainTextRec* TPlainTextList::FindType(std::uint16_t type) const {
    return FindFirst(*this, [type](const TPlainTextRec& r) { return r.Type == type; });
}
TPlainTextRec* TPlainTextList::FindType(std::uint16_t type) {
    return FindFirst(*this, [type](const TPlainTextRec& r) { return r.Type == type; });
}

// Stored addresses compare as signed, so an address with bit 15 set never matches.
const TParaRec* TParaList::FindPara(std::uint16_t address) const {
    return FindFirst(*this, [address](const TParaRec& r) { return r.Address == address; });
}
TParaRec* TParaList::FindPara(std::uint16_t address) {
    return FindFirst(*this, [address](const TParaRec& r) { return r.Address == address; });
}

const TGrpRec* TGrpList::FindGroup(std::uint16_t address) const {
    const int base = address & 0xFF80;
    return FindFirst(*this, [base](const TGrpRec& r) { return r.BaseAddress == base; });
}
TGrpRec* TGrpList::FindGroup(std::uint16_t address) {
    const int base = address & 0xFF80;
    return FindFirst(*this, [base](const TGrpRec& r) { return r.BaseAddress == base; });
}

} // namespace protmon
