// The level file through the real loader: its records, the fall-back to level 1, and every way
// the file can go wrong on a player's machine.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

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

std::string File(int levels) {
    std::string s;
    for (int n = 1; n <= levels; ++n) s += Numbered(n);
    return s;
}

class LevelFileTest : public GameTest {
protected:
    int Tiles(std::uint8_t code) const {
        return static_cast<int>(std::count(form->Board.cells().begin(), form->Board.cells().end(), code));
    }
    // Loads `level` and checks the level shown, its rings and its walls (an empty board has none).
    void Expect(int level, int rings, int walls) {
        EXPECT_EQ(BrokenInvariant(*form, *platform), "");
        EXPECT_EQ(form->Level, level);
        EXPECT_EQ(form->RingsLeft, rings);
        EXPECT_EQ(Tiles(Wall), walls);
    }
    void Start(const fs::path& game) {
        platform = std::make_unique<FakePlatform>(game);
        form = std::make_unique<Form1>(*platform);
    }
    void Go(int level) {
        form->Level = static_cast<std::int16_t>(level);
        form->LoadLevel(form->Level);
    }
};

// The record arithmetic, the levels going round past the last record or below 1, and a record
// with a digit that has no tile (5 to 9) giving level 1, or an empty board when level 1 has one.
TEST_F(LevelFileTest, EachAskedLevelLoadsItsRecordOrLevelOne) {
    struct Row {
        std::string file;
        int asked, level, rings;
    };
    const std::string four = File(4), noLastEmptyLine = four.substr(0, four.size() - 2);
    std::string bad1 = Numbered(1), big;
    bad1[20] = '7';
    for (int n = 1; n < INT16_MAX; ++n) big += Numbered(1);
    std::vector<Row> table = {
        {four, 2, 2, 2}, {four, 4, 4, 4}, {four, 5, 1, 1}, {four, 1000, 1, 1}, {four, INT16_MAX, 1, 1},
        {four, 0, 1, 1}, {four, -1, 1, 1}, {four, INT16_MIN, 1, 1}, {noLastEmptyLine, 4, 4, 4},
        {noLastEmptyLine, 5, 1, 1}, {bad1 + Numbered(2), 2, 2, 2}, {bad1 + Numbered(2), 1, 1, 0},
        {bad1 + Numbered(2) + bad1, 3, 1, 0}, {big + Numbered(9), INT16_MAX, INT16_MAX, 9},
    };
    for (char digit : {'5', '6', '7', '8', '9'}) {
        for (int at : {0, 77, 159}) {
            std::string bad = Numbered(3);
            bad[at] = digit;
            table.push_back({File(2) + bad, 3, 1, 1});
        }
    }
    for (const Row& row : table) {
        SCOPED_TRACE(std::to_string(row.asked) + " of " + std::to_string(row.file.size()) + " bytes");
        Load(row.file, static_cast<std::int16_t>(row.asked));
        Expect(row.level, row.rings, row.rings == 0 ? 0 : 46);
    }
}

// Bytes that are not digits are floor; of two balls the last read is the piece; a level without
// pieces leaves their places alone; a reload resets the selection, the moves and the clock.
TEST_F(LevelFileTest, CellsAndPiecesFollowTheReadingOrder) {
    const std::string odd = " a-+.\t\x01\x7f\xff\x80" + std::string("\0", 1) + "xyz\r", z(16, '0');
    ASSERT_EQ(odd.size(), 15u);
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
    EXPECT_FALSE(form->PieceOnBoard(1));
    EXPECT_EQ(form->Selected, 1);
    EXPECT_EQ(form->LoadTime, platform->now);
}

