#include "ui/trends_window.h"

#include "analysis/analysis_numbers.h"
#include "analysis/trend_decimate.h"
#include "analysis/trend_text.h"
#include "descriptions/cfg_list.h"
#include "descriptions/set_code_page.h"
#include "model/telegram_list.h"
#include "ui/cell_text.h"

#include <QBuffer>
#include <QChart>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#ifdef PROTMON_HAVE_SVG
#include <QPainter>
#include <QSvgGenerator>
#endif

namespace protmon {

namespace {

constexpr double kZoomStep = 1.25;
constexpr int kPanPixels = 40;
constexpr int kPickPixels = 8;
// Pixel columns assumed before the chart has its size (a hidden window).
constexpr int kMinColumns = 256;
constexpr int kClickSlack = 3;

const Qt::GlobalColor kCurveColors[TTrendsWindow::kMaxCurves] = {Qt::blue, Qt::red, Qt::darkGreen,
                                                                 Qt::darkMagenta};

constexpr int kTicks = 6;
constexpr int kHighlightSize = 16;

QString DriveText(int drive) {
    return QStringLiteral("%1").arg(drive, 2, 16, QLatin1Char('0')).toUpper();
}

QString Latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

const char* const kChartHint = "Drag: zoom in   Wheel, +/-: zoom   Arrows, middle drag: pan   "
                               "Home: show all   Click a point: select its telegram";

TTrendChartView::TTrendChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QString::fromLatin1(kChartHint));
    // Partial updates leave pieces of old point markers behind when a series is replaced.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
}

namespace {

double RoundStep(double min, double max, bool whole) {
    const double step = NiceTickStep(max - min, kTicks);
    return whole ? std::max(1.0, step) : step;
}

void SetStep(QValueAxis* axis, double step, bool whole) {
    if (step != axis->tickInterval())
        axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(whole ? 0 : StepDecimals(step)));
}

} // namespace

void UseRoundTicks(QValueAxis* axis, bool whole) {
    SetStep(axis, RoundStep(axis->min(), axis->max(), whole), whole);
    axis->setTickAnchor(0);
    axis->setTickType(QValueAxis::TicksDynamic);
    // Zoom and pan change the range from inside the chart.
    QObject::connect(axis, &QValueAxis::rangeChanged, axis, [axis, whole](qreal min, qreal max) {
        SetStep(axis, RoundStep(min, max, whole), whole);
    });
}

void SetRoundRange(QValueAxis* axis, double min, double max, bool whole) {
    const double step = RoundStep(min, max, whole);
    if (step > axis->tickInterval())
        SetStep(axis, step, whole);
    axis->setRange(min, max);
}

QScatterSeries* AddHighlight(QChart* chart, QColor color) {
    auto* ring = new QScatterSeries(chart);
    ring->setMarkerSize(kHighlightSize);
    ring->setColor(Qt::transparent);
    ring->setBorderColor(color);
    QPen pen(color);
    pen.setWidth(3);
    ring->setPen(pen);
    chart->addSeries(ring);
    for (QLegendMarker* marker : chart->legend()->markers(ring))
        marker->setVisible(false);
    return ring;
}

void ShowHighlight(QScatterSeries* ring, QPointF at, QAbstractAxis* x, QAbstractAxis* y) {
    // Series are drawn in the order they were added: the ring goes last, over the curves.
    QChart* chart = ring->chart();
    chart->removeSeries(ring);
    chart->addSeries(ring);
    ring->attachAxis(x);
    ring->attachAxis(y);
    for (QLegendMarker* marker : chart->legend()->markers(ring))
        marker->setVisible(false);
    ring->replace({at});
}

void TTrendChartView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Plus:
        chart()->zoom(kZoomStep);
        break;
    case Qt::Key_Minus:
        chart()->zoom(1 / kZoomStep);
        break;
    case Qt::Key_Left:
        chart()->scroll(-kPanPixels, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(kPanPixels, 0);
        break;
    case Qt::Key_Up:
        chart()->scroll(0, kPanPixels);
        break;
    case Qt::Key_Down:
        chart()->scroll(0, -kPanPixels);
        break;
    case Qt::Key_Home:
        event->accept();
        emit HomeRequested();
        return;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
    emit ViewChosen();
}

