#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"
#include "ui/response_times_window.h"
#include "ui/trends_window.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace protmon;

namespace {

void Append(TTelegramList& list, std::initializer_list<int> bytes, std::int64_t receiveTime) {
    TTelEntry* e = list.NewTelEntry();
    std::size_t i = 0;
    for (int b : bytes)
        e->Data[i++] = static_cast<std::uint8_t>(b);
    e->ReceiveTime = receiveTime;
}

// Drive 02 polled for the output frequency (0x0080) every 100 ms, answering after 2 to 9 ms,
// and once for the status word of drive 03.
void Poll(TTelegramList& list, int exchanges) {
    for (int i = 0; i < exchanges; ++i) {
        const std::int64_t t = 1'700'000'000'000'000'000 + 100'000'000LL * list.Count();
        const int v = 5000 + 100 * (i % 7);
        Append(list, {2, 0x00, 0x00, 0x80, 1}, t);
        Append(list, {2, 0x80, 0, 0, v >> 8, v & 0xFF, 0}, t + 2'000'000 + 1'000'000LL * (i % 8));
    }
    Append(list, {3, 0x00, 0x01, 0x00, 1}, 0);
    Append(list, {3, 0x80, 0, 0, 0, 0x13, 0}, 0);
}

} // namespace

class TrendsWindowTest : public QObject {
    Q_OBJECT

    TZXCfgList sets_;
    TTelegramList list_;
    TTrendContext ctx_;

    TTrendContextSource Source() {
        return [this] { return ctx_; };
    }

private slots:
    void initTestCase() {
        const int index = sets_.LoadDescriptionFile(PROTMON_TEST_DATA "/Para0001.bin", false);
        QVERIFY(index >= 0);
        ctx_.Set = sets_.GetCfg(index);
        Poll(list_, 40);
    }

    void ChooserNamesParametersOfTheChosenDrive() {
        TTrendsWindow w(list_, Source());
        QCOMPARE(w.DriveBox->count(), 2);
        QCOMPARE(w.DriveBox->itemText(0), QStringLiteral("02"));
        QCOMPARE(w.DriveBox->itemText(1), QStringLiteral("03"));
        QCOMPARE(w.ParameterBox->count(), 1);
        QCOMPARE(w.ParameterBox->itemText(0),
                 QStringLiteral("128 r000 Output frequency [Hz] (40 values)"));
        w.DriveBox->setCurrentIndex(1);
        QCOMPARE(w.ParameterBox->itemText(0), QStringLiteral("256 r100 Status word (1 values)"));
        // Without a description set: the address only.
        const TTrendContext raw;
        TTrendsWindow plain(list_, [raw] { return raw; });
        QCOMPARE(plain.ParameterBox->itemText(0), QStringLiteral("128 (40 values)"));
    }

    void CurvesFollowTheListAndAreLimitedToFour() {
        TTelegramList list;
        Poll(list, 10);
        TTrendsWindow w(list, Source());
        QVERIFY(w.AddCurve(2, 0x80));
        QVERIFY(!w.AddCurve(2, 0x80));
        QCOMPARE(w.CurvePointCount(0), 10);
        QCOMPARE(w.CurveShownCount(0), 10);
        Poll(list, 5);
        w.Refresh();
        QCOMPARE(w.CurvePointCount(0), 15);
        QVERIFY(w.AddCurve(3, 0x100));
        QVERIFY(w.AddCurve(3, 0x101));
        QVERIFY(w.AddCurve(4, 0x80));
        QVERIFY(!w.AddCurve(5, 0x80));
        QVERIFY(!w.AddButton->isEnabled());
        w.ClearCurves();
        QCOMPARE(w.CurveCount(), 0);
    }

    void ClickOnAPointSelectsItsEntryAndTheChartIsDrawn() {
        TTrendsWindow w(list_, Source());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.AddCurve(2, 0x80));
        QCoreApplication::processEvents();
        QSignalSpy selected(&w, &TTrendsWindow::EntrySelected);
        QTest::mouseClick(w.ChartView->viewport(), Qt::LeftButton, {}, w.PointPixel(0, 5));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), 11); // the response of the sixth exchange
        // A click away from every point selects nothing.
        QTest::mouseClick(w.ChartView->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(selected.count(), 1);

        // The curve's colour covers a fair part of the plot.
        const QImage image = w.ChartView->grab().toImage();
        int curvePixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                curvePixels += image.pixelColor(x, y) == QColor(Qt::blue);
        QVERIFY2(curvePixels > 500, qPrintable(QString::number(curvePixels)));

        // Exports: the visible points as CSV, the chart as PNG and, with QtSvg, as SVG.
        const QTemporaryDir dir;
        QVERIFY(w.ExportCsv(dir.filePath(QStringLiteral("t.csv"))));
        QFile csv(dir.filePath(QStringLiteral("t.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QCOMPARE(lines.size(), 1 + 40 + 1);
        QCOMPARE(lines[1], QByteArray("02 r000 Output frequency [Hz],1,0.002,50,Hz,"));
        QVERIFY(w.ExportPicture(dir.filePath(QStringLiteral("t.png"))));
        QVERIFY(!QImage(dir.filePath(QStringLiteral("t.png"))).isNull());
#ifdef PROTMON_HAVE_SVG
        QVERIFY(w.ExportPicture(dir.filePath(QStringLiteral("t.svg"))));
        QFile svg(dir.filePath(QStringLiteral("t.svg")));
        QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("<svg"));
#endif
    }

    void ResponseTimesPerDrive() {
        TResponseTimesWindow w(list_, Source());
        QCOMPARE(w.DriveBox->count(), 1); // drive 03 has no receive times
        int total = 0;
        for (int n : w.BinCounts())
            total += n;
        QCOMPARE(total, 40);
        // 2 .. 9 ms: bins from 10^(13/4) us (1.78 ms) to 10^(15/4) us (5.6 ms).
        QCOMPARE(w.BinCounts().size(), std::size_t{3});
        QCOMPARE(w.ShownPoints(), 40);
    }
};

QTEST_MAIN(TrendsWindowTest)
#include "trends_window_test.moc"
