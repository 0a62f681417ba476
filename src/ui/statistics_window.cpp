#include "ui/statistics_window.h"

#include "analysis/transaction_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace protmon {

namespace {

// Internal id of a service row: its drive's row plus one; drive rows have 0.
constexpr quintptr kDriveRow = 0;

} // namespace

TStatisticsModel::TStatisticsModel(QObject* parent) : QAbstractItemModel(parent) {}

void TStatisticsModel::SetStatistics(TTransactionStats stats) {
    beginResetModel();
    stats_ = std::move(stats);
    endResetModel();
}

QModelIndex TStatisticsModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kDriveRow);
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex TStatisticsModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kDriveRow)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kDriveRow);
}

int TStatisticsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return static_cast<int>(stats_.Drives.size());
    if (parent.internalId() != kDriveRow || parent.column() != 0)
        return 0;
    return static_cast<int>(stats_.Drives[static_cast<std::size_t>(parent.row())].Services.size());
}

int TStatisticsModel::columnCount(const QModelIndex&) const {
    return kStatisticsColumns;
}

QVariant TStatisticsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const bool isDrive = index.internalId() == kDriveRow;
    const std::size_t driveRow = isDrive ? static_cast<std::size_t>(index.row())
                                         : static_cast<std::size_t>(index.internalId() - 1);
    const TDriveStats& drive = stats_.Drives[driveRow];
    const TServiceStats* service =
        isDrive ? nullptr : &drive.Services[static_cast<std::size_t>(index.row())];
    const TTransactionCounters& counters = isDrive ? drive.Counters : service->Counters;
    const auto column = static_cast<StatisticsColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (column != StatisticsColumn::Drive)
            return QString::fromStdString(CounterCellText(counters, column));
        return QString::fromStdString(isDrive ? DriveLabel(drive.Address) : ServiceLabel(*service));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (column == StatisticsColumn::Drive ? Qt::AlignLeft : Qt::AlignRight));
    case kStatisticsSortRole:
        if (column != StatisticsColumn::Drive)
            return qlonglong{CounterSortValue(counters, column)};
        return isDrive ? qlonglong{drive.Address}
                       : qlonglong{service->Service * 2 + service->Write};
    case kStatisticsAddressRole:
        return drive.Address;
    default:
        return {};
    }
}

QVariant TStatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kStatisticsColumns)
        return {};
    return QString::fromLatin1(
        kStatisticsHeaders[static_cast<std::size_t>(section)].data(),
        static_cast<qsizetype>(kStatisticsHeaders[static_cast<std::size_t>(section)].size()));
}

TStatisticsWindow::TStatisticsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), model_(new TStatisticsModel(this)),
      sorted_(new QSortFilterProxyModel(this)), view_(new QTreeView(this)),
      copy_(new QPushButton(QStringLiteral("Copy"), this)) {
    setWindowTitle(QStringLiteral("Statistics"));
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(kStatisticsSortRole);
    view_->setModel(sorted_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(0, Qt::AscendingOrder);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    // A double click means "filter on this drive", not "expand".
    view_->setExpandsOnDoubleClick(false);
    view_->header()->setStretchLastSection(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addLayout(buttons);
    resize(FitColumns(), 360);

    connect(view_, &QTreeView::doubleClicked, this, &TStatisticsWindow::OnDoubleClicked);
    connect(copy_, &QPushButton::clicked, this, &TStatisticsWindow::CopyTable);
}

int TStatisticsWindow::FitColumns() {
    // Each column as wide as its caption or a large cell ("Write 63" below a drive, a time of
    // 99 s, a count of millions), whichever is wider.
    const QFontMetrics metrics(view_->font());
    const int padding = 2 * view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const int cell = metrics.horizontalAdvance(QStringLiteral("99999.999")) + padding;
    const int drive =
        metrics.horizontalAdvance(QStringLiteral("Write 63")) + padding + 2 * view_->indentation();
    int width = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        // Caption, its margins and room for the sort arrow.
        const QString text = model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int caption = view_->header()->fontMetrics().horizontalAdvance(text) +
                            4 * view_->style()->pixelMetric(QStyle::PM_HeaderMargin) +
                            view_->style()->pixelMetric(QStyle::PM_HeaderMarkSize);
        const int w = std::max(caption, c == 0 ? drive : cell);
        view_->header()->resizeSection(c, w);
        width += w;
    }
    const QMargins m = layout()->contentsMargins();
    return width + 2 * view_->frameWidth() +
           view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + m.left() + m.right();
}

void TStatisticsWindow::RememberExpanded() {
    expanded_.clear();
    for (int r = 0; r < sorted_->rowCount(); ++r) {
        const QModelIndex i = sorted_->index(r, 0);
        if (view_->isExpanded(i))
            expanded_.insert(i.data(kStatisticsAddressRole).toInt());
    }
}

void TStatisticsWindow::SetStatistics(TTransactionStats stats) {
    RememberExpanded();
    model_->SetStatistics(std::move(stats));
    for (int r = 0; r < sorted_->rowCount(); ++r) {
        const QModelIndex i = sorted_->index(r, 0);
        if (expanded_.contains(i.data(kStatisticsAddressRole).toInt()))
            view_->expand(i);
    }
}

void TStatisticsWindow::Refresh(const TTransactionTable& table) {
    SetStatistics(follower_.Update(table));
}

void TStatisticsWindow::OnDoubleClicked(const QModelIndex& index) {
    if (index.isValid())
        emit driveActivated(index.data(kStatisticsAddressRole).toInt());
}

void TStatisticsWindow::CopyTable() const {
    const std::string text = StatisticsTableText(model_->Statistics());
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace protmon