void TTrendChartView::wheelEvent(QWheelEvent* event) {
    const double factor = event->angleDelta().y() > 0 ? kZoomStep : 1 / kZoomStep;
    // Zooms around the pointer: the point under it stays where it is.
    const QRectF area = chart()->plotArea();
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    QRectF zoomed(0, 0, area.width() / factor, area.height() / factor);
    zoomed.moveCenter(at + (area.center() - at) / factor);
    chart()->zoomIn(zoomed);
    event->accept();
    emit ViewChosen();
}

void TTrendChartView::mousePressEvent(QMouseEvent* event) {
    pressPos_ = event->pos();
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panFrom_ = event->pos();
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void TTrendChartView::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPoint d = event->pos() - panFrom_;
        chart()->scroll(-d.x(), d.y());
        panFrom_ = event->pos();
        event->accept();
        emit ViewChosen();
        return;
    }
    emit Hovered(event->pos());
    QChartView::mouseMoveEvent(event);
}

void TTrendChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_ && event->button() == Qt::MiddleButton) {
        panning_ = false;
        event->accept();
        return;
    }
    const bool click = event->button() == Qt::LeftButton &&
                       (event->pos() - pressPos_).manhattanLength() <= kClickSlack;
    QChartView::mouseReleaseEvent(event);
    if (click)
        emit Clicked(event->pos());
    else if (rubberBand() != QChartView::NoRubberBand)
        emit ViewChosen(); // a rectangle zoomed in, or the right button out
}

// One curve: its series builder (which holds the x and y of every point), the range of its
// values taken in so far, and what the chart holds of them.
struct TTrendsWindow::TCurve {
    explicit TCurve(TSeriesKey key) : Builder(key) {}

    TValueSeriesBuilder Builder;
    std::size_t Ranged = 0; // points whose values are in Low .. High
    double Low = 0;
    double High = 0;
    std::vector<int> Shown; // indices of the points handed to the chart
    QLineSeries* Line = nullptr;
    QValueAxis* Axis = nullptr;
};

TTrendsWindow::TTrendsWindow(const TTelegramList& list, TTrendContextSource context,
                             QWidget* parent)
    : QWidget(parent), list_(list), context_(std::move(context)) {
    setWindowTitle(tr("Trends"));
    DriveBox = new QComboBox(this);
    ParameterBox = new QComboBox(this);
    // Long names widen the list that drops down, not the window.
    ParameterBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ParameterBox->setMinimumContentsLength(18);
    AddButton = new QPushButton(tr("Add"), this);
    ClearButton = new QPushButton(tr("Clear"), this);
    auto* exportButton = new QPushButton(tr("Export..."), this);
    Readout = new QLabel(this);
    Readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Readout->setWordWrap(true);
    auto* hint = new QLabel(QString::fromLatin1(kChartHint), this);
    hint->setWordWrap(true);
    hint->setEnabled(false);

    chart_ = new QChart();
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->setMargins(QMargins(2, 2, 2, 2));
    timeAxis_ = new QValueAxis(chart_);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    UseRoundTicks(timeAxis_);
    highlight_ = AddHighlight(chart_, Qt::black);
    ChartView = new TTrendChartView(chart_, this);
    ChartView->setMinimumSize(240, 160);

    auto* chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(tr("Drive:"), this));
    chooser->addWidget(DriveBox);
    chooser->addWidget(new QLabel(tr("Parameter:"), this));
    chooser->addWidget(ParameterBox, 1);
    chooser->addWidget(AddButton);
    chooser->addWidget(ClearButton);
    chooser->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(ChartView, 1);
    layout->addWidget(Readout);
    layout->addWidget(hint);
    resize(900, 560);

    connect(DriveBox, &QComboBox::currentIndexChanged, this, [this] { FillParameters(); });
    connect(AddButton, &QPushButton::clicked, this, [this] {
        if (DriveBox->currentIndex() >= 0 && ParameterBox->currentIndex() >= 0)
            AddCurve(DriveBox->currentData().toInt(),
                     static_cast<std::uint16_t>(ParameterBox->currentData().toInt()));
    });
    connect(ClearButton, &QPushButton::clicked, this, &TTrendsWindow::ClearCurves);
    connect(exportButton, &QPushButton::clicked, this, &TTrendsWindow::ExportRequested);
    connect(ChartView, &TTrendChartView::Clicked, this, &TTrendsWindow::OnClicked);
    connect(ChartView, &TTrendChartView::Hovered, this, &TTrendsWindow::OnHovered);
    connect(ChartView, &TTrendChartView::ViewChosen, this, [this] { following_ = false; });
    connect(ChartView, &TTrendChartView::HomeRequested, this, &TTrendsWindow::FitAll);
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this] { ShowAllVisiblePoints(); });
    connect(chart_, &QChart::plotAreaChanged, this, [this] { ShowAllVisiblePoints(); });
    Refresh();
}

