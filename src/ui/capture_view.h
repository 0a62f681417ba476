#pragma once

#include "capture/capture_hooks.h"
#include "ui/main_window.h"

namespace protmon {

// What capture control tells the window, turned into widget state.
class TMyMonitor::TCaptureView : public ICaptureObserver {
public:
    explicit TCaptureView(TMyMonitor& window) : w_(window) {}

    void SetStartButton(bool down) override;
    void ShowRxErrors(const std::string& text) override;
    void SetUiState(bool capturing) override;
    void CaptureStarting() override;
    void LiveDisplay() override;
    void CaptureStopped() override;
    void TriggerFired(int position) override;
    void ShowProtocol(Protocol selection) override;
    void ShowCheckBoxes(const TCaptureSettings& settings) override;
    void MonitorBoxSwitched(bool on) override;
    void ListCleared() override;
    void OpenRawFormatDialog() override;

private:
    TMyMonitor& w_;
};

} // namespace protmon
