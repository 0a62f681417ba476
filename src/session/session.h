#pragma once

#include "analysis/transaction_table.h"
#include "capture/capture_assemblers.h"
#include "capture/capture_control.h"
#include "capture/capture_link.h"
#include "capture/line_monitor.h"
#include "capture/operator_monitor.h"
#include "capture/serial_com.h"
#include "capture/udp_argument.h"
#include "capture/udp_source.h"
#include "detect/line_detector.h"
#include "files/trend_export.h"
#include "filter/filter_criteria.h"
#include "filter/filtered_view.h"
#include "filter/trigger.h"
#include "model/capture_settings.h"
#include "model/host.h"
#include "model/list_cursor.h"
#include "model/telegram_list.h"
#include "session/capture_summary.h"
#include "session/copy_text.h"
#include "session/decoder_sets.h"
#include "session/export_command.h"
#include "session/file_chooser.h"
#include "session/session_observer.h"
#include "view/row_window.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace protmon {

// One recording and the commands on it, for the window and the command-line tool alike: owns the
// telegram list, the settings, the port and its link, capture control with its assemblers, line
// monitor, operator and UDP source, both filters, the filtered view, the trigger, the row window
// and the decoder's description sets. The user is reached through the host and the file chooser,
// views through the observer.
class TMonitorSession : private ICaptureObserver {
public:
    explicit TMonitorSession(IHost& host);
    ~TMonitorSession() override;
    TMonitorSession(const TMonitorSession&) = delete;
    TMonitorSession& operator=(const TMonitorSession&) = delete;

    // Neither is owned; null detaches.
    void SetObserver(ISessionObserver* observer);
    void SetFileChooser(IFileChooser* chooser);

    // ---- capture (session_capture.cpp)
    // The Start/Stop button is now `down`; the port and baud boxes' texts were taken before.
    void StartStop(bool down);
    // What the port and baud boxes show.
    void SetPortTexts(const std::string& portText, int portIndex, int baudIndex);
    void PollTick();
    // When the window's timer should tick next (1 ms while telegrams arrive, longer when quiet).
    int PollIntervalMs() const { return control_.PollIntervalMs(); }
    void SelectProtocol(Protocol selection) { control_.SelectProtocol(selection); }
    void SetOperatorBox(SourceFlag which, bool on) { control_.SetOperatorBox(which, on); }
    void SetMonitorBox(bool on) { control_.SetMonitorBox(on); }
    void SetClearBeforeStart(bool on) { control_.SetClearBeforeStart(on); }
    // Items for the port box when it gets the focus; nothing in UDP mode.
    std::optional<std::vector<std::string>> PortList() const;
    void SetSysfsTtyRoot(const std::string& root) { sysfsTty_ = root; }
    // Receives from a line monitor over UDP instead of a serial port.
    void UseUdpSource(const TUdpArgument& remote);
    void LineMonitorInfo() { lineMonitor_.LineMonitorInfo(); }
    // Feeds `bytes`, a recording of the line, in chunks of `chunk` bytes through a capture of the
    // selected protocol until every complete unit is assembled, then stops (the "assemble"
    // command). There is no box to configure: line-monitor frames are read, nothing is asked.
    // The settings' PortText names the recording. False when the start failed.
    bool Replay(const std::vector<std::uint8_t>& bytes, std::size_t chunk);
    // Another trigger than the filter trigger (the command line's entry count).
    void SetTriggerHook(ITriggerHook& trigger);
    // The capture's closing account; the end as far as the session knows it.
    TCaptureSummary Summary() const;

    // ---- line detection (session_detect.cpp)
    // "Detect line...": rate, framing and protocol of the selected port's line (or of the bus
    // behind the line monitor box), trying each candidate for at most `seconds` in all. Pending
    // events run while it listens; `progress` cancels by returning false. Idle only; no setting
    // changes.
    TDetectOutcome DetectLine(double seconds, const DetectProgress& progress);
    // OK on the verdict: baud box, protocol and raw format, or behind a box the line monitor
    // settings and the host link's baud box item. False when nothing was applied (no verdict,
    // capturing, or the user kept the entries that changing to or from RAW would delete).
    bool ApplyDetection(const TDetectOutcome& outcome);

