#include "base/RegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

// Only regular files of known size on a real file system are opened; nothing here may block
// (a pipe without a writer would block a plain open for good, /proc/kmsg a read).
TEST(RegularFileTest, OnlyRegularFilesOfKnownSizeAreOpened) {
    test::TempFolder dir;
    const std::string fifo = dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        FileRefusal refusal;
    } cases[] = {
        {fifo, FileRefusal::NotRegular},
        {dir.Path(), FileRefusal::NotRegular},
        {"/dev/zero", FileRefusal::NotRegular},
        {dir.Path() + "/none", FileRefusal::Missing},
        {dir.Write("empty", ""), FileRefusal::Empty},
        {"/proc/self/status", FileRefusal::PseudoFiles},
        {"/proc/kmsg", FileRefusal::PseudoFiles},
        {dir.Path() + "/../../../../../../../../proc/self/maps", FileRefusal::PseudoFiles},
    };
    for (const auto& c : cases) {
        const OpenedFile file = OpenRegularFile(c.path);
        EXPECT_EQ(file.refusal, c.refusal) << c.path;
        EXPECT_EQ(file.fd, -1) << c.path;
    }
    EXPECT_TRUE(OnPseudoFileSystem("/proc/self"));
    EXPECT_FALSE(OnPseudoFileSystem(dir.Path()));
    EXPECT_EQ(OpenRegularFile(dir.Write("ten", "0123456789"), 9).refusal, FileRefusal::TooLarge);
}

// A file is read no further than the size it had when it was opened, though it grows.
TEST(RegularFileTest, ReadsStopAtTheSizeWhenOpened) {
    test::TempFolder dir;
    const std::string path = dir.Write("growing", "0123456789");
    const OpenedFile file = OpenRegularFile(path);
    ASSERT_GE(file.fd, 0);
    EXPECT_EQ(file.size, 10u);
    std::ofstream(path, std::ios::app) << "more bytes";
    EXPECT_EQ(ReadOpenedFile(file, 100), "0123456789");
    EXPECT_EQ(ReadOpenedFile(file, 4), "0123");
    ::close(file.fd);
}

}  // namespace
}  // namespace kelvandor
