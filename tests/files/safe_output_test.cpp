// The one writer of output files against every kind of target: what it leaves there, and that
// it never replaces what is not a regular file.
#include "files/file_io.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace protmon;
using namespace protmon::test;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kText = "complete output\n";

mode_t KindOf(const std::string& path, bool followLinks) {
    struct stat st {};
    const int rc = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    return rc == 0 ? (st.st_mode & S_IFMT) : 0;
}

bool Write(const std::string& target, int& error) {
    TSafeFileWriter out;
    const bool ok = out.Open(target) && (out.Write(kText.data(), kText.size()), out.Commit());
    error = out.Error();
    return ok;
}

// Nothing of ours is left beside the targets.
bool NoTemporaryFiles(const fs::path& dir) {
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.path().filename().string().find(".tmp-") != std::string::npos)
            return false;
    return true;
}

// A private character device node with the numbers of a system device (root only).
bool MakeCharDevice(const std::string& path, unsigned major, unsigned minor) {
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(major, minor)) == 0;
}

} // namespace

// Each kind of target: how the writer ends, and what is left at the name afterwards.
TEST(SafeOutput, EveryKindOfTarget) {
    TTempDir dir;
    const bool root = ::geteuid() == 0;
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make; // false: cannot be made here (skip)
        bool ok;
        int error;
        mode_t kindAfter;  // at the name, links not followed
        bool textAtTarget; // the name (links followed) holds the text afterwards
    };
    const std::string file = dir.File("file.csv");
    const Case cases[] = {
        {"new file", [](const std::string&) { return true; }, true, 0, S_IFREG, true},
        {"existing file",
         [](const std::string& p) {
             WriteText(p, "old");
             return true;
         },
         true, 0, S_IFREG, true},
        {"link to a file",
         [&](const std::string& p) {
             WriteText(file, "old");
             return ::symlink(file.c_str(), p.c_str()) == 0;
         },
         true, 0, S_IFLNK, true},
        {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; }, false,
         EISDIR, S_IFDIR, false},
        {"null device", [&](const std::string& p) { return root && MakeCharDevice(p, 1, 3); }, true,
         0, S_IFCHR, false},
        {"full device", [&](const std::string& p) { return root && MakeCharDevice(p, 1, 7); },
         false, ENOSPC, S_IFCHR, false},
        {"link to the full device",
         [&](const std::string& p) {
             const std::string node = dir.File("full-node");
             return root && MakeCharDevice(node, 1, 7) && ::symlink(node.c_str(), p.c_str()) == 0;
         },
         false, ENOSPC, S_IFLNK, false},
        {"socket",
         [](const std::string& p) {
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             std::snprintf(a.sun_path, sizeof a.sun_path, "%s", p.c_str());
             const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
             ::close(s);
             return bound;
         },
         false, ENXIO, S_IFSOCK, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = dir.File("target" + std::to_string(n++));
        if (!c.make(target)) {
            std::printf("[ SKIPPED  ] %s (needs root)\n", c.name);
            continue;
        }
        int error = 0;
        EXPECT_EQ(Write(target, error), c.ok);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(KindOf(target, false), c.kindAfter);
        if (c.textAtTarget) {
            EXPECT_EQ(ReadBytes(target), Bytes(kText.begin(), kText.end()));
        }
    }
    EXPECT_TRUE(NoTemporaryFiles(dir.Path()));
}

// A FIFO is written through to its reader and stays one; a header count patched at the end works
// on such a stream while it is still in the buffer.
TEST(SafeOutput, FifoIsWrittenThroughAndPatchedInTheBuffer) {
    TTempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        char buf[256];
        for (ssize_t r; (r = ::read(fd, buf, sizeof buf)) > 0;)
            received.append(buf, static_cast<std::size_t>(r));
        ::close(fd);
    });
    TSafeFileWriter out;
    ASSERT_TRUE(out.Open(fifo));
    out.Write("count=0;data", 12);
    out.WriteAt(6, "7", 1);
    EXPECT_TRUE(out.Commit());
    reader.join();
    EXPECT_EQ(received, "count=7;data");
    EXPECT_EQ(KindOf(fifo, false), S_IFIFO);
}

// A full disk: the writer fails with the system's reason, the old file stays as it was and no
// partial file is left (a small tmpfs, root only).
TEST(SafeOutput, FullDiskKeepsTheOldFile) {
    TTempDir dir;
    const std::string mountPoint = dir.File("small");
    ASSERT_EQ(::mkdir(mountPoint.c_str(), 0700), 0);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount(path.c_str()); }
    } unmount{mountPoint};
    const std::string target = mountPoint + "/rec.csv";
    WriteText(target, "old");
    TSafeFileWriter out;
    ASSERT_TRUE(out.Open(target));
    const std::string block(4096, 'x');
    for (int i = 0; i < 64; ++i)
        out.Write(block.data(), block.size());
    EXPECT_FALSE(out.Commit());
    EXPECT_EQ(out.Error(), ENOSPC);
    EXPECT_EQ(ReadBytes(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(NoTemporaryFiles(mountPoint));
}

TEST(SafeOutput, SameFileAndOutputNames) {
    TTempDir dir;
    const std::string a = dir.File("a.bu5");
    WriteText(a, "x");
    ASSERT_EQ(::symlink(a.c_str(), dir.File("link.bu5").c_str()), 0);
    ASSERT_EQ(::link(a.c_str(), dir.File("hard.bu5").c_str()), 0);
    EXPECT_TRUE(SameFile(a, a));
    EXPECT_TRUE(SameFile(a, dir.File("link.bu5")));
    EXPECT_TRUE(SameFile(a, dir.File("hard.bu5")));
    EXPECT_TRUE(SameFile(a, dir.Path().string() + "/./a.bu5"));
    EXPECT_FALSE(SameFile(a, dir.File("b.bu5"))); // not there yet
    EXPECT_FALSE(SameFile(a, ""));

    EXPECT_EQ(OutputNameError(a), 0);
    EXPECT_EQ(OutputNameError(dir.File("new.bu5")), 0);
    EXPECT_EQ(OutputNameError(dir.Path().string()), EISDIR);
    EXPECT_EQ(OutputNameError(dir.File("sub/")), EISDIR);
}
