#include "ui/main_window.h"

#include "decode/decode_row.h"
#include "session/buffer_depth.h"
#include "ui/capture_view.h"
#include "ui/control_strip.h"
#include "ui/file_chooser.h"
#include "ui/qt_host.h"
#include "ui/telegram_list_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace protmon {

namespace {

constexpr int kClientWidth = 833;
constexpr int kClientHeight = 540;
constexpr int kPanelWidths[4] = {80, 80, 155, 50};

QFont ListFont() {
    QFont font(QStringLiteral("Courier New"), 12);
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(12);
    }
    return font;
}

QAction* AddItem(QMenu* menu, const char* caption, const char* name,
                 const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    return a;
}

} // namespace

TMyMonitor::TMyMonitor(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), ownHost_(std::make_unique<TQtHost>(this)),
      ownChooser_(std::make_unique<TFileChooser>()), chooser_(ownChooser_.get()),
      captureView_(std::make_unique<TCaptureView>(*this)),
      rows_(list_,
            [this](int position, const TTelEntry&, TRowTexts& row) { DecodeRow(position, row); }) {
    setObjectName(QStringLiteral("MyMonitor"));
    relay_.Target = ownHost_.get();
    control_.SetObserver(captureView_.get());
    control_.SetTrigger(&trigger_);
    rows_.SetScrollMapping(
        [this](int position) { return filteredView_.TopIndexForScrollPosition(position); });
    fileFolder_ = QDir::currentPath();
    auto* central = new QWidget(this);
    strip_ = new TControlStrip(central);
    listView_ = new TTelegramListView(rows_, central);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setFont(ListFont());
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip_);
    layout->addWidget(listView_, 1);
    setCentralWidget(central);

    BuildMenus();
    BuildStatusBar();
    WireControls();
    SetupCaptureSources();
    SetUpLineMonitor();
    CreateFilterDialogs();
    SetUpL7Decoder();

    setWindowTitle(QString::fromLatin1(kCaption));
    strip_->LabelErrors->setText(QStringLiteral("RxErrors:0"));
    if (!arguments.isEmpty())
        ApplyArguments(arguments);
    else
        RefreshComPorts();
    strip_->ComBox->installEventFilter(this);
    SetUiState(true);
    // A larger desktop font widens the window until the control strip fits.
    resize(std::max(kClientWidth, strip_->minimumSizeHint().width()),
           kClientHeight + menuBar()->sizeHint().height());

    pollTimer_ = new QTimer(this);
    pollTimer_->setTimerType(Qt::PreciseTimer);
    pollTimer_->setInterval(1);
    connect(pollTimer_, &QTimer::timeout, this, &TMyMonitor::PollTick);
    pollTimer_->start();
}

void TMyMonitor::SetHost(IHost* host) {
    relay_.Target = host != nullptr ? host : ownHost_.get();
}

void TMyMonitor::SetFileChooser(TFileChooser* chooser) {
    chooser_ = chooser != nullptr ? chooser : ownChooser_.get();
}

