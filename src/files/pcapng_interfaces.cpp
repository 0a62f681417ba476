#include "files/pcapng_interfaces.h"

#include "capture/capture_link.h"
#include "files/entry_bytes.h"
#include "files/recording_comment.h"
#include "model/line_monitor_settings.h"

#include <array>

namespace protmon {

namespace {

const char* ProtocolName(Protocol p) {
    switch (p) {
    case Protocol::Trx5:
        return "TRX5";
    case Protocol::Din66019II:
        return "DIN66019II";
    case Protocol::Raw:
        return "RAW";
    }
    return "";
}

std::string OperatorText(std::uint32_t flags) {
    constexpr std::array<std::pair<std::uint32_t, const char*>, 3> kBits = {
        {{kSourceComm, "Comm"}, {kSourcePdOut, "PD Out"}, {kSourcePdIn, "PD In"}}};
    std::string out;
    for (const auto& [bit, name] : kBits)
        if ((flags & bit) != 0)
            out += (out.empty() ? "" : ", ") + std::string(name);
    return out;
}

std::string SerialBaud(const TCaptureSettings& s) {
    return std::to_string(BaudBoxRate(s.BaudIndex)) + " Baud";
}

std::string LineMonitorBaud(const TLineMonitorSettings& lm) {
    if (lm.BaudIndex < 0 || lm.BaudIndex >= kLineMonitorBaudItems)
        return "an unknown baud rate";
    return kLineMonitorBaudTexts[static_cast<std::size_t>(lm.BaudIndex)];
}

} // namespace

TInterfaceTexts InterfaceTexts(const TCaptureSettings& s, std::uint16_t channel) {
    const std::string port = OneLine(s.PortText);
    const std::string protocol = ProtocolName(s.Selection);
    TInterfaceTexts t;
    if (channel == kNoChannel) {
        t.Name = port.empty() ? "serial line" : port;
        t.Description = protocol + " at " + SerialBaud(s) + " on " +
                        (port.empty() ? std::string("the serial line") : port);
        const std::string op = OperatorText(s.SourceFlags);
        if (!op.empty())
            t.Description += ", fieldbus operator monitor mode (" + op + ")";
        return t;
    }
    const std::string ch = ChannelText(channel);
    t.Name = (port.empty() ? std::string("line monitor") : port) + " channel " + ch;
    t.Description = protocol + " on line monitor channel " + ch + " at " +
                    LineMonitorBaud(s.LineMonitor) + ", time stamps of " +
                    std::to_string(s.TimeStampResolution) + " us";
    if (!port.empty())
        t.Description += ", host link " + port + " at " + SerialBaud(s);
    return t;
}

} // namespace protmon
