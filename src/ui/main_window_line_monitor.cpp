#include "ui/line_monitor_dialog.h"
#include "ui/main_window.h"

#include <QAction>

namespace protmon {

void TMyMonitor::SetUpLineMonitor() {
    lineMonitor_.Connect();
    lineMonitorDialog_ = new TSetFormat(settings_.LineMonitor, this);
    connect(actLineMonitorSettings_, &QAction::triggered, this,
            &TMyMonitor::MenuLineMonitorSettingsClick);
    connect(actLineMonitorInfo_, &QAction::triggered, this, &TMyMonitor::MenuLineMonitorInfoClick);
}

void TMyMonitor::SetUpUdpSource() {
    udpSource_ = std::make_unique<TUdpSource>(*udp_);
    ConnectUdpSource(control_, *udpSource_);
}

void TMyMonitor::MenuLineMonitorSettingsClick() {
    lineMonitorDialog_->open();
}

void TMyMonitor::MenuLineMonitorInfoClick() {
    TakeControlTexts(); // the box is asked on the port and at the rate the boxes show
    lineMonitor_.LineMonitorInfo();
}

void TMyMonitor::MonitorSwitchedOn() {
    // When Start switches "Monitor" on for the UDP source, the box is configured right after
    // with the settings as they are; the dialog stays available from the menu.
    if (!starting_)
        lineMonitorDialog_->open();
}

} // namespace protmon
