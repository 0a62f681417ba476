#include "ui/telegram_list_view.h"

#include "analysis/analysis_numbers.h"
#include "ui/cell_text.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <optional>
#include <utility>

namespace protmon {

TRowModel::TRowModel(const TRowWindow& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows),
      timeHeader_(QString::fromLatin1(TimeColumnHeader(TimeBasis::Receive))),
      responseHeader_(QString::fromLatin1(kResponseColumnHeader)), shownRows_(rows.VisibleRows()) {
    TakeTexts();
}

int TRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int TRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4 + ExtraCount();
}

QVariant TRowModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownRows_ ||
        index.column() < 0 || index.column() >= columnCount())
        return {};
    return CellText(index.row(), index.column());
}

const QString& TRowModel::CellText(int row, int column) const {
    const auto r = static_cast<std::size_t>(row);
    if (column < 4)
        return texts_[r][static_cast<std::size_t>(column)];
    static const QString kEmpty;
    // Column 4 is "Time" when shown, else "Response".
    const std::size_t which = column == 4 && showTime_ ? 0 : 1;
    return r < extraTexts_.size() ? extraTexts_[r][which] : kEmpty;
}

void TRowModel::SetExtraColumns(bool time, bool response) {
    if (time == showTime_ && response == showResponse_)
        return;
    beginResetModel();
    showTime_ = time;
    showResponse_ = response;
    stale_ = true;
    TakeTexts();
    endResetModel();
}

void TRowModel::SetExtraHeaders(const QString& time, const QString& response) {
    if (time == timeHeader_ && response == responseHeader_)
        return;
    timeHeader_ = time;
    responseHeader_ = response;
    if (ExtraCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 4, 3 + ExtraCount());
}

void TRowModel::SetExtraCellSource(TExtraCellSource source) {
    extraSource_ = std::move(source);
    InvalidateExtraTexts();
}

void TRowModel::TakeTexts() {
    const std::vector<TRowTexts>& rows = rows_.Rows();
    const bool all = stale_ || texts_.size() != rows.size();
    texts_.resize(rows.size());
    shownRowRevision_.resize(rows.size());
    if (ExtraCount() > 0 && extraSource_)
        extraTexts_.resize(rows.size());
    else
        extraTexts_.clear();
    changedRuns_.clear();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!TakeRow(r, rows[r], all))
            continue;
        const int row = static_cast<int>(r);
        if (!changedRuns_.empty() && changedRuns_.back().second == row - 1)
            changedRuns_.back().second = row;
        else
            changedRuns_.emplace_back(row, row);
    }
    stale_ = false;
    QString header = VisibleCellText(rows_.HeaderCaption(), CodePage::Latin1, glyphs_);
    headerChanged_ = all || header != header_;
    header_ = std::move(header);
}

bool TRowModel::TakeRow(std::size_t r, const TRowTexts& row, bool all) {
    const unsigned revision = rows_.RowRevision(static_cast<int>(r));
    bool changed = all || revision != shownRowRevision_[r];
    if (changed) {
        shownRowRevision_[r] = revision;
        texts_[r] = {VisibleCellText(row.Caption, codePage_, glyphs_),
                     VisibleCellText(row.Id, codePage_, glyphs_),
                     VisibleCellText(row.Service, codePage_, glyphs_),
                     VisibleCellText(row.Additional, codePage_, glyphs_)};
    }
    if (extraTexts_.empty())
        return changed;
    // A reply may fill the "Response" of a row that itself did not change, so these few texts
    // are looked at on every take.
    std::array<QString, 2> extra;
    const int position = rows_.SelectedEntry(static_cast<int>(r));
    if (position >= 0) {
        std::string time;
        std::string response;
        extraSource_(position, time, response);
        extra = {QString::fromLatin1(time), QString::fromLatin1(response)};
    }
    if (extra != extraTexts_[r]) {
        extraTexts_[r] = std::move(extra);
        changed = true;
    }
    return changed;
}

