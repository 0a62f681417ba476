#pragma once

#include "analysis/transaction_table.h"
#include "detect/detect_outcome.h"
#include "filter/filter_criteria.h"
#include "filter/filtered_view.h"
#include "filter/trigger.h"
#include "model/capture_settings.h"
#include "model/list_cursor.h"
#include "model/telegram_list.h"
#include "session/capture_summary.h"
#include "session/decoder_sets.h"
#include "session/file_chooser.h"
#include "session/session_observer.h"
#include "view/row_commands.h"
#include "view/row_window.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace protmon {

class ICaptureObserver;
class IHost;
class ILineMonitorControl;
class IProgress;
class ITriggerHook;
struct TCellStyle;
struct TCopyDialogState;
struct TMonitorFileResult;
struct TUdpArgument;
enum class TrendExportFormat;

// One recording and the commands on it, for the window and the command-line tool alike: owns the
// telegram list, the settings, both filters, the filtered view, the trigger, the row window, the
// decoder's description sets and the capture (port, link, capture control with its assemblers,
// line monitor, operator and UDP source). Callers change it through commands and look at it
// through read-only views. The user is reached through the host and the file chooser, views
// through the observer.
class TMonitorSession : public IRowCommands {
public:
    explicit TMonitorSession(IHost& host);
    ~TMonitorSession() override;
    TMonitorSession(const TMonitorSession&) = delete;
    TMonitorSession& operator=(const TMonitorSession&) = delete;

    // Neither is owned; null detaches.
    void SetObserver(ISessionObserver* observer);
    void SetFileChooser(IFileChooser* chooser);

    // ---- settings (session.cpp)
    // Replaces the capture settings while idle (the command line's options, a test's
    // arrangement); the views are told.
    void ApplySettings(const TCaptureSettings& settings);
    // What "Select settings for line monitor" shows and edits.
    void SetLineMonitorSettings(const TLineMonitorSettings& settings);
    // The line format of RAW captures, as its dialog left it.
    void SetRawFormat(const TRawFormatSettings& format);
    // Depth of the ring before a capture (the command line's --buffer; the window asks Buffer).
    void SetBufferDepth(int depth);
    // The filters as their dialogs (or the command line) left them; the filtered display is
    // rebuilt only by FilterDialogClosed or FilterDisplay.
    void SetIncludeFilter(const TFilterCriteria& criteria);
    void SetExcludeFilter(const TFilterCriteria& criteria);
    // Where the L7 decoder's file dialog starts, and the decimal separator of scaled values.
    void SetDecoderPlaces(const std::string& binPath, const std::string& defaultFolder,
                          char decimalSeparator);
    // Shows the loading of description files; null: nothing shows it. Not owned.
    void SetDecoderProgress(IProgress* progress);

