#include "ui/analysis_menu.h"

#include "analysis/analysis_numbers.h"
#include "analysis/transaction_text.h"
#include "analysis/value_series.h"
#include "decode/decode_row.h"
#include "session/session.h"
#include "ui/main_menus.h"
#include "ui/response_times_window.h"
#include "ui/screen_fit.h"
#include "ui/statistics_window.h"
#include "ui/telegram_list_view.h"
#include "ui/trends_window.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace protmon {

namespace {

constexpr int kFollowMs = 1000;

// The trend windows' context, made afresh at each refresh as the decoder's set may be gone.
TTrendContextSource TrendContext(TMonitorSession& session) {
    return [&session] {
        return MakeTrendContext(
            session.Decoder().Context(session.TelegramList(), session.Settings()),
            session.Settings().TimeStampResolution);
    };
}

} // namespace

TAnalysisMenu::TAnalysisMenu(QMainWindow& window, TMainMenus& menus, TMonitorSession& session,
                             TTelegramListView& list)
    : window_(window), menus_(menus), session_(session), list_(list) {
    BuildMenu();
    ConnectItems();
    follow_ = new QTimer(this);
    follow_->setInterval(kFollowMs);
    connect(follow_, &QTimer::timeout, this, &TAnalysisMenu::FollowCapture);
    list_.SetExtraCellSource([&session](int position, std::string& time, std::string& response) {
        ExtraCellTexts(session.TelegramList(), session.Transactions(), position, time, response);
    });
    recording_ = session_.RecordingNumber();
    ShowColumnHeaders();
}

// The windows read the session's list, which goes before the main window deletes its children.
TAnalysisMenu::~TAnalysisMenu() {
    delete statistics_;
    delete trends_;
    delete responseTimes_;
}

void TAnalysisMenu::BuildMenu() {
    // Added after the standard menus, so it follows "Filter"; it stays usable while capturing.
    menu_ = window_.menuBar()->addMenu(QStringLiteral("Analysis"));
    menu_->setObjectName(QStringLiteral("MenuAnalysis"));
    const struct {
        const char* Caption;
        const char* Name;
        void (TAnalysisMenu::*Show)();
    } items[] = {
        {"Statistics", "MenuStatistics", &TAnalysisMenu::ShowStatistics},
        {"Trends...", "MenuTrends", &TAnalysisMenu::ShowTrends},
        {"Response times...", "MenuResponseTimes", &TAnalysisMenu::ShowResponseTimes},
    };
    for (const auto& item : items) {
        QAction* a = menu_->addAction(QString::fromLatin1(item.Caption));
        a->setObjectName(QString::fromLatin1(item.Name));
        connect(a, &QAction::triggered, this, [this, show = item.Show] { (this->*show)(); });
    }
}

void TAnalysisMenu::ConnectItems() {
    TMonitorSession& s = session_;
    const std::pair<MenuItem, std::function<void()>> acts[] = {
        {MenuItem::Export, [&s] { s.Export(); }},
        {MenuItem::Import, [&s] { s.Import(); }},
        {MenuItem::TimeColumn, [this] { ExtraColumnsChosen(); }},
        {MenuItem::ResponseColumn, [this] { ExtraColumnsChosen(); }},
        {MenuItem::Partner, [&s] { s.GoToPartner(); }},
    };
    for (const auto& [item, act] : acts)
        connect(menus_.Item(item), &QAction::triggered, this, act);
}

