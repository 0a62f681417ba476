#include "decode/decode_row.h"
#include "ui/telegram_list_view.h"
#include "view/row_window.h"

#include <QHeaderView>
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
};

QTEST_MAIN(ListViewRefreshTest)
#include "list_view_refresh_test.moc"
