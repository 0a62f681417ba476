#include "ui/trends_window.h"

#include "analysis/trend_decimate.h"
#include "descriptions/cfg_list.h"
#include "model/telegram_list.h"
#include "ui/cell_text.h"

#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTextStream>
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

QString DriveText(int drive) {
    return QStringLiteral("%1").arg(drive, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TTrendChartView::TTrendChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
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
        chart()->zoomReset();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
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
}

// One curve: its series builder, the x and y of every point, and what the chart holds of them.
struct TTrendsWindow::TCurve {
    explicit TCurve(TSeriesKey key) : Builder(key) {}

    TValueSeriesBuilder Builder;
    std::vector<double> X;
    std::vector<double> Y;
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
    ParameterBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    AddButton = new QPushButton(tr("Add"), this);
    ClearButton = new QPushButton(tr("Clear"), this);
    auto* exportButton = new QPushButton(tr("Export..."), this);
    Readout = new QLabel(this);
    Readout->setTextInteractionFlags(Qt::TextSelectableByMouse);

    chart_ = new QChart();
    chart_->legend()->setAlignment(Qt::AlignBottom);
    timeAxis_ = new QValueAxis(chart_);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    ChartView = new TTrendChartView(chart_, this);

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
    resize(900, 560);

    connect(DriveBox, &QComboBox::currentIndexChanged, this, [this] { FillParameters(); });
    connect(AddButton, &QPushButton::clicked, this, [this] {
        if (DriveBox->currentIndex() >= 0 && ParameterBox->currentIndex() >= 0)
            AddCurve(DriveBox->currentData().toInt(),
                     static_cast<std::uint16_t>(ParameterBox->currentData().toInt()));
    });
    connect(ClearButton, &QPushButton::clicked, this, &TTrendsWindow::ClearCurves);
    connect(exportButton, &QPushButton::clicked, this, &TTrendsWindow::ChooseExportFile);
    connect(ChartView, &TTrendChartView::Clicked, this, &TTrendsWindow::OnClicked);
    connect(ChartView, &TTrendChartView::Hovered, this, &TTrendsWindow::OnHovered);
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
    const TCodePage codePage =
        lastContext_.Set != nullptr ? lastContext_.Set->DisplayCodePage : TCodePage::Latin1;
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
    chart_->addSeries(curve->Line);
    chart_->addAxis(curve->Axis, curves_.size() % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
    curve->Line->attachAxis(timeAxis_);
    curve->Line->attachAxis(curve->Axis);
    curves_.push_back(std::move(curve));
    UpdateCurve(*curves_.back());
    timeAxisFitted_ = false;
    UpdateTimeAxis();
    AddButton->setEnabled(CurveCount() < kMaxCurves);
    return true;
}

void TTrendsWindow::ClearCurves() {
    for (auto& c : curves_) {
        chart_->removeSeries(c->Line);
        chart_->removeAxis(c->Axis);
        delete c->Line;
        delete c->Axis;
    }
    curves_.clear();
    timeAxisFitted_ = false;
    AddButton->setEnabled(ParameterBox->count() > 0);
    Readout->clear();
}

double TTrendsWindow::XOf(const TValueSeries& series, std::int64_t time) const {
    switch (series.TimeBase) {
    case TTimeBase::Receive: {
        const TTelEntry* first = list_.At(0);
        const std::int64_t origin = first != nullptr ? first->ReceiveTime : 0;
        return static_cast<double>(time - origin) / 1e9;
    }
    case TTimeBase::LineMonitor:
        return static_cast<double>(time) / 1e6;
    case TTimeBase::Position:
        break;
    }
    return static_cast<double>(time);
}

QString TTrendsWindow::CurveTitle(const TValueSeries& series) const {
    const TValueScale& s = series.Scale;
    const TCodePage codePage =
        lastContext_.Set != nullptr ? lastContext_.Set->DisplayCodePage : TCodePage::Latin1;
    QString title = DriveText(series.Key.Drive) + QLatin1Char(' ');
    if (s.Described)
        title += VisibleCellText(s.Ident, codePage) + QLatin1Char(' ') +
                 VisibleCellText(s.Name, codePage);
    else
        title += QString::number(series.Key.Address);
    if (!s.Unit.empty())
        title += QStringLiteral(" [%1]").arg(VisibleCellText(s.Unit));
    return title;
}

void TTrendsWindow::UpdateCurve(TCurve& curve) {
    const std::size_t before = curve.Builder.Series().Points.size();
    const TTelEntry* firstBefore = list_.At(0);
    curve.Builder.Update(list_, lastContext_);
    const TValueSeries& series = curve.Builder.Series();
    // A rebuilt series (new list, wrapped ring, other description set) is taken in afresh.
    std::size_t from = curve.X.size();
    if (series.Points.size() < before || firstBefore != list_.At(0) || from > series.Points.size())
        from = 0;
    curve.X.resize(from);
    curve.Y.resize(from);
    for (std::size_t i = from; i < series.Points.size(); ++i) {
        curve.X.push_back(XOf(series, series.Points[i].Time));
        curve.Y.push_back(series.Points[i].Value);
    }
    curve.Line->setName(CurveTitle(series));
    curve.Axis->setTitleText(CurveTitle(series));
    if (!curve.Y.empty()) {
        const auto [lo, hi] = std::minmax_element(curve.Y.begin(), curve.Y.end());
        const double pad = *hi > *lo ? (*hi - *lo) * 0.05 : std::max(1.0, std::fabs(*lo) * 0.05);
        curve.Axis->setRange(*lo - pad, *hi + pad);
    }
}

void TTrendsWindow::UpdateTimeAxis() {
    const TValueSeries* any = curves_.empty() ? nullptr : &curves_.front()->Builder.Series();
    const TTimeBase base = any != nullptr ? any->TimeBase : TTimeBase::Position;
    switch (base) {
    case TTimeBase::Receive:
        timeAxis_->setTitleText(tr("Time [s] since the first entry (receive time)"));
        break;
    case TTimeBase::LineMonitor:
        timeAxis_->setTitleText(tr("Time [s] since the first entry (line-monitor time stamps)"));
        break;
    case TTimeBase::Position:
        timeAxis_->setTitleText(tr("Position"));
        break;
    }
    double lo = 0, hi = 0;
    bool have = false;
    for (const auto& c : curves_) {
        if (c->X.empty())
            continue;
        lo = have ? std::min(lo, c->X.front()) : c->X.front();
        hi = have ? std::max(hi, c->X.back()) : c->X.back();
        have = true;
    }
    // A following view keeps the user's zoom; the first data fit the axis.
    if (have && !timeAxisFitted_) {
        timeAxisFitted_ = true;
        timeAxis_->setRange(lo, hi > lo ? hi : lo + 1);
        return; // rangeChanged shows the points
    }
    ShowAllVisiblePoints();
}

void TTrendsWindow::ShowVisiblePoints(TCurve& curve) {
    const int columns = std::max(kMinColumns, static_cast<int>(chart_->plotArea().width()));
    curve.Shown = DecimateMinMax(curve.X, curve.Y, timeAxis_->min(), timeAxis_->max(), columns);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.Shown.size()));
    for (int i : curve.Shown)
        points.append(
            QPointF(curve.X[static_cast<std::size_t>(i)], curve.Y[static_cast<std::size_t>(i)]));
    curve.Line->replace(points);
}

