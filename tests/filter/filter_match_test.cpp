#include "filter/filter_match.h"
#include "filter_test_support.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace protmon;
using protmon::test::Entry;

namespace {

using Setup = std::function<void(TFilterCriteria&)>;

void On(TFilterCriteria& c, ValueField f, const char* text) {
    c.Values[f].All = false;
    c.Values[f].Text = text;
}

// List indices of the dialog's items used below.
constexpr int kIdx0 = 1, kIdx5 = 6, kIdxA = 11, kIdx1 = 2;
constexpr int kReq = 1, kRsp = 2, kRead = 1;
constexpr int kService18 = 17;
constexpr int kAck0 = 1, kAck3 = 4;

struct MatchCase {
    const char* name;
    Setup setup;
    TTelEntry entry;
    int expected;
};

const TTelEntry kReadReq0 = Entry({0x12, 0x00, 0x20, 0x00, 0x32});
const TTelEntry kReadRsp0Ack0 = Entry({0x12, 0x80, 0, 0, 0, 5, 0, 0x97});
const TTelEntry kReadRsp0Ack3 = Entry({0x12, 0x80, 0, 0, 0, 5, 3, 0x94});
const TTelEntry kBcc = Entry({0, kStatusBcc, 3, 1, 2, 3});
const TTelEntry kIllegal = Entry({0, kStatusIllegalFrame, 1, 9});
const TTelEntry kWriteOk = Entry({0, kStatusWriteOk, 0});
const TTelEntry kSelect = Entry({0, kStatusSelect, 5});
// Write request service 1: address 0x0102, value FFFFFFFFh.
const TTelEntry kWriteReq1 = Entry({0x12, 0x41, 0x01, 0x02, 0xFF, 0xFF, 0xFF, 0xFF});
// Write request service 17: four 16-bit process data, the third FFFFh.
const TTelEntry kWriteReq17 = Entry({0x12, 0x51, 0, 1, 0, 2, 0xFF, 0xFF, 0, 4});
// Service 52 sent with the read-request class bits: still the write-request layout.
const TTelEntry kReq52 = Entry({0x12, 0x34, 0x12, 0x34, 0, 0, 0, 0, 0, 0});
// Service 52 response with read-response class bits: write-response layout, acknowledge Data[10].
const TTelEntry kRsp52 = Entry({0x12, 0xB4, 0, 0, 0, 0, 0, 0, 0, 0, 7});
// Write request service 16: two 32-bit process data, no third or fourth.
const TTelEntry kWriteReq16 = Entry({0x12, 0x50, 0, 0, 0, 1, 0, 0, 0, 2});

TTelEntry ReadRsp6WithCount(std::uint8_t count) {
    TTelEntry e = Entry({0x12, 0x86, count});
    e.Data[kFilterMarkIndex] = 0; // a stale mark must never be read as the acknowledge
    return e;
}

const std::vector<MatchCase>& Cases() {
    static const std::vector<MatchCase> cases = {
        {"reset passes telegram", [](auto&) {}, kReadReq0, kPlainMatch},
        {"reset passes receive error", [](auto&) {}, kBcc, kPlainMatch},
        {"reset passes slave selection", [](auto&) {}, kSelect, kPlainMatch},

        {"rx errors rejects telegram", [](auto& c) { c.SetRxErrors(true); }, kReadReq0, kNoMatch},
        {"rx errors takes BCC", [](auto& c) { c.SetRxErrors(true); }, kBcc, kPlainMatch},
        {"rx errors takes illegal frame", [](auto& c) { c.SetRxErrors(true); }, kIllegal,
         kPlainMatch},
        {"rx errors takes kind 128", [](auto& c) { c.SetRxErrors(true); }, kWriteOk, kPlainMatch},
        {"rx errors rejects selection", [](auto& c) { c.SetRxErrors(true); }, kSelect, kNoMatch},
        {"rx errors ignores other criteria",
         [](auto& c) {
             c.IDHigh = kIdxA;
             c.RxErrors = true;
         },
         kBcc, kPlainMatch},

        {"no slave selection rejects it", [](auto& c) { c.SlaveSelect = false; }, kSelect,
         kNoMatch},
        {"selection ignores header criteria", [](auto& c) { c.IDHigh = kIdxA; }, kSelect,
         kPlainMatch},
        {"status entry has ID 0", [](auto& c) { c.IDHigh = kIdx0; }, kBcc, kPlainMatch},
        {"status entry is not ID 1", [](auto& c) { c.IDHigh = kIdx1; }, kBcc, kNoMatch},

        {"id high A low end", [](auto& c) { c.IDHigh = kIdxA; }, Entry({0xA0, 0}), kPlainMatch},
        {"id high A high end", [](auto& c) { c.IDHigh = kIdxA; }, Entry({0xAF, 0}), kPlainMatch},
        {"id high A rejects B0", [](auto& c) { c.IDHigh = kIdxA; }, Entry({0xB0, 0}), kNoMatch},
        {"id low 5", [](auto& c) { c.IDLow = kIdx5; }, Entry({0x35, 0}), kPlainMatch},
        {"id low 5 rejects 0x53", [](auto& c) { c.IDLow = kIdx5; }, Entry({0x53, 0}), kNoMatch},
        {"DIN slave 5", [](auto& c) { c.IDHigh = kIdx5; }, Entry({0x50, 0x80}), kPlainMatch},

        {"service 18 rsp read", [](auto& c) { c.Service = kService18, c.ReqRsp = kRsp; },
         Entry({1, 0x92}), kPlainMatch},
        {"service 18 rsp write", [](auto& c) { c.Service = kService18, c.ReqRsp = kRsp; },
         Entry({1, 0xD2}), kPlainMatch},
        {"service 18 rejects request", [](auto& c) { c.Service = kService18, c.ReqRsp = kRsp; },
         Entry({1, 0x12}), kNoMatch},
        {"service 18 rsp read only",
         [](auto& c) { c.Service = kService18, c.ReqRsp = kRsp, c.ReadWrite = kRead; },
         Entry({1, 0xD2}), kNoMatch},
        {"req wants bit 7 clear", [](auto& c) { c.ReqRsp = kReq; }, Entry({1, 0x80}), kNoMatch},

        {"ack >0 rejects 0", [](auto& c) { c.Acknowledge = kAckGreaterZeroIndex; }, kReadRsp0Ack0,
         kNoMatch},
        {"ack >0 takes 3", [](auto& c) { c.Acknowledge = kAckGreaterZeroIndex; }, kReadRsp0Ack3,
         0x80},
        {"ack >0 returns before address",
         [](auto& c) {
             c.Acknowledge = kAckGreaterZeroIndex;
             On(c, kFieldAddress, "2000h");
         },
         kReadRsp0Ack3, 0x80},
        {"ack 3 with address rejects response",
         [](auto& c) {
             c.Acknowledge = kAck3;
             On(c, kFieldAddress, "2000h");
         },
         kReadRsp0Ack3, kNoMatch},
        {"ack 3", [](auto& c) { c.Acknowledge = kAck3; }, kReadRsp0Ack3, 0x80},
        {"ack rejects requests", [](auto& c) { c.Acknowledge = kAck0; }, kReadReq0, kNoMatch},
        {"ack with header mismatch", [](auto& c) { c.Acknowledge = kAck3, c.IDLow = kIdx5; },
         kReadRsp0Ack3, kNoMatch},

        {"address hex", [](auto& c) { On(c, kFieldAddress, "2000h"); }, kReadReq0, 0x00},
        {"address decimal", [](auto& c) { On(c, kFieldAddress, "8192"); }, kReadReq0, 0x00},
        {"address rejects response", [](auto& c) { On(c, kFieldAddress, "0"); }, kReadRsp0Ack0,
         kNoMatch},
        {"16-bit address never above FFFFh", [](auto& c) { On(c, kFieldAddress, "12000h"); },
         kReadReq0, kNoMatch},
        {"32-bit data as pattern hex", [](auto& c) { On(c, kFieldData, "FFFFFFFFh"); }, kWriteReq1,
         0x41},
        {"32-bit data as pattern decimal", [](auto& c) { On(c, kFieldData, "-1"); }, kWriteReq1,
         0x41},
        {"data and address together",
         [](auto& c) {
             On(c, kFieldData, "-1");
             On(c, kFieldAddress, "0102h");
         },
         kWriteReq1, 0x41},
        {"16-bit value zero-extended", [](auto& c) { On(c, kFieldPD3, "FFFFh"); }, kWriteReq17,
         0x51},
        {"16-bit value is not -1", [](auto& c) { On(c, kFieldPD3, "-1"); }, kWriteReq17, kNoMatch},
        {"pd4 not carried by service 16", [](auto& c) { On(c, kFieldPD4, "0"); }, kWriteReq16,
         kNoMatch},
        {"pd2 of service 16", [](auto& c) { On(c, kFieldPD2, "2"); }, kWriteReq16, 0x50},

        {"service 52 request uses write rows", [](auto& c) { On(c, kFieldPD1, "1234h"); }, kReq52,
         0x34},
        {"service 52 read bit still tested raw",
         [](auto& c) {
             On(c, kFieldPD1, "1234h");
             c.ReadWrite = kRead;
         },
         kReq52, 0x34},
        {"service 52 response uses write rows", [](auto& c) { c.Acknowledge = 8; }, kRsp52, 0xB4},

        {"ack inside the stored bytes", [](auto& c) { c.Acknowledge = kAck0; },
         ReadRsp6WithCount(2), 0x86},
        {"ack at the filter mark is not carried", [](auto& c) { c.Acknowledge = kAck0; },
         ReadRsp6WithCount(47), kNoMatch},
        {"ack beyond the entry is not carried", [](auto& c) { c.Acknowledge = kAck0; },
         ReadRsp6WithCount(250), kNoMatch},
        // Criteria that did not come from the dialog's list (found by fuzzing: overflowed).
        {"ack index below the list", [](auto& c) { c.Acknowledge = INT32_MIN; }, kReadRsp0Ack0,
         kNoMatch},
    };
    return cases;
}

} // namespace

