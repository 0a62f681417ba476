#include "ui/capture_view.h"
#include "ui/control_strip.h"
#include "ui/file_chooser.h"
#include "ui/main_window.h"
#include "ui/serial_ports.h"
#include "ui/telegram_list_view.h"
#include "view/row_window_details.h"

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
#include <QTimer>
#include <QWheelEvent>

namespace protmon {

TMyMonitor::~TMyMonitor() {
    // A window destroyed without being closed still returns the devices to normal operation.
    pollTimer_->stop();
    if (Capturing())
        control_.StopCapture();
    control_.SetObserver(nullptr);
}

void TMyMonitor::ClearTelegrams(bool askUser) {
    markIndex_ = -1;
    if (list_.Empty())
        return;
    if (askUser && unsaved_ && !relay_.Confirm("Erase all recorded telegrams ?"))
        return;
    relay_.SetBusy(true);
    control_.Clear();
    strip_->LabelErrors->clear();
    filteredView_.ListChanged();
    rows_.SetFilter(filteredView_.FilteredCount(), filteredView_.FilterDisplay());
    rows_.Reset();
    listView_->Sync();
    relay_.SetBusy(false);
    SetUiState(true);
}

void TMyMonitor::MenuClearClick() {
    ClearTelegrams(true);
}

void TMyMonitor::MenuQuitClick() {
    close();
}

void TMyMonitor::MenuClearBeforeStartClick() {
    control_.SetClearBeforeStart(actClearBeforeStart_->isChecked());
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

// ---- capture -------------------------------------------------------------------------------

void TMyMonitor::TakeControlTexts() {
    settings_.PortText = strip_->ComBox->currentText().trimmed().toStdString();
    settings_.PortIndex = strip_->ComBox->currentIndex();
    if (!udp_)
        settings_.BaudIndex = strip_->BaudBox->currentIndex();
}

void TMyMonitor::RefreshComPorts() {
    if (udp_)
        return;
    // A path the user typed stays; only an empty box takes the first device.
    const QString typed = strip_->ComBox->currentText();
    strip_->ComBox->clear();
    strip_->ComBox->addItems(SerialPortPaths(QString::fromStdString(sysfsTty_)));
    if (!typed.isEmpty())
        strip_->ComBox->setEditText(typed);
}

bool TMyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == strip_->ComBox && event->type() == QEvent::FocusIn)
        RefreshComPorts();
    return QMainWindow::eventFilter(watched, event);
}

void TMyMonitor::BtnStartClick() {
    const bool down = strip_->BtnStart->isChecked();
    if (down)
        TakeControlTexts();
    starting_ = down;
    control_.StartStopClick(down);
    starting_ = false;
}

void TMyMonitor::PopupStartStopClick() {
    strip_->BtnStart->toggle();
    BtnStartClick();
}

void TMyMonitor::PollTick() {
    control_.PollTick();
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
    listView_->WheelAngle(event->angleDelta().y());
}

void TMyMonitor::ShowSettings() {
    {
        const QSignalBlocker b(strip_->ProtocolButtons);
        strip_->ProtocolButtons->button(static_cast<int>(settings_.Selection))->setChecked(true);
    }
    strip_->CBComm->setChecked(settings_.Comm);
    strip_->CBPdOut->setChecked(settings_.PdOut);
    strip_->CBPdIn->setChecked(settings_.PdIn);
    strip_->CBMonitor->setChecked(settings_.Monitor);
    if (!udp_ && settings_.BaudIndex >= 0 && settings_.BaudIndex < strip_->BaudBox->count())
        strip_->BaudBox->setCurrentIndex(settings_.BaudIndex);
}

void TMyMonitor::TCaptureView::SetStartButton(bool down) {
    w_.strip_->BtnStart->setChecked(down);
    w_.strip_->BtnStart->setText(down ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void TMyMonitor::TCaptureView::ShowRxErrors(const std::string& text) {
    w_.strip_->LabelErrors->setText(QString::fromStdString(text));
}

void TMyMonitor::TCaptureView::SetUiState(bool capturing) {
    w_.rows_.SetCapturing(capturing);
    w_.SetUiState(!capturing);
}

void TMyMonitor::TCaptureView::CaptureStarting() {
    w_.actFilterDisplay_->setChecked(false);
    w_.filteredView_.SetFilterDisplay(false);
    w_.filteredView_.BuildFilteredDisplay();
    w_.FilterChanged();
    w_.markIndex_ = -1;
    w_.rows_.ResetLiveRow();
}

void TMyMonitor::TCaptureView::LiveDisplay() {
    const bool rawChunks = w_.control_.RunningMode() == kRunRaw && !w_.settings_.Monitor;
    if (w_.rows_.LiveTick(rawChunks) > 0)
        w_.unsaved_ = true;
    constexpr qint64 kFrameMs = 16;
    if (!w_.liveRepaint_.isValid() || w_.liveRepaint_.elapsed() >= kFrameMs) {
        w_.listView_->Sync(); // a no-op when no row changed
        w_.liveRepaint_.start();
    }
}

void TMyMonitor::TCaptureView::CaptureStopped() {
    // A full ring was put in order oldest-first; the live display has shown all of it.
    if (w_.list_.WriteIndex() == 0)
        w_.rows_.SetNextLiveEntry(w_.list_.Count());
    w_.rows_.ResetLiveRow();
    w_.markIndex_ = -1;
    w_.rows_.UpdateScrollRange();
    w_.Redraw();
}

void TMyMonitor::TCaptureView::TriggerFired(int position) {
    w_.ShowTriggerTelegram(position);
}

void TMyMonitor::TCaptureView::ShowProtocol(Protocol) {
    w_.ShowSettings();
    w_.Redraw();
}

void TMyMonitor::TCaptureView::ShowCheckBoxes(const TCaptureSettings&) {
    w_.ShowSettings();
}

void TMyMonitor::TCaptureView::MonitorBoxSwitched(bool on) {
    w_.SetLineMonitorInfoAllowed(on);
    if (on)
        w_.MonitorSwitchedOn();
}

void TMyMonitor::TCaptureView::ListCleared() {
    w_.rows_.Reset();
    w_.listView_->Sync();
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
    relay_.ShowInfo(FrameText(*entry));
}

void TMyMonitor::ShowEntry(int position) {
    if (list_.At(position) == nullptr)
        return;
    rows_.UpdateScrollRange();
    rows_.SetScrollPosition(filteredView_.ScrollPositionOf(position));
    listView_->Sync();
    for (int r = 0; r < rows_.VisibleRows(); ++r) {
        if (rows_.SelectedEntry(r) == position) {
            listView_->SelectRow(r);
            break;
        }
    }
    ShowDetails();
}

} // namespace protmon