void TTrendsWindow::ShowAllVisiblePoints() {
    for (auto& c : curves_)
        ShowVisiblePoints(*c);
}

int TTrendsWindow::CurvePointCount(int curve) const {
    return curve >= 0 && curve < CurveCount()
               ? static_cast<int>(curves_[static_cast<std::size_t>(curve)]->X.size())
               : 0;
}

int TTrendsWindow::CurveShownCount(int curve) const {
    return curve >= 0 && curve < CurveCount()
               ? static_cast<int>(curves_[static_cast<std::size_t>(curve)]->Line->count())
               : 0;
}

QPoint TTrendsWindow::PointPixel(int curve, int index) const {
    const TCurve& c = *curves_.at(static_cast<std::size_t>(curve));
    const QPointF value(c.X.at(static_cast<std::size_t>(index)),
                        c.Y.at(static_cast<std::size_t>(index)));
    return ChartView->mapFromScene(chart_->mapToScene(chart_->mapToPosition(value, c.Line)));
}

bool TTrendsWindow::NearestPoint(QPoint viewPos, int& curve, int& index) const {
    const QPointF at = chart_->mapFromScene(ChartView->mapToScene(viewPos));
    double best = kPickPixels * kPickPixels + 1;
    for (std::size_t k = 0; k < curves_.size(); ++k) {
        const TCurve& c = *curves_[k];
        for (int i : c.Shown) {
            const QPointF p = chart_->mapToPosition(
                QPointF(c.X[static_cast<std::size_t>(i)], c.Y[static_cast<std::size_t>(i)]),
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

void TTrendsWindow::OnClicked(QPoint viewPos) {
    int curve = 0, index = 0;
    if (NearestPoint(viewPos, curve, index))
        emit EntrySelected(curves_[static_cast<std::size_t>(curve)]
                               ->Builder.Series()
                               .Points[static_cast<std::size_t>(index)]
                               .Position);
}

void TTrendsWindow::OnHovered(QPoint viewPos) {
    int curve = 0, index = 0;
    if (!NearestPoint(viewPos, curve, index)) {
        if (!curves_.empty()) {
            const QPointF v = chart_->mapToValue(
                chart_->mapFromScene(ChartView->mapToScene(viewPos)), curves_.front()->Line);
            Readout->setText(tr("%1: %2").arg(timeAxis_->titleText()).arg(v.x(), 0, 'g', 10));
        }
        return;
    }
    const TCurve& c = *curves_[static_cast<std::size_t>(curve)];
    const TValuePoint& p = c.Builder.Series().Points[static_cast<std::size_t>(index)];
    QString text = tr("#%1  %2: %3   %4 = %5")
                       .arg(p.Position)
                       .arg(timeAxis_->titleText())
                       .arg(c.X[static_cast<std::size_t>(index)], 0, 'g', 10)
                       .arg(c.Line->name())
                       .arg(p.Value, 0, 'g', 10);
    const TValueScale& scale = c.Builder.Series().Scale;
    if (!scale.Unit.empty())
        text += QLatin1Char(' ') + VisibleCellText(scale.Unit);
    if (!p.Text.empty())
        text += QStringLiteral("  (%1)").arg(VisibleCellText(p.Text));
    Readout->setText(text);
    ChartView->setToolTip(p.Text.empty() ? QString() : VisibleCellText(p.Text));
}

bool TTrendsWindow::ExportCsv(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "curve,position,time,value,unit,text\n";
    const auto quoted = [](QString s) {
        if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')))
            return s;
        return QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    };
    for (const auto& c : curves_) {
        const TValueSeries& s = c->Builder.Series();
        for (std::size_t i = 0; i < c->X.size(); ++i) {
            if (c->X[i] < timeAxis_->min() || c->X[i] > timeAxis_->max())
                continue;
            const TValuePoint& p = s.Points[i];
            out << quoted(c->Line->name()) << ',' << p.Position << ','
                << QString::number(c->X[i], 'g', 15) << ',' << QString::number(p.Value, 'g', 15)
                << ',' << quoted(VisibleCellText(s.Scale.Unit)) << ','
                << quoted(VisibleCellText(p.Text)) << '\n';
        }
    }
    return out.status() == QTextStream::Ok && file.error() == QFile::NoError;
}

bool TTrendsWindow::ExportPicture(const QString& path) {
#ifdef PROTMON_HAVE_SVG
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(ChartView->size());
        svg.setViewBox(QRect(QPoint(0, 0), ChartView->size()));
        QPainter painter(&svg);
        ChartView->render(&painter);
        return painter.end();
    }
#endif
    return ChartView->grab().save(path, "PNG");
}

void TTrendsWindow::ChooseExportFile() {
#ifdef PROTMON_HAVE_SVG
    const QString filters = tr("CSV (*.csv);;PNG picture (*.png);;SVG picture (*.svg)");
#else
    const QString filters = tr("CSV (*.csv);;PNG picture (*.png)");
#endif
    QString chosen;
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Export"), QString(), filters, &chosen);
    if (path.isEmpty())
        return;
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
        chosen.startsWith(QStringLiteral("CSV")))
        ExportCsv(path);
    else
        ExportPicture(path);
}

} // namespace protmon
