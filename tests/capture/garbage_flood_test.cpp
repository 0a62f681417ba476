// A line that floods garbage at full speed: every byte is consumed, nothing stalls, memory stays
// within the ring, and a telegram after the flood is still recorded.
#include "capture/capture_link.h"
#include "capture/memory_port_device.h"
#include "capture/trx5_assembler.h"
#include "capture/trx5_length.h"
#include "capture_test_support.h"

#include <gtest/gtest.h>
#include <random>

using namespace protmon;
using namespace protmon::test;

namespace {

struct FloodResult {
    int ticks = 0;
    int entries = 0;
    bool drained = false;
};

// Feeds `garbage` a serial read's worth at a time (as a flooding line fills each poll) and runs
// one assembler tick per piece, then ticks until the device queue is empty.
FloodResult Flood(const Bytes& garbage, TTelegramList& list, const Bytes& after) {
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TCaptureSettings settings;
    settings.PortText = "memory";
    EXPECT_EQ(link.OpenCapturePort(settings, 115200), kPortOk);
    TNoTrigger trigger;
    TTrx5Assembler assembler(list, link, trigger);
    FloodResult r;
    constexpr std::size_t kPiece = 4096;
    for (std::size_t pos = 0; pos < garbage.size(); pos += kPiece) {
        const std::size_t n = std::min(kPiece, garbage.size() - pos);
        device.Feed(ByteView(garbage.data() + pos, n));
        assembler.AssembleTrx5();
        ++r.ticks;
    }
    // A flood never leaves more behind than a few ticks can take.
    for (int i = 0; i < 1000 && device.Queued() > 0; ++i, ++r.ticks)
        assembler.AssembleTrx5();
    r.drained = device.Queued() == 0;
    // Two copies of the telegram: the first may be swallowed by the garbage's unfinished tail.
    device.Feed(Concat({after, after}));
    assembler.AssembleTrx5();
    r.entries = list.Count();
    return r;
}

Bytes RandomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

// Candidate starts whose length byte claims more than ever arrives before the next one: the
// worst case for resynchronising, where each status entry can drop only one byte.
Bytes LongClaims(std::size_t n) {
    Bytes out;
    while (out.size() < n)
        for (std::uint8_t b : {0x01, 0x49, 0x01, 0x86, 0xF0, 0x4C})
            out.push_back(b);
    out.resize(n);
    return out;
}

// A stored telegram is whole with a good BCC, and the bytes behind it are 0: all 49 bytes XOR to 0.
void ExpectOnlyStatusOrGoodTelegrams(const TTelegramList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        const TTelEntry& e = *list.At(i);
        if (e.Data[0] != 0) {
            EXPECT_EQ(Trx5Bcc(e.Data, kMaxStoredTelegram), 0) << i;
        }
    }
}

} // namespace

TEST(GarbageFlood, MegabytesOfGarbageAreConsumedWithinTheRing) {
    const Bytes telegram = Telegram({0x05, 0x10});
    struct Case {
        const char* name;
        Bytes garbage;
    } cases[] = {
        {"random", RandomBytes(4u << 20, 7)},
        {"long length claims", LongClaims(1u << 20)},
        {"all 0xFF", Bytes(1u << 20, 0xFF)},
        {"all zero", Bytes(1u << 20, 0x00)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTelegramList list;
        list.SetBufferDepth(1000);
        const FloodResult r = Flood(c.garbage, list, telegram);
        EXPECT_TRUE(r.drained);
        EXPECT_LE(list.Count(), list.Capacity());
        ExpectOnlyStatusOrGoodTelegrams(list);
        // The telegram that follows the flood is recorded whole.
        list.UnwrapTelegramList();
        ASSERT_GT(list.Count(), 0);
        EXPECT_EQ(EntryBytes(*list.At(list.Count() - 1), 3), telegram);
    }
}
