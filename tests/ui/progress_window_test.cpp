#include "descriptions/cfg_list.h"
#include "ui/glyph_button.h"
#include "ui/progress_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

using namespace protmon;

namespace {

// Records how the reader drove the window and what the window was like during the load.
class TWatchedProgress : public TfrmProgress {
public:
    void SetActVal(int value) override {
        TfrmProgress::SetActVal(value);
        ++steps;
        visibleDuringLoad = visibleDuringLoad && isVisible();
        modalDuringLoad = modalDuringLoad && QApplication::activeModalWidget() == this;
    }
    int steps = 0;
    bool visibleDuringLoad = true;
    bool modalDuringLoad = true;
};

} // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void LayoutAndWindowKind() {
        TfrmProgress w;
        QCOMPARE(w.size(), QSize(385, 102));
        QCOMPARE(w.Title(), QStringLiteral("Progress"));
        QVERIFY(w.windowFlags() & Qt::Tool);
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(w.prbProgress->minimum(), 0);
        QCOMPARE(w.prbProgress->maximum(), 100);
        QCOMPARE(w.ZidevGlyphButton1->size(), QSize(97, 25));
        QCOMPARE(w.ZidevGlyphButton1->GlyphKind(), glNone);
        const QRect b = w.ZidevGlyphButton1->geometry();
        QCOMPARE(b.left(), 385 - 1 - b.right());
        QVERIFY(w.LabProgress->geometry().bottom() < w.prbProgress->geometry().top());
        QVERIFY(w.prbProgress->geometry().bottom() < b.top());
        QCOMPARE(w.LabProgress->alignment(), Qt::AlignCenter);
    }

    void CancelButtonOnlyWithACaption() {
        TfrmProgress w;
        w.SetTitle("Loading");
        w.SetText("Para0001.bin");
        QCOMPARE(w.Title(), QStringLiteral("Loading"));
        QCOMPARE(w.LabProgress->text(), QStringLiteral("Para0001.bin"));
        for (const auto& [caption, visible] : std::initializer_list<std::pair<const char*, bool>>{
                 {"", false}, {"   ", false}, {"Cancel", true}, {" x ", true}, {"\t", false}}) {
            w.SetCancelText(caption);
            QCOMPARE(w.CancelText(), QString::fromLatin1(caption));
            QVERIFY2(w.ZidevGlyphButton1->isVisibleTo(&w) == visible, caption);
        }
    }

    void RangeRules() {
        TfrmProgress w;
        w.SetMax(-1); // ignored
        QCOMPARE(w.Max(), 100);
        w.SetMax(50);
        QCOMPARE(w.prbProgress->maximum(), 50);
        w.SetMin(-1); // below 0
        w.SetMin(50); // not below Max
        QCOMPARE(w.Min(), 0);
        w.SetMin(10);
        QCOMPARE(w.prbProgress->minimum(), 10);
        w.SetActVal(9);
        w.SetActVal(51);
        QCOMPARE(w.ActVal(), 0);
        w.SetActVal(50);
        QCOMPARE(w.prbProgress->value(), 50);
        w.SetActVal(10);
        QCOMPARE(w.prbProgress->value(), 10);
    }

    void StepsLetAButtonPressThrough() {
        TfrmProgress w;
        w.SetCancelText("Cancel");
        w.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.Cancel());
        // A press that is only queued: the step must let it be handled.
        QTimer::singleShot(0, w.ZidevGlyphButton1, &QPushButton::click);
        w.SetActVal(1);
        QVERIFY(w.Cancel());
        // Showing again starts without a cancel request.
        w.Close();
        QVERIFY(!w.isVisible());
        w.Show();
        QVERIFY(!w.Cancel());
        w.Close();
    }

    void ShownCentredAndModal() {
        TfrmProgress w;
        w.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        QVERIFY(std::abs(w.frameGeometry().center().x() - screen.center().x()) <= 8);
        QCOMPARE(QApplication::activeModalWidget(), &w);
        w.Close();
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void DescriptionReaderDrivesTheWindow() {
        TWatchedProgress w;
        w.SetTitle("old title");
        w.SetCancelText("Cancel");
        TZXCfgList sets;
        sets.SetProgress(&w);
        const int index = sets.LoadDescriptionFile(PROTMON_TEST_DATA "/Para0001.bin", true);
        QCOMPARE(index, 0);
        QVERIFY(w.steps > 0);
        QVERIFY(w.visibleDuringLoad);
        QVERIFY(w.modalDuringLoad);
        // No caption, no text, no button; closed again afterwards.
        QCOMPARE(w.Title(), QString());
        QCOMPARE(w.Text(), QString());
        QVERIFY(!w.ZidevGlyphButton1->isVisibleTo(&w));
        QVERIFY(!w.isVisible());
        QVERIFY(!sets.IsLoading());
        // Without the switch the window stays out of it.
        w.steps = 0;
        sets.RemoveCfg(0);
        QCOMPARE(sets.LoadDescriptionFile(PROTMON_TEST_DATA "/Para0001.bin", false), 0);
        QCOMPARE(w.steps, 0);
        sets.SetProgress(nullptr);
    }
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
