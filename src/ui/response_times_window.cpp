#include "ui/response_times_window.h"

#include "analysis/analysis_numbers.h"
#include "analysis/trend_decimate.h"
#include "model/telegram_list.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace protmon {

namespace {

constexpr int kPickPixels = 8;
// Pixel columns assumed before the chart has its size (a hidden window).
constexpr int kMinColumns = 256;

QString Latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString MsText(double microseconds) {
    return Latin1Text(MillisecondsText(microseconds)) + QStringLiteral(" ms");
}

} // namespace

TResponseTimesWindow::TResponseTimesWindow(const TTelegramList& list, TTrendContextSource context,
                                           QWidget* parent)
    : QWidget(parent), list_(list), context_(std::move(context)) {
    setWindowTitle(tr("Response times"));
    DriveBox = new QComboBox(this);
    Summary = new QLabel(this);
    Summary->setWordWrap(true);

    auto* histogram = new QChart();
    histogram->legend()->hide();
    // Small windows keep room for the axis titles.
    histogram->setMargins(QMargins(2, 2, 2, 2));
    barSet_ = new QBarSet(tr("Responses"), histogram);
    auto* bars = new QBarSeries(histogram);
    bars->append(barSet_);
    bars->setBarWidth(0.9);
    histogram->addSeries(bars);
    binAxis_ = new QBarCategoryAxis(histogram);
    binAxis_->setTitleText(tr("Response time [ms] (bins from)"));
    countAxis_ = new QValueAxis(histogram);
    countAxis_->setTitleText(tr("Responses"));
    UseRoundTicks(countAxis_, true);
    histogram->addAxis(binAxis_, Qt::AlignBottom);
    histogram->addAxis(countAxis_, Qt::AlignLeft);
    bars->attachAxis(binAxis_);
    bars->attachAxis(countAxis_);
    HistogramView = new TTrendChartView(histogram, this);
    HistogramView->setRubberBand(QChartView::NoRubberBand);
    HistogramView->setToolTip(QString());
    HistogramView->setMinimumSize(240, 120);

    auto* overTime = new QChart();
    overTime->legend()->hide();
    overTime->setMargins(QMargins(2, 2, 2, 2));
    scatter_ = new QScatterSeries(overTime);
    scatter_->setMarkerSize(5);
    overTime->addSeries(scatter_);
    timeAxis_ = new QValueAxis(overTime);
    UseRoundTicks(timeAxis_);
    msAxis_ = new QLogValueAxis(overTime);
    msAxis_->setTitleText(tr("Response [ms]"));
    msAxis_->setLabelFormat(QStringLiteral("%g"));
    msAxis_->setMinorTickCount(8); // grid lines at 2 .. 9 times each power of ten
    overTime->addAxis(timeAxis_, Qt::AlignBottom);
    overTime->addAxis(msAxis_, Qt::AlignLeft);
    scatter_->attachAxis(timeAxis_);
    scatter_->attachAxis(msAxis_);
    highlight_ = AddHighlight(overTime, Qt::black);
    TimeView = new TTrendChartView(overTime, this);
    TimeView->setMinimumSize(240, 120);

    auto* hint = new QLabel(QString::fromLatin1(kChartHint), this);
    hint->setWordWrap(true);
    hint->setEnabled(false);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Drive:"), this));
    top->addWidget(DriveBox);
    top->addWidget(Summary, 1);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(HistogramView);
    splitter->addWidget(TimeView);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addWidget(hint);
    resize(800, 640);

    connect(DriveBox, &QComboBox::currentIndexChanged, this, [this] {
        highlightIndex_ = -1;
        highlight_->clear();
        FitAll();
    });
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this] { ShowVisiblePoints(); });
    connect(overTime, &QChart::plotAreaChanged, this, [this] { ShowVisiblePoints(); });
    connect(TimeView, &TTrendChartView::Clicked, this, &TResponseTimesWindow::OnClicked);
    connect(TimeView, &TTrendChartView::ViewChosen, this, [this] { following_ = false; });
    connect(TimeView, &TTrendChartView::HomeRequested, this, &TResponseTimesWindow::FitAll);
    Refresh();
}

void TResponseTimesWindow::Refresh() {
    series_.Update(list_, context_());
    if (series_.Generation() != generation_) {
        // Built anew: a marked point may no longer be the same response.
        generation_ = series_.Generation();
        highlightIndex_ = -1;
        highlight_->clear();
    }
    const int current = DriveBox->currentData().toInt();
    const QSignalBlocker block(DriveBox);
    DriveBox->clear();
    for (int d : series_.Drives())
        DriveBox->addItem(QStringLiteral("%1").arg(d, 2, 16, QLatin1Char('0')).toUpper(), d);
    const int keep = DriveBox->findData(current);
    DriveBox->setCurrentIndex(keep >= 0 ? keep : (DriveBox->count() > 0 ? 0 : -1));
    ShowDrive();
}

void TResponseTimesWindow::StartOver() {
    TimeView->chart()->zoomReset();
    SetRoundRange(timeAxis_, 0, 1);
    msAxis_->setRange(1, 10);
    following_ = true;
    Refresh();
}

const TDriveResponseTimes& TResponseTimesWindow::Shown() const {
    return series_.Drive(DriveBox->currentIndex() >= 0 ? DriveBox->currentData().toInt() : -1);
}

