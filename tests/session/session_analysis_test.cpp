#include "analysis/transaction_stats.h"
#include "analysis/transaction_text.h"
#include "capture/pty_pair.h"
#include "files/trend_export.h"
#include "session/session_test_support.h"
#include "support/temp_dir.h"

#include <fstream>
#include <initializer_list>
#include <map>

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
        std::vector<TTelEntry> entries;
        for (const auto& bytes : {Bytes{0x10, 0x00, 0x01}, Bytes{0x21, 0x00, 0x02},
                                  Bytes{0x21, 0x80, 0, 0, 0, 1}, Bytes{0x10, 0x80, 0, 0, 0, 1}}) {
            TTelEntry& e = entries.emplace_back();
            std::copy(bytes.begin(), bytes.end(), e.Data.begin());
        }
        session.AddEntries(entries);
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

// A request without a response and a response without a request have no partner; the status bar
// says which.
TEST_F(SessionAnalysisTest, GoToPartnerWithoutPartnerSaysWhy) {
    AddPairs();
    TTelEntry unanswered;
    const Bytes request{0x30, 0x00, 0x03};
    std::copy(request.begin(), request.end(), unanswered.Data.begin());
    session.AddEntries({unanswered});
    view.selected = 4;
    session.GoToPartner();
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 4);
    EXPECT_EQ(view.notes, std::vector<std::string>{"no reply"});

    session.Clear(false);
    TTelEntry orphan;
    const Bytes response{0x40, 0x80, 0, 0, 0, 1};
    std::copy(response.begin(), response.end(), orphan.Data.begin());
    session.AddEntries({orphan});
    view.selected = 0;
    session.GoToPartner();
    EXPECT_EQ(session.RowWindow().SelectedEntry(view.selected), 0);
    EXPECT_EQ(view.notes.back(), "no request");
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
    host.choices = {Answer::Cancel};
    session.Export();
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.csv")));
    EXPECT_EQ(host.questions.back(), "Export only the telegrams of the filtered display ?");
    host.choices = {Answer::No};
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

// Read and Import choose the file and check it before they ask "Erase all recorded telegrams ?";
// a cancelled dialog, a file that is no recording and a refused answer all keep an unsaved
// capture. A cut file is loaded, and its box says how much of it there was.
TEST_F(SessionAnalysisTest, ReadAndImportChooseAndCheckBeforeTheyErase) {
    Record(Requests(1, 4));
    ASSERT_TRUE(session.UnsavedTelegrams());
    const std::string title = session.Title();
    Bytes text(4096, 'x');
    std::copy_n("Hello", 5, text.begin());
    Bytes cut;
    for (const std::int32_t v : {-1, 0, 1, 0, -1, 5, 0, 8, 0, -1, 1, 0, 8, 0, 10})
        AppendLe32(cut, v);
    cut.resize(cut.size() + 3 * 54, 0x01);
    // The answer to the erase question: -1 none asked. The box: its text and ": " and its detail.
    const struct {
        const char* name;
        std::string file; // empty: the dialog is cancelled
        bool import;
        int answer;
        std::string box;
        int entries;
    } cases[] = {
        {"Read cancelled", "", false, -1, "", 4},
        {"Import cancelled", "", true, -1, "", 4},
        {"Read of a text file", dir.Write("text.bu5", text), false, -1,
         "Error reading from file: not a recording: the header claims 1819043144 entries", 4},
        {"Import of a text file", dir.File("text.bu5"), true, -1,
         "Error reading from file: not a recording", 4},
        {"newer version", dir.Write("v2.bu5", Bytes{0xFE, 0xFF, 0xFF, 0xFF}), false, -1,
         "Unsupported file version: 2", 4},
        {"header cut short", dir.Write("short.bu5", Bytes{0xFF, 0xFF, 0xFF, 0xFF, 8}), false, -1,
         "Error reading from file: the file ends inside its header, after 5 bytes", 4},
        {"cut file, erase refused", dir.Write("cut.bu5", cut), false, 0, "", 4},
        {"cut file, erase confirmed", dir.File("cut.bu5"), false, 1,
         "Error reading from file: loaded 3 of 10 entries", 3},
    };
    for (const auto& c : cases) {
        host.boxes.clear();
        host.details.clear();
        host.answers = {c.answer == 1};
        files.openName = files.importName = c.file;
        if (c.import)
            session.Import();
        else
            session.Read();
        std::string shown;
        for (const std::string& box : host.boxes)
            shown += box;
        for (const std::string& detail : host.details)
            shown += ": " + detail;
        const std::string question = c.answer < 0 ? "" : "Erase all recorded telegrams ?";
        EXPECT_TRUE(shown.starts_with(question + c.box)) << c.name << ": " << shown;
        EXPECT_EQ(shown.empty(), (question + c.box).empty()) << c.name;
        EXPECT_EQ(host.answers.empty(), c.answer >= 0) << c.name;
        EXPECT_EQ(session.TelegramList().Count(), c.entries) << c.name;
        if (c.entries == 4) {
            EXPECT_TRUE(session.UnsavedTelegrams()) << c.name;
            EXPECT_EQ(session.Title(), title) << c.name;
        }
    }
    EXPECT_EQ(session.CurrentFileName(), dir.File("cut.bu5"));
    EXPECT_EQ(session.Settings().BaudIndex, 5);
}

