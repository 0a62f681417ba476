#include "analysis/transaction_text.h"
#include "files/force_extension.h"
#include "files/recording_file.h"
#include "model/busy_scope.h"
#include "session/export_command.h"
#include "session/session.h"

#include <algorithm>
#include <filesystem>

namespace protmon {

namespace {

constexpr std::string_view kExportFilteredQuestion =
    "Export only the telegrams of the filtered display ?";

} // namespace

TTransactionSettings TMonitorSession::TransactionSettings() const {
    return {settings_.Selection, settings_.SourceFlags, settings_.TimeStampResolution};
}

void TMonitorSession::RebuildTransactions() {
    table_.Rebuild(list_, TransactionSettings());
    tableCursor_.Commit(list_);
    view_->TransactionsChanged();
}

void TMonitorSession::FollowTransactions() {
    const std::uint64_t wrote = tableCursor_.TakeCount(list_);
    // More than the ring holds went by: entries were overwritten before the table saw them.
    if (wrote > static_cast<std::uint64_t>(list_.Count()))
        table_.Rebuild(list_, table_.Settings());
    else
        table_.AppendNewest(list_, static_cast<int>(wrote));
}

void TMonitorSession::FollowTransactionSettings() {
    const TTransactionSettings now = TransactionSettings();
    const TTransactionSettings& had = table_.Settings();
    if (Capturing() || (now.Selection == had.Selection && now.SourceFlags == had.SourceFlags &&
                        now.TimeStampResolution == had.TimeStampResolution))
        return;
    RebuildTransactions();
}

void TMonitorSession::GoToPartner() {
    const int selected = SelectedEntry();
    if (Capturing() || selected < 0 || table_.Size() != list_.Count())
        return;
    const int index = ArrivalIndexOf(list_, selected);
    const int partner = table_.PartnerIndex(index);
    if (partner < 0) {
        // The response cell says why: "no reply" for an unanswered request, "no request" for an
        // orphan response.
        const std::string note = ResponseCellText(table_, index);
        if (!note.empty())
            view_->StatusNote(note);
        return;
    }
    // A partner the filtered display hides has no row to select.
    SelectEntry(ListPositionOf(list_, partner));
}

void TMonitorSession::SelectEntry(int position) {
    if (!filteredView_.IsShown(position))
        return;
    ShowEntry(position);
    view_->FocusList();
}

void TMonitorSession::FilterByDrive(int address) {
    includeFilter_.Reset();
    includeFilter_.IDHigh = 1 + ((address >> 4) & 0x0F);
    includeFilter_.IDLow = 1 + (address & 0x0F);
    includeFilter_.FormDeactivate();
    filteredView_.SetFilterDisplay(true);
    filteredView_.BuildFilteredDisplay();
    FilterChanged();
    view_->CommandsChanged();
}

void TMonitorSession::Export() {
    int filterIndex = 0;
    const std::string chosen =
        chooser_->ExportFileName(fileFolder_, kExportDialogFilter, filterIndex);
    if (chosen.empty())
        return;
    TExportRequest request;
    request.FileName = chosen;
    request.Format = static_cast<ExportFormat>(std::clamp(filterIndex, 0, 2));
    const std::string name = ForceExtension(chosen, ExportFormatExtension(request.Format));
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && !host_.Confirm("Confirm overwriting " + name))
        return;
    if (filteredView_.FilteredCount() >= 0) {
        const Answer answer = host_.AskYesNoCancel(std::string(kExportFilteredQuestion));
        if (answer == Answer::Cancel)
            return;
        request.FilteredOnly = answer == Answer::Yes;
    }
    TExportOptions options;
    options.DecoderSet = decoder_.DecoderSet();
    options.DecimalSeparator = decoder_.DecimalSeparator;
    options.MarkIndex = markIndex_;
    std::string path;
    const TMonitorFileResult result = [&] {
        TBusyScope busy(host_);
        return ExportCommand(request, list_, settings_, options, &filteredView_, path);
    }();
    if (!result.Ok())
        ShowFileError(result, path);
}

void TMonitorSession::Import() {
    const std::string name = chooser_->ImportFileName(fileFolder_, kImportDialogFilter);
    if (!name.empty())
        LoadRecording(name, true);
}

} // namespace protmon