std::vector<int> TResponseTimesWindow::BinCounts() const {
    std::vector<int> out;
    const std::map<int, int>& bins = Shown().Bins;
    if (bins.empty())
        return out;
    for (int bin = bins.begin()->first; bin <= bins.rbegin()->first; ++bin) {
        const auto b = bins.find(bin);
        out.push_back(b != bins.end() ? b->second : 0);
    }
    return out;
}

int TResponseTimesWindow::ShownPoints() const {
    return static_cast<int>(scatter_->count());
}

void TResponseTimesWindow::ShowHistogram(const TDriveResponseTimes& d) {
    const std::vector<int> counts = BinCounts();
    QStringList labels;
    QList<qreal> values;
    int most = 1;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const int bin = d.Bins.begin()->first + static_cast<int>(i);
        labels << Latin1Text(ShortMillisecondsText(ResponseTimeBinStart(bin)));
        values << counts[i];
        most = std::max(most, counts[i]);
    }
    barSet_->remove(0, barSet_->count());
    binAxis_->clear();
    binAxis_->append(labels);
    barSet_->append(values);
    SetRoundRange(countAxis_, 0, most, true);
}

void TResponseTimesWindow::ShowSummary(const TDriveResponseTimes& d) {
    if (d.Points.empty()) {
        Summary->clear();
        return;
    }
    std::vector<std::int64_t> us;
    us.reserve(d.Points.size());
    for (const TResponseTimePoint& p : d.Points)
        us.push_back(p.Microseconds);
    const auto [lo, hi] = std::minmax_element(us.begin(), us.end());
    const std::int64_t low = *lo, high = *hi;
    std::nth_element(us.begin(), us.begin() + static_cast<std::ptrdiff_t>(us.size() / 2), us.end());
    Summary->setText(tr("%1 responses, minimum %2, median %3, maximum %4")
                         .arg(d.Points.size())
                         .arg(MsText(static_cast<double>(low)))
                         .arg(MsText(static_cast<double>(us[us.size() / 2])))
                         .arg(MsText(static_cast<double>(high))));
}

void TResponseTimesWindow::ShowDrive() {
    const TDriveResponseTimes& d = Shown();
    ShowHistogram(d);
    ShowSummary(d);
    const TimeBasis base = series_.TimeBase();
    timeAxis_->setTitleText(base == TimeBasis::Position ? tr("Position")
                            : base == TimeBasis::Receive
                                ? tr("Time [s] (receive time)")
                                : tr("Time [s] (line-monitor time stamps)"));
    if (!following_ || d.X.empty()) {
        ShowVisiblePoints();
        return;
    }
    // Until the user chose a view, both axes follow the data.
    const auto [lo, hi] = std::minmax_element(d.Ms.begin(), d.Ms.end());
    const auto [from, to] = DecadeRange(*lo, *hi);
    msAxis_->setRange(from, to);
    const double left = d.X.front();
    const double right = d.X.back() > left ? d.X.back() : left + 1;
    if (timeAxis_->min() != left || timeAxis_->max() != right)
        SetRoundRange(timeAxis_, left, right); // rangeChanged shows the points
    else
        ShowVisiblePoints();
}

void TResponseTimesWindow::FitAll() {
    TimeView->chart()->zoomReset();
    following_ = true;
    ShowDrive();
}

void TResponseTimesWindow::ShowVisiblePoints() {
    const TDriveResponseTimes& d = Shown();
    const int columns =
        std::max(kMinColumns, static_cast<int>(TimeView->chart()->plotArea().width()));
    shown_ = DecimateMinMax(d.X, d.Ms, timeAxis_->min(), timeAxis_->max(), columns);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(shown_.size()));
    for (int i : shown_)
        points.append(QPointF(d.X[static_cast<std::size_t>(i)], d.Ms[static_cast<std::size_t>(i)]));
    scatter_->replace(points);
}

QPoint TResponseTimesWindow::PointPixel(int index) const {
    const TDriveResponseTimes& d = Shown();
    QChart* chart = TimeView->chart();
    const QPointF value(d.X.at(static_cast<std::size_t>(index)),
                        d.Ms.at(static_cast<std::size_t>(index)));
    return TimeView->mapFromScene(chart->mapToScene(chart->mapToPosition(value, scatter_)));
}

void TResponseTimesWindow::OnClicked(QPoint viewPos) {
    const TDriveResponseTimes& d = Shown();
    QChart* chart = TimeView->chart();
    const QPointF at = chart->mapFromScene(TimeView->mapToScene(viewPos));
    double best = kPickPixels * kPickPixels + 1;
    int found = -1;
    for (int i : shown_) {
        const QPointF p = chart->mapToPosition(
            QPointF(d.X[static_cast<std::size_t>(i)], d.Ms[static_cast<std::size_t>(i)]), scatter_);
        const double dd = (p.x() - at.x()) * (p.x() - at.x()) + (p.y() - at.y()) * (p.y() - at.y());
        if (dd < best) {
            best = dd;
            found = i;
        }
    }
    if (found < 0)
        return;
    highlightIndex_ = found;
    const auto f = static_cast<std::size_t>(found);
    ShowHighlight(highlight_, QPointF(d.X[f], d.Ms[f]), timeAxis_, msAxis_);
    emit EntrySelected(d.Points[f].Position);
}

} // namespace protmon
