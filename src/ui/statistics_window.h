#pragma once

#include "analysis/transaction_stats.h"
#include "analysis/transaction_table.h"

#include <QAbstractItemModel>
#include <QSet>
#include <QWidget>

class QPushButton;
class QSortFilterProxyModel;
class QTreeView;

namespace protmon {

// Role carrying a cell's sort key (qlonglong); the drive column sorts by address, then service.
constexpr int kStatisticsSortRole = Qt::UserRole;
// Role carrying a row's drive address (int) on drive and service rows alike.
constexpr int kStatisticsAddressRole = Qt::UserRole + 1;

// The statistics as a tree: one row per drive, its services as child rows.
class TStatisticsModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TStatisticsModel(QObject* parent = nullptr);

    void SetStatistics(TTransactionStats stats);
    const TTransactionStats& Statistics() const { return stats_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TTransactionStats stats_;
};

// "Statistics": requests, responses, missing replies, error responses and response times per
// drive and service, sortable by any column. Refresh it once a second while a capture runs.
class TStatisticsWindow : public QWidget {
    Q_OBJECT
public:
    explicit TStatisticsWindow(QWidget* parent = nullptr);

    // Brings the statistics up to the table, counting only what is new since the last refresh;
    // expanded drives stay expanded.
    void Refresh(const TTransactionTable& table);
    void SetStatistics(TTransactionStats stats);

    TStatisticsModel* Model() const { return model_; }
    QSortFilterProxyModel* SortModel() const { return sorted_; }
    QTreeView* View() const { return view_; }
    // "Copy": the table as TAB-separated text on the clipboard.
    void CopyTable() const;

signals:
    // A double click on a drive row (or one of its services): that drive's address byte.
    void driveActivated(int address);

private:
    void OnDoubleClicked(const QModelIndex& index);
    // Widths of the columns for their captions and large values; returns the window width that
    // shows them all.
    int FitColumns();
    void RememberExpanded();

    TStatisticsModel* model_;
    QSortFilterProxyModel* sorted_;
    QTreeView* view_;
    QPushButton* copy_;
    QSet<int> expanded_;
    TStatisticsFollower follower_;
};

} // namespace protmon
