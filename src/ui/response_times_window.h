#pragma once

#include "analysis/trend_response_times.h"
#include "ui/trends_window.h"

#include <QWidget>
#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QComboBox;
class QLabel;
class QLogValueAxis;
class QScatterSeries;
class QValueAxis;

namespace protmon {

// "Response times": for one drive, a histogram of its response times in bins on round
// milliseconds and the response times over time. A click on a point of the lower chart marks it
// and emits EntrySelected with the response's list position.
class TResponseTimesWindow : public QWidget {
    Q_OBJECT
public:
    TResponseTimesWindow(const TTelegramList& list, TTrendContextSource context,
                         QWidget* parent = nullptr);

    // Takes in the entries appended since the last call; at most once a second while capturing.
    // Both charts show the new responses; the time axis grows with them until the user zooms.
    void Refresh();
    // A new recording: axes and zoom as at the start.
    void StartOver();

    // Responses of the shown drive per histogram bin, from the first non-empty bin on.
    std::vector<int> BinCounts() const;
    int ShownPoints() const;
    // Index of the marked point of the shown drive, -1 for none.
    int HighlightedIndex() const { return highlightIndex_; }
    // Pixel of the time view where point `index` of the shown drive is drawn.
    QPoint PointPixel(int index) const;

    QComboBox* DriveBox = nullptr;
    QLabel* Summary = nullptr;
    TTrendChartView* HistogramView = nullptr;
    TTrendChartView* TimeView = nullptr;

signals:
    void EntrySelected(int position);

private:
    const TDriveResponseTimes& Shown() const;
    void ShowDrive();
    void ShowHistogram(const TDriveResponseTimes& d);
    void ShowSummary(const TDriveResponseTimes& d);
    void ShowVisiblePoints();
    void FitAll();
    void OnClicked(QPoint viewPos);

    const TTelegramList& list_;
    TTrendContextSource context_;
    TResponseTimeSeries series_;
    QBarSet* barSet_ = nullptr;
    QBarCategoryAxis* binAxis_ = nullptr;
    QValueAxis* countAxis_ = nullptr;
    QScatterSeries* scatter_ = nullptr;
    QScatterSeries* highlight_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QLogValueAxis* msAxis_ = nullptr;
    std::vector<int> shown_;
    std::uint64_t generation_ = 0;
    int highlightIndex_ = -1;
    bool following_ = true;
};

} // namespace protmon
