// The level editor on Qt's offscreen platform: the file kept byte for byte, painting with the
// mouse and the keys, undo and redo, the list of levels, the live analysis, play, and the saves
// that fail.
#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QThread>
#include <QUndoStack>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "support/levels_util.h"
#include "tools/kelo-editor/board_edit.h"
#include "tools/kelo-editor/editor_window.h"
#include "tools/kelo-editor/level_document.h"
#include "tools/kelo-levels/analyse.h"

namespace kelo::editor {
namespace {

using test::TempFolder;
using test::W;
using test::Walled;

// Level 1 is won by the ball going right; level 2 needs the square; level 3 holds a letter that
// the game reads as floor, and odd bytes where the line ends are never read.
const std::string kOne = test::kOneSlide;
const std::string kTwo = Walled({"30000000000000", "00000000000000", "40000000000002"});
std::string Odd() {
    std::string s = Walled({"3x000000000002", "00000000000004"});
    s[16] = 'A';  // row 1's line end
    return s;
}

// --- The document, without a window ---------------------------------------------------------

TEST(LevelDocument, KeepsAShortLastRecordShort) {
    const std::string file = kOne + kTwo.substr(0, 162);
    EXPECT_EQ(LevelDocument::FromBytes(file).Bytes(), file);
}

TEST(LevelDocument, MakesAShortRecordWholeWhenALevelFollowsIt) {
    LevelDocument d = LevelDocument::FromBytes(kOne + kTwo.substr(0, 162));
    d.Insert(2, kOne);
    EXPECT_EQ(d.Bytes(), kOne + kTwo + kOne);
}

TEST(LevelDocument, KeepsTheBytesPastTheLastReachableLevel) {
    std::string file;
    for (int k = 0; k < LevelDocument::kMostLevels + 2; ++k) file += k % 2 ? kOne : kTwo;
    file += "tail";
    const LevelDocument d = LevelDocument::FromBytes(file);
    EXPECT_EQ(d.Count(), LevelDocument::kMostLevels);
    EXPECT_EQ(d.Bytes(), file);
}

TEST(LevelDocument, RefusesAFifoWithoutWaitingForAWriter) {
    TempFolder folder;
    const auto fifo = folder.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(OpenLevelFile(fifo.string()).ok);
}

TEST(LevelDocument, RefusesAFileTooBigToHold) {
    TempFolder folder;
    folder.Write("big.txt", std::string(2000, '0'));
    EXPECT_FALSE(OpenLevelFile((folder.path() / "big.txt").string(), 1000).ok);
}

// --- Painting rules ---------------------------------------------------------------------------

TEST(BoardEdit, ASecondBallMovesTheFirst) {
    Board b;
    PaintOn(b, 2, 2, Ball);
    PaintOn(b, 5, 7, Ball);
    EXPECT_EQ(b(2, 2), Empty);
}

TEST(BoardEdit, ADiagonalDragLeavesNoGap) {
    Board b;
    PaintLine(b, 1, 1, 4, 7, Wall);
    EXPECT_EQ(std::ranges::count(b.cells(), std::uint8_t{Wall}), 7);
}

TEST(BoardEdit, AShiftLosesNoCell) {
    const Board b = test::BoardOf(kOne);
    Board shifted = b;
    for (int k = 0; k < kCols; ++k) shifted = Shift(shifted, Direction::Right);
    EXPECT_EQ(shifted, b);
}

TEST(BoardEdit, TwoHalfTurnsGiveTheBoardBack) {
    const Board b = test::BoardOf(kTwo);
    EXPECT_EQ(HalfTurn(HalfTurn(b)), b);
}

// --- The window ----------------------------------------------------------------------------

class EditorTest : public ::testing::Test {
protected:
    EditorTest() {
        window.ask = [this](const QString&, const QString&, QMessageBox::StandardButtons) {
            ++asked;
            return answer;
        };
    }
    std::filesystem::path File(const std::string& bytes, const std::string& name = "levels.txt") {
        folder.Write(name, bytes);
        return folder.path() / name;
    }
    void Open(const std::string& bytes) { ASSERT_TRUE(window.OpenFile(QString::fromStdString(File(bytes).string()))); }
    void Mouse(QEvent::Type type, int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers mods = {}) {
        const QPointF at(PixelX(col) + 20, PixelY(row) + 20);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, window.boardView().mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                          held, mods);
        QApplication::sendEvent(&window.boardView(), &event);
    }
    void Drag(int r0, int c0, int r1, int c1, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
        Mouse(QEvent::MouseButtonPress, r0, c0, button, mods);
        Mouse(QEvent::MouseMove, r1, c1, button, mods);
        Mouse(QEvent::MouseButtonRelease, r1, c1, button, mods);
    }
    void Key(QWidget& to, int key, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(&to, &press);
    }
    // A level of the list dragged and dropped on the bottom of the list's row `row`.
    void Drop(const QByteArray& payload, int row) {
        window.show();
        const QRect target = window.listView().visualRect(window.model().index(row));
        const QPoint at(target.center().x(), target.bottom() - 1);
        QApplication::processEvents();
        QMimeData mime;
        mime.setData(QString::fromLatin1(kLevelMime), payload);
        QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.listView().viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.listView().viewport(), &drop);
    }
    void Do(const char* action) { window.action(QString::fromLatin1(action))->trigger(); }
    Board Shown() { return window.model().document().Cells(window.CurrentLevel()); }
    std::string Bytes() { return window.model().document().Bytes(); }
    std::string Saved() { return test::Contents(folder.path() / "levels.txt"); }
    // Level 1 painted, then the file renamed over by another holding kTwo.
    void PaintThenReplaceUnderneath() {
        Open(kOne);
        Drag(5, 5, 5, 9);
        folder.Write("other", kTwo);
        std::filesystem::rename(folder.path() / "other", folder.path() / "levels.txt");
    }
    // The level played, without animation.
    PlayWidget& Play(const std::string& level) {
        Open(level);
        window.StartPlay();
        window.playWidget().SetAnimation(false);
        return window.playWidget();
    }
    // The figures of the board shown, once the worker has them as far as `stage`.
    const LiveFigures& Figures(LiveFigures::Stage stage = LiveFigures::Solver) {
        for (int k = 0; k < 120000 && !(window.figures() && window.figures()->stage >= stage); ++k) {
            QApplication::processEvents();
            QThread::msleep(1);
        }
        EXPECT_TRUE(window.figures().has_value());
        return *window.figures();
    }

