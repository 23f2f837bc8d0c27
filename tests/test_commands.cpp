// The menu commands through the recording platform, and the go-to-level answer read as a number.
#include "commands/handlers.h"
#include "commands/menu.h"
#include "commands/number.h"
#include "support/game_fixture.h"
#include "ui/launch.h"

namespace kelo::test {
namespace {

TEST(ReadLevelNumber, ReadsTheAnswerAsTheGameDoes) {
    const std::string huge(400, '9');  // beyond a double: out of range with no exponent
    constexpr auto out = std::nullopt;
    const std::pair<const char*, std::optional<std::int16_t>> table[] = {
        // digits with blanks anywhere, and a sign; a carriage return is no blank
        {"19", 19}, {"1 2", 12}, {"1\t2", 12}, {"1\n2", 12}, {" +7 ", 7}, {"-1", -1}, {"- 3", -3}, {"1\r2", 1},
        // reading stops at the first character that does not continue the number; no number is 0
        {"3abc", 3}, {"1x5", 1}, {"2,9", 2}, {"1-2", 1}, {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"--2", 0},
        {"inf", 0}, {"nan", 0},
        // fractions round half to even; exponents with or without a sign
        {"2.5", 2}, {"3.5", 4}, {"-3.5", -4}, {"2.51", 3}, {".5", 0}, {".6", 1}, {"5.", 5}, {"4.2.1", 4},
        {"1e2", 100}, {"1E2", 100}, {"5.e2", 500}, {"15e-1", 2}, {"1e+3", 1000}, {"1e04", 10000}, {"1e", 1}, {"1e+", 1},
        {"1 e 2", 100}, {"1e-9999", 0}, {"-1e-9999", 0},
        // &H and &O digits, upper or lower case, up to the first digit outside the radix
        {"&H10", 16}, {"&h1f", 31}, {"&Ha", 10}, {"&HA", 10}, {"&O17", 15}, {"&o7", 7}, {"&O8", 0}, {"&H1G2", 1},
        {"&H1.5", 1}, {"& H 7FFF", 32767}, {"&H", 0}, {"&", 0}, {"&12", 0}, {"&x", 0},
        // the range of a level number
        {"32767", 32767}, {"-32768", -32768}, {"32767.4", 32767}, {"-32768.5", -32768}, {"32767.5", out},
        {"-32769", out}, {"- 40000", out}, {"1e5", out}, {"1e9999", out}, {"&H8000", out},
        {"99999999999999999999999999", out}, {huge.c_str(), out},
    };
    for (const auto& [text, expected] : table) EXPECT_EQ(ReadLevelNumber(text), expected) << '"' << text << '"';
}

class CommandsTest : public GameTest {
protected:
    void SetUp() override { Load(levels); }
    const std::string levels = NumberedFile(12);
};

// Level 6 loaded and one move played, then the go-to box answered.
class GoToTest : public CommandsTest {
protected:
    void Answer(const std::string& answer) {
        Load(levels, 6);
        Key(kKeyRight);
        platform->calls.clear();
        platform->answers.push_back(answer);
        Aller_Click(*form);
    }
};

TEST_F(GoToTest, AsksWithItsPromptAndLoadsTheLevelAnswered) {
    Answer("4");
    EXPECT_EQ(platform->calls.at(0).text, "Aller au niveau :");
    EXPECT_EQ(platform->calls.at(0).title, "Kelo...");
    EXPECT_EQ(form->Level, 4);
    EXPECT_EQ(form->RingsLeft, 4);
    EXPECT_EQ(form->MoveCount, 0);
}

TEST_F(GoToTest, ACancelledAnswerLeavesTheLevelAsItWas) {
    Answer("");
    EXPECT_EQ(form->Level, 6);
    EXPECT_EQ(form->MoveCount, 1);
}

TEST_F(GoToTest, AnAnswerOutsideEveryLevelNumberLeavesTheLevelAsItWas) {
    Answer("40000");
    EXPECT_EQ(form->Level, 6);
    EXPECT_EQ(form->MoveCount, 1);
}

TEST_F(CommandsTest, NextLoadsTheFollowingLevel) {
    Suivant_Click(*form);
    EXPECT_EQ(form->Level, 2);
    EXPECT_EQ(form->RingsLeft, 2);
}

TEST_F(CommandsTest, AgainPutsTheLevelBackAsItWasLoaded) {
    Load(levels, 3);
    Key(kKeyRight);
    Key(kKeySpace);
    Recommencer_Click(*form);
    EXPECT_EQ(form->Level, 3);
    EXPECT_EQ(form->MoveCount, 0);
    EXPECT_EQ(form->Selected, kBallPiece);
    EXPECT_EQ(BallAt(), std::pair(2, 2));
}

TEST_F(CommandsTest, HelpShowsTheRulesWithTheWindowsLineBreak) {
    Comment_Click(*form);
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->boxes[0].first,
              "La balle doit ramasser tous les anneaux.\r\nLe carré est une sorte de mur mobile.\r\n"
              "La balle et le carré se déplacent jusqu'à rencontrer un mur.\r\n"
              "On passe de l'un à l'autre en appuyant sur [ESPACE].\r\n"
              "On les déplace à l'aide des flèches de direction.");
    EXPECT_EQ(platform->boxes[0].second, "Pour jouer à Kelo...");
}

TEST_F(CommandsTest, AboutShowsWhoMadeTheGame) {
    Apropos_Click(*form);
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->boxes[0].first, "Programmation : Tolv\r\nGraphismes : Tolv\r\nIdées : Pas moi\r\n\r\nJuin, Juillet 2000");
    EXPECT_EQ(platform->boxes[0].second, "Infos inutiles sur Kelo...");
}