    // ---- capture (session_capture.cpp)
    // The Start/Stop button is now `down`; the port and baud boxes' texts were taken before.
    void StartStop(bool down);
    // What the port and baud boxes show.
    void SetPortTexts(const std::string& portText, int portIndex, int baudIndex);
    void PollTick();
    // When the window's timer should tick next (1 ms while telegrams arrive, longer when quiet).
    int PollIntervalMs() const;
    void SelectProtocol(Protocol selection);
    void SetOperatorBox(SourceFlag which, bool on);
    void SetMonitorBox(bool on);
    void SetClearBeforeStart(bool on);
    // Items for the port box when it gets the focus; nothing in UDP mode.
    std::optional<std::vector<std::string>> PortList() const;
    void SetSysfsTtyRoot(const std::string& root) { sysfsTty_ = root; }
    // Receives from a line monitor over UDP instead of a serial port.
    void UseUdpSource(const TUdpArgument& remote);
    void LineMonitorInfo();
    // Feeds `bytes`, a recording of the line, in chunks of `chunk` bytes through a capture of the
    // selected protocol until every complete unit is assembled, then stops (the "assemble"
    // command). There is no box to configure: line-monitor frames are read, nothing is asked.
    // The settings' PortText names the recording. False when the start failed.
    bool Replay(const std::vector<std::uint8_t>& bytes, std::size_t chunk);
    // Another trigger than the filter trigger (the command line's entry count).
    void SetTriggerHook(ITriggerHook& trigger);
    // Another line monitor than the one on the port (tests stand in for a box); null: that one.
    void SetLineMonitorControl(ILineMonitorControl* box);
    // The capture's closing account; the end as far as the session knows it.
    TCaptureSummary Summary() const;
    bool Capturing() const;
    // Whether the capture port is open (only while capturing or while the box is asked).
    bool PortOpen() const;
    // Datagrams the box sent so far; 0 without a UDP source.
    std::uint64_t UdpDatagramsReceived() const;
    // The remote box when the session receives over UDP, else null.
    const TUdpArgument* UdpArgument() const;

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
    // Appends entries recorded elsewhere (a generator, a test) as a capture would have: the
    // transaction table takes them in and the rows show them.
    void AddEntries(const std::vector<TTelEntry>& entries);

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
    // What the list widget asks of its rows: scrolling, its height, keys and the wheel.
    void ScrollTo(int position) override;
    void SetVisibleRows(int rows) override;
    void RefreshRows() override;
    TRowKeyResult KeyPressed(RowKey key, int focusedRow) override;
    void Wheel(int notches, int linesPerNotch) override;

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

    // ---- read-only views
    const TTelegramList& TelegramList() const { return list_; }
    const TRowWindow& RowWindow() const { return rows_; }
    const TCaptureSettings& Settings() const { return settings_; }
    const TFilterCriteria& IncludeFilter() const { return includeFilter_; }
    const TFilterCriteria& ExcludeFilter() const { return excludeFilter_; }
    const TFilteredView& FilteredView() const { return filteredView_; }
    const TTrigger& Trigger() const { return trigger_; }
    const TDecoderSets& Decoder() const { return decoder_; }
    bool UnsavedTelegrams() const { return unsaved_; }
    const std::string& CurrentFileName() const { return currentFileName_; }
    const std::string& FileFolder() const { return fileFolder_; }
    int MarkIndex() const { return markIndex_; }
    bool HexDisplay() const { return hexDisplay_; }
    bool LineMonitorInfoAllowed() const { return lineMonitorInfoAllowed_; }
    const std::string& Title() const { return title_; }
    std::string BufferCaption() const;

private:
    // Port, link, capture control with its assemblers, operator, line monitor and UDP source
    // (session_capture_parts.h): only the session's own files see them.
    struct TCaptureParts;
    // What capture control reports, handled in session_capture.cpp.
    class TCaptureEvents;
    static std::unique_ptr<ICaptureObserver> MakeCaptureEvents(TMonitorSession& session);

    void DecodeRow(int position, TRowTexts& row) const;
    // The rows anew from the list; the views are told.
    void Redraw();
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
    TFilterCriteria includeFilter_;
    TFilterCriteria excludeFilter_;
    TFilteredView filteredView_{list_, includeFilter_, excludeFilter_, host_};
    TTrigger trigger_{includeFilter_};
    TRowWindow rows_;
    TDecoderSets decoder_;
    TTransactionTable table_;
    // How far table_ has taken in the list.
    TListCursor tableCursor_;
    std::string sysfsTty_ = "/sys/class/tty";
    // After what it refers to, so that it goes first.
    std::unique_ptr<TCaptureParts> capture_;

    std::uint64_t recordingNumber_ = 0;
    bool unsaved_ = false;
    bool starting_ = false;
    bool lineMonitorInfoAllowed_ = false;
    bool hexDisplay_ = false;
    int markIndex_ = -1;
    std::string currentFileName_;
    std::string fileFolder_;
    TDetailPanels panels_;
    CaptureEnd end_ = CaptureEnd::Running;
    std::chrono::steady_clock::time_point startedAt_;
    std::chrono::steady_clock::time_point stoppedAt_;
    std::string title_{kProgramTitle};
};

} // namespace protmon
