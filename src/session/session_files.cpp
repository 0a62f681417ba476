#include "files/force_extension.h"
#include "files/monitor_file.h"
#include "session/session.h"

#include <filesystem>

namespace protmon {

namespace {

std::string FolderOf(const std::string& file) {
    std::error_code ec;
    return std::filesystem::absolute(file, ec).parent_path().string();
}

} // namespace

void TMonitorSession::Clear(bool askUser) {
    markIndex_ = -1;
    if (list_.Empty())
        return;
    if (askUser && unsaved_ && !host_.Confirm("Erase all recorded telegrams ?"))
        return;
    host_.SetBusy(true);
    control_.Clear();
    RebuildTransactions();
    view_->RxErrorsChanged({});
    filteredView_.ListChanged();
    rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
    rows_.Reset();
    view_->RowsChanged();
    host_.SetBusy(false);
    SetIdle(true);
}

void TMonitorSession::Save() {
    const std::string chosen = chooser_->SaveFileName(fileFolder_, currentFileName_);
    if (chosen.empty())
        return;
    const std::string name = ForceExtension(chosen, "bu5");
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !host_.Confirm("Confirm overwriting " + name))
        return;
    host_.SetBusy(true);
    const TMonitorFileResult result = SaveMonitorFile(name, list_, settings_);
    host_.SetBusy(false);
    if (result.Code == kMonitorFileOpenError) {
        host_.ShowError(result.Message);
        return;
    }
    currentFileName_ = name;
    fileFolder_ = FolderOf(name);
    UpdateTitle();
    if (!result.Ok())
        host_.ShowError(result.Message);
    else
        unsaved_ = false;
}

void TMonitorSession::Read() {
    Clear(true);
    if (!list_.Empty())
        return;
    const std::string chosen = chooser_->OpenFileName(fileFolder_);
    if (chosen.empty())
        return;
    const std::string name = ForceExtension(chosen, "bu5");
    host_.SetBusy(true);
    const TMonitorFileResult result = ReadMonitorFile(name, list_, settings_);
    host_.SetBusy(false);
    if (result.Code == kMonitorFileOpenError) {
        host_.ShowError(result.Message);
        return;
    }
    currentFileName_ = name;
    fileFolder_ = FolderOf(name);
    FileRead();
    if (!result.Ok())
        host_.ShowError(result.Message);
}

void TMonitorSession::FileRead() {
    ++recordingNumber_;
    filteredView_.SetFilterDisplay(false);
    filteredView_.BuildFilteredDisplay();
    markIndex_ = -1;
    unsaved_ = false;
    rows_.SetNextLiveEntry(list_.Count());
    rows_.ResetLiveRow();
    lineMonitorInfoAllowed_ = settings_.Monitor;
    RebuildTransactions();
    view_->CommandsChanged();
    SetIdle(true);
    FilterChanged();
    view_->FocusList();
}

} // namespace protmon
