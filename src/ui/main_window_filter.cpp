#include "descriptions/code_page.h"
#include "session/copy_text.h"
#include "ui/copy_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/l7_decoder.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"
#include "ui/trigger_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace protmon {

namespace {

QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

void TMyMonitor::CreateFilterDialogs() {
    includeDialog_ = new Tfilter(includeFilter_, Latin1(kIncludeFilterCaption), this);
    includeDialog_->setObjectName(QStringLiteral("IncludeFilter"));
    excludeDialog_ = new Tfilter(excludeFilter_, Latin1(kExcludeFilterCaption), this);
    excludeDialog_->setObjectName(QStringLiteral("ExcludeFilter"));
    copyDialog_ = new TFrmCopy(this);
    copyDialog_->setObjectName(QStringLiteral("FrmCopy"));
    triggerDialog_ = new TfrmTrigger(this);
    triggerDialog_->setObjectName(QStringLiteral("frmTrigger"));
    connect(actSetFilter_, &QAction::triggered, this, &TMyMonitor::MenuSetFilterClick);
    connect(actExcludeFilter_, &QAction::triggered, this, &TMyMonitor::MenuExcludeFilterClick);
    connect(actTrigger_, &QAction::triggered, this, &TMyMonitor::MenuTriggerClick);
    connect(actCopy_, &QAction::triggered, this, &TMyMonitor::MenuCopyClick);
}

void TMyMonitor::ShowFilterDialog(Tfilter* dialog) {
    // Whatever the button, the criteria are as the dialog left them.
    dialog->exec();
    if (!filteredView_.FilterDisplay())
        return;
    filteredView_.FilterDialogClosed();
    FilterChanged();
}

void TMyMonitor::MenuSetFilterClick() {
    ShowFilterDialog(includeDialog_);
}

void TMyMonitor::MenuExcludeFilterClick() {
    ShowFilterDialog(excludeDialog_);
}

void TMyMonitor::MenuTriggerClick() {
    triggerDialog_->SetDelayText(trigger_.DelayFieldText());
    if (triggerDialog_->exec() == QDialog::Accepted)
        trigger_.ApplyDialog(triggerDialog_->State(), list_.BufferDepth(), relay_);
    // The item toggles its own check mark when chosen; it must show the trigger instead.
    actTrigger_->setText(QString::fromStdString(trigger_.MenuCaption()));
    actTrigger_->setChecked(trigger_.MenuChecked());
}

void TMyMonitor::ShowTriggerTelegram(int position) {
    if (position >= 0) {
        ShowEntry(position);
        return;
    }
    rows_.UpdateScrollRange();
    rows_.SetScrollPosition(0);
    listView_->Sync();
    listView_->clearSelection();
}

void TMyMonitor::MenuCopyClick() {
    TCopyDialogState state = copyDialog_->State();
    if (!PrepareCopyDialog(state, list_.Count(), filteredView_.FilteredCount()))
        return;
    copyDialog_->SetState(state);
    if (copyDialog_->exec() != QDialog::Accepted)
        return;
    const TCopyResult copy = BuildCopyText(
        list_, filteredView_.FilteredCount(), copyDialog_->State(),
        [this](int position, TRowTexts& row) {
            DecodeRow(position, row);
            return true;
        },
        relay_, {&listView_->RowModel()->Glyphs(), listView_->RowModel()->CodePage()});
    if (copy.Copy)
        QGuiApplication::clipboard()->setText(QString::fromStdString(copy.Text));
    Redraw();
}

} // namespace protmon
