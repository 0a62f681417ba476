#include "descriptions/language_file_name.h"

#include "descriptions/cfg_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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

namespace {

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string FindFileIgnoringCase(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path wanted(path);
    if (fs::is_regular_file(wanted, ec) || !wanted.has_filename())
        return path;
    const std::string name = wanted.filename().string();
    const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    std::string best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        std::error_code fileEc;
        if (SameIgnoringAsciiCase(candidate, name) && it->is_regular_file(fileEc) &&
            (best.empty() || candidate < best))
            best = candidate;
    }
    if (best.empty())
        return path;
    return wanted.has_parent_path() ? (wanted.parent_path() / best).string() : best;
}

std::int32_t LoadLanguageFor(TCfgRec& cfg, const std::string& descriptionPath,
                             char languageLetter) {
    return cfg.LoadLanguageFile(
        FindFileIgnoringCase(LanguageFileName(descriptionPath, languageLetter)),
        CodePageForLanguage(languageLetter));
}

} // namespace protmon
