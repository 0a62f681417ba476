#include "files/force_extension.h"
#include "files/monitor_file.h"
#include "session/buffer_depth.h"
#include "ui/file_chooser.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"

#include <QAction>
#include <QFileInfo>
#include <QInputDialog>

namespace protmon {

void TMyMonitor::MenuSaveClick() {
    const QString chosen =
        chooser_->SaveFileName(this, fileFolder_, QString::fromStdString(currentFileName_));
    if (chosen.isEmpty())
        return;
    const std::string name = ForceExtension(chosen.toStdString(), "bu5");
    if (QFileInfo::exists(QString::fromStdString(name)) &&
        !relay_.Confirm("Confirm overwriting " + name))
        return;
    relay_.SetBusy(true);
    const TMonitorFileResult result = SaveMonitorFile(name, list_, settings_);
    relay_.SetBusy(false);
    if (result.Code == kMonitorFileOpenError) {
        relay_.ShowError(result.Message);
        return;
    }
    currentFileName_ = name;
    fileFolder_ = QFileInfo(QString::fromStdString(name)).absolutePath();
    UpdateTitle();
    if (!result.Ok())
        relay_.ShowError(result.Message);
    else
        unsaved_ = false;
}

void TMyMonitor::MenuReadClick() {
    ClearTelegrams(true);
    if (!list_.Empty())
        return;
    const QString chosen = chooser_->OpenFileName(this, fileFolder_);
    if (chosen.isEmpty())
        return;
    const std::string name = ForceExtension(chosen.toStdString(), "bu5");
    relay_.SetBusy(true);
    TMonitorFileResult result = ReadMonitorFile(name, list_, settings_);
    relay_.SetBusy(false);
    if (result.Code == kMonitorFileOpenError) {
        relay_.ShowError(result.Message);
        return;
    }
    currentFileName_ = name;
    fileFolder_ = QFileInfo(QString::fromStdString(name)).absolutePath();
    FileRead();
    if (!result.Ok())
        relay_.ShowError(result.Message);
}

void TMyMonitor::FileRead() {
    actFilterDisplay_->setChecked(false);
    filteredView_.SetFilterDisplay(false);
    filteredView_.BuildFilteredDisplay();
    markIndex_ = -1;
    unsaved_ = false;
    rows_.SetNextLiveEntry(list_.Count());
    rows_.ResetLiveRow();
    SetLineMonitorInfoAllowed(settings_.Monitor);
    SetUiState(true);
    FilterChanged();
}

void TMyMonitor::FilterChanged() {
    rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
    rows_.UpdateScrollRange();
    rows_.SetScrollPosition(0);
    rows_.RefreshRows();
    listView_->Sync();
    UpdateTitle();
}

void TMyMonitor::MenuFilterDisplayClick() {
    if (filteredView_.FilterDisplayCommand())
        FilterChanged();
    actFilterDisplay_->setChecked(filteredView_.FilterDisplay());
    ShowDetails();
}

void TMyMonitor::MenuSearchClick() {
    int from = rows_.SelectedEntry(listView_->SelectedRow());
    if (from < 0)
        from = rows_.FirstShownPosition();
    const TSearchResult found = filteredView_.SearchNext(from);
    if (found.Status == TSearchStatus::Found)
        ShowEntry(found.Position);
}

void TMyMonitor::MenuBufferClick() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, QString::fromLatin1(kBufferPromptTitle.data(), kBufferPromptTitle.size()),
        QString::fromLatin1(kBufferPrompt.data(), kBufferPrompt.size()), QLineEdit::Normal,
        QString::fromStdString(BufferInputText(list_)), &ok);
    std::optional<std::string> input;
    if (ok)
        input = text.toStdString();
    const TBufferCommandResult r =
        BufferCommand(list_, input, trigger_.TriggerDelay(), &filteredView_, relay_);
    if (!r.Applied)
        return;
    actBuffer_->setText(QString::fromStdString(r.Caption));
    if (r.Truncated) {
        rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
        rows_.UpdateScrollRange();
        Redraw();
    }
}

} // namespace protmon
