#include "session/session_test_support.h"
#include "support/temp_dir.h"

#include <fstream>
#include <initializer_list>

namespace protmon::test {
namespace {

// Answers "Export..." with a name and filter item, and "Import..." with a name.
class TExportChooser : public TAnsweringChooser {
public:
    std::string ExportFileName(const std::string&, const char*, int& filterIndex) override {
        filterIndex = exportFilter;
        return exportName;
    }
    std::string ImportFileName(const std::string&, const char*) override { return importName; }
    std::string exportName, importName;
    int exportFilter = 0;
};

class SessionAnalysisTest : public SessionTest {
protected:
    SessionAnalysisTest() { session.SetFileChooser(&files); }
    // Read requests of service 0 and their responses: 10h asks, 21h asks, 21h and 10h answer.
    void AddPairs() {
        for (const auto& bytes : {Bytes{0x10, 0x00, 0x01}, Bytes{0x21, 0x00, 0x02},
                                  Bytes{0x21, 0x80, 0, 0, 0, 1}, Bytes{0x10, 0x80, 0, 0, 0, 1}}) {
            TTelEntry* e = session.TelegramList().NewTelEntry();
            std::copy(bytes.begin(), bytes.end(), e->Data.begin());
        }
        session.RowWindow().UpdateScrollRange();
        session.RowWindow().RefreshRows();
    }
    int LineCount(const std::string& path) {
        std::ifstream in(path);
        int n = 0;
        for (std::string line; std::getline(in, line);)
            ++n;
        return n;
    }
    TExportChooser files;
    TTempDir dir;
};

TEST_F(SessionAnalysisTest, ExportImportPairsAndGoToPartner) {
    AddPairs();
    files.exportName = dir.File("rec.txt"); // becomes rec.pcapng
    session.Export();
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("rec.pcapng")));

    files.importName = dir.File("rec.pcapng");
    session.Import();
    ASSERT_TRUE(host.errors.empty()) << host.errors.front();
    EXPECT_EQ(session.TelegramList().Count(), 4);
    EXPECT_FALSE(session.UnsavedTelegrams());
    EXPECT_EQ(session.CurrentFileName(), dir.File("rec.pcapng"));
    EXPECT_NE(session.Title().find("rec.pcapng"), std::string::npos);
    const TTransactionTable& table = session.Transactions();
    ASSERT_EQ(table.Size(), 4);
    EXPECT_EQ(table.RequestIndex(2), 1);
    EXPECT_EQ(table.RequestIndex(3), 0);

    view.selected = 3; // the response of 10h
    session.GoToPartner();
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 0);
    session.GoToPartner();
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 3);

    // Clear empties the table with the list.
    session.Clear(false);
    EXPECT_EQ(session.Transactions().Size(), 0);
}

TEST_F(SessionAnalysisTest, FilterByDriveAndFilteredExport) {
    AddPairs();
    session.FilterByDrive(0x21);
    EXPECT_EQ(session.IncludeFilter().IDHigh, 3); // "2"
    EXPECT_EQ(session.IncludeFilter().IDLow, 2);  // "1"
    EXPECT_TRUE(session.FilteredView().FilterDisplay());
    EXPECT_EQ(session.FilteredView().FilteredCount(), 2);
    EXPECT_NE(session.Title().find("[filtered]"), std::string::npos);

    // CSV of the filtered display only (the question answered yes), then of everything.
    files.exportFilter = 1;
    files.exportName = dir.File("part.csv");
    host.answers = {true};
    session.Export();
    EXPECT_EQ(LineCount(dir.File("part.csv")), 1 + 2);
    files.exportName = dir.File("all.csv");
    host.answers = {false};
    session.Export();
    EXPECT_EQ(LineCount(dir.File("all.csv")), 1 + 4);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace protmon::test

namespace protmon::test {
namespace {

// The file type chosen in the dialog decides what "Export..." of the trend window writes and
// the extension it gets; a file that cannot be written is reported with its reason.
TEST_F(SessionAnalysisTest, TrendExportWritesTheChosenTypeWithItsExtension) {
    struct Case {
        const char* typed;
        int filter;
        const char* written;
        TrendExportFormat format;
    };
    const Case cases[] = {
        {"a.png", 0, "a.csv", TrendExportFormat::Csv}, // not CSV inside a .png
        {"b", 1, "b.png", TrendExportFormat::Png},
        {"c.csv", 2, "c.svg", TrendExportFormat::Svg},
        {"d.svg", 7, "d.svg", TrendExportFormat::Svg}, // an unknown item: the last one
    };
    for (const Case& c : cases) {
        files.exportName = dir.File(c.typed);
        files.exportFilter = c.filter;
        TrendExportFormat asked = TrendExportFormat::Csv;
        session.ExportTrend(true, [&asked](TrendExportFormat format) {
            asked = format;
            return std::string("bytes ") + TrendExportExtension(format);
        });
        EXPECT_EQ(asked, c.format) << c.typed;
        std::ifstream in(dir.File(c.written));
        std::string text;
        std::getline(in, text);
        EXPECT_EQ(text, std::string("bytes ") + TrendExportExtension(c.format)) << c.typed;
        if (std::string(c.typed) != c.written) {
            EXPECT_FALSE(std::filesystem::exists(dir.File(c.typed))) << c.typed;
        }
    }
    EXPECT_TRUE(host.errors.empty());
    // Without SVG support the PNG item is the last.
    files.exportName = dir.File("e");
    files.exportFilter = 2;
    session.ExportTrend(false, [](TrendExportFormat) { return std::string(); });
    EXPECT_TRUE(std::filesystem::exists(dir.File("e.png")));

    files.exportName = dir.File("no/such/folder/f.csv");
    files.exportFilter = 0;
    session.ExportTrend(true, [](TrendExportFormat) { return std::string("x"); });
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(dir.File("no/such/folder/f.csv")), std::string::npos);
    EXPECT_NE(host.errors[0].find("No such file or directory"), std::string::npos);
}

// Clear, Read and Import start a new recording for the analysis windows; a capture that goes on
// does not.
TEST_F(SessionAnalysisTest, RecordingNumberCountsNewRecordings) {
    const std::uint64_t start = session.RecordingNumber();
    AddPairs();
    EXPECT_EQ(session.RecordingNumber(), start);
    files.exportName = dir.File("r.pcapng");
    session.Export();
    EXPECT_EQ(session.RecordingNumber(), start);
    files.importName = dir.File("r.pcapng");
    session.Import();
    const std::uint64_t imported = session.RecordingNumber();
    EXPECT_GT(imported, start);
    session.Clear(false);
    EXPECT_GT(session.RecordingNumber(), imported);
}

} // namespace
} // namespace protmon::test
