// The level designer's tool, kelo-levels: the checker's findings, the solver against a plain search
// and the game itself, the analysis of boards worked out by hand, the command line's reports and
// refusals, and files too big to hold.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <map>
#include <new>
#include <optional>
#include <regex>
#include <sstream>

#include "tests/support/reference_solver.h"
#include "support/game_fixture.h"
#include "support/run_tool.h"
#include "tools/kelo-levels/analyse.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/generate.h"
#include "tools/kelo-levels/solve.h"

namespace kelo::test {
namespace {

const std::string& kGood = kOneSlide;

std::string Edited(std::string s, std::size_t at, std::size_t n, const std::string& by = "") { return s.replace(at, n, by); }

// Each fault is told once, where the game starts reading otherwise than meant: the first findings
// (fault, level, row, column) of each file.
TEST(LevelCheck, FindingsAndWhereTheyStart) {
    using F = Fault;
    const std::string lf = std::regex_replace(kGood, std::regex("\r"), "");
    const struct { const char* what; std::string file; std::vector<std::tuple<F, int, int, int>> first; } cases[] = {
        {"sound", kGood + kGood, {}},
        {"no CR LF after the last empty line", Edited(kGood + kGood, 2 * 164 - 2, 2), {}},
        // The line ends then read as cells are the same fault, not one finding each.
        {"LF alone", lf + lf + lf, {{F::LineEnd, 1, 1, 17}, {F::NoBall, 3, 0, 0}, {F::PartialRecord, 3, 0, 0}}},
        {"a row short", Edited(kGood + kGood, 164 + 18 * 2 + 5, 1), {{F::LineEnd, 2, 3, 17}}},
        {"a row long", Edited(kGood + kGood, 164 + 18 * 8 + 3, 0, "0"), {{F::LineEnd, 2, 9, 17}}},
        {"the empty line not empty", Edited(kGood + kGood, 162, 0, "1"), {{F::LineEnd, 1, kEmptyLine, 0}}},
        {"cut short", kGood + kGood.substr(0, 50), {{F::CutShort, 2, 3, 15}, {F::NoSquare, 2, 0, 0}, {F::PartialRecord, 2, 0, 0}}},
        {"misread cells and pieces", kGood + Walled({"3 000000000002", "000x0000000004"}) + Walled({"30000000000002", "00700000000004"}) +
                                         Walled({"33000000000002", "00000000000044"}) + Walled({"00000000000000"}),
         {{F::ReadAsEmpty, 2, 2, 3}, {F::ReadAsEmpty, 2, 3, 5}, {F::NoTile, 3, 3, 4}, {F::SeveralBalls, 4, 0, 0},
          {F::SeveralSquares, 4, 0, 0}, {F::NoBall, 5, 0, 0}, {F::NoSquare, 5, 0, 0}, {F::NoRing, 5, 0, 0}}},
        {"empty", "", {{F::EmptyFile, 0, 0, 0}}},
    };
    for (const auto& c : cases) {
        std::vector<std::tuple<F, int, int, int>> found;
        for (const Finding& f : CheckLevels(c.file)) found.emplace_back(f.fault, f.level, f.row, f.col);
        found.resize(std::min(found.size(), std::max<std::size_t>(c.first.size(), 1)));
        EXPECT_EQ(found, c.first) << c.what;
    }
}

// The fast search against the plain one of bench/ on random levels: walls, open edges, extra piece
// tiles, a missing piece, up to 60 rings, with and without the square, capped or not. Both visit
// states in the same order: they agree on the outcome, the fewest moves and the states visited.
class Solver : public GameTest {
protected:
    // The moves pressed as keys in the game: each one taken, and the last one, not sooner, wins.
    bool WinsInTheGame(const std::string& level, const std::vector<Move>& moves) {
        Load(level + level);
        for (std::size_t i = 0; i < moves.size(); ++i) {
            if (Moves() != static_cast<int>(i) || !platform->boxes.empty()) return false;
            if (form->Selected != moves[i].piece) Key(kKeySpace);
            Key(kKeyLeft + static_cast<int>(moves[i].direction));
        }
        return platform->boxes.size() == 1 && form->Level == 2;
    }
};

TEST_F(Solver, AgreesWithThePlainSearchAndTheGame) {
    std::uint32_t seed = 7;
    auto next = [&seed](int n) { return static_cast<int>(((seed = seed * 1664525u + 1013904223u) >> 8) % static_cast<std::uint32_t>(n)); };
    std::map<Outcome, int> outcomes;
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> rows(9, O);
        auto put = [&](char c, int n) { while (n-- > 0) rows[static_cast<std::size_t>(next(9))][static_cast<std::size_t>(next(16))] = c; };
        put('1', next(40));
        put('2', round % 10 == 9 ? 49 + next(12) : next(12));  // every tenth board past a word of rings
        put('3', next(8) == 0 ? 0 : 1 + (next(6) == 0));       // now and then no ball, or two
        put('4', next(6) == 0 ? 0 : 1 + (next(6) == 0));
        const std::string level = Record(rows);
        for (bool squareMoves : {true, false}) {
            const Solution fast = Solve(*LevelPuzzle(level, 1), {squareMoves, 5000});
            const bench::ReferenceResult plain = bench::ReferenceSolve(*LevelPuzzle(level, 1), squareMoves, 5000);
            ASSERT_EQ(fast.outcome, plain.outcome) << level;
            ASSERT_EQ(fast.states, plain.states) << level;
            ASSERT_EQ(int(fast.moves.size()), plain.moves) << level;
            ++outcomes[fast.outcome];
            // A level with no ring is won by any first key, which is no move of the solution.
            EXPECT_TRUE(fast.moves.empty() || WinsInTheGame(level, fast.moves)) << level;
        }
    }
    EXPECT_GT(outcomes[Outcome::Solved], 100);
    EXPECT_GT(outcomes[Outcome::Unsolvable], 20);
    EXPECT_GT(outcomes[Outcome::Unknown], 5);
}

// More rings than a word holds, past what the plain search takes: the game alone judges.
TEST_F(Solver, SolvesMoreRingsThanAWordHolds) {
    const std::string level = Walled({"32222222222222", "22222222222222", "22222222222222", "22222222222222", "22222222222222",
                                      "22222222222222", "22222222222224"});
    const Solution s = Solve(*LevelPuzzle(level, 1));
    EXPECT_EQ(s.outcome, Outcome::Solved);
    EXPECT_TRUE(WinsInTheGame(level, s.moves));
}

// The figures of the state graph and of the random player, on boards where they follow from the
// rules alone (-1: not worked out; dead -1: some). Idle walls, slowest to find, on one board only.
TEST(Analyse, FiguresOfBoardsWorkedOutByHand) {
    using P = std::vector<std::pair<int, int>>;
    const struct {
        const char* what; std::vector<std::string> rows; int moves, shortest, squareMoves, idleMoves, states, dead;
        bool firstMoveCanLose; double winRate /* within 0.07 */; std::optional<P> idle; const char* verdict;
    } boards[] = {
        // The ball in a corridor under a ring: up wins at once; left or right and it never stops
        // under the ring again. A random first slide wins one time in three.
        {"trap", {W, W, W, "1112111111111111", "1003001111111111", W, W, "1111111111111141", W}, 1, 1, 0, 0, 4, 2, true, 1.0 / 3, {}, "mashable"},
        // The ring lies below column 8 of a long row; only the square, pushed up, stops the ball there.
        {"square needed", {W, "1300000000000001", "1111111241111111", W, W, W, W, W, W}, 3, 1, 1, 2, -1, -1, false, -1, {}, "good"},
        // A ring at each end of the ball's corridor: either end first.
        {"two orders", {W, W, W, W, "1020000300002001", W, W, "1111111111111141", W}, 2, 2, 0, 0, 5, 0, false, 1, {}, "mashable, no way to fail"},
        // The wall between ball and ring makes the way round; the one in the open changes nothing.
        {"idle wall", {W, "1300100200000001", "1000000000000001", "1000000000000001", "1000000001000001", "1000000000000001",
                        "1000000000000001", "1000000000000041", W},
         4, 1, 0, 3, -1, 0, false, -1, P{{5, 10}}, "mashable, no way to fail, idle walls"},
        // Only the square moves, between five cells.
        {"walled in", {W, "1312000000000001", "1110000000000041", W, W, W, W, W, W}, -1, 0, -1, -1, 5, 5, true, 0, {}, "unsolvable"},
    };
    for (const auto& b : boards) {
        const Analysis a = Analyse(*LevelPuzzle(Record(b.rows), 1), {.idleWalls = b.idle.has_value(), .idleWallsIf = {}});
        EXPECT_EQ(a.fewestMoves, b.moves) << b.what;
        EXPECT_EQ(a.shortestSolutions, std::uint64_t(b.shortest)) << b.what;
        EXPECT_EQ(a.squareMoves, b.squareMoves) << b.what;
        EXPECT_EQ(a.idleMoves, b.idleMoves) << b.what;
        EXPECT_EQ(a.FirstMoveCanLose(), b.firstMoveCanLose) << b.what;
        EXPECT_EQ(a.verdict, b.verdict) << b.what;
        if (b.states >= 0) {
            EXPECT_EQ(a.states, std::size_t(b.states)) << b.what;
        }
        if (b.dead >= 0) {
            EXPECT_EQ(a.deadStates, std::size_t(b.dead)) << b.what;
        } else {
            EXPECT_GT(a.deadStates, 0u) << b.what;
        }
        if (b.winRate >= 0) {
            EXPECT_NEAR(a.WinRate(), b.winRate, 0.07) << b.what;
        }
        EXPECT_EQ(a.idleWalls, b.idle.value_or(P{})) << b.what;
        // The solution shown is a shortest one, with that many square slides.
        const auto squareSlides = std::count_if(a.solution.begin(), a.solution.end(), [](const Step& s) { return s.move.piece == kSquarePiece; });
        EXPECT_EQ(int(a.solution.size()), std::max(b.moves, 0)) << b.what;
        EXPECT_EQ(int(squareSlides), std::max(b.squareMoves, 0)) << b.what;
    }
}

// kelo-levels with these words, '@' standing for the folder, its address space limited to limitMib.
ToolRun Tool(const TempFolder& folder, const std::string& words, long limitMib = 0) {
    return RunTool(folder, {std::regex_replace(words, std::regex("@"), "./"), Output::Captured, RLIM_INFINITY, false,
                            kAddressSanitizer ? 0 : limitMib << 10});
}

// The same in a fresh folder that holds `levels` as levels.txt.
ToolRun ToolOn(const std::string& levels, const std::string& words, long limitMib = 0) {
    TempFolder folder;
    folder.Write("levels.txt", levels);
    return Tool(folder, words, limitMib);
}

TEST(LevelTool, CommandLineReportsAndExitStatus) {
    TempFolder folder;
    folder.Write("good.txt", kGood + Walled({"30000000000000", "20000000000004"}));
    folder.Write("empty.txt", "");
    std::string garbage;
    for (int i = 0; i < 512; ++i) garbage += static_cast<char>(i * 7 % 256);
    folder.Write("garbage.txt", garbage);
    const std::string generate = "generate --moves 5-7 --square 1- --dead-ends yes --restarts 2 --steps 120 --count 2 --seed 5";
    // In order: generate writes the files that the next rows read. The regex is searched in the output.
    const struct { std::string words; int status; const char* output; } cases[] = {
        {"--help", 0, "^usage: kelo-levels check FILE\n"},
        {"--version", 0, "^kelo-levels [0-9]+\\.[0-9]+\n$"},
        {"check @good.txt", 0, "^2 levels, all sound\n$"},
        {"check @garbage.txt", 1, "\nlevel 1, row 1, column 1: NUL is read as empty; write 0\n"},
        {"check @missing.txt", 2, "^kelo-levels: cannot read .*missing.txt: No such file or directory\n$"},
        {"check @", 2, "^kelo-levels: cannot read .*: it is a directory\n$"},
        {"solve @empty.txt", 1, "holds no level"},
        {"solve @garbage.txt", 1, "^level 1: unsolvable"},
        {"solve @good.txt --level 2", 0, "^level 2: 1 ball down; square not needed \\(1 moves without moving it\\)\n$"},
        {"analyse @good.txt", 0, "^level 1: 1 moves, .*\nlevel 2: 1 moves, .*\n$"},
        {"analyse @good.txt --level 1 --max-states 1", 1, "^level 1: .*too big"},
        {"analyse @garbage.txt", 1, "^level 1: not loadable"},
        // Two levels fall short of the set's standard; its closing line counts the rules.
        {"analyse @good.txt --standard", 1, "^FAIL  at least 40 levels: 2\n(.*\n)*standard: [0-9]+ passed, [0-9]+ failed\n$"},
        // Generate meets its targets (or says so by its status), and its records are what it analysed.
        {generate + " -o @new.txt", 0, "^level 1: [5-7] moves, "},
        {"check @new.txt", 0, "^2 levels, all sound\n$"},
        {"analyse @new.txt --level 1 --json", 0, "\"moves\": [5-7], .*\"dead_states\": [1-9].*\"square_moves\": [1-9]"},
        {"generate --from @good.txt --level 1 --moves 2-4 --max-random 100 --count 1 -o @from.txt", 0, "^level 1: [2-4] moves"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Tool(folder, c.words);
        EXPECT_EQ(run.status, c.status) << c.words;
        EXPECT_TRUE(std::regex_search(run.out + run.err, std::regex(c.output))) << c.words << ": " << run.out << run.err;
    }
    EXPECT_EQ(Tool(folder, generate).out, Contents(folder.path() / "new.txt"));  // the same seed, the same levels
}

// Refused with a message and nothing else, before any work.
TEST(LevelTool, RefusesABadCommandLineBeforeAnyWork) {
    TempFolder folder;
    folder.Write("good.txt", kGood);
    for (const char* words :
         {"", "play @good.txt", "check @good.txt --level 1", "solve @good.txt --level 3", "solve @good.txt --level 0",
          "solve @good.txt --level x", "solve @good.txt --level 99999", "solve @good.txt --max-states 0", "solve @good.txt --frobnicate",
          "analyse @good.txt --max-states 1e3", "analyse @good.txt --trials 0", "analyse @good.txt --seed x", "analyse @good.txt --standard --level 1", "analyse @good.txt --level 3",
          "analyse", "analyse @good.txt @good.txt", "render @good.txt", "render @good.txt --level 3 -o @x.png", "generate --moves 5-3",
          "generate --dead-ends maybe", "generate --force nope", "generate --force edge,", "generate --look 26", "generate --max-two-ahead 101", "generate --from @good.txt", "generate --max-random 101", "generate @good.txt"}) {
        const ToolRun run = Tool(folder, words);
        EXPECT_EQ(run.status, 2) << words;
        EXPECT_TRUE(run.err.starts_with("kelo-levels: ")) << words << ": " << run.err;
        EXPECT_EQ(run.out, "") << words;
    }
}

// A disk that fails in the second level: check and solve say that the file cannot be read, rather
// than report on as much of it as they could read.
TEST(LevelTool, AReadErrorIsAnErrorNotAReport) {
    const FailingBytes file(kGood + kGood, kRecordSize + 50);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCheck(file, out, err), kLevelsError);
    EXPECT_EQ(RunSolve(file, 0, 1000, out, err), kLevelsError);
    EXPECT_EQ(err.str(), "kelo-levels: cannot read the file: read error\nkelo-levels: cannot read the file: read error\n");
}

// Faults: a 2 GiB file was read whole (and copied once per level), so check and solve died of
// std::bad_alloc; a file of NULs printed gigabytes; levels past 32,767 were sound to check but
// unloadable to solve. A state limit was taken whatever the memory (100 million states aborted),
// and a level of many rings took three times the memory of the same limit on an ordinary level.
class HugeFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(folder.path() / "big.txt").close();
        std::filesystem::resize_file(folder.path() / "big.txt", 2ull << 30);  // sparse: nothing but NULs
    }
    TempFolder folder;
    const std::string levels = std::to_string((2ull << 30) / 164 + 1);
};

