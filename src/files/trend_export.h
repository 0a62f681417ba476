#pragma once

#include "analysis/value_series.h"
#include "descriptions/code_page.h"

#include <string>
#include <string_view>
#include <vector>

namespace protmon {

// What "Export..." of the trend window writes, chosen by the save dialog's file type.
enum class TrendExportFormat { Csv, Png, Svg };

// The file types of the save dialog, in the order of TrendExportFormat ("Name|*.ext|...").
const char* TrendExportFilter(bool withSvg);
// Extension of a format, without the dot.
const char* TrendExportExtension(TrendExportFormat format);

// The points of the curves whose x (as plotted) lies in [from, to] as CSV (UTF-8, one header row:
// curve,position,time,value,unit,text); fields with a comma, quote or line end are quoted.
std::string TrendCsvText(const std::vector<const TValueSeries*>& curves, double from, double to,
                         CodePage codePage);

// Writes `bytes` as the whole file: the target is replaced only by a complete copy. False with
// the system's reason when it could not be written.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason);

} // namespace protmon
