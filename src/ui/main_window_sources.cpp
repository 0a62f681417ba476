#include "ui/capture_view.h"
#include "ui/control_strip.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"

#include <QAction>

namespace protmon {

// The DIN66019II and raw assemblers, the fieldbus operator and the raw format dialog.
void TMyMonitor::SetupCaptureSources() {
    assemblers_ = std::make_unique<TCaptureAssemblers>(control_, relay_);
    assemblers_->SetTrigger(trigger_);
    operator_ = std::make_unique<TOperatorMonitor>(link_);
    control_.SetOperator(operator_.get());
    rawFormatDialog_ = new TSetRawFormat(this);
    connect(actRawFormat_, &QAction::triggered, this, &TMyMonitor::MenuRawFormatClick);
}

void TMyMonitor::MenuRawFormatClick() {
    if (!settings_.Monitor)
        OpenRawFormatDialog();
}

void TMyMonitor::OpenRawFormatDialog() {
    rawFormatDialog_->Edit(settings_.RawFormat);
}

void TMyMonitor::TCaptureView::OpenRawFormatDialog() {
    w_.OpenRawFormatDialog();
}

} // namespace protmon