    TempFolder folder;
    EditorWindow window;
    int asked = 0;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
};

TEST_F(EditorTest, ADragPaintsTheChosenTileAlongItsLine) {
    Open(kOne);
    Do("tuile-1");
    Drag(4, 3, 4, 8);
    Board expected = test::BoardOf(kOne);
    for (int col = 3; col <= 8; ++col) expected(4, col) = Wall;
    EXPECT_EQ(Shown(), expected);
}

TEST_F(EditorTest, TheRightButtonPaintsFloor) {
    Open(kOne);
    Drag(1, 5, 1, 5, Qt::RightButton);
    EXPECT_EQ(Shown()(1, 5), Empty);
}

TEST_F(EditorTest, AShiftDragFillsARectangle) {
    Open(kOne);
    Do("tuile-2");
    Drag(4, 4, 6, 6, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Shown()(5, 5), Ring);
}

TEST_F(EditorTest, TheKeyboardCursorSetsACell) {
    Open(kOne);
    window.boardView().setFocus();
    Key(window.boardView(), Qt::Key_Down);
    Key(window.boardView(), Qt::Key_Right);
    Key(window.boardView(), Qt::Key_1);
    EXPECT_EQ(Shown()(2, 2), Wall);
}

TEST_F(EditorTest, UndoGivesTheRecordBackByteForByte) {
    Open(Odd());
    Drag(5, 5, 5, 9);
    window.undoStack().undo();
    EXPECT_EQ(window.model().document().Record(0), Odd());
}

TEST_F(EditorTest, AMirrorIsUndone) {
    Open(kOne);
    Do("miroir-gd");
    window.undoStack().undo();
    EXPECT_EQ(window.model().document().Record(0), kOne);
}

TEST_F(EditorTest, AddPutsANewLevelAfterTheOneShown) {
    Open(kOne + kTwo);
    Do("ajouter");
    EXPECT_EQ(window.model().document().Record(1), NewLevelRecord());
}

TEST_F(EditorTest, AltDownMovesTheLevelDown) {
    Open(kOne + kTwo + Odd());
    Do("descendre");
    EXPECT_EQ(Bytes(), kTwo + kOne + Odd());
}

TEST_F(EditorTest, ALevelDroppedOnAnotherMovesThere) {
    Open(kOne + kTwo + Odd());
    Drop(DragPayload(&window.model(), 0), 2);
    EXPECT_EQ(Bytes(), kTwo + Odd() + kOne);
}