QVariant TRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return header_;
    case 1:
        return QStringLiteral("ID");
    case 2:
        return QStringLiteral("Function/Service");
    case 3:
        return QStringLiteral("Additional");
    case 4:
        return showTime_ ? timeHeader_ : responseHeader_;
    case 5:
        return responseHeader_;
    default:
        return {};
    }
}

void TRowModel::Sync() {
    const int want = rows_.VisibleRows();
    if (want > shownRows_) {
        beginInsertRows({}, shownRows_, want - 1);
        TakeTexts();
        shownRows_ = want;
        endInsertRows();
        stale_ = true; // the rows kept may read differently too
    } else if (want < shownRows_) {
        beginRemoveRows({}, want, shownRows_ - 1);
        TakeTexts();
        shownRows_ = want;
        endRemoveRows();
        stale_ = true;
    }
    if (rows_.Revision() != shownRevision_ || stale_) {
        shownRevision_ = rows_.Revision();
        TakeTexts();
        for (const auto& [first, last] : changedRuns_)
            emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
    }
}

bool TRowModel::TakeHeaderChange() {
    return std::exchange(headerChanged_, false);
}

void TRowModel::SetCodePage(protmon::CodePage codePage) {
    if (codePage == codePage_)
        return;
    codePage_ = codePage;
    // Forces the next Sync to convert and redraw even when no row text changed.
    stale_ = true;
}

void TRowModel::SetGlyphs(const TCellGlyphs& glyphs) {
    glyphs_ = glyphs;
    stale_ = true;
}

TTelegramListView::TTelegramListView(TRowWindow& rows, QWidget* parent)
    : TTelegramListView(rows, std::make_unique<TRowWindowCommands>(rows), nullptr, parent) {}

TTelegramListView::TTelegramListView(const TRowWindow& rows, IRowCommands& commands,
                                     QWidget* parent)
    : TTelegramListView(rows, nullptr, &commands, parent) {}

TTelegramListView::TTelegramListView(const TRowWindow& rows, std::unique_ptr<IRowCommands> own,
                                     IRowCommands* commands, QWidget* parent)
    : QTableView(parent), rows_(rows), ownCommands_(std::move(own)),
      commands_(commands != nullptr ? *commands : *ownCommands_), model_(new TRowModel(rows, this)),
      scrollBar_(new QScrollBar(Qt::Vertical, this)) {
    setModel(model_);
    UpdateFontMetrics();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setTabKeyNavigation(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, kColumnWidths[c]);
    setColumnWidth(3, 615);

    // The selection stays visible when the list loses the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    scrollBar_->setMinimum(0);
    scrollBar_->setSingleStep(1);
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &TTelegramListView::OnScrollBar);
    connect(this, &QAbstractItemView::pressed, this, [this] { emit detailsRequested(); });
    // Widening or narrowing one of the first three columns gives or takes the room of column 3.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section != 3)
            FitColumn3();
    });
    viewport()->installEventFilter(this);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalHeader()->setDefaultSectionSize(RowHeight());
}

int TTelegramListView::RowHeight() const {
    return fontMetrics().height() + 4;
}

void TTelegramListView::UpdateFontMetrics() {
    fixedPitch_ = QFontInfo(font()).fixedPitch();
    charWidth_ = std::max(QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')), 1);
    model_->SetGlyphs(GlyphsForFont(font()));
}

QRect TTelegramListView::CellTextRect(int row, int column) const {
    return {columnViewportPosition(column) + 3, rowViewportPosition(row), columnWidth(column) - 4,
            RowHeight()};
}

int TTelegramListView::VisibleTextWidth(const QRect& cell) const {
    return std::min(cell.right() + 1, scrollBar_->x() - viewport()->x()) - cell.left();
}

QString TTelegramListView::ShownText(int row, int column) const {
    return FittingText(model_->CellText(row, column), VisibleTextWidth(CellTextRect(row, column)));
}

QString TTelegramListView::ToolTipAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid())
        return {};
    const QString& text = model_->CellText(index.row(), index.column());
    return ShownText(index.row(), index.column()) == text ? QString() : text;
}