// Each row: the game's folder as it is found, then the first load (of level 3); a change, then
// the second load (of level 2). The game never hangs, never writes a byte, never creates anything
// but its own empty file, tries a file it could not use again, and reads the one it holds as it is.
TEST_F(LevelFileTest, EveryFaultOfTheFileGivesLevelOneOrAnEmptyBoard) {
    using Step = std::function<void(const fs::path&)>;
    struct Fault {
        const char* name;
        Step make, change;
        bool held;
        int level1, rings1, level2, rings2, walls2;
    };
    const std::string three = File(3);
    const auto write = [](const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; };
    const Step replace = [&](const fs::path& d) { fs::remove(d / "levels.txt"), write(d / "levels.txt", three); };
    const Step good = [&](const fs::path& d) { write(d / "levels.txt", three); };
    const auto resize = [](std::uintmax_t size) { return [=](const fs::path& d) { fs::resize_file(d / "levels.txt", size); }; };
    const Fault table[] = {
        {"missing", [](auto&) {}, [&](auto& d) { std::ofstream(d / "levels.txt", std::ios::app) << three; }, true, 1, 0, 2, 2, 46},
        {"dangling link", [](auto& d) { fs::create_symlink(d / "../elsewhere/levels.txt", d / "levels.txt"); },
         [&](auto& d) { write(d / "../elsewhere/levels.txt", three); }, false, 1, 0, 2, 2, 46},
        {"directory", [](auto& d) { fs::create_directory(d / "levels.txt"); }, replace, false, 1, 0, 2, 2, 46},
        {"fifo", [](auto& d) { ::mkfifo((d / "levels.txt").c_str(), 0644); }, replace, false, 1, 0, 2, 2, 46},
        {"device", [](auto& d) { fs::create_symlink("/dev/zero", d / "levels.txt"); }, replace, false, 1, 0, 2, 2, 46},
        {"unreadable", [&](auto& d) { good(d), fs::permissions(d / "levels.txt", fs::perms::none); },
         [](auto& d) { fs::permissions(d / "levels.txt", fs::perms::owner_read); }, false, 1, 0, 2, 2, 46},
        {"rewritten in place", good, [](auto& d) {
             std::fstream(d / "levels.txt", std::ios::binary | std::ios::in | std::ios::out).seekp(164) << Numbered(7);
         }, true, 3, 3, 2, 7, 46},
        {"renamed over", good, [&](auto& d) { write(d / "new", Numbered(7) + Numbered(7)), fs::rename(d / "new", d / "levels.txt"); },
         true, 3, 3, 2, 2, 46},
        {"cut to one record", good, resize(164), true, 3, 3, 1, 1, 46},
        {"cut inside a record", good, resize(100), true, 3, 3, 1, 1, 25},  // the rows cut off are floor
        {"emptied", good, resize(0), true, 3, 3, 1, 0, 0},
    };
    for (const Fault& f : table) {
        SCOPED_TRACE(f.name);
        const fs::path game = folder.path() / f.name / "Mes jeux à Noël", elsewhere = folder.path() / f.name / "elsewhere";
        fs::create_directories(game);
        fs::create_directories(elsewhere);
        f.make(game);
        if (f.name == std::string("unreadable")) {
            // Root reads anything: the first load as an ordinary user, in a child process.
            const pid_t child = ::fork();
            if (child == 0) {
                if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
                Start(game);
                Go(3);
                ::_exit(form->Level == 1 && Tiles(Empty) == kCells && !platform->LevelFileIsOpen() ? 0 : 1);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            f.change(game);
            Start(game);
        } else {
            Start(game);
            Go(3);
            Expect(f.level1, f.rings1, f.rings1 == 0 ? 0 : 46);
            EXPECT_EQ(platform->LevelFileIsOpen(), f.held);
            EXPECT_LE(platform->opens, 2);  // never a loop
            EXPECT_TRUE(fs::is_empty(elsewhere));
            f.change(game);
        }
        Go(2);
        Expect(f.level2, f.rings2, f.walls2);
        EXPECT_TRUE(!f.held || platform->opens == 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(game), {}), 1);
    }
}

}  // namespace
}  // namespace kelo::test