    // ---- files and list (session_files.cpp)
    // "Clear"; `askUser` is false when a capture start clears.
    void Clear(bool askUser);
    void Save();
    void Read();

    // ---- filter, search, trigger, buffer, copy (session_filter.cpp)
    void FilterDisplay();
    // "Set filter" or "Set exclude filter" closed, whatever the button.
    void FilterDialogClosed();
    void Search();
    std::string BufferInputText() const;
    // `input` is empty when the input box was cancelled.
    void Buffer(const std::optional<std::string>& input);
    void ApplyTrigger(const TTriggerDialogState& dialog);
    // Prepares the copy dialog; false when there is nothing to copy.
    bool PrepareCopy(TCopyDialogState& dialog) const;
    // After OK: the clipboard text, nothing when the clipboard stays as it is.
    std::optional<std::string> CopyText(const TCopyDialogState& dialog, const TCellStyle& style);

    // ---- rows and details (session.cpp)
    void ShowDetails();
    void Mark();
    void ShowFrame();
    void SetHexDisplay(bool on);
    // "L7 decoder": on with a chosen file and language, or off.
    void L7Decoder();
    void DecodeRow(int position, TRowTexts& row) const;
    void Redraw();

    // ---- analysis, export and import (session_analysis.cpp)
    // "Go to partner": from the selected response to its request, from a request to its
    // response; nothing while capturing or without a partner.
    void GoToPartner();
    // Shows and selects the entry at list `position` (a point clicked in a chart).
    void SelectEntry(int position);
    // Include filter on the drive `address` alone, and the filtered display on.
    void FilterByDrive(int address);
    // "Export...": all entries, or only the filtered display's when it is filtered and the user
    // says so. The recording, its caption and UnsavedTelegrams stay as they are.
    void Export();
    // "Import...": like Read, from a pcapng file.
    void Import();
    // "Export..." of a trend window: the save dialog's file type decides format and extension;
    // `render` makes the bytes in that format. A failed write is said in an error box.
    void ExportTrend(bool withSvg, const std::function<std::string(TrendExportFormat)>& render);
    // Counts the recordings this session held: a new number after Clear, Read and Import, when
    // the analysis windows start over.
    std::uint64_t RecordingNumber() const { return recordingNumber_; }
    // Pairs and response times of the entries in the list; rebuilt whenever the list or the
    // settings it depends on change, appended to during capture.
    const TTransactionTable& Transactions() const { return table_; }

    bool Capturing() const { return control_.Running(); }
    TTelegramList& TelegramList() { return list_; }
    TRowWindow& RowWindow() { return rows_; }
    TCaptureControl& CaptureControl() { return control_; }
    TSerialCom& SerialPort() { return serial_; }
    TCaptureSettings& Settings() { return settings_; }
    TFilterCriteria& IncludeFilter() { return includeFilter_; }
    TFilterCriteria& ExcludeFilter() { return excludeFilter_; }
    const TFilteredView& FilteredView() const { return filteredView_; }
    const TTrigger& Trigger() const { return trigger_; }
    TLineMonitor& LineMonitor() { return lineMonitor_; }
    TCaptureAssemblers& Assemblers() { return assemblers_; }
    TUdpSource* UdpSource() const { return udpSource_.get(); }
    // Datagrams the box sent so far; 0 without a UDP source.
    std::uint64_t UdpDatagramsReceived() const {
        return udpSource_ ? udpSource_->DatagramsReceived() : 0;
    }
    const TUdpArgument* UdpArgument() const { return udp_ ? &*udp_ : nullptr; }
    TDecoderSets& Decoder() { return decoder_; }
    bool UnsavedTelegrams() const { return unsaved_; }
    const std::string& CurrentFileName() const { return currentFileName_; }
    const std::string& FileFolder() const { return fileFolder_; }
    int MarkIndex() const { return markIndex_; }
    bool HexDisplay() const { return hexDisplay_; }
    bool LineMonitorInfoAllowed() const { return lineMonitorInfoAllowed_; }
    const TDetailPanels& Panels() const { return panels_; }
    const std::string& Title() const { return title_; }
    std::string BufferCaption() const;

private:
    // ICaptureObserver (session_capture.cpp).
    void SetStartButton(bool down) override;
    void ShowRxErrors(const std::string& text) override;
    void SetUiState(bool capturing) override;
    void CaptureStarting() override;
    void LiveDisplay() override;
    void CaptureStopped() override;
    void TriggerFired(int position) override;
    void ShowProtocol(Protocol selection) override;
    void ShowCheckBoxes(const TCaptureSettings& settings) override;
    void MonitorBoxSwitched(bool on) override;
    void ListCleared() override;
    void OpenRawFormatDialog() override;

