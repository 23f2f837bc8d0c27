// Play through the key handler: the slides of both pieces and their guards, rings, the drawing of
// a slide, the end of a level; random play under the invariants; the searches' slide is the game's.
#include <random>

#include "game/elapsed.h"
#include "support/game_fixture.h"
#include "support/invariants.h"
#include "tools/kelo-levels/search.h"
#include "ui/launch.h"

namespace kelo::test {
namespace {

// Each case: a level, the keys ("LURD", space, others), the board after, the moves counted and the
// frames drawn. A key that counts no move (space aside) must make no call at all.
TEST_F(GameTest, SlidesFollowTheRules) {
    const std::string z(16, '0'), e(14, '0'), walls(14, '1');
    const struct Case { std::string level, keys, after; int moves, frames;
    } cases[] = {
        // The ball in each direction to the wall; then refused by walls.
        {Walled({e, "03000000000000", e, walls, "40000000000002"}), "RDLUUL", Walled({"30000000000000", e, e, walls, "40000000000002"}), 4,
         13 + 2 + 14 + 3},
        // The square in each direction, stopping before a ring, a wall, the ball; then refused by the ball.
        {Walled({"30000000000000", "04000200000000", e, walls, "00000000000002"}), " RDLUU",
         Walled({"30000000000000", "40000200000000", e, walls, "00000000000002"}), 4, 4 + 2 + 5 + 2},
        // Every refusal: the ball against a wall and the square, the square against the ball, a ring, a wall.
        {Walled({"34200000000000"}), "LRU LRU", Walled({"34200000000000"}), 0, 0},
        // Rings on the way and on the last cell are taken.
        {Walled({"30202000000002", "00000000000002", "00000000000004"}), "R", Walled({"00000000000003", "00000000000002", "00000000000004"}), 1, 14},
        // A neighbour of the piece's own code lets the move go, and the piece stays: a move, one frame.
        {Walled({"33000000000002", "44000000000000"}), "L L", Walled({"33000000000002", "44000000000000"}), 2, 2},
        // Off the board is a wall; the ball stops before the square.
        {Record({"3000000000000000", z, z, z, z, z, z, z, "2000000000000004"}), "LURD",
         Record({z, z, z, z, z, z, z, "0000000000000003", "2000000000000004"}), 2, 16 + 8},
        // No square on the board: its arrows do nothing; other keys neither.
        {Walled({"30000000000002"}), " LURDA\r\x1b", Walled({"30000000000002"}), 0, 0},
    };
    for (const Case& c : cases) {
        Load(c.level);
        for (char k : c.keys) {
            const auto [moves, calls] = std::pair(Moves(), platform->calls.size());
            Key(KeyOf(k));
            EXPECT_TRUE(k == ' ' || Moves() != moves || platform->calls.size() == calls) << c.keys << " at " << k;
        }
        EXPECT_EQ(form->Board, BoardOf(c.after)) << c.keys;
        EXPECT_EQ(std::pair(Moves(), platform->Count(Call::Refresh)), std::pair(c.moves, c.frames)) << c.keys;
        EXPECT_EQ(BrokenInvariant(*form, *platform), "") << c.keys;
    }
}

// The order of a slide's drawing: erase, then per cell the frame, the ring, the trail; the piece.
TEST_F(GameTest, ASlideIsDrawnInOrder) {
    Load(Walled({"32010000000002"}));
    Key(kKeyRight);
    EXPECT_EQ(Log(), "p0@2,2 p3@2,2 r w p0@2,2 p3@2,3 r w ding p0@2,3 p0@2,3 p3@2,4 r w p3@2,4 f ");
    EXPECT_EQ(form->AnimX * 1000 + form->AnimY * 10 + form->ColIndex, 120'404);  // the last frame's corner, its column
    Load(Walled({"32010000000002"}));
    platform->checked = {{Setting::Animation, false}, {Setting::Son, false}};
    Key(kKeyRight);
    EXPECT_EQ(Log(), "p0@2,2 p0@2,3 p3@2,4 f ");
}

TEST_F(GameTest, TheLastRingEndsTheLevel) {
    const std::string one = Walled({"32000000000000", "00000000000004"}), two = Walled({"30000000000002"});
    Load(one + two);
    platform->checked[Setting::Animation] = false;
    platform->now += 3725 * 1000 + 999;
    Keys(KeysOf(Solve(*ReadLevel(MemoryBytes(one), 1)).moves));
    // The winning move is drawn and counted before the sound and the box; then the next level.
    EXPECT_TRUE(Log().starts_with("p0@2,2 ding p0@2,3 p3@2,15 f end box ")) << Log();
    EXPECT_EQ(platform->boxes.at(0).first + platform->boxes[0].second,
              "Niveau 1 terminé !\r\nNombre de mouvements : 1\r\nTemps écoulé : 1h 2m 5sKelo...");
    EXPECT_EQ(form->MessageText + platform->caption, platform->boxes[0].first + "Kelo - Niveau 2");
    EXPECT_EQ(form->Board, BoardOf(two));
    // The last level goes round to the first, read from its start; a clock gone back counts no
    // time, and the time the box stays open is not counted on the next level.
    platform->now = form->LoadTime - 60'000, platform->onBox = [this] { platform->now += 100'000; };
    Key(kKeyRight);
    EXPECT_EQ(platform->boxes.at(1).first, "Niveau 2 terminé !\r\nNombre de mouvements : 1\r\nTemps écoulé : 0h 0m 0s");
    EXPECT_EQ(form->LoadTime, platform->now);
    EXPECT_EQ(form->Board, BoardOf(one));
    // After the largest level number comes 1; without sound the box still shows.
    form->Level = INT16_MAX, platform->checked[Setting::Son] = false;
    platform->calls.clear();
    Key(kKeyRight);
    EXPECT_TRUE(platform->boxes.at(2).first.starts_with("Niveau 32767 terminé !")) << platform->boxes[2].first;
    EXPECT_EQ(form->Level + platform->Count(Call::Sound), 1);
    // Without rings any key wins but a refused arrow.
    Load(Walled({"30000000000000"}) + Walled({"30000000000000"}));
    Keys("LA");
    EXPECT_EQ(platform->boxes.size() * 10 + static_cast<std::size_t>(form->Level), 12u);
}

TEST_F(GameTest, PiecesWithoutACellAreNotDrawnAndTheMoveCountStops) {
    Load(Walled({"", "2"}));
    form->Display(), form->Erases();
    EXPECT_EQ(Log(), "");
    Load(Walled({"3", "2"}));
    form->MoveCount = INT16_MAX - 1;
    Keys("RL");
    EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 32767");
}

TEST(ElapsedTime, TruncatesEachPart) {
    const std::pair<int, std::string> cases[] = {{59, "0h 0m 59s"},     {60, "0h 1m 0s"},         {3599, "0h 59m 59s"},
                                                 {3725, "1h 2m 5s"},     {-3700, "-1h -1m -40s"},  {INT32_MIN, "-596523h -14m -8s"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatElapsed(seconds), text) << seconds;
}

// Files of one to four records, most playable, some broken every way a hand-edited file can be,
// played by random events with the invariants checked after each.
TEST(RandomPlay, InvariantsHoldAfterEveryEvent) {
    std::mt19937 rng(20261206);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int game = 0; game < 5000; ++game) {
        const bool walled = pick(3) != 0;
        std::string file, cells(144, '0'), eol = pick(20) ? "\r\n" : "\n";
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

// The searches' own slide on random boards of walls, rings and extra piece tiles, each piece now
// and then missing, against TraceSlide: refused or still, the piece's cell, the rings taken.
TEST(SolverSlide, IsTheGamesRule) {
    std::mt19937 rng(2026);
    for (int n = 0; n < 3000; ++n) {
        Puzzle p;
        for (auto& c : p.board.cells()) c = CodeOfChar((n % 2 ? "000000112234" : "022222221000")[rng() % 12]);
        // By piece number (1 ball, 2 square): its tile's cell, and its row and column (0: no cell).
        const std::array<std::size_t, 3> at{0, rng() % kCells, rng() % kCells};
        std::array<int, 3> rows{}, cols{};
        for (int piece : {kBallPiece, kSquarePiece}) p.board.cells()[at[piece]] = CodeOfPiece(piece);
        for (int piece : {kBallPiece, kSquarePiece}) {
            if (rng() % 8 == 0 || at[1] == at[2]) continue;
            rows[piece] = Board::RowOf(static_cast<int>(at[piece]));
            cols[piece] = Board::ColOf(static_cast<int>(at[piece]));
        }
        std::tie(p.ballRow, p.ballCol, p.squareRow, p.squareCol) = std::tie(rows[1], cols[1], rows[2], cols[2]);
        for (int piece : {kBallPiece, kSquarePiece}) {
            for (Direction d : {Direction::Left, Direction::Up, Direction::Right, Direction::Down}) {
                const auto search = SearchSlide(p, {piece, d});
                const SlidePath rule = rows[piece] ? TraceSlide(p.board, piece, rows[piece], cols[piece], d) : SlidePath{};
                ASSERT_EQ(search.has_value(), !rule.refused && rule.to != rule.from) << n;
                if (!search) continue;
                Board want = p.board;
                for (int k = 0; k < rule.rings; ++k) want.cells()[rule.ringCells[static_cast<std::size_t>(k)]] = Empty;
                want.cells()[rule.from] = Empty, want.cells()[rule.to] = CodeOfPiece(piece);
                auto [r, c] = std::pair(rows, cols);
                r[piece] = Board::RowOf(rule.to), c[piece] = Board::ColOf(rule.to);
                EXPECT_EQ(search->board, want) << n;
                EXPECT_EQ(std::tie(search->ballRow, search->ballCol, search->squareRow, search->squareCol), std::tie(r[1], c[1], r[2], c[2])) << n;
            }
        }
    }
}

}  // namespace
}  // namespace kelo::test
