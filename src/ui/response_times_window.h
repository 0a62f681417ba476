#pragma once

#include "analysis/trend_response_times.h"
#include "ui/trends_window.h"

#include <QWidget>
#include <map>
#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QComboBox;
class QLabel;
class QLogValueAxis;
class QScatterSeries;
class QValueAxis;

namespace protmon {

// "Response times": for one drive, a histogram of its response times in logarithmic bins and
// the response times over time. A click on a point of the lower chart emits EntrySelected with the
// response's list position.
class TResponseTimesWindow : public QWidget {
    Q_OBJECT
public:
    TResponseTimesWindow(const TTelegramList& list, TTrendContextSource context,
                         QWidget* parent = nullptr);

    // Takes in the entries appended since the last call; at most once a second while capturing.
    void Refresh();

    // Responses of the shown drive per histogram bin, from the first non-empty bin on.
    std::vector<int> BinCounts() const;
    int ShownPoints() const;

    QComboBox* DriveBox = nullptr;
    QLabel* Summary = nullptr;
    TTrendChartView* HistogramView = nullptr;
    TTrendChartView* TimeView = nullptr;

signals:
    void EntrySelected(int position);

private:
    struct TDriveBins {
        std::size_t Counted = 0;
        std::map<int, int> Bins; // bin -> responses
    };

    void CountNew();
    void ShowDrive();
    void ShowVisiblePoints();
    void OnClicked(QPoint viewPos);

    const TTelegramList& list_;
    TTrendContextSource context_;
    TResponseTimeSeries series_;
    std::map<int, TDriveBins> bins_;
    QBarSet* barSet_ = nullptr;
    QBarCategoryAxis* binAxis_ = nullptr;
    QValueAxis* countAxis_ = nullptr;
    QScatterSeries* scatter_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QLogValueAxis* usAxis_ = nullptr;
    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<int> shown_;
    bool fitted_ = false;
};

} // namespace protmon
