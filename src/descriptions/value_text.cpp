#include "descriptions/description_records.h"

namespace protmon {

std::string TParaRec::GetValueText(std::int32_t value, int language, std::string_view separator,
                                   bool appendValue, char decimalSeparator) const {
    std::string out;
    AppendValueText(out, value, language, separator, appendValue, decimalSeparator);
    return out;
}

std::string TParaRec::FormatValue(std::int32_t value, char decimalSeparator) const {
    std::string out;
    AppendFormattedValue(out, value, decimalSeparator);
    return out;
}

void TParaRec::AppendValueText(std::string&, std::int32_t, int, std::string_view, bool,
                               char) const {}

void TParaRec::AppendFormattedValue(std::string&, std::int32_t, char) const {}

} // namespace protmon
