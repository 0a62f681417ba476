#pragma once

#include "capture/capture_link.h"
#include "capture/din_assembler.h"
#include "capture/memory_port_device.h"
#include "capture/receive_buffer.h"
#include "detect/line_setting.h"
#include "model/byte_view.h"
#include "model/host.h"
#include "model/telegram_list.h"
#include "model/trigger_hook.h"

#include <cstdint>

namespace protmon {

// What one candidate (a setting and a protocol) heard.
struct TDetectEvidence {
    std::int64_t Bytes = 0;         // characters received
    std::int64_t ErrorBytes = 0;    // of them with a parity or framing error (marks, counters)
    std::int64_t Telegrams = 0;     // good units of the protocol (BCC or DIN check right)
    std::int64_t TelegramBytes = 0; // characters inside those units
    std::int64_t EvenBytes = 0;     // bytes whose eight bits hold an even number of ones
    std::int64_t HighBytes = 0;     // bytes with the eighth bit set
    std::int64_t Frames = 0;        // line monitor frames the box forwarded
    double Seconds = 0;             // time spent listening
};

// Turns what the port delivered at one setting into evidence for each protocol of the setting.
// The bytes run through the capture's own assemblers (on a scratch list), so a telegram counts
// as good exactly when a capture would record it as one. Error marks of the port (0xFF 0x00
// before a bad byte, 0xFF doubled) are taken out and counted.
class TEvidenceCollector {
public:
    TEvidenceCollector();
    TEvidenceCollector(const TEvidenceCollector&) = delete;
    TEvidenceCollector& operator=(const TEvidenceCollector&) = delete;

    // Bytes as read from a port that marks errors. `pseudoTerminal`: the marks were written into
    // a pseudo-terminal, which doubled each of their 0xFF bytes once more.
    void FeedMarked(ByteView bytes, bool pseudoTerminal = false);
    // One whole line monitor frame (the box marks nothing). A TRX5 telegram counts only when it
    // fills its frame, as a capture behind the box stores it: the box cuts at the gaps, so a
    // telegram found by resynchronising inside garbage is none.
    void FeedFrame(ByteView frame);
    // A new listening window begins: what the assemblers still hold came before a gap in
    // listening, and a window starts inside a telegram, so characters before its first good unit
    // count for no protocol. The first few characters' errors do not count either: the window
    // may start inside an error mark, and a receiver inside busy traffic needs a gap to find
    // the characters' edges.
    void StartWindow();
    // Errors the port's counters reported besides the marks.
    void CountErrors(int n) { common_.ErrorBytes += n; }
    void AddSeconds(double s) { common_.Seconds += s; }
    // Evidence so far for `protocol`.
    TDetectEvidence Evidence(DetectProtocol protocol) const;

private:
    void Unmark(std::uint8_t byte);
    void Feed(std::uint8_t byte, bool error);
    void RunAssemblers();

    TDetectEvidence common_;
    struct TUnits {
        std::int64_t Telegrams = 0, Bytes = 0, Lead = 0;
        bool Synced = false;
        void Count(bool good, int consumed);
    };
    TUnits trx5_, dinUnits_;
    int unsettled_ = 0;      // characters of the window whose errors do not count yet
    int markState_ = 0;      // 0 plain, 1 after 0xFF, 2 after 0xFF 0x00
    bool pendingFF_ = false; // a pseudo-terminal's first 0xFF of a pair
    TReceiveBuffer trx5Buffer_;
    TReceiveBuffer dinBuffer_;
    TReceiveBuffer frameBuffer_;
    bool frames_ = false; // TRX5 is judged per frame
    TTelegramList list_;
    TMemoryPortDevice idle_;
    TCaptureLink link_{idle_};
    TNoTrigger noTrigger_;
    TSilentHost host_;
    TDinAssembler din_{list_, link_, noTrigger_, host_};
};

} // namespace protmon