TEST_F(HugeFile, CheckListsAFewFindingsAndCountsTheRest) {
    const ToolRun run = Tool(folder, "check @big.txt", 512);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_LE(std::size_t(std::ranges::count(run.out, '\n')), kListedFindings + 3);
    EXPECT_NE(run.out.find("levels 32768 to " + levels + " lie past level 32767"), std::string::npos);
    EXPECT_TRUE(std::regex_search(run.out, std::regex("more problems in the levels, not listed\n" + levels + " levels, [0-9]+ problems\n$")));
}

TEST_F(HugeFile, SolveOfOneLevelReadsOnlyThatLevel) {
    const ToolRun run = Tool(folder, "solve @big.txt --level 1", 512);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "level 1: 0 (no ring: the first key press wins)\n");
}

// The levels past 32767 are one problem, as check says, and the others are solved.
TEST_F(HugeFile, SolveCallsTheLevelsPastTheLastReachableOneOneProblem) {
    const ToolRun run = Tool(folder, "solve @big.txt", 512);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(std::ranges::count(run.out, '\n'), 32768);
    EXPECT_TRUE(run.out.ends_with("level 32767: 0 (no ring: the first key press wins)\nlevels 32768 to " + levels +
                                  ": unsolvable (past level 32767, the last the game can reach: it never loads them)\n"));
}

