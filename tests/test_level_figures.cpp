// The figures that tell a designer what a level teaches and how much thought it asks: the stop
// each slide ends against, the stops a level forces, the k-ahead player, the traps. Each board is
// small enough to work out by hand; the expected values are written beside it.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/levels_util.h"
#include "tools/kelo-levels/analyse.h"
#include "tools/kelo-levels/standard.h"

namespace kelo::test {
namespace {

Analysis AnalyseRows(const std::vector<std::string>& rows) { return Analyse(*LevelPuzzle(Record(rows), 1)); }

// The stop of the start's slide `move`, or Wall when there is no such slide.
Stop StopOfFirstSlide(const StateGraph& g, Move move) {
    for (std::uint32_t e = g.first[0]; e < g.first[1]; ++e) {
        if (g.edges[e].move() == move) return g.edges[e].stop;
    }
    return Stop::Wall;
}

// One row: .  .  .  ring . square . . . ball . wall. Every slide from the start ends against
// something else.
TEST(StopKinds, EachSlideEndsAgainstWhatStopsIt) {
    const StateGraph g = Explore(*LevelPuzzle(Record({W, W, W, W, "1000204000301001", W, W, W, W}), 1));
    EXPECT_EQ(StopOfFirstSlide(g, {kSquarePiece, Direction::Left}), Stop::RingStopsSquare);
    EXPECT_EQ(StopOfFirstSlide(g, {kSquarePiece, Direction::Right}), Stop::BallStopsSquare);
    EXPECT_EQ(StopOfFirstSlide(g, {kBallPiece, Direction::Left}), Stop::SquareStopsBall);
    EXPECT_EQ(StopOfFirstSlide(g, {kBallPiece, Direction::Right}), Stop::Wall);
}

TEST(StopKinds, TheBoardsEdgeStopsWhereNoWallFramesIt) {
    const StateGraph g = Explore(*LevelPuzzle(Record({"0000000000000002", O, O, O, "3000000000000000", O, O, O, "4000000000000000"}), 1));
    EXPECT_EQ(StopOfFirstSlide(g, {kBallPiece, Direction::Right}), Stop::Edge);
    EXPECT_EQ(StopOfFirstSlide(g, {kBallPiece, Direction::Up}), Stop::Edge);
}

// The ring lies below column 8 of a long row; only the square, pushed up from column 9, stops the
// ball above it: square up, ball right, ball down. Nothing else stops the ball in that row.
const std::vector<std::string> kSquareStop = {W, "1300000000000001", "1111111241111111", W, W, W, W, W, W};
// An open board: the ball slides right over the ring to the edge and wins. Without the edge the
// square goes up first to the wall in column 9 and stops the ball just past the ring: 2 slides.
const std::vector<std::string> kOpenRow = {O, O, O, "0000000010000000", "3000000200000000", O, O, O, "0000000040000000"};

// Whether some or every shortest solution ends a slide against a stop, and the par without it:
// -1 when the level cannot be won then, and the stop is forced.
TEST(StopsForced, AStopIsUsedAndForcedAsTheShortestSolutionsNeedIt) {
    const struct { const char* board; const std::vector<std::string>& rows; Stop stop; bool used, always; int parWithout; } cases[] = {
        {"square stop", kSquareStop, Stop::SquareStopsBall, true, true, -1},
        {"square stop", kSquareStop, Stop::RingStopsSquare, false, false, 3},
        {"square stop", kSquareStop, Stop::BallStopsSquare, false, false, 3},
        {"square stop", kSquareStop, Stop::Edge, false, false, 3},
        {"open row", kOpenRow, Stop::Edge, true, true, 2},
        // Only a longer solution uses the square.
        {"open row", kOpenRow, Stop::SquareStopsBall, false, false, 1},
    };
    for (const auto& c : cases) {
        const StopUse use = AnalyseRows(c.rows).stops[static_cast<std::size_t>(c.stop)];
        EXPECT_EQ(use.used, c.used) << c.board << ": " << StopName(c.stop);
        EXPECT_EQ(use.always, c.always) << c.board << ": " << StopName(c.stop);
        EXPECT_EQ(use.parWithout, c.parWithout) << c.board << ": " << StopName(c.stop);
    }
}

// The ball at the foot of a shaft: up and down it shuttles for ever between the shaft's ends;
// right, it stops under the ring and wins by going up. Three slides tie for a player that looks
// one ahead (none takes a ring), so it wins one game in three; looking two ahead it sees the win.
// The square is shut in a niche of its own.
const std::vector<std::string> kShaft = {W,
                                         "1011111111111111",
                                         "1012111111111111",
                                         "1010111111111111",
                                         "1300111111111111",
                                         "1011111111111111",
                                         "1011111111111111",
                                         "1111111111111141",
                                         W};

TEST(Look, TheSmallestLookThatWinsHalfTheGames) {
    const Analysis a = AnalyseRows(kShaft);
    EXPECT_EQ(a.fewestMoves, 2);
    EXPECT_EQ(a.look, 2);
}

TEST(Look, TheTwoAheadPlayerAlwaysSeesATwoSlideWin) { EXPECT_DOUBLE_EQ(AnalyseRows(kShaft).twoAheadWinRate, 1.0); }

TEST(Look, ALevelWonByItsFirstSlideNeedsALookOfOne) { EXPECT_EQ(AnalyseRows(kOpenRow).look, 1); }

// In the shaft level the first slide can lose (up or down); the second, under the ring, cannot.
TEST(Traps, TheLatestSlideOfAShortestSolutionThatCanLose) { EXPECT_EQ(AnalyseRows(kShaft).lateTrap, 1); }

TEST(Traps, ALevelWithoutDeadEndsHasNoLateTrap) { EXPECT_EQ(AnalyseRows(kOpenRow).lateTrap, 0); }

// The ball in a corridor under a ring: up wins at once; left or right it never stops under the
// ring again (2 dead states of 4: the trap of the level tool's hand-worked boards). Without the
// wall above the corridor's left end, the ball going up there stops in the gap: one dead state
// more, the same par. The old test called it inert.
TEST(IdleWalls, AWallThatShapesATrapIsNotIdle) {
    const Analysis a = AnalyseRows({W, W, W, "1112111111111111", "1003001111111111", W, W, "1111111111111141", W});
    EXPECT_EQ(std::count(a.idleWalls.begin(), a.idleWalls.end(), std::pair{4, 2}), 0);
}

// In the shaft level the ball's last slide ends against the shaft's end at row 2, column 4: without
// that wall alone it stops at the frame and wins all the same. Without the whole mass round the
// shaft the level is another.
TEST(IdleWalls, AWallIdleAloneIsNotIdleWithTheShapeItBelongsTo) {
    const Analysis a = AnalyseRows(kShaft);
    EXPECT_EQ(std::count(a.idleWalls.begin(), a.idleWalls.end(), std::pair{2, 4}), 1);
    EXPECT_TRUE(a.idleShapes.empty());
}

// Side by side, the graphs without a wall stop at half the state limit: the shaft's (about its
// own size) are judged again at the whole limit, as one thread judges them.
TEST(IdleWalls, WallsJudgedSideBySideAreJudgedAsByOneThread) {
    AnalyseOptions oneThread;
    oneThread.maxStates = AnalyseRows(kShaft).states + 1;
    AnalyseOptions twoThreads = oneThread;
    twoThreads.threads = 2;
    const Puzzle shaft = *LevelPuzzle(Record(kShaft), 1);
    ASSERT_FALSE(Analyse(shaft, oneThread).idleWalls.empty());
    EXPECT_EQ(Analyse(shaft, twoThreads).idleWalls, Analyse(shaft, oneThread).idleWalls);
}

// A post at row 3, column 3; an L of three walls at rows 4 and 5.
const std::string kWalls = Walled({"", "01", "00011", "00010", "", "", "32000000000004"});

TEST(Walls, InteriorWallsCountedByShape) {
    const Analysis a = Analyse(*LevelPuzzle(kWalls, 1));
    EXPECT_EQ(a.interiorWalls, 4);
    EXPECT_EQ(a.wallShapes, 2);
}

// A plus of five walls: its centre is buried, its four arms face the floor and touch only the centre.
TEST(Walls, WallsJoinedThroughABuriedWallAreOneShape) {
    const Analysis a = Analyse(*LevelPuzzle(Walled({"", "", "00001", "00011100", "00001", "", "32000000000004"}), 1));
    EXPECT_EQ(a.interiorWalls, 4);
    EXPECT_EQ(a.wallShapes, 1);
}

TEST(Walls, APostWithNoWallBesideItStandsAlone) { EXPECT_EQ(Analyse(*LevelPuzzle(kWalls, 1)).isolatedWalls, 1); }

// The shaft level: the ball stands on 5 cells (foot, both ends of the shaft, under the ring, the
// ring's cell), the square on its own.
TEST(Walls, TheFloorThePiecesCanReach) { EXPECT_EQ(AnalyseRows(kShaft).reachableFloor, 6); }

// Level 1: an L of walls in the top left corner; level 2: the same L in the top right corner.
const std::string kCornerL = Walled({"11", "1", "", "", "", "", "30000200000004"});
const std::string kMirroredL = Walled({"00000000000011", "00000000000001", "", "", "", "", "30000200000004"});

TEST(NearDuplicates, WallsMirroredAreTheSameWalls) {
    const auto found = NearDuplicates({LevelPuzzle(kCornerL, 1), LevelPuzzle(kMirroredL, 1)});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].overlap, 1.0);
    EXPECT_EQ(found[0].symmetry, "mirrored left to right");
}

TEST(NearDuplicates, TheSameBoardWithThePiecesMovedIsACopy) {
    const std::string moved = Walled({"11", "1", "", "", "", "", "04000200000003"});
    const auto found = NearDuplicates({LevelPuzzle(kCornerL, 1), LevelPuzzle(moved, 1)});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].piecesMoved);
}

// Three walls shared of five: 60 %, not more.
TEST(NearDuplicates, WallsThatShareSixtyPercentOrLessAreNew) {
    const std::string five = Walled({"11", "1", "", "", "1", "1", "30000200000004"});
    const std::string other = Walled({"11", "1", "", "", "", "", "30000000000024"});
    EXPECT_TRUE(NearDuplicates({LevelPuzzle(five, 1), LevelPuzzle(other, 1)}).empty());
}

TEST(Cancel, AnAnalysisAskedToStopEndsCancelled) {
    std::atomic<bool> cancel{true};
    EXPECT_EQ(Analyse(*LevelPuzzle(Record(kShaft), 1), {.idleWallsIf = {}, .cancel = &cancel}).status, Analysis::Status::Cancelled);
}

}  // namespace
}  // namespace kelo::test
