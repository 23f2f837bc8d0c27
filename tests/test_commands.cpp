// The menu commands through the recording platform, and the texts of the Help and About boxes.
#include "commands/handlers.h"
#include "commands/menu.h"
#include "support/game_fixture.h"
#include "ui/launch.h"

namespace kelo::test {
namespace {

class CommandsTest : public GameTest {
protected:
    // Twelve levels, level n with n rings, the ball and the square.
    void SetUp() override {
        std::string file;
        for (int n = 1; n <= 12; ++n) {
            std::string inside(14, '0');
            for (int i = 0; i < n; ++i) inside[i + 1] = '2';
            file += Walled({"30000000000000", inside, "00000000000004"});
        }
        Load(file);
    }
    void GoTo(const std::string& answer) {
        platform->answers.push_back(answer);
        Aller_Click(*form);
    }
};

TEST_F(CommandsTest, NewGameAgainAndNextSetTheLevelAndLoadIt) {
    form->Level = 5;
    form->LoadLevel(5);
    Nouveau_Click(*form);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(form->RingsLeft, 1);
    Suivant_Click(*form);
    Suivant_Click(*form);
    EXPECT_EQ(form->Level, 3);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 3");
    form->Form_KeyDown(40, 0);
    form->Form_KeyDown(32, 0);
    EXPECT_EQ(form->MoveCount, 1);
    Recommencer_Click(*form);
    EXPECT_EQ(form->Level, 3);
    EXPECT_EQ(form->MoveCount, 0);
    EXPECT_EQ(form->Selected, 1);
    EXPECT_EQ(form->PieceRow[1], 2);
    form->Level = 12;
    Suivant_Click(*form);
    EXPECT_EQ(form->Level, 1);
    form->Level = INT16_MAX;
    Suivant_Click(*form);
    EXPECT_EQ(form->Level, 1);
}

TEST_F(CommandsTest, GoToLevelReadsTheAnswerAsANumber) {
    const std::pair<const char*, int> table[] = {{"4", 4}, {"3abc", 3}, {"1 2", 12}, {"2.5", 2}, {"3.5", 4},
                                                 {"2,9", 2}, {"&HA", 10}, {"abc", 1}, {" ", 1},  {"0", 1},
                                                 {"-1", 1},  {"13", 1}};
    for (const auto& [answer, level] : table) {
        form->Level = 7;
        GoTo(answer);
        EXPECT_EQ(form->Level, level) << answer;
        EXPECT_EQ(form->RingsLeft, level) << answer;
    }
    ASSERT_FALSE(platform->calls.empty());
    const Call& input = platform->calls[0];
    EXPECT_EQ(input.kind, Call::Input);
    EXPECT_EQ(input.text, "Aller au niveau :");
    EXPECT_EQ(input.title, "Kelo...");
}

TEST_F(CommandsTest, CancelledEmptyOrOutOfRangeAnswersChangeNothing) {
    form->Level = 6;
    form->LoadLevel(6);
    form->Form_KeyDown(40, 0);
    for (const char* answer : {"", "40000", "-40000", "32768", "1e6"}) {
        platform->calls.clear();
        GoTo(answer);
        EXPECT_EQ(form->Level, 6) << answer;
        EXPECT_EQ(form->MoveCount, 1) << answer;
        EXPECT_EQ(platform->Count(Call::Paint), 0) << answer;
        EXPECT_TRUE(platform->boxes.empty());
    }
}

TEST_F(CommandsTest, TogglesFlipTheCheckMarksReadAtTheMomentOfUse) {
    Animation_Click(*form);
    EXPECT_FALSE(platform->checked[Setting::Animation]);
    form->Form_KeyDown(40, 0);
    EXPECT_EQ(platform->Count(Call::Refresh), 0);
    Animation_Click(*form);
    form->Form_KeyDown(38, 0);
    EXPECT_GT(platform->Count(Call::Refresh), 0);
    Son_Click(*form);
    EXPECT_FALSE(platform->checked[Setting::Son]);
    Comment_Click(*form);
    EXPECT_EQ(platform->Count(Call::Sound), 0);
    Son_Click(*form);
    EXPECT_TRUE(platform->checked[Setting::Son]);
    Comment_Click(*form);
    EXPECT_EQ(platform->Count(Call::Sound), 1);
}

TEST_F(CommandsTest, QuitEndsAtOnce) {
    Quitter_Click(*form);
    ASSERT_EQ(platform->calls.size(), 1u);
    EXPECT_EQ(platform->calls[0].kind, Call::End);
}

TEST_F(CommandsTest, HelpAndAboutShowTheirExactTexts) {
    const std::string help =
        "La balle doit ramasser tous les anneaux.\r\n"
        "Le carr\xC3\xA9 est une sorte de mur mobile.\r\n"
        "La balle et le carr\xC3\xA9 se d\xC3\xA9placent jusqu'\xC3\xA0 rencontrer un mur.\r\n"
        "On passe de l'un \xC3\xA0 l'autre en appuyant sur [ESPACE].\r\n"
        "On les d\xC3\xA9place \xC3\xA0 l'aide des fl\xC3\xA8""ches de direction.";
    const std::string about =
        "Programmation : Tolv\r\nGraphismes : Tolv\r\nId\xC3\xA9""es : Pas moi\r\n\r\nJuin, Juillet 2000";
    const auto before = form->Board;
    const int moves = form->MoveCount;
    for (int i = 0; i < 2; ++i) {
        Comment_Click(*form);
        EXPECT_EQ(form->MessageText, help);
        Apropos_Click(*form);
        EXPECT_EQ(form->MessageText, about);
    }
    ASSERT_EQ(platform->boxes.size(), 4u);
    EXPECT_EQ(platform->boxes[0], std::make_pair(help, std::string("Pour jouer \xC3\xA0 Kelo...")));
    EXPECT_EQ(platform->boxes[1], std::make_pair(about, std::string("Infos inutiles sur Kelo...")));
    EXPECT_EQ(form->Board, before);
    EXPECT_EQ(form->MoveCount, moves);
    EXPECT_EQ(form->Level, 1);
    for (const Call& c : platform->calls) {
        if (c.kind == Call::Sound) {
            EXPECT_EQ(c.text, folder.path().string() + "/End.wav");
            EXPECT_EQ(c.flags, kSoundAsyncSilent);
        }
    }
    // The sound starts before each box.
    ASSERT_GE(platform->calls.size(), 2u);
    EXPECT_EQ(platform->calls[0].kind, Call::Sound);
    EXPECT_EQ(platform->calls[1].kind, Call::Box);
}

TEST_F(CommandsTest, LaunchDrawsTheBevelChecksAnimationAndStartsANewGame) {
    platform->checked[Setting::Animation] = false;
    form->Level = 9;
    form->CrLf.clear();
    Form_Load(*form);
    EXPECT_EQ(form->CrLf, "\r\n");
    EXPECT_TRUE(platform->checked[Setting::Animation]);
    EXPECT_EQ(form->Level, 1);
    std::vector<std::string> lines;
    for (const Call& c : platform->calls) {
        if (c.kind == Call::Line)
            lines.push_back(std::to_string(c.x) + "," + std::to_string(c.y) + "-" + c.text + ":" +
                            std::to_string(c.flags));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"620,360-579,360:16777215", "579,360-579,401:16777215",
                                               "620,360-620,401:0", "620,401-579,401:0"}));
    EXPECT_EQ(platform->caption, "Kelo - Niveau 1");
}

TEST(MenuBar, HoldsTheMenusInOrderWithTheirCaptionsAndShortcuts) {
    std::vector<std::string> rows;
    for (const Menu& m : MenuBar()) {
        rows.push_back(m.caption);
        for (const MenuItem& i : m.items) rows.push_back("  " + i.caption + (i.shortcut.empty() ? "" : "\t" + i.shortcut) +
                                                         (i.checkMark ? " [x]" : ""));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "&Jeu", "  &Nouveau\tCtrl+N", "  &Recommencer le niveau\tCtrl+R", "  Niveau &Suivant\tCtrl+S",
                        "  &Aller au niveau\tCtrl+A", "  -", "  &Quitter", "&Options", "  &Animation\tCtrl+O [x]",
                        "  &Son\tCtrl+W [x]", "&Aide", "  Comment Jouer ?\tF1", "  -", "  A propos de Kelo..."}));
    for (const Menu& m : MenuBar()) {
        for (const MenuItem& i : m.items) EXPECT_EQ(i.caption == "-", i.handler == nullptr) << i.name;
    }
}

}  // namespace
}  // namespace kelo::test
