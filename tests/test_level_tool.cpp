// The level designer's tool: its reports on broken files, its solutions replayed through the game.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstdio>
#include <memory>
#include <regex>

#include "bench/reference_solver.h"
#include "support/game_fixture.h"
#include "tools/level_check.h"
#include "tools/solver.h"

namespace kelo::test {
namespace {

std::vector<std::string> Report(const std::string& file) {
    std::vector<std::string> lines;
    for (const Finding& f : CheckLevels(file)) lines.push_back(FormatFinding(f));
    return lines;
}

const std::string kGood = Walled({"30000000000002", "00000000000004"});

TEST(LevelCheck, ASoundFileHasNothingToReport) {
    EXPECT_TRUE(Report(kGood + kGood).empty());
    std::string noLastEmptyLine = kGood + kGood;
    noLastEmptyLine.resize(noLastEmptyLine.size() - 2);
    EXPECT_TRUE(Report(noLastEmptyLine).empty());
}

TEST(LevelCheck, ReportsLineEndAndSizeFaultsWhereTheyStart) {
    std::string lf;
    for (char c : kGood) {
        if (c != '\r') lf += c;
    }
    auto r = Report(lf);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0], "level 1, row 1, column 17: the line ends in LF alone; every line must end in CR LF; "
                    "from here on the game reads every level out of step");
    // The line ends that then fall into cells are the same fault: not one line each.
    for (const std::string& line : Report(lf + lf + lf)) {
        EXPECT_EQ(line.find("CR is read"), std::string::npos) << line;
        EXPECT_EQ(line.find("LF is read"), std::string::npos) << line;
    }

    std::string missing = kGood + kGood;
    missing.erase(164 + 18 * 2 + 5, 1);  // level 2, row 3 loses a character
    r = Report(missing);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0], "level 2, row 3, column 17: the line has 15 characters, expected 16; "
                    "from here on the game reads every level out of step");

    std::string extra = kGood + kGood;
    extra.insert(164 + 18 * 8 + 3, "0");  // level 2, row 9 gains one
    r = Report(extra);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0], "level 2, row 9, column 17: the line has 17 characters, expected 16; "
                    "from here on the game reads every level out of step");

    std::string notEmpty = kGood;
    notEmpty.insert(162, "1");
    r = Report(notEmpty + kGood);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0], "level 1, empty line: the line has 1 characters, expected 0; "
                    "from here on the game reads every level out of step");

    r = Report(kGood + kGood.substr(0, 50));
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r[0], "level 2, row 3, column 15: the record is cut short: the file ends here");
    EXPECT_EQ(r.back(), "level 2: the file ends in a partial record of 50 bytes (a level is 164 bytes: nine lines "
                        "of 16 characters and an empty line, each ended by CR LF)");
}

TEST(LevelCheck, ReportsCellsThePiecesAndTheRings) {
    std::string file = kGood + Walled({"3 0000000000002", "000x0000000004"}) + Walled({"30000000000002", "00700000000004"}) +
                       Walled({"33000000000002", "00000000000044"}) + Walled({"00000000000000"});
    file.erase(164 + 18 + 16, 1);  // the blank made row 2 of level 2 17 wide; put it back to 16
    EXPECT_EQ(Report(file), (std::vector<std::string>{
                                "level 2, row 2, column 3: space is read as empty; write 0",
                                "level 2, row 3, column 5: 'x' is read as empty; write 0",
                                "level 3, row 3, column 4: digit 7 has no tile: the game loads level 1 instead",
                                "level 4: 2 balls (3): only the last, at row 2, column 3, moves; the others are walls",
                                "level 4: 2 squares (4): only the last, at row 3, column 15, moves; the others are walls",
                                "level 5: no ball (3): the level cannot be won",
                                "level 5: no square (4)",
                                "level 5: no ring (2): the first key press wins the level",
                            }));
    EXPECT_EQ(Report(""), (std::vector<std::string>{"file: the file is empty: the game shows an empty level 1"}));
}

