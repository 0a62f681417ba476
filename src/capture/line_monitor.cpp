#include "capture/line_monitor.h"

#include "capture/capture_control.h"
#include "capture/port_failure.h"
#include "model/busy_scope.h"
#include "model/line_monitor_settings.h"

#include <algorithm>
#include <cstring>

namespace protmon {

namespace {

constexpr int kLinkRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 0, 57600, 0, 115200};
constexpr int kDefaultLinkIndex = 5;
constexpr int kCommandLength = 5;
constexpr int kReplyLength = 4;

bool MarkerAt(const TReceiveBuffer& b, int i) {
    return b.At(i) == kLmMarker[0] && b.At(i + 1) == kLmMarker[1] && b.At(i + 2) == kLmMarker[2] &&
           i + 2 < b.Fill();
}

// First position from `from` on where the whole marker lies in the buffer; -1 if none. Jumps from
// one first marker byte to the next, as a reply wait searches up to a full buffer each poll.
int FindMarker(const TReceiveBuffer& b, int from) {
    const std::uint8_t* data = b.Data();
    for (int i = std::max(from, 0); i + 2 < b.Fill(); ++i) {
        const void* hit =
            std::memchr(data + i, kLmMarker[0], static_cast<std::size_t>(b.Fill() - 2 - i));
        if (hit == nullptr)
            return -1;
        i = static_cast<int>(static_cast<const std::uint8_t*>(hit) - data);
        if (MarkerAt(b, i))
            return i;
    }
    return -1;
}

int LinkIndexOf(int rate) {
    for (int i = 0; i < static_cast<int>(std::size(kLinkRates)); ++i)
        if (kLinkRates[i] == rate)
            return i;
    return kDefaultLinkIndex;
}

} // namespace

int LineMonitorLinkRate(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kLinkRates)))
        return 0;
    return kLinkRates[index];
}

TLineMonitor::TLineMonitor(TCaptureControl& control, IHost& host)
    : control_(control), link_(control.Link()), settings_(control.Settings()), host_(host) {}

void TLineMonitor::Connect() {
    control_.SetLineMonitor(this);
    control_.Trx5().SetFrameSource(this);
}

bool TLineMonitor::FindReply(std::uint8_t& status) {
    TReceiveBuffer& b = link_.Buffer();
    if (b.Fill() < kReplyLength)
        return false;
    const int at = FindMarker(b, 0);
    if (at < 0 || at + kReplyLength > b.Fill())
        return false;
    status = b.At(at + 3);
    b.Consume(at + kReplyLength);
    return true;
}

int TLineMonitor::SendAndWait(int code, int value, bool wholeCommandAtOnce, bool letEventsThrough,
                              std::uint8_t& status) {
    const std::uint8_t command[kCommandLength] = {kLmMarker[0], kLmMarker[1], kLmMarker[2],
                                                  static_cast<std::uint8_t>(code),
                                                  static_cast<std::uint8_t>(value)};
    // A datagram link has no transmitter-empty event to send the rest, so it sends it whole.
    const bool whole = wholeCommandAtOnce || link_.Datagram();
    const int first = whole ? kCommandLength : 1;
    if (link_.SendCommand(command, kCommandLength, first, 0) < first)
        return kPortNoAnswer;
    for (int poll = 0; poll < kReplyPolls; ++poll) {
        link_.Clock().SleepFor(pollStep_);
        if (letEventsThrough)
            host_.ProcessPendingEvents();
        // A datagram source hands out one frame per read: look after each, so that frames
        // behind the reply stay where the frame reader finds them.
        int n = 0;
        do {
            n = link_.ReadIntoBuffer();
            if (FindReply(status))
                return kPortOk;
        } while (n > 0 && link_.Datagram());
        if (n < 0)
            break;
    }
    return kPortNoAnswer;
}

int TLineMonitor::LineMonitorCommand(int code, int value) {
    const int saved = control_.SuspendRunningMode();
    std::uint8_t status = 0;
    const int rc = SendAndWait(code, value, true, true, status);
    control_.ResumeRunningMode(saved);
    if (rc != kPortOk)
        return kPortNoAnswer;
    return status == 0 ? kPortOk : kPortRefused;
}

int TLineMonitor::LineMonitorQuery(int code, std::uint8_t& answer) {
    std::uint8_t status = 0;
    if (SendAndWait(code, answer, false, false, status) != kPortOk)
        return kPortNoAnswer;
    answer = status;
    return kPortOk;
}

bool TLineMonitor::Answered(int code, int value) {
    return LineMonitorCommand(code, value) != kPortNoAnswer;
}

