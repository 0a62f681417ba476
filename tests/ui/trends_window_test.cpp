#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"
#include "ui/response_times_window.h"
#include "ui/trends_window.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <cmath>

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

        // The clicked point is marked.
        QCOMPARE(w.HighlightedCurve(), 0);
        QCOMPARE(w.HighlightedIndex(), 5);

        // Exports: the visible points as CSV, the chart as PNG and, with QtSvg, as SVG.
        const QList<QByteArray> lines =
            QByteArray::fromStdString(w.ExportBytes(TrendExportFormat::Csv)).split('\n');
        QCOMPARE(lines.size(), 1 + 40 + 1);
        QCOMPARE(lines[1], QByteArray("02 r000 Output frequency [Hz],1,0.002,50,Hz,"));
        QVERIFY(!QImage::fromData(QByteArray::fromStdString(w.ExportBytes(TrendExportFormat::Png)),
                                  "PNG")
                     .isNull());
#ifdef PROTMON_HAVE_SVG
        QVERIFY(QByteArray::fromStdString(w.ExportBytes(TrendExportFormat::Svg)).contains("<svg"));
#endif
    }

    // The time axis grows with the capture until the user zooms; Home follows again; a new
    // recording starts the window over.
    void AxesFollowTheDataUntilTheUserZooms() {
        TTelegramList list;
        Poll(list, 10);
        TTrendsWindow w(list, Source());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.AddCurve(2, 0x80));
        auto* time = qobject_cast<QValueAxis*>(w.ChartView->chart()->axes(Qt::Horizontal).first());
        const double end10 = time->max();
        Poll(list, 10);
        w.Refresh();
        QVERIFY(time->max() > end10);
        QCOMPARE(w.CurveShownCount(0), 20);
        // Ticks on round numbers.
        QCOMPARE(time->tickType(), QValueAxis::TicksDynamic);
        const double step = time->tickInterval();
        QCOMPARE(step / std::pow(10, std::floor(std::log10(step))),
                 std::round(step / std::pow(10, std::floor(std::log10(step)))));

        QTest::keyClick(w.ChartView, Qt::Key_Plus);
        QVERIFY(!w.FollowsData());
        const double zoomedEnd = time->max();
        Poll(list, 10);
        w.Refresh();
        QCOMPARE(time->max(), zoomedEnd);
        QTest::keyClick(w.ChartView, Qt::Key_Home);
        QVERIFY(w.FollowsData());
        QVERIFY(time->max() > zoomedEnd);
        QCOMPARE(w.CurveShownCount(0), 30);

        w.StartOver();
        QCOMPARE(w.CurveCount(), 0);
        for (QLegendMarker* marker : w.ChartView->chart()->legend()->markers())
            QVERIFY(!marker->isVisible());
    }

    void ResponseTimesPerDrive() {
        TResponseTimesWindow w(list_, Source());
        QCOMPARE(w.DriveBox->count(), 1); // drive 03 has no receive times
        int total = 0;
        for (int n : w.BinCounts())
            total += n;
        QCOMPARE(total, 40);
        // 2 .. 9 ms: the bins from 2 ms and from 5 ms.
        QCOMPARE(w.BinCounts().size(), std::size_t{2});
        QCOMPARE(w.ShownPoints(), 40);
        QVERIFY(w.Summary->text().contains(QStringLiteral("minimum 2.000 ms")));
    }

    // Both charts take in new responses at each refresh, and a click marks its point.
    void ResponseTimesFollowTheCapture() {
        TTelegramList list;
        Poll(list, 10);
        TResponseTimesWindow w(list, Source());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.ShownPoints(), 10);
        Poll(list, 15);
        w.Refresh();
        QCOMPARE(w.ShownPoints(), 25);
        QSignalSpy selected(&w, &TResponseTimesWindow::EntrySelected);
        QTest::mouseClick(w.TimeView->viewport(), Qt::LeftButton, {}, w.PointPixel(12));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(w.HighlightedIndex(), 12);
    }
};

QTEST_MAIN(TrendsWindowTest)
#include "trends_window_test.moc"