// Plays a solution through the game's own key handler and says whether it won the level.
bool Replay(const std::string& level, const std::vector<Move>& moves, int& boxes) {
    TempFolder folder;
    folder.Write("levels.txt", level + level);
    FakePlatform platform(folder.path());
    platform.checked[Setting::Animation] = false;
    Form1 form(platform);
    form.CrLf = "\r\n";
    form.Level = 1;
    form.LoadLevel(1);
    for (const Move& m : moves) {
        if (form.Selected != m.piece) form.Form_KeyDown(32, 0);
        const int before = form.MoveCount;
        form.Form_KeyDown(static_cast<std::int16_t>(37 + static_cast<int>(m.direction)), 0);
        if (form.MoveCount != before + 1 && platform.boxes.empty()) return false;  // a refused move
    }
    boxes = static_cast<int>(platform.boxes.size());
    return boxes == 1 && form.Level == 2 &&
           platform.boxes[0].first.find("Nombre de mouvements : " + std::to_string(moves.size()) + "\r\n") !=
               std::string::npos;
}

Puzzle LoadedPuzzle(const std::string& level) {
    TempFolder folder;
    folder.Write("levels.txt", level);
    FakePlatform platform(folder.path());
    Form1 form(platform);
    form.Level = 1;
    form.LoadLevel(1);
    return kelo::PuzzleOf(form);
}

TEST(Solver, FindsTheFewestMovesAndTheGameAgrees) {
    const std::string levels[] = {
        // the ball alone, three slides
        Walled({"30000000000002", "00000000000000", "00000000000000", "00000000000000", "00000000000000",
                "00000000000000", "20000000000000"}),
        // a ring in open floor: the square has to be a stop
        Walled({"30000000000000", "00000000000000", "00000020000000", "00000000000000", "00000000000000",
                "00000000000000", "40000000000000"}),
        // rings on the way and at the end, extra tiles that block
        Walled({"32020000000010", "00001000000000", "00000000000020", "00000000000000", "00300002000000",
                "00000000000000", "20000000000004"}),
    };
    int expectedMoves[] = {3, -1, -1};
    for (std::size_t i = 0; i < std::size(levels); ++i) {
        const Solution s = Solve(LoadedPuzzle(levels[i]));
        ASSERT_EQ(s.outcome, Outcome::Solved) << i;
        if (expectedMoves[i] >= 0) {
            EXPECT_EQ(static_cast<int>(s.moves.size()), expectedMoves[i]);
        }
        int boxes = 0;
        EXPECT_TRUE(Replay(levels[i], s.moves, boxes)) << "level " << i << " boxes " << boxes;
        // No shorter sequence: the game does not win one move earlier.
        if (!s.moves.empty()) {
            std::vector<Move> shorter(s.moves.begin(), s.moves.end() - 1);
            EXPECT_FALSE(Replay(levels[i], shorter, boxes)) << i;
        }
    }
    SolveOptions ballOnly;
    ballOnly.squareMayMove = false;
    EXPECT_EQ(Solve(LoadedPuzzle(levels[0]), ballOnly).moves.size(), 3u);
    EXPECT_EQ(Solve(LoadedPuzzle(levels[1]), ballOnly).outcome, Outcome::Unsolvable);
}

TEST(Solver, SaysUnsolvableAndUnknownAndHandlesNoPieces) {
    const std::string walledIn = Walled({"31200000000000", "11000000000004"});
    EXPECT_EQ(Solve(LoadedPuzzle(walledIn)).outcome, Outcome::Unsolvable);
    const std::string noBall = Walled({"00000000000002", "00000000000004"});
    EXPECT_EQ(Solve(LoadedPuzzle(noBall)).outcome, Outcome::Unsolvable);
    const std::string noRing = Walled({"30000000000000"});
    const Solution free = Solve(LoadedPuzzle(noRing));
    EXPECT_EQ(free.outcome, Outcome::Solved);
    EXPECT_TRUE(free.moves.empty());
    SolveOptions tiny;
    tiny.maxStates = 3;
    const std::string open = Walled({"30000000000000", "00020000000000", "00000000200000", "00000000000000",
                                     "00000200000000", "00000000000000", "40000000000002"});
    EXPECT_EQ(Solve(LoadedPuzzle(open), tiny).outcome, Outcome::Unknown);
}

