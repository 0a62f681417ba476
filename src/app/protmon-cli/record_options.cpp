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

// "[ADDRESS:]PORT"; an IPv6 address in brackets ("[::1]:9100").
bool ParseMetricsAddress(std::string_view text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    std::string_view address;
    if (colon != std::string_view::npos) {
        address = text.substr(0, colon);
        text = text.substr(colon + 1);
        if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
            address = address.substr(1, address.size() - 2);
        if (address.empty())
            return false;
    }
    long long n = 0;
    if (!ParseWholeNumber(text, 1, 65535, n))
        return false;
    if (!address.empty())
        host = address;
    port = static_cast<int>(n);
    return true;
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
        {"--metrics", true,
         [](TCliOptions& o, std::string_view v, std::string& error) {
             if (!ParseMetricsAddress(v, o.Record.MetricsHost, o.Record.MetricsPort))
                 error = "--metrics needs [ADDRESS:]PORT with a port from 1 to 65535";
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

} // namespace protmon::cli
