#include "analysis/transaction_text.h"
#include "support/temp_dir.h"
#include "ui/analysis_menu.h"
#include "ui/main_menus.h"
#include "ui/response_times_window.h"
#include "ui/statistics_window.h"
#include "ui/trends_window.h"
#include "ui/window_fixture.h"

#include <QMenu>
#include <QMenuBar>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTreeView>

using namespace protmon;
using namespace protmon::uitest;

namespace {

// Answers "Export..." (pcapng) and "Import..." with one file.
class TOneFileChooser : public TNoFileChooser {
public:
    std::string ExportFileName(const std::string&, const char*, int& filterIndex) override {
        filterIndex = 0;
        return path;
    }
    std::string ImportFileName(const std::string&, const char*) override { return path; }
    std::string SaveFileName(const std::string&, const std::string&) override { return path; }
    std::string OpenFileName(const std::string&) override { return path; }
    std::string path;
};

int SelectedEntry(TMyMonitor& w) {
    return w.Session().RowWindow().SelectedEntry(w.ListView()->SelectedRow());
}

QStringList Captions(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions)
        out.append(a->text());
    return out;
}

} // namespace

class AnalysisMenuTest : public QObject, protected TWindowFixture {
    Q_OBJECT

    test::TTempDir dir_;
    TOneFileChooser chooser_;

    // 10h and 21h ask, 21h and 10h answer, 30h gets no reply; exported and imported again
    // through the menu, so the session pairs them as after any file it opens.
    void LoadPairs() {
        std::vector<TTelEntry> entries;
        for (const auto& bytes :
             {test::Bytes{0x10, 0x00, 0x01}, test::Bytes{0x21, 0x00, 0x02},
              test::Bytes{0x21, 0x80, 0, 0, 0, 1}, test::Bytes{0x10, 0x80, 0, 0, 0, 1},
              test::Bytes{0x30, 0x00, 0x03}}) {
            TTelEntry& e = entries.emplace_back();
            std::copy(bytes.begin(), bytes.end(), e.Data.begin());
        }
        w->Session().AddEntries(entries);
        chooser_.path = dir_.File("pairs.pcapng");
        w->SetFileChooser(&chooser_);
        Act(*w, "MenuExport")->trigger();
        Act(*w, "MenuImport")->trigger();
        QVERIFY(host.errors.empty());
        QCOMPARE(w->Session().Transactions().Size(), 5);
    }

private slots:
    void init() {
        CreateWindow();
        Show();
    }
    void cleanup() { DestroyWindow(); }

    void MenusKeepTheStandardItemsAndOpenTheWindows() {
        QCOMPARE(Captions(w->menuBar()->actions()),
                 QStringList({"File", "Settings", "Filter", "Analysis"}));
        QCOMPARE(Captions(w->Analysis()->Menu()->actions()),
                 QStringList({"Statistics", "Trends...", "Response times..."}));
        const QStringList file = Captions(w->menuBar()->actions().first()->menu()->actions());
        QCOMPARE(file.mid(0, 4), QStringList({"Save", "Read", "Export...", "Import..."}));
        QVERIFY(file.contains("Quit"));
        LoadPairs();
        Act(*w, "MenuStatistics")->trigger();
        Act(*w, "MenuTrends")->trigger();
        Act(*w, "MenuResponseTimes")->trigger();
        QVERIFY(w->Analysis()->Statistics()->isVisible());
        QVERIFY(w->Analysis()->Trends()->isVisible());
        QVERIFY(w->Analysis()->ResponseTimes()->isVisible());
        QCOMPARE(w->Analysis()->Statistics()->Model()->rowCount(), 3);
    }

    void GoToPartnerJumpsBetweenRequestAndResponse() {
        LoadPairs();
        QAction* partner = Act(*w, "PopupPartner");
        QCOMPARE(partner->shortcut(), QKeySequence(Qt::Key_P));
        w->ListView()->SelectRow(3); // the response of 10h
        QTest::keyClick(w->ListView(), Qt::Key_P);
        QCOMPARE(SelectedEntry(*w), 0);
        partner->trigger();
        QCOMPARE(SelectedEntry(*w), 3);
        // The jump scrolled; the unanswered request, wherever it is shown, has no partner.
        for (int row = 0; row < 5; ++row) {
            if (w->Session().RowWindow().SelectedEntry(row) == 4)
                w->ListView()->SelectRow(row);
        }
        QCOMPARE(SelectedEntry(*w), 4);
        partner->trigger();
        QCOMPARE(SelectedEntry(*w), 4);
        // ... and says so.
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("no reply"));
    }

    void StatisticsDoubleClickFiltersTheDrive() {
        LoadPairs();
        Act(*w, "MenuStatistics")->trigger();
        TStatisticsWindow* stats = w->Analysis()->Statistics();
        QSortFilterProxyModel* sorted = stats->SortModel();
        QModelIndex drive;
        for (int r = 0; r < sorted->rowCount(); ++r) {
            if (sorted->index(r, 0).data(kStatisticsAddressRole).toInt() == 0x21)
                drive = sorted->index(r, 1);
        }
        QVERIFY(drive.isValid());
        const QPoint at = stats->View()->visualRect(drive).center();
        QTest::mouseClick(stats->View()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(stats->View()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(w->Session().IncludeFilter().IDHigh, 3);
        QCOMPARE(w->Session().IncludeFilter().IDLow, 2);
        QVERIFY(Act(*w, "MenuFilterDisplay")->isChecked());
        QCOMPARE(w->Session().FilteredView().FilteredCount(), 2);
        QCOMPARE(Cell(*w, 0, 1), Cell(*w, 1, 1));
    }

    void TimeAndResponseColumnsAreOffUntilChosen() {
        LoadPairs();
        QAbstractItemModel* model = w->ListView()->model();
        QAction* time = Act(*w, "MenuTimeColumn");
        QAction* response = Act(*w, "MenuResponseColumn");
        QVERIFY(!time->isChecked() && !response->isChecked());
        QCOMPARE(model->columnCount(), 4);
        response->trigger();
        QCOMPARE(model->columnCount(), 5);
        QCOMPARE(Cell(*w, 4, 4), QString::fromLatin1(kNoReplyText.data(), kNoReplyText.size()));
        time->trigger();
        QCOMPARE(model->columnCount(), 6);
        // The headers name the units: no receive times here, no line-monitor stamps either.
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Time"));
        QCOMPARE(model->headerData(5, Qt::Horizontal).toString(),
                 QStringLiteral("Response [\u00B5s]"));
        // A monitor file keeps line-monitor stamps, which the column shows in microseconds.
        std::vector<TTelEntry> stamped;
        for (int p = 0; p < 5; ++p) {
            stamped.push_back(*w->Session().TelegramList().At(p));
            stamped.back().Channel = 0;
        }
        w->Session().Clear(false);
        w->Session().AddEntries(stamped);
        TCaptureSettings settings = w->Session().Settings();
        settings.TimeStampResolution = 8;
        w->Session().ApplySettings(settings);
        chooser_.path = dir_.File("pairs.bu5");
        Act(*w, "MenuSave")->trigger();
        Act(*w, "MenuRead")->trigger();
        QVERIFY(host.errors.empty());
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Time [\u00B5s]"));
        response->trigger();
        time->trigger();
        QCOMPARE(model->columnCount(), 4);
    }
};

QTEST_MAIN(AnalysisMenuTest)
#include "analysis_menu_test.moc"