TEST(Solver, CopesWithMoreRingsThanAWordHolds) {
    std::vector<std::string> rows(7, std::string(14, '2'));
    rows[0][0] = '3';
    rows[6][13] = '4';
    const Solution s = Solve(LoadedPuzzle(Walled(rows)));
    ASSERT_EQ(s.outcome, Outcome::Solved);
    int boxes = 0;
    EXPECT_TRUE(Replay(Walled(rows), s.moves, boxes));
}

// The fast search against the plain one of bench/ on random levels: walls, open edges, extra
// piece tiles, a missing piece, up to 60 rings. Both visit states in the same order, so they must
// agree on the outcome, the fewest moves and even the number of states, capped or not; and each
// solution must win in the game.
TEST(Solver, AgreesWithThePlainSearchOnRandomLevels) {
    std::uint32_t seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    int solved = 0, capped = 0;
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> rows(9, std::string(16, '0'));
        const int walls = next(40), rings = round % 10 == 9 ? 49 + next(12) : next(12);
        auto put = [&](char c, int n) {
            for (int k = 0; k < n; ++k) rows[static_cast<std::size_t>(next(9))][static_cast<std::size_t>(next(16))] = c;
        };
        put('1', walls);
        put('2', rings);
        put('3', next(8) == 0 ? 0 : 1 + (next(6) == 0));
        put('4', next(6) == 0 ? 0 : 1 + (next(6) == 0));
        const std::string level = Record(rows);
        const Puzzle puzzle = LoadedPuzzle(level);
        for (bool squareMoves : {true, false}) {
            SolveOptions options;
            options.squareMayMove = squareMoves;
            options.maxStates = 5000;
            const Solution fast = Solve(puzzle, options);
            const bench::ReferenceResult plain = bench::ReferenceSolve(puzzle, squareMoves, options.maxStates);
            ASSERT_EQ(fast.outcome, plain.outcome) << level;
            ASSERT_EQ(fast.states, plain.states) << level;
            if (fast.outcome == Outcome::Solved) {
                ++solved;
                ASSERT_EQ(static_cast<int>(fast.moves.size()), plain.moves) << level;
                int boxes = 0;
                // A level with no ring is won by any first key, which Replay does not press.
                if (!fast.moves.empty()) {
                    EXPECT_TRUE(Replay(level, fast.moves, boxes)) << level;
                }
            }
            capped += fast.outcome == Outcome::Unknown;
        }
    }
    EXPECT_GT(solved, 100);  // the random levels are not all trivial failures...
    EXPECT_GT(capped, 5);    // ...and some reach the cap
}

// The command line: exit status and first line of output.
std::pair<int, std::string> Tool(const std::string& args) {
    const std::string command = std::string(KELO_LEVELS_TOOL) + " " + args + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    std::array<char, 512> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe.get())) out += buffer.data();
    const int status = ::pclose(pipe.release());
    return {WEXITSTATUS(status), out};
}

