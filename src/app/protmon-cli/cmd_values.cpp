#include "analysis/value_series.h"
#include "app/protmon-cli/commands.h"
#include "app/protmon-cli/decode_filter.h"
#include "decode/decode_row.h"
#include "decode/formatters.h"
#include "descriptions/set_code_page.h"
#include "files/recording_file.h"
#include "files/row_export.h"
#include "files/table_export.h"

#include <charconv>
#include <ctime>

namespace protmon::cli {

namespace {

// One output line: fields separated by TAB, or as CSV with quotes where a field needs them.
class TLineWriter {
public:
    TLineWriter(std::string& out, bool csv, CodePage codePage)
        : out_(out), csv_(csv), codePage_(codePage) {}

    // An 8-bit text of the description set or the tool.
    void Field(std::string_view latin1) {
        Separate();
        if (!csv_) {
            AppendEscapedText(out_, latin1, codePage_);
            return;
        }
        std::string text;
        AppendEscapedText(text, latin1, codePage_);
        AppendCsvCell(out_, text, CsvQuoting::AsNeeded);
    }
    void End() {
        out_ += '\n';
        first_ = true;
    }

private:
    void Separate() {
        if (!first_)
            out_ += csv_ ? ',' : '\t';
        first_ = false;
    }

    std::string& out_;
    bool csv_;
    CodePage codePage_;
    bool first_ = true;
};

// The shortest text that reads back as the same number.
std::string NumberText(double value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

// Local ISO 8601 time with milliseconds.
std::string ReceiveTimeText(std::int64_t nanoseconds) {
    const std::time_t seconds = static_cast<std::time_t>(nanoseconds / 1'000'000'000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buf[40];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    std::string text(buf, n);
    const auto ms = static_cast<int>(nanoseconds / 1'000'000 % 1000);
    text += '.';
    text += static_cast<char>('0' + ms / 100);
    text += static_cast<char>('0' + ms / 10 % 10);
    text += static_cast<char>('0' + ms % 10);
    return text;
}

std::string TimeText(TimeBasis base, std::int64_t time) {
    switch (base) {
    case TimeBasis::Receive:
        return ReceiveTimeText(time);
    case TimeBasis::LineMonitor:
        return std::to_string(time);
    case TimeBasis::Position:
        break;
    }
    return {};
}

void WriteSeries(const TValueSeries& series, TLineWriter& line) {
    for (const TValuePoint& p : series.Points) {
        line.Field(std::to_string(p.Position));
        line.Field(TimeText(series.TimeBase, p.Time));
        line.Field(NumberText(p.Value));
        line.Field(series.Scale.Unit);
        if (series.Scale.PlainText)
            line.Field(p.Text);
        line.End();
    }
}

void WriteInventory(const TParameterInventory& inventory, const TTrendContext& ctx,
                    TLineWriter& line) {
    for (const TParameterCount& c : inventory.Counts()) {
        std::string id;
        AppendHex(id, static_cast<std::uint32_t>(c.Drive), 2);
        line.Field(id);
        line.Field(std::to_string(c.Address));
        line.Field(std::to_string(c.Points));
        const TValueScale scale = DescribeParameter(ctx, c.Address);
        if (scale.Described) {
            line.Field(scale.Ident);
            line.Field(scale.Name);
        }
        line.End();
    }
}

} // namespace

int RunValues(const TCliOptions& options) {
    TZXCfgList sets;
    int setIndex = -1;
    if (!options.Descriptions.empty() && !LoadDecoderSet(options, sets, setIndex))
        return kExitFileError;
    TTelegramList list;
    TCaptureSettings settings;
    const TMonitorFileResult r = ReadRecording(options.Input, list, settings);
    if (ReportRefusedInput(options, r))
        return kExitFileError;
    const TTrendContext ctx = MakeTrendContext(
        MakeDecodeContext(list, settings, sets.GetCfg(setIndex)), settings.TimeStampResolution);
    const CodePage codePage = DisplayCodePageOf(ctx.Set);
    TOutputBuffer out(stdout);
    TLineWriter line(out.Text(), options.Csv, codePage);
    if (options.ListParameters) {
        TParameterInventory inventory;
        inventory.Update(list, ctx);
        WriteInventory(inventory, ctx, line);
    } else {
        TValueSeriesBuilder builder({options.Drive, static_cast<std::uint16_t>(options.Parameter)});
        builder.Update(list, ctx);
        if (options.Csv) {
            for (const char* name : {"position", "time", "value", "unit"})
                line.Field(name);
            if (builder.Series().Scale.PlainText)
                line.Field("text");
            line.End();
        }
        WriteSeries(builder.Series(), line);
    }
    return FinishDecode(options, r, out.Flush());
}

} // namespace protmon::cli
