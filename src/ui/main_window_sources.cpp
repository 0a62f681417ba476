#include "capture/com_ports.h"
#include "ui/capture_view.h"
#include "ui/control_strip.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>

namespace protmon {

// The DIN66019II and raw assemblers, the fieldbus operator, the raw format dialog and the port
// box's list of serial devices.
void TMyMonitor::SetupCaptureSources() {
    assemblers_ = std::make_unique<TCaptureAssemblers>(control_, relay_);
    assemblers_->SetTrigger(trigger_);
    operator_ = std::make_unique<TOperatorMonitor>(link_);
    control_.SetOperator(operator_.get());
    rawFormatDialog_ = new TSetRawFormat(this);
    connect(actRawFormat_, &QAction::triggered, this, &TMyMonitor::MenuRawFormatClick);
    strip_->ComBox->installEventFilter(this);
}

void TMyMonitor::MenuRawFormatClick() {
    if (!settings_.Monitor)
        OpenRawFormatDialog();
}

void TMyMonitor::OpenRawFormatDialog() {
    rawFormatDialog_->Edit(settings_.RawFormat);
}

// Serial devices come and go while the program runs; the box keeps any typed path (a pty).
void TMyMonitor::RefreshComPorts() {
    const auto ports = protmon::RefreshComPorts(udp_.has_value(), sysfsTty_);
    if (!ports)
        return;
    QComboBox* box = strip_->ComBox;
    const QString typed = box->currentText();
    const QSignalBlocker blocker(box);
    box->clear();
    for (const std::string& p : *ports)
        box->addItem(QString::fromStdString(p));
    if (!typed.isEmpty())
        box->setEditText(typed);
    else if (box->count() > 0)
        box->setCurrentIndex(0);
}

bool TMyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == strip_->ComBox && event->type() == QEvent::FocusIn)
        RefreshComPorts();
    return QMainWindow::eventFilter(watched, event);
}

void TMyMonitor::TCaptureView::OpenRawFormatDialog() {
    w_.OpenRawFormatDialog();
}

} // namespace protmon
