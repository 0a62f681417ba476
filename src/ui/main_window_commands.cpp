#include "decode/row_window_details.h"
#include "ui/control_strip.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace protmon {

void TMyMonitor::ClearTelegrams(bool askUser) {
    markIndex_ = -1;
    if (list_.Empty())
        return;
    if (askUser && unsaved_ && !host_->Confirm("Erase all recorded telegrams ?"))
        return;
    host_->SetBusy(true);
    list_.Clear();
    rxErrors_ = 0;
    strip_->LabelErrors->clear();
    rows_.Reset();
    listView_->Sync();
    host_->SetBusy(false);
    SetUiState(true);
}

void TMyMonitor::MenuClearClick() {
    ClearTelegrams(true);
}

void TMyMonitor::MenuQuitClick() {
    close();
}

void TMyMonitor::MenuClearBeforeStartClick() {
    // The action toggles its own check mark; nothing else depends on it until the next Start.
}

void TMyMonitor::MenuHexDisplayClick() {
    hexDisplay_ = actHexDisplay_->isChecked();
    Redraw();
}

void TMyMonitor::MenuFontClick() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, listView_->font(), this);
    if (ok)
        listView_->setFont(font); // the view runs the resize processing on the font change
}

void TMyMonitor::PopupStartStopClick() {
    strip_->BtnStart->toggle();
    BtnStartClick();
}

void TMyMonitor::BtnStartClick() {
    if (strip_->BtnStart->isChecked())
        StartCapture();
    else
        StopCapture();
}

void TMyMonitor::StartCapture() {
    if (actClearBeforeStart_->isChecked())
        ClearTelegrams(false);
    strip_->BtnStart->setText(QStringLiteral("Stop"));
    // A capture always starts on the unfiltered view.
    filterDisplay_ = false;
    filteredCount_ = -1;
    rows_.SetFilter(-1, false);
    UpdateTitle();
    SetUiState(false);
    markIndex_ = -1;
    runningMode_ = static_cast<int>(settings_.Selection) + 1;
    rows_.SetCapturing(true);
    rows_.ResetLiveRow();
}

void TMyMonitor::StopCapture() {
    runningMode_ = kStopped;
    strip_->BtnStart->setText(QStringLiteral("Start"));
    strip_->BtnStart->setChecked(false);
    SetUiState(true);
    rows_.SetCapturing(false);
    if (list_.WriteIndex() > 0) {
        list_.UnwrapTelegramList();
        rows_.SetNextLiveEntry(list_.Count());
    }
    rows_.ResetLiveRow();
    markIndex_ = -1;
    rows_.UpdateScrollRange();
    Redraw();
}

void TMyMonitor::PollTick() {
    if (runningMode_ == kStopped)
        return;
    const bool rawChunks = runningMode_ == kRunRaw && !settings_.Monitor;
    if (rows_.LiveTick(rawChunks) > 0)
        unsaved_ = true;
    listView_->Sync();
}

void TMyMonitor::closeEvent(QCloseEvent* event) {
    if (Capturing()) {
        strip_->BtnStart->setChecked(false);
        BtnStartClick();
    }
    event->accept();
}

void TMyMonitor::contextMenuEvent(QContextMenuEvent* event) {
    popup_->exec(event->globalPos());
}

void TMyMonitor::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int notches = -event->angleDelta().y() / 120;
    if (notches != 0)
        listView_->WheelNotches(notches);
}

// ---- protocol and source selection -------------------------------------------------------

void TMyMonitor::ShowSettings() {
    showingSettings_ = true;
    {
        const QSignalBlocker b(strip_->ProtocolButtons);
        strip_->ProtocolButtons->button(static_cast<int>(settings_.Selection))->setChecked(true);
    }
    strip_->CBComm->setChecked(settings_.Comm);
    strip_->CBPdOut->setChecked(settings_.PdOut);
    strip_->CBPdIn->setChecked(settings_.PdIn);
    strip_->CBMonitor->setChecked(settings_.Monitor);
    showingSettings_ = false;
}

bool TMyMonitor::ConfirmProtocolChange(Protocol wanted) {
    const bool crossesRaw = (wanted == Protocol::Raw) != (settings_.Selection == Protocol::Raw);
    if (!crossesRaw || list_.Empty())
        return true;
    if (!host_->Confirm("Ok to delete all telegrams ?"))
        return false;
    ClearTelegrams(false);
    return true;
}

void TMyMonitor::ProtocolClicked(int id) {
    const auto wanted = static_cast<Protocol>(id);
    if (wanted == settings_.Selection)
        return;
    if (!ConfirmProtocolChange(wanted)) {
        ShowSettings(); // Cancel puts the previous selection back on screen
        return;
    }
    settings_.Selection = wanted;
    SetUiState(true);
    Redraw();
}

void TMyMonitor::ConnectSourceBoxes() {
    connect(strip_->CBComm, &QCheckBox::clicked, this,
            [this](bool on) { OperatorBoxClicked(kSourceComm, on); });
    connect(strip_->CBPdOut, &QCheckBox::clicked, this,
            [this](bool on) { OperatorBoxClicked(kSourcePdOut, on); });
    connect(strip_->CBPdIn, &QCheckBox::clicked, this,
            [this](bool on) { OperatorBoxClicked(kSourcePdIn, on); });
    connect(strip_->CBMonitor, &QCheckBox::clicked, this, &TMyMonitor::MonitorBoxClicked);
}

void TMyMonitor::OperatorBoxClicked(SourceFlag which, bool on) {
    const bool pending = udp_.has_value() && !udpMonitorSwitched_;
    // The operator speaks TRX5: leaving RAW with entries present needs the usual question.
    if (on && !pending && !ConfirmProtocolChange(Protocol::Trx5)) {
        ShowSettings();
        return;
    }
    SetOperatorBox(settings_, which, on, pending);
    SetActionAllowed(actLineMonitorInfo_, settings_.Monitor);
    ShowSettings();
    Redraw();
}

void TMyMonitor::MonitorBoxClicked(bool on) {
    SetMonitorBox(settings_, on);
    SetActionAllowed(actLineMonitorInfo_, on);
    ShowSettings();
}

// ---- details, mark, frame ------------------------------------------------------------------

void TMyMonitor::ShowDetails() {
    if (Capturing())
        return;
    const int selected = rows_.SelectedEntry(listView_->SelectedRow());
    if (selected < 0)
        return;
    TDetailPanels texts;
    for (int i = 0; i < 4; ++i)
        texts[static_cast<std::size_t>(i)] = panels_[i]->text().toStdString();
    if (!MakeDetailPanels(list_, selected, markIndex_, settings_.TimeStampResolution, texts))
        return;
    for (int i = 0; i < 4; ++i)
        panels_[i]->setText(QString::fromLatin1(texts[static_cast<std::size_t>(i)]));
}

void TMyMonitor::PopupMarkClick() {
    markIndex_ = rows_.SelectedEntry(listView_->SelectedRow());
    Redraw();
    ShowDetails();
}

void TMyMonitor::PopupShowFrameClick() {
    if (settings_.Selection == Protocol::Raw)
        return;
    const TTelEntry* entry = list_.At(rows_.SelectedEntry(listView_->SelectedRow()));
    if (entry == nullptr)
        return;
    host_->ShowInfo(FrameText(*entry));
}

} // namespace protmon
