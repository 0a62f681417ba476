#include "files/pair_lookup.h"

namespace protmon {

namespace {

constexpr std::int64_t kNsPerUs = 1000;

} // namespace

TPairLookup::TPairLookup(const TTelegramList& list, const TCaptureSettings& settings)
    : list_(list) {
    table_.Rebuild(list, {settings.Selection, settings.SourceFlags, settings.TimeStampResolution});
}

TPairInfo TPairLookup::At(int position) const {
    TPairInfo pair;
    const int index = ArrivalIndexOf(list_, position);
    if (index < 0 || index >= table_.Size() || table_.At(index).Role != TransactionRole::Response)
        return pair;
    const int request = table_.RequestIndex(index);
    if (request < 0)
        return pair;
    pair.RequestPosition = ListPositionOf(list_, request);
    const std::int64_t us = table_.At(index).ResponseTimeUs;
    if (us != kUnknownTime)
        pair.ResponseTime = us * kNsPerUs;
    return pair;
}

} // namespace protmon