TEST(LevelTool, CommandLineGivesClearMessagesAndExitCodes) {
    TempFolder folder;
    const std::string dir = folder.path().string();
    folder.Write("good.txt", kGood + kGood);
    folder.Write("empty.txt", "");
    std::string garbage;
    for (int i = 0; i < 512; ++i) garbage += static_cast<char>(i * 7 % 256);
    folder.Write("garbage.txt", garbage);

    auto [status, out] = Tool("check " + dir + "/good.txt");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "2 levels, all sound\n");
    std::tie(status, out) = Tool("check " + dir + "/garbage.txt");
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("level 1, row 1, column 1: NUL is read as empty"), std::string::npos);
    std::tie(status, out) = Tool("check " + dir + "/missing.txt");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(out, "kelo-levels: cannot read " + dir + "/missing.txt: No such file or directory\n");
    std::tie(status, out) = Tool("check " + dir);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(out, "kelo-levels: cannot read " + dir + ": it is a directory\n");
    std::tie(status, out) = Tool("check " + dir + "/empty.txt");
    EXPECT_EQ(status, 1);
    std::tie(status, out) = Tool("solve " + dir + "/empty.txt");
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("holds no level"), std::string::npos);
    std::tie(status, out) = Tool("solve " + dir + "/garbage.txt");
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(out.starts_with("level 1: unsolvable")) << out;

    std::tie(status, out) = Tool("solve " + dir + "/good.txt --level 2");
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::regex_match(out, std::regex("level 2: [0-9]+ ball [a-z]+(, (ball|square) [a-z]+)*; square not "
                                                 "needed \\([0-9]+ moves without moving it\\)\n")))
        << out;
    for (const char* bad : {"--level 3", "--level 0", "--level x", "--level -1", "--level 99999", "--max-states 0",
                            "--frobnicate"}) {
        std::tie(status, out) = Tool("solve " + dir + "/good.txt " + bad);
        EXPECT_EQ(status, 2) << bad;
        EXPECT_TRUE(out.starts_with("kelo-levels: ")) << out;
    }
    std::tie(status, out) = Tool("");
    EXPECT_EQ(status, 2);
    std::tie(status, out) = Tool("play " + dir + "/good.txt");
    EXPECT_EQ(status, 2);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

struct ToolRun {
    int status = -1;       // the exit status, or 128 + the signal
    std::string out;       // stdout and stderr
    long peakKib = 0;      // the largest resident set
};

// The tool in a child whose address space is limited to `limitMib` (not under AddressSanitizer,
// which needs terabytes of it), with its output in a file.
ToolRun Limited(const std::vector<std::string>& args, long limitMib, const std::filesystem::path& output) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (!kAddressSanitizer) {
            const rlim_t bytes = static_cast<rlim_t>(limitMib) << 20;
            const struct rlimit limit {bytes, bytes};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        std::vector<char*> argv{const_cast<char*>(KELO_LEVELS_TOOL)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ToolRun run;
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.peakKib = usage.ru_maxrss;
    std::ifstream in(output, std::ios::binary);
    run.out.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

std::size_t Lines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// Faults: a 2 GiB file was read whole (and copied once per level), so check and solve died of
// std::bad_alloc; a file of NULs printed gigabytes; levels past 32,767 were sound to check but
// unloadable to solve.
TEST(LevelTool, BigFilesAreReadRecordByRecordWithABoundedReport) {
    TempFolder folder;
    const auto big = folder.path() / "big.txt";
    std::ofstream(big).close();
    std::filesystem::resize_file(big, 2ull << 30);  // sparse: nothing but NULs
    const auto output = folder.path() / "out.txt";
    const std::string levels = std::to_string((2ull << 30) / 164 + 1);

    ToolRun run = Limited({"check", big.string()}, 512, output);
    EXPECT_EQ(run.status, 1) << run.out.substr(0, 500);
    EXPECT_LE(Lines(run.out), 1003u);
    EXPECT_NE(run.out.find("file: levels 32768 to " + levels + " lie past level 32767, the last the game can reach"),
              std::string::npos);
    EXPECT_TRUE(run.out.ends_with("more problems in the levels, not listed\n" + levels + " levels, 4816751 problems\n"))
        << run.out.substr(run.out.size() > 300 ? run.out.size() - 300 : 0);

    run = Limited({"solve", big.string(), "--level", "1"}, 512, output);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "level 1: 0 (no ring: the first key press wins)\n");

    // Solve agrees with check: the levels past 32767 are one problem, and the rest are solved.
    run = Limited({"solve", big.string()}, 512, output);
    EXPECT_EQ(run.status, 1) << run.out.substr(0, 500);
    EXPECT_EQ(Lines(run.out), 32768u);
    EXPECT_TRUE(run.out.ends_with("level 32767: 0 (no ring: the first key press wins)\nlevels 32768 to " + levels +
                                  ": unsolvable (past level 32767, the last the game can reach: it never loads them)\n"))
        << run.out.substr(run.out.size() > 300 ? run.out.size() - 300 : 0);
}

// Faults: a state limit was taken whatever the memory (100 million states aborted), and a level
// of many rings took three times the memory of the same limit on an ordinary level.
TEST(LevelTool, SearchesStayWithinMemory) {
    if (kAddressSanitizer) GTEST_SKIP() << "memory limits and sizes mean nothing under AddressSanitizer";
    TempFolder folder;
    folder.Write("good.txt", kGood);
    const auto output = folder.path() / "out.txt";
    ToolRun run = Limited({"solve", (folder.path() / "good.txt").string(), "--max-states", "100000000"}, 512, output);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(std::regex_match(run.out, std::regex("kelo-levels: a search of up to 100000000 states needs [0-9]+ MiB, "
                                                     "more than the [0-9]+ MiB of memory available: lower --max-states\n")))
        << run.out;

    // 90 rings and a few walls: far more states than the limit.
    folder.Write("rings.txt", Walled({"22222222222222", "22222222242222", "22221222222222", "22112222222222",
                                      "22213222212122", "22222222222222", "22222222222222"}));
    run = Limited({"solve", (folder.path() / "rings.txt").string()}, 400, output);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(std::regex_match(run.out, std::regex("level 1: unknown \\(gave up after [0-9]+ states\\)\n"))) << run.out;
    EXPECT_LT(run.peakKib, 200 * 1024);
}

}  // namespace
}  // namespace kelo::test

