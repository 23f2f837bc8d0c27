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

#include "support/levels_util.h"
#include "tools/kelo-editor/board_edit.h"
#include "tools/kelo-editor/editor_window.h"
#include "tools/kelo-editor/level_document.h"
#include "tools/kelo-levels/analyse.h"

namespace kelo::editor {
namespace {

using test::TempFolder;
using test::Walled;

// Level 1 is won by the ball going right; level 2 needs the square; level 3 holds a letter that
// the game reads as floor, and odd bytes where the line ends are never read.
const std::string kOne = Walled({"30000000000002", "00000000000004"});
const std::string W(16, '1');
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
    int walls = 0;
    for (auto cell : b.cells()) walls += cell == Wall;
    EXPECT_EQ(walls, 7);
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
        window.ask = [this](const QString& title, const QString& text, QMessageBox::StandardButtons) {
            asked << title + QStringLiteral(": ") + text;
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
    // A level of the list dragged and dropped at `at` in the list's viewport.
    void Drop(const QByteArray& payload, QPoint at) {
        window.show();
        QApplication::processEvents();
        QMimeData mime;
        mime.setData(QString::fromLatin1(kLevelMime), payload);
        QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.listView().viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.listView().viewport(), &drop);
    }
    Board Shown() { return window.model().document().Cells(window.CurrentLevel()); }
    // A save under a file size limit of 1,000 bytes, SIGXFSZ ignored.
    bool SaveOnAFullDisk() {
        const auto old = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool ok = window.Save();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, old);
        return ok;
    }
    // Level 1 painted, then the file renamed over by another holding kTwo.
    void PaintThenReplaceUnderneath() {
        Open(kOne);
        Drag(5, 5, 5, 9);
        folder.Write("other", kTwo);
        std::filesystem::rename(folder.path() / "other", folder.path() / "levels.txt");
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
    QStringList asked;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
};

TEST_F(EditorTest, ADragPaintsTheChosenTileAlongItsLine) {
    Open(kOne);
    window.action(QStringLiteral("tuile-1"))->trigger();
    Drag(4, 3, 4, 8);
    Board expected = test::BoardOf(kOne);
    for (int col = 3; col <= 8; ++col) expected(4, col) = Wall;
    EXPECT_EQ(Shown(), expected);
}

TEST_F(EditorTest, ADragIsOneStepOfUndo) {
    Open(kOne);
    Drag(4, 3, 4, 8);
    EXPECT_EQ(window.undoStack().count(), 1);
}

TEST_F(EditorTest, TheRightButtonPaintsFloor) {
    Open(kOne);
    Drag(1, 5, 1, 5, Qt::RightButton);
    EXPECT_EQ(Shown()(1, 5), Empty);
}

TEST_F(EditorTest, AShiftDragFillsARectangle) {
    Open(kOne);
    window.action(QStringLiteral("tuile-2"))->trigger();
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
    window.action(QStringLiteral("miroir-gd"))->trigger();
    window.undoStack().undo();
    EXPECT_EQ(window.model().document().Record(0), kOne);
}

TEST_F(EditorTest, DeleteRemovesTheLevelShown) {
    Open(kOne + kTwo);
    window.ShowLevel(1);
    window.action(QStringLiteral("supprimer"))->trigger();
    EXPECT_EQ(window.model().document().Bytes(), kOne);
}

TEST_F(EditorTest, AddPutsANewLevelAfterTheOneShown) {
    Open(kOne + kTwo);
    window.action(QStringLiteral("ajouter"))->trigger();
    EXPECT_EQ(window.model().document().Record(1), NewLevelRecord());
}

TEST_F(EditorTest, AltDownMovesTheLevelDown) {
    Open(kOne + kTwo + Odd());
    window.action(QStringLiteral("descendre"))->trigger();
    EXPECT_EQ(window.model().document().Bytes(), kTwo + kOne + Odd());
}

TEST_F(EditorTest, ALevelDroppedOnAnotherMovesThere) {
    Open(kOne + kTwo + Odd());
    const QRect last = window.listView().visualRect(window.model().index(2));
    Drop(DragPayload(&window.model(), 0), QPoint(last.center().x(), last.bottom() - 1));
    EXPECT_EQ(window.model().document().Bytes(), kTwo + Odd() + kOne);
}

TEST_F(EditorTest, ADropFromAnotherListMovesNothing) {
    Open(kOne + kTwo + Odd());
    const QRect last = window.listView().visualRect(window.model().index(2));
    Drop("1:2:0", QPoint(last.center().x(), last.bottom() - 1));
    EXPECT_EQ(window.model().document().Bytes(), kOne + kTwo + Odd());
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
    const std::string saved = test::Contents(folder.path() / "levels.txt");
    EXPECT_EQ(saved.substr(164), Odd() + kTwo);
}

TEST_F(EditorTest, SavingWritesThePaintedLevelWhole) {
    Open(kOne);
    window.action(QStringLiteral("tuile-2"))->trigger();
    Drag(5, 9, 5, 9);
    ASSERT_TRUE(window.Save());
    Board expected = test::BoardOf(kOne);
    expected(5, 9) = Ring;
    EXPECT_EQ(test::Contents(folder.path() / "levels.txt"), RecordOfBoard(expected));
}

TEST_F(EditorTest, AFullDiskLeavesTheOldFileWhole) {
    Open(kOne + kTwo);
    for (int k = 0; k < 20; ++k) window.action(QStringLiteral("dupliquer"))->trigger();
    EXPECT_FALSE(SaveOnAFullDisk());
    EXPECT_EQ(test::Contents(folder.path() / "levels.txt"), kOne + kTwo);
}

TEST_F(EditorTest, AFullDiskIsToldAndTheWorkKept) {
    Open(kOne + kTwo);
    for (int k = 0; k < 20; ++k) window.action(QStringLiteral("dupliquer"))->trigger();
    (void)SaveOnAFullDisk();
    EXPECT_TRUE(window.lastMessage.contains(QStringLiteral("intact")));
    EXPECT_EQ(window.model().rowCount(), 22);
}

// Permissions as an ordinary user sees them, even when the tests run as root.
class AsNobody {
public:
    AsNobody() : root_(::geteuid() == 0) {
        if (root_) ::setfsuid(65534);
    }
    ~AsNobody() {
        if (root_) ::setfsuid(0);
    }

private:
    bool root_;
};

TEST_F(EditorTest, AReadOnlyFolderLeavesTheOldFileWhole) {
    Open(kOne);
    Drag(5, 5, 5, 9);
    ::chmod((folder.path() / "levels.txt").c_str(), 0644);
    ::chmod(folder.path().c_str(), 0555);
    bool ok = true;
    {
        AsNobody nobody;
        ok = window.Save();
    }
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_FALSE(ok);
    EXPECT_EQ(test::Contents(folder.path() / "levels.txt"), kOne);
}

TEST_F(EditorTest, AFileReplacedUnderneathIsNotOverwrittenUnasked) {
    PaintThenReplaceUnderneath();
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(window.Save());
    EXPECT_EQ(test::Contents(folder.path() / "levels.txt"), kTwo);
}

TEST_F(EditorTest, AFileReplacedUnderneathIsOverwrittenWhenTheDesignerSaysSo) {
    PaintThenReplaceUnderneath();
    answer = QMessageBox::Save;
    EXPECT_TRUE(window.Save());
    EXPECT_EQ(test::Contents(folder.path() / "levels.txt"), window.model().document().Bytes());
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
    SUCCEED();
}

TEST_F(EditorTest, NoQuestionWithoutChanges) {
    Open(kOne);
    EXPECT_TRUE(window.MayDiscard());
    EXPECT_TRUE(asked.isEmpty());
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
    window.action(QStringLiteral("tuile-2"))->trigger();
    Drag(8, 15, 8, 15);
    EXPECT_EQ(Figures().analysis.fewestMoves, 2);
}

TEST_F(EditorTest, TheTitleShowsThePar) {
    Open(kOne);
    Figures();
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("(par 1)")));
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
    for (int k = 0; k < n; ++k) window.action(QStringLiteral("etape-suivante"))->trigger();
    const Board shown = *window.boardView().overlay().shown;
    EXPECT_EQ(std::count(shown.cells().begin(), shown.cells().end(), std::uint8_t{Ring}), 0);
}

