#include "descriptions/language_file_name.h"

#include "descriptions/cfg_list.h"

namespace protmon {

std::string LanguageFileName(const std::string& descriptionPath, char languageLetter) {
    const std::size_t slash = descriptionPath.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string folder = descriptionPath.substr(0, nameStart);
    const std::string name = descriptionPath.substr(nameStart);
    // Characters 5 to 8 (counted from 1): "Para0812.bin" gives "0812".
    const std::string middle = name.size() > 4 ? name.substr(4, 4) : std::string{};
    return folder + "LNG" + middle + languageLetter + ".add";
}

std::int32_t LoadLanguageFor(TCfgRec& cfg, const std::string& descriptionPath,
                             char languageLetter) {
    return cfg.LoadLanguageFile(LanguageFileName(descriptionPath, languageLetter),
                                CodePageForLanguage(languageLetter));
}

} // namespace protmon
