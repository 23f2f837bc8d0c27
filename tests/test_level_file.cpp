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

// Level n of a test file has n rings, so each level can be told by its rings.
std::string Numbered(int n) {
    std::string inside(14, '0');
    for (int i = 0; i < n && i < 13; ++i) inside[i + 1] = '2';
    return Walled({"30000000000000", inside, "00000000000004"});
}

std::string File(int levels) { return levels == 0 ? "" : File(levels - 1) + Numbered(levels); }

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

// The record arithmetic up to the largest level number, the levels going round past the last
// record (whole or without its empty line) or below 1, and a record with a digit that has no tile
// (5 to 9, first, inside or last byte) giving level 1, or an empty board when level 1 has one.
TEST_F(LevelFileTest, EachAskedLevelLoadsItsRecordOrLevelOne) {
    const std::string four = File(4), cut = four.substr(0, four.size() - 2);
    std::string bad1 = Numbered(1).replace(20, 1, "7"), big;
    for (int n = 1; n < INT16_MAX; ++n) big += Numbered(1);
    std::vector<std::tuple<std::string, int, int, int>> table = {  // file, level asked, level loaded, rings
        {four, 2, 2, 2}, {four, 4, 4, 4}, {four, 5, 1, 1}, {four, 1000, 1, 1}, {four, INT16_MAX, 1, 1},
        {four, 0, 1, 1}, {four, -1, 1, 1}, {four, INT16_MIN, 1, 1}, {cut, 4, 4, 4}, {cut, 5, 1, 1},
        {bad1 + Numbered(2), 2, 2, 2}, {bad1 + Numbered(2), 1, 1, 0}, {bad1 + Numbered(2) + bad1, 3, 1, 0},
        {big + Numbered(9), INT16_MAX, INT16_MAX, 9},
    };
    for (char digit = '5'; digit <= '9'; ++digit) {
        for (int at : {0, 77, 159}) table.emplace_back(File(2) + Numbered(3).replace(at, 1, 1, digit), 3, 1, 1);
    }
    for (const auto& [file, asked, level, rings] : table) {
        SCOPED_TRACE(std::to_string(asked) + " of " + std::to_string(file.size()) + " bytes");
        Load(file, static_cast<std::int16_t>(asked));
        Expect(level, rings, rings == 0 ? 0 : 46);
    }
}

// Bytes that are not digits are floor; of two balls the last read is the piece; a level without
// pieces leaves their places alone; a reload selects the ball again and restarts the clock.
TEST_F(LevelFileTest, CellsAndPiecesFollowTheReadingOrder) {
    const std::string odd = " a-+.\t\x01\x7f\xff\x80" + std::string("\0", 1) + "xyz\r", z(16, '0');
    Load(Record({odd + "3", "32" + z.substr(2), "4" + z.substr(1), z, z, z, z, z, z}));
    for (int col = 1; col <= 15; ++col) EXPECT_EQ(Cell(1, col), Empty) << col;
    EXPECT_EQ(Cell(1, 16), Ball);
    const auto at = [&](int piece) { return std::pair<int, int>(form->PieceRow[piece], form->PieceCol[piece]); };
    EXPECT_EQ(at(1), std::pair(2, 1));
    EXPECT_EQ(at(2), std::pair(3, 1));
    Key(32);
    platform->now += 5000;
    folder.Write("levels.txt", Record({"2" + z.substr(1)}));
    Go(1);
    Expect(1, 1, 0);
    EXPECT_EQ(at(1), std::pair(2, 1));
    EXPECT_EQ(form->Selected, 1);
    EXPECT_EQ(form->LoadTime, platform->now);
}

// A read that fails within a record gives no level, rather than a level whose unread rows are floor.
TEST(LevelReader, AReadErrorIsNoLevel) {
    const std::string file = File(2);
    EXPECT_TRUE(ReadLevel(FailingBytes(file, kRecordSize * 2), 2));
    EXPECT_FALSE(ReadLevel(FailingBytes(file, kRecordSize + 5 * kRowPitch), 2));
}

// Each row: the game's folder as it is found, the first load (of level 3); a change, the second
// load (of level 2). The game never hangs, never writes a byte, creates nothing but its own empty
// file, tries a file it could not use again at the next load, and reads the one it holds as it is.
TEST_F(LevelFileTest, EveryFaultOfTheFileGivesLevelOneOrAnEmptyBoard) {
    using Step = std::function<void(const fs::path&)>;  // on the level file's path
    const std::string three = File(3);
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
        {"dangling link", [](auto& f) { fs::create_symlink("../elsewhere/levels.txt", f); }, good, 0, 2, 2, 46},
        {"directory", [](auto& f) { fs::create_directory(f); }, replace, 0, 2, 2, 46},
        {"fifo", [](auto& f) { ::mkfifo(f.c_str(), 0644); }, replace, 0, 2, 2, 46},
        {"device", [](auto& f) { fs::create_symlink("/dev/zero", f); }, replace, 0, 2, 2, 46},
        {"unreadable", [&](auto& f) { good(f), fs::permissions(f, fs::perms::none); },
         [](auto& f) { fs::permissions(f, fs::perms::owner_read); }, 0, 2, 2, 46},
        {"rewritten in place", good,
         [](auto& f) { std::fstream(f, std::ios::in | std::ios::out).seekp(164) << Numbered(7); }, 3, 2, 7, 46},
        {"renamed over", good, [](auto& f) { std::ofstream(f.string() + "~"), fs::rename(f.string() + "~", f); },
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
            if (const pid_t child = ::fork(); child == 0) {
                const bool user = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
                Go(3);
                ::_exit(user && form->Level == 1 && Tiles(Empty) == kCells && !platform->LevelFileIsOpen() ? 0 : 1);
            } else {
                int status = -1;
                EXPECT_TRUE(::waitpid(child, &status, 0) == child && status == 0);
            }
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
