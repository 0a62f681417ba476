#include "decode/decode_row.h"
#include "ui/telegram_list_view.h"
#include "view/row_window.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

using namespace protmon;

// A page of the list view over a million entries follows the scroll position. Its speed is
// measured by bench/ui_list_view_refresh.cpp.
class ListViewRefreshTest : public QObject {
    Q_OBJECT

private slots:
    void RefreshSixtyRowsOfAMillion() {
        TTelegramList list;
        list.SetBufferDepth(1'000'000);
        for (int i = 0; i < 1'000'000; ++i) {
            TTelEntry* e = list.NewTelEntry();
            e->Data[0] = static_cast<std::uint8_t>(1 + i % 30);
            e->Data[1] = static_cast<std::uint8_t>((i % 4) << 6 | (1 + i % 6));
        }
        TDecodeContext ctx;
        ctx.List = &list;
        TRowWindow rows(list, [&ctx](int position, const TTelEntry&, TRowTexts& row) {
            DecodeTelegramRow(ctx, position, row);
        });
        TTelegramListView view(rows);
        QFont font = view.font();
        font.setPixelSize(10);
        view.setFont(font);
        view.resize(900, 60 * view.RowHeight() + view.horizontalHeader()->sizeHint().height() + 8);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(rows.VisibleRows(), 60);
        for (const int position : {7919, 0, rows.ScrollMax()}) {
            rows.SetScrollPosition(position);
            view.Sync();
            view.viewport()->repaint();
            QCOMPARE(view.model()->index(0, 0).data().toString(), QString::number(position));
        }
    }

    // During a capture a repaint covers the rows that changed, not the page: one telegram after
    // a burst announces its own row and the blank one after it, and the page reads as the ring.
    void LiveTelegramAnnouncesOnlyItsRows() {
        TTelegramList list;
        TDecodeContext ctx;
        ctx.List = &list;
        TRowWindow rows(list, [&ctx](int position, const TTelEntry&, TRowTexts& row) {
            DecodeTelegramRow(ctx, position, row);
        });
        TTelegramListView view(rows);
        view.resize(900, 10 * view.RowHeight() + view.horizontalHeader()->sizeHint().height() + 8);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(rows.VisibleRows(), 10);
        rows.SetCapturing(true);
        auto add = [&list](int n) {
            for (int i = 0; i < n; ++i) {
                TTelEntry* e = list.NewTelEntry();
                e->Data[0] = 1;
                e->Data[1] = 0x02;
            }
        };
        add(95);
        rows.LiveTick(false);
        view.Sync();
        QSignalSpy changed(view.model(), &QAbstractItemModel::dataChanged);
        add(1);
        rows.LiveTick(false);
        view.Sync();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>().row(), 5);
        QCOMPARE(changed.at(0).at(1).value<QModelIndex>().row(), 6);
        const char* expected[] = {"90", "91", "92", "93", "94", "95", "", "87", "88", "89"};
        for (int r = 0; r < 10; ++r)
            QCOMPARE(view.model()->index(r, 0).data().toString(), QLatin1String(expected[r]));
        QCOMPARE(view.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("96"));
        changed.clear();
        view.Sync(); // nothing new
        QCOMPARE(changed.size(), 0);
    }
};

QTEST_MAIN(ListViewRefreshTest)
#include "list_view_refresh_test.moc"