void TLineMonitor::SyncLineMonitorBaud() {
    if (link_.Datagram())
        return;
    if (Answered(kLmPresence, 0) || Answered(kLmPresence, 0))
        return;
    for (int rate : kLinkRates) {
        if (rate == 0)
            continue;
        if (link_.OpenCapturePort(settings_, rate) != kPortOk)
            return;
        if (!Answered(kLmPresence, 0))
            continue;
        const int target = BaudBoxRate(settings_.BaudIndex);
        if (LineMonitorCommand(kLmLinkBaud, LinkIndexOf(target)) == kPortOk)
            link_.OpenCapturePort(settings_, target);
        return;
    }
}

int TLineMonitor::ConfigureLineMonitor() {
    SyncLineMonitorBaud();
    const TLineMonitorSettings& lm = settings_.LineMonitor;
    const int commands[][2] = {
        {kLmRun, 0},
        {kLmBusBaud, lm.BaudIndex},
        {kLmDataBits, lm.DataBits == 8 ? 8 : 7},
        {kLmParity, static_cast<int>(lm.Parity)},
        {kLmTimeStamp, lm.TimeStampIndex},
        {kLmEndOfTelegram, EndOfTelegramCommandValue(EndOfTelegramTime(lm))},
        {kLmRun, static_cast<int>(lm.HandshakeMode)},
    };
    for (const auto& c : commands) {
        const int rc = LineMonitorCommand(c[0], c[1] & 0xFF);
        if (rc != kPortOk)
            return rc;
    }
    return kPortOk;
}

bool TLineMonitor::AcceptFrame() {
    TReceiveBuffer& b = link_.Buffer();
    if ((b.At(4) & 0xF0) != 0x80)
        return true;
    // The report is consumed first, so that the stop command's reply search does not take it.
    b.Clear();
    control_.StopCapture();
    host_.ShowInfo(kTextLineMonitorOverrun);
    return false;
}

bool TLineMonitor::ReceiveSerialFrame() {
    TReceiveBuffer& b = link_.Buffer();
    for (;;) {
        if (b.Fill() < kLmFrameHeader) {
            if (link_.ReadIntoBuffer(kLmFrameHeader - b.Fill()) < 0 || b.Fill() < kLmFrameHeader)
                return false;
        }
        if (MarkerAt(b, 0)) {
            const int length = b.At(3);
            if (length < 4) {
                // Not a frame: destroy the marker and resynchronise on the bytes behind it.
                b.Set(0, 0);
                continue;
            }
            const int total = length + 3;
            if (b.Fill() < total)
                link_.ReadIntoBuffer(total - b.Fill());
            if (b.Fill() < total)
                return false;
            return AcceptFrame();
        }
        const int at = FindMarker(b, 1);
        // Without a marker only the last two bytes may still begin one.
        b.Consume(at > 0 ? at : std::max(1, b.Fill() - 2));
    }
}

bool TLineMonitor::ReceiveDatagramFrame() {
    TReceiveBuffer& b = link_.Buffer();
    for (;;) {
        // A slot that is no whole frame is dropped; the next one is tried at once.
        if (MarkerAt(b, 0) && b.At(3) >= 4 && b.Fill() >= b.At(3) + 3)
            return AcceptFrame();
        b.Clear();
        if (link_.ReadIntoBuffer() <= 0)
            return false;
    }
}

bool TLineMonitor::LineMonitorReceiveFrame() {
    return link_.Datagram() ? ReceiveDatagramFrame() : ReceiveSerialFrame();
}

int TLineMonitor::QueryVersion(std::string& text) {
    text.clear();
    std::uint8_t character = 0;
    for (int code = kLmVersionFirst; code <= kLmVersionLast; ++code) {
        if (LineMonitorQuery(code, character) != kPortOk)
            return kPortNoAnswer;
        text += static_cast<char>(character);
    }
    return kPortOk;
}

void TLineMonitor::LineMonitorInfo() {
    if (IUdpSource* udp = control_.UdpSource();
        udp != nullptr && udp->ActivateListener() != kPortOk) {
        host_.ShowError(std::string(kTextVersionFailed) + udp->ActivationFailureText());
        return;
    }
    if (link_.OpenCapturePort(settings_, BaudBoxRate(settings_.BaudIndex)) != kPortOk) {
        host_.ShowErrorDetail(
            kTextPortNotAvailable,
            PortFailureDetail(settings_.PortText, link_.Device().LastOpenErrno()));
        return;
    }
    link_.Device().Purge();
    link_.Buffer().Clear();
    std::string version;
    const int rc = [&] {
        TBusyScope busy(host_);
        SyncLineMonitorBaud();
        const int answer = QueryVersion(version);
        link_.Device().Purge();
        link_.CloseCapturePort();
        return answer;
    }();
    if (rc != kPortOk)
        host_.ShowError(std::string(kTextVersionFailed) + kTextNoAnswer);
    else
        host_.ShowInfo(kTextVersion + version);
}

} // namespace protmon
