#pragma once

#include "capture/capture_assemblers.h"
#include "capture/capture_control.h"
#include "capture/capture_link.h"
#include "capture/line_monitor.h"
#include "capture/operator_monitor.h"
#include "capture/serial_com.h"
#include "capture/udp_argument.h"
#include "capture/udp_source.h"
#include "filter/filter_criteria.h"
#include "filter/filtered_view.h"
#include "filter/trigger.h"
#include "model/capture_settings.h"
#include "model/host.h"
#include "model/telegram_list.h"
#include "ui/l7_decoder.h"
#include "view/row_window.h"

#include <QElapsedTimer>
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
class TSetRawFormat;
class TSetFormat;
class TFrmCopy;
class Tfilter;
class TfrmTrigger;
class TTelegramListView;

// Hands every call to the host currently in force, so the core objects, which keep a reference,
// follow when a test replaces the window's host.
class THostRelay : public IHost {
public:
    IHost* Target = nullptr;
    void ShowInfo(const std::string& text) override { Target->ShowInfo(text); }
    void ShowError(const std::string& text) override { Target->ShowError(text); }
    bool Confirm(const std::string& text) override { return Target->Confirm(text); }
    void SetBusy(bool busy) override { Target->SetBusy(busy); }
    void ProcessPendingEvents() override { Target->ProcessPendingEvents(); }
};

