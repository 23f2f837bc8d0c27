// Replacing a file: the old one stays whole until the new one is complete, whatever fails. (A
// file replaced whole: the editor's saves; a full disk, a read-only folder and names that are not
// UTF-8: the level tool's table in test_tool_files.cpp.)
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/levels_util.h"
#include "tools/common/safe_file.h"

namespace kelo::test {
namespace {

std::size_t Entries(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

mode_t Mode(const std::filesystem::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SafeFile, MakesAMissingFileWithTheUsualPermissions) {
    TempFolder folder;
    const mode_t mask = ::umask(027);
    EXPECT_EQ(ReplaceFile(folder.path() / "b.txt", "x"), "");
    ::umask(mask);
    EXPECT_EQ(Mode(folder.path() / "b.txt"), 0640u);
}

TEST(SafeFile, KeepsTheOldFilesPermissions) {
    TempFolder folder;
    folder.Write("c.txt", "old");
    ::chmod((folder.path() / "c.txt").c_str(), 0751);
    EXPECT_EQ(ReplaceFile(folder.path() / "c.txt", "new"), "");
    EXPECT_EQ(Mode(folder.path() / "c.txt"), 0751u);
}

// The writer failed half-way: the old file is whole, no new file is left.
TEST(SafeFile, AWriterThatGivesUpLeavesTheOldFileWhole) {
    TempFolder folder;
    folder.Write("e.txt", "old");
    const std::string error = ReplaceFileWith(folder.path() / "e.txt", [](std::FILE* file, std::string& why) {
        std::fputs("half", file);
        why = "out of memory";
        return false;
    });
    EXPECT_EQ(error, "cannot write " + (folder.path() / "e.txt").string() + ": out of memory (the old file is unchanged)");
    EXPECT_EQ(Contents(folder.path() / "e.txt"), "old");
    EXPECT_EQ(Entries(folder.path()), 1u);
}

// The file a link points to is replaced; the link stays a link.
TEST(SafeFile, ALinkIsFollowed) {
    TempFolder folder;
    folder.Write("f.txt", "old");
    std::filesystem::create_symlink("f.txt", folder.path() / "link");
    EXPECT_EQ(ReplaceFile(folder.path() / "link", "new"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "link"));
    EXPECT_EQ(Contents(folder.path() / "f.txt"), "new");
}

// A device is written where it is, and its errors are told.
TEST(SafeFile, ADeviceIsWrittenInPlace) {
    EXPECT_EQ(ReplaceFile("/dev/null", "x"), "");
    EXPECT_EQ(ReplaceFile("/dev/full", "x"), "cannot write /dev/full: No space left on device");
}

TEST(SafeFile, AFolderIsRefused) {
    TempFolder folder;
    EXPECT_EQ(ReplaceFile(folder.path(), "x"), "cannot write " + folder.path().string() + ": it is a folder");
}

}  // namespace
}  // namespace kelo::test
