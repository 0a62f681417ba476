#include "files/force_extension.h"
#include "files/monitor_file.h"
#include "files/recording_file.h"
#include "model/busy_scope.h"
#include "session/export_command.h"
#include "session/session.h"
#include "session/session_capture_parts.h"

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
    {
        TBusyScope busy(host_);
        capture_->Control.Clear();
        RebuildTransactions();
        view_->RxErrorsChanged({});
        filteredView_.ListChanged();
        rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
        rows_.Reset();
        view_->RowsChanged();
    }
    SetIdle(true);
}

void TMonitorSession::AddEntries(const std::vector<TTelEntry>& entries) {
    for (const TTelEntry& entry : entries)
        *list_.NewTelEntry() = entry;
    RebuildTransactions();
    rows_.UpdateScrollRange();
    Redraw();
}

void TMonitorSession::ShowFileError(const TMonitorFileResult& result, const std::string& path) {
    if (result.SystemError == 0)
        host_.ShowError(result.Message);
    else
        host_.ShowErrorDetail(result.Message, path + ": " + SystemReason(result.SystemError));
}

void TMonitorSession::Save() {
    const std::string chosen = chooser_->SaveFileName(fileFolder_, currentFileName_);
    if (chosen.empty())
        return;
    const std::string name = ForceExtension(chosen, "bu5");
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !host_.Confirm("Confirm overwriting " + name))
        return;
    const TMonitorFileResult result = [&] {
        TBusyScope busy(host_);
        return SaveMonitorFile(name, list_, settings_);
    }();
    if (result.Code == kMonitorFileOpenError) {
        ShowFileError(result, name);
        return;
    }
    currentFileName_ = name;
    fileFolder_ = FolderOf(name);
    UpdateTitle();
    if (!result.Ok())
        ShowFileError(result, name);
    else
        unsaved_ = false;
}

void TMonitorSession::Read() {
    const std::string chosen = chooser_->OpenFileName(fileFolder_);
    if (chosen.empty())
        return;
    LoadRecording(ForceExtension(chosen, "bu5"), false);
}

// The file is chosen and checked before "Erase all recorded telegrams ?" is asked, so that a
// cancelled dialog or a file with nothing to load never costs the recording in memory.
void TMonitorSession::LoadRecording(const std::string& name, bool anyFormat) {
    TMonitorFileInfo info;
    const TMonitorFileResult check = [&] {
        TBusyScope busy(host_); // a pcapng file is walked to its end
        return anyFormat ? ReadRecordingInfo(name, info) : ReadMonitorFileInfo(name, info);
    }();
    if (!HasRecordingToLoad(check, info)) {
        ShowFileError(check);
        return;
    }
    Clear(true);
    if (!list_.Empty())
        return;
    int mark = -1;
    const TMonitorFileResult result = [&] {
        TBusyScope busy(host_);
        return anyFormat ? ImportCommand(name, list_, settings_, mark)
                         : ReadMonitorFile(name, list_, settings_);
    }();
    // Changed since the check: the list was emptied, nothing else.
    if (result.Code == kMonitorFileOpenError || result.Code == kRecordingNotOurs) {
        ShowFileError(result);
        return;
    }
    currentFileName_ = name;
    fileFolder_ = FolderOf(name);
    FileRead();
    markIndex_ = mark;
    if (!result.Ok())
        ShowFileError(result);
}

void TMonitorSession::ShowFileError(const TMonitorFileResult& result) {
    if (result.Detail.empty())
        host_.ShowError(result.Message);
    else
        host_.ShowErrorDetail(result.Message, result.Detail);
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
