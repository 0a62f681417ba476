#include "files/table_export.h"

#include "decode/decode_row.h"
#include "descriptions/cfg_list.h"
#include "descriptions/set_code_page.h"
#include "files/entry_bytes.h"
#include "files/export_times.h"
#include "files/file_io.h"
#include "files/pair_lookup.h"
#include "files/row_export.h"

#include <functional>

namespace protmon {

namespace {

// Everything one output row needs, with the texts already escaped as `decode` prints them.
struct TTableRow {
    int Position = 0;
    const TTelEntry* Entry = nullptr;
    EntryKind Kind = EntryKind::Telegram;
    TExportTime Time;
    TPairInfo Pair;
    std::string Id;
    std::string Service;
    std::string Additional;
};

using RowWriter = std::function<void(std::string& out, const TTableRow& row)>;

constexpr std::size_t kFlushSize = 1 << 20;
constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::uint8_t kServiceMask = 0x3F;

void AppendSeconds(std::string& out, std::int64_t ns) {
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    if (ns < 0) {
        out += '-';
        ns = -ns;
    }
    out += std::to_string(ns / kNsPerSecond);
    std::string fraction = std::to_string(ns % kNsPerSecond);
    out += '.';
    out.append(9 - fraction.size(), '0');
    out += fraction;
}

void AppendBytes(std::string& out, const TTableRow& row) {
    const std::size_t n = MeaningfulBytes(*row.Entry, row.Kind);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0)
            out += ' ';
        out += kHex[row.Entry->Data[i] >> 4];
        out += kHex[row.Entry->Data[i] & 0xF];
    }
}

void AppendCsvText(std::string& out, std::string_view text) {
    AppendCsvCell(out, text, CsvQuoting::Always);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips a run of digits; false if there was none.
bool SkipDigits(std::string_view text, std::size_t& i) {
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i > start;
}

// A decimal number as the tool prints one: sign, digits, a point or comma with digits, an
// exponent.
bool IsNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    bool digits = SkipDigits(text, i);
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        digits = SkipDigits(text, i) || digits;
    }
    if (!digits)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        if (!SkipDigits(text, i))
            return false;
    }
    return i == text.size();
}

bool LooksLikeFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
           !IsNumber(text);
}

void AppendCsvRow(std::string& out, const TTableRow& row) {
    out += std::to_string(row.Position);
    out += ',';
    AppendSeconds(out, row.Time.Nanoseconds);
    out += ',' + ChannelText(row.Entry->Channel) + ',';
    if (row.Entry->Channel != kNoChannel)
        out += std::to_string(row.Entry->TimeStamp);
    out += ',';
    AppendCsvText(out, row.Id);
    out += ',';
    AppendCsvText(out, row.Service);
    out += ',';
    AppendCsvText(out, row.Additional);
    out += ',';
    if (row.Pair.ResponseTime)
        AppendSeconds(out, *row.Pair.ResponseTime);
    out += ',';
    AppendBytes(out, row);
    out += "\r\n";
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    out += '"';
}

void AppendJsonNumberOrNull(std::string& out, bool present, std::int64_t value) {
    out += present ? std::to_string(value) : "null";
}

