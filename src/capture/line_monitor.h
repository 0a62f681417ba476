#pragma once

#include "capture/capture_hooks.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace protmon {

class IHost;
class TCaptureControl;
class TCaptureLink;
struct TCaptureSettings;

// Host-link command codes of the line monitor.
enum LineMonitorCode : int {
    kLmLinkBaud = 1,
    kLmBusBaud = 2,
    kLmDataBits = 3,
    kLmParity = 4,
    kLmTimeStamp = 5,
    kLmEndOfTelegram = 6,
    kLmRun = 16, // value 0 stops monitoring, 1..4 starts it with that handshake mode
    kLmVersionFirst = 0x30,
    kLmVersionLast = 0x3A,
    kLmPresence = 255,
};

// Commands, replies and data frames start with this marker.
constexpr std::uint8_t kLmMarker[3] = {0x1B, 0x40, 0x1B};
// Marker, length byte, channel, two time-stamp bytes.
constexpr int kLmFrameHeader = 7;
constexpr int kLmVersionLength = kLmVersionLast - kLmVersionFirst + 1;

inline constexpr const char* kTextVersionFailed = "Unable to get line monitor version :\n";
inline constexpr const char* kTextVersion = "Line monitor version :\n";

// Host-link rate of link baud index i (command 1), 0 for the empty entries.
int LineMonitorLinkRate(int index);

// The line monitor box behind the capture link: its command and query exchanges, the link baud
// synchronisation, the configuration at Start, the reader of its data frames and the version
// query. Everything runs on the UI thread; the reply waits let pending events through the host.
class TLineMonitor : public ILineMonitorFrames, public ILineMonitorControl {
public:
    static constexpr std::chrono::milliseconds kReplyPollStep{50};
    static constexpr int kReplyPolls = 10;

    TLineMonitor(TCaptureControl& control, IHost& host);

    // Becomes the line monitor of capture control and the frame source of its TRX5 assembler.
    void Connect();

    // 0, kPortRefused or kPortNoAnswer.
    int LineMonitorCommand(int code, int value) override;
    // Sends (code, answer) and puts the reply's status byte into `answer`; 0 or kPortNoAnswer.
    int LineMonitorQuery(int code, std::uint8_t& answer);
    // Brings the box's host link to the baud box rate (nothing for UDP).
    void SyncLineMonitorBaud();
    // Link baud synchronisation and the configuration commands; 0 or the first failure.
    int ConfigureLineMonitor() override;
    bool LineMonitorReceiveFrame() override;

    // The eleven version characters; 0 or kPortNoAnswer.
    int QueryVersion(std::string& text);
    // The "Line monitor Info" command with its message boxes.
    void LineMonitorInfo();

    // Time between two looks for a reply, slept on the link's clock; tests with an immediate
    // stand-in shorten it.
    void SetReplyPollStep(std::chrono::milliseconds step) { pollStep_ = step; }

private:
    int SendAndWait(int code, int value, bool wholeCommandAtOnce, bool letEventsThrough,
                    std::uint8_t& status);
    bool FindReply(std::uint8_t& status);
    bool Answered(int code, int value);
    bool ReceiveSerialFrame();
    bool ReceiveDatagramFrame();
    bool AcceptFrame();

    TCaptureControl& control_;
    TCaptureLink& link_;
    TCaptureSettings& settings_;
    IHost& host_;
    std::chrono::milliseconds pollStep_ = kReplyPollStep;
};

} // namespace protmon
