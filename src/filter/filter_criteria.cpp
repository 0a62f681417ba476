#include "filter/filter_criteria.h"

namespace protmon {

namespace {

constexpr std::array<std::string_view, 17> kIdItems = {
    "All", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"};
constexpr std::array<std::string_view, 3> kReqRspItems = {"All", "Req", "Rsp"};
constexpr std::array<std::string_view, 3> kReadWriteItems = {"All", "Read", "Write"};
constexpr std::array<std::string_view, 32> kServiceItems = {
    "All", "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",
    "10",  "11", "12", "14", "16", "17", "18", "19", "20", "21", "32",
    "33",  "48", "49", "50", "51", "52", "53", "54", "55", "56"};
constexpr std::array<std::string_view, 18> kAckItems = {"All", "0 ", "1",  "2",  "3",  "4",
                                                        "5",   "6",  "7",  "8",  "9",  "10",
                                                        "11",  "12", "13", "14", "15", ">0"};

constexpr std::array<std::string_view, kValueFieldCount> kDefaultTexts = {
    "00000000h", "0000h", "00000000h", "00000000h", "0000h", "0000h"};

} // namespace

std::span<const std::string_view> IdItems() {
    return kIdItems;
}
std::span<const std::string_view> ReqRspItems() {
    return kReqRspItems;
}
std::span<const std::string_view> ReadWriteItems() {
    return kReadWriteItems;
}
std::span<const std::string_view> ServiceItems() {
    return kServiceItems;
}
std::span<const std::string_view> AcknowledgeItems() {
    return kAckItems;
}

TFilterCriteria::TFilterCriteria() {
    for (int f = 0; f < kValueFieldCount; ++f)
        Values[static_cast<std::size_t>(f)].Text =
            std::string(kDefaultTexts[static_cast<std::size_t>(f)]);
    Reset();
}

void TFilterCriteria::Reset(bool keepRxErrors) {
    IDHigh = IDLow = ReqRsp = ReadWrite = Service = Acknowledge = 0;
    for (auto& v : Values)
        v.All = true;
    SlaveSelect = true;
    if (!keepRxErrors)
        RxErrors = false;
    filterActive_ = false;
}

void TFilterCriteria::SetRxErrors(bool checked) {
    if (checked) {
        RxErrors = true;
        Reset(true);
    } else {
        RxErrors = false;
    }
}

bool TFilterCriteria::ValuesNeutral() const {
    if (Acknowledge != 0)
        return false;
    for (const auto& v : Values)
        if (!v.All)
            return false;
    return true;
}

bool TFilterCriteria::IsNeutral() const {
    return IDHigh == 0 && IDLow == 0 && ReqRsp == 0 && ReadWrite == 0 && Service == 0 &&
           ValuesNeutral() && SlaveSelect && !RxErrors;
}

} // namespace protmon
