#include "ui/response_times_window.h"

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

QString MicrosecondsText(double us) {
    if (us >= 1e6)
        return QStringLiteral("%1 s").arg(us / 1e6, 0, 'g', 3);
    if (us >= 1e3)
        return QStringLiteral("%1 ms").arg(us / 1e3, 0, 'g', 3);
    return QStringLiteral("%1 us").arg(us, 0, 'g', 3);
}

double XOf(TTimeBase base, const TTelegramList& list, std::int64_t time) {
    if (base == TTimeBase::Receive) {
        const TTelEntry* first = list.At(0);
        return static_cast<double>(time - (first != nullptr ? first->ReceiveTime : 0)) / 1e9;
    }
    return base == TTimeBase::LineMonitor ? static_cast<double>(time) / 1e6
                                          : static_cast<double>(time);
}

} // namespace

TResponseTimesWindow::TResponseTimesWindow(const TTelegramList& list, TTrendContextSource context,
                                           QWidget* parent)
    : QWidget(parent), list_(list), context_(std::move(context)) {
    setWindowTitle(tr("Response times"));
    DriveBox = new QComboBox(this);
    Summary = new QLabel(this);

    auto* histogram = new QChart();
    histogram->legend()->hide();
    barSet_ = new QBarSet(tr("Responses"), histogram);
    auto* bars = new QBarSeries(histogram);
    bars->append(barSet_);
    bars->setBarWidth(0.9);
    histogram->addSeries(bars);
    binAxis_ = new QBarCategoryAxis(histogram);
    binAxis_->setTitleText(tr("Response time (bins from)"));
    countAxis_ = new QValueAxis(histogram);
    countAxis_->setTitleText(tr("Responses"));
    countAxis_->setLabelFormat(QStringLiteral("%d"));
    histogram->addAxis(binAxis_, Qt::AlignBottom);
    histogram->addAxis(countAxis_, Qt::AlignLeft);
    bars->attachAxis(binAxis_);
    bars->attachAxis(countAxis_);
    HistogramView = new TTrendChartView(histogram, this);
    HistogramView->setRubberBand(QChartView::NoRubberBand);

    auto* overTime = new QChart();
    overTime->legend()->hide();
    scatter_ = new QScatterSeries(overTime);
    scatter_->setMarkerSize(5);
    overTime->addSeries(scatter_);
    timeAxis_ = new QValueAxis(overTime);
    usAxis_ = new QLogValueAxis(overTime);
    usAxis_->setTitleText(tr("Response time [us]"));
    usAxis_->setLabelFormat(QStringLiteral("%g"));
    overTime->addAxis(timeAxis_, Qt::AlignBottom);
    overTime->addAxis(usAxis_, Qt::AlignLeft);
    scatter_->attachAxis(timeAxis_);
    scatter_->attachAxis(usAxis_);
    TimeView = new TTrendChartView(overTime, this);

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
    resize(800, 640);

    connect(DriveBox, &QComboBox::currentIndexChanged, this, [this] {
        fitted_ = false;
        x_.clear();
        y_.clear();
        ShowDrive();
    });
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this] { ShowVisiblePoints(); });
    connect(overTime, &QChart::plotAreaChanged, this, [this] { ShowVisiblePoints(); });
    connect(TimeView, &TTrendChartView::Clicked, this, &TResponseTimesWindow::OnClicked);
    Refresh();
}

void TResponseTimesWindow::Refresh() {
    series_.Update(list_, context_());
    CountNew();
    const int current = DriveBox->currentData().toInt();
    const QSignalBlocker block(DriveBox);
    DriveBox->clear();
    for (int d : series_.Drives())
        DriveBox->addItem(QStringLiteral("%1").arg(d, 2, 16, QLatin1Char('0')).toUpper(), d);
    const int keep = DriveBox->findData(current);
    if (keep < 0) {
        fitted_ = false;
        x_.clear();
        y_.clear();
    }
    DriveBox->setCurrentIndex(keep >= 0 ? keep : (DriveBox->count() > 0 ? 0 : -1));
    ShowDrive();
}

void TResponseTimesWindow::CountNew() {
    for (int d : series_.Drives()) {
        TDriveBins& b = bins_[d];
        const auto& points = series_.Points(d);
        // A rebuilt series (new list, wrapped ring) is counted afresh.
        if (points.size() < b.Counted)
            b = TDriveBins{};
        for (std::size_t i = b.Counted; i < points.size(); ++i)
            ++b.Bins[ResponseTimeBin(points[i].Microseconds)];
        b.Counted = points.size();
    }
    for (auto it = bins_.begin(); it != bins_.end();)
        it = series_.Points(it->first).empty() ? bins_.erase(it) : std::next(it);
}

