// lmsim: plays a line monitor box or a fieldbus operator on a loopback UDP port or a
// pseudo-terminal, so the monitor can capture a live line without hardware.

#include "bus_bytes_source.h"
#include "bus_sim.h"
#include "din_generator.h"
#include "link.h"
#include "options.h"
#include "param_address_file.h"
#include "plant_traffic.h"
#include "raw_generator.h"
#include "simulator.h"
#include "traffic_generator.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>

using namespace protmon::lmsim;

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

void InstallSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// Waits for input (or room to write), at most the given time.
bool WaitForLink(ILink& link, std::optional<Clock::duration> timeout) {
    pollfd pfd{link.Fd(), static_cast<short>(POLLIN | (link.HasPending() ? POLLOUT : 0)), 0};
    auto wait = timeout.value_or(std::chrono::milliseconds(200));
    // A pty master is not always woken for writing when the kernel frees its buffers: while
    // output waits, look again soon instead of relying on POLLOUT.
    if (link.HasPending())
        wait = std::min<Clock::duration>(wait, std::chrono::milliseconds(1));
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    const timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    const int rc = ::ppoll(&pfd, 1, &ts, nullptr);
    return rc >= 0 || errno == EINTR;
}

int Serve(ILink& link, ISimulator& sim) {
    std::vector<std::uint8_t> received;
    std::optional<Clock::duration> timeout;
    while (!gStop) {
        if (!WaitForLink(link, timeout)) {
            std::perror("lmsim: poll");
            return 1;
        }
        received.clear();
        if (!link.Receive(received)) {
            std::perror("lmsim: receive");
            return 1;
        }
        if (!received.empty())
            sim.OnReceived(protmon::ByteView(received.data(), received.size()));
        timeout = sim.Produce(Clock::now());
        if (!link.Flush()) {
            std::perror("lmsim: send");
            return 1;
        }
    }
    return 0;
}

std::unique_ptr<ITelegramSource> MakeSource(const LmsimOptions& o, std::string& error) {
    if (!o.busBytesFile.empty()) {
        std::vector<std::uint8_t> bytes;
        if (!BusBytesSource::Load(o.busBytesFile, bytes)) {
            error = "cannot read " + o.busBytesFile;
            return nullptr;
        }
        return std::make_unique<BusBytesSource>(std::move(bytes));
    }
    const BusProtocol protocol = o.protocol.value_or(BusProtocol::Trx5);
    if (o.plantLine && protocol == BusProtocol::Din)
        return std::make_unique<DinTrafficGenerator>(o.seed, o.errorPermille, o.badBccPermille);
    if (o.plantLine && protocol == BusProtocol::Raw)
        return std::make_unique<RawTrafficGenerator>(o.seed);
    if (o.plant)
        return std::make_unique<PlantTraffic>(o.seed);
    GeneratorSettings g;
    g.seed = o.seed;
    g.errorPermille = o.errorPermille;
    g.badBccPermille = o.badBccPermille;
    g.operatorAddressing = o.operatorMode;
    if (!o.paramAddressFile.empty() &&
        !LoadParamAddresses(o.paramAddressFile, g.paramAddresses, error))
        return nullptr;
    return std::make_unique<TrafficGenerator>(std::move(g));
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<LmsimOptions> options = ParseLmsimOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "lmsim: %s\nTry 'lmsim --help'.\n", error.c_str());
        return 2;
    }
    if (options->showHelp) {
        std::fputs(LmsimHelpText(), stdout);
        return 0;
    }
    std::unique_ptr<ITelegramSource> source = MakeSource(*options, error);
    std::unique_ptr<ILink> link;
    if (source && options->bus)
        link = OpenPtyBusLink(error);
    else if (source && options->transport == Transport::Udp)
        link = OpenUdpLink(options->udpPort, error);
    else if (source)
        link = OpenPtyLink(options->linkBaud, error);
    if (!link) {
        std::fprintf(stderr, "lmsim: %s\n", error.c_str());
        return 1;
    }
    InstallSignals();
    std::printf("%s\n", link->Announcement().c_str());
    std::fflush(stdout);
    // Recorded bus bytes are played whatever the framing; generated traffic follows it, unless
    // the plant's line is given.
    std::unique_ptr<ITelegramSource> din;
    if (options->busBytesFile.empty() && !options->plantLine)
        din = std::make_unique<DinTrafficGenerator>(options->seed, options->errorPermille,
                                                    options->badBccPermille);
    std::unique_ptr<ISimulator> sim;
    if (options->bus)
        sim = std::make_unique<PlainBusSim>(*link, *source, *options);
    else if (options->operatorMode)
        sim = std::make_unique<OperatorSim>(*link, *source, *options);
    else
        sim = std::make_unique<LineMonitorSim>(*link, *source, din.get(), *options);
    const int rc = Serve(*link, *sim);
    sim->Finish();
    return rc;
}
