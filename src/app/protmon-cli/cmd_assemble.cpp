#include "app/protmon-cli/commands.h"
#include "capture/capture_control.h"
#include "capture/line_monitor.h"
#include "capture/memory_port_device.h"
#include "files/monitor_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <utility>

namespace protmon::cli {

namespace {

// Remembers whether any tick wrote an entry, which decides when the replay is over.
class TWriteWatch : public ICaptureAssembler {
public:
    explicit TWriteWatch(ICaptureAssembler& inner) : inner_(inner) {}
    TAssembleResult Assemble() override {
        const TAssembleResult r = inner_.Assemble();
        wrote_ = wrote_ || r.Wrote;
        return r;
    }
    bool TakeWrote() { return std::exchange(wrote_, false); }

private:
    ICaptureAssembler& inner_;
    bool wrote_ = false;
};

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Unavailable variants; nullptr when the combination can be assembled.
const char* Unavailable(const TCliOptions& o) {
    if (o.LineMonitor && o.AssembleProtocol != Protocol::Trx5)
        return "--line-monitor is available for --protocol trx5 only yet";
    if (o.AssembleProtocol == Protocol::Din66019II)
        return "--protocol din66019ii is not available yet";
    if (o.AssembleProtocol == Protocol::Raw)
        return "--protocol raw is not available yet";
    return nullptr;
}

// Ticks until the input is used up, nothing is queued and a tick wrote nothing (or the capture
// stopped by itself); then Stop drops what is left in the receive buffer and unwraps the list.
void Replay(TCaptureControl& control, TMemoryPortDevice& device, TWriteWatch& watch,
            const std::vector<std::uint8_t>& input, std::size_t chunk) {
    std::size_t fed = 0;
    while (control.Running()) {
        const std::size_t n = std::min(chunk, input.size() - fed);
        if (n > 0)
            device.Feed(ByteView(input.data() + fed, n));
        fed += n;
        control.PollTick();
        const bool wrote = watch.TakeWrote();
        if (fed == input.size() && device.Queued() == 0 && !wrote)
            break;
    }
    control.StopCapture();
}

} // namespace

int RunAssemble(const TCliOptions& options) {
    if (const char* reason = Unavailable(options)) {
        ReportError(std::string("assemble: ") + reason);
        return kExitUsage;
    }
    std::vector<std::uint8_t> input;
    if (!ReadWholeFile(options.Input, input)) {
        ReportError(options.Input + ": cannot read the input");
        return kExitFileError;
    }

    TTelegramList list;
    list.SetBufferDepth(options.BufferDepth);
    TCaptureSettings settings;
    settings.Selection = options.AssembleProtocol;
    settings.PortText = options.Input;
    TMemoryPortDevice device;
    TCaptureLink link(device);
    TCliHost host;
    TCaptureControl control(list, link, settings, host);
    // Frames only: there is no box to configure, so the line monitor reads but is not asked.
    TLineMonitor frames(control, host);
    if (options.LineMonitor) {
        control.SetMonitorBox(true);
        control.Trx5().SetFrameSource(&frames);
    }
    TWriteWatch watch(control.Trx5());
    control.SetAssembler(kRunTrx5, &watch);
    if (!control.StartCapture())
        return kExitFileError;
    const std::size_t chunk =
        options.Chunk > 0 ? static_cast<std::size_t>(options.Chunk) : input.size();
    Replay(control, device, watch, input, chunk);

    const TMonitorFileResult r = SaveMonitorFile(options.Output, list, settings);
    if (!r.Ok()) {
        ReportError(options.Output + ": " + r.Message);
        return kExitFileError;
    }
    return kExitOk;
}

} // namespace protmon::cli