TEST_F(EditorTest, ADropFromAnotherListMovesNothing) {
    Open(kOne + kTwo + Odd());
    Drop("1:2:0", 2);
    EXPECT_EQ(Bytes(), kOne + kTwo + Odd());
}

TEST_F(EditorTest, ProblemsAreListedOnOpening) {
    std::string file = kOne;
    file[18 * 2 + 4] = '8';
    Open(file);
    ASSERT_GE(window.problems().count(), 1);
    EXPECT_TRUE(window.problems().item(0)->text().startsWith(QStringLiteral("niveau 1, ligne 3, colonne 5 :")));
}

TEST_F(EditorTest, AFileOfAnotherKindIsOpenedOnlyWhenAsked) {
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.OpenFile(QString::fromStdString(File("\x89PNG\r\n\x1a\n not levels at all").string())));
}

TEST_F(EditorTest, AFolderIsRefusedWithAMessage) {
    EXPECT_FALSE(window.OpenFile(QString::fromStdString(folder.path().string())));
    EXPECT_TRUE(window.lastMessage.contains(QStringLiteral("dossier")));
}

TEST_F(EditorTest, SavingWritesUntouchedLevelsByteForByte) {
    Open(kOne + Odd() + kTwo);
    Drag(5, 5, 5, 9);
    ASSERT_TRUE(window.Save());
    EXPECT_EQ(Saved().substr(164), Odd() + kTwo);
}

// The old file whole, the designer told so, the work still there to save elsewhere.
TEST_F(EditorTest, AFullDiskLeavesTheOldFileWholeAndTheWorkKept) {
    Open(kOne + kTwo);
    for (int k = 0; k < 20; ++k) Do("dupliquer");
    // A save under a file size limit of 1,000 bytes, SIGXFSZ ignored.
    const auto old = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{1000, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_FALSE(window.Save());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old);
    EXPECT_EQ(Saved(), kOne + kTwo);
    EXPECT_TRUE(window.lastMessage.contains(QStringLiteral("intact")));
    EXPECT_EQ(window.model().rowCount(), 22);
}

TEST_F(EditorTest, AReadOnlyFolderLeavesTheOldFileWhole) {
    Open(kOne);
    Drag(5, 5, 5, 9);
    ::chmod((folder.path() / "levels.txt").c_str(), 0644);
    ::chmod(folder.path().c_str(), 0555);
    ::setfsuid(65534);  // permissions as an ordinary user sees them, even when the tests run as root
    const bool ok = window.Save();
    ::setfsuid(::geteuid());
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Saved(), kOne);
}

TEST_F(EditorTest, AFileReplacedUnderneathIsNotOverwrittenUnasked) {
    PaintThenReplaceUnderneath();
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.Save());
    EXPECT_EQ(Saved(), kTwo);
}

TEST_F(EditorTest, AFileReplacedUnderneathIsOverwrittenWhenTheDesignerSaysSo) {
    PaintThenReplaceUnderneath();
    answer = QMessageBox::Save;
    EXPECT_TRUE(window.Save());
    EXPECT_EQ(Saved(), Bytes());
}

TEST_F(EditorTest, UnsavedChangesAreNotDroppedUnasked) {
    Open(kOne);
    Drag(5, 5, 5, 9);
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.MayDiscard());
}

TEST(EditorWindow, ClosesWithUnsavedChangesWithoutTouchingItsGoneMembers) {
    auto window = std::make_unique<EditorWindow>();
    window->AddLevel();
    window.reset();
}

TEST_F(EditorTest, NoQuestionWithoutChanges) {
    Open(kOne);
    EXPECT_TRUE(window.MayDiscard());
    EXPECT_EQ(asked, 0);
}

TEST_F(EditorTest, TheParOfTheLevelShownAppears) {
    Open(kOne);
    EXPECT_EQ(Figures().analysis.fewestMoves, 1);
    EXPECT_EQ(window.Figure(QStringLiteral("Coups minimum")), QStringLiteral("1"));
}

TEST_F(EditorTest, TheFiguresFollowTheLatestBoard) {
    Open(kOne);
    // The ring moved out of the ball's row: two slides now.
    Drag(2, 15, 2, 15, Qt::RightButton);
    Do("tuile-2");
    Drag(8, 15, 8, 15);
    EXPECT_EQ(Figures().analysis.fewestMoves, 2);
}

