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
    // Twelve levels, level n with n rings, the ball and the square.
    void SetUp() override {
        for (int n = 1; n <= 12; ++n) {
            std::string inside(14, '0');
            for (int i = 0; i < n; ++i) inside[i + 1] = '2';
            levels += Walled({"30000000000000", inside, "00000000000004"});
        }
        Load(levels);
    }
    std::string levels;
};

// The answer read as a number and loaded, a missing level giving level 1; a cancelled answer or
// one outside every level number leaves the level as it was, moves and all.
TEST_F(CommandsTest, GoToLevelLoadsTheNumberAnswered) {
    const std::pair<const char*, int> table[] = {{"4", 4}, {"&HA", 10}, {"0", 1}, {"-1", 1}, {"13", 1},
                                                 {"abc", 1}, {"", 6}, {"40000", 6}};
    for (const auto& [answer, level] : table) {
        Load(levels, 6);
        Key(39);
        platform->calls.clear();
        platform->answers.push_back(answer);
        Aller_Click(*form);
        EXPECT_EQ(form->Level, level) << answer;
        EXPECT_EQ(form->RingsLeft, level) << answer;
        EXPECT_EQ(form->MoveCount, level == 6 ? 1 : 0) << answer;
    }
    EXPECT_EQ(platform->calls.at(0).text, "Aller au niveau :");
    EXPECT_EQ(platform->calls.at(0).title, "Kelo...");
}

// Next goes round after the last record and after the largest level number; again puts the level
// back as it was loaded; new game is level 1; quit ends at once.
TEST_F(CommandsTest, NextAgainNewAndQuit) {
    for (int from : {1, 12, INT16_MAX}) {
        form->Level = static_cast<std::int16_t>(from);
        Suivant_Click(*form);
        EXPECT_EQ(form->Level, from == 1 ? 2 : 1);
        EXPECT_EQ(form->RingsLeft, form->Level);
    }
    Key(39);
    Key(32);
    Recommencer_Click(*form);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(std::tuple(form->MoveCount, form->Selected, form->PieceCol[1]), std::tuple(0, 1, 2));
    form->Level = 5;
    Nouveau_Click(*form);
    EXPECT_EQ(form->Level, 1);
    Quitter_Click(*form);
    EXPECT_EQ(platform->calls.back().kind, Call::End);
}

// The help and about texts, with the window's line break, once each; each box comes after its
// sound, which the Son check mark turns off; neither box changes the game. Animation off: no
// slide is shown.
TEST_F(CommandsTest, HelpAboutAndTheToggles) {
    Animation_Click(*form);
    Son_Click(*form);
    EXPECT_FALSE(platform->checked[Setting::Animation] || platform->checked[Setting::Son]);
    Key(39);
    const auto before = form->Board;
    Comment_Click(*form);
    EXPECT_EQ(platform->Count(Call::Refresh) + platform->Count(Call::Sound), 0);
    Animation_Click(*form);
    Son_Click(*form);
    Apropos_Click(*form);
    ASSERT_EQ(platform->boxes.size(), 2u);
    EXPECT_EQ(platform->boxes[0].first,
              "La balle doit ramasser tous les anneaux.\r\nLe carré est une sorte de mur mobile.\r\n"
              "La balle et le carré se déplacent jusqu'à rencontrer un mur.\r\n"
              "On passe de l'un à l'autre en appuyant sur [ESPACE].\r\n"
              "On les déplace à l'aide des flèches de direction.");
    EXPECT_EQ(platform->boxes[0].second, "Pour jouer à Kelo...");
    EXPECT_EQ(platform->boxes[1].first,
              "Programmation : Tolv\r\nGraphismes : Tolv\r\nIdées : Pas moi\r\n\r\nJuin, Juillet 2000");
    EXPECT_EQ(platform->boxes[1].second, "Infos inutiles sur Kelo...");
    EXPECT_EQ(form->Board, before);
    EXPECT_EQ(form->MoveCount, 1);
    EXPECT_EQ(platform->calls.end()[-2].text, folder.path().string() + "/End.wav");  // the sound, then the box
    Key(37);
    EXPECT_GT(platform->Count(Call::Refresh), 0);
}

// The launch sets the line break, checks Animation and starts a new game; every menu item but a
// separator runs a command, and an item with a check mark flips its own setting.
TEST_F(CommandsTest, LaunchAndMenuBarWireTheCommands) {
    platform->checked[Setting::Animation] = false;
    form->Level = 9;
    form->CrLf.clear();
    Form_Load(*form);
    EXPECT_EQ(form->CrLf, "\r\n");
    EXPECT_TRUE(platform->checked[Setting::Animation]);
    EXPECT_EQ(form->Level, 1);
    for (const Menu& m : MenuBar()) {
        for (const MenuItem& i : m.items) {
            EXPECT_EQ(i.caption == "-", i.handler == nullptr) << i.name;
            if (i.checkMark) i.handler(*form);
        }
    }
    EXPECT_FALSE(platform->checked[Setting::Animation] || platform->checked[Setting::Son]);  // both were on
}

}  // namespace
}  // namespace kelo::test
