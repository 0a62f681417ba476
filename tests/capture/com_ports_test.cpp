#include "capture/com_ports.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace protmon;
namespace fs = std::filesystem;

namespace {

// A fake /sys/class/tty in a temporary folder.
class FakeSysfs {
public:
    FakeSysfs() {
        root_ = fs::temp_directory_path() / ("protmon-tty-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~FakeSysfs() { fs::remove_all(root_); }
    void Tty(const std::string& name, bool withDriver) {
        fs::create_directories(root_ / name);
        if (withDriver)
            fs::create_directories(root_ / ("devices-" + name));
        if (withDriver)
            fs::create_directory_symlink(root_ / ("devices-" + name), root_ / name / "device");
    }
    std::string Root() const { return root_.string(); }

private:
    fs::path root_;
};

} // namespace

TEST(ComPorts, OnlyTtysWithADriverInNaturalOrder) {
    FakeSysfs sys;
    for (const char* n : {"ttyS10", "ttyS2", "ttyUSB0", "ttyACM1", "ttyS0"})
        sys.Tty(n, true);
    for (const char* n : {"tty0", "console", "ptmx", "ttyS3x"})
        sys.Tty(n, false);
    const std::vector<std::string> expected = {"/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyS2",
                                               "/dev/ttyS10", "/dev/ttyUSB0"};
    EXPECT_EQ(ListSerialPorts(sys.Root()), expected);
    const auto refreshed = RefreshComPorts(false, sys.Root());
    ASSERT_TRUE(refreshed.has_value());
    EXPECT_EQ(*refreshed, expected);
}

TEST(ComPorts, NothingInUdpModeOrWithoutTree) {
    EXPECT_FALSE(RefreshComPorts(true, "/nonexistent").has_value());
    EXPECT_TRUE(ListSerialPorts("/nonexistent/tty").empty());
}