void TAnalysisMenu::ShowWindow(QWidget* window) {
    // The first time at its own size where that fits, inside the screen in any case.
    if (!window->property("placed").toBool()) {
        window->setProperty("placed", true);
        FitToScreen(*window, window->size(), &window_);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TAnalysisMenu::ShowStatistics() {
    if (statistics_ == nullptr) {
        statistics_ = new TStatisticsWindow(&window_);
        statistics_->setObjectName(QStringLiteral("Statistics"));
        connect(statistics_, &TStatisticsWindow::driveActivated, this, [this](int address) {
            // The filter commands wait for the capture to end, as the "Filter" menu does.
            if (!session_.Capturing())
                session_.FilterByDrive(address);
        });
    }
    statistics_->Refresh(session_.Transactions());
    ShowWindow(statistics_);
}

void TAnalysisMenu::ShowTrends() {
    if (trends_ == nullptr) {
        trends_ = new TTrendsWindow(session_.TelegramList(), TrendContext(session_), &window_);
        trends_->setObjectName(QStringLiteral("Trends"));
        trends_->setWindowFlag(Qt::Window);
        connect(trends_, &TTrendsWindow::EntrySelected, this,
                [this](int position) { session_.SelectEntry(position); });
        connect(trends_, &TTrendsWindow::ExportRequested, this, [this] {
            session_.ExportTrend(TTrendsWindow::CanExportSvg(), [this](TrendExportFormat format) {
                return trends_->ExportBytes(format);
            });
        });
    }
    StartOverIfNew();
    trends_->Refresh();
    ShowWindow(trends_);
}

void TAnalysisMenu::ShowResponseTimes() {
    if (responseTimes_ == nullptr) {
        responseTimes_ =
            new TResponseTimesWindow(session_.TelegramList(), TrendContext(session_), &window_);
        responseTimes_->setObjectName(QStringLiteral("ResponseTimes"));
        responseTimes_->setWindowFlag(Qt::Window);
        connect(responseTimes_, &TResponseTimesWindow::EntrySelected, this,
                [this](int position) { session_.SelectEntry(position); });
    }
    StartOverIfNew();
    responseTimes_->Refresh();
    ShowWindow(responseTimes_);
}

void TAnalysisMenu::ExtraColumnsChosen() {
    list_.SetExtraColumns(menus_.Item(MenuItem::TimeColumn)->isChecked(),
                          menus_.Item(MenuItem::ResponseColumn)->isChecked());
}

void TAnalysisMenu::StartOverIfNew() {
    if (session_.RecordingNumber() == recording_)
        return;
    recording_ = session_.RecordingNumber();
    if (trends_ != nullptr)
        trends_->StartOver();
    if (responseTimes_ != nullptr)
        responseTimes_->StartOver();
}

void TAnalysisMenu::RefreshWindows() {
    StartOverIfNew();
    if (statistics_ != nullptr && statistics_->isVisible())
        statistics_->Refresh(session_.Transactions());
    if (trends_ != nullptr && trends_->isVisible())
        trends_->Refresh();
    if (responseTimes_ != nullptr && responseTimes_->isVisible())
        responseTimes_->Refresh();
}

void TAnalysisMenu::ShowColumnHeaders() {
    const TTelegramList& list = session_.TelegramList();
    const std::string_view time =
        TimeColumnHeader(ChooseTimeBase(list, session_.Settings().TimeStampResolution));
    list_.RowModel()->SetExtraHeaders(
        QString::fromLatin1(time.data(), static_cast<qsizetype>(time.size())),
        QString::fromLatin1(kResponseColumnHeader.data(),
                            static_cast<qsizetype>(kResponseColumnHeader.size())));
}

void TAnalysisMenu::FollowCapture() {
    const bool arrived = followed_.TakeCount(session_.TelegramList()) > 0;
    if (!arrived && !refreshDue_)
        return;
    refreshDue_ = false;
    RefreshWindows();
}

void TAnalysisMenu::ShowTable() {
    ShowColumnHeaders();
    list_.RowModel()->InvalidateExtraTexts();
    list_.Sync();
    RefreshWindows();
}

void TAnalysisMenu::TransactionsChanged() {
    // A running capture is followed by the timer; its end shows the rebuilt table.
    if (!session_.Capturing())
        ShowTable();
}

void TAnalysisMenu::UiStateChanged(bool idle) {
    if (!idle) {
        refreshDue_ = true;
        follow_->start();
        return;
    }
    follow_->stop();
    ShowTable();
}

void TAnalysisMenu::CommandsChanged() {
    RefreshWindows();
}

} // namespace protmon