TEST_F(EditorTest, ALevelWithoutASquareIsToldTheRuleItBreaks) {
    Open(Walled({"30000000000002"}));
    Figures(LiveFigures::Whole);
    EXPECT_TRUE(window.Figure(QStringLiteral("Règle du standard enfreinte")).contains(QStringLiteral("un carré")));
}

TEST_F(EditorTest, AFirstSlideThatLosesIsFound) {
    Open(test::Record({W, "1020020000000001", "1000000000400001", "1111001001011111", "1000000000000001",
                       "1010001001110001", "1000000000000001", "1300000200001001", W}));
    EXPECT_FALSE(Figures(LiveFigures::Quick).losingFirstMoves.empty());
}

TEST_F(EditorTest, StepsOfTheSolutionEndWithNoRingLeft) {
    Open(kTwo);
    const int n = Figures().analysis.fewestMoves;
    for (int k = 0; k < n; ++k) Do("etape-suivante");
    EXPECT_EQ(std::ranges::count(window.boardView().overlay().shown->cells(), std::uint8_t{Ring}), 0);
}

TEST_F(EditorTest, PlayingTheSolutionWinsTheLevel) {
    PlayWidget& play = Play(kOne);
    play.PressKey(Qt::Key_Right);
    EXPECT_TRUE(play.Won());
}

TEST_F(EditorTest, AMoveOfPlayIsTakenBack) {
    PlayWidget& play = Play(kTwo);
    play.PressKey(Qt::Key_Down);
    play.UndoMove();
    EXPECT_EQ(play.Moves(), 0);
    EXPECT_EQ(play.form().Board, test::BoardOf(kTwo));
}

TEST_F(EditorTest, EscapeLeavesPlay) {
    Key(Play(kOne), Qt::Key_Escape);
    EXPECT_FALSE(window.Playing());
}

// Thousands of random edits, undos, redos, moves and saves, each checked against a plain list of
// records with its own history (a deletion removes the level shown, as the model does).
TEST_F(EditorTest, RandomEditsMatchAPlainModelOfTheFile) {
    Open(kOne + kTwo + Odd());
    std::vector<std::vector<std::string>> history{{kOne, kTwo, Odd()}};
    std::size_t at = 0;
    SplitMix rng{20261208};
    for (int k = 0; k < 3000; ++k) {
        std::vector<std::string> now = history[at];
        const auto level = static_cast<std::size_t>(window.CurrentLevel());
        const auto count = static_cast<std::uint32_t>(now.size());
        bool edited = false;
        switch (rng.Below(8)) {
        case 0:
        case 1: {
            const int r = rng.In(1, kRows);
            const int c = rng.In(1, kCols);
            const auto code = static_cast<std::uint8_t>(rng.Below(5));
            Board b = window.model().document().Cells(int(level));
            PaintOn(b, r, c, code);
            edited = b != window.model().document().Cells(int(level));
            now[level] = RecordOfBoard(b);
            window.action(QStringLiteral("tuile-%1").arg(code))->trigger();
            Drag(r, c, r, c);
            break;
        }
        case 2:
            window.undoStack().undo();
            at = at > 0 ? at - 1 : 0;
            break;
        case 3:
            window.undoStack().redo();
            at = std::min(at + 1, history.size() - 1);
            break;
        case 4: {
            const std::uint32_t to = rng.Below(count);
            window.MoveLevel(int(level), int(to));
            edited = to != level;
            const std::string moved = now[level];
            now.erase(now.begin() + long(level));
            now.insert(now.begin() + to, moved);
            break;
        }
        case 5:
            window.DuplicateLevel();
            edited = true;
            now.insert(now.begin() + long(level) + 1, now[level]);
            break;
        case 6:
            edited = count > 1;
            if (edited) window.DeleteLevel();
            if (edited) now.erase(now.begin() + long(level));
            break;
        case 7:
            window.ShowLevel(int(rng.Below(count)));
            if (rng.Below(4) == 0) {
                ASSERT_TRUE(window.Save());
            }
            break;
        }
        if (edited) {
            history.resize(at + 1);
            history.push_back(now);
            ++at;
        }
        const std::string file = std::accumulate(history[at].begin(), history[at].end(), std::string());
        ASSERT_EQ(Bytes(), file) << "after step " << k;
        if (!window.isWindowModified()) {
            ASSERT_EQ(Saved(), file) << "after step " << k;
        }
    }
}

}  // namespace
}  // namespace kelo::editor

int main(int argc, char** argv) {
    // ctest's listing of the tests runs without a display too.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
