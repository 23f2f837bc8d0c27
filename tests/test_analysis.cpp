// The designer's figures of a level, on small boards whose answers can be worked out by hand, and
// the manners of the command line.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sys/wait.h>

#include "support/levels_util.h"
#include "tools/analysis.h"
#include "tools/generate.h"

namespace kelo::test {
namespace {

const std::string W(16, '1');

Analysis AnalyseRows(const std::vector<std::string>& rows) {
    const auto puzzle = LevelPuzzle(Record(rows), 1);
    EXPECT_TRUE(puzzle.has_value());
    return puzzle ? Analyse(*puzzle) : Analysis{};
}

struct Known {
    const char* what;
    std::vector<std::string> rows;
    int moves;
    std::uint64_t shortest;
    int squareMoves;
    int idleMoves;
    bool deadEnds;
};

// Each board is built so that its figures follow from the rules alone.
TEST(Analyse, FiguresOfBoardsWithKnownAnswers) {
    const Known boards[] = {
        // The ball in a corridor under a ring: up wins at once; left or right and it never stops
        // under the ring again.
        {"trap", {W, W, W, "1112111111111111", "1003001111111111", W, W, "1111111111111141", W}, 1, 1, 0, 0, true},
        // The ring lies below column 8 of a long row; only the square, pushed up, stops the ball there.
        {"square needed", {W, "1300000000000001", "1111111241111111", W, W, W, W, W, W}, 3, 1, 1, 2, true},
        // The same with a wall as the stop: the square stays put.
        {"square not needed", {W, "1300000010000001", "1111111241111111", W, W, W, W, W, W}, 2, 1, 0, 1, false},
        // A ring at each end of the ball's corridor: either end first.
        {"two orders", {W, W, W, W, "1020000300002001", W, W, "1111111111111141", W}, 2, 2, 0, 0, false},
    };
    for (const Known& k : boards) {
        const Analysis a = AnalyseRows(k.rows);
        ASSERT_EQ(a.status, Analysis::Status::Solved) << k.what;
        EXPECT_EQ(a.fewestMoves, k.moves) << k.what;
        EXPECT_EQ(a.shortestSolutions, k.shortest) << k.what;
        EXPECT_EQ(a.squareMoves, k.squareMoves) << k.what;
        EXPECT_EQ(a.idleMoves, k.idleMoves) << k.what;
        EXPECT_EQ(a.deadStates > 0, k.deadEnds) << k.what;
        EXPECT_EQ(static_cast<int>(a.solution.size()), k.moves) << k.what;
        int squareSlides = 0;
        for (const Step& s : a.solution) squareSlides += s.move.piece == kSquarePiece;
        EXPECT_EQ(squareSlides, k.squareMoves) << k.what;
        EXPECT_EQ(a.verdict.find("no way to fail") != std::string::npos, !k.deadEnds) << k.what;
    }

    // The trap in detail: four states (start, won, the two ends), two of them lost; a random
    // first slide wins one time in three and nothing wins later.
    const Analysis trap = AnalyseRows(boards[0].rows);
    EXPECT_EQ(trap.states, 4u);
    EXPECT_EQ(trap.deadStates, 2u);
    EXPECT_TRUE(trap.firstMoveCanLose);
    EXPECT_GE(trap.trials, 500);
    EXPECT_NEAR(trap.WinRate(), 1.0 / 3, 0.07);
    EXPECT_EQ(trap.medianWinMoves, 1);
    ASSERT_EQ(trap.solution.size(), 1u);
    EXPECT_EQ(trap.solution[0].move, (Move{kBallPiece, Direction::Up}));
    EXPECT_EQ(std::make_tuple(trap.solution[0].fromRow, trap.solution[0].fromCol, trap.solution[0].toRow),
              std::make_tuple(5, 4, 4));

    // In the corridor of two rings every game is won in two slides: mashable.
    const Analysis both = AnalyseRows(boards[3].rows);
    EXPECT_EQ(both.wins, both.trials);
    EXPECT_EQ(both.medianWinMoves, 2);
    EXPECT_TRUE(both.verdict.starts_with("mashable")) << both.verdict;
}

TEST(Analyse, InertWallsAreTheInteriorWallsThatChangeNothing) {
    // Ball and ring in the top row with a wall between them (it decides the fewest moves), and
    // one wall in the open that no shortest way needs.
    const Analysis a = AnalyseRows({W, "1300100200000001", "1000000000000001", "1000000000000001",
                                           "1000000001000001", "1000000000000001", "1000000000000001",
                                           "1000000000000041", W});
    ASSERT_EQ(a.status, Analysis::Status::Solved);
    EXPECT_EQ(a.interiorWalls, 2);  // the frame is not counted
    EXPECT_EQ(a.inertWalls, (std::vector<std::pair<int, int>>{{5, 10}}));
    EXPECT_NE(a.verdict.find("inert walls"), std::string::npos);

    // Filler: walls with walls all round are not interior; a wall facing the floor is.
    Board b;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) b(r, c) = Wall;
    }
    b(5, 5) = Empty;
    EXPECT_TRUE(IsInteriorWall(b, 5, 6));
    EXPECT_FALSE(IsInteriorWall(b, 5, 8));
    EXPECT_FALSE(IsInteriorWall(b, 1, 5));  // the outer ring
    EXPECT_FALSE(IsInteriorWall(b, 5, 5));
}

