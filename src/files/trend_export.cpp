#include "files/trend_export.h"

#include "analysis/trend_text.h"
#include "files/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace protmon {

namespace {

std::string NumberText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

void AppendCsvField(std::string& out, std::string_view text8, TCodePage codePage) {
    const std::string text = ToUtf8(text8, codePage);
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
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
                         TCodePage codePage) {
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
    errno = 0;
    if (file.Open(path)) {
        file.Write(bytes.data(), bytes.size());
        if (file.Commit())
            return true;
    }
    reason = errno != 0 ? std::strerror(errno) : "the file could not be written";
    return false;
}

} // namespace protmon
