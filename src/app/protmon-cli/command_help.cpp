#include "app/protmon-cli/command_help.h"

#include "model/line_monitor_settings.h"

#include <algorithm>

namespace protmon::cli {

namespace {

// The line monitor's time-stamp resolutions and the dialog's default, as
// "--lm-timestamp-resolution" takes them.
std::string TimeStampResolutionHelp() {
    std::string text;
    for (const int us : kTimeStampResolutionsUs)
        text += std::to_string(us) + " ";
    return text + "(default " +
           std::to_string(TimeStampResolutionUs(TLineMonitorSettings{}.TimeStampIndex)) + ")";
}

// Defined before the helps that point into it.
const std::string kTimeStampResolutionHelp = TimeStampResolutionHelp();

} // namespace

// clang-format off
const TCommandHelp kInfoHelp = {
    "Usage: protmon-cli info FILE.bu5\n"
    "Prints the settings in the header of a monitor file, one 'name: value' per line.\n",
    0,
    {
    }};

const TCommandHelp kDecodeHelp = {
    "Usage: protmon-cli decode [--hex] [--descriptions PARA.bin [--language L]]\n"
    "                          [--columns time,response]\n"
    "                          [--include CRITERIA] [--exclude CRITERIA] FILE.bu5\n"
    "       protmon-cli decode [--descriptions PARA.bin [--language L]]\n"
    "                          --search CRITERIA FILE.bu5\n"
    "Prints one line per entry: the four texts of its row as the list view shows\n"
    "them, separated by TAB. A backslash is written as two, bytes 0x00-0x1F and 0x7F\n"
    "as \\xHH, bytes 0x80-0xFF as UTF-8 of the Latin-1 character (of the CP1251\n"
    "character with the Russian language file).\n",
    25,
    {
        {"--hex",
         "numbers in hexadecimal, as \"Hex Display\" shows them"},
        {"--descriptions FILE",
         "parameter identifiers, names and scaled values from this\n"
         "description file (the L7 decoder); the decimal\n"
         "separator is the one of LC_NUMERIC"},
        {"--language L",
         "names from the language file of letter L beside it:\n"
         "\"LNG\", characters 5 to 8 of the file name, L, \".add\"\n"
         "(Para0812.bin, d: LNG0812d.add); a, d, f, i, r or s"},
        {"--include CRITERIA",
         "only the rows of the filtered display (\"Filter display\")\n"
         "with these criteria as the filter"},
        {"--exclude CRITERIA",
         "... taking out what the exclude filter matches"},
        {"--search CRITERIA",
         "the positions \"Search for filter\" finds, one per line,\n"
         "starting after position 0"},
        {"--columns LIST",
         "more TAB-separated columns after the four texts, any of\n"
         "time (receive time as local ISO 8601, else the\n"
         "line-monitor time stamp in microseconds) and response\n"
         "(a response's time in microseconds, \"no reply\" for an\n"
         "unanswered request, \"no request\" for a response\n"
         "without request), comma separated"},
        {nullptr,
         "CRITERIA: comma-separated key=value items as set in the filter dialog:\n"
         "  id-high, id-low   a hex digit 0-F\n"
         "  req-rsp           req or rsp\n"
         "  read-write        read or write\n"
         "  service           0-12, 14, 16-21, 32, 33, 48-56\n"
         "  ack               0-15 or >0\n"
         "  address, data, pd1, pd2, pd3, pd4\n"
         "                    a number as typed into the dialog (1A2Bh hexadecimal)\n"
         "  rx-errors         receive errors only (every other item is ignored)\n"
         "  no-slave-selection   slave-selection entries do not match\n"
         "List keys also take 'all'. Example: --include 'service=0,req-rsp=rsp,ack=>0'\n"},
    }};

const TCommandHelp kAssembleHelp = {
    "Usage: protmon-cli assemble --protocol trx5|din66019ii|raw [--line-monitor]\n"
    "                            [--chunk N] [--buffer-depth N] INPUT -o OUTPUT.bu5\n"
    "Feeds the bytes of INPUT to the assembler as if they arrived on the serial port\n"
    "and saves the telegram list as a monitor file.\n",
    22,
    {
        {"--protocol P",
         "protocol selection of the capture"},
        {"--line-monitor",
         "INPUT holds line-monitor data frames"},
        {"--chunk N",
         "bytes that arrive before each poll tick (default: all)"},
        {"--buffer-depth N",
         "capacity of the telegram list (default 10000, at least 10)"},
        {"-o OUTPUT.bu5",
         "the monitor file to write"},
    }};

const TCommandHelp kCaptureHelp = {
    "Usage: protmon-cli capture (--port DEVICE [--baud N] | --udp HOST:PORT)\n"
    "                           [--protocol trx5|din66019ii|raw] [--line-monitor]\n"
    "                           [--operator comm,pd-out,pd-in]\n"
    "                           [LINE MONITOR OPTIONS] [--count N | --seconds S] [--hex]\n"
    "                           [--buffer-depth N] [-o FILE.bu5] [--summary-json FILE]\n"
    "Records as the window's Start does and prints each entry as it arrives, in the\n"
    "format of 'decode'. Stops after N entries, S seconds, or on SIGINT/SIGTERM; then\n"
    "switches the devices back to normal operation and writes FILE.bu5 if given.\n"
    "Messages the window would show in a box go to stderr; a failed start exits with 1.\n"
    "A capture that ended because the device went away exits with 3 after writing\n"
    "FILE.bu5; every other end exits with 0. After every capture a summary goes to\n"
    "stderr: entries, \"RxErrors:\", frames dropped, and how it ended.\n",
    22,
    {
        {"--port DEVICE",
         "serial device, e.g. /dev/ttyUSB0"},
        {"--baud N",
         "1200 2400 4800 9600 19200 38400 57600 115200 (default 38400)"},
        {"--udp HOST:PORT",
         "a line monitor over UDP (implies --line-monitor)"},
        {"--protocol P",
         "protocol selection (default trx5)"},
        {"--line-monitor",
         "a line monitor box on the serial port (\"Monitor\")"},
        {"--operator LIST",
         "a fieldbus operator copies its traffic: any of comm, pd-out,\n"
         "pd-in (\"Comm\", \"PD Out\", \"PD In\"), comma separated"},
        {"--count N",
         "stop after N entries"},
        {"--seconds S",
         "stop after S seconds"},
        {"--hex",
         "numbers in hexadecimal, as \"Hex Display\" shows them"},
        {"--buffer-depth N",
         "capacity of the telegram list (default 10000)"},
        {"-o FILE.bu5",
         "the monitor file to write after the stop"},
        {"--summary-json FILE",
         "the closing summary as one JSON object"},
        {nullptr,
         "Line monitor options (the fields of \"Select settings for line monitor\"):\n"},
        {"--lm-protocol trx5|din66019ii",
         "\"Protocol\" with its presets (default trx5)", 37},
        {"--lm-baudrate KBAUD",
         "\"Baudrate:\" 1,2 2,4 4,8 9,6 19,2 38,4 55,5 100\n"
         "125 250 500 1000 (default 38,4)", 37},
        {"--lm-timestamp-resolution US",
         kTimeStampResolutionHelp.c_str(), 37},
        {"--lm-data-bits 8|7",
         "(default 8)", 37},
        {"--lm-parity even|odd|none",
         "(default even)", 37},
        {"--lm-handshake MODE",
         "hardware-full-duplex (default),\n"
         "software-half-duplex, software-full-duplex,\n"
         "software-single-channel", 37},
        {"--lm-end-of-telegram US",
         "\"End of Telegam:\" (default: 5 characters at\n"
         "the bus baud rate, e.g. 1302 at 38,4 KBaud)", 37},
    }};

const TCommandHelp kRecordHelp = {
    "Usage: protmon-cli record (--port DEVICE [--baud N] | --udp HOST:PORT)\n"
    "                          [CAPTURE OPTIONS but --count, --seconds] -o PREFIX\n"
    "                          [--format bu5|pcapng] [--file-entries N | --file-seconds S]\n"
    "                          [--ring K] [--trigger CRITERIA [--trigger-delay N]\n"
    "                          [--keep-before K]] [--reconnect] [--quiet]\n"
    "                          [--status-interval S] [--silence S]\n"
    "                          [--metrics [ADDR:]PORT]\n"
    "Records as 'capture' does, streaming the entries into a series of files\n"
    "PREFIX-YYYYMMDD-HHMMSS-NNN.bu5 (or .pcapng with receive times). A file appears\n"
    "under its name only when complete. SIGHUP begins a new file; SIGINT and SIGTERM\n"
    "close the current file and exit with 0. A lost device exits with 3 unless\n"
    "--reconnect is given. A file that cannot be written (disk full) is closed with\n"
    "the entries that fit and the recording ends with 1. PREFIX.lock keeps a second\n"
    "recorder off the prefix; files a killed recorder left are finished at start.\n",
    24,
    {
        {"-o PREFIX",
         "folder and start of the file names"},
        {"--format F",
         "bu5 (monitor file, default) or pcapng"},
        {"--file-entries N",
         "begin a new file after N entries"},
        {"--file-seconds S",
         "begin a new file after S seconds"},
        {"--ring K",
         "keep the newest K files, delete older ones"},
        {"--trigger CRITERIA",
         "stop as the window's trigger does, with CRITERIA (as for\n"
         "'decode --include') as the filter; prints the file and\n"
         "position of the trigger telegram"},
        {"--trigger-delay N",
         "entries recorded after the trigger telegram (default 0)"},
        {"--keep-before K",
         "when triggered, keep only the K files before the last"},
        {"--reconnect",
         "when the device goes away, reopen it once a second and go\n"
         "on in a new file"},
        {"--silence S",
         "with --udp: no datagram for S seconds (default 10) is\n"
         "reported; with --reconnect it means the line monitor\n"
         "went away"},
        {"--quiet",
         "print no rows"},
        {"--status-interval S",
         "a status line on stderr every S seconds"},
        {"--metrics [ADDR:]PORT",
         "serve GET /metrics for Prometheus on PORT of ADDR\n"
         "(default 127.0.0.1)"},
        {nullptr,
         "See 'protmon-cli capture --help' for the capture options.\n"},
    }};

const TCommandHelp kValuesHelp = {
    "Usage: protmon-cli values [--descriptions PARA.bin [--language L]] [--csv]\n"
    "                          --drive ID --parameter ADDRESS FILE.bu5\n"
    "       protmon-cli values [--descriptions PARA.bin [--language L]] --list FILE.bu5\n"
    "Prints the values one parameter of one drive takes, one line per telegram that\n"
    "carries it, in list order: position, time, value, unit (and the plain text of a\n"
    "plain-text parameter), separated by TAB. Read responses count for the parameter\n"
    "their request asks for; responses that show an error carry no value. The time is\n"
    "the receive time (local ISO 8601), else the microseconds since the first entry by\n"
    "the line-monitor time stamps, else empty.\n",
    25,
    {
        {"--drive ID",
         "the requests' address byte as the ID column shows it (10)"},
        {"--parameter ADDRESS",
         "decimal, or hexadecimal with a trailing h (80h)"},
        {"--descriptions FILE",
         "values scaled and with unit as the L7 decoder shows them;\n"
         "without it the decoder's signed decimal number"},
        {"--language L",
         "names from the language file of letter L (with --list)"},
        {"--csv",
         "comma-separated, with a header line"},
        {"--list",
         "the parameters per drive: ID, address, number of values\n"
         "(and identifier and name with --descriptions)"},
    }};

const TCommandHelp kStatsHelp = {
    "Usage: protmon-cli stats [--json] [--include CRITERIA] [--exclude CRITERIA] FILE.bu5\n"
    "Pairs every response with the request the decoder finds for it and prints per\n"
    "drive (the request's address byte) and per service: requests, responses, requests\n"
    "without reply, responses showing an error, and the response times (count,\n"
    "minimum, mean, 95th percentile by nearest rank, maximum) in microseconds. A\n"
    "response time comes from the line-monitor time stamps, else from the receive\n"
    "times (not stored in monitor files). Receive errors are counted by kind.\n",
    25,
    {
        {"--json",
         "one JSON object instead of the table"},
        {"--include CRITERIA",
         "count only the rows of the filtered display (\"Filter\n"
         "display\"); pairs are still found in the whole list"},
        {"--exclude CRITERIA",
         "... taking out what the exclude filter matches"},
        {nullptr,
         "CRITERIA as for 'decode' (see 'protmon-cli decode --help').\n"},
    }};

const TCommandHelp kExportHelp = {
    "Usage: protmon-cli export --format pcapng|csv|jsonl [--descriptions PARA.bin\n"
    "                          [--language L]] [--include CRITERIA]\n"
    "                          [--exclude CRITERIA] FILE -o OUTFILE\n"
    "Writes a recording (monitor file or pcapng) for other tools:\n"
    "  pcapng   one packet per entry with receive time, channel and time stamp; the\n"
    "           decoded row is each packet's comment, the settings the file's comment\n"
    "           (every command reads such a file as it reads a monitor file)\n"
    "  csv      RFC 4180 with a header row: position, time, channel, time stamp, ID,\n"
    "           Function/Service, Additional, response time, bytes\n"
    "  jsonl    one JSON object per line with the same items, the entry kind, address,\n"
    "           class and service, and the request's position of a paired response\n"
    "Times are in seconds: receive times since 1970, else line monitor time from the\n"
    "first entry, else the position in milliseconds.\n",
    25,
    {
        {"--format F",
         "pcapng, csv or jsonl"},
        {"--descriptions FILE",
         "row texts with the L7 decoder, as for 'decode'"},
        {"--language L",
         "names from the language file of letter L"},
        {"--include CRITERIA",
         "only the rows of the filtered display, as for 'decode'"},
        {"--exclude CRITERIA",
         "... taking out what the exclude filter matches"},
        {"-o OUTFILE",
         "the file to write"},
    }};
const TCommandHelp kExtcapHelp = {
    "Usage: protmon-extcap --extcap-interfaces\n"
    "       protmon-extcap --extcap-interface IF (--extcap-dlts | --extcap-config)\n"
    "       protmon-extcap --extcap-interface IF --extcap-capture-filter CRITERIA\n"
    "       protmon-extcap --extcap-interface IF --capture --fifo PATH [OPTIONS]\n"
    "Wireshark's external capture program (also 'protmon-cli extcap'); Wireshark runs it.\n"
    "Interfaces: protmon-udp (--remote HOST:PORT), protmon-serial-DEVICE (--baud N,\n"
    "--monitor). Both: --protocol P, --lm-baudrate KBAUD, --lm-timestamp-resolution US,\n"
    "--lm-handshake MODE as for 'capture'; the capture filter takes the criteria of\n"
    "'decode --include'.\n",
    0,
    {
    }};

const TCommandHelp kDetectHelp = {
    "Usage: protmon-cli detect (--port DEVICE | --udp HOST:PORT) [--monitor] [--baud N]\n"
    "                          [--seconds S] [--json]\n"
    "Listens on the line with each candidate setting in turn (the baud box's rates\n"
    "with 8E1 for TRX5, 7E1 for DIN66019II and 8N1, 8O1, 8E1, 7E1 for raw bytes),\n"
    "scores each by the share of bytes in good telegrams and the receive errors,\n"
    "and prints the ranked table and the verdict, e.g.\n"
    "  38400 Baud, 8E1, TRX5: 97 % of bytes in 412 good telegrams\n"
    "or \"no traffic\" or \"no known protocol\". Stops once one candidate is clearly\n"
    "ahead. The port is opened exclusively and left with the settings it had.\n"
    "Exits with 0 with a verdict, 1 without one.\n",
    22,
    {
        {"--port DEVICE",
         "serial device, e.g. /dev/ttyUSB0"},
        {"--udp HOST:PORT",
         "a line monitor over UDP (implies --monitor)"},
        {"--monitor",
         "a line monitor box on the port: its host link is found\n"
         "as Start finds it, then its bus baud rates and framings\n"
         "are tried through its configuration commands"},
        {"--baud N",
         "with --monitor: the host link rate the box is brought to\n"
         "(default 38400)"},
        {"--seconds S",
         "give up after S seconds (default 20)"},
        {"--json",
         "one JSON object: baud, framing, protocol (null without\n"
         "a verdict), verdict, seconds and the candidates"},
    }};
// clang-format on

std::string FormatHelp(const TCommandHelp& help) {
    std::string out = help.Synopsis;
    for (const THelpEntry& entry : help.Entries) {
        if (entry.Term == nullptr) {
            out += entry.Text;
            continue;
        }
        const std::size_t column =
            static_cast<std::size_t>(entry.Column ? entry.Column : help.Column);
        std::string lead = "  " + std::string(entry.Term);
        lead.resize(std::max(lead.size() + 1, column), ' ');
        std::string_view text = entry.Text;
        while (true) {
            const std::size_t newline = text.find('\n');
            out += lead;
            out += text.substr(0, newline);
            out += '\n';
            if (newline == std::string_view::npos)
                break;
            text.remove_prefix(newline + 1);
            lead.assign(column, ' ');
        }
    }
    return out;
}

} // namespace protmon::cli