TEST(Analyse, UnwinnableAndUnloadableLevels) {
    const Analysis walledIn = AnalyseRows({W, "1312000000000001", "1110000000000041", W, W, W, W, W, W});
    EXPECT_EQ(walledIn.status, Analysis::Status::Unsolvable);
    EXPECT_EQ(walledIn.deadStates, walledIn.states);
    EXPECT_EQ(walledIn.wins, 0);
    EXPECT_EQ(walledIn.verdict, "unsolvable");

    const std::string good = Walled({"30000000000002", "00000000000004"});
    EXPECT_FALSE(LevelPuzzle(good + Walled({"30070000000002", "00000000000004"}), 2).has_value());
    EXPECT_FALSE(LevelPuzzle(good, 2).has_value());
    EXPECT_TRUE(LevelPuzzle(good, 1).has_value());

    AnalyseOptions tiny;
    tiny.maxStates = 10;
    EXPECT_EQ(Analyse(*LevelPuzzle(good, 1), tiny).status, Analysis::Status::TooBig);
}

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Tool(const std::string& args) {
    TempFolder folder;
    const std::string err = (folder.path() / "err").string();
    const std::string command = std::string(KELO_LEVELS_TOOL) + " " + args + " 2>" + err;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    ToolRun run;
    std::array<char, 4096> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe.get())) run.out += buffer.data();
    run.status = WEXITSTATUS(::pclose(pipe.release()));
    std::ifstream in(err);
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

TEST(LevelToolManners, HelpVersionAndBadNumbers) {
    ToolRun r = Tool("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("usage: kelo-levels check FILE\n")) << r.out;
    EXPECT_NE(r.out.find("kelo-levels analyse FILE"), std::string::npos);
    EXPECT_EQ(r.err, "");
    r = Tool("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_match(r.out, std::regex("kelo-levels [0-9]+\\.[0-9]+\n"))) << r.out;

    TempFolder folder;
    const std::string file = (folder.path() / "levels.txt").string();
    folder.Write("levels.txt", Walled({"30000000000002", "00000000000004"}) + Walled({"30000000000000", "20000000000004"}));
    const char* bad[] = {"analyse FILE --level abc",  "solve FILE --max-states -1", "analyse FILE --max-states 1e3",
                         "analyse FILE --trials 0",   "analyse FILE --seed x",      "analyse FILE --level 3",
                         "check FILE --level 1",      "analyse FILE --frobnicate",  "analyse",
                         "analyse FILE FILE",         "frobnicate FILE"};
    for (std::string args : bad) {
        args = std::regex_replace(args, std::regex("FILE"), file);
        r = Tool(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.err.starts_with("kelo-levels: ")) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
    r = Tool("analyse --level abc " + file);
    EXPECT_EQ(r.err, "kelo-levels: --level takes a whole number from 1 to 32767, not 'abc'\n");

    r = Tool("analyse " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_search(r.out, std::regex("^level 1: 1 moves, .*\nlevel 2: 1 moves, .*\n$"))) << r.out;
    r = Tool("analyse " + file + " --json --level 2");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("[\n  {\"level\": 2, \"status\": \"solved\"")) << r.out;
    EXPECT_TRUE(r.out.ends_with("}\n]\n")) << r.out;
}

}  // namespace
}  // namespace kelo::test

