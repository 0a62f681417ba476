// The simulator's receiver model: what a program whose port is set up one way receives from a
// line driven another way, after the serial driver and n_tty. The expected bytes are worked out
// bit by bit from the line level (LSB first, samples in the middle of the receiver's bits; a
// sample on a bit boundary reads the later bit, as a UART's late start detection does).

#include "tools/lmsim/tty_delivery.h"
#include "tools/lmsim/uart_model.h"

#include <gtest/gtest.h>

using namespace protmon;
using namespace protmon::lmsim;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
    const char* name;
    std::uint32_t busBaud;
    const char* busFraming;
    std::uint32_t rxBaud;
    const char* rxFraming;
    Bytes sent;
    TtyInputFlags input;
    Bytes delivered;
    RxErrorCounts counts; // rx, frame, parity, brk, overrun
};

TtyInputFlags Flags(bool inpck, bool ignpar, bool parmrk, bool ignbrk = false) {
    TtyInputFlags f;
    f.inpck = inpck;
    f.ignpar = ignpar;
    f.parmrk = parmrk;
    f.ignbrk = ignbrk;
    return f;
}

const TtyInputFlags kMonitorPort{}; // INPCK, IGNPAR, PARMRK, IGNBRK off, as the monitor sets it

// 0x31 has three ones (even parity bit 1), 0xB1 four (parity bit 0): read at 7E1 the first
// takes its data bit 7 (0) as a wrong parity bit, the second its parity bit (0) as a stop bit.
const Case kCases[] = {
    {"identity 8E1",
     38400,
     "8E1",
     38400,
     "8E1",
     {0x00, 0x55, 0xFF, 0x81},
     kMonitorPort,
     {0x00, 0x55, 0xFF, 0x81},
     {4, 0, 0, 0, 0}},
    {"identity 7E1",
     9600,
     "7E1",
     9600,
     "7E1",
     {0x41, 0x7F, 0x0D},
     kMonitorPort,
     {0x41, 0x7F, 0x0D},
     {3, 0, 0, 0, 0}},
    {"receiver stop bits do not matter",
     9600,
     "8N1",
     9600,
     "8N2",
     {0xA5},
     kMonitorPort,
     {0xA5},
     {1, 0, 0, 0, 0}},
    {"8E1 read at 7E1",
     38400,
     "8E1",
     38400,
     "7E1",
     {0x31, 0xB1},
     kMonitorPort,
     {0x31, 0x31},
     {2, 1, 1, 0, 0}},
    {"8E1 read at 7E1, INPCK",
     38400,
     "8E1",
     38400,
     "7E1",
     {0x31, 0xB1},
     Flags(true, false, false),
     {0x00, 0x00},
     {2, 1, 1, 0, 0}},
    {"8E1 read at 7E1, INPCK PARMRK",
     38400,
     "8E1",
     38400,
     "7E1",
     {0x31, 0xB1},
     Flags(true, false, true),
     {0xFF, 0x00, 0x31, 0xFF, 0x00, 0x31},
     {2, 1, 1, 0, 0}},
    {"8E1 read at 7E1, INPCK IGNPAR",
     38400,
     "8E1",
     38400,
     "7E1",
     {0x31, 0xB1},
     Flags(true, true, false),
     {},
     {2, 1, 1, 0, 0}},
    {"IGNPAR without INPCK drops nothing",
     38400,
     "8E1",
     38400,
     "7E1",
     {0x31, 0xB1},
     Flags(false, true, false),
     {0x31, 0x31},
     {2, 1, 1, 0, 0}},
    {"8E1 read at 8N1",
     38400,
     "8E1",
     38400,
     "8N1",
     {0x31, 0xB1},
     kMonitorPort,
     {0x31, 0xB1},
     {2, 1, 0, 0, 0}},
    {"8E1 read at 8O1", 38400, "8E1", 38400, "8O1", {0x31}, kMonitorPort, {0x31}, {1, 0, 1, 0, 0}},
    // Each receiver bit covers half a bus bit: 0x0F is read as two characters.
    {"double rate", 9600, "8N1", 19200, "8N1", {0x0F}, kMonitorPort, {0xFE, 0x80}, {2, 0, 0, 0, 0}},
    // The nine space bits of 0x00 fill the receiver's start bit and three data bits.
    {"half rate", 9600, "8N1", 4800, "8N1", {0x00}, kMonitorPort, {0xF8}, {1, 0, 0, 0, 0}},
    // The slow start bit of 0xFF outlasts a whole fast character: a break.
    {"1200 bus read at 38400",
     1200,
     "8N1",
     38400,
     "8N1",
     {0xFF},
     kMonitorPort,
     {0x00},
     {1, 0, 0, 1, 0}},
    {"break under PARMRK",
     1200,
     "8N1",
     38400,
     "8N1",
     {0xFF},
     Flags(false, false, true),
     {0xFF, 0x00, 0x00},
     {1, 0, 0, 1, 0}},
    {"break under IGNBRK",
     1200,
     "8N1",
     38400,
     "8N1",
     {0xFF},
     Flags(false, false, false, true),
     {},
     {1, 0, 0, 1, 0}},
    // A fast start bit is over before a slow receiver checks it: a glitch, no character.
    {"38400 bus read at 1200",
     38400,
     "8N1",
     1200,
     "8N1",
     {0xFF},
     kMonitorPort,
     {},
     {0, 0, 0, 0, 0}},
    {"PARMRK doubles a received 0xFF",
     9600,
     "8N1",
     9600,
     "8N1",
     {0xFF},
     Flags(false, false, true),
     {0xFF, 0xFF},
     {1, 0, 0, 0, 0}},
    {"silence", 9600, "8E1", 19200, "7E1", {}, kMonitorPort, {}, {0, 0, 0, 0, 0}},
};

} // namespace

TEST(LmsimUartModel, WhatTheProgramReceives) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::optional<UartFraming> bus = ParseUartFraming(c.busFraming, c.busBaud);
        const std::optional<UartFraming> rx = ParseUartFraming(c.rxFraming, c.rxBaud);
        ASSERT_TRUE(bus && rx);
        Bytes delivered;
        RxErrorCounts counts;
        for (const RxChar& ch : ReceiveBurst(ByteView(c.sent.data(), c.sent.size()), *bus, *rx))
            DeliverAsKernel(ch, c.input, delivered, counts);
        EXPECT_EQ(delivered, c.delivered);
        EXPECT_EQ(counts.rx, c.counts.rx);
        EXPECT_EQ(counts.frame, c.counts.frame);
        EXPECT_EQ(counts.parity, c.counts.parity);
        EXPECT_EQ(counts.brk, c.counts.brk);
    }
}
