// The command-line filter criteria reader on arbitrary text.
#include "filter/criteria_text.h"
#include "filter/filter_match.h"
#include "fuzz_check.h"

#include <string>
#include <string_view>

using namespace protmon;

namespace {

bool Same(const TFilterCriteria& a, const TFilterCriteria& b) {
    if (a.IDHigh != b.IDHigh || a.IDLow != b.IDLow || a.ReqRsp != b.ReqRsp ||
        a.ReadWrite != b.ReadWrite || a.Service != b.Service || a.Acknowledge != b.Acknowledge ||
        a.RxErrors != b.RxErrors || a.SlaveSelect != b.SlaveSelect ||
        a.FilterActive() != b.FilterActive())
        return false;
    for (int f = 0; f < kValueFieldCount; ++f)
        if (a.Values[f].All != b.Values[f].All || a.Values[f].Text != b.Values[f].Text)
            return false;
    return true;
}

bool InList(int index, std::size_t items) {
    return index >= 0 && static_cast<std::size_t>(index) < items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TFilterCriteria criteria;
    criteria.IDHigh = 3;
    criteria.Values[kFieldPD2] = {false, "12H"};
    criteria.FormDeactivate();
    const TFilterCriteria before = criteria;
    std::string error;
    if (!ParseCriteriaText(text, criteria, error)) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(Same(criteria, before));
        return 0;
    }
    // Whatever was read is something the dialog could show.
    FUZZ_CHECK(InList(criteria.IDHigh, IdItems().size()));
    FUZZ_CHECK(InList(criteria.IDLow, IdItems().size()));
    FUZZ_CHECK(InList(criteria.ReqRsp, ReqRspItems().size()));
    FUZZ_CHECK(InList(criteria.ReadWrite, ReadWriteItems().size()));
    FUZZ_CHECK(InList(criteria.Service, ServiceItems().size()));
    FUZZ_CHECK(InList(criteria.Acknowledge, AcknowledgeItems().size()));
    FUZZ_CHECK(criteria.FilterActive() == !criteria.IsNeutral());
    const std::uint8_t telegram[] = {0x01, 0x46, 0, 1, 0, 2, 0, 0x44};
    MatchTelegram(criteria, ByteView(telegram, sizeof telegram));
    return 0;
}