// 90 rings and a few walls: far more states than the limit, within the bound that the tool
// checked against the memory (158 MiB for its 4 million states): 300 MiB with the program.
TEST(LevelTool, ALevelOfManyRingsStaysWithinTheMemoryBound) {
    if (kAddressSanitizer) GTEST_SKIP() << "memory limits mean nothing under AddressSanitizer";
    const ToolRun run = ToolOn(Walled({"22222222222222", "22222222242222", "22221222222222", "22112222222222", "22213222212122",
                                       "22222222222222", "22222222222222"}), "solve levels.txt", 300);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex("level 1: unknown \\(gave up after [0-9]+ states\\)\n"))) << run.out;
}

// The faults found by breaking the tool: draws without end, running out of memory, memory past
// its bound, and reports that named the wrong fault.

// An open board of 80 rings: more states than any limit.
std::string ManyRings() {
    std::vector<std::string> inside(7, std::string(14, '2'));
    inside[3][0] = '3';
    inside[5][13] = '4';
    for (int k = 0; k < 16; ++k) inside[static_cast<std::size_t>(k % 7)][static_cast<std::size_t>(1 + k % 12)] = '0';
    return Walled(inside);
}

// Forty rings among thirty shapes drew random cells for 25 minutes.
TEST(ToolFaults, GenerateGivesUpWhenNoBoardFits) {
    const ToolRun run = ToolOn("", "generate --rings 40 --shapes 30 --count 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelo-levels: no board could be made: 20000 draws found no free cells for the rings and the "
                       "pieces among the walls; ask for fewer --rings or --shapes\n");
    EXPECT_EQ(run.out, "");
}

