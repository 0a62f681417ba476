#include "capture/receive_buffer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace protmon;

TEST(ReceiveBuffer, ReadRoomAndConsume) {
    TReceiveBuffer b;
    EXPECT_EQ(b.ReadRoom(), kReceiveReadLimit);
    std::vector<std::uint8_t> big(12000, 0xAB);
    EXPECT_EQ(b.Append(ByteView(big.data(), big.size())), kReceiveReadLimit);
    EXPECT_EQ(b.ReadRoom(), 0);
    b.Consume(kReceiveReadLimit - 3);
    EXPECT_EQ(b.Fill(), 3);
    EXPECT_EQ(b.ReadRoom(), kReceiveReadLimit - 3);
    EXPECT_EQ(b.At(3), 0); // beyond the fill count
    b.Consume(100);
    EXPECT_EQ(b.Fill(), 0);
    b.Consume(-1);
    EXPECT_EQ(b.Fill(), 0);
}
