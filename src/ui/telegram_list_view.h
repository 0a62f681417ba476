#pragma once

#include "decode/cell_glyphs.h"
#include "descriptions/code_page.h"
#include "view/row_commands.h"
#include "view/row_window.h"

#include <QAbstractTableModel>
#include <QString>
#include <QTableView>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QScrollBar;

namespace protmon {

// Texts of the optional columns "Time" and "Response" for the entry at a list position.
using TExtraCellSource =
    std::function<void(int position, std::string& time, std::string& response)>;

// Exactly the rows of the row window, as a four-column table; the optional columns "Time" and
// "Response" follow "Additional" while switched on.
class TRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRowModel(const TRowWindow& rows, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Follows the row window: row count first, then the texts of the rows that changed, each run
    // of them announced by one dataChanged.
    void Sync();
    // True once after a Sync that changed the caption of the first column.
    bool TakeHeaderChange();
    // Text of a cell as shown; row and column must be inside the table.
    const QString& CellText(int row, int column) const;

    // Code page of the names of the L7 decoder's description set; redraws on a change.
    void SetCodePage(protmon::CodePage codePage);
    protmon::CodePage CodePage() const { return codePage_; }
    // Symbols for control bytes, chosen for the list's font; the copy writes the same ones.
    void SetGlyphs(const TCellGlyphs& glyphs);
    const TCellGlyphs& Glyphs() const { return glyphs_; }

    // Which optional columns are shown, and where their texts come from.
    void SetExtraColumns(bool time, bool response);
    void SetExtraCellSource(TExtraCellSource source);
    // Headers of the optional columns, naming their units.
    void SetExtraHeaders(const QString& time, const QString& response);
    bool ShowsTime() const { return showTime_; }
    bool ShowsResponse() const { return showResponse_; }
    // The optional texts are taken again at the next Sync (a reply arrived, a table was rebuilt).
    void InvalidateExtraTexts() { stale_ = true; }

private:
    // Converts the rows that changed since they were last taken (every row while stale) and
    // collects them as runs of neighbouring rows.
    void TakeTexts();
    // Texts of one row; true when any of them changed.
    bool TakeRow(std::size_t row, const TRowTexts& texts, bool all);
    int ExtraCount() const { return (showTime_ ? 1 : 0) + (showResponse_ ? 1 : 0); }

    const TRowWindow& rows_;
    protmon::CodePage codePage_ = protmon::CodePage::Latin1;
    TCellGlyphs glyphs_;
    // Cell texts converted once per change, not on every paint.
    std::vector<std::array<QString, 4>> texts_;
    // "Time" and "Response" of every row while either column is shown.
    std::vector<std::array<QString, 2>> extraTexts_;
    TExtraCellSource extraSource_;
    bool showTime_ = false;
    bool showResponse_ = false;
    QString header_;
    QString timeHeader_;
    QString responseHeader_;
    bool headerChanged_ = false;
    int shownRows_ = 0;
    unsigned shownRevision_ = ~0u;
    // Row revisions as last converted; every row is converted again while stale_ is set.
    std::vector<unsigned> shownRowRevision_;
    bool stale_ = true;
    std::vector<std::pair<int, int>> changedRuns_;
};

// The telegram list view: report style, whole-row selection, read-only, fixed-pitch font, its
// own vertical scroll bar over its right edge. It owns as many rows as fit on its page.
class TTelegramListView : public QTableView {
    Q_OBJECT
public:
    static constexpr int kScrollBarWidth = 22;
    static constexpr int kColumnWidths[3] = {62, 49, 172};
    // Widths of the optional columns in characters of the list's font.
    static constexpr int kTimeColumnChars = 25;
    static constexpr int kResponseColumnChars = 13;

    // On a row window of its own: the widget's commands go straight to it.
    explicit TTelegramListView(TRowWindow& rows, QWidget* parent = nullptr);
    // On rows someone else owns: reads `rows`, asks `commands` to scroll, resize and move.
    TTelegramListView(const TRowWindow& rows, IRowCommands& commands, QWidget* parent = nullptr);

    // Shows what the row window holds now, and its scroll range and position.
    void Sync();
    // Resize processing: column 3, row count, scroll bar geometry, redraw.
    void Relayout();
    int FocusedRow() const;
    int SelectedRow() const;
    void SelectRow(int row);
    int RowHeight() const;
    QScrollBar* ScrollBar() const { return scrollBar_; }
    TRowModel* RowModel() const { return model_; }
    // Wheel notches, down positive.
    void WheelNotches(int notches);
    // A wheel turn in eighths of a degree (QWheelEvent::angleDelta().y(), up positive), here or
    // anywhere over the window. Touchpads send parts of a notch; they add up to whole notches.
    void WheelAngle(int angleDelta);
    // The whole text of the cell at a viewport position when the cell cuts it short, else empty.
    QString ToolTipAt(const QPoint& viewportPos) const;
    // The text a cell paints: all of it, or the part that fits with an ellipsis at the end.
    QString ShownText(int row, int column) const;
    // Shows or hides the optional columns "Time" and "Response" (both hidden at first); their
    // width is taken from "Additional", the first three columns keep theirs.
    void SetExtraColumns(bool time, bool response);
    void SetExtraCellSource(TExtraCellSource source) {
        model_->SetExtraCellSource(std::move(source));
    }

signals:
    void detailsRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Repaints only the band of the changed rows (the base class repaints the whole page).
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void UpdateRowCount();
    void UpdateFontMetrics();
    void PlaceScrollBar();
    void FitColumn3();
    // The part of a cell's text that fits its width, ending in an ellipsis when cut.
    QString FittingText(const QString& text, int width) const;
    QRect CellTextRect(int row, int column) const;
    // Width of a cell's text up to the scroll bar, which lies over the right edge of the rows.
    int VisibleTextWidth(const QRect& cell) const;
    void OnScrollBar(int value);

    TTelegramListView(const TRowWindow& rows, std::unique_ptr<IRowCommands> own,
                      IRowCommands* commands, QWidget* parent);

    const TRowWindow& rows_;
    std::unique_ptr<IRowCommands> ownCommands_;
    IRowCommands& commands_;
    TRowModel* model_;
    QScrollBar* scrollBar_;
    int wheelRemainder_ = 0;
    bool fixedPitch_ = false;
    int charWidth_ = 1;
};

} // namespace protmon
