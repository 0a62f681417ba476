#include "session/recorder_policy.h"

#include <cstdio>

namespace protmon {

std::string RecordFileName(const std::string& prefix, const std::tm& local, long long sequence,
                           RecordFormat format) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d-%03lld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  sequence);
    return prefix + stamp + (format == RecordFormat::Pcapng ? ".pcapng" : ".bu5");
}

std::vector<std::string> TFileRing::Add(std::string path, long long entries) {
    files_.push_back({std::move(path), entries});
    return keep_ > 0 ? TrimTo(static_cast<std::size_t>(keep_)) : std::vector<std::string>{};
}

std::vector<std::string> TFileRing::KeepBefore(int before) {
    if (before < 0)
        return {};
    return TrimTo(static_cast<std::size_t>(before) + 1);
}

std::vector<std::string> TFileRing::TrimTo(std::size_t count) {
    std::vector<std::string> gone;
    while (files_.size() > count) {
        gone.push_back(files_.front().Path);
        files_.pop_front();
    }
    return gone;
}

TFileRing::TLocation TFileRing::Locate(long long back) const {
    for (auto it = files_.rbegin(); it != files_.rend() && back >= 0; ++it) {
        if (back < it->Entries)
            return {it->Path, it->Entries - 1 - back};
        back -= it->Entries;
    }
    return {};
}

} // namespace protmon
