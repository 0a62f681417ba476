#include "app/protmon-cli/commands.h"
#include "capture/capture_assemblers.h"
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
    if (options.LineMonitor)
        control.SetMonitorBox(true);
    TCaptureAssemblers assemblers(control, host);
    assemblers.SetFrameSource(&frames);
    const int mode = static_cast<int>(options.AssembleProtocol) + 1;
    ICaptureAssembler* chosen = &control.Trx5();
    if (mode == kRunDin)
        chosen = &assemblers.Din();
    else if (mode == kRunRaw)
        chosen = &assemblers.Raw();
    TWriteWatch watch(*chosen);
    control.SetAssembler(mode, &watch);
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
