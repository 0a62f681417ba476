#include "capture/operator_monitor.h"

#include "capture/capture_link.h"
#include "capture/port_device.h"

#include <cstring>

namespace protmon {

namespace {

constexpr std::uint8_t kOperatorAddress = 0x10;
constexpr std::uint8_t kWriteService1 = 0x41;
constexpr std::uint8_t kWriteResponse1 = 0xC1;
constexpr std::uint8_t kSet = 0x01;
constexpr int kAnswerLength = 4;

} // namespace

TOperatorMonitor::TOperatorMonitor(TCaptureLink& link) : link_(link) {}

std::array<std::uint8_t, TOperatorMonitor::kCommandLength>
TOperatorMonitor::MonitorCommandBytes(std::uint32_t selection) {
    std::array<std::uint8_t, kCommandLength> c = {kOperatorAddress,
                                                  kWriteService1,
                                                  0x00,
                                                  0xFF,
                                                  static_cast<std::uint8_t>(selection >> 24),
                                                  static_cast<std::uint8_t>(selection >> 16),
                                                  static_cast<std::uint8_t>(selection >> 8),
                                                  static_cast<std::uint8_t>(selection),
                                                  kSet,
                                                  0};
    for (int i = 0; i < kCommandLength - 1; ++i)
        c[kCommandLength - 1] ^= c[static_cast<std::size_t>(i)];
    return c;
}

int TOperatorMonitor::FindOperatorAnswer(const std::uint8_t* bytes, int count) {
    for (int i = 0; i + kAnswerLength <= count; ++i) {
        // Jump to the next address byte that leaves room for a whole answer.
        const void* hit = std::memchr(bytes + i, kOperatorAddress,
                                      static_cast<std::size_t>(count - kAnswerLength + 1 - i));
        if (hit == nullptr)
            return -1;
        i = static_cast<int>(static_cast<const std::uint8_t*>(hit) - bytes);
        if (bytes[i + 1] == kWriteResponse1 && bytes[i + 2] == 0)
            return i;
    }
    return -1;
}

int TOperatorMonitor::OperatorMonitorCommand(std::uint32_t selection) {
    // Capture control calls this only while the running mode is 0, so no poll tick takes the
    // answer away.
    const auto command = MonitorCommandBytes(selection);
    if (link_.SendCommand(command.data(), kCommandLength, 1, kExtraGuardTicks) <= 0)
        return kPortNoAnswer;
    TReceiveBuffer& buffer = link_.Buffer();
    for (int poll = 0; poll < kPolls; ++poll) {
        if (sleep_)
            sleep_(kPollInterval);
        else
            link_.Clock().SleepFor(kPollInterval);
        if (link_.ReadIntoBuffer() < 0)
            return kPortNoAnswer;
        const int at = FindOperatorAnswer(buffer.Data(), buffer.Fill());
        if (at >= 0) {
            buffer.Consume(at + kAnswerLength);
            return kPortOk;
        }
    }
    return kPortNoAnswer;
}

} // namespace protmon
