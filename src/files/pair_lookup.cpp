#include "files/pair_lookup.h"

#include "decode/decode_row.h"
#include "files/entry_bytes.h"

namespace protmon {

namespace {

constexpr std::uint8_t kResponseBit = 0x80;

} // namespace

TPairInfo LookUpPair(const TTelegramList& list, const TEntryTimes& times, int position,
                     const TCaptureSettings& settings) {
    TPairInfo pair;
    const TTelEntry* e = list.At(position);
    if (e == nullptr || EntryKindOf(*e, settings.Selection) != EntryKind::Telegram ||
        (e->Data[1] & kResponseBit) == 0)
        return pair;
    pair.RequestPosition = FindRequestForResponse(list, position, settings.SourceFlags);
    if (pair.RequestPosition >= 0)
        pair.ResponseTime = times.Between(pair.RequestPosition, position);
    return pair;
}

} // namespace protmon
