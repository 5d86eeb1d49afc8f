#include "settings/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

namespace fs = std::filesystem;

// A settings file that is a pipe once blocked start-up for good, and one of 15 MB cost
// seconds at start and exit: both are moved aside, unread, and a second one of the same kind
// does not overwrite the first that was moved.
TEST(SettingsFileTest, PipesAndHugeFilesAreMovedAsideUnread) {
    test::TempFolder dir;
    const std::string path = dir.Path() + "/Kelvandor.conf";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    SettingsFileCheck check = SetAsideUnusableSettingsFile(path);
    EXPECT_TRUE(check.usable);
    EXPECT_EQ(check.movedTo, path + ".unusable");
    EXPECT_NE(check.warning.find("a pipe"), std::string::npos) << check.warning;
    EXPECT_EQ(check.warning.find('\n'), std::string::npos) << "one line";
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_fifo(path + ".unusable"));

    std::ofstream(path) << std::string(2000, 'x');
    check = SetAsideUnusableSettingsFile(path, 1000);
    EXPECT_EQ(check.movedTo, path + ".unusable-2");
    EXPECT_TRUE(fs::is_fifo(path + ".unusable"));
    EXPECT_EQ(fs::file_size(path + ".unusable-2"), 2000u);
}

TEST(SettingsFileTest, OrdinaryMissingAndEmptyFilesStay) {
    test::TempFolder dir;
    const std::string path = dir.Path() + "/Kelvandor.conf";
    EXPECT_TRUE(SetAsideUnusableSettingsFile(path).warning.empty());
    std::ofstream(path).close();
    EXPECT_TRUE(SetAsideUnusableSettingsFile(path).warning.empty());
    std::ofstream(path) << "[General]\nTimeout=30\n";
    const SettingsFileCheck check = SetAsideUnusableSettingsFile(path);
    EXPECT_TRUE(check.usable);
    EXPECT_TRUE(check.movedTo.empty());
    EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(SettingsFileTest, AFileThatCannotBeMovedIsReportedUnusable) {
    // A folder under the name in a folder of /proc cannot be renamed.
    const SettingsFileCheck check = SetAsideUnusableSettingsFile("/proc/self");
    EXPECT_FALSE(check.usable);
    EXPECT_FALSE(check.warning.empty());
}

}  // namespace
}  // namespace kelvandor
