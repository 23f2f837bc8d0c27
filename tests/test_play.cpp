// Play through the key handler: the slides of both pieces and their refusals, rings, the drawing
// of a slide, the end of a level; random play under the invariants; the searches' slide is the game's.
#include <algorithm>
#include <random>

#include "game/elapsed.h"
#include "support/game_fixture.h"
#include "support/invariants.h"
#include "tools/kelo-levels/search.h"
#include "ui/launch.h"

namespace kelo::test {
namespace {

// A walled board of rows 2 to 6 as given, whose one ring lies out of reach below a row of walls:
// no key wins it.
std::string Unwinnable(std::vector<std::string> inside) {
    inside.resize(5);
    inside.push_back("11111111111111");
    inside.push_back("2");
    return Walled(inside);
}

TEST_F(GameTest, BallSlidesInEachDirectionUntilAWall) {
    Load(Unwinnable({"", "03"}));
    Key(kKeyRight);
    EXPECT_EQ(BallAt(), std::pair(3, 15));
    Key(kKeyDown);
    EXPECT_EQ(BallAt(), std::pair(6, 15));
    Key(kKeyLeft);
    EXPECT_EQ(BallAt(), std::pair(6, 2));
    Key(kKeyUp);
    EXPECT_EQ(BallAt(), std::pair(2, 2));
    EXPECT_EQ(form->Board, BoardOf(Unwinnable({"3"})));
    EXPECT_EQ(Moves(), 4);
}

// The ball against a wall or the square, then the square against the ball, a ring or a wall: only
// the space's indicator is drawn.
TEST_F(GameTest, ARefusedSlideDrawsAndCountsNothing) {
    Load(Walled({"342"}));
    Keys("LRU LRU");
    EXPECT_EQ(Log(), "p4@10,15 ");
    EXPECT_EQ(Moves(), 0);
}

TEST_F(GameTest, SquareStopsBeforeARingTheBallOrAWall) {
    Load(Unwinnable({"3", "", "4002"}));
    Keys(" R");
    EXPECT_EQ(form->Board, BoardOf(Unwinnable({"3", "", "0042"})));
    Keys("LU");
    EXPECT_EQ(form->Board, BoardOf(Unwinnable({"3", "4", "0002"})));
    Key(kKeyDown);
    EXPECT_EQ(form->Board, BoardOf(Unwinnable({"3", "", "0002", "", "4"})));
}

TEST_F(GameTest, BallStopsBeforeTheSquare) {
    Load(Unwinnable({"3", "", "4"}));
    Key(kKeyDown);
    EXPECT_EQ(BallAt(), std::pair(3, 2));
}

TEST_F(GameTest, BallTakesEveryRingItPassesAndTheOneItStopsOn) {
    Load(Walled({"30202000000002", "00000000000002"}));
    Key(kKeyRight);
    EXPECT_EQ(form->Board, BoardOf(Walled({"00000000000003", "00000000000002"})));
    EXPECT_EQ(form->RingsLeft, 1);
}

TEST_F(GameTest, TheBoardEdgeStopsAPieceLikeAWall) {
    const std::string floor(16, '0');
    Load(Record({"3000000000000000", floor, floor, floor, floor, floor, floor, floor, "2000000000000000"}));
    Keys("LU");
    EXPECT_EQ(Log(), "");
    Key(kKeyRight);
    EXPECT_EQ(BallAt(), std::pair(1, 16));
}

// The guard lets a piece go towards a tile of its own code, where it stops at once: a move, one frame.
TEST_F(GameTest, APieceFacingATileOfItsOwnCodeCountsAMoveAndStays) {
    const std::string level = Walled({"33000000000002", "44"});
    Load(level);
    Keys("L L");
    EXPECT_EQ(form->Board, BoardOf(level));
    EXPECT_EQ(Moves(), 2);
    EXPECT_EQ(platform->Count(Call::Refresh), 2);
}

TEST_F(GameTest, OtherKeysDoNothingWhileRingsRemain) {
    Load(Walled({"30000000000002"}));
    Keys("A\r\x1b");
    EXPECT_EQ(Log(), "");
}

// Erase, then for each cell the frame, the ring taken, the trail; the piece where it stops.
TEST_F(GameTest, ASlideIsDrawnInOrder) {
    Load(Walled({"32010000000002"}));
    Key(kKeyRight);
    EXPECT_EQ(Log(), "p0@2,2 p3@2,2 r w p0@2,2 p3@2,3 r w ding p0@2,3 p0@2,3 p3@2,4 r w p3@2,4 f ");
}

// AnimX and AnimY hold the corner of the last frame; the load's painting left RowIndex and
// ColIndex one past the last row and column.
TEST_F(GameTest, AHorizontalSlideLeavesColIndexAndAnimXOnItsLastCell) {
    Load(Walled({"32010000000002"}));
    Key(kKeyRight);
    EXPECT_EQ(form->AnimX, 120);
    EXPECT_EQ(form->AnimY, 40);
    EXPECT_EQ(form->ColIndex, 4);
    EXPECT_EQ(form->RowIndex, 10);
}

TEST_F(GameTest, AVerticalSlideLeavesRowIndexOnTheRowItStopsOn) {
    Load(Unwinnable({"3"}));
    Key(kKeyDown);
    EXPECT_EQ(form->RowIndex, 6);
    EXPECT_EQ(form->ColIndex, 17);
}

// Level 1 is won by the ball sliding right over its ring, without the animation (its frames'
// pauses take time too); level 2 has no ring, and any key but a refused arrow would win it.
class WinTest : public GameTest {
protected:
    void SetUp() override {
        Load(Walled({"32000000000000", "00000000000004"}) + Walled({"3"}));
        platform->checked[Setting::Animation] = false;
    }
    // The win box's text after the winning slide, made `ms` after a load `phase` ms into a second.
    std::string WinAfter(int ms, int phase = 0) {
        platform->wall += phase;
        form->LoadLevel(1);
        platform->now += ms;
        Key(kKeyRight);
        return platform->boxes.at(0).first;
    }
};

TEST_F(WinTest, TheLastRingShowsTheMovesAndTheTimeInTheWinBox) {
    EXPECT_EQ(WinAfter(3725'999), "Niveau 1 terminé !\r\nNombre de mouvements : 1\r\nTemps écoulé : 1h 2m 5s");
    EXPECT_EQ(platform->boxes[0].second, "Kelo...");
    EXPECT_EQ(form->MessageText, platform->boxes[0].first);
}

TEST_F(WinTest, TheWinningSlideIsDrawnAndCountedBeforeTheSoundAndTheBox) {
    Key(kKeyRight);
    EXPECT_TRUE(Log().starts_with("p0@2,2 ding p0@2,3 p3@2,15 f end box ")) << Log();
}

// Nothing drawn between the ends of the slide, no Ding, no End.wav: the box still shows.
TEST_F(WinTest, WithoutAnimationOrSoundASlideIsDrawnOnlyAtItsEndsAndTheWinIsSilent) {
    platform->checked[Setting::Son] = false;
    Key(kKeyRight);
    EXPECT_TRUE(Log().starts_with("p0@2,2 p0@2,3 p3@2,15 f box ")) << Log();
}

TEST_F(WinTest, SixTenthsOfASecondAcrossASecondBoundaryCountOneSecond) {
    EXPECT_TRUE(WinAfter(600, 700).ends_with("Temps écoulé : 0h 0m 1s"));
}

TEST_F(WinTest, SixTenthsOfASecondWithinOneSecondCountNone) {
    EXPECT_TRUE(WinAfter(600, 300).ends_with("Temps écoulé : 0h 0m 0s"));
}

TEST_F(WinTest, AClockGoneBackCountsNoTime) {
    EXPECT_TRUE(WinAfter(-60'000).ends_with("Temps écoulé : 0h 0m 0s"));
}

TEST_F(WinTest, TheTimeTheWinBoxStaysOpenIsNotCountedOnTheNextLevel) {
    platform->onBox = [this] { platform->now += 100'000; };
    Key(kKeyRight);
    EXPECT_EQ(form->LoadTime, platform->now);
}

TEST_F(WinTest, ASlideThatWinsALevelLoadsTheNextAndDoesNotAlsoWinIt) {
    Key(kKeyRight);
    EXPECT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(form->Level, 2);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 2");
}

// The first key that is not a refused arrow wins; a space wins one level, not the next one too.
TEST_F(GameTest, ALevelWithoutRingsIsWonByAnyKeyButARefusedArrow) {
    const std::string noRing = Walled({"3"});
    Load(noRing + noRing + noRing);
    Key(kKeyLeft);
    EXPECT_EQ(platform->boxes.size(), 0u);
    Key(kKeySpace);
    EXPECT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(form->Level, 2);
    Key('A');
    EXPECT_EQ(form->Level, 3);
}

TEST_F(GameTest, TheMoveCountStopsAtTheLargestNumber) {
    Load(Unwinnable({"3"}));
    form->MoveCount = INT16_MAX - 1;
    Keys("RL");
    EXPECT_EQ(form->MoveCount, INT16_MAX);
    EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 32767");
}

TEST(ElapsedTime, TruncatesEachPart) {
    const std::pair<int, std::string> cases[] = {{59, "0h 0m 59s"},     {60, "0h 1m 0s"},         {3599, "0h 59m 59s"},
                                                 {3725, "1h 2m 5s"},     {-3700, "-1h -1m -40s"},  {INT32_MIN, "-596523h -14m -8s"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatElapsed(seconds), text) << seconds;
}

// A random level file of one to four records, most playable, some broken every way a hand-edited
// file can be.
template <class Pick> std::string RandomLevelFile(Pick& pick) {
    const bool walled = pick(3) != 0;
    const std::string eol = pick(20) ? "\r\n" : "\n";
    std::string file;
    std::string cells(144, '0');
    for (int n = 1 + pick(4); n > 0; --n) {
        for (std::size_t i = 0; i < 144; ++i) {
            const int roll = pick(100);
            const bool border = i < 16 || i >= 128 || i % 16 == 0 || i % 16 == 15;
            // Mostly floor; walls and rings; now and then a byte that is no tile.
            cells[i] = walled && border ? '1' : roll < 18 ? '1' : roll < 28 ? '2' : roll < 29 ? "56789x \r\n\0\xff"[pick(11)] : '0';
        }
        // One of each piece, but now and then none or two.
        for (char piece : {'3', '4'}) {
            for (int k = pick(10) == 0 ? pick(3) : 1; k > 0; --k) cells[static_cast<std::size_t>(pick(144))] = piece;
        }
        for (std::size_t row = 0; row < 9; ++row) file += cells.substr(row * 16, 16) + eol + (row == 8 ? eol : "");
    }
    return file;
}

// Random files, played by random events with the invariants checked after each.
TEST(RandomPlay, InvariantsHoldAfterEveryEvent) {
    std::mt19937 rng(20261206);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int game = 0; game < 5000; ++game) {
        const std::string file = RandomLevelFile(pick);
        FakePlatform platform("/nonexistent");
        platform.record = false;
        platform.memoryFile = pick(8) ? file : file.substr(0, static_cast<std::size_t>(pick(static_cast<int>(file.size()) + 1)));
        platform.checked = {{Setting::Animation, pick(4) == 0}, {Setting::Son, pick(2) == 0}};
        Form1 form(platform);
        Form_Load(form);
        ASSERT_EQ(BrokenInvariant(form, platform), "") << "after launch, game " << game;
        for (int e = 0; e < 400; ++e) ASSERT_EQ(PlayEvent(form, platform, pick), "") << "game " << game << ", event " << e;
    }
}

// The slides of the searches, as the state graph lists the start's, on random boards of walls,
// rings and extra piece tiles, each piece now and then missing, against TraceSlide: refused or
// still, where each piece stands after it, the rings left.
TEST(SolverSlide, IsTheGamesRule) {
    std::mt19937 rng(2026);
    SolveOptions startOnly;
    startOnly.maxStates = 2;
    for (int n = 0; n < 3000; ++n) {
        Puzzle p;
        for (auto& c : p.board.cells()) c = CodeOfChar((n % 2 ? "000000112234" : "022222221000")[rng() % 12]);
        // By piece number (1 ball, 2 square): its tile's cell, and its row and column (0: no cell).
        const std::array<std::size_t, 3> at{0, rng() % kCells, rng() % kCells};
        std::array<int, 3> rows{};
        std::array<int, 3> cols{};
        for (int piece : {kBallPiece, kSquarePiece}) p.board.cells()[at[piece]] = CodeOfPiece(piece);
        for (int piece : {kBallPiece, kSquarePiece}) {
            if (rng() % 8 == 0 || at[1] == at[2]) continue;
            rows[piece] = Board::RowOf(static_cast<int>(at[piece]));
            cols[piece] = Board::ColOf(static_cast<int>(at[piece]));
        }
        std::tie(p.ballRow, p.ballCol, p.squareRow, p.squareCol) = std::tie(rows[1], cols[1], rows[2], cols[2]);
        const int rings = static_cast<int>(std::count(p.board.cells().begin(), p.board.cells().end(), Ring));
        const StateGraph g = Explore(p, startOnly);
        for (int piece : {kBallPiece, kSquarePiece}) {
            for (Direction d : {Direction::Left, Direction::Up, Direction::Right, Direction::Down}) {
                const SlidePath rule = rows[piece] ? TraceSlide(p.board, piece, rows[piece], cols[piece], d) : SlidePath{};
                const auto edge = std::find_if(g.edges.begin(), g.edges.begin() + g.first[1],
                                               [&](const StateGraph::Edge& e) { return e.move() == Move{piece, d}; });
                const bool moves = !rule.refused && rule.to != rule.from;
                ASSERT_EQ(edge != g.edges.begin() + g.first[1], moves) << n;
                if (!moves) continue;
                // By piece number, its cell after the slide, 0xFF where there is no such piece.
                std::array<int, 3> want{0, rows[1] ? static_cast<int>(at[1]) : 0xFF, rows[2] ? static_cast<int>(at[2]) : 0xFF};
                want[piece] = rule.to;
                const StateGraph::Node& after = g.nodes[edge->to];
                EXPECT_EQ(after.ball, want[kBallPiece]) << n;
                EXPECT_EQ(after.square, want[kSquarePiece]) << n;
                EXPECT_EQ(after.ringsLeft, rings - rule.rings) << n;
            }
        }
    }
}

}  // namespace
}  // namespace kelo::test
