#include "ui/analysis_menu.h"
#include "ui/control_strip.h"
#include "ui/file_chooser.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_menus.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"
#include "ui/status_panels.h"
#include "ui/telegram_list_view.h"

#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace protmon {

void TMyMonitor::SetFileChooser(IFileChooser* chooser) {
    session_.SetFileChooser(chooser != nullptr ? chooser
                                               : static_cast<IFileChooser*>(ownChooser_.get()));
}

void TMyMonitor::RowsChanged() {
    listView_->Sync();
}

void TMyMonitor::LiveRowsChanged() {
    liveRowsWaiting_ = true;
    if (!liveRepaint_->isActive())
        ShowLiveRows();
}

void TMyMonitor::ShowLiveRows() {
    // The timer runs after every repaint; it ends quietly when nothing changed meanwhile.
    if (!std::exchange(liveRowsWaiting_, false))
        return;
    listView_->Sync();
    liveRepaint_->start();
}

void TMyMonitor::TitleChanged(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void TMyMonitor::UiStateChanged(bool idle) {
    if (idle)
        pollTimer_->stop();
    else
        pollTimer_->start(session_.PollIntervalMs());
    menus_->ShowIdle(idle, session_);
    analysis_->UiStateChanged(idle);
    strip_->SetIdle(idle, session_.UdpArgument() != nullptr);
    SettingsChanged();
}

void TMyMonitor::SettingsChanged() {
    strip_->ShowSettings(session_.Settings(), session_.UdpArgument() != nullptr);
    // A monitor file read while the line monitor dialog is open brings its own settings.
    if (lineMonitorDialog_ != nullptr && lineMonitorDialog_->isVisible()) {
        lineMonitorSettings_ = session_.Settings().LineMonitor;
        lineMonitorDialog_->ShowSettings();
    }
}

void TMyMonitor::CommandsChanged() {
    const TDecoderSets& decoder = session_.Decoder();
    menus_->ShowCommands(session_);
    strip_->ShowDescriptionPath(QString::fromStdString(decoder.DescriptionPath()));
    listView_->RowModel()->SetCodePage(decoder.DisplayCodePage());
    analysis_->CommandsChanged();
}

void TMyMonitor::CaptureActive(bool active) {
    strip_->SetStartDown(active);
}

void TMyMonitor::RxErrorsChanged(const std::string& text) {
    strip_->LabelErrors->setText(QString::fromStdString(text));
}

QString TMyMonitor::PanelText(int panel) const {
    return panels_->Text(panel);
}

void TMyMonitor::PanelsChanged(const TDetailPanels& panels) {
    panels_->Show(panels);
}

void TMyMonitor::SelectRow(int row) {
    if (row >= 0)
        listView_->SelectRow(row);
    else
        listView_->clearSelection();
}

void TMyMonitor::FocusList() {
    listView_->setFocus();
}

int TMyMonitor::SelectedRow() const {
    return listView_->SelectedRow();
}

void TMyMonitor::RawFormatNeeded() {
    TRawFormatSettings format = session_.Settings().RawFormat;
    rawFormatDialog_->Edit(format);
    session_.SetRawFormat(format);
}

void TMyMonitor::LineMonitorSettingsNeeded() {
    OpenLineMonitorDialog();
}

void TMyMonitor::OpenLineMonitorDialog() {
    // A monitor file read since may have brought other settings.
    if (!lineMonitorDialog_->isVisible())
        lineMonitorSettings_ = session_.Settings().LineMonitor;
    lineMonitorDialog_->open();
}

void TMyMonitor::StatusNote(const std::string& text) {
    constexpr int kNoteMs = 5000;
    statusBar()->showMessage(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                             kNoteMs);
}

void TMyMonitor::TransactionsChanged() {
    analysis_->TransactionsChanged();
}

} // namespace protmon