namespace kelo::test {
namespace {

// Walls in groups: no interior wall stands alone.
bool Shaped(const Board& b) {
    for (int r = 2; r < kRows; ++r) {
        for (int c = 2; c < kCols; ++c) {
            if (b(r, c) == Wall && b(r - 1, c) != Wall && b(r + 1, c) != Wall && b(r, c - 1) != Wall &&
                b(r, c + 1) != Wall)
                return false;
        }
    }
    return true;
}

TEST(Generate, MeetsItsTargetsWithShapedWallsAndRepeatsItself) {
    GenerateOptions o;
    o.targets.moves = {5, 7};
    o.targets.squareMoves = {1, 100};
    o.targets.deadEnds = Want::Yes;
    o.targets.maxRandomWinRate = 0.25;
    o.restarts = 2;
    o.steps = 120;
    o.count = 2;
    o.seed = 5;
    const auto candidates = Generate(o);
    ASSERT_EQ(candidates.size(), 2u);
    ASSERT_EQ(candidates[0].penalty, 0) << AnalysisLine(1, candidates[0].analysis);
    for (const Candidate& c : candidates) {
        EXPECT_TRUE(Shaped(c.puzzle.board));
        if (c.penalty != 0) continue;
        // The figures again, from the record as a level file holds it.
        const auto puzzle = LevelPuzzle(RecordOf(c.puzzle.board), 1);
        ASSERT_TRUE(puzzle);
        const Analysis a = Analyse(*puzzle);
        EXPECT_TRUE(o.targets.moves.Holds(a.fewestMoves)) << a.fewestMoves;
        EXPECT_GE(a.squareMoves, 1);
        EXPECT_GT(a.deadStates, 0u);
        EXPECT_LE(a.WinRate(), 0.25);
    }
    const auto again = Generate(o);
    ASSERT_EQ(again.size(), candidates.size());
    for (std::size_t k = 0; k < again.size(); ++k) EXPECT_EQ(again[k].puzzle.board, candidates[k].puzzle.board);

    // A board to vary keeps its frame and stays near its figures when asked for them.
    GenerateOptions from = o;
    from.from = LevelPuzzle(Walled({"30000000000002", "00000000000000", "00000011000000", "00000000000004"}), 1);
    from.targets = Targets{};
    from.targets.moves = {2, 4};
    from.targets.maxRandomWinRate = 1;
    const auto varied = Generate(from);
    ASSERT_FALSE(varied.empty());
    EXPECT_EQ(varied[0].penalty, 0);
    for (int c = 1; c <= kCols; ++c) EXPECT_EQ(varied[0].puzzle.board(1, c), Wall);
}

TEST(Generate, CommandLineWritesLevelRecords) {
    TempFolder folder;
    const std::string out = (folder.path() / "new.txt").string();
    const ToolRun r = Tool("generate --moves 3-6 --max-random 100 --restarts 1 --steps 60 --count 2 --seed 9 -o " + out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("^level 1: [3-6] moves, .*\nlevel 2: [0-9]+ moves"))) << r.out;
    std::ifstream in(out, std::ios::binary);
    const std::string records{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(records.size(), 2u * 164);
    EXPECT_EQ(Tool("check " + out).status, 0);
    for (const char* bad : {"generate --moves 5-3", "generate --moves x", "generate --dead-ends maybe",
                            "generate --from " KELO_SOURCE_DIR "/levels.txt", "generate --max-random 101",
                            "generate " KELO_SOURCE_DIR "/levels.txt"}) {
        const ToolRun b = Tool(bad);
        EXPECT_EQ(b.status, 2) << bad;
        EXPECT_TRUE(b.err.starts_with("kelo-levels: ")) << bad << ": " << b.err;
    }
}

}  // namespace
}  // namespace kelo::test
