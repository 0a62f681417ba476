#include "session/buffer_depth.h"
#include "ui/control_strip.h"
#include "ui/copy_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/main_window.h"
#include "ui/raw_format_dialog.h"
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

namespace {

QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

void TMyMonitor::ConnectMenus() {
    TMonitorSession& s = session_;
    connect(actSave_, &QAction::triggered, this, [&s] { s.Save(); });
    connect(actRead_, &QAction::triggered, this, &TMyMonitor::MenuReadClick);
    connect(actCopy_, &QAction::triggered, this, &TMyMonitor::MenuCopyClick);
    connect(actClear_, &QAction::triggered, this, [&s] { s.Clear(true); });
    connect(actLineMonitorInfo_, &QAction::triggered, this, &TMyMonitor::MenuLineMonitorInfoClick);
    connect(actQuit_, &QAction::triggered, this, &TMyMonitor::close);
    connect(actHexDisplay_, &QAction::triggered, this, [&s](bool on) { s.SetHexDisplay(on); });
    connect(actFont_, &QAction::triggered, this, &TMyMonitor::MenuFontClick);
    connect(actL7Decoder_, &QAction::triggered, this, &TMyMonitor::MenuL7decoderClick);
    connect(actBuffer_, &QAction::triggered, this, &TMyMonitor::MenuBufferClick);
    connect(actRawFormat_, &QAction::triggered, this, [this] {
        if (!session_.Settings().Monitor)
            OpenRawFormatDialog();
    });
    connect(actLineMonitorSettings_, &QAction::triggered, this,
            [this] { OpenLineMonitorDialog(); });
    connect(actClearBeforeStart_, &QAction::triggered, this,
            [&s](bool on) { s.SetClearBeforeStart(on); });
    connect(actSetFilter_, &QAction::triggered, this, [this] { ShowFilterDialog(includeDialog_); });
    connect(actFilterDisplay_, &QAction::triggered, this, [&s] { s.FilterDisplay(); });
    connect(actSearch_, &QAction::triggered, this, [&s] { s.Search(); });
    connect(actTrigger_, &QAction::triggered, this, &TMyMonitor::MenuTriggerClick);
    connect(actExcludeFilter_, &QAction::triggered, this,
            [this] { ShowFilterDialog(excludeDialog_); });
    connect(actStartStop_, &QAction::triggered, this, [this] {
        strip_->BtnStart->toggle();
        BtnStartClick();
    });
    connect(actMark_, &QAction::triggered, this, [&s] { s.Mark(); });
    connect(actShowFrame_, &QAction::triggered, this, [&s] { s.ShowFrame(); });
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

void TMyMonitor::MenuLineMonitorInfoClick() {
    TakeControlTexts(); // the box is asked on the port and at the rate the boxes show
    session_.LineMonitorInfo();
}

void TMyMonitor::RefreshComPorts() {
    const auto ports = session_.PortList();
    if (!ports)
        return;
    // A path the user typed stays; only an empty box takes the first device.
    const QString typed = strip_->ComBox->currentText();
    strip_->ComBox->clear();
    for (const std::string& p : *ports)
        strip_->ComBox->addItem(QString::fromStdString(p));
    if (!typed.isEmpty())
        strip_->ComBox->setEditText(typed);
}

bool TMyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == strip_->ComBox && event->type() == QEvent::FocusIn)
        RefreshComPorts();
    return QMainWindow::eventFilter(watched, event);
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

void TMyMonitor::ShowFilterDialog(Tfilter* dialog) {
    // Whatever the button, the criteria are as the dialog left them.
    dialog->exec();
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
