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

    // The question has Yes, No and Cancel; Cancel writes nothing at all.
    files.exportName = dir.File("none.csv");
    host.choices = {TAnswer::Cancel};
    session.Export();
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.csv")));
    EXPECT_EQ(host.questions.back(), "Export only the telegrams of the filtered display ?");
    host.choices = {TAnswer::No};
    session.Export();
    EXPECT_EQ(LineCount(dir.File("none.csv")), 1 + 4);
}

// Save and Export keep the design's box text and give the path and the system's reason as its
// detail.
TEST_F(SessionAnalysisTest, FailedWritesSayWhy) {
    AddPairs();
    files.saveName = dir.File("missing/rec.bu5");
    session.Save();
    files.exportName = dir.File("missing/rec.csv");
    files.exportFilter = 1;
    session.Export();
    ASSERT_EQ(host.errors.size(), 2u);
    EXPECT_EQ(host.errors[0], "Error writing to file");
    EXPECT_EQ(host.errors[1], "Error writing to file");
    ASSERT_EQ(host.details.size(), 2u);
    EXPECT_EQ(host.details[0], dir.File("missing/rec.bu5") + ": No such file or directory");
    EXPECT_EQ(host.details[1], dir.File("missing/rec.csv") + ": No such file or directory");
}

} // namespace
} // namespace protmon::test
