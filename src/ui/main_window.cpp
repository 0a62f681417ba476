#include "ui/main_window.h"

#include "capture/udp_argument.h"
#include "ui/analysis_menu.h"
#include "ui/control_strip.h"
#include "ui/copy_dialog.h"
#include "ui/file_chooser.h"
#include "ui/filter_dialog.h"
#include "ui/l7_decoder.h"
#include "ui/line_monitor_dialog.h"
#include "ui/main_menus.h"
#include "ui/raw_format_dialog.h"
#include "ui/screen_fit.h"
#include "ui/status_panels.h"
#include "ui/telegram_list_view.h"
#include "ui/trigger_dialog.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace protmon {

namespace {

constexpr int kClientWidth = 833;
constexpr int kClientHeight = 540;

QFont ListFont() {
    QFont font(QStringLiteral("Courier New"), 12);
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(12);
    }
    return font;
}

} // namespace

TMyMonitor::TMyMonitor(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), ownHost_(std::make_unique<TQtHost>(this)),
      ownChooser_(std::make_unique<TFileChooser>(this)),
      l7_(std::make_unique<TL7Decoder>(session_)) {
    setObjectName(QStringLiteral("MyMonitor"));
    relay_.Target = ownHost_.get();
    session_.SetFileChooser(ownChooser_.get());
    auto* central = new QWidget(this);
    strip_ = new TControlStrip(central);
    listView_ = new TTelegramListView(session_.RowWindow(), session_, central);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setFont(ListFont());
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip_);
    layout->addWidget(listView_, 1);
    setCentralWidget(central);

    menus_ = std::make_unique<TMainMenus>(*this);
    analysis_ = std::make_unique<TAnalysisMenu>(*this, *menus_, session_, *listView_);
    panels_ = std::make_unique<TStatusPanels>(*statusBar());
    ConnectMenus();
    CreateDialogs();
    WireControls();
    setWindowTitle(QString::fromLatin1(kCaption));
    strip_->LabelErrors->setText(QStringLiteral("RxErrors:0"));
    // The 1 ms poll timer runs only while capturing; idle, nothing wakes the program.
    pollTimer_ = new QTimer(this);
    pollTimer_->setTimerType(Qt::PreciseTimer);
    pollTimer_->setInterval(1);
    connect(pollTimer_, &QTimer::timeout, this, [this] {
        session_.PollTick();
        // A quiet line is polled less often; its first bytes bring the 1 ms tick back.
        if (pollTimer_->interval() != session_.PollIntervalMs())
            pollTimer_->setInterval(session_.PollIntervalMs());
    });
    liveRepaint_ = new QTimer(this);
    liveRepaint_->setSingleShot(true);
    liveRepaint_->setInterval(kLiveRepaintMs);
    connect(liveRepaint_, &QTimer::timeout, this, &TMyMonitor::ShowLiveRows);
    session_.SetObserver(this);
    if (!arguments.isEmpty())
        ApplyArguments(arguments);
    else
        RefreshComPorts();
    strip_->ComBox->installEventFilter(this);
    UiStateChanged(true);
    CommandsChanged();
    // A larger desktop font widens the window until the control strip fits in one row; a small
    // screen gets a smaller window, whose strip then takes more rows.
    FitToScreen(*this, QSize(std::max(kClientWidth, strip_->sizeHint().width()),
                             kClientHeight + menuBar()->sizeHint().height()));
}

TMyMonitor::~TMyMonitor() {
    // A window destroyed without being closed still returns the devices to normal operation.
    pollTimer_->stop();
    session_.StartStop(false);
    session_.SetObserver(nullptr);
}

void TMyMonitor::CreateDialogs() {
    includeDialog_ = new Tfilter(includeCriteria_, Latin1(kIncludeFilterCaption), this);
    includeDialog_->setObjectName(QStringLiteral("IncludeFilter"));
    excludeDialog_ = new Tfilter(excludeCriteria_, Latin1(kExcludeFilterCaption), this);
    excludeDialog_->setObjectName(QStringLiteral("ExcludeFilter"));
    copyDialog_ = new TFrmCopy(this);
    copyDialog_->setObjectName(QStringLiteral("FrmCopy"));
    triggerDialog_ = new TfrmTrigger(this);
    triggerDialog_->setObjectName(QStringLiteral("frmTrigger"));
    lineMonitorSettings_ = session_.Settings().LineMonitor;
    lineMonitorDialog_ = new TSetFormat(lineMonitorSettings_, this);
    connect(lineMonitorDialog_, &TSetFormat::edited, this,
            [this] { session_.SetLineMonitorSettings(lineMonitorSettings_); });
    rawFormatDialog_ = new TSetRawFormat(this);
}

void TMyMonitor::ApplyArguments(const QStringList& arguments) {
    const QString argument = arguments.first();
    const TUdpArgument udp = ParseUdpArgument(argument.toStdString());
    strip_->ShowRemote(QString::fromStdString(udp.Host), udp.Port);
    session_.UseUdpSource(udp);
    if (!udp.PortUnderstood) {
        // Said once the window is up, so the user sees what it runs with.
        QTimer::singleShot(0, this, [this, argument] {
            relay_.ShowInfo("Command line argument not understood: " + argument.toStdString() +
                            "\nThe port number must be a decimal number; port 0 is used.");
        });
    }
}

} // namespace protmon
