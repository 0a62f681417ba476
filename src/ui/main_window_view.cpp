#include "ui/control_strip.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"
#include "ui/telegram_list_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace protmon {

void TMyMonitor::RowsChanged() {
    listView_->Sync();
}

void TMyMonitor::LiveRowsChanged() {
    constexpr qint64 kFrameMs = 16;
    if (!liveRepaint_.isValid() || liveRepaint_.elapsed() >= kFrameMs) {
        listView_->Sync(); // a no-op when no row changed
        liveRepaint_.start();
    }
}

void TMyMonitor::TitleChanged(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void TMyMonitor::SetMenuEnabled(QMenu* menu, bool enabled) {
    // Shortcuts follow their items, so every item is switched, not only the menu title.
    menu->menuAction()->setEnabled(enabled);
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator())
            a->setEnabled(enabled &&
                          (a != actLineMonitorInfo_ || session_.LineMonitorInfoAllowed()));
    }
}

void TMyMonitor::UiStateChanged(bool idle) {
    if (idle)
        pollTimer_->stop();
    else
        pollTimer_->start();
    for (QMenu* menu : {menuFile_, menuSettings_, menuFilter_})
        SetMenuEnabled(menu, idle);
    const bool udp = session_.UdpArgument() != nullptr;
    strip_->SourceGroup->setEnabled(idle);
    strip_->ProtocolGroup->setEnabled(idle);
    strip_->ComBox->setEnabled(idle && !udp);
    strip_->BaudBox->setEnabled(idle && !udp);
    for (QAction* a : {actClear_, actMark_, actShowFrame_})
        a->setEnabled(idle);
    actStartStop_->setEnabled(true);
    strip_->BtnStart->setEnabled(true);
    SettingsChanged();
}

void TMyMonitor::SettingsChanged() {
    const TCaptureSettings& s = session_.Settings();
    {
        const QSignalBlocker b(strip_->ProtocolButtons);
        strip_->ProtocolButtons->button(static_cast<int>(s.Selection))->setChecked(true);
    }
    strip_->CBComm->setChecked(s.Comm);
    strip_->CBPdOut->setChecked(s.PdOut);
    strip_->CBPdIn->setChecked(s.PdIn);
    strip_->CBMonitor->setChecked(s.Monitor);
    if (session_.UdpArgument() == nullptr && s.BaudIndex >= 0 &&
        s.BaudIndex < strip_->BaudBox->count())
        strip_->BaudBox->setCurrentIndex(s.BaudIndex);
}

void TMyMonitor::CommandsChanged() {
    TDecoderSets& decoder = session_.Decoder();
    actFilterDisplay_->setChecked(session_.FilteredView().FilterDisplay());
    actTrigger_->setText(QString::fromStdString(session_.Trigger().MenuCaption()));
    actTrigger_->setChecked(session_.Trigger().MenuChecked());
    actBuffer_->setText(QString::fromStdString(session_.BufferCaption()));
    actHexDisplay_->setChecked(session_.HexDisplay());
    actL7Decoder_->setChecked(decoder.Checked());
    actLineMonitorInfo_->setEnabled(session_.LineMonitorInfoAllowed() &&
                                    menuFile_->menuAction()->isEnabled());
    const QString path = QString::fromStdString(decoder.DescriptionPath());
    strip_->Label1->setText(path);
    // A long path is cut off at the window's edge; the tip shows all of it.
    strip_->Label1->setToolTip(path);
    listView_->RowModel()->SetCodePage(decoder.DisplayCodePage());
}

void TMyMonitor::StartButtonChanged(bool down) {
    strip_->BtnStart->setChecked(down);
    strip_->BtnStart->setText(down ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void TMyMonitor::RxErrorsChanged(const std::string& text) {
    strip_->LabelErrors->setText(QString::fromStdString(text));
}

void TMyMonitor::PanelsChanged(const TDetailPanels& panels) {
    for (int i = 0; i < 4; ++i)
        panels_[i]->setText(QString::fromLatin1(panels[static_cast<std::size_t>(i)]));
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

void TMyMonitor::OpenRawFormatDialog() {
    rawFormatDialog_->Edit(session_.Settings().RawFormat);
}

void TMyMonitor::OpenLineMonitorDialog() {
    lineMonitorDialog_->open();
}

} // namespace protmon
