#include "ui/main_window.h"

#include "capture/udp_argument.h"
#include "ui/control_strip.h"
#include "ui/copy_dialog.h"
#include "ui/file_chooser.h"
#include "ui/filter_dialog.h"
#include "ui/l7_decoder.h"
#include "ui/line_monitor_dialog.h"
#include "ui/raw_format_dialog.h"
#include "ui/telegram_list_view.h"
#include "ui/trigger_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace protmon {

namespace {

constexpr int kClientWidth = 833;
constexpr int kClientHeight = 540;
constexpr int kPanelWidths[4] = {80, 80, 155, 50};
// The longest text each fixed panel shows; a larger font widens the panel until it fits.
constexpr const char* kPanelSamples[3] = {"Entry:99999", "Channel:A", "TimeStamp:FFFF*8192us"};

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

QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

TMyMonitor::TMyMonitor(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), ownHost_(std::make_unique<TQtHost>(this)),
      ownChooser_(std::make_unique<TFileChooser>(this)),
      l7_(std::make_unique<TL7Decoder>(session_.Decoder())) {
    setObjectName(QStringLiteral("MyMonitor"));
    relay_.Target = ownHost_.get();
    session_.SetFileChooser(ownChooser_.get());
    auto* central = new QWidget(this);
    strip_ = new TControlStrip(central);
    listView_ = new TTelegramListView(session_.RowWindow(), central);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setFont(ListFont());
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip_);
    layout->addWidget(listView_, 1);
    setCentralWidget(central);

    BuildMenus();
    ConnectMenus();
    BuildStatusBar();
    CreateDialogs();
    WireControls();
    setWindowTitle(QString::fromLatin1(kCaption));
    strip_->LabelErrors->setText(QStringLiteral("RxErrors:0"));
    // The 1 ms poll timer runs only while capturing; idle, nothing wakes the program.
    pollTimer_ = new QTimer(this);
    pollTimer_->setTimerType(Qt::PreciseTimer);
    pollTimer_->setInterval(1);
    connect(pollTimer_, &QTimer::timeout, this, [this] { session_.PollTick(); });
    session_.SetObserver(this);
    if (!arguments.isEmpty())
        ApplyArguments(arguments);
    else
        RefreshComPorts();
    strip_->ComBox->installEventFilter(this);
    UiStateChanged(true);
    CommandsChanged();
    // A larger desktop font widens the window until the control strip fits.
    resize(std::max(kClientWidth, strip_->minimumSizeHint().width()),
           kClientHeight + menuBar()->sizeHint().height());
}

TMyMonitor::~TMyMonitor() {
    // A window destroyed without being closed still returns the devices to normal operation.
    pollTimer_->stop();
    if (Capturing())
        session_.StartStop(false);
    session_.SetObserver(nullptr);
}

void TMyMonitor::SetHost(IHost* host) {
    relay_.Target = host != nullptr ? host : ownHost_.get();
}

void TMyMonitor::SetFileChooser(IFileChooser* chooser) {
    session_.SetFileChooser(chooser != nullptr ? chooser : ownChooser_.get());
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
    actFont_ = AddItem(menuSettings_, "Font", "MenuFont");
    actL7Decoder_ = AddItem(menuSettings_, "L7 decoder", "MenuL7decoder");
    actBuffer_ = AddItem(menuSettings_, "max.Buffer :", "MenuBuffer");
    actRawFormat_ = AddItem(menuSettings_, "Raw format settings", "MenuRawFormat");
    actLineMonitorSettings_ = AddItem(menuSettings_, "Line monitor settings", "MenuLineMonitor");
    actClearBeforeStart_ = AddItem(menuSettings_, "Clear before Start", "MenuClearBeforeStart");

    menuFilter_ = menuBar()->addMenu(QStringLiteral("Filter"));
    actSetFilter_ = AddItem(menuFilter_, "Set filter", "MenuSetFilter", Qt::Key_F2);
    actFilterDisplay_ = AddItem(menuFilter_, "Filter display", "MenuFilterDisplay", Qt::Key_F3);
    actSearch_ =
        AddItem(menuFilter_, "Search for filter", "MenuSearch", QKeySequence(Qt::CTRL | Qt::Key_F));
    actTrigger_ = AddItem(menuFilter_, "Trigger ", "MenuTrigger", Qt::Key_F4);
    actExcludeFilter_ = AddItem(menuFilter_, "Set exclude filter", "MenuExcludeFilter", Qt::Key_F5);
    for (QAction* a :
         {actHexDisplay_, actL7Decoder_, actClearBeforeStart_, actFilterDisplay_, actTrigger_})
        a->setCheckable(true);

    // The popup's own items also act by shortcut, so they belong to the window as well.
    popup_ = new QMenu(this);
    actStartStop_ = AddItem(popup_, "Start/Stop", "PopupStartStop", Qt::Key_F9);
    popup_->addAction(actClear_);
    actMark_ = AddItem(popup_, "Mark", "PopupMark", Qt::Key_M);
    actShowFrame_ = AddItem(popup_, "Show Frame", "PopupShowFrame");
    addActions({actStartStop_, actMark_, actShowFrame_});
}

void TMyMonitor::BuildStatusBar() {
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setMinimumWidth(kPanelWidths[i]);
        // The last panel takes the rest of the bar so a long delta time stays readable.
        if (i < 3) {
            const int text = panels_[i]->fontMetrics().horizontalAdvance(kPanelSamples[i]);
            const int frame = 2 * panels_[i]->frameWidth() + 2 * panels_[i]->margin();
            panels_[i]->setFixedWidth(std::max(kPanelWidths[i], text + frame));
        }
        statusBar()->addWidget(panels_[i], i < 3 ? 0 : 1);
    }
    statusBar()->setSizeGripEnabled(true);
}

void TMyMonitor::CreateDialogs() {
    includeDialog_ = new Tfilter(session_.IncludeFilter(), Latin1(kIncludeFilterCaption), this);
    includeDialog_->setObjectName(QStringLiteral("IncludeFilter"));
    excludeDialog_ = new Tfilter(session_.ExcludeFilter(), Latin1(kExcludeFilterCaption), this);
    excludeDialog_->setObjectName(QStringLiteral("ExcludeFilter"));
    copyDialog_ = new TFrmCopy(this);
    copyDialog_->setObjectName(QStringLiteral("FrmCopy"));
    triggerDialog_ = new TfrmTrigger(this);
    triggerDialog_->setObjectName(QStringLiteral("frmTrigger"));
    lineMonitorDialog_ = new TSetFormat(session_.Settings().LineMonitor, this);
    rawFormatDialog_ = new TSetRawFormat(this);
}

void TMyMonitor::ApplyArguments(const QStringList& arguments) {
    const QString argument = arguments.first();
    const TUdpArgument udp = ParseUdpArgument(argument.toStdString());
    strip_->ComBox->clear();
    strip_->ComBox->addItem(QString::fromStdString(udp.Host));
    strip_->BaudBox->clear();
    strip_->BaudBox->addItem(QString::number(udp.Port));
    session_.UseUdpSource(udp);
    if (!udp.PortUnderstood) {
        // Said once the window is up, so the user sees what it runs with.
        QTimer::singleShot(0, this, [this, argument] {
            relay_.ShowInfo("Command line argument not understood: " + argument.toStdString() +
                            "\nThe port number must be a decimal number; port 0 is used.");
        });
    }
}

QString TMyMonitor::PanelText(int panel) const {
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

} // namespace protmon
