// Wireshark's external capture interface: Wireshark runs `protmon-extcap` (or `protmon-cli
// extcap`) to list interfaces, their link type and options, to check a capture filter, and to
// capture into a FIFO. The capture is the `capture` command's session; the FIFO gets the blocks
// of the pcapng export, written as entries arrive.
#include "app/protmon-cli/capture_sources.h"
#include "app/protmon-cli/command_help.h"
#include "app/protmon-cli/commands.h"
#include "build_info.h"
#include "capture/capture_control.h"
#include "capture/com_ports.h"
#include "files/byte_sink.h"
#include "files/export_times.h"
#include "files/pcapng_format.h"
#include "files/pcapng_recording.h"
#include "filter/criteria_text.h"
#include "filter/filter_match.h"
#include "model/line_monitor_settings.h"
#include "model/list_cursor.h"
#include "session/session.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

namespace protmon::cli {

namespace {

constexpr std::string_view kUdpInterface = "protmon-udp";
constexpr std::string_view kSerialPrefix = "protmon-serial-";

// What Wireshark asked for, and the capture options translated to those of `capture`.
struct TExtcapCall {
    bool Help = false;
    bool Interfaces = false;
    bool Dlts = false;
    bool Config = false;
    bool Capture = false;
    std::string Interface;
    std::string Fifo;
    bool FilterGiven = false;
    std::string Filter;
    std::vector<std::string> CaptureArgs;
};

// Options that take a value and are handed to `capture` under the same name.
constexpr std::string_view kPassedOn[] = {"--baud", "--protocol", "--lm-baudrate",
                                          "--lm-timestamp-resolution", "--lm-handshake"};

bool ParseCall(int argc, char** argv, TExtcapCall& call, std::string& error) {
    for (int i = 0; i < argc; ++i) {
        std::string_view name = argv[i];
        std::string value;
        bool inlineValue = false;
        if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            value = std::string(name.substr(eq + 1));
            name = name.substr(0, eq);
            inlineValue = true;
        }
        const auto takeValue = [&]() {
            if (inlineValue)
                return true;
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        if (name == "--help" || name == "-h")
            call.Help = true;
        else if (name == "--extcap-interfaces")
            call.Interfaces = true;
        else if (name == "--extcap-dlts")
            call.Dlts = true;
        else if (name == "--extcap-config")
            call.Config = true;
        else if (name == "--capture")
            call.Capture = true;
        else if (name == "--monitor")
            call.CaptureArgs.emplace_back("--line-monitor");
        else if (name == "--extcap-version") {
            // Wireshark's version; nothing here depends on it.
        } else if (name == "--extcap-interface") {
            if (!takeValue())
                return false;
            call.Interface = value;
        } else if (name == "--fifo") {
            if (!takeValue())
                return false;
            call.Fifo = value;
        } else if (name == "--extcap-capture-filter") {
            if (!takeValue())
                return false;
            call.FilterGiven = !value.empty();
            call.Filter = value;
        } else if (name == "--extcap-control-in" || name == "--extcap-control-out") {
            if (!takeValue()) // no control channel: the capture has no toolbar
                return false;
        } else if (name == "--remote") {
            if (!takeValue())
                return false;
            call.CaptureArgs.insert(call.CaptureArgs.end(), {"--udp", value});
        } else if (std::find(std::begin(kPassedOn), std::end(kPassedOn), name) !=
                   std::end(kPassedOn)) {
            if (!takeValue())
                return false;
            call.CaptureArgs.insert(call.CaptureArgs.end(), {std::string(name), value});
        } else {
            error = "unknown option " + std::string(name);
            return false;
        }
    }
    return true;
}

void PrintInterfaces() {
    std::printf("extcap {version=%s}{display=Protocol Monitor}\n", PROTMON_VERSION);
    std::printf("interface {value=%s}{display=Protocol Monitor: line monitor over UDP}\n",
                kUdpInterface.data());
    for (const std::string& port : ListSerialPorts()) {
        const std::string name = port.substr(port.rfind('/') + 1);
        std::printf("interface {value=%s%s}{display=Protocol Monitor: serial line %s}\n",
                    kSerialPrefix.data(), name.c_str(), port.c_str());
    }
}

void PrintDlts() {
    std::printf("dlt {number=%u}{name=USER0}{display=Protocol Monitor entries}\n",
                static_cast<unsigned>(pcapng::kLinkTypeRecording));
}

struct TChoice {
    std::string Value;
    bool Default;
};

void PrintSelector(int number, const char* call, const char* display, const char* group,
                   const std::vector<TChoice>& values) {
    std::printf("arg {number=%d}{call=%s}{display=%s}{type=selector}{group=%s}\n", number, call,
                display, group);
    for (const TChoice& v : values)
        std::printf("value {arg=%d}{value=%s}{display=%s}{default=%s}\n", number, v.Value.c_str(),
                    v.Value.c_str(), v.Default ? "true" : "false");
}

// The line monitor's time-stamp resolutions in microseconds, the dialog's default marked.
std::vector<TChoice> TimeStampChoices() {
    std::vector<TChoice> choices;
    const int defaultUs = TimeStampResolutionUs(TLineMonitorSettings{}.TimeStampIndex);
    for (const int us : kTimeStampResolutionsUs)
        choices.push_back({std::to_string(us), us == defaultUs});
    return choices;
}

// The control strip's choices and the line monitor's settings, with their defaults.
void PrintConfig(bool udp) {
    int n = 0;
    if (udp) {
        std::printf("arg {number=%d}{call=--remote}{display=Line monitor (host:port)}"
                    "{type=string}{required=true}{group=Line}\n",
                    n++);
    } else {
        PrintSelector(n++, "--baud", "Baud rate", "Line",
                      {{"1200", false},
                       {"2400", false},
                       {"4800", false},
                       {"9600", false},
                       {"19200", false},
                       {"38400", true},
                       {"57600", false},
                       {"115200", false}});
        std::printf("arg {number=%d}{call=--monitor}{display=Line monitor (Monitor)}"
                    "{type=boolflag}{default=false}{group=Line}\n",
                    n++);
    }
    PrintSelector(n++, "--protocol", "Protocol", "Line",
                  {{"trx5", true}, {"din66019ii", false}, {"raw", false}});
    PrintSelector(n++, "--lm-baudrate", "Bus baud rate (KBaud)", "Line monitor",
                  {{"1,2", false},
                   {"2,4", false},
                   {"4,8", false},
                   {"9,6", false},
                   {"19,2", false},
                   {"38,4", true},
                   {"55,5", false},
                   {"100", false},
                   {"125", false},
                   {"250", false},
                   {"500", false},
                   {"1000", false}});
    PrintSelector(n++, "--lm-timestamp-resolution", "Time-stamp resolution (us)", "Line monitor",
                  TimeStampChoices());
    PrintSelector(n++, "--lm-handshake", "Handshake", "Line monitor",
                  {{"hardware-full-duplex", true},
                   {"software-half-duplex", false},
                   {"software-full-duplex", false},
                   {"software-single-channel", false}});
}

// Streams the new entries of the list into the FIFO after every tick until Wireshark stops the
// capture (SIGTERM, or the FIFO's reader is gone) or the capture ends by itself.
CaptureEnd StreamEntries(TMonitorSession& session, TPcapngRecordingWriter& out, TStreamSink& sink,
                         const TPreparedFilter* filter) {
    const TTelegramList& list = session.TelegramList();
    const TCaptureSettings& settings = session.Settings();
    TListCursor cursor;
    cursor.Reset(list);
    std::vector<int> positions;
    CaptureEnd end = CaptureEnd::Running;
    bool streaming = true;
    const auto take = [&](bool final) {
        const TDecodeContext ctx = MakeDecodeContext(list, settings);
        // A raw chunk still filling is written once it is full or the capture ends.
        cursor.TakeNew(list, !final && settings.Selection == Protocol::Raw && !settings.Monitor,
                       positions);
        for (const int p : positions) {
            const TTelEntry* e = list.At(p);
            if (e == nullptr || (filter != nullptr && filter->Match(e->Data) == kNoMatch))
                continue;
            const TExportTime time = e->ReceiveTime != 0
                                         ? TExportTime{e->ReceiveTime, TimeBasis::Receive}
                                         : TExportTime{0, TimeBasis::Position};
            out.WriteEntry(ctx, p, time, false);
        }
        return sink.Flush();
    };
    while (session.Capturing() && streaming) {
        if (StopRequested()) {
            end = CaptureEnd::Signal;
            break;
        }
        const std::uint64_t before = list.Written();
        session.PollTick();
        streaming = take(false);
        if (list.Written() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (streaming)
        streaming = take(true);
    if (!streaming)
        end = CaptureEnd::Signal; // the reader went away: Wireshark stopped
    session.StartStop(false);
    return end;
}

int Capture(const TExtcapCall& call, const TCliOptions& options) {
    TPreparedFilter filter(options.IncludeFilter);
    TCliHost host;
    host.Mute(kTextTriggered);
    TMonitorSession session(host);
    SetUpCapture(session, options);
    if (!SelectSource(session, options))
        return kExitUsage;
    InstallCaptureSignals({.IgnoreBrokenPipe = true});

    const int fd = ::open(call.Fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        ReportError(call.Fifo + ": " + std::strerror(errno));
        return kExitFileError;
    }
    if (!StartCaptureOrExplain(session, options.Port)) {
        ::close(fd);
        return kExitFileError;
    }
    TPcapngRecordingWriter out;
    TStreamSink sink(fd);
    const unsigned bases = (1u << static_cast<unsigned>(TimeBasis::Receive)) |
                           (1u << static_cast<unsigned>(TimeBasis::Position));
    out.Open(sink, session.Settings(), 0, bases);
    const CaptureEnd end = StreamEntries(session, out, sink, call.FilterGiven ? &filter : nullptr);
    ::close(fd);
    const TCaptureSummary summary = session.Summary();
    if (end == CaptureEnd::Running && summary.End == CaptureEnd::DeviceLost) {
        ReportError("the device went away; the capture ended");
        return kExitDeviceLost;
    }
    return kExitOk;
}

// The arguments of the `capture` command that the interface and the options stand for.
bool CaptureOptions(const TExtcapCall& call, TCliOptions& options, std::string& error) {
    std::vector<std::string> args = {"protmon-cli", "capture"};
    if (call.Interface.starts_with(kSerialPrefix))
        args.insert(args.end(), {"--port", "/dev/" + call.Interface.substr(kSerialPrefix.size())});
    else if (call.Interface != kUdpInterface) {
        error = "unknown interface '" + call.Interface + "'";
        return false;
    }
    args.insert(args.end(), call.CaptureArgs.begin(), call.CaptureArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    if (ParseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error) != kExitOk)
        return false;
    // The capture filter is the include criteria text of `decode --include`.
    options.IncludeGiven = call.FilterGiven;
    return !call.FilterGiven || ParseCriteriaText(call.Filter, options.IncludeFilter, error);
}

} // namespace

bool IsExtcapCall(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "extcap")
        return true;
    const std::string_view self = argc >= 1 ? argv[0] : "";
    return self.substr(self.rfind('/') + 1) == "protmon-extcap";
}

int RunExtcap(int argc, char** argv) {
    const int skip = argc >= 2 && std::string_view(argv[1]) == "extcap" ? 2 : 1;
    TExtcapCall call;
    std::string error;
    if (!ParseCall(argc - skip, argv + skip, call, error)) {
        ReportError(error);
        return kExitUsage;
    }
    if (call.Help) {
        std::fputs(FormatHelp(kExtcapHelp).c_str(), stdout);
        return kExitOk;
    }
    if (call.Interfaces) {
        PrintInterfaces();
        return kExitOk;
    }
    if (call.Interface.empty()) {
        ReportError("--extcap-interface is required (see --extcap-interfaces)");
        return kExitUsage;
    }
    const bool udp = call.Interface == kUdpInterface;
    if (!udp && !call.Interface.starts_with(kSerialPrefix)) {
        ReportError("unknown interface '" + call.Interface + "'");
        return kExitUsage;
    }
    if (call.Dlts) {
        PrintDlts();
        return kExitOk;
    }
    if (call.Config) {
        PrintConfig(udp);
        return kExitOk;
    }
    if (!call.Capture) {
        // Wireshark checks a capture filter by this call: nothing printed means valid.
        TFilterCriteria criteria;
        if (call.FilterGiven && !ParseCriteriaText(call.Filter, criteria, error)) {
            std::printf("%s\n", error.c_str());
            return kExitUsage;
        }
        return kExitOk;
    }
    TCliOptions options;
    if (call.Fifo.empty())
        error = "--capture needs --fifo";
    else if (udp && std::find(call.CaptureArgs.begin(), call.CaptureArgs.end(), "--udp") ==
                        call.CaptureArgs.end())
        error = "the UDP interface needs --remote HOST:PORT";
    if (!error.empty() || !CaptureOptions(call, options, error)) {
        ReportError(error);
        return kExitUsage;
    }
    return Capture(call, options);
}

} // namespace protmon::cli
