#pragma once

#include "model/list_cursor.h"

#include <QObject>
#include <cstdint>

class QAction;
class QMainWindow;
class QMenu;
class QTimer;

namespace protmon {

class TMainMenus;
class TMonitorSession;
class TResponseTimesWindow;
class TStatisticsWindow;
class TTelegramListView;
class TTrendsWindow;

// The menu "Analysis" with its windows, "Export..." and "Import...", the optional list columns
// and "Go to partner": what the window does with the session's transaction table.
class TAnalysisMenu : public QObject {
    Q_OBJECT
public:
    TAnalysisMenu(QMainWindow& window, TMainMenus& menus, TMonitorSession& session,
                  TTelegramListView& list);
    ~TAnalysisMenu() override;

    QMenu* Menu() const { return menu_; }
    TStatisticsWindow* Statistics() const { return statistics_; }
    TTrendsWindow* Trends() const { return trends_; }
    TResponseTimesWindow* ResponseTimes() const { return responseTimes_; }

    // The session rebuilt its table: rows and open windows show it anew.
    void TransactionsChanged();
    // Idle or capturing: the windows follow a capture once a second.
    void UiStateChanged(bool idle);
    // The decoder or its settings changed: the trend windows take the new names and units.
    void CommandsChanged();

private:
    void BuildMenu();
    void ConnectItems();
    void ShowWindow(QWidget* window);
    void ShowStatistics();
    void ShowTrends();
    void ShowResponseTimes();
    void ExtraColumnsChosen();
    // Rows and windows after the table changed while idle.
    void ShowTable();
    // Each open window refreshes from what the session holds now; after Clear, Read or Import
    // they start over from the new recording.
    void RefreshWindows();
    // After Clear, Read or Import the trend windows start over from the new recording.
    void StartOverIfNew();
    // The list's column headers for the recording's time base.
    void ShowColumnHeaders();
    // The timer's refresh while capturing; a second without new entries leaves the windows be.
    void FollowCapture();

    QMainWindow& window_;
    TMainMenus& menus_;
    TMonitorSession& session_;
    TTelegramListView& list_;
    QMenu* menu_ = nullptr;
    QTimer* follow_ = nullptr;
    TListCursor followed_;
    bool refreshDue_ = false; // the first second of a capture refreshes in any case
    TStatisticsWindow* statistics_ = nullptr;
    TTrendsWindow* trends_ = nullptr;
    TResponseTimesWindow* responseTimes_ = nullptr;
    std::uint64_t recording_ = 0;
};

} // namespace protmon