TEST(MatchTelegram, Table) {
    for (const MatchCase& c : Cases()) {
        TFilterCriteria criteria;
        c.setup(criteria);
        EXPECT_EQ(MatchTelegram(criteria, c.entry.Data), c.expected) << c.name;
    }
}

TEST(FilterCriteria, ActiveOnlyAfterDeactivationAndClearedByReset) {
    TFilterCriteria c;
    EXPECT_FALSE(c.FilterActive());
    c.Values[kFieldPD2].All = false;
    EXPECT_FALSE(c.FilterActive()); // not until the dialog loses activation
    c.FormDeactivate();
    EXPECT_TRUE(c.FilterActive());
    c.Values[kFieldPD2].Text = "77";
    c.ResetFilterClick();
    EXPECT_FALSE(c.FilterActive());
    EXPECT_TRUE(c.Values[kFieldPD2].All);
    EXPECT_EQ(c.Values[kFieldPD2].Text, "77"); // texts survive a reset

    c.SlaveSelect = false;
    c.FormDeactivate();
    EXPECT_TRUE(c.FilterActive());
}

TEST(FilterCriteria, CheckingReceiveErrorsResetsTheRest) {
    TFilterCriteria c;
    c.IDHigh = 3;
    c.Values[kFieldAddress].All = false;
    c.SlaveSelect = false;
    c.SetRxErrors(true);
    EXPECT_TRUE(c.RxErrors);
    EXPECT_EQ(c.IDHigh, 0);
    EXPECT_TRUE(c.Values[kFieldAddress].All);
    EXPECT_TRUE(c.SlaveSelect);
    c.IDLow = 2;
    c.SetRxErrors(false); // unchecking changes nothing else
    EXPECT_EQ(c.IDLow, 2);
    EXPECT_FALSE(c.RxErrors);
}

TEST(MatchTelegram, AnyBytesGiveOneOfTheThreeResults) {
    std::vector<TFilterCriteria> filters(4);
    filters[1].Acknowledge = kAckGreaterZeroIndex;
    for (auto& v : filters[2].Values)
        v = {false, "0"};
    filters[3].Acknowledge = 1;
    filters[3].Values[kFieldPD1] = {false, "0"};
    std::uint32_t seed = 99;
    for (int n = 0; n < 20000; ++n) {
        TTelEntry e;
        for (auto& b : e.Data) {
            seed = seed * 1664525u + 1013904223u;
            b = static_cast<std::uint8_t>(seed >> 24);
        }
        for (const auto& f : filters) {
            const int r = MatchTelegram(f, e.Data);
            ASSERT_TRUE(r == kNoMatch || r == kPlainMatch || r == e.Data[1]) << r;
        }
    }
}