TTrendsWindow::~TTrendsWindow() = default;

void TTrendsWindow::Refresh() {
    lastContext_ = context_();
    inventory_.Update(list_, lastContext_);
    FillDrives();
    for (auto& c : curves_)
        UpdateCurve(*c);
    UpdateTimeAxis();
}

void TTrendsWindow::StartOver() {
    ClearCurves();
    chart_->zoomReset();
    SetRoundRange(timeAxis_, 0, 1);
    following_ = true;
    Refresh();
}

void TTrendsWindow::FillDrives() {
    const int current = DriveBox->currentData().toInt();
    std::vector<int> drives;
    for (const TParameterCount& c : inventory_.Counts())
        if (drives.empty() || drives.back() != c.Drive)
            drives.push_back(c.Drive);
    const QSignalBlocker block(DriveBox);
    DriveBox->clear();
    for (int d : drives)
        DriveBox->addItem(DriveText(d), d);
    const int keep = DriveBox->findData(current);
    DriveBox->setCurrentIndex(keep >= 0 ? keep : (drives.empty() ? -1 : 0));
    FillParameters();
}

void TTrendsWindow::FillParameters() {
    const int drive = DriveBox->currentData().toInt();
    const QVariant current = ParameterBox->currentData();
    const CodePage codePage = DisplayCodePageOf(lastContext_.Set);
    ParameterBox->clear();
    for (const TParameterCount& c : inventory_.Counts()) {
        if (c.Drive != drive)
            continue;
        const TValueScale scale = DescribeParameter(lastContext_, c.Address);
        QString text = QString::number(c.Address);
        if (scale.Described) {
            text += QLatin1Char(' ') + VisibleCellText(scale.Ident, codePage) + QLatin1Char(' ') +
                    VisibleCellText(scale.Name, codePage);
            if (!scale.Unit.empty())
                text += QStringLiteral(" [%1]").arg(VisibleCellText(scale.Unit));
        }
        text += tr(" (%n values)", nullptr, c.Points);
        ParameterBox->addItem(text, c.Address);
    }
    const int keep = current.isValid() ? ParameterBox->findData(current) : -1;
    ParameterBox->setCurrentIndex(keep >= 0 ? keep : (ParameterBox->count() > 0 ? 0 : -1));
    AddButton->setEnabled(ParameterBox->count() > 0 && CurveCount() < kMaxCurves);
}

