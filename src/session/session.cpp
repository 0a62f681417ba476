#include "session/session.h"

#include "decode/decode_row.h"
#include "session/buffer_depth.h"
#include "session/session_capture_parts.h"

#include <filesystem>

namespace protmon {

TMonitorSession::TMonitorSession(IHost& host)
    : host_(host), rows_(list_, [this](int position, const TTelEntry&,
                                       TRowTexts& row) { DecodeRow(position, row); }),
      capture_(std::make_unique<TCaptureParts>(list_, settings_, host)) {
    capture_->Events = MakeCaptureEvents(*this);
    TCaptureControl& control = capture_->Control;
    control.SetObserver(capture_->Events.get());
    control.SetTrigger(&trigger_);
    control.SetOperator(&capture_->Operator);
    capture_->Assemblers.SetTrigger(trigger_);
    capture_->LineMonitor.Connect();
    rows_.SetScrollMapping(
        [this](int position) { return filteredView_.TopIndexForScrollPosition(position); });
    std::error_code ec;
    fileFolder_ = std::filesystem::current_path(ec).string();
}

TMonitorSession::~TMonitorSession() {
    // A session that ends while capturing still returns the devices to normal operation.
    if (Capturing())
        capture_->Control.StopCapture();
    capture_->Control.SetObserver(nullptr);
}

void TMonitorSession::SetObserver(ISessionObserver* observer) {
    view_ = observer != nullptr ? observer : &noView_;
}

void TMonitorSession::SetFileChooser(IFileChooser* chooser) {
    chooser_ = chooser != nullptr ? chooser : &noChooser_;
}

// ---- settings ------------------------------------------------------------------------------

void TMonitorSession::ApplySettings(const TCaptureSettings& settings) {
    settings_ = settings;
    FollowTransactionSettings();
    view_->SettingsChanged();
}

void TMonitorSession::SetLineMonitorSettings(const TLineMonitorSettings& settings) {
    settings_.LineMonitor = settings;
}

void TMonitorSession::SetRawFormat(const TRawFormatSettings& format) {
    settings_.RawFormat = format;
}

void TMonitorSession::SetBufferDepth(int depth) {
    list_.SetBufferDepth(depth);
}

void TMonitorSession::SetIncludeFilter(const TFilterCriteria& criteria) {
    includeFilter_ = criteria;
}

void TMonitorSession::SetExcludeFilter(const TFilterCriteria& criteria) {
    excludeFilter_ = criteria;
}

void TMonitorSession::SetDecoderPlaces(const std::string& binPath, const std::string& defaultFolder,
                                       char decimalSeparator) {
    decoder_.BinPath = binPath;
    decoder_.DefaultFolder = defaultFolder;
    decoder_.DecimalSeparator = decimalSeparator;
}

void TMonitorSession::SetDecoderProgress(IProgress* progress) {
    decoder_.CfgList().SetProgress(progress);
}

// ---- rows ----------------------------------------------------------------------------------

void TMonitorSession::DecodeRow(int position, TRowTexts& row) const {
    TDecodeContext ctx = decoder_.Context(list_, settings_);
    ctx.HexDisplay = hexDisplay_;
    ctx.MarkIndex = markIndex_;
    DecodeTelegramRow(ctx, position, row);
}

void TMonitorSession::Redraw() {
    rows_.RefreshRows();
    view_->RowsChanged();
}

void TMonitorSession::ScrollTo(int position) {
    rows_.SetScrollPosition(position);
}

void TMonitorSession::SetVisibleRows(int rows) {
    rows_.SetVisibleRows(rows);
}

void TMonitorSession::RefreshRows() {
    rows_.RefreshRows();
}

TRowKeyResult TMonitorSession::KeyPressed(RowKey key, int focusedRow) {
    return rows_.HandleKey(key, focusedRow);
}

void TMonitorSession::Wheel(int notches, int linesPerNotch) {
    rows_.Wheel(notches, linesPerNotch);
}

void TMonitorSession::SetIdle(bool idle) {
    SetPanels({});
    view_->UiStateChanged(idle);
}

void TMonitorSession::SetPanels(const TDetailPanels& panels) {
    panels_ = panels;
    view_->PanelsChanged(panels_);
}

void TMonitorSession::UpdateTitle() {
    title_ = WindowTitle(currentFileName_, filteredView_.FilteredCount() != -1);
    view_->TitleChanged(title_);
}

std::string TMonitorSession::BufferCaption() const {
    return BufferMenuCaption(list_.BufferDepth());
}

void TMonitorSession::SetHexDisplay(bool on) {
    hexDisplay_ = on;
    view_->CommandsChanged();
    Redraw();
}

void TMonitorSession::L7Decoder() {
    const bool changed = decoder_.Command(*chooser_, fileFolder_);
    // Only the command decides the check mark, not the click on the item.
    view_->CommandsChanged();
    if (changed)
        Redraw();
}
// ---- details, mark, frame ------------------------------------------------------------------

void TMonitorSession::ShowDetails() {
    if (Capturing())
        return;
    const int selected = SelectedEntry();
    if (selected < 0)
        return;
    TDetailPanels texts = panels_;
    if (MakeDetailPanels(list_, selected, markIndex_, settings_.TimeStampResolution, texts))
        SetPanels(texts);
}

void TMonitorSession::Mark() {
    markIndex_ = SelectedEntry();
    Redraw();
    ShowDetails();
}

void TMonitorSession::ShowFrame() {
    if (settings_.Selection == Protocol::Raw)
        return;
    const TTelEntry* entry = list_.At(SelectedEntry());
    if (entry == nullptr)
        return;
    host_.ShowInfo(FrameText(*entry));
}

void TMonitorSession::ShowEntry(int position) {
    if (list_.At(position) == nullptr)
        return;
    rows_.UpdateScrollRange();
    rows_.SetScrollPosition(filteredView_.ScrollPositionOf(position));
    view_->RowsChanged();
    for (int r = 0; r < rows_.VisibleRows(); ++r) {
        if (rows_.SelectedEntry(r) == position) {
            view_->SelectRow(r);
            break;
        }
    }
    ShowDetails();
}

} // namespace protmon
