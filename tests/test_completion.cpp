// The end of a level: the test after each key, the three-line text, the sound, the next level.
#include "game/elapsed.h"
#include "support/game_fixture.h"

namespace kelo::test {
namespace {

class CompletionTest : public GameTest {};

const std::string kTwoLevels = Walled({"32000000000000", "00000000000004"}) + Walled({"30000000000002"});

TEST_F(CompletionTest, TheLastRingEndsTheLevelAfterTheFinalDrawing) {
    Load(kTwoLevels);
    platform->checked[Setting::Animation] = false;  // no pauses to add to the time
    platform->onBox = [this] {
        // While the box is open, the winning move is drawn and counted.
        EXPECT_EQ(platform->Shown(2, 15), Ball);
        EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 1");
        EXPECT_EQ(form->Level, 1);
    };
    platform->now += 3725 * 1000 + 999;
    form->Form_KeyDown(39, 0);
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->boxes[0].first,
              "Niveau 1 terminé !\r\nNombre de mouvements : 1\r\nTemps écoulé : 1h 2m 5s");
    EXPECT_EQ(platform->boxes[0].second, "Kelo...");
    EXPECT_EQ(form->MessageText, platform->boxes[0].first);
    EXPECT_EQ(form->Counter, 3725);
    // End.wav with flags 3 before the box, then level 2.
    std::vector<Call::Kind> order;
    for (const Call& c : platform->calls) {
        if (c.kind == Call::Sound && c.text.ends_with("/End.wav")) {
            EXPECT_EQ(c.flags, kSoundAsyncSilent);
            order.push_back(c.kind);
        }
        if (c.kind == Call::Box) order.push_back(c.kind);
    }
    EXPECT_EQ(order, (std::vector<Call::Kind>{Call::Sound, Call::Box}));
    EXPECT_EQ(form->Level, 2);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 2");
    EXPECT_EQ(form->MoveCount, 0);
}

TEST_F(CompletionTest, WinningTheLastLevelGoesRoundToLevelOne) {
    Load(kTwoLevels, 2);
    form->Form_KeyDown(39, 0);
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_TRUE(platform->boxes[0].first.starts_with("Niveau 2 terminé !"));
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 1");
}

TEST_F(CompletionTest, RingsLeftMeanNothingHappens) {
    Load(kTwoLevels);
    for (int key : {32, 40, 65, 0}) form->Form_KeyDown(static_cast<std::int16_t>(key), 0);
    EXPECT_TRUE(platform->boxes.empty());
    EXPECT_EQ(platform->Count(Call::Sound), 0);
}

TEST_F(CompletionTest, ALevelWithoutRingsIsWonByAnyKeyButARefusedArrow) {
    const std::string noRings = Walled({"30000000000000"}) + Walled({"30000000000000"});
    Load(noRings);
    form->Form_KeyDown(37, 0);  // refused: the wall
    EXPECT_TRUE(platform->boxes.empty());
    form->Form_KeyDown(65, 0);
    EXPECT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(form->Level, 2);
    form->Form_KeyDown(32, 0);
    EXPECT_EQ(platform->boxes.size(), 2u);
    EXPECT_EQ(form->Level, 1);
}

TEST_F(CompletionTest, SoundOffStillShowsTheBox) {
    Load(kTwoLevels);
    platform->checked[Setting::Son] = false;
    form->Form_KeyDown(39, 0);
    EXPECT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->Count(Call::Sound), 0);
}

TEST_F(CompletionTest, TheTimeIsNeverNegativeAndTheBoxTimeIsNotCounted) {
    Load(kTwoLevels);
    platform->now -= 60'000;  // a clock that went back cannot come from the steady clock; guard anyway
    platform->onBox = [this] { platform->now += 100'000; };
    form->Form_KeyDown(39, 0);
    EXPECT_EQ(form->Counter, 0);
    EXPECT_TRUE(platform->boxes[0].first.ends_with("Temps écoulé : 0h 0m 0s"));
    EXPECT_EQ(form->LoadTime, platform->now);
}

TEST_F(CompletionTest, TheLevelAfterTheLargestNumberIsOne) {
    Load(kTwoLevels);
    form->Level = INT16_MAX;
    form->Form_KeyDown(39, 0);
    EXPECT_TRUE(platform->boxes[0].first.starts_with("Niveau 32767 terminé !"));
    EXPECT_EQ(form->Level, 1);
}

TEST(ElapsedTime, FollowsTheTableForAnyNumber) {
    const std::pair<int, const char*> table[] = {
        {0, "0h 0m 0s"},        {59, "0h 0m 59s"},       {60, "0h 1m 0s"},
        {3599, "0h 59m 59s"},   {3600, "1h 0m 0s"},      {90000, "25h 0m 0s"},
        {-30, "0h 0m -30s"},    {-3700, "-1h -1m -40s"}, {3725, "1h 2m 5s"},
        {INT32_MAX, "596523h 14m 7s"}, {INT32_MIN, "-596523h -14m -8s"},
    };
    for (const auto& [seconds, text] : table) EXPECT_EQ(FormatElapsed(seconds), text) << seconds;
}

}  // namespace
}  // namespace kelo::test