bool TTelegramListView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
}

QString TTelegramListView::FittingText(const QString& text, int width) const {
    if (!fixedPitch_)
        return QFontMetrics(font()).elidedText(text, Qt::ElideRight, width);
    // With a fixed-pitch font the characters that fit are known without a text layout.
    const qsizetype fits = width / charWidth_;
    if (text.size() <= fits)
        return text;
    return fits <= 0 ? QString() : text.left(fits - 1) + QChar(0x2026);
}

// The rows are painted here directly, one plain line per cell: the styled per-cell painting of the
// table costs several times more, and the rows are redrawn on every scroll step and live frame.
void TTelegramListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPalette& pal = palette();
    // In bands: the raster engine hands a fill of a hundred lines or more to its thread pool,
    // whose wake-ups cost more than the fill at the live display's repaint rate. The viewport
    // does not fill itself (opaque paint event), so this is the only fill.
    constexpr int kFillBand = 64;
    const QRect area = event->rect();
    for (int y = area.top(); y <= area.bottom(); y += kFillBand)
        painter.fillRect(
            QRect(area.left(), y, area.width(), std::min(kFillBand, area.bottom() + 1 - y)),
            pal.brush(QPalette::Base));
    painter.setFont(font());
    const QFontMetrics fm(font());
    const int rowHeight = RowHeight();
    const int baseline = (rowHeight - fm.height()) / 2 + fm.ascent();
    const int selected = SelectedRow();
    for (int r = 0; r < model_->rowCount(); ++r) {
        const int y = rowViewportPosition(r);
        // The selection ends at the scroll bar, which lies over the right edge of the rows.
        const QRect rowRect(0, y, std::min(viewport()->width(), scrollBar_->x() - viewport()->x()),
                            rowHeight);
        if (y >= viewport()->height())
            break;
        if (!rowRect.intersects(event->rect()))
            continue;
        const bool isSelected = r == selected;
        if (isSelected)
            painter.fillRect(rowRect, pal.brush(QPalette::Active, QPalette::Highlight));
        painter.setPen(
            pal.color(QPalette::Active, isSelected ? QPalette::HighlightedText : QPalette::Text));
        for (int c = 0; c < model_->columnCount(); ++c) {
            const QRect cell = CellTextRect(r, c);
            const QString& text = model_->CellText(r, c);
            if (text.isEmpty() || cell.width() <= 0)
                continue;
            const QString shown = ShownText(r, c);
            if (fixedPitch_)
                painter.drawText(QPoint(cell.left(), y + baseline), shown);
            else
                painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                                 shown);
        }
    }
}

void TTelegramListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                    const QList<int>& roles) {
    if (!topLeft.isValid() || !bottomRight.isValid()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    // Rows end at the scroll bar that lies over them; leaving it out of the band spares the
    // scroll bar a repaint of its own.
    const int top = rowViewportPosition(topLeft.row());
    const int bottom = rowViewportPosition(bottomRight.row()) + RowHeight();
    const int width = std::min(viewport()->width(), scrollBar_->x() - viewport()->x());
    viewport()->update(QRect(0, top, width, bottom - top));
}

void TTelegramListView::Sync() {
    model_->Sync();
    // The count in the first caption changes with every telegram. Announcing it as changed
    // header data would make the table lay out and repaint its whole page; the section alone
    // is repainted instead (its width is fixed, not taken from the text).
    if (model_->TakeHeaderChange()) {
        QHeaderView* header = horizontalHeader();
        header->viewport()->update(
            QRect(header->sectionViewportPosition(0), 0, header->sectionSize(0), header->height()));
    }
    const QSignalBlocker block(scrollBar_);
    scrollBar_->setRange(0, rows_.ScrollMax());
    scrollBar_->setPageStep(rows_.LargeChange());
    scrollBar_->setValue(rows_.ScrollPosition());
}

void TTelegramListView::OnScrollBar(int value) {
    commands_.ScrollTo(value);
    Sync();
}

void TTelegramListView::UpdateRowCount() {
    const int rows = TRowWindow::RowsThatFit(viewport()->height(), RowHeight());
    if (rows != rows_.VisibleRows()) {
        commands_.SetVisibleRows(rows);
        if (!rows_.Capturing())
            commands_.RefreshRows();
        Sync();
    }
}

void TTelegramListView::PlaceScrollBar() {
    const QRect vp = viewport()->geometry();
    scrollBar_->setGeometry(width() - kScrollBarWidth - 2, vp.top(), kScrollBarWidth, vp.height());
    scrollBar_->raise();
}

void TTelegramListView::FitColumn3() {
    // The optional columns take their room from "Additional"; the first three keep theirs.
    int extra = 0;
    for (int c = 4; c < model_->columnCount(); ++c)
        extra += columnWidth(c);
    setColumnWidth(3, TRowWindow::Column3Width(width() - extra, columnWidth(0), columnWidth(1),
                                               columnWidth(2)));
}

void TTelegramListView::SetExtraColumns(bool time, bool response) {
    const std::array<int, 4> widths = {columnWidth(0), columnWidth(1), columnWidth(2),
                                       columnWidth(3)};
    model_->SetExtraColumns(time, response);
    // A model reset gives every column the default width again.
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    int column = 4;
    if (time)
        setColumnWidth(column++, kTimeColumnChars * charWidth_ + 8);
    if (response)
        setColumnWidth(column, kResponseColumnChars * charWidth_ + 8);
    Relayout();
}

void TTelegramListView::Relayout() {
    FitColumn3();
    verticalHeader()->setDefaultSectionSize(RowHeight());
    updateGeometries();
    UpdateRowCount();
    PlaceScrollBar();
    if (!rows_.Capturing())
        commands_.RefreshRows();
    Sync();
}

int TTelegramListView::FocusedRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

int TTelegramListView::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TTelegramListView::SelectRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
}

namespace {

std::optional<RowKey> MapKey(int key) {
    switch (key) {
    case Qt::Key_Home:
        return RowKey::Home;
    case Qt::Key_End:
        return RowKey::End;
    case Qt::Key_Up:
        return RowKey::Up;
    case Qt::Key_Down:
        return RowKey::Down;
    case Qt::Key_PageDown:
        return RowKey::PageDown;
    case Qt::Key_PageUp:
        return RowKey::PageUp;
    case Qt::Key_Space:
        return RowKey::Space;
    default:
        return std::nullopt;
    }
}

} // namespace

void TTelegramListView::keyPressEvent(QKeyEvent* event) {
    if (rows_.Capturing()) {
        event->accept();
        return;
    }
    // Qt gives the view a current item on focus-in, so "no focused row" means no selected row.
    const int focused = SelectedRow() < 0 ? -1 : FocusedRow();
    const std::optional<RowKey> key = MapKey(event->key());
    if (focused >= 0 && !key) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    const TRowKeyResult r = commands_.KeyPressed(key.value_or(RowKey::Home), focused);
    Sync();
    if (r.SelectRow >= 0)
        SelectRow(r.SelectRow);
    if (r.Details)
        emit detailsRequested();
}

void TTelegramListView::WheelNotches(int notches) {
    commands_.Wheel(notches, QApplication::wheelScrollLines());
    Sync();
}

void TTelegramListView::WheelAngle(int angleDelta) {
    // Angle deltas come in eighths of a degree; one notch is 120. Down is negative.
    wheelRemainder_ -= angleDelta;
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0)
        WheelNotches(notches);
}

void TTelegramListView::wheelEvent(QWheelEvent* event) {
    event->accept();
    WheelAngle(event->angleDelta().y());
}

void TTelegramListView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    Relayout();
}

void TTelegramListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateFontMetrics();
        Relayout();
    }
}

bool TTelegramListView::eventFilter(QObject* watched, QEvent* event) {
    // The horizontal scroll bar coming or going changes the page without resizing the view.
    if (watched == viewport() && event->type() == QEvent::Resize) {
        UpdateRowCount();
        PlaceScrollBar();
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace protmon