// What the list's "Response" column shows of the rows the live display just drew, as a window
// would take it when repainting.
class TLiveResponses : public TRecordingView {
public:
    explicit TLiveResponses(TMonitorSession& session) : session_(session) {}
    void LiveRowsChanged() override {
        lastTick.clear();
        for (int row = 0; row < session_.RowWindow().VisibleRows(); ++row) {
            const int position = session_.RowWindow().SelectedEntry(row);
            if (position < 0)
                continue;
            std::string time, response;
            ExtraCellTexts(session_.TelegramList(), session_.Transactions(), position, time,
                           response);
            lastTick[position] = response;
            firstShown.emplace(position, response);
        }
    }
    std::map<int, std::string> firstShown, lastTick;

private:
    TMonitorSession& session_;
};

// Read request and response of service 0 for drive `id`.
Bytes ReadRequest(std::uint8_t id) {
    return Telegram({id, 0x00, 0x20, 0x00, 0x01});
}
Bytes ReadResponse(std::uint8_t id) {
    return Telegram({id, 0x80, 0x00, 0x00, 0x01, 0xF4, 0x00});
}

// Two captures without "Clear before Start": while the second runs, the statistics count every
// entry of the list, as they do after Stop, and each response row shows its time (or "no
// request") as soon as it is drawn.
TEST_F(SessionAnalysisTest, TransactionsFollowTheCaptureLive) {
    TPtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TLiveResponses live(session);
    session.SetObserver(&live);
    session.SetClearBeforeStart(false);
    session.SetPortTexts(pty.SlavePath(), 0, 0);
    const auto capture = [&](const Bytes& bytes, int entries) {
        session.StartStop(true);
        ASSERT_TRUE(session.Capturing()) << (host.errors.empty() ? "" : host.errors.front());
        pty.Write(bytes);
        ASSERT_TRUE(PollUntil([&] { session.PollTick(); },
                              [&] { return session.TelegramList().Count() == entries; }));
    };
    capture(Concat({ReadRequest(0x10), ReadResponse(0x10), ReadRequest(0x20)}), 3);
    session.StartStop(false);

    // Drive 20 answers the request of the first capture; drive 10 answers, then its next
    // request is lost to a BCC error and that request's response finds the answered one.
    Bytes lost = ReadRequest(0x10);
    lost.back() ^= 0xFF;
    capture(Concat({ReadResponse(0x20), ReadRequest(0x10), ReadResponse(0x10), lost,
                    ReadResponse(0x10), ReadRequest(0x30), ReadResponse(0x30)}),
            10);
    const std::string during = StatisticsTableText(ComputeStatistics(session.Transactions()));
    const std::map<int, std::string> firstShown = live.firstShown, lastTick = live.lastTick;
    session.StartStop(false);
    ASSERT_FALSE(session.Capturing());

    const TTransactionTable& table = session.Transactions();
    ASSERT_EQ(table.Size(), 10);
    EXPECT_EQ(during, StatisticsTableText(ComputeStatistics(table)));
    const TTransactionStats after = ComputeStatistics(table);
    ASSERT_EQ(after.Drives.size(), 3u);
    EXPECT_EQ(after.Drives[0].Counters.Requests, 2); // 10: both captures
    EXPECT_EQ(after.Drives[0].Counters.Responses, 3);
    EXPECT_EQ(after.Drives[0].Counters.OrphanResponses, 1); // the lost request's response
    EXPECT_EQ(after.Drives[1].Counters.Unanswered, 0);      // 20: paired across the two captures

    // Responses of the second capture as first drawn, and every row as last drawn, read as
    // after Stop (the capture did not wrap, positions stay).
    for (const int position : {3, 5, 7, 9}) {
        ASSERT_TRUE(firstShown.count(position)) << position;
        EXPECT_EQ(firstShown.at(position), ResponseCellText(table, position)) << position;
        EXPECT_FALSE(firstShown.at(position).empty()) << position;
    }
    EXPECT_EQ(firstShown.at(7), kNoRequestText);
    for (const auto& [position, text] : lastTick)
        EXPECT_EQ(text, ResponseCellText(table, position)) << position;
    session.SetObserver(&view);
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