void TMyMonitor::BuildMenus() {
    menuFile_ = menuBar()->addMenu(QStringLiteral("File"));
    actSave_ = AddItem(menuFile_, "Save", "MenuSave");
    actRead_ = AddItem(menuFile_, "Read", "MenuRead");
    menuFile_->addSeparator();
    actCopy_ = AddItem(menuFile_, "Copy", "MenuCopy", QKeySequence(Qt::CTRL | Qt::Key_C));
    actClear_ = AddItem(menuFile_, "Clear", "MenuClear", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    menuFile_->addSeparator();
    actLineMonitorInfo_ = AddItem(menuFile_, "Line monitor Info", "MenuLineMonitorInfo");
    menuFile_->addSeparator();
    actQuit_ = AddItem(menuFile_, "Quit", "MenuQuit");

    menuSettings_ = menuBar()->addMenu(QStringLiteral("Settings"));
    actHexDisplay_ = AddItem(menuSettings_, "Hex Display", "MenuHexDisplay", Qt::Key_F12);
    actHexDisplay_->setCheckable(true);
    actFont_ = AddItem(menuSettings_, "Font", "MenuFont");
    actL7Decoder_ = AddItem(menuSettings_, "L7 decoder", "MenuL7decoder");
    actBuffer_ = AddItem(menuSettings_, "max.Buffer :", "MenuBuffer");
    actBuffer_->setText(QString::fromStdString(BufferMenuCaption(list_.BufferDepth())));
    actRawFormat_ = AddItem(menuSettings_, "Raw format settings", "MenuRawFormat");
    actLineMonitorSettings_ = AddItem(menuSettings_, "Line monitor settings", "MenuLineMonitor");
    actClearBeforeStart_ = AddItem(menuSettings_, "Clear before Start", "MenuClearBeforeStart");
    actClearBeforeStart_->setCheckable(true);

    menuFilter_ = menuBar()->addMenu(QStringLiteral("Filter"));
    actSetFilter_ = AddItem(menuFilter_, "Set filter", "MenuSetFilter", Qt::Key_F2);
    actFilterDisplay_ = AddItem(menuFilter_, "Filter display", "MenuFilterDisplay", Qt::Key_F3);
    actFilterDisplay_->setCheckable(true);
    actSearch_ =
        AddItem(menuFilter_, "Search for filter", "MenuSearch", QKeySequence(Qt::CTRL | Qt::Key_F));
    actTrigger_ = AddItem(menuFilter_, "Trigger ", "MenuTrigger", Qt::Key_F4);
    actTrigger_->setCheckable(true);
    actExcludeFilter_ = AddItem(menuFilter_, "Set exclude filter", "MenuExcludeFilter", Qt::Key_F5);

    // The popup's own items also act by shortcut, so they belong to the window as well.
    popup_ = new QMenu(this);
    actStartStop_ = AddItem(popup_, "Start/Stop", "PopupStartStop", Qt::Key_F9);
    popup_->addAction(actClear_);
    actMark_ = AddItem(popup_, "Mark", "PopupMark", Qt::Key_M);
    actShowFrame_ = AddItem(popup_, "Show Frame", "PopupShowFrame");
    addAction(actStartStop_);
    addAction(actMark_);
    addAction(actShowFrame_);

    connect(actSave_, &QAction::triggered, this, &TMyMonitor::MenuSaveClick);
    connect(actRead_, &QAction::triggered, this, &TMyMonitor::MenuReadClick);
    connect(actClear_, &QAction::triggered, this, &TMyMonitor::MenuClearClick);
    connect(actBuffer_, &QAction::triggered, this, &TMyMonitor::MenuBufferClick);
    connect(actFilterDisplay_, &QAction::triggered, this, &TMyMonitor::MenuFilterDisplayClick);
    connect(actSearch_, &QAction::triggered, this, &TMyMonitor::MenuSearchClick);
    connect(actQuit_, &QAction::triggered, this, &TMyMonitor::MenuQuitClick);
    connect(actHexDisplay_, &QAction::triggered, this, &TMyMonitor::MenuHexDisplayClick);
    connect(actFont_, &QAction::triggered, this, &TMyMonitor::MenuFontClick);
    connect(actClearBeforeStart_, &QAction::triggered, this,
            &TMyMonitor::MenuClearBeforeStartClick);
    connect(actStartStop_, &QAction::triggered, this, &TMyMonitor::PopupStartStopClick);
    connect(actMark_, &QAction::triggered, this, &TMyMonitor::PopupMarkClick);
    connect(actShowFrame_, &QAction::triggered, this, &TMyMonitor::PopupShowFrameClick);
}

void TMyMonitor::BuildStatusBar() {
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setMinimumWidth(kPanelWidths[i]);
        // The last panel takes the rest of the bar so a long delta time stays readable.
        if (i < 3)
            panels_[i]->setFixedWidth(kPanelWidths[i]);
        statusBar()->addWidget(panels_[i], i < 3 ? 0 : 1);
    }
    statusBar()->setSizeGripEnabled(true);
}

