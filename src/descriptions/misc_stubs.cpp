#include "descriptions/code_page.h"
#include "descriptions/language_file_name.h"
#include "descriptions/progress.h"
#include "descriptions/unit_table.h"

namespace protmon {
bool TProgressRange::SetMax(int) {
    return false;
}
bool TProgressRange::SetMin(int) {
    return false;
}
bool TProgressRange::SetActVal(int) {
    return false;
}
bool CancelButtonVisible(const std::string&) {
    return false;
}
TCodePage CodePageForLanguage(char) {
    return TCodePage::Latin1;
}
std::string ToUtf8(std::string_view bytes, TCodePage) {
    return std::string(bytes);
}
std::string_view UnitText(unsigned) {
    return {};
}
std::string LanguageFileName(const std::string&, char) {
    return {};
}
} // namespace protmon
