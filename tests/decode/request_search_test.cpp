#include "decode/decode_test_support.h"

#include <gtest/gtest.h>

using namespace protmon;
using protmon::test::TDecodeFixture;

namespace {

// A read request of service 0 and its response, with the given address bytes.
int AddRequest(TDecodeFixture& f, int id) {
    return f.Add({id, 0x00, 0x01, 0x00, 0x01});
}
int AddResponse(TDecodeFixture& f, int id) {
    return f.Add({id, 0x80, 0, 0, 0x01, 0xF4, 0});
}

} // namespace

TEST(FindRequestForResponse, LooksBackNineEntries) {
    struct Case {
        int responsePos;
        int expected;
    };
    for (const Case c : {Case{12, 10}, Case{11, 10}, Case{19, 10}, Case{20, -1}}) {
        TDecodeFixture f;
        f.FillTo(10);
        AddRequest(f, 0x01);
        f.FillTo(c.responsePos);
        AddResponse(f, 0x01);
        EXPECT_EQ(FindRequestForResponse(f.List, c.responsePos, 0), c.expected)
            << "response at " << c.responsePos;
    }
}

TEST(FindRequestForResponse, StopsAtTheStartOfTheList) {
    TDecodeFixture f;
    AddRequest(f, 0x01);
    AddResponse(f, 0x01);
    EXPECT_EQ(FindRequestForResponse(f.List, 1, 0), 0);
    EXPECT_EQ(FindRequestForResponse(f.List, 0, 0), -1);
    EXPECT_EQ(FindRequestForResponse(f.List, 5, 0), -1);
}

TEST(FindRequestForResponse, CommBitAddressRule) {
    struct Case {
        int requestId;
        int responseId;
        bool comm;
        bool found;
    };
    const Case cases[] = {
        {0x01, 0x01, false, true},  {0x01, 0x02, false, false}, {0x01, 0x02, true, true},
        {0x01, 0x01, true, false},  {0x0F, 0x01, true, true},   {0x0F, 0x10, true, true},
        {0x0F, 0x01, false, false}, {0x02, 0x01, true, false},
    };
    for (const Case& c : cases) {
        TDecodeFixture f;
        AddRequest(f, c.requestId);
        AddResponse(f, c.responseId);
        const std::uint32_t flags = c.comm ? kSourceComm | kSourceLineMonitor : kSourceLineMonitor;
        EXPECT_EQ(FindRequestForResponse(f.List, 1, flags), c.found ? 0 : -1)
            << "request " << c.requestId << " response " << c.responseId << " comm " << c.comm;
    }
}

TEST(FindRequestForResponse, TakesTheNearestRequestWithTheMatchingServiceByte) {
    TDecodeFixture f;
    AddRequest(f, 0x01);             // 0: the oldest matching request
    AddRequest(f, 0x01);             // 1: the nearest one
    f.Add({0x01, 0x40, 0x01, 0x00}); // 2: same address, write request: passed over
    f.Add({0x01, 0x01, 0x01, 0x00}); // 3: same address, other service: passed over
    f.Add({0x02, 0x00, 0x01, 0x00}); // 4: other address
    const int response = AddResponse(f, 0x01);
    EXPECT_EQ(FindRequestForResponse(f.List, response, 0), 1);
}

// A status entry holds address byte 0; with the Comm rule it would match a response from address 1
// and its kind would pass for a service byte.
TEST(FindRequestForResponse, StatusEntriesAreNeverRequests) {
    TDecodeFixture f;
    AddRequest(f, 0x0F);
    f.Add({0x00, 0x00, 0x05});
    const int response = AddResponse(f, 0x01);
    EXPECT_EQ(FindRequestForResponse(f.List, response, kSourceComm), 0);
}

TEST(FindRequestForResponse, WriteResponsesFindWriteRequests) {
    TDecodeFixture f;
    f.Add({0x05, 0x72});
    f.Add({0x05, 0x32});
    const int response = f.Add({0x05, 0xF2});
    EXPECT_EQ(FindRequestForResponse(f.List, response, 0), 0);
    const int readResponse = f.Add({0x05, 0xB2});
    EXPECT_EQ(FindRequestForResponse(f.List, readResponse, 0), 1);
}
