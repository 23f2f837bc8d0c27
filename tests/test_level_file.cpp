// The level file through the real loader: its records, the fall-back to level 1, and every way
// the file can go wrong on a player's machine.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/game_fixture.h"
#include "support/invariants.h"

namespace kelo::test {
namespace {

namespace fs = std::filesystem;

class LevelFileTest : public GameTest {
protected:
    int Tiles(std::uint8_t code) const {
        return static_cast<int>(std::count(form->Board.cells().begin(), form->Board.cells().end(), code));
    }
    // The level shown, its rings and its walls (46 in a whole test level, none on an empty board).
    void Expect(int level, int rings, int walls) {
        EXPECT_EQ(BrokenInvariant(*form, *platform), "");
        EXPECT_EQ(form->Level, level);
        EXPECT_EQ(form->RingsLeft, rings);
        EXPECT_EQ(Tiles(Wall), walls);
    }
    void Go(int level) {
        form->Level = static_cast<std::int16_t>(level);
        form->LoadLevel(form->Level);
    }
};

TEST_F(LevelFileTest, EachLevelLoadsItsOwnRecord) {
    Load(NumberedFile(4), 2);
    Expect(2, 2, 46);
    Load(NumberedFile(4), 4);
    Expect(4, 4, 46);
}

TEST_F(LevelFileTest, ALevelPastTheLastRecordOrBelowOneGivesLevelOne) {
    for (int asked : {5, 1000, INT16_MAX, 0, -1, INT16_MIN}) {
        Load(NumberedFile(4), static_cast<std::int16_t>(asked));
        Expect(1, 1, 46);
    }
}

// The record's offset must not overflow: 32,766 records come before the last level.
TEST_F(LevelFileTest, TheLargestLevelNumberLoadsItsRecord) {
    std::string file;
    for (int n = 1; n < INT16_MAX; ++n) file += Numbered(1);
    Load(file + Numbered(9), INT16_MAX);
    Expect(INT16_MAX, 9, 46);
}

// A digit 5 to 9, the first, a middle or the last byte of a record, has no tile.
TEST(LevelReader, ADigitWithoutATileIsNoLevel) {
    for (char digit = '5'; digit <= '9'; ++digit) {
        for (int at : {0, 77, 159}) EXPECT_FALSE(ReadLevel(MemoryBytes(Numbered(3).replace(at, 1, 1, digit)), 1)) << digit << at;
    }
}

// What an editor shows of a level that the game refuses: every row, the digits 5 to 9 kept.
TEST(LevelReader, TheCellsOfALevelKeepTheDigitsWithoutATile) {
    const auto cells = ReadCells(MemoryBytes(Walled({"3", "", "", "", "", "", "00000000000007"})), 1);
    ASSERT_TRUE(cells);
    EXPECT_EQ((*cells)(2, 2), Ball);
    EXPECT_EQ((*cells)(8, 15), 7);
}

TEST(LevelReader, BytesThatAreNoDigitsAreFloor) {
    const std::string odd = " a-+.\t\x01\x7f\xff\x80" + std::string("\0", 1) + "xyz\r3";
    const std::string floor(16, '0');
    const Board board = ReadLevel(MemoryBytes(Record({odd, floor, floor, floor, floor, floor, floor, floor, floor})), 1)->board;
    EXPECT_EQ(board, BoardOf(Record({"0000000000000003", floor, floor, floor, floor, floor, floor, floor, floor})));
}

// Rows that begin past the end of the bytes are floor, even where the memory goes on.
TEST(LevelReader, RowsPastTheEndOfTheBytesAreFloor) {
    const std::string walls(16, '1');
    const std::string file = Record({walls, walls, walls, walls, walls, walls, walls, walls, walls});
    const std::string floor(16, '0');
    const auto level = ReadLevel(MemoryBytes(std::string_view(file).substr(0, 100)), 1);
    ASSERT_TRUE(level);
    EXPECT_EQ(level->board, BoardOf(Record({walls, walls, walls, walls, walls, "1111111111000000", floor, floor, floor})));
}

TEST_F(LevelFileTest, TheLineBufferHoldsRowNineAfterALoad) {
    const std::string floor(16, '0');
    Load(Record({"3000000000000000", floor, floor, floor, floor, floor, floor, floor, "0123401234012340"}));
    EXPECT_EQ(std::string(form->LineBuffer.data(), 16), "0123401234012340");
}

TEST_F(LevelFileTest, OfTwoBallsTheLastReadIsThePiece) {
    Load(Walled({"00000000000003", "3"}));
    EXPECT_EQ(BallAt(), std::pair(3, 2));
}

TEST_F(LevelFileTest, ALevelWithoutPiecesLeavesTheirPlacesAlone) {
    Load(Walled({"3", "4"}) + Walled({"2"}));
    Go(2);
    EXPECT_EQ(BallAt(), std::pair(2, 2));
    EXPECT_EQ(SquareAt(), std::pair(3, 2));
}

// A read that fails within a record gives no level, rather than a level whose unread rows are floor.
TEST(LevelReader, AReadErrorIsNoLevel) {
    const std::string file = NumberedFile(2);
    EXPECT_TRUE(ReadLevel(FailingBytes(file, kRecordSize * 2), 2));
    EXPECT_FALSE(ReadLevel(FailingBytes(file, kRecordSize + 5 * kRowPitch), 2));
}

// Each row: the game's folder as it is found, the first load (of level 3); a change, the second
// load (of level 2). The game never hangs, never writes a byte, creates nothing but its own empty
// file, tries a file it could not use again at the next load, and reads the one it holds as it is.
TEST_F(LevelFileTest, EveryFaultOfTheFileGivesLevelOneOrAnEmptyBoard) {
    using Step = std::function<void(const fs::path&)>;  // on the level file's path
    const std::string three = NumberedFile(3);
    const Step good = [&](const fs::path& f) { std::ofstream(f, std::ios::binary) << three; };
    const Step replace = [&](const fs::path& f) {
        fs::remove(f);
        good(f);
    };
    const auto resize = [](int size) { return [=](const fs::path& f) { fs::resize_file(f, size); }; };
    const struct {
        const char* name;
        Step make, change;
        int rings1, level2, rings2, walls2;  // the first load gives level 3, or level 1 with no rings
    } table[] = {
        {"missing", [](auto&) {}, good, 0, 2, 2, 46},
        // Written through only while it is still the link: one the game replaced gives no level 2.
        {"dangling link", [](auto& f) { fs::create_symlink("../elsewhere/levels.txt", f); },
         [&](auto& f) { if (fs::is_symlink(f)) good(f); }, 0, 2, 2, 46},
        {"directory", [](auto& f) { fs::create_directory(f); }, replace, 0, 2, 2, 46},
        {"fifo", [](auto& f) { ::mkfifo(f.c_str(), 0644); }, replace, 0, 2, 2, 46},
        {"device", [](auto& f) { fs::create_symlink("/dev/zero", f); }, replace, 0, 2, 2, 46},
        {"unreadable",
         [&](auto& f) {
             good(f);
             fs::permissions(f, fs::perms::none);
         },
         [](auto& f) { fs::permissions(f, fs::perms::owner_read); }, 0, 2, 2, 46},
        {"rewritten in place", good,
         [](auto& f) { std::fstream(f, std::ios::in | std::ios::out).seekp(164) << Numbered(7); }, 3, 2, 7, 46},
        {"renamed over", good,
         [](auto& f) {
             std::ofstream(f.string() + "~").close();
             fs::rename(f.string() + "~", f);
         },
         3, 2, 2, 46},  // the game goes on with the file it holds
        {"cut to one record", good, resize(164), 3, 1, 1, 46},
        {"cut inside a record", good, resize(100), 3, 1, 1, 25},  // the rows cut off are floor
        {"emptied", good, resize(0), 3, 1, 0, 0},
    };
    for (const auto& f : table) {
        SCOPED_TRACE(f.name);
        const fs::path game = folder.path() / f.name / "Mes jeux à Noël", elsewhere = game / "../elsewhere";
        fs::create_directories(game);
        fs::create_directories(elsewhere);
        f.make(game / "levels.txt");
        platform = std::make_unique<FakePlatform>(game);
        form = std::make_unique<Form1>(*platform);
        if (f.name == std::string("unreadable")) {
            // Root reads anything: the first load as an ordinary user, in a child process.
            const pid_t child = ::fork();
            if (child == 0) {
                const bool user = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
                Go(3);
                ::_exit(user && form->Level == 1 && Tiles(Empty) == kCells && !platform->LevelFileIsOpen() ? 0 : 1);
            }
            int status = -1;
            EXPECT_TRUE(::waitpid(child, &status, 0) == child && status == 0);
        } else {
            Go(3);
            Expect(f.rings1 == 0 ? 1 : 3, f.rings1, f.rings1 == 0 ? 0 : 46);
            EXPECT_LE(platform->opens, 2);  // never a loop
            EXPECT_TRUE(fs::is_empty(elsewhere));
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(game), {}), 1);  // a missing file is made, nothing else
        f.change(game / "levels.txt");
        Go(2);
        Expect(f.level2, f.rings2, f.walls2);
    }
}

}  // namespace
}  // namespace kelo::test
