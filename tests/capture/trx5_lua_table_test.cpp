// The Wireshark dissector keeps its own copy of where variable-length services carry their count
// byte (Lua cannot call the assembler); this keeps the copy equal to the assembler's table.
#include "capture/trx5_length.h"

#include <array>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
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

    std::array<int, 256> luaPos{};
    const std::regex entry(R"(\[0x([0-9A-Fa-f]{2})\]\s*=\s*(\d+))");
    int entries = 0;
    for (std::sregex_iterator it(rows.begin(), rows.end(), entry), last; it != last; ++it) {
        luaPos[static_cast<std::size_t>(std::stoi((*it)[1].str(), nullptr, 16))] =
            std::stoi((*it)[2].str());
        ++entries;
    }
    EXPECT_GT(entries, 0);
    for (int service = 0; service < 256; ++service)
        EXPECT_EQ(luaPos[static_cast<std::size_t>(service)],
                  Trx5LengthRule(static_cast<std::uint8_t>(service)).CountPos)
            << "service byte 0x" << std::hex << service;
}

} // namespace
} // namespace protmon
