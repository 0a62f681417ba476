// MatchTelegram with criteria built from the input against arbitrary telegram bytes.
#include "filter/filter_match.h"
#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TFilterCriteria c;
    // Indices mostly from the dialog's lists, sometimes anything at all.
    const auto index = [&in](int items) {
        return in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(0, items - 1)
                                : in.ConsumeIntegral<int>();
    };
    c.IDHigh = index(static_cast<int>(IdItems().size()));
    c.IDLow = index(static_cast<int>(IdItems().size()));
    c.ReqRsp = index(static_cast<int>(ReqRspItems().size()));
    c.ReadWrite = index(static_cast<int>(ReadWriteItems().size()));
    c.Service = index(static_cast<int>(ServiceItems().size()));
    c.Acknowledge = index(static_cast<int>(AcknowledgeItems().size()));
    for (auto& v : c.Values) {
        v.All = in.ConsumeBool();
        v.Text = in.ConsumeRandomLengthString(16);
    }
    c.SlaveSelect = in.ConsumeBool();
    if (in.ConsumeBool())
        c.SetRxErrors(true);
    c.FormDeactivate();

    const auto bytes = in.ConsumeRemainingBytes<std::uint8_t>();
    const ByteView telegram(bytes.data(), bytes.size());
    const int result = MatchTelegram(c, telegram);
    FUZZ_CHECK(result == kNoMatch || result == kPlainMatch || (result >= 0 && result <= 255));
    FUZZ_CHECK(result == TPreparedFilter(c).Match(telegram));
    // Only the first 50 bytes count.
    if (bytes.size() > 50)
        FUZZ_CHECK(result == MatchTelegram(c, telegram.sub(0, 50)));
    return 0;
}
