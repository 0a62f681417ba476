#include "files/monitor_header.h"

#include <gtest/gtest.h>

using namespace protmon;

TEST(MonitorHeader, EndOfTelegramTimeTextOrDefault) {
    const struct {
        const char* text;
        int baudIndex;
        std::int32_t expected;
    } cases[] = {
        {"1500", 5, 1500}, {" 42 ", 5, 42}, {"-7", 5, -7},     {"+9", 5, 9},
        {"", 5, 1302},     {"", 3, 5208},   {"12x", 0, 41667}, {"abc", 7, 25000},
        {"", 9, 25000},    {"", 13, 50},    {"", -1, 25000},   {"99999999999", 12, 100},
        {"1e3", 6, 901},
    };
    for (const auto& c : cases) {
        TLineMonitorSettings lm;
        lm.EndOfTelegramText = c.text;
        lm.BaudIndex = c.baudIndex;
        EXPECT_EQ(EndOfTelegramTimeForFile(lm), c.expected) << '"' << c.text << '"';
    }
}

TEST(MonitorHeader, MonitorBaudPacking) {
    const struct {
        int index, flag;
        std::int32_t packed;
    } cases[] = {
        {5, 0, 5}, {13, 1, 65536 + 13}, {-1, 0, -1}, {-1, 1, 65535}, {0, 1, 65536},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackMonitorBaud(c.index, c.flag), c.packed);
        int index = 99, flag = 99;
        UnpackMonitorBaud(c.packed, index, flag);
        EXPECT_EQ(index, c.index) << c.packed;
        EXPECT_EQ(flag, c.flag) << c.packed;
    }
    int index = 0, flag = 0;
    UnpackMonitorBaud(14 + 3 * 65536, index, flag); // no such item; any flag but 0 is advanced
    EXPECT_EQ(index, -1);
    EXPECT_EQ(flag, 1);
}

TEST(MonitorHeader, SourceFlagsApplyTheCheckBoxRules) {
    const struct {
        std::int32_t flags;
        bool comm, pdOut, pdIn, monitor;
        Protocol selection;
    } cases[] = {
        {0, false, false, false, false, Protocol::Raw},
        {1, true, false, false, false, Protocol::Trx5},
        {6, false, true, true, false, Protocol::Trx5},
        {8, false, false, false, true, Protocol::Raw},
        {9, false, false, false, true, Protocol::Trx5}, // Monitor last clears the operator box
    };
    for (const auto& c : cases) {
        TCaptureSettings s;
        s.Comm = true; // from an earlier use of the window
        ApplyHeaderField(s, kProtocol, 2);
        ApplyHeaderField(s, kSourceFlags, c.flags);
        EXPECT_EQ(s.SourceFlags, static_cast<std::uint32_t>(c.flags));
        EXPECT_EQ(s.Comm, c.comm) << c.flags;
        EXPECT_EQ(s.PdOut, c.pdOut) << c.flags;
        EXPECT_EQ(s.PdIn, c.pdIn) << c.flags;
        EXPECT_EQ(s.Monitor, c.monitor) << c.flags;
        EXPECT_EQ(s.Selection, c.selection) << c.flags;
    }
}

TEST(MonitorHeader, ChoicesFallBackToTheirFirstItem) {
    TCaptureSettings s;
    const struct {
        HeaderField field;
        std::int32_t value;
    } applied[] = {
        {kMonitorDataBits, 9}, {kMonitorParity, 3}, {kHandshake, 0},
        {kRawDataBits, 0},     {kRawParity, -1},    {kTimeStampIndex, 5},
        {kBaudIndex, 8},       {kProtocol, 3},      {kPortIndex, -9},
    };
    s.BaudIndex = 2;
    for (const auto& a : applied)
        ApplyHeaderField(s, a.field, a.value);
    EXPECT_EQ(s.LineMonitor.DataBits, 7);
    EXPECT_EQ(s.LineMonitor.Parity, ParityChoice::Even);
    EXPECT_EQ(s.LineMonitor.HandshakeMode, Handshake::HardwareFullDuplex);
    EXPECT_EQ(s.RawFormat.DataBits, 7);
    EXPECT_EQ(s.RawFormat.Parity, ParityChoice::Even);
    EXPECT_EQ(s.LineMonitor.TimeStampIndex, -1);
    EXPECT_EQ(s.BaudIndex, 2);
    EXPECT_EQ(s.Selection, Protocol::Trx5);
    EXPECT_EQ(s.PortIndex, -1);
}
