#include "capture/com_ports.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace protmon;
namespace fs = std::filesystem;

namespace {

// A fake /sys/class/tty in a temporary folder.
class FakeSysfs {
public:
    void Tty(const std::string& name, bool withDriver) {
        fs::create_directories(root_ / name);
        if (withDriver)
            fs::create_directories(root_ / ("devices-" + name));
        if (withDriver)
            fs::create_directory_symlink(root_ / ("devices-" + name), root_ / name / "device");
    }
    std::string Root() const { return root_.string(); }

private:
    protmon::test::TTempDir dir_;
    const fs::path& root_ = dir_.Path();
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
