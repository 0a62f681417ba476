#include "descriptions/sample_folder.h"

#include "build_info.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace protmon {

namespace {

bool HasDescriptionFile(const std::filesystem::path& folder) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name.starts_with("para") && name.ends_with(".bin") && it->is_regular_file(ec))
            return true;
    }
    return false;
}

} // namespace

std::vector<std::string> SampleFolderCandidates(const std::string& programDir) {
    return {programDir + "/../tests/data", programDir + "/" + PROTMON_DATA_DIR_FROM_BIN};
}

std::string FindSampleFolder(const std::string& programDir) {
    for (const std::string& candidate : SampleFolderCandidates(programDir)) {
        if (!HasDescriptionFile(candidate))
            continue;
        std::error_code ec;
        const std::filesystem::path canonical = std::filesystem::canonical(candidate, ec);
        if (!ec)
            return canonical.string();
    }
    return {};
}

} // namespace protmon
