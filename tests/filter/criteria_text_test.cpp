#include "filter/criteria_text.h"
#include "filter/filter_match.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

using namespace protmon;
using protmon::test::Entry;

TEST(ParseCriteriaText, SetsWhatTheDialogWould) {
    TFilterCriteria c;
    std::string error;
    ASSERT_TRUE(ParseCriteriaText(
        "id-high=a, id-low=F,req-rsp=rsp,read-write=Read,service=52,ack=0,address=2000h,"
        "data=-1,pd1=1,pd2=2,pd3=3,pd4=4,no-slave-selection",
        c, error))
        << error;
    EXPECT_EQ(c.IDHigh, 11);
    EXPECT_EQ(c.IDLow, 16);
    EXPECT_EQ(c.ReqRsp, 2);
    EXPECT_EQ(c.ReadWrite, 1);
    EXPECT_EQ(c.Service, 27);
    EXPECT_EQ(c.Acknowledge, 1);
    EXPECT_FALSE(c.Values[kFieldAddress].All);
    EXPECT_EQ(c.Values[kFieldAddress].Text, "2000h");
    EXPECT_EQ(c.Values[kFieldData].Text, "-1");
    EXPECT_EQ(c.Values[kFieldPD4].Text, "4");
    EXPECT_FALSE(c.SlaveSelect);
    EXPECT_TRUE(c.FilterActive());
}

TEST(ParseCriteriaText, StartsFromAResetFilter) {
    TFilterCriteria c;
    c.IDHigh = 4;
    c.FormDeactivate();
    std::string error;
    ASSERT_TRUE(ParseCriteriaText("", c, error));
    EXPECT_EQ(c.IDHigh, 0);
    EXPECT_FALSE(c.FilterActive());
    ASSERT_TRUE(ParseCriteriaText("ack=>0", c, error));
    EXPECT_EQ(c.Acknowledge, kAckGreaterZeroIndex);
    ASSERT_TRUE(ParseCriteriaText("service=all", c, error));
    EXPECT_FALSE(c.FilterActive());
}

TEST(ParseCriteriaText, ReceiveErrorsIgnoreTheRest) {
    TFilterCriteria c;
    std::string error;
    ASSERT_TRUE(ParseCriteriaText("id-high=5,rx-errors", c, error));
    EXPECT_TRUE(c.RxErrors);
    EXPECT_EQ(MatchTelegram(c, Entry({0, kStatusBcc, 1}).Data), kPlainMatch);
    EXPECT_EQ(MatchTelegram(c, Entry({0x50, 0x00}).Data), kNoMatch);
}

TEST(ParseCriteriaText, RejectsWhatTheDialogDoesNotOffer) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"colour=red", "unknown filter key 'colour'"},
        {"service=13", "invalid value '13' for 'service'"},
        {"service=63", "invalid value '63' for 'service'"},
        {"ack=16", "invalid value '16' for 'ack'"},
        {"id-high=G", "invalid value 'G' for 'id-high'"},
        {"id-low=10", "invalid value '10' for 'id-low'"},
        {"req-rsp=read", "invalid value 'read' for 'req-rsp'"},
        {"read-write", "invalid value '' for 'read-write'"},
        {"address", "'address' needs a value"},
        {"rx-errors=1", "'rx-errors' is a switch and takes no value"},
        {"id-high=1,,id-low=2", "empty filter criterion"},
    };
    for (const auto& c : cases) {
        TFilterCriteria criteria;
        criteria.IDLow = 7;
        std::string error;
        EXPECT_FALSE(ParseCriteriaText(c.text, criteria, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(criteria.IDLow, 7) << "unchanged on failure: " << c.text;
    }
}
