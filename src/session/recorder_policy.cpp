#include "session/recorder_policy.h"

#include <cstdio>
#include <string_view>

namespace protmon {

namespace {

const char* Extension(RecordingFormat format) {
    return format == RecordingFormat::Pcapng ? ".pcapng" : ".bu5";
}

bool Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size())
        return false;
    for (std::size_t i = at; i < at + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// Length of the run of digits at `at`.
std::size_t DigitRun(std::string_view text, std::size_t at) {
    std::size_t n = 0;
    while (Digits(text, at + n, 1))
        ++n;
    return n;
}

} // namespace

std::string RecordFileName(const std::string& prefix, const std::tm& local, long long sequence,
                           RecordingFormat format) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d-%03lld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  sequence);
    return prefix + stamp + Extension(format);
}

std::string RecordBaseName(const std::string& prefix) {
    const std::size_t slash = prefix.rfind('/');
    return slash == std::string::npos ? prefix : prefix.substr(slash + 1);
}

bool IsRecordFileOf(const std::string& name, const std::string& base, RecordingFormat format) {
    // BASE-YYYYMMDD-HHMMSS-NNN.EXT
    const std::string_view n(name);
    const std::string_view ext = Extension(format);
    if (!n.starts_with(base) || !n.ends_with(ext))
        return false;
    const std::size_t at = base.size();
    if (n.size() < at + 20 + ext.size() || n[at] != '-' || !Digits(n, at + 1, 8) ||
        n[at + 9] != '-' || !Digits(n, at + 10, 6) || n[at + 16] != '-')
        return false;
    const std::size_t sequence = DigitRun(n, at + 17);
    return sequence >= 3 && at + 17 + sequence + ext.size() == n.size();
}

std::string FinalNameOfTemp(const std::string& name, const std::string& base) {
    const std::size_t tmp = name.rfind(".tmp-");
    if (tmp == std::string::npos)
        return {};
    // .tmp-PID-N
    const std::string_view tail = std::string_view(name).substr(tmp + 5);
    const std::size_t pid = DigitRun(tail, 0);
    if (pid == 0 || pid + 1 >= tail.size() || tail[pid] != '-' ||
        DigitRun(tail, pid + 1) != tail.size() - pid - 1)
        return {};
    std::string final = name.substr(0, tmp);
    for (RecordingFormat f : {RecordingFormat::MonitorFile, RecordingFormat::Pcapng})
        if (IsRecordFileOf(final, base, f))
            return final;
    return {};
}

std::string NextSequenceName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::size_t dash = name.rfind('-', dot);
    if (dot == std::string::npos || dash == std::string::npos)
        return name + "-1";
    long long sequence = 0;
    for (std::size_t i = dash + 1; i < dot; ++i)
        sequence = sequence * 10 + (name[i] - '0');
    char text[32];
    std::snprintf(text, sizeof text, "%03lld", sequence + 1);
    return name.substr(0, dash + 1) + text + name.substr(dot);
}

std::vector<std::string> TFileRing::Add(std::string path, long long entries) {
    files_.push_back({std::move(path), entries});
    return keep_ > 0 ? TrimTo(static_cast<std::size_t>(keep_)) : std::vector<std::string>{};
}

void TFileRing::Adopt(const std::vector<std::string>& paths) {
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        files_.push_front({*it, 0});
}

std::vector<std::string> TFileRing::MakeRoom() {
    return keep_ > 0 ? TrimTo(static_cast<std::size_t>(keep_ - 1)) : std::vector<std::string>{};
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
