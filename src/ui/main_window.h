#pragma once

#include "session/session.h"
#include "ui/qt_host.h"

#include <QMainWindow>
#include <memory>

class QTimer;

namespace protmon {

class TAnalysisMenu;
class TControlStrip;
class TFileChooser;
class TFrmCopy;
class TL7Decoder;
class TMainMenus;
class TStatusPanels;
class TSetFormat;
class TSetRawFormat;
class Tfilter;
class TfrmTrigger;
class TTelegramListView;

// The main window: builds the menus, the control strip, the list view and the status bar, maps
// them to the commands of its monitor session and repaints from what the session reports.
class TMyMonitor : public QMainWindow, private ISessionObserver {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ZIZ Protocol Monitor V4.1";
    // Live rows are repainted at most this often, so each telegram shows within about 50 ms of
    // its arrival (poll tick included) however fast they come.
    static constexpr int kLiveRepaintMs = 30;

    explicit TMyMonitor(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TMyMonitor() override;

    // Tests replace the message boxes and the file dialogs; the window does not own them.
    void SetHost(IHost* host) { relay_.Target = host != nullptr ? host : ownHost_.get(); }
    void SetFileChooser(IFileChooser* chooser);

    TMonitorSession& Session() { return session_; }
    bool Capturing() const { return session_.Capturing(); }
    TTelegramListView* ListView() const { return listView_; }
    TControlStrip* Strip() const { return strip_; }
    QString PanelText(int panel) const;
    QTimer* PollTimer() const { return pollTimer_; }
    TFileChooser& FileChooser() const { return *ownChooser_; }
    TSetRawFormat* RawFormatDialog() const { return rawFormatDialog_; }
    TSetFormat* LineMonitorDialog() const { return lineMonitorDialog_; }
    Tfilter* IncludeFilterDialog() const { return includeDialog_; }
    Tfilter* ExcludeFilterDialog() const { return excludeDialog_; }
    TfrmTrigger* TriggerDialog() const { return triggerDialog_; }
    TFrmCopy* CopyDialog() const { return copyDialog_; }
    TAnalysisMenu* Analysis() const { return analysis_.get(); }

public slots:
    void BtnStartClick();
    void MenuReadClick() { session_.Read(); }
    void MenuL7decoderClick() { session_.L7Decoder(); }
    void MenuLineMonitorInfoClick();
    void MenuDetectLineClick();
    void ShowDetails() { session_.ShowDetails(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectMenus();
    void CreateDialogs();
    void WireControls();
    void ApplyArguments(const QStringList& arguments);
    void TakeControlTexts();
    void RefreshComPorts();
    void FilterDialog(Tfilter* dialog);
    void MenuBufferClick();
    void MenuTriggerClick();
    void MenuCopyClick();
    void MenuFontClick();

    // ISessionObserver: the session's state onto the widgets (main_window_view.cpp).
    void RowsChanged() override;
    void LiveRowsChanged() override;
    void ShowLiveRows();
    void TitleChanged(const std::string& title) override;
    void UiStateChanged(bool idle) override;
    void SettingsChanged() override;
    void CommandsChanged() override;
    void CaptureActive(bool active) override;
    void RxErrorsChanged(const std::string& text) override;
    void PanelsChanged(const TDetailPanels& panels) override;
    void SelectRow(int row) override;
    void FocusList() override;
    int SelectedRow() const override;
    void RawFormatNeeded() override;
    void LineMonitorSettingsNeeded() override;
    void TransactionsChanged() override;
    void StatusNote(const std::string& text) override;
    // The line monitor dialog edits a copy of the session's settings, handed back at each change.
    void OpenLineMonitorDialog();

    std::unique_ptr<IHost> ownHost_;
    THostRelay relay_;
    TMonitorSession session_{relay_};
    std::unique_ptr<TFileChooser> ownChooser_;
    std::unique_ptr<TL7Decoder> l7_;

    TControlStrip* strip_ = nullptr;
    TTelegramListView* listView_ = nullptr;
    std::unique_ptr<TMainMenus> menus_;
    std::unique_ptr<TAnalysisMenu> analysis_;
    std::unique_ptr<TStatusPanels> panels_;
    QTimer* pollTimer_ = nullptr;
    // Live rows reach the widget at once after a quiet spell, then at most once per
    // kLiveRepaintMs (main_window_view.cpp), the last change included.
    QTimer* liveRepaint_ = nullptr;
    bool liveRowsWaiting_ = false;
    // What the filter and line monitor dialogs edit; the session takes them through commands.
    TFilterCriteria includeCriteria_;
    TFilterCriteria excludeCriteria_;
    TLineMonitorSettings lineMonitorSettings_;
    TSetRawFormat* rawFormatDialog_ = nullptr;
    TSetFormat* lineMonitorDialog_ = nullptr;
    Tfilter* includeDialog_ = nullptr;
    Tfilter* excludeDialog_ = nullptr;
    TfrmTrigger* triggerDialog_ = nullptr;
    TFrmCopy* copyDialog_ = nullptr;
};

} // namespace protmon