// The main window: owns the telegram list, the serial port, capture control, filters and view
// state, carries menus, control strip, list view and status bar, and routes every command to the
// core.
class TMyMonitor : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ZIZ Protocol Monitor V4.1";

    explicit TMyMonitor(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TMyMonitor() override;

    // Tests replace the message boxes and the file dialogs; the window does not own them.
    void SetHost(IHost* host);
    void SetFileChooser(TFileChooser* chooser);

    void SetUiState(bool idle);
    // The "Clear" command; `askUser` is false when a capture start clears.
    void ClearTelegrams(bool askUser);
    void UpdateTitle();

    bool Capturing() const { return control_.Running(); }
    TTelegramList& TelegramList() { return list_; }
    TRowWindow& RowWindow() { return rows_; }
    TCaptureControl& CaptureControl() { return control_; }
    TTelegramListView* ListView() const { return listView_; }
    TControlStrip* Strip() const { return strip_; }
    const TCaptureSettings& Settings() const { return settings_; }
    TFilterCriteria& IncludeFilter() { return includeFilter_; }
    bool UnsavedTelegrams() const { return unsaved_; }
    const std::string& CurrentFileName() const { return currentFileName_; }
    int MarkIndex() const { return markIndex_; }
    bool HexDisplay() const { return hexDisplay_; }
    QString PanelText(int panel) const;
    const TUdpArgument* UdpArgument() const { return udp_ ? &*udp_ : nullptr; }
    TSetRawFormat* RawFormatDialog() const { return rawFormatDialog_; }
    // Where the port box looks for serial devices (tests use a fake tree).
    void SetSysfsTtyRoot(const std::string& root) { sysfsTty_ = root; }
    TUdpSource* UdpSource() const { return udpSource_.get(); }
    TLineMonitor& LineMonitor() { return lineMonitor_; }
    TSetFormat* LineMonitorDialog() const { return lineMonitorDialog_; }
    // Filter, trigger and copy state and their dialogs.
    TFilterCriteria& ExcludeFilter() { return excludeFilter_; }
    const TFilteredView& FilteredView() const { return filteredView_; }
    const TTrigger& Trigger() const { return trigger_; }
    Tfilter* IncludeFilterDialog() const { return includeDialog_; }
    Tfilter* ExcludeFilterDialog() const { return excludeDialog_; }
    TfrmTrigger* TriggerDialog() const { return triggerDialog_; }
    TFrmCopy* CopyDialog() const { return copyDialog_; }
    TL7Decoder& L7Decoder() const { return *l7_; }

public slots:
    void BtnStartClick();
    void PopupStartStopClick();
    void MenuSaveClick();
    void MenuReadClick();
    void MenuClearClick();
    void MenuQuitClick();
    void MenuHexDisplayClick();
    void MenuFontClick();
    void MenuBufferClick();
    void MenuClearBeforeStartClick();
    void MenuL7decoderClick();
    void MenuFilterDisplayClick();
    void MenuSearchClick();
    void MenuSetFilterClick();
    void MenuExcludeFilterClick();
    void MenuTriggerClick();
    void MenuCopyClick();
    void PopupMarkClick();
    void PopupShowFrameClick();
    void ShowDetails();
    void PollTick();
    void MenuRawFormatClick();
    void MenuLineMonitorSettingsClick();
    void MenuLineMonitorInfoClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    class TCaptureView;
    friend class TCaptureView;

    void BuildMenus();
    void SetupCaptureSources();
    void OpenRawFormatDialog();
    void BuildStatusBar();
    void WireControls();
    void ApplyArguments(const QStringList& arguments);
    void DecodeRow(int position, TRowTexts& row) const;
    void Redraw();
    void ShowSettings();
    void SetMenuEnabled(QMenu* menu, bool enabled);
    void SetLineMonitorInfoAllowed(bool allowed);
    void TakeControlTexts();
    // The port box lists the serial devices anew whenever it gets the focus.
    void RefreshComPorts();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // After the filtered display was built or removed: range, top of the list, title.
    void FilterChanged();
    // Scrolls so that the entry at `position` is shown and selects its row.
    void ShowEntry(int position);
    // Idle, live display state and captions after a file was read.
    void FileRead();
    // Line monitor and UDP source (main_window_line_monitor.cpp).
    void SetUpLineMonitor();
    void SetUpUdpSource();
    // "Monitor" was switched on by the user: the settings dialog opens.
    void MonitorSwitchedOn();
    // The filter, trigger and copy dialogs and their commands.
    void CreateFilterDialogs();
    void ShowFilterDialog(Tfilter* dialog);
    // After a trigger stop: the trigger telegram at the top and selected, or, when it was
    // already overwritten (negative position), the top of the list with nothing selected.
    void ShowTriggerTelegram(int position);
    // The "L7 decoder" item, its dialogs and the description list.
    void SetUpL7Decoder();

    std::unique_ptr<IHost> ownHost_;
    THostRelay relay_;
    std::unique_ptr<TFileChooser> ownChooser_;
    TFileChooser* chooser_ = nullptr;

    TTelegramList list_;
    TCaptureSettings settings_;
    TSerialCom serial_;
    TCaptureLink link_{serial_};
    TCaptureControl control_{list_, link_, settings_, relay_};
    std::unique_ptr<TCaptureView> captureView_;
    TFilterCriteria includeFilter_;
    TFilterCriteria excludeFilter_;
    TFilteredView filteredView_{list_, includeFilter_, excludeFilter_, relay_};
    TTrigger trigger_{includeFilter_};
    std::unique_ptr<TCaptureAssemblers> assemblers_;
    std::unique_ptr<TOperatorMonitor> operator_;
    TSetRawFormat* rawFormatDialog_ = nullptr;
    std::string sysfsTty_ = "/sys/class/tty";
    TRowWindow rows_;
    Tfilter* includeDialog_ = nullptr;
    Tfilter* excludeDialog_ = nullptr;
    TfrmTrigger* triggerDialog_ = nullptr;
    TFrmCopy* copyDialog_ = nullptr;
    std::optional<TUdpArgument> udp_;
    std::unique_ptr<TL7Decoder> l7_;
    TLineMonitor lineMonitor_{control_, relay_};
    std::unique_ptr<TUdpSource> udpSource_;
    TSetFormat* lineMonitorDialog_ = nullptr;
    bool starting_ = false;
    bool unsaved_ = false;
    std::string currentFileName_;
    QString fileFolder_;
    int markIndex_ = -1;
    bool hexDisplay_ = false;
    bool lineMonitorInfoAllowed_ = false;

    TControlStrip* strip_ = nullptr;
    TTelegramListView* listView_ = nullptr;
    QLabel* panels_[4] = {};
    QTimer* pollTimer_ = nullptr;
    // Live rows reach the widget at most once per screen frame; the core rows change every tick.
    QElapsedTimer liveRepaint_;
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
