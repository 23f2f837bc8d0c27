// Random levels, good and broken, played with random keys and commands; the invariants are
// checked after every event.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "commands/handlers.h"
#include "support/invariants.h"
#include "ui/launch.h"

namespace kelo::test {
namespace {

int FromEnvironment(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v ? std::max(1, std::atoi(v)) : fallback;
}

// A level file of one to four records, most of them playable, some of them broken in every way
// a hand-edited file can be.
std::string RandomFile(std::mt19937& rng) {
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const bool walled = pick(3) != 0;
    const bool lfOnly = pick(20) == 0;
    std::string file;
    const int levels = 1 + pick(4);
    for (int n = 0; n < levels; ++n) {
        const int balls = pick(10) == 0 ? pick(3) : 1;
        const int squares = pick(10) == 0 ? pick(3) : 1;
        std::string cells(144, '0');
        for (char& c : cells) {
            const int roll = pick(100);
            c = roll < 18 ? '1' : roll < 28 ? '2' : roll < 29 ? static_cast<char>("56789x \r\n\0\xff"[pick(11)]) : '0';
        }
        if (walled) {
            for (int i = 0; i < 144; ++i) {
                if (i < 16 || i >= 128 || i % 16 == 0 || i % 16 == 15) cells[i] = '1';
            }
        }
        for (int b = 0; b < balls; ++b) cells[pick(144)] = '3';
        for (int s = 0; s < squares; ++s) cells[pick(144)] = '4';
        for (int row = 0; row < 9; ++row) file += cells.substr(row * 16, 16) + (lfOnly ? "\n" : "\r\n");
        file += lfOnly ? "\n" : "\r\n";
    }
    if (pick(8) == 0) file.resize(pick(static_cast<int>(file.size()) + 1));
    return file;
}

TEST(RandomPlay, InvariantsHoldAfterEveryEvent) {
    const int games = FromEnvironment("KELO_RANDOM_GAMES", 5000);
    const int events = FromEnvironment("KELO_RANDOM_EVENTS", 400);
    std::mt19937 rng(20261206);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const char* answers[] = {"", "1", "2", "3", "4", "0", "-1", "abc", " ", "2.5", "&H2", "40000", "32767", "-32768", "1e3", "3abc"};
    long played = 0, slides = 0, wins = 0;
    for (int game = 0; game < games; ++game) {
        FakePlatform platform("/nonexistent");
        platform.record = false;
        platform.memoryFile = RandomFile(rng);
        platform.checked[Setting::Animation] = pick(4) == 0;
        platform.checked[Setting::Son] = pick(2) == 0;
        Form1 form(platform);
        Form_Load(form);
        ASSERT_EQ(BrokenInvariant(form, platform), "") << "after launch, game " << game;
        for (int e = 0; e < events; ++e) {
            const int roll = pick(100);
            const int movesBefore = form.MoveCount;
            const int boxesBefore = platform.boxCount;
            const std::uint8_t selectedBefore = form.Selected;
            bool expectMove = false, loads = false;
            std::string what;
            if (roll < 60) {
                const int key = 37 + pick(4);
                const Direction d = *DirectionOfKey(key);
                const int p = form.Selected;
                expectMove = form.PieceOnBoard(p) &&
                             GuardAllows(p, form.Board.At(form.PieceRow[p] + RowStep(d), form.PieceCol[p] + ColStep(d)));
                form.Form_KeyDown(static_cast<std::int16_t>(key), static_cast<std::int16_t>(pick(8)));
                what = "arrow " + std::to_string(key);
                slides += expectMove;
            } else if (roll < 75) {
                form.Form_KeyDown(32, 0);
                what = "space";
                if (platform.boxCount == boxesBefore) {
                    EXPECT_NE(form.Selected, selectedBefore);
                }
            } else if (roll < 80) {
                int key;
                do key = pick(300) - 20;
                while (key == 32 || (key >= 37 && key <= 40));
                form.Form_KeyDown(static_cast<std::int16_t>(key), 0);
                what = "other key";
            } else {
                loads = true;
                switch (pick(9)) {
                case 0: Nouveau_Click(form); what = "Nouveau"; break;
                case 1: Recommencer_Click(form); what = "Recommencer"; break;
                case 2: Suivant_Click(form); what = "Suivant"; break;
                case 3:
                    platform.answers.push_back(answers[pick(std::size(answers))]);
                    Aller_Click(form);
                    what = "Aller";
                    loads = false;  // a cancelled or rejected answer loads nothing
                    break;
                case 4: Animation_Click(form); what = "Animation"; loads = false; break;
                case 5: Son_Click(form); what = "Son"; loads = false; break;
                case 6: Comment_Click(form); what = "Comment"; loads = false; break;
                case 7: Apropos_Click(form); what = "Apropos"; loads = false; break;
                default:
                    form.Level = static_cast<std::int16_t>(pick(65536) - 32768);
                    form.LoadLevel(form.Level);
                    what = "load of any number";
                }
            }
            ++played;
            const std::string broken = BrokenInvariant(form, platform);
            ASSERT_EQ(broken, "") << "game " << game << ", event " << e << ": " << what;
            const bool won = platform.boxCount > boxesBefore && what != "Comment" && what != "Apropos";
            wins += won;
            if (won || loads) {
                EXPECT_EQ(form.MoveCount, 0) << what;
                EXPECT_EQ(form.Selected, kBallPiece) << what;
            } else if (what.starts_with("arrow")) {
                EXPECT_EQ(form.MoveCount, std::min(movesBefore + (expectMove ? 1 : 0), 32767)) << what;
            } else if (what != "Aller") {
                EXPECT_EQ(form.MoveCount, movesBefore) << what;
            }
        }
    }
    std::printf("random play: %d games, %ld events, %ld slides, %ld levels won\n", games, played, slides, wins);
}

}  // namespace
}  // namespace kelo::test