    // Idle (true) or capturing: panels emptied, views told.
    void SetIdle(bool idle);
    void SetPanels(const TDetailPanels& panels);
    void UpdateTitle();
    // The error box of a failed file command, with the path and the system's reason as detail.
    void ShowFileError(const TMonitorFileResult& result, const std::string& path);
    // After the filtered display was built or removed: range, top of the list, title.
    void FilterChanged();
    // Scrolls so that the entry at `position` is shown and selects its row.
    void ShowEntry(int position);
    // After a trigger stop: the trigger telegram at the top and selected, or, when it was already
    // overwritten (negative position), the top of the list with nothing selected.
    void ShowTriggerTelegram(int position);
    // Idle, live display state and captions after a file was read.
    void FileRead();
    // Read (a monitor file) and Import (`anyFormat`) once the file is chosen.
    void LoadRecording(const std::string& name, bool anyFormat);
    // The error box of a file command, with the result's detail when it has one.
    void ShowFileError(const TMonitorFileResult& result);
    int SelectedEntry() const { return rows_.SelectedEntry(view_->SelectedRow()); }
    TTransactionSettings TransactionSettings() const;
    // The table anew from the list; the views are told.
    void RebuildTransactions();
    // Takes the entries written since the table last followed the list, before any row shows them.
    void FollowTransactions();
    // Rebuilds when the protocol, source flags or resolution differ from the table's (idle only).
    void FollowTransactionSettings();

    IHost& host_;
    ISessionObserver noView_;
    ISessionObserver* view_ = &noView_;
    TNoFileChooser noChooser_;
    IFileChooser* chooser_ = &noChooser_;

    TTelegramList list_;
    TCaptureSettings settings_;
    TSerialCom serial_;
    TCaptureLink link_{serial_};
    TCaptureControl control_{list_, link_, settings_, host_};
    TFilterCriteria includeFilter_;
    TFilterCriteria excludeFilter_;
    TFilteredView filteredView_{list_, includeFilter_, excludeFilter_, host_};
    TTrigger trigger_{includeFilter_};
    TCaptureAssemblers assemblers_{control_, host_};
    TOperatorMonitor operator_{link_};
    TLineMonitor lineMonitor_{control_, host_};
    std::optional<TUdpArgument> udp_;
    std::unique_ptr<TUdpSource> udpSource_;
    TRowWindow rows_;
    TDecoderSets decoder_;
    TTransactionTable table_;
    // How far table_ has taken in the list.
    TListCursor tableCursor_;
    std::string sysfsTty_ = "/sys/class/tty";

    std::uint64_t recordingNumber_ = 0;
    bool unsaved_ = false;
    bool starting_ = false;
    bool lineMonitorInfoAllowed_ = false;
    bool hexDisplay_ = false;
    int markIndex_ = -1;
    std::string currentFileName_;
    std::string fileFolder_;
    TDetailPanels panels_;
    TCaptureEnd end_ = TCaptureEnd::Running;
    std::chrono::steady_clock::time_point startedAt_;
    std::chrono::steady_clock::time_point stoppedAt_;
    std::string title_{kProgramTitle};
};

} // namespace protmon
