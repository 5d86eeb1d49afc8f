#include "puzzles/PuzzleFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/TempFolder.h"

namespace kelvandor {
namespace {

using test::TempFolder;

TEST(PuzzleFilesTest, PathsUseTheRootAsGivenAndBackslashesAsSeparators) {
    EXPECT_EQ(PuzzleFilePath("/show", 7, "Game.txt"), "/show/Game007/Game.txt");
    EXPECT_EQ(PuzzleFilePath("/show", 1, "bilder\\nil.png"), "/show/Game001/bilder/nil.png");
    EXPECT_EQ(PuzzleFilePath("", 1, "Game.txt"), "/Game001/Game.txt");
    EXPECT_EQ(PuzzleFilePath("r", 1234, "Game.txt"), "r/Game1234/Game.txt");
}

TEST(PuzzleFilesTest, ComponentsThatDifferOnlyInCaseAreFound) {
    TempFolder root;
    root.Write("game001/GAME.TXT", "Q\nA\n");
    root.Write("game001/Bilder/Nil.PNG", "png");
    const ResolvedPath text = ResolvePuzzleFile(root.Path(), 1, "Game.txt");
    EXPECT_TRUE(text.exists);
    EXPECT_TRUE(text.caseAdjusted);
    EXPECT_EQ(text.path, root.Path() + "/game001/GAME.TXT");

    const ResolvedPath picture = ResolvePuzzleFile(root.Path(), 1, "bilder\\nil.png");
    EXPECT_TRUE(picture.exists);
    EXPECT_EQ(picture.path, root.Path() + "/game001/Bilder/Nil.PNG");
}

TEST(PuzzleFilesTest, ExactNameWinsAndMissingNameGivesTheBuiltPath) {
    TempFolder root;
    root.Write("Game002/Game.txt", "exact");
    root.Write("Game002/GAME.txt", "other");
    const ResolvedPath exact = ResolvePuzzleFile(root.Path(), 2, "Game.txt");
    EXPECT_TRUE(exact.exists);
    EXPECT_FALSE(exact.caseAdjusted);
    EXPECT_EQ(exact.path, root.Path() + "/Game002/Game.txt");

    const ResolvedPath missing = ResolvePuzzleFile(root.Path(), 2, "fehlt.png");
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.path, root.Path() + "/Game002/fehlt.png");
    EXPECT_FALSE(ResolvePuzzleFile(root.Path() + "/nirgends", 1, "Game.txt").exists);
}

TEST(PuzzleFilesTest, UmlautNamesMatchAcrossCaseAndEncoding) {
    EXPECT_TRUE(NamesMatchIgnoringCase("M\xFCller.png", "m\xC3\xBCLLER.PNG"));
    EXPECT_TRUE(NamesMatchIgnoringCase("\xC4pfel", "\xE4PFEL"));
    EXPECT_FALSE(NamesMatchIgnoringCase("a.png", "b.png"));
    EXPECT_FALSE(NamesMatchIgnoringCase("\xD7", "\xF7"));  // times and divide are no pair

    TempFolder root;
    root.Write(
        "Game003/m\xC3\xBC"
        "ller.png",
        "png");
    EXPECT_TRUE(ResolvePuzzleFile(root.Path(), 3, "M\xDCLLER.PNG").exists);
}

TEST(PuzzleFilesTest, OnlyRegularFilesAreReadAndOnlyTheirHead) {
    TempFolder root;
    const std::string big = root.Write("big.txt", std::string(100000, 'x'));
    FileHead head = ReadFileHead(big, 65534);
    EXPECT_EQ(head.status, FileReadStatus::Ok);
    EXPECT_EQ(head.bytes.size(), 65534u);
    EXPECT_EQ(head.fileSize, 100000u);

    EXPECT_EQ(ReadFileHead(root.MakeFolder("Game.txt"), 100).status,
              FileReadStatus::NotARegularFile);
    EXPECT_EQ(ReadFileHead(root.Path() + "/none", 100).status, FileReadStatus::Missing);

    // A pipe without a writer would block a plain open for ever.
    const std::string fifo = root.Path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadFileHead(fifo, 100).status, FileReadStatus::NotARegularFile);

    const std::string empty = root.Write("empty.txt", "");
    head = ReadFileHead(empty, 100);
    EXPECT_EQ(head.status, FileReadStatus::Ok);
    EXPECT_TRUE(head.bytes.empty());

    // The kernel's files look regular but may block (/proc/kmsg) or never end: refused,
    // however a name with "../" reaches them.
    EXPECT_EQ(ReadFileHead(root.Path() + "/../../../../../../../../proc/self/status", 100).status,
              FileReadStatus::NotARegularFile);
}

// Picture names that miss by case, through a symbolic-link loop: each folder is listed once
// for the whole load however it is named, and a name of more components than any picture
// set needs is not looked up at all (it once cost a listing per component, 15 s a puzzle).
TEST(PuzzleFilesTest, EachFolderIsListedOnceAndLongNamesAreNotLookedUp) {
    TempFolder root;
    root.Write("Game001/bild.png", "x");
    const std::string folder = root.Path() + "/Game001";
    ASSERT_EQ(::symlink(".", (folder + "/loop").c_str()), 0);
    CFolderListings listings;
    std::string name;
    for (int i = 0; i < 12; ++i) {
        name += "LOOP\\";
    }
    const ResolvedPath found = ResolvePuzzleFile(root.Path(), 1, name + "BILD.PNG", &listings);
    EXPECT_TRUE(found.exists);
    EXPECT_EQ(ResolvePuzzleFile(root.Path(), 1, name + "Bild.png", &listings).path, found.path);
    EXPECT_EQ(listings.ListedCount(), 1u) << "one folder, however many names lead to it";

    std::string tooLong;
    for (std::size_t i = 0; i < kMaxNameComponents; ++i) {
        tooLong += "LOOP\\";
    }
    CFolderListings fresh;
    EXPECT_FALSE(ResolvePuzzleFile(root.Path(), 1, tooLong + "BILD.PNG", &fresh).exists);
    EXPECT_EQ(fresh.ListedCount(), 0u);
}

}  // namespace
}  // namespace kelvandor