TEST(ToolFaults, GenerateRefusesMoreRingsThanCells) {
    GenerateOptions options;
    options.rings = {97, 97};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunGenerate(options, "", 0, "", out, err), kLevelsError);
    EXPECT_EQ(err.str(), "kelo-levels: 97 rings and the two pieces cannot fit in the board's 98 free cells\n");
}

// A worker thread that ran out of memory aborted the tool.
TEST(ToolFaults, WhatAWorkerThrowsIsThrownToTheCaller) {
    EXPECT_THROW(RunSideBySide(2, [] { throw std::bad_alloc(); }), std::bad_alloc);
}

// A state limit was taken whatever the memory: 100 million states aborted.
TEST(ToolFaults, AStateLimitBeyondTheMemoryIsRefused) {
    if (kAddressSanitizer) GTEST_SKIP() << "memory limits mean nothing under AddressSanitizer";
    const struct { const char* words; long limitMib; const char* search; } cases[] = {
        {"solve levels.txt --max-states 100000000", 512, "a search of up to 100000000 states needs"},
        {"analyse levels.txt", 390, "analyses of up to 2000000 states need"},
        {"generate --max-states 2000000", 390, "analyses of up to 2000000 states need"},
    };
    for (const auto& c : cases) {
        const ToolRun run = ToolOn(ManyRings() + ManyRings(), c.words, c.limitMib);
        EXPECT_EQ(run.status, 2) << c.words;
        EXPECT_TRUE(std::regex_match(run.err, std::regex(std::string("kelo-levels: ") + c.search +
                                                         " [0-9]+ MiB, more than the [0-9]+ MiB of memory available: lower --max-states\n")))
            << run.err;
    }
}

