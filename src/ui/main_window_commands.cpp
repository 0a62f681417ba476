#include "session/buffer_depth.h"
#include "ui/control_strip.h"
#include "ui/copy_dialog.h"
#include "ui/detect_line_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/main_menus.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"
#include "ui/trigger_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QWheelEvent>

namespace protmon {

void TMyMonitor::ConnectMenus() {
    TMonitorSession& s = session_;
    const std::pair<MenuItem, std::function<void()>> acts[] = {
        {MenuItem::Save, [&s] { s.Save(); }},
        {MenuItem::Read, [&s] { s.Read(); }},
        {MenuItem::Copy, [this] { MenuCopyClick(); }},
        {MenuItem::Clear, [&s] { s.Clear(true); }},
        {MenuItem::LineMonitorInfo, [this] { MenuLineMonitorInfoClick(); }},
        {MenuItem::Quit, [this] { close(); }},
        {MenuItem::HexDisplay,
         [this] { session_.SetHexDisplay(menus_->Item(MenuItem::HexDisplay)->isChecked()); }},
        {MenuItem::Font, [this] { MenuFontClick(); }},
        {MenuItem::L7Decoder, [&s] { s.L7Decoder(); }},
        {MenuItem::Buffer, [this] { MenuBufferClick(); }},
        {MenuItem::RawFormat,
         [this] {
             if (!session_.Settings().Monitor)
                 RawFormatNeeded();
         }},
        {MenuItem::LineMonitor, [this] { OpenLineMonitorDialog(); }},
        {MenuItem::DetectLine, [this] { MenuDetectLineClick(); }},
        {MenuItem::ClearBeforeStart,
         [this] {
             session_.SetClearBeforeStart(menus_->Item(MenuItem::ClearBeforeStart)->isChecked());
         }},
        // Whatever the button, the filter is as its dialog left it.
        {MenuItem::SetFilter, [this] { FilterDialog(includeDialog_); }},
        {MenuItem::FilterDisplay, [&s] { s.FilterDisplay(); }},
        {MenuItem::Search, [&s] { s.Search(); }},
        {MenuItem::Trigger, [this] { MenuTriggerClick(); }},
        {MenuItem::ExcludeFilter, [this] { FilterDialog(excludeDialog_); }},
        {MenuItem::StartStop,
         [this] {
             strip_->BtnStart->toggle();
             BtnStartClick();
         }},
        {MenuItem::Mark, [&s] { s.Mark(); }},
        {MenuItem::ShowFrame, [&s] { s.ShowFrame(); }},
    };
    for (const auto& [item, act] : acts)
        connect(menus_->Item(item), &QAction::triggered, this, act);
}

void TMyMonitor::WireControls() {
    TMonitorSession& s = session_;
    connect(strip_->BtnStart, &QPushButton::clicked, this, &TMyMonitor::BtnStartClick);
    connect(strip_->ProtocolButtons, &QButtonGroup::idClicked, this,
            [&s](int id) { s.SelectProtocol(static_cast<Protocol>(id)); });
    connect(strip_->CBComm, &QCheckBox::clicked, this,
            [&s](bool on) { s.SetOperatorBox(kSourceComm, on); });
    connect(strip_->CBPdOut, &QCheckBox::clicked, this,
            [&s](bool on) { s.SetOperatorBox(kSourcePdOut, on); });
    connect(strip_->CBPdIn, &QCheckBox::clicked, this,
            [&s](bool on) { s.SetOperatorBox(kSourcePdIn, on); });
    connect(strip_->CBMonitor, &QCheckBox::clicked, this, [&s](bool on) { s.SetMonitorBox(on); });
    connect(listView_, &TTelegramListView::detailsRequested, this, &TMyMonitor::ShowDetails);
}

void TMyMonitor::TakeControlTexts() {
    session_.SetPortTexts(strip_->ComBox->currentText().trimmed().toStdString(),
                          strip_->ComBox->currentIndex(), strip_->BaudBox->currentIndex());
}

void TMyMonitor::BtnStartClick() {
    const bool down = strip_->BtnStart->isChecked();
    if (down)
        TakeControlTexts();
    session_.StartStop(down);
}

void TMyMonitor::MenuDetectLineClick() {
    TakeControlTexts(); // detection listens on the port the box shows
    TDetectLineDialog dialog(session_, this);
    dialog.Run();
}

void TMyMonitor::MenuLineMonitorInfoClick() {
    TakeControlTexts(); // the box is asked on the port and at the rate the boxes show
    session_.LineMonitorInfo();
}

void TMyMonitor::RefreshComPorts() {
    if (const auto ports = session_.PortList())
        strip_->ShowPorts(*ports);
}

bool TMyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == strip_->ComBox && event->type() == QEvent::FocusIn)
        RefreshComPorts();
    return QMainWindow::eventFilter(watched, event);
}

void TMyMonitor::closeEvent(QCloseEvent* event) {
    session_.StartStop(false); // a capture stops and the devices return to normal operation
    event->accept();
}

void TMyMonitor::contextMenuEvent(QContextMenuEvent* event) {
    menus_->Popup()->exec(event->globalPos());
}

void TMyMonitor::wheelEvent(QWheelEvent* event) {
    event->accept();
    listView_->WheelAngle(event->angleDelta().y());
}

void TMyMonitor::MenuFontClick() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, listView_->font(), this);
    if (ok)
        listView_->setFont(font); // the view runs the resize processing on the font change
}

void TMyMonitor::MenuBufferClick() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, Latin1(kBufferPromptTitle), Latin1(kBufferPrompt), QLineEdit::Normal,
        QString::fromStdString(session_.BufferInputText()), &ok);
    session_.Buffer(ok ? std::optional<std::string>(text.toStdString()) : std::nullopt);
}

void TMyMonitor::FilterDialog(Tfilter* dialog) {
    const bool include = dialog == includeDialog_;
    TFilterCriteria& criteria = include ? includeCriteria_ : excludeCriteria_;
    criteria = include ? session_.IncludeFilter() : session_.ExcludeFilter();
    dialog->exec();
    if (include)
        session_.SetIncludeFilter(criteria);
    else
        session_.SetExcludeFilter(criteria);
    session_.FilterDialogClosed();
}

void TMyMonitor::MenuTriggerClick() {
    triggerDialog_->SetDelayText(session_.Trigger().DelayFieldText());
    if (triggerDialog_->exec() == QDialog::Accepted)
        session_.ApplyTrigger(triggerDialog_->State());
    // The item toggles its own check mark when chosen; it must show the trigger instead.
    CommandsChanged();
}

void TMyMonitor::MenuCopyClick() {
    TCopyDialogState state = copyDialog_->State();
    if (!session_.PrepareCopy(state))
        return;
    copyDialog_->SetState(state);
    if (copyDialog_->exec() != QDialog::Accepted)
        return;
    const auto text = session_.CopyText(copyDialog_->State(), {&listView_->RowModel()->Glyphs(),
                                                               listView_->RowModel()->CodePage()});
    if (text)
        QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
}

} // namespace protmon
