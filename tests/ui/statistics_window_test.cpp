#include "analysis/transaction_table.h"
#include "analysis/transaction_text.h"
#include "decode/decode_row.h"
#include "ui/statistics_window.h"
#include "ui/telegram_list_view.h"
#include "view/row_window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTreeView>

using namespace protmon;

namespace {

// Drive 0x10: 3 requests, 1 reply; drive 0x20: 1 request, 1 reply; drive 0x05: 2 requests.
void FillList(TTelegramList& list) {
    const std::vector<std::array<int, 2>> telegrams = {
        {0x10, 0x00}, {0x10, 0x80}, {0x10, 0x00}, {0x20, 0x01},
        {0x20, 0x81}, {0x10, 0x41}, {0x05, 0x00}, {0x05, 0x00},
    };
    for (const auto& t : telegrams) {
        TTelEntry* e = list.NewTelEntry();
        e->Data[0] = static_cast<std::uint8_t>(t[0]);
        e->Data[1] = static_cast<std::uint8_t>(t[1]);
    }
}

} // namespace

class StatisticsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void SortsDrivesAndSignalsTheDoubleClickedDrive() {
        TTelegramList list;
        FillList(list);
        TTransactionTable table;
        table.Rebuild(list, {});
        TStatisticsWindow window;
        window.Refresh(table);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSortFilterProxyModel* sorted = window.SortModel();
        const auto column = [](StatisticsColumn c) { return static_cast<int>(c); };
        const auto address = [sorted](int row) {
            return sorted->index(row, 0).data(kStatisticsAddressRole).toInt();
        };

        QCOMPARE(sorted->rowCount(), 3);
        QCOMPARE(sorted->index(0, 0).data().toString(), QStringLiteral("05"));
        window.View()->sortByColumn(column(StatisticsColumn::Requests), Qt::DescendingOrder);
        QCOMPARE(address(0), 0x10);
        QCOMPARE(address(2), 0x20);
        window.View()->sortByColumn(column(StatisticsColumn::Requests), Qt::AscendingOrder);
        QCOMPARE(address(0), 0x20);
        QCOMPARE(sorted->index(0, column(StatisticsColumn::NoReply)).data().toString(),
                 QStringLiteral("0"));
        // Services of a drive are its child rows, sorted by the same column (1 and 2 requests).
        const QModelIndex drive10 = sorted->index(2, 0);
        QCOMPARE(address(2), 0x10);
        QCOMPARE(sorted->rowCount(drive10), 2);
        QCOMPARE(sorted->index(0, 0, drive10).data().toString(), QStringLiteral("Write 1"));
        QCOMPARE(sorted->index(1, 0, drive10).data().toString(), QStringLiteral("Read 0"));

        // Expanded drives stay expanded through a refresh.
        window.View()->expand(drive10);
        window.Refresh(table);
        QVERIFY(window.View()->isExpanded(sorted->index(2, 0)));

        QSignalSpy spy(&window, &TStatisticsWindow::driveActivated);
        const QRect cell = window.View()->visualRect(sorted->index(2, 1));
        // An item view takes a double click only after the press of its first click.
        QTest::mouseClick(window.View()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(window.View()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toInt(), 0x10);

        window.CopyTable();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromStdString(StatisticsTableText(window.Model()->Statistics())));
    }

    void ExtraListColumnsTakeTheirRoomFromAdditional() {
        TTelegramList list;
        FillList(list);
        TTransactionTable table;
        table.Rebuild(list, {});
        TDecodeContext ctx;
        ctx.List = &list;
        TRowWindow rows(list, [&ctx](int position, const TTelEntry&, TRowTexts& row) {
            DecodeTelegramRow(ctx, position, row);
        });
        TTelegramListView view(rows);
        view.SetExtraCellSource([&](int position, std::string& time, std::string& response) {
            ExtraCellTexts(list, table, position, time, response);
        });
        view.resize(900, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        rows.RefreshRows();
        view.Sync();
        QCOMPARE(view.model()->columnCount(), 4);
        const int additional = view.columnWidth(3);

        view.SetExtraColumns(false, true);
        QCOMPARE(view.model()->columnCount(), 5);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(view.columnWidth(c), TTelegramListView::kColumnWidths[c]);
        QCOMPARE(view.columnWidth(3), additional - view.columnWidth(4));
        QCOMPARE(view.model()->headerData(4, Qt::Horizontal).toString(),
                 QStringLiteral("Response [\u00B5s]"));
        QCOMPARE(view.RowModel()->CellText(0, 4), QStringLiteral(""));
        QCOMPARE(view.RowModel()->CellText(2, 4), QStringLiteral("no reply"));

        view.SetExtraColumns(true, true);
        QCOMPARE(view.model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Time"));
        QCOMPARE(view.RowModel()->CellText(2, 5), QStringLiteral("no reply"));
        QCOMPARE(view.columnWidth(3), additional - view.columnWidth(4) - view.columnWidth(5));

        view.SetExtraColumns(false, false);
        QCOMPARE(view.model()->columnCount(), 4);
        QCOMPARE(view.columnWidth(3), additional);
    }
};

QTEST_MAIN(StatisticsWindowTest)
#include "statistics_window_test.moc"
