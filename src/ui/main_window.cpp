#include "ui/main_window.h"

#include "ui/control_strip.h"
#include "ui/file_chooser.h"
#include "ui/qt_host.h"
#include "ui/telegram_list_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

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
    : QMainWindow(parent), ownHost_(std::make_unique<TQtHost>(this)), host_(ownHost_.get()),
      ownChooser_(std::make_unique<TFileChooser>()), chooser_(ownChooser_.get()),
      rows_(list_, [this](int position, const TTelEntry& entry, TRowCells& row) {
          DecodeRow(position, entry, row);
      }) {
    setObjectName(QStringLiteral("MyMonitor"));
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

    setWindowTitle(QString::fromLatin1(kCaption));
    strip_->LabelErrors->setText(QStringLiteral("RxErrors:0"));
    if (!arguments.isEmpty())
        ApplyArguments(arguments);
    SetUiState(true);
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    pollTimer_ = new QTimer(this);
    pollTimer_->setTimerType(Qt::PreciseTimer);
    pollTimer_->setInterval(1);
    connect(pollTimer_, &QTimer::timeout, this, &TMyMonitor::PollTick);
    pollTimer_->start();
}

TMyMonitor::~TMyMonitor() = default;

void TMyMonitor::SetHost(IHost* host) {
    host_ = host != nullptr ? host : ownHost_.get();
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
    actBuffer_->setText(QStringLiteral("max.Buffer :%1").arg(list_.BufferDepth()));
    actRawFormat_ = AddItem(menuSettings_, "Raw format settings", "MenuRawFormat");
    actLineMonitorSettings_ = AddItem(menuSettings_, "Line monitor settings", "MenuLineMonitor");
    actClearBeforeStart_ = AddItem(menuSettings_, "Clear before Start", "MenuClearBeforeStart");
    actClearBeforeStart_->setCheckable(true);

    menuFilter_ = menuBar()->addMenu(QStringLiteral("Filter"));
    actSetFilter_ = AddItem(menuFilter_, "Set filter", "MenuSetFilter", Qt::Key_F2);
    actFilterDisplay_ = AddItem(menuFilter_, "Filter display", "MenuFilterDisplay", Qt::Key_F3);
    actSearch_ =
        AddItem(menuFilter_, "Search for filter", "MenuSearch", QKeySequence(Qt::CTRL | Qt::Key_F));
    actTrigger_ = AddItem(menuFilter_, "Trigger ", "MenuTrigger", Qt::Key_F4);
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

    connect(actClear_, &QAction::triggered, this, &TMyMonitor::MenuClearClick);
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
    connect(strip_->ProtocolButtons, &QButtonGroup::idClicked, this, &TMyMonitor::ProtocolClicked);
    connect(listView_, &TTelegramListView::detailsRequested, this, &TMyMonitor::ShowDetails);
    ConnectSourceBoxes();
}

void TMyMonitor::ApplyArguments(const QStringList& arguments) {
    const QString argument = arguments.first();
    udp_ = ParseUdpArgument(argument.toStdString());
    strip_->ComBox->clear();
    strip_->ComBox->addItem(QString::fromStdString(udp_->Host));
    strip_->BaudBox->clear();
    strip_->BaudBox->addItem(QString::number(udp_->Port));
    if (!udp_->PortUnderstood) {
        // Said once the window is up, so the user sees what it runs with.
        QTimer::singleShot(0, this, [this, argument] {
            host_->ShowInfo("Command line argument not understood: " + argument.toStdString() +
                            "\nThe port number must be a decimal number; port 0 is used.");
        });
    }
}

void TMyMonitor::DecodeRow(int position, const TTelEntry& entry, TRowCells& row) const {
    HexDumpRow(position, entry, markIndex_, row);
}

void TMyMonitor::Redraw() {
    rows_.RefreshRows();
    listView_->Sync();
}

void TMyMonitor::SetActionAllowed(QAction* action, bool allowed) {
    if (action == actLineMonitorInfo_)
        lineMonitorInfoAllowed_ = allowed;
    action->setEnabled(allowed && menuFile_->menuAction()->isEnabled());
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
    QString title = QString::fromLatin1(kCaption) + QStringLiteral("  ") +
                    QString::fromStdString(currentFileName_);
    if (filteredCount_ != -1)
        title += QStringLiteral(" [filtered]");
    setWindowTitle(title);
}

QString TMyMonitor::PanelText(int panel) const {
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

} // namespace protmon
