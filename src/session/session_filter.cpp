#include "session/buffer_depth.h"
#include "session/copy_text.h"
#include "session/session.h"

namespace protmon {

void TMonitorSession::FilterChanged() {
    rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
    rows_.UpdateScrollRange();
    rows_.SetScrollPosition(0);
    rows_.RefreshRows();
    view_->RowsChanged();
    UpdateTitle();
}

void TMonitorSession::FilterDisplay() {
    if (filteredView_.FilterDisplayCommand())
        FilterChanged();
    view_->CommandsChanged();
    // The selected row may show another telegram now, or none: the details follow it, and
    // never name a telegram that is no longer selected.
    const int selected = SelectedEntry();
    TDetailPanels texts = panels_;
    if (selected >= 0 && !Capturing() &&
        MakeDetailPanels(list_, selected, markIndex_, settings_.TimeStampResolution, texts)) {
        SetPanels(texts);
        return;
    }
    if (selected < 0)
        view_->SelectRow(-1);
    SetPanels({});
}

void TMonitorSession::FilterDialogClosed() {
    if (!filteredView_.FilterDisplay())
        return;
    filteredView_.FilterDialogClosed();
    FilterChanged();
}

void TMonitorSession::Search() {
    // With no row selected the search starts from the first visible row, which it selects, so
    // the row stays selected when nothing more is found.
    if (filteredView_.FilteredCount() < 0 && view_->SelectedRow() < 0 &&
        rows_.SelectedEntry(0) >= 0)
        view_->SelectRow(0);
    int from = SelectedEntry();
    if (from < 0)
        from = rows_.FirstShownPosition();
    const TSearchResult found = filteredView_.SearchNext(from);
    if (found.Status == SearchStatus::AlreadyFiltered)
        return;
    if (found.Status == SearchStatus::Found)
        ShowEntry(found.Position);
    view_->FocusList();
}

std::string TMonitorSession::BufferInputText() const {
    return protmon::BufferInputText(list_);
}

void TMonitorSession::Buffer(const std::optional<std::string>& input) {
    const TBufferCommandResult r =
        BufferCommand(list_, input, trigger_.TriggerDelay(), &filteredView_, host_);
    if (!r.Applied)
        return;
    if (!Capturing())
        RebuildTransactions();
    view_->CommandsChanged();
    if (r.Truncated) {
        rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
        rows_.UpdateScrollRange();
        Redraw();
    }
}

void TMonitorSession::ApplyTrigger(const TTriggerDialogState& dialog) {
    trigger_.ApplyDialog(dialog, list_.BufferDepth(), host_);
    view_->CommandsChanged();
}

void TMonitorSession::ShowTriggerTelegram(int position) {
    if (position >= 0) {
        ShowEntry(position);
        return;
    }
    rows_.UpdateScrollRange();
    rows_.SetScrollPosition(0);
    view_->RowsChanged();
    view_->SelectRow(-1);
}

bool TMonitorSession::PrepareCopy(TCopyDialogState& dialog) const {
    return PrepareCopyDialog(dialog, list_.Count(), filteredView_.FilteredCount());
}

std::optional<std::string> TMonitorSession::CopyText(const TCopyDialogState& dialog,
                                                     const TCellStyle& style) {
    TCopyResult copy = BuildCopyText(
        list_, filteredView_.FilteredCount(), dialog,
        [this](int position, TRowTexts& row) {
            DecodeRow(position, row);
            return true;
        },
        host_, style);
    Redraw();
    if (!copy.Copy)
        return std::nullopt;
    return std::move(copy.Text);
}

} // namespace protmon
