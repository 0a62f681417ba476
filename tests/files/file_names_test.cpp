#include "files/force_extension.h"
#include "files/row_export.h"

#include <gtest/gtest.h>

using namespace protmon;

TEST(ForceExtension, Cases) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"rec.txt", "rec.bu5"},
        {"rec", "rec.bu5"},
        {"a", "a.bu5"},
        {"rec.bu5", "rec.bu5"},
        {"/home/u/rec.txt", "/home/u/rec.bu5"},
        {"a/b.c/d", "a/b.c/d.bu5"},
        {"a.tar.gz", "a.tar.bu5"},
        {"rec.", "rec.bu5"},
        {".hidden", ".hidden.bu5"},
        {"dir/.hidden", "dir/.hidden.bu5"},
        {"dir/.hidden.txt", "dir/.hidden.bu5"},
        {"Para0001.bin", "Para0001.bu5"},
        {"", ".bu5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ForceExtension(c.in, "bu5"), c.out) << c.in;
}

TEST(RowExport, EscapesEveryByteVisibly) {
    const struct {
        std::string in;
        const char* out;
    } cases[] = {
        {"Req Read 16", "Req Read 16"},
        {"a\\b", "a\\\\b"},
        {std::string("\x00\x1f\x7f\t\r\n", 6), "\\x00\\x1F\\x7F\\x09\\x0D\\x0A"},
        {"\xb0"
         "C",
         "\xc2\xb0"
         "C"},
        {"\x80\xff", "\xc2\x80\xc3\xbf"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendEscapedText(out, c.in);
        EXPECT_EQ(out, c.out);
    }
    std::string line;
    AppendRowLine(line, "<3>", "", "AB\t", "x");
    EXPECT_EQ(line, "<3>\t\tAB\\x09\tx\n");
}