namespace kelo::test {
namespace {

std::string ShippedLevels() {
    std::ifstream in(std::string(KELO_SOURCE_DIR) + "/levels.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every shipped level is won in the game itself by the tool's solution, keys and all.
TEST(ShippedLevels, EverySolutionWinsInTheGame) {
    const std::string file = ShippedLevels();
    const int levels = LevelCount(file.size());
    ASSERT_GE(levels, 30);
    TempFolder folder;
    folder.Write("levels.txt", file);
    FakePlatform platform(folder.path());
    platform.checked[Setting::Animation] = false;
    Form1 form(platform);
    form.CrLf = "\r\n";
    bool ringStoppedTheSquare = false;
    for (int level = 1; level <= levels; ++level) {
        form.Level = static_cast<std::int16_t>(level);
        form.LoadLevel(form.Level);
        ASSERT_EQ(form.Level, level);
        const Solution s = Solve(kelo::PuzzleOf(form));
        ASSERT_EQ(s.outcome, Outcome::Solved) << level;
        platform.boxes.clear();
        for (const Move& m : s.moves) {
            if (form.Selected != m.piece) form.Form_KeyDown(32, 0);
            form.Form_KeyDown(static_cast<std::int16_t>(37 + static_cast<int>(m.direction)), 0);
            if (m.piece == kSquarePiece && level <= 4 && platform.boxes.empty()) {
                const int r = form.PieceRow[2] + RowStep(m.direction), c = form.PieceCol[2] + ColStep(m.direction);
                ringStoppedTheSquare |= form.Board.At(r, c) == Ring;
            }
        }
        ASSERT_EQ(platform.boxes.size(), 1u) << "level " << level;
        EXPECT_TRUE(platform.boxes[0].first.starts_with("Niveau " + std::to_string(level) + " terminé !\r\n"
                                                        "Nombre de mouvements : " + std::to_string(s.moves.size())));
        EXPECT_EQ(form.Level, level == levels ? 1 : level + 1);
    }
    EXPECT_TRUE(ringStoppedTheSquare) << "no early level shows a ring stopping the square";
}

}  // namespace
}  // namespace kelo::test