bool TTrendsWindow::AddCurve(int drive, std::uint16_t address) {
    const TSeriesKey key{drive, address};
    if (CurveCount() >= kMaxCurves)
        return false;
    for (const auto& c : curves_)
        if (c->Builder.Series().Key == key)
            return false;
    auto curve = std::make_unique<TCurve>(key);
    const QColor color(kCurveColors[curves_.size()]);
    curve->Line = new QLineSeries(chart_);
    curve->Line->setColor(color);
    curve->Line->setPointsVisible(true);
    curve->Line->setMarkerSize(5);
    curve->Axis = new QValueAxis(chart_);
    curve->Axis->setLinePenColor(color);
    curve->Axis->setLabelsColor(color);
    UseRoundTicks(curve->Axis);
    chart_->addSeries(curve->Line);
    chart_->addAxis(curve->Axis, curves_.size() % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
    curve->Line->attachAxis(timeAxis_);
    curve->Line->attachAxis(curve->Axis);
    curves_.push_back(std::move(curve));
    UpdateCurve(*curves_.back());
    FitAll();
    AddButton->setEnabled(CurveCount() < kMaxCurves);
    return true;
}

void TTrendsWindow::ClearCurves() {
    Highlight(-1, -1);
    for (auto& c : curves_) {
        chart_->removeSeries(c->Line);
        chart_->removeAxis(c->Axis);
        delete c->Line;
        delete c->Axis;
    }
    curves_.clear();
    following_ = true;
    AddButton->setEnabled(ParameterBox->count() > 0);
    Readout->clear();
}

QString TTrendsWindow::CurveTitle(const TValueSeries& series) const {
    const CodePage codePage = DisplayCodePageOf(lastContext_.Set);
    return VisibleCellText(TrendCurveTitle(series), codePage);
}

void TTrendsWindow::UpdateCurve(TCurve& curve) {
    const std::size_t before = curve.Builder.Series().Points.size();
    const TTelEntry* firstBefore = list_.At(0);
    curve.Builder.Update(list_, lastContext_);
    const TValueSeries& series = curve.Builder.Series();
    // A rebuilt series (new list, wrapped ring, other description set) is ranged afresh.
    if (series.Points.size() < before || firstBefore != list_.At(0) ||
        curve.Ranged > series.Y.size())
        curve.Ranged = 0;
    for (std::size_t i = curve.Ranged; i < series.Y.size(); ++i) {
        const double y = series.Y[i];
        curve.Low = i == 0 ? y : std::min(curve.Low, y);
        curve.High = i == 0 ? y : std::max(curve.High, y);
    }
    curve.Ranged = series.Y.size();
    if (highlightCurve_ >= 0 &&
        curves_[static_cast<std::size_t>(highlightCurve_)].get() == &curve &&
        static_cast<std::size_t>(highlightIndex_) >= series.Y.size())
        Highlight(-1, -1);
    const QString title = CurveTitle(series);
    curve.Line->setName(title);
    curve.Axis->setTitleText(title);
    if (following_ && curve.Ranged > 0) {
        const double pad = curve.High > curve.Low ? (curve.High - curve.Low) * 0.05
                                                  : std::max(1.0, std::fabs(curve.Low) * 0.05);
        SetRoundRange(curve.Axis, curve.Low - pad, curve.High + pad);
    }
}

void TTrendsWindow::UpdateTimeAxis() {
    const TValueSeries* any = curves_.empty() ? nullptr : &curves_.front()->Builder.Series();
    const TimeBasis base = any != nullptr ? any->TimeBase : TimeBasis::Position;
    switch (base) {
    case TimeBasis::Receive:
        timeAxis_->setTitleText(tr("Time [s] since the first entry (receive time)"));
        break;
    case TimeBasis::LineMonitor:
        timeAxis_->setTitleText(tr("Time [s] since the first entry (line-monitor time stamps)"));
        break;
    case TimeBasis::Position:
        timeAxis_->setTitleText(tr("Position"));
        break;
    }
    double lo = 0, hi = 0;
    bool have = false;
    for (const auto& c : curves_) {
        const TValueSeries& s = c->Builder.Series();
        if (s.X.empty())
            continue;
        lo = have ? std::min(lo, s.X.front()) : s.X.front();
        hi = have ? std::max(hi, s.X.back()) : s.X.back();
        have = true;
    }
    // Until the user chose a view, the time axis grows with the data.
    const double top = hi > lo ? hi : lo + 1;
    if (have && following_ && (timeAxis_->min() != lo || timeAxis_->max() != top)) {
        SetRoundRange(timeAxis_, lo, top);
        return; // rangeChanged shows the points
    }
    ShowAllVisiblePoints();
}

void TTrendsWindow::FitAll() {
    chart_->zoomReset();
    following_ = true;
    for (auto& c : curves_)
        UpdateCurve(*c);
    UpdateTimeAxis();
}

void TTrendsWindow::ShowVisiblePoints(TCurve& curve) {
    const TValueSeries& s = curve.Builder.Series();
    const int columns = std::max(kMinColumns, static_cast<int>(chart_->plotArea().width()));
    curve.Shown = DecimateMinMax(s.X, s.Y, timeAxis_->min(), timeAxis_->max(), columns);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.Shown.size()));
    for (int i : curve.Shown)
        points.append(QPointF(s.X[static_cast<std::size_t>(i)], s.Y[static_cast<std::size_t>(i)]));
    curve.Line->replace(points);
}

void TTrendsWindow::ShowAllVisiblePoints() {
    for (auto& c : curves_)
        ShowVisiblePoints(*c);
}

int TTrendsWindow::CurvePointCount(int curve) const {
    return curve >= 0 && curve < CurveCount()
               ? static_cast<int>(
                     curves_[static_cast<std::size_t>(curve)]->Builder.Series().X.size())
               : 0;
}

int TTrendsWindow::CurveShownCount(int curve) const {
    return curve >= 0 && curve < CurveCount()
               ? static_cast<int>(curves_[static_cast<std::size_t>(curve)]->Line->count())
               : 0;
}