// Two levels side by side took twice the memory of one: they are analysed side by side within
// the memory of one.
TEST(ToolFaults, TwoBigLevelsTakeTheMemoryOfOne) {
    if (kAddressSanitizer) GTEST_SKIP() << "sizes mean nothing under AddressSanitizer";
    const ToolRun one = ToolOn(ManyRings(), "analyse levels.txt --max-states 400000");
    const ToolRun two = ToolOn(ManyRings() + ManyRings(), "analyse levels.txt --max-states 400000");
    EXPECT_EQ(two.out, one.out + "level 2" + one.out.substr(7));
    EXPECT_LT(two.peakKib, one.peakKib * 5 / 4) << one.peakKib;
}

// Side by side at half the limit, a level that reaches it is analysed again at the whole: the
// figures are those of one level at a time.
TEST(ToolFaults, ALevelBetweenHalfTheLimitAndTheLimitIsAnalysedWhole) {
    std::smatch states;
    const std::string whole = ToolOn(kGood + kGood, "analyse levels.txt --level 2 --json").out;
    ASSERT_TRUE(std::regex_search(whole, states, std::regex("\"states\": ([0-9]+)")));
    const std::string limit = std::to_string(std::stoi(states[1]) + 1);
    const ToolRun alone = ToolOn(kGood + kGood, "analyse levels.txt --level 2 --max-states " + limit + " --json");
    const ToolRun both = ToolOn(kGood + kGood, "analyse levels.txt --max-states " + limit + " --json");
    ASSERT_NE(alone.out.find("\"status\": \"solved\""), std::string::npos) << alone.out;
    EXPECT_NE(both.out.find(alone.out.substr(4, alone.out.size() - 7)), std::string::npos) << both.out;
}

