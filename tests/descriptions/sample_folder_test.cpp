#include "descriptions/sample_folder.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace protmon {
namespace {

namespace fs = std::filesystem;

// A scratch tree holding a build folder beside a source tree's test data, and an install prefix.
class SampleFolder : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "src/build");
        fs::create_directories(root / "src/tests/data");
        fs::create_directories(root / "usr/bin");
        fs::create_directories(root / "usr/share/protmon");
    }
    static void Touch(const fs::path& file) { std::ofstream(file) << "x"; }
    test::TTempDir dir;
    const fs::path& root = dir.Path();
};

TEST_F(SampleFolder, BuildTreeFirstThenInstalledDataNeverAFolderWithoutDescriptionFile) {
    const std::string build = (root / "src/build").string();
    const std::string installed = (root / "usr/bin").string();
    // Language files alone, or a folder named like a description file, are no sample set.
    Touch(root / "src/tests/data/LNG0001d.add");
    fs::create_directories(root / "usr/share/protmon/Para0001.bin");
    EXPECT_EQ(FindSampleFolder(build), "");
    EXPECT_EQ(FindSampleFolder(installed), "");

    Touch(root / "usr/share/protmon/PARA0001.BIN");
    EXPECT_EQ(FindSampleFolder(installed), (root / "usr/share/protmon").string());
    Touch(root / "src/tests/data/Para0001.bin");
    EXPECT_EQ(FindSampleFolder(build), (root / "src/tests/data").string());
    EXPECT_EQ(FindSampleFolder((root / "nowhere").string()), "");
}

} // namespace
} // namespace protmon