TEST_F(CommandsTest, AnInfoBoxComesAfterItsSound) {
    Apropos_Click(*form);
    ASSERT_EQ(platform->calls.size(), 2u);
    EXPECT_EQ(platform->calls[0].text, folder.path().string() + "/End.wav");
    EXPECT_EQ(platform->calls[1].kind, Call::Box);
}

TEST_F(CommandsTest, WithoutSoundAnInfoBoxPlaysNothing) {
    Son_Click(*form);
    Comment_Click(*form);
    EXPECT_EQ(platform->Count(Call::Sound), 0);
    EXPECT_EQ(platform->boxes.size(), 1u);
}

// The launch sets the Windows line break, checks Animation, and starts a new game (Nouveau).
TEST_F(CommandsTest, TheLaunchStartsANewGameWithAnimationAndTheWindowsLineBreak) {
    Load(levels, 5);
    form->CrLf.clear();
    platform->checked[Setting::Animation] = false;
    Form_Load(*form);
    EXPECT_EQ(form->CrLf, "\r\n");
    EXPECT_TRUE(platform->checked[Setting::Animation]);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(form->RingsLeft, 1);
}

TEST(MenuBar, EveryItemButASeparatorHasAHandler) {
    for (const Menu& m : MenuBar()) {
        for (const MenuItem& i : m.items) EXPECT_EQ(i.caption == "-", i.handler == nullptr) << i.name;
    }
}

// Animation and Son: each item's handler flips its own setting, and flips it back.
TEST_F(CommandsTest, ACheckMarkedItemFlipsItsOwnSetting) {
    int marks = 0;
    for (const Menu& m : MenuBar()) {
        for (const MenuItem& i : m.items) {
            if (!i.checkMark) continue;
            ++marks;
            i.handler(*form);
            EXPECT_FALSE(platform->checked[*i.checkMark]) << i.name;
            i.handler(*form);
            EXPECT_TRUE(platform->checked[*i.checkMark]) << i.name;
        }
    }
    EXPECT_EQ(marks, 2);
}

}  // namespace
}  // namespace kelo::test
