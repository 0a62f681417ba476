#pragma once

#include "analysis/value_series.h"
#include "files/trend_export.h"

#include <QChartView>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QAbstractAxis;
class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace protmon {

// What the trend windows read at each refresh: the recording's settings and the description set
// in use, made afresh each time (removing the set invalidates its pointer).
using TTrendContextSource = std::function<TTrendContext()>;

// How to zoom and pan, for the windows' hint line and the charts' tooltip.
extern const char* const kChartHint;

// Chart view of the trend windows: a drag zooms into the dragged rectangle, the wheel and "+" /
// "-" zoom, the arrow keys and a middle-button drag pan, "Home" asks the window to show everything
// again. A click without drag and every mouse move are passed on to the window.
class TTrendChartView : public QChartView {
    Q_OBJECT
public:
    explicit TTrendChartView(QChart* chart, QWidget* parent = nullptr);

signals:
    void Clicked(QPoint viewPos);
    void Hovered(QPoint viewPos);
    // The user zoomed or panned: the window stops following new data.
    void ViewChosen();
    void HomeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint pressPos_;
    QPoint panFrom_;
    bool panning_ = false;
};

// Ticks of a value axis on round numbers (1, 2 or 5 times a power of ten, whole numbers only
// with `whole`), kept so through every zoom and pan.
void UseRoundTicks(QValueAxis* axis, bool whole = false);
// Sets the range of such an axis; the tick step changes first where it grows, so that the chart
// never lays out a wide range at a fine step.
void SetRoundRange(QValueAxis* axis, double min, double max, bool whole = false);
// A series that marks the clicked point with a larger ring; not in the legend.
QScatterSeries* AddHighlight(QChart* chart, QColor color);
// Marks `at` on the axes x and y, drawn over every other series.
void ShowHighlight(QScatterSeries* ring, QPointF at, QAbstractAxis* x, QAbstractAxis* y);

// "Trends": the values of up to four parameters over time, each curve with its own value axis.
// A drive and a parameter are chosen from what the recording holds; a click on a point emits
// EntrySelected with the entry's list position.
class TTrendsWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxCurves = 4;

    TTrendsWindow(const TTelegramList& list, TTrendContextSource context,
                  QWidget* parent = nullptr);
    ~TTrendsWindow() override;

    // Takes in the entries appended since the last call (everything after a new list or a
    // wrapped ring); call it at most once a second while capturing, and after a file was loaded.
    // Until the user zooms or pans, the axes follow the data; "Home" follows again.
    void Refresh();
    // A new recording: no curves, axes and zoom as at the start.
    void StartOver();

    // Adds the curve of the drive and parameter; false when four curves are shown already or
    // the curve is shown.
    bool AddCurve(int drive, std::uint16_t address);
    void ClearCurves();
    int CurveCount() const { return static_cast<int>(curves_.size()); }
    // Points of a curve, and how many of them the chart holds after reduction to the view.
    int CurvePointCount(int curve) const;
    int CurveShownCount(int curve) const;
    // Pixel of the view where point `index` of a curve is drawn.
    QPoint PointPixel(int curve, int index) const;

    // What "Export..." writes: the points of every curve inside the visible time range as CSV,
    // or the chart as a PNG or SVG picture.
    std::string ExportBytes(TrendExportFormat format);
    static bool CanExportSvg();
    // The point marked by the last click: curve and index, -1 for none.
    int HighlightedCurve() const { return highlightCurve_; }
    int HighlightedIndex() const { return highlightIndex_; }
    bool FollowsData() const { return following_; }

    QComboBox* DriveBox = nullptr;
    QComboBox* ParameterBox = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* ClearButton = nullptr;
    QLabel* Readout = nullptr;
    TTrendChartView* ChartView = nullptr;

signals:
    void EntrySelected(int position);
    void ExportRequested();

private:
    struct TCurve;

    void FillDrives();
    void FillParameters();
    void UpdateCurve(TCurve& curve);
    void ShowVisiblePoints(TCurve& curve);
    void ShowAllVisiblePoints();
    void UpdateTimeAxis();
    // Every axis to the data again, and following them from now on.
    void FitAll();
    void Highlight(int curve, int index);
    QString CurveTitle(const TValueSeries& series) const;
    // The curve and point index nearest to a view pixel, within a few pixels; false if none.
    bool NearestPoint(QPoint viewPos, int& curve, int& index) const;
    void OnClicked(QPoint viewPos);
    void OnHovered(QPoint viewPos);

    const TTelegramList& list_;
    TTrendContextSource context_;
    TParameterInventory inventory_;
    std::vector<std::unique_ptr<TCurve>> curves_;
    QChart* chart_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    TTrendContext lastContext_;
    QScatterSeries* highlight_ = nullptr;
    int highlightCurve_ = -1;
    int highlightIndex_ = -1;
    bool following_ = true;
};

} // namespace protmon
