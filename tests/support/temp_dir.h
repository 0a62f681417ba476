#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace protmon::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    WriteText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Numbers in binary files are little-endian 32-bit words.
inline void AppendLe32(Bytes& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A fresh folder of its own below the system's temporary folder, removed with everything in it,
// so parallel test runs never share a file.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "protmon-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TTempDir() {
        // A test may have taken the permissions away to provoke a failure.
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of `name` (which may hold sub-folders) in the folder.
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Write a file of that name (making the folders it needs) and return its path.
    std::string Write(const std::string& name, const Bytes& bytes) const {
        WriteBytes(Prepare(name), bytes);
        return File(name);
    }
    std::string Write(const std::string& name, std::string_view text) const {
        WriteText(Prepare(name), text);
        return File(name);
    }
    Bytes Read(const std::string& name) const { return ReadBytes(File(name)); }

private:
    std::string Prepare(const std::string& name) const {
        std::filesystem::create_directories((path_ / name).parent_path());
        return File(name);
    }

    std::filesystem::path path_;
};

} // namespace protmon::test