TEST_F(EditorTest, PlayingTheSolutionWinsTheLevel) {
    Open(kOne);
    window.StartPlay();
    window.playWidget().SetAnimation(false);
    window.playWidget().PressKey(Qt::Key_Right);
    EXPECT_TRUE(window.playWidget().Won());
}

TEST_F(EditorTest, AMoveOfPlayIsTakenBack) {
    Open(kTwo);
    window.StartPlay();
    window.playWidget().SetAnimation(false);
    window.playWidget().PressKey(Qt::Key_Down);
    window.playWidget().UndoMove();
    EXPECT_EQ(window.playWidget().Moves(), 0);
    EXPECT_EQ(window.playWidget().form().Board, test::BoardOf(kTwo));
}

TEST_F(EditorTest, EscapeLeavesPlay) {
    Open(kOne);
    window.StartPlay();
    Key(window.playWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window.Playing());
}

// Thousands of random edits, undos, redos, moves and saves, each checked against a plain list of
// records with its own history.
TEST_F(EditorTest, RandomEditsMatchAPlainModelOfTheFile) {
    Open(kOne + kTwo + Odd());
    std::vector<std::vector<std::string>> history{{kOne, kTwo, Odd()}};
    std::size_t at = 0;
    SplitMix rng{20261208};
    auto commit = [&](std::vector<std::string> next) {
        history.resize(at + 1);
        history.push_back(std::move(next));
        ++at;
    };
    auto file = [&] {
        std::string bytes;
        for (const auto& r : history[at]) bytes += r;
        return bytes;
    };
    for (int k = 0; k < 3000; ++k) {
        std::vector<std::string> now = history[at];
        const int count = static_cast<int>(now.size());
        const int level = window.CurrentLevel();
        switch (rng.Below(8)) {
        case 0:
        case 1: {
            const int r = rng.In(1, kRows), c = rng.In(1, kCols);
            const auto code = static_cast<std::uint8_t>(rng.Below(5));
            window.action(QStringLiteral("tuile-%1").arg(code))->trigger();
            const Board before = window.model().document().Cells(level);
            Board b = before;
            PaintOn(b, r, c, code);
            Drag(r, c, r, c);
            if (b != before) {
                now[static_cast<std::size_t>(level)] = RecordOfBoard(b);
                commit(now);
            }
            break;
        }
        case 2:
            if (at > 0) {
                window.undoStack().undo();
                --at;
            }
            break;
        case 3:
            if (at + 1 < history.size()) {
                window.undoStack().redo();
                ++at;
            }
            break;
        case 4: {
            const int to = static_cast<int>(rng.Below(static_cast<std::uint32_t>(count)));
            window.MoveLevel(level, to);
            if (to != level) {
                std::string moved = now[static_cast<std::size_t>(level)];
                now.erase(now.begin() + level);
                now.insert(now.begin() + to, moved);
                commit(now);
            }
            break;
        }
        case 5:
            window.DuplicateLevel();
            now.insert(now.begin() + level + 1, now[static_cast<std::size_t>(level)]);
            commit(now);
            break;
        case 6:
            if (count > 1) {
                window.DeleteLevel();
                now.erase(now.begin() + level);
                commit(now);
            }
            break;
        case 7:
            window.ShowLevel(static_cast<int>(rng.Below(static_cast<std::uint32_t>(count))));
            if (rng.Below(4) == 0) {
                ASSERT_TRUE(window.Save());
                ASSERT_EQ(test::Contents(folder.path() / "levels.txt"), file()) << "after step " << k;
            }
            break;
        }
        ASSERT_EQ(window.model().document().Bytes(), file()) << "after step " << k;
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
