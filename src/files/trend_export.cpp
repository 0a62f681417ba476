#include "files/trend_export.h"

#include "analysis/trend_text.h"
#include "files/file_io.h"
#include "files/table_export.h"

#include <cstdio>

namespace protmon {

namespace {

std::string NumberText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// One owner of CSV quoting and of the formula guard: the recording's export.
void AppendCsvField(std::string& out, std::string_view text8, CodePage codePage) {
    AppendCsvCell(out, ToUtf8(text8, codePage), CsvQuoting::AsNeeded);
}

} // namespace

const char* TrendExportFilter(bool withSvg) {
    return withSvg ? "CSV (*.csv)|*.csv|PNG picture (*.png)|*.png|SVG picture (*.svg)|*.svg"
                   : "CSV (*.csv)|*.csv|PNG picture (*.png)|*.png";
}

const char* TrendExportExtension(TrendExportFormat format) {
    switch (format) {
    case TrendExportFormat::Png:
        return "png";
    case TrendExportFormat::Svg:
        return "svg";
    case TrendExportFormat::Csv:
        break;
    }
    return "csv";
}

std::string TrendCsvText(const std::vector<const TValueSeries*>& curves, double from, double to,
                         CodePage codePage) {
    std::string out = "curve,position,time,value,unit,text\n";
    for (const TValueSeries* series : curves) {
        const TValueSeries& s = *series;
        const std::string title = TrendCurveTitle(s);
        const std::size_t n = std::min(s.X.size(), s.Points.size());
        for (std::size_t i = 0; i < n; ++i) {
            const double x = s.X[i];
            if (x < from || x > to)
                continue;
            const TValuePoint& p = s.Points[i];
            AppendCsvField(out, title, codePage);
            out += ',' + std::to_string(p.Position) + ',' + NumberText(x) + ',' +
                   NumberText(p.Value) + ',';
            AppendCsvField(out, s.Scale.Unit, codePage);
            out += ',';
            AppendCsvField(out, p.Text, codePage);
            out += '\n';
        }
    }
    return out;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
    TSafeFileWriter file;
    if (file.Open(path)) {
        file.Write(bytes.data(), bytes.size());
        if (file.Commit())
            return true;
    }
    reason = file.Error() != 0 ? SystemReason(file.Error()) : "the file could not be written";
    return false;
}

} // namespace protmon
