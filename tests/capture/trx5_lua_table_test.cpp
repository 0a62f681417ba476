// The Wireshark dissector keeps its own copy of where variable-length services carry their count
// byte (Lua cannot call the assembler); this keeps the copy equal to the assembler's table.
#include "capture/trx5_length.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace protmon {
namespace {

TEST(Trx5LuaTable, CountPositionsEqualTheAssemblersLengthTable) {
    std::ifstream in(PROTMON_TEST_DATA "/../../contrib/wireshark/protmon.lua");
    ASSERT_TRUE(in) << "contrib/wireshark/protmon.lua not found";
    std::stringstream text;
    text << in.rdbuf();
    const std::string lua = text.str();
    const std::size_t begin = lua.find("-- count_position begin");
    const std::size_t end = lua.find("-- count_position end");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    const std::string rows = lua.substr(begin, end - begin);

    // Rows read "[0xNN] = P"; plain scanning, since std::regex trips GCC 12's
    // maybe-uninitialized warning in the sanitizer build.
    std::array<int, 256> luaPos{};
    int entries = 0;
    for (std::size_t at = rows.find("[0x"); at != std::string::npos; at = rows.find("[0x", at)) {
        unsigned service = 0;
        int position = 0;
        if (std::sscanf(rows.c_str() + at, "[0x%2x] = %d", &service, &position) == 2 &&
            service < 256) {
            luaPos[service] = position;
            ++entries;
        }
        at += 3;
    }
    EXPECT_GT(entries, 0);
    for (int service = 0; service < 256; ++service)
        EXPECT_EQ(luaPos[static_cast<std::size_t>(service)],
                  Trx5LengthRule(static_cast<std::uint8_t>(service)).CountPos)
            << "service byte 0x" << std::hex << service;
}

} // namespace
} // namespace protmon
