#include "analysis/trend_text.h"

#include "decode/formatters.h"
#include "descriptions/cfg_list.h"

namespace protmon {

std::string TrendCurveTitle(const TValueSeries& series) {
    const TValueScale& s = series.Scale;
    std::string title;
    AppendHex(title, static_cast<std::uint32_t>(series.Key.Drive), 2);
    title += ' ';
    if (s.Described)
        title += s.Ident + ' ' + s.Name;
    else
        title += std::to_string(series.Key.Address);
    if (!s.Unit.empty())
        title += " [" + s.Unit + ']';
    return title;
}

std::string TrendValueText(const TTrendContext& ctx, const TValueSeries& series,
                           const TValuePoint& point) {
    if (!point.Text.empty())
        return point.Text;
    const TParaRec* para = series.Scale.Described && ctx.Set != nullptr
                               ? ctx.Set->FindPara(series.Key.Address)
                               : nullptr;
    if (para == nullptr || series.Scale.PlainText)
        return std::to_string(point.Raw);
    return para->FormatValue(point.Raw, ctx.DecimalSeparator);
}

} // namespace protmon