void AppendJsonRow(std::string& out, const TTableRow& row) {
    const TTelEntry& e = *row.Entry;
    const bool telegram = row.Kind == EntryKind::Telegram;
    const bool stamped = e.Channel != kNoChannel;
    out += "{\"position\":" + std::to_string(row.Position) + ",\"time\":";
    AppendSeconds(out, row.Time.Nanoseconds);
    out += ",\"channel\":";
    if (stamped)
        AppendJsonString(out, ChannelText(e.Channel));
    else
        out += "null";
    out += ",\"time_stamp\":";
    AppendJsonNumberOrNull(out, stamped, e.TimeStamp);
    out += ",\"id\":";
    AppendJsonString(out, row.Id);
    out += ",\"function_service\":";
    AppendJsonString(out, row.Service);
    out += ",\"additional\":";
    AppendJsonString(out, row.Additional);
    out += ",\"response_time\":";
    if (row.Pair.ResponseTime)
        AppendSeconds(out, *row.Pair.ResponseTime);
    else
        out += "null";
    out += ",\"bytes\":\"";
    AppendBytes(out, row);
    out += "\",\"kind\":\"";
    out += EntryKindName(row.Kind);
    out += "\",\"address\":";
    AppendJsonNumberOrNull(out, telegram, e.Data[0]);
    out += ",\"class\":";
    AppendJsonNumberOrNull(out, telegram, e.Data[1] >> 6);
    out += ",\"service\":";
    AppendJsonNumberOrNull(out, telegram, e.Data[1] & kServiceMask);
    out += ",\"request_position\":";
    AppendJsonNumberOrNull(out, row.Pair.RequestPosition >= 0, row.Pair.RequestPosition);
    out += "}\n";
}

TMonitorFileResult WriteTable(const std::string& path, const TTelegramList& list,
                              const TCaptureSettings& settings, const TExportOptions& options,
                              std::string_view header, const RowWriter& writeRow) {
    TMonitorFileResult r;
    TSafeFileWriter file;
    if (!file.Open(path))
        return WriteFailure(r, kMonitorFileOpenError, file.Error());
    const TExportTimes times(list, settings.TimeStampResolution);
    const TPairLookup pairs(list, settings);
    TDecodeContext ctx =
        MakeDecodeContext(list, settings, options.DecoderSet, options.DecimalSeparator);
    ctx.MarkIndex = options.MarkIndex;
    const CodePage codePage = DisplayCodePageOf(ctx.DecoderSet);
    const int count =
        options.Positions ? static_cast<int>(options.Positions->size()) : list.Count();
    std::string out(header);
    TRowTexts texts;
    TTableRow row;
    for (int i = 0; i < count; ++i) {
        row.Position = options.Positions ? (*options.Positions)[static_cast<std::size_t>(i)] : i;
        row.Entry = list.At(row.Position);
        if (row.Entry == nullptr)
            continue;
        row.Kind = EntryKindOf(*row.Entry, settings.Selection);
        row.Time = times.At(row.Position);
        row.Pair = pairs.At(row.Position);
        DecodeTelegramRow(ctx, row.Position, texts);
        row.Id.clear();
        row.Service.clear();
        row.Additional.clear();
        AppendEscapedText(row.Id, texts.Id, codePage);
        AppendEscapedText(row.Service, texts.Service, codePage);
        AppendEscapedText(row.Additional, texts.Additional, codePage);
        writeRow(out, row);
        if (out.size() >= kFlushSize) {
            file.Write(out.data(), out.size());
            out.clear();
        }
        ++r.EntriesRead;
    }
    file.Write(out.data(), out.size());
    if (!file.Commit())
        return WriteFailure(r, kMonitorFileIoError, file.Error());
    return r;
}

} // namespace

void AppendCsvCell(std::string& out, std::string_view text, CsvQuoting quoting) {
    const bool quoted =
        quoting == CsvQuoting::Always || text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted)
        out += '"';
    if (LooksLikeFormula(text))
        out += '\'';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quoted)
        out += '"';
}

TMonitorFileResult ExportCsv(const std::string& path, const TTelegramList& list,
                             const TCaptureSettings& settings, const TExportOptions& options) {
    return WriteTable(path, list, settings, options,
                      "position,time,channel,time stamp,ID,Function/Service,Additional,"
                      "response time,bytes\r\n",
                      AppendCsvRow);
}

TMonitorFileResult ExportJsonLines(const std::string& path, const TTelegramList& list,
                                   const TCaptureSettings& settings,
                                   const TExportOptions& options) {
    return WriteTable(path, list, settings, options, {}, AppendJsonRow);
}

} // namespace protmon
