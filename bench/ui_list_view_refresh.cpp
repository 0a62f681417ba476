// The list view redrawing a page while scrolling through a million entries, widget painting
// included.

#include "decode/decode_row.h"
#include "ui/telegram_list_view.h"
#include "view/row_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

using namespace protmon;

void BM_RefreshSixtyRowsOfAMillion(benchmark::State& state) {
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
    if (!QTest::qWaitForWindowExposed(&view) || rows.VisibleRows() != 60) {
        state.SkipWithError("the view does not show 60 rows");
        return;
    }
    int position = 0;
    for (auto _ : state) {
        position = (position + 7919) % rows.ScrollMax();
        rows.SetScrollPosition(position);
        view.Sync();
        view.viewport()->repaint();
    }
}
BENCHMARK(BM_RefreshSixtyRowsOfAMillion)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // Without a display the widgets are drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