void TMyMonitor::WireControls() {
    connect(strip_->BtnStart, &QPushButton::clicked, this, &TMyMonitor::BtnStartClick);
    connect(strip_->ProtocolButtons, &QButtonGroup::idClicked, this,
            [this](int id) { control_.SelectProtocol(static_cast<Protocol>(id)); });
    connect(strip_->CBComm, &QCheckBox::clicked, this,
            [this](bool on) { control_.SetOperatorBox(kSourceComm, on); });
    connect(strip_->CBPdOut, &QCheckBox::clicked, this,
            [this](bool on) { control_.SetOperatorBox(kSourcePdOut, on); });
    connect(strip_->CBPdIn, &QCheckBox::clicked, this,
            [this](bool on) { control_.SetOperatorBox(kSourcePdIn, on); });
    connect(strip_->CBMonitor, &QCheckBox::clicked, this,
            [this](bool on) { control_.SetMonitorBox(on); });
    connect(listView_, &TTelegramListView::detailsRequested, this, &TMyMonitor::ShowDetails);
}

void TMyMonitor::ApplyArguments(const QStringList& arguments) {
    const QString argument = arguments.first();
    udp_ = ParseUdpArgument(argument.toStdString());
    strip_->ComBox->clear();
    strip_->ComBox->addItem(QString::fromStdString(udp_->Host));
    strip_->BaudBox->clear();
    strip_->BaudBox->addItem(QString::number(udp_->Port));
    SetUpUdpSource();
    if (!udp_->PortUnderstood) {
        // Said once the window is up, so the user sees what it runs with.
        QTimer::singleShot(0, this, [this, argument] {
            relay_.ShowInfo("Command line argument not understood: " + argument.toStdString() +
                            "\nThe port number must be a decimal number; port 0 is used.");
        });
    }
}

void TMyMonitor::DecodeRow(int position, TRowTexts& row) const {
    TDecodeContext ctx;
    ctx.List = &list_;
    ctx.Selection = settings_.Selection;
    ctx.HexDisplay = hexDisplay_;
    ctx.MarkIndex = markIndex_;
    ctx.SourceFlags = settings_.SourceFlags;
    l7_->ApplyTo(ctx);
    DecodeTelegramRow(ctx, position, row);
}

void TMyMonitor::Redraw() {
    rows_.RefreshRows();
    listView_->Sync();
}

void TMyMonitor::SetLineMonitorInfoAllowed(bool allowed) {
    lineMonitorInfoAllowed_ = allowed;
    actLineMonitorInfo_->setEnabled(allowed && menuFile_->menuAction()->isEnabled());
}

void TMyMonitor::SetMenuEnabled(QMenu* menu, bool enabled) {
    // Shortcuts follow their items, so every item is switched, not only the menu title.
    menu->menuAction()->setEnabled(enabled);
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        a->setEnabled(enabled && (a != actLineMonitorInfo_ || lineMonitorInfoAllowed_));
    }
}

void TMyMonitor::SetUiState(bool idle) {
    SetMenuEnabled(menuFile_, idle);
    SetMenuEnabled(menuSettings_, idle);
    SetMenuEnabled(menuFilter_, idle);
    strip_->SourceGroup->setEnabled(idle);
    strip_->ProtocolGroup->setEnabled(idle);
    strip_->ComBox->setEnabled(idle && !udp_);
    strip_->BaudBox->setEnabled(idle && !udp_);
    actClear_->setEnabled(idle);
    actMark_->setEnabled(idle);
    actShowFrame_->setEnabled(idle);
    actStartStop_->setEnabled(true);
    strip_->BtnStart->setEnabled(true);
    for (QLabel* p : panels_)
        p->clear();
    ShowSettings();
}

void TMyMonitor::UpdateTitle() {
    setWindowTitle(
        QString::fromStdString(WindowTitle(currentFileName_, filteredView_.FilteredCount() != -1)));
}

QString TMyMonitor::PanelText(int panel) const {
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

} // namespace protmon