std::vector<int> TResponseTimesWindow::BinCounts() const {
    std::vector<int> out;
    const auto it = bins_.find(DriveBox->currentData().toInt());
    if (it == bins_.end() || it->second.Bins.empty())
        return out;
    const int first = it->second.Bins.begin()->first;
    const int last = it->second.Bins.rbegin()->first;
    for (int bin = first; bin <= last; ++bin) {
        const auto b = it->second.Bins.find(bin);
        out.push_back(b != it->second.Bins.end() ? b->second : 0);
    }
    return out;
}

int TResponseTimesWindow::ShownPoints() const {
    return static_cast<int>(scatter_->count());
}

void TResponseTimesWindow::ShowDrive() {
    const int drive = DriveBox->currentData().toInt();
    const auto& points = series_.Points(DriveBox->currentIndex() >= 0 ? drive : -1);

    const std::vector<int> counts = BinCounts();
    const auto binsIt = bins_.find(drive);
    QStringList labels;
    QList<qreal> values;
    int most = 1;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        labels << MicrosecondsText(
            ResponseTimeBinStart(binsIt->second.Bins.begin()->first + static_cast<int>(i)));
        values << counts[i];
        most = std::max(most, counts[i]);
    }
    barSet_->remove(0, barSet_->count());
    binAxis_->clear();
    binAxis_->append(labels);
    barSet_->append(values);
    countAxis_->setRange(0, most);

    if (points.size() < x_.size())
        x_.clear(), y_.clear();
    const TTimeBase base = series_.TimeBase();
    for (std::size_t i = x_.size(); i < points.size(); ++i) {
        x_.push_back(XOf(base, list_, points[i].Time));
        y_.push_back(static_cast<double>(std::max<std::int64_t>(1, points[i].Microseconds)));
    }
    timeAxis_->setTitleText(base == TTimeBase::Position ? tr("Position")
                            : base == TTimeBase::Receive
                                ? tr("Time [s] (receive time)")
                                : tr("Time [s] (line-monitor time stamps)"));
    if (!y_.empty()) {
        const auto [lo, hi] = std::minmax_element(y_.begin(), y_.end());
        usAxis_->setRange(*lo / 2, *hi * 2);
        std::vector<double> sorted = y_;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        Summary->setText(tr("%1 responses, minimum %2, median %3, maximum %4")
                             .arg(y_.size())
                             .arg(MicrosecondsText(*lo))
                             .arg(MicrosecondsText(sorted[sorted.size() / 2]))
                             .arg(MicrosecondsText(*hi)));
    } else {
        Summary->clear();
    }
    if (!fitted_ && !x_.empty()) {
        fitted_ = true;
        timeAxis_->setRange(x_.front(), x_.back() > x_.front() ? x_.back() : x_.front() + 1);
        return; // rangeChanged shows the points
    }
    ShowVisiblePoints();
}

void TResponseTimesWindow::ShowVisiblePoints() {
    const int columns =
        std::max(kMinColumns, static_cast<int>(TimeView->chart()->plotArea().width()));
    shown_ = DecimateMinMax(x_, y_, timeAxis_->min(), timeAxis_->max(), columns);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(shown_.size()));
    for (int i : shown_)
        points.append(QPointF(x_[static_cast<std::size_t>(i)], y_[static_cast<std::size_t>(i)]));
    scatter_->replace(points);
}

void TResponseTimesWindow::OnClicked(QPoint viewPos) {
    QChart* chart = TimeView->chart();
    const QPointF at = chart->mapFromScene(TimeView->mapToScene(viewPos));
    double best = kPickPixels * kPickPixels + 1;
    int found = -1;
    for (int i : shown_) {
        const QPointF p = chart->mapToPosition(
            QPointF(x_[static_cast<std::size_t>(i)], y_[static_cast<std::size_t>(i)]), scatter_);
        const double d = (p.x() - at.x()) * (p.x() - at.x()) + (p.y() - at.y()) * (p.y() - at.y());
        if (d < best) {
            best = d;
            found = i;
        }
    }
    if (found >= 0)
        emit EntrySelected(
            series_.Points(DriveBox->currentData().toInt())[static_cast<std::size_t>(found)]
                .Position);
}

} // namespace protmon
