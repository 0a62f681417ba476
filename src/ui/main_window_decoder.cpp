#include "ui/control_strip.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"

#include <QAction>
#include <QLabel>

namespace protmon {

void TMyMonitor::SetUpL7Decoder() {
    l7_ = std::make_unique<TL7Decoder>(this);
    actL7Decoder_->setCheckable(true);
    actL7Decoder_->setChecked(false);
    connect(actL7Decoder_, &QAction::triggered, this, &TMyMonitor::MenuL7decoderClick);
}

void TMyMonitor::MenuL7decoderClick() {
    const bool changed = l7_->MenuL7decoderClick(*chooser_, fileFolder_);
    // Only the command decides the check mark, not the click on the item.
    actL7Decoder_->setChecked(l7_->Checked());
    if (!changed)
        return;
    strip_->Label1->setText(l7_->DescriptionPath());
    // A long path is cut off at the window's edge; the tip shows all of it.
    strip_->Label1->setToolTip(l7_->DescriptionPath());
    listView_->RowModel()->SetCodePage(l7_->DisplayCodePage());
    Redraw();
}

} // namespace protmon