QPoint TTrendsWindow::PointPixel(int curve, int index) const {
    const TCurve& c = *curves_.at(static_cast<std::size_t>(curve));
    const TValueSeries& s = c.Builder.Series();
    const QPointF value(s.X.at(static_cast<std::size_t>(index)),
                        s.Y.at(static_cast<std::size_t>(index)));
    return ChartView->mapFromScene(chart_->mapToScene(chart_->mapToPosition(value, c.Line)));
}

bool TTrendsWindow::NearestPoint(QPoint viewPos, int& curve, int& index) const {
    const QPointF at = chart_->mapFromScene(ChartView->mapToScene(viewPos));
    double best = kPickPixels * kPickPixels + 1;
    for (std::size_t k = 0; k < curves_.size(); ++k) {
        const TCurve& c = *curves_[k];
        const TValueSeries& s = c.Builder.Series();
        for (int i : c.Shown) {
            const QPointF p = chart_->mapToPosition(
                QPointF(s.X[static_cast<std::size_t>(i)], s.Y[static_cast<std::size_t>(i)]),
                c.Line);
            const double dx = p.x() - at.x(), dy = p.y() - at.y();
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                curve = static_cast<int>(k);
                index = i;
            }
        }
    }
    return best <= kPickPixels * kPickPixels;
}

void TTrendsWindow::Highlight(int curve, int index) {
    highlightCurve_ = curve;
    highlightIndex_ = index;
    if (curve < 0) {
        highlight_->clear();
        return;
    }
    const TCurve& c = *curves_[static_cast<std::size_t>(curve)];
    const TValueSeries& s = c.Builder.Series();
    ShowHighlight(
        highlight_,
        QPointF(s.X[static_cast<std::size_t>(index)], s.Y[static_cast<std::size_t>(index)]),
        timeAxis_, c.Axis);
}

void TTrendsWindow::OnClicked(QPoint viewPos) {
    int curve = 0, index = 0;
    if (!NearestPoint(viewPos, curve, index))
        return;
    Highlight(curve, index);
    emit EntrySelected(curves_[static_cast<std::size_t>(curve)]
                           ->Builder.Series()
                           .Points[static_cast<std::size_t>(index)]
                           .Position);
}

void TTrendsWindow::OnHovered(QPoint viewPos) {
    int curve = 0, index = 0;
    const TimeBasis base =
        curves_.empty() ? TimeBasis::Position : curves_.front()->Builder.Series().TimeBase;
    if (!NearestPoint(viewPos, curve, index)) {
        if (!curves_.empty()) {
            const QPointF v = chart_->mapToValue(
                chart_->mapFromScene(ChartView->mapToScene(viewPos)), curves_.front()->Line);
            Readout->setText(Latin1Text(TrendTimeText(base, v.x())));
        }
        return;
    }
    const TCurve& c = *curves_[static_cast<std::size_t>(curve)];
    const TValueSeries& s = c.Builder.Series();
    const TValuePoint& p = s.Points[static_cast<std::size_t>(index)];
    const CodePage codePage = DisplayCodePageOf(lastContext_.Set);
    Readout->setText(
        tr("#%1  %2   %3 = %4")
            .arg(p.Position)
            .arg(Latin1Text(TrendTimeText(s.TimeBase, s.X[static_cast<std::size_t>(index)])))
            .arg(c.Line->name())
            .arg(VisibleCellText(TrendValueText(lastContext_, s, p), codePage)));
}

bool TTrendsWindow::CanExportSvg() {
#ifdef PROTMON_HAVE_SVG
    return true;
#else
    return false;
#endif
}

std::string TTrendsWindow::ExportBytes(TrendExportFormat format) {
    if (format == TrendExportFormat::Csv) {
        std::vector<const TValueSeries*> series;
        for (const auto& c : curves_)
            series.push_back(&c->Builder.Series());
        const CodePage codePage = DisplayCodePageOf(lastContext_.Set);
        return TrendCsvText(series, timeAxis_->min(), timeAxis_->max(), codePage);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
#ifdef PROTMON_HAVE_SVG
    if (format == TrendExportFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(ChartView->size());
        svg.setViewBox(QRect(QPoint(0, 0), ChartView->size()));
        QPainter painter(&svg);
        ChartView->render(&painter);
        painter.end();
        return bytes.toStdString();
    }
#endif
    ChartView->grab().save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace protmon
