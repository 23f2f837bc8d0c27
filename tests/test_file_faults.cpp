// The level file going wrong in every way a player's machine allows, against the real loader.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/game_fixture.h"
#include "support/invariants.h"

namespace kelo::test {
namespace {

namespace fs = std::filesystem;

std::string Level(int rings) {
    std::string row(14, '0');
    for (int i = 0; i < rings && i < 13; ++i) row[i + 1] = '2';
    return Walled({"30000000000000", row, "00000000000004"});
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FileFaultsTest : public GameTest {
protected:
    void Start(const fs::path& folder) {
        platform = std::make_unique<FakePlatform>(folder);
        form = std::make_unique<Form1>(*platform);
        form->CrLf = "\r\n";
    }
    void Go(int level) {
        form->Level = static_cast<std::int16_t>(level);
        form->LoadLevel(form->Level);
        ASSERT_EQ(BrokenInvariant(*form, *platform), "") << "level " << level;
    }
    bool EmptyBoard() const {
        for (std::uint8_t c : form->Board.cells()) {
            if (c != Empty) return false;
        }
        return true;
    }
};

TEST_F(FileFaultsTest, ADirectoryInItsPlaceGivesAnEmptyLevelOneUntilTheFileComes) {
    fs::create_directory(folder.path() / "levels.txt");
    Start(folder.path());
    Go(3);
    EXPECT_EQ(form->Level, 1);
    EXPECT_TRUE(EmptyBoard());
    EXPECT_FALSE(platform->LevelFileIsOpen());
    fs::remove(folder.path() / "levels.txt");
    folder.Write("levels.txt", Level(1) + Level(2) + Level(3));
    Go(3);
    EXPECT_EQ(form->Level, 3);
    EXPECT_EQ(form->RingsLeft, 3);
}

TEST_F(FileFaultsTest, AFifoOrADeviceInItsPlaceIsRefusedWithoutHanging) {
    ASSERT_EQ(::mkfifo((folder.path() / "levels.txt").c_str(), 0644), 0);
    Start(folder.path());
    Go(1);
    EXPECT_TRUE(EmptyBoard());
    fs::remove(folder.path() / "levels.txt");
    fs::create_symlink("/dev/zero", folder.path() / "levels.txt");
    Go(2);
    EXPECT_EQ(form->Level, 1);
    EXPECT_TRUE(EmptyBoard());
}

// Catches an open with O_CREAT that follows the link and makes its target, outside the folder.
TEST_F(FileFaultsTest, ADanglingLinkCreatesNothingAndIsTriedAgainWhileALiveLinkIsRead) {
    const fs::path elsewhere = folder.path() / "elsewhere";
    fs::create_directory(elsewhere);
    const fs::path game = folder.path() / "game";
    fs::create_directory(game);
    fs::create_symlink(elsewhere / "levels.txt", game / "levels.txt");
    Start(game);
    Go(2);
    EXPECT_EQ(form->Level, 1);
    EXPECT_TRUE(EmptyBoard());
    EXPECT_FALSE(platform->LevelFileIsOpen());
    EXPECT_TRUE(Listing(elsewhere).empty());
    EXPECT_TRUE(fs::is_symlink(game / "levels.txt"));
    // The link's target appears: the next load reads it through the link.
    folder.Write("elsewhere/levels.txt", Level(1) + Level(2));
    Go(2);
    EXPECT_EQ(form->Level, 2);
    EXPECT_EQ(form->RingsLeft, 2);
}

TEST_F(FileFaultsTest, AnUnreadableFileIsNeitherReadNorChanged) {
    folder.Write("levels.txt", Level(2));
    fs::permissions(folder.path() / "levels.txt", fs::perms::none);
    // Root reads anything: prove it as an ordinary user, in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        FakePlatform p(folder.path());
        p.record = false;
        Form1 f(p);
        f.Level = 1;
        f.LoadLevel(1);
        bool empty = f.RingsLeft == 0 && f.Level == 1 && !p.LevelFileIsOpen();
        ::_exit(empty ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fs::permissions(folder.path() / "levels.txt", fs::perms::owner_read | fs::perms::owner_write);
    std::ifstream in(folder.path() / "levels.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), Level(2));
}

TEST_F(FileFaultsTest, TruncatedGrownOrReplacedWhileHeldOpen) {
    folder.Write("levels.txt", Level(1) + Level(2) + Level(3));
    Start(folder.path());
    Go(3);
    EXPECT_EQ(form->RingsLeft, 3);
    fs::resize_file(folder.path() / "levels.txt", 0);
    Go(3);
    EXPECT_EQ(form->Level, 1);
    EXPECT_TRUE(EmptyBoard());
    // Grown again: the open file sees the new levels at the next load.
    {
        std::ofstream out(folder.path() / "levels.txt", std::ios::binary | std::ios::app);
        out << Level(4) << Level(5);
    }
    Go(2);
    EXPECT_EQ(form->Level, 2);
    EXPECT_EQ(form->RingsLeft, 5);
    // Replaced by another file under the same name: the game goes on with the one it holds.
    folder.Write("new.txt", Level(7));
    fs::rename(folder.path() / "new.txt", folder.path() / "levels.txt");
    Go(2);
    EXPECT_EQ(form->RingsLeft, 5);
    EXPECT_EQ(platform->opens, 1);
}

TEST_F(FileFaultsTest, TheLargestFileOfLevelsGoesRoundAtTheLargestNumber) {
    std::string file;
    file.reserve(32767u * 164u);
    const std::string ordinary = Level(1);
    for (int n = 1; n < 32767; ++n) file += ordinary;
    file += Level(9);
    folder.Write("levels.txt", file);
    Start(folder.path());
    platform->record = false;
    Go(32767);
    EXPECT_EQ(form->Level, 32767);
    EXPECT_EQ(form->RingsLeft, 9);
    Go(NextLevel(form->Level));
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(form->RingsLeft, 1);
}

TEST_F(FileFaultsTest, HighBytesAndNulsInRowsAreFloor) {
    std::string level = Level(3);
    level[18 * 3 + 2] = '\0';
    level[18 * 3 + 3] = static_cast<char>(0xE9);
    level[18 * 4 + 5] = static_cast<char>(0x80);
    folder.Write("levels.txt", level);
    Start(folder.path());
    Go(1);
    EXPECT_EQ(Cell(4, 3), Empty);
    EXPECT_EQ(Cell(4, 4), Empty);
    EXPECT_EQ(Cell(5, 6), Empty);
    EXPECT_EQ(form->RingsLeft, 3);
}

TEST_F(FileFaultsTest, AProgramFolderWithSpacesAndAccentsWorksAndOnlyTheFileIsCreated) {
    const fs::path odd = folder.path() / "Mes jeux" / "Été à Noël";
    fs::create_directories(odd);
    Start(odd);
    Go(1);
    EXPECT_TRUE(EmptyBoard());
    EXPECT_EQ(Listing(odd), std::vector<std::string>{"levels.txt"});
    EXPECT_EQ(fs::file_size(odd / "levels.txt"), 0u);
    {
        std::ofstream out(odd / "levels.txt", std::ios::binary | std::ios::app);
        out << Level(2);
    }
    Go(1);
    EXPECT_EQ(form->RingsLeft, 2);
    EXPECT_EQ(Listing(odd), std::vector<std::string>{"levels.txt"});
}

}  // namespace
}  // namespace kelo::test