// The game skips the two bytes after each line whatever they are: LF CR reads as CR LF does.
TEST(ToolFaults, LinesEndedInLfCrAreNoProblemButNamed) {
    const std::string lfcr = std::regex_replace(kGood + kGood, std::regex("\r\n"), "\n\r");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCheck(MemoryBytes(lfcr), out, err), kLevelsSound);
    EXPECT_EQ(out.str(), "note: lines end in LF CR rather than CR LF; the game skips the two bytes and reads them the same\n"
                         "2 levels, all sound\n");
}

// The first problem names the file's encoding, not the faults it causes.
TEST(ToolFaults, TheFirstProblemNamesTheEncoding) {
    std::string utf16;
    for (char c : kGood + kGood) utf16 += std::string(1, c) + '\0';
    const struct {
        std::string file;
        const char* first;
    } cases[] = {
        {std::regex_replace(kGood + kGood, std::regex("\r\n"), "\r"), "the line ends in CR alone"},
        {"\xEF\xBB\xBF" + kGood + kGood, "the file begins with a UTF-8 byte order mark (0xEF 0xBB 0xBF): save it as plain ASCII"},
        {"\xFF\xFE" + utf16, "the file is UTF-16 (byte order mark 0xFF 0xFE): save it as plain ASCII"},
        {utf16, "the file is UTF-16 (a NUL after every character)"},
        {std::string(1, '\0') + utf16.substr(0, utf16.size() - 1), "the file is UTF-16 (a NUL before every character)"},
    };
    for (const auto& c : cases) {
        const auto findings = CheckLevels(c.file);
        ASSERT_FALSE(findings.empty()) << c.first;
        EXPECT_EQ(findings[0].message.substr(0, std::string(c.first).size()), c.first);
    }
}

}  // namespace
}  // namespace kelo::test
