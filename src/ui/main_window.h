#pragma once

#include "capture/capture_settings.h"
#include "capture/host.h"
#include "capture/telegram_list.h"
#include "decode/row_window.h"
#include "ui/command_line.h"

#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QTimer;

namespace protmon {

class TControlStrip;
class TFileChooser;
class TTelegramListView;

// The main window: owns the telegram list and the view state, carries menus, control strip, list
// view and status bar, and routes every command to the core.
class TMyMonitor : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ZIZ Protocol Monitor V4.1";

    explicit TMyMonitor(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TMyMonitor() override;

    // Tests replace the message boxes and the file dialogs; the window does not own them.
    void SetHost(IHost* host);
    void SetFileChooser(TFileChooser* chooser);
    IHost& Host() { return *host_; }

    void SetUiState(bool idle);
    // The "Clear" command; `askUser` is false when a capture start clears.
    void ClearTelegrams(bool askUser);
    void UpdateTitle();

    bool Capturing() const { return runningMode_ != kStopped; }
    int RunningMode() const { return runningMode_; }
    TTelegramList& TelegramList() { return list_; }
    TRowWindow& RowWindow() { return rows_; }
    TTelegramListView* ListView() const { return listView_; }
    TControlStrip* Strip() const { return strip_; }
    const TCaptureSettings& Settings() const { return settings_; }
    bool UnsavedTelegrams() const { return unsaved_; }
    const std::string& CurrentFileName() const { return currentFileName_; }
    int MarkIndex() const { return markIndex_; }
    bool HexDisplay() const { return hexDisplay_; }
    QString PanelText(int panel) const;
    int RxErrors() const { return rxErrors_; }
    const TUdpArgument* UdpArgument() const { return udp_ ? &*udp_ : nullptr; }

public slots:
    void BtnStartClick();
    void PopupStartStopClick();
    void MenuClearClick();
    void MenuQuitClick();
    void MenuHexDisplayClick();
    void MenuFontClick();
    void MenuClearBeforeStartClick();
    void PopupMarkClick();
    void PopupShowFrameClick();
    void ShowDetails();
    void PollTick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBar();
    void WireControls();
    void ConnectSourceBoxes();
    void OperatorBoxClicked(SourceFlag which, bool on);
    void MonitorBoxClicked(bool on);
    void ApplyArguments(const QStringList& arguments);
    void DecodeRow(int position, const TTelEntry& entry, TRowCells& row) const;
    void Redraw();
    void StartCapture();
    void StopCapture();
    void ProtocolClicked(int id);
    bool ConfirmProtocolChange(Protocol wanted);
    void ShowSettings();
    void SetMenuEnabled(QMenu* menu, bool enabled);
    void SetActionAllowed(QAction* action, bool allowed);

    std::unique_ptr<IHost> ownHost_;
    IHost* host_ = nullptr;
    std::unique_ptr<TFileChooser> ownChooser_;
    TFileChooser* chooser_ = nullptr;

    TTelegramList list_;
    TRowWindow rows_;
    TCaptureSettings settings_;
    std::optional<TUdpArgument> udp_;
    int runningMode_ = kStopped;
    bool unsaved_ = false;
    std::string currentFileName_;
    int markIndex_ = -1;
    bool hexDisplay_ = false;
    bool filterDisplay_ = false;
    int filteredCount_ = -1;
    int triggerDelay_ = -1;
    int rxErrors_ = 0;
    bool lineMonitorInfoAllowed_ = false;
    bool showingSettings_ = false;
    // UDP mode switches "Monitor" on at the first Start; until then the operator rule waits.
    bool udpMonitorSwitched_ = false;

    TControlStrip* strip_ = nullptr;
    TTelegramListView* listView_ = nullptr;
    QLabel* panels_[4] = {};
    QTimer* pollTimer_ = nullptr;
    QMenu* menuFile_ = nullptr;
    QMenu* menuSettings_ = nullptr;
    QMenu* menuFilter_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* actSave_ = nullptr;
    QAction* actRead_ = nullptr;
    QAction* actCopy_ = nullptr;
    QAction* actClear_ = nullptr;
    QAction* actLineMonitorInfo_ = nullptr;
    QAction* actQuit_ = nullptr;
    QAction* actHexDisplay_ = nullptr;
    QAction* actFont_ = nullptr;
    QAction* actL7Decoder_ = nullptr;
    QAction* actBuffer_ = nullptr;
    QAction* actRawFormat_ = nullptr;
    QAction* actLineMonitorSettings_ = nullptr;
    QAction* actClearBeforeStart_ = nullptr;
    QAction* actSetFilter_ = nullptr;
    QAction* actFilterDisplay_ = nullptr;
    QAction* actSearch_ = nullptr;
    QAction* actTrigger_ = nullptr;
    QAction* actExcludeFilter_ = nullptr;
    QAction* actStartStop_ = nullptr;
    QAction* actMark_ = nullptr;
    QAction* actShowFrame_ = nullptr;
};

} // namespace protmon
