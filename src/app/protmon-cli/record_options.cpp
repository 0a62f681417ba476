#include "app/protmon-cli/cli_option_table.h"

namespace protmon::cli {

namespace {

// An option taking a whole number from `minimum` to `maximum`, stored through `store`.
Setter Whole(const char* message, long long minimum, long long maximum,
             void (*store)(TCliOptions&, long long)) {
    return [=](TCliOptions& o, std::string_view v, std::string& error) {
        long long n = 0;
        if (!ParseWholeNumber(v, minimum, maximum, n))
            error = message;
        else
            store(o, n);
        return error.empty();
    };
}

Setter Flag(bool TCliOptions::TRecordOptions::*field) {
    return
        [field](TCliOptions& o, std::string_view, std::string&) { return o.Record.*field = true; };
}

} // namespace

const TOptionGroup& RecordOptions() {
    constexpr long long kMaxCount = 1LL << 40;
    static const TOptionGroup table = {
        {"--format", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (v != "bu5" && v != "pcapng")
                 error = "--format needs bu5 or pcapng";
             o.Record.Format = v;
             return error.empty();
         }},
        {"--file-entries", true,
         Whole("--file-entries needs a positive number of entries", 1, kMaxCount,
               [](TCliOptions& o, long long n) { o.Record.FileEntries = n; })},
        {"--file-seconds", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParsePositiveSeconds(v, o.Record.FileSeconds))
                 error = "--file-seconds needs a positive number";
             return error.empty();
         }},
        {"--ring", true,
         Whole("--ring needs a positive number of files", 1, 1'000'000,
               [](TCliOptions& o, long long n) { o.Record.Ring = static_cast<int>(n); })},
        {"--trigger", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             o.Record.TriggerGiven = true;
             if (!ParseCriteriaText(v, o.Record.Trigger, error))
                 error = "--trigger: " + error;
             return error.empty();
         }},
        {"--trigger-delay", true,
         Whole("--trigger-delay needs a number of entries from 0", 0, kMaxCliBufferDepth,
               [](TCliOptions& o, long long n) { o.Record.TriggerDelay = static_cast<int>(n); })},
        {"--keep-before", true,
         Whole("--keep-before needs a number of files from 0", 0, 1'000'000,
               [](TCliOptions& o, long long n) { o.Record.KeepBefore = static_cast<int>(n); })},
        {"--reconnect", false, Flag(&TCliOptions::TRecordOptions::Reconnect)},
        {"--silence", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParsePositiveSeconds(v, o.Record.Silence))
                 error = "--silence needs a positive number of seconds";
             return error.empty();
         }},
        {"--quiet", false, Flag(&TCliOptions::TRecordOptions::Quiet)},
        {"--status-interval", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParsePositiveSeconds(v, o.Record.StatusInterval))
                 error = "--status-interval needs a positive number of seconds";
             return error.empty();
         }},
    };
    return table;
}

const std::vector<TOptionRule>& RecordRules() {
    static const std::vector<TOptionRule> rules = {
        {[](const TCliOptions& o) { return o.Output.empty(); }, "record needs -o PREFIX"},
        {[](const TCliOptions& o) { return o.Record.FileEntries > 0 && o.Record.FileSeconds > 0; },
         "give --file-entries or --file-seconds, not both"},
        {[](const TCliOptions& o) {
             return !o.Record.TriggerGiven &&
                    (o.Record.TriggerDelay > 0 || o.Record.KeepBefore >= 0);
         },
         "--trigger-delay and --keep-before need --trigger"},
    };
    return rules;
}

std::string RecordUsage() {
    return "Usage: protmon-cli record (--port DEVICE [--baud N] | --udp HOST:PORT)\n"
           "                          [CAPTURE OPTIONS but --count, --seconds] -o PREFIX\n"
           "                          [--format bu5|pcapng] [--file-entries N | --file-seconds S]\n"
           "                          [--ring K] [--trigger CRITERIA [--trigger-delay N]\n"
           "                          [--keep-before K]] [--reconnect] [--quiet]\n"
           "                          [--status-interval S] [--silence S]\n"
           "Records as 'capture' does, streaming the entries into a series of files\n"
           "PREFIX-YYYYMMDD-HHMMSS-NNN.bu5 (or .pcapng with receive times). A file appears\n"
           "under its name only when complete. SIGHUP begins a new file; SIGINT and SIGTERM\n"
           "close the current file and exit with 0. A lost device exits with 3 unless\n"
           "--reconnect is given. A file that cannot be written (disk full) is closed with\n"
           "the entries that fit and the recording ends with 1. PREFIX.lock keeps a second\n"
           "recorder off the prefix; files a killed recorder left are finished at start.\n"
           "  -o PREFIX             folder and start of the file names\n"
           "  --format F            bu5 (monitor file, default) or pcapng\n"
           "  --file-entries N      begin a new file after N entries\n"
           "  --file-seconds S      begin a new file after S seconds\n"
           "  --ring K              keep the newest K files, delete older ones\n"
           "  --trigger CRITERIA    stop as the window's trigger does, with CRITERIA (as for\n"
           "                        'decode --include') as the filter; prints the file and\n"
           "                        position of the trigger telegram\n"
           "  --trigger-delay N     entries recorded after the trigger telegram (default 0)\n"
           "  --keep-before K       when triggered, keep only the K files before the last\n"
           "  --reconnect           when the device goes away, reopen it once a second and go\n"
           "                        on in a new file\n"
           "  --silence S           with --udp: no datagram for S seconds (default 10) is\n"
           "                        reported; with --reconnect it means the line monitor\n"
           "                        went away\n"
           "  --quiet               print no rows\n"
           "  --status-interval S   a status line on stderr every S seconds\n"
           "See 'protmon-cli capture --help' for the capture options.\n";
}

} // namespace protmon::cli
