// CSV text cells: RFC 4180 quoting, and texts a spreadsheet would run as a formula kept as text
// while numbers stay numbers.
#include "files/table_export.h"

#include <gtest/gtest.h>

using namespace protmon;

TEST(CsvCell, FormulaTextsAreNeutralisedNumbersAreNot) {
    struct Case {
        std::string_view text, always, asNeeded;
    };
    const Case cases[] = {
        {"Status", "\"Status\"", "Status"},
        {"", "\"\"", ""},
        {"a,b", "\"a,b\"", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
        // Formula starters
        {"=1+1", "\"'=1+1\"", "'=1+1"},
        {"+49 30", "\"'+49 30\"", "'+49 30"},
        {"-5 rpm", "\"'-5 rpm\"", "'-5 rpm"},
        {"@SUM(A1)", "\"'@SUM(A1)\"", "'@SUM(A1)"},
        {"\tx", "\"'\tx\"", "'\tx"},
        {"\rx", "\"'\rx\"", "\"'\rx\""},
        {"=HYPERLINK(\"x\",1)", "\"'=HYPERLINK(\"\"x\"\",1)\"", "\"'=HYPERLINK(\"\"x\"\",1)\""},
        {"-", "\"'-\"", "'-"},
        {"--5", "\"'--5\"", "'--5"},
        {"-e5", "\"'-e5\"", "'-e5"},
        // Numbers, with point or comma, exponent and sign
        {"-5", "\"-5\"", "-5"},
        {"-1.5", "\"-1.5\"", "-1.5"},
        {"-1,5", "\"-1,5\"", "\"-1,5\""},
        {"+7", "\"+7\"", "+7"},
        {"-.5", "\"-.5\"", "-.5"},
        {"-1.5e-05", "\"-1.5e-05\"", "-1.5e-05"},
        {"-1e", "\"'-1e\"", "'-1e"},
        {"1=1", "\"1=1\"", "1=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text));
        std::string always, asNeeded;
        AppendCsvCell(always, c.text, CsvQuoting::Always);
        AppendCsvCell(asNeeded, c.text, CsvQuoting::AsNeeded);
        EXPECT_EQ(always, c.always);
        EXPECT_EQ(asNeeded, c.asNeeded);
    }
}
