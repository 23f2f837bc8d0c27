// The key handler: switching, the guards and slides of both pieces, rings, drawing and counting.
#include "support/game_fixture.h"

namespace kelo::test {
namespace {

constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kSpace = 32;

class RulesTest : public GameTest {};

// Ball at (5, 8), square at (2, 2): an open room inside the walls.
const std::string kRoom = Walled({
    "40000000000000",
    "00000000000000",
    "00000000000000",
    "00000030000000",
    "00000000000000",
    "00000000000000",
    "00000000000002",
});

TEST_F(RulesTest, BallSlidesToTheWallInEachDirection) {
    struct Case {
        int key, row, col;
    } cases[] = {{kLeft, 5, 2}, {kRight, 5, 15}, {kUp, 2, 8}, {kDown, 8, 8}};
    for (const Case& c : cases) {
        Load(kRoom);
        Key(c.key);
        EXPECT_EQ(form->PieceRow[1], c.row) << c.key;
        EXPECT_EQ(form->PieceCol[1], c.col) << c.key;
        EXPECT_EQ(Cell(c.row, c.col), Ball);
        EXPECT_EQ(Cell(5, 8), Empty);
        EXPECT_EQ(platform->Shown(c.row, c.col), Ball);
        EXPECT_EQ(platform->Shown(5, 8), Empty);
        EXPECT_EQ(Moves(), 1);
        EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 1");
    }
}

TEST_F(RulesTest, SquareSlidesOverFloorInEachDirection) {
    const std::string level = Walled({
        "00000000000000",
        "00000000000000",
        "00000000000000",
        "00000040000000",
        "00000000000000",
        "00000000000000",
        "30000000000002",
    });
    struct Case {
        int key, row, col;
    } cases[] = {{kLeft, 5, 2}, {kRight, 5, 15}, {kUp, 2, 8}, {kDown, 8, 8}};
    for (const Case& c : cases) {
        Load(level);
        Key(kSpace);
        Key(c.key);
        EXPECT_EQ(form->PieceRow[2], c.row) << c.key;
        EXPECT_EQ(form->PieceCol[2], c.col) << c.key;
        EXPECT_EQ(Cell(c.row, c.col), Square);
        EXPECT_EQ(platform->Shown(c.row, c.col), Square);
        EXPECT_EQ(Moves(), 1);
    }
}

TEST_F(RulesTest, SpaceSwitchesThePieceAndTheIndicator) {
    Load(kRoom);
    EXPECT_EQ(form->Selected, 1);
    Key(kSpace);
    EXPECT_EQ(form->Selected, 2);
    EXPECT_EQ(platform->Indicator(), Square);
    Key(kSpace);
    EXPECT_EQ(form->Selected, 1);
    EXPECT_EQ(platform->Indicator(), Ball);
    EXPECT_EQ(Moves(), 0);
    EXPECT_EQ(platform->Count(Call::Refresh), 0);
    EXPECT_EQ(platform->Count(Call::FrameCaption), 0);
}

TEST_F(RulesTest, GuardsRefuseWithoutAnyEffect) {
    // Ball against a wall (left), against the square (right); square against the ball, a ring, a wall.
    const std::string level = Walled({
        "34200000000000",
        "00000000000000",
    });
    Load(level);
    const auto board = form->Board;
    Key(kLeft);
    Key(kRight);
    Key(kUp);
    Key(kSpace);
    platform->calls.clear();
    Key(kLeft);
    Key(kRight);
    Key(kUp);
    EXPECT_TRUE(platform->calls.empty());
    EXPECT_EQ(form->Board, board);
    EXPECT_EQ(Moves(), 0);
    EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(RulesTest, BallCollectsRingsOnItsWayAndOnItsLastCell) {
    const std::string level = Walled({
        "00000000000000",
        "30202020020000",
        "00000000000004",
        "00000000000002",
    });
    Load(level);
    EXPECT_EQ(form->RingsLeft, 5);
    Key(kRight);
    EXPECT_EQ(form->PieceCol[1], 15);
    EXPECT_EQ(form->RingsLeft, 1);
    for (int col : {4, 6, 8, 11}) {
        EXPECT_EQ(Cell(3, col), Empty);
        EXPECT_EQ(platform->Shown(3, col), Empty);
    }
    EXPECT_EQ(platform->Count(Call::Sound), 4);
    for (const Call& c : platform->calls) {
        if (c.kind != Call::Sound) continue;
        EXPECT_EQ(c.text, folder.path().string() + "/Ding.wav");
        EXPECT_EQ(c.flags, kSoundAsync);
    }
    EXPECT_EQ(Moves(), 1);

    // Down one cell onto the square? No: the square at (4, 15) stops the ball at once.
    Key(kDown);
    EXPECT_EQ(Moves(), 1);
}

TEST_F(RulesTest, BallEndingOnARingCollectsIt) {
    Load(Walled({"30000000000002", "00000000000002"}));
    Key(kRight);
    EXPECT_EQ(form->PieceCol[1], 15);
    EXPECT_EQ(form->RingsLeft, 1);
    EXPECT_EQ(Cell(2, 15), Ball);
}

TEST_F(RulesTest, SquareStopsBeforeRingsWallsAndTheBall) {
    Load(Walled({"40000200000003", "00000000000000", "00000000000000", "20000000000000"}));
    Key(kSpace);
    Key(kRight);
    EXPECT_EQ(form->PieceCol[2], 6);
    EXPECT_EQ(Cell(2, 7), Ring);
    EXPECT_EQ(form->RingsLeft, 2);
    Load(Walled({"40000000000003", "00000000000000", "00000000000000", "20000000000000"}));
    Key(kSpace);
    Key(kRight);
    EXPECT_EQ(form->PieceCol[2], 14);
    Key(kLeft);
    Key(kDown);
    EXPECT_EQ(form->PieceRow[2], 4);
    EXPECT_EQ(platform->Count(Call::Sound), 0);
}

TEST_F(RulesTest, SoundOffMeansNoDing) {
    Load(Walled({"32200000000000", "00000000000002"}));
    platform->checked[Setting::Son] = false;
    Key(kRight);
    EXPECT_EQ(form->RingsLeft, 1);
    EXPECT_EQ(platform->Count(Call::Sound), 0);
}

TEST_F(RulesTest, AnimationDrawsOneFramePerPassAndNoneWhenOff) {
    // Three cells to slide: four passes.
    Load(Walled({"00000000000002", "30001000000000"}));
    Key(kRight);
    EXPECT_EQ(form->PieceCol[1], 5);
    EXPECT_EQ(platform->Count(Call::Refresh), 4);
    EXPECT_EQ(platform->Count(Call::Pause), 4);
    for (const Call& c : platform->calls) {
        if (c.kind == Call::Pause) {
            EXPECT_EQ(c.x, kAnimationPauseMs);
        }
    }
    // Erase, four frames, three trails, the final Display.
    EXPECT_EQ(platform->CountPaints(Ball), 5);
    EXPECT_EQ(platform->CountPaints(Empty), 4);
    EXPECT_EQ(form->AnimX, (5 - 1) * 40);
    EXPECT_EQ(form->AnimY, (3 - 1) * 40);

    Load(Walled({"00000000000002", "30001000000000"}));
    platform->checked[Setting::Animation] = false;
    Key(kRight);
    EXPECT_EQ(form->PieceCol[1], 5);
    EXPECT_EQ(platform->Count(Call::Refresh), 0);
    EXPECT_EQ(platform->Count(Call::Pause), 0);
    EXPECT_EQ(platform->CountPaints(Ball), 1);
    EXPECT_EQ(platform->CountPaints(Empty), 1);
}

TEST_F(RulesTest, ASecondTileOfThePiecesOwnCodeLetsTheMoveGoButNotTheStep) {
    // Extra ball tiles: the last 3 in reading order is the ball; the one beside it blocks it.
    Load(Walled({"33000000000002"}));
    EXPECT_EQ(form->PieceCol[1], 3);
    Key(kLeft);
    EXPECT_EQ(form->PieceCol[1], 3);
    EXPECT_EQ(Moves(), 1);
    EXPECT_EQ(platform->Count(Call::Refresh), 1);
    EXPECT_EQ(Cell(2, 2), Ball);
    EXPECT_EQ(Cell(2, 3), Ball);
}

TEST_F(RulesTest, OpenBordersStopAtTheLastCellAndRefuseOffTheBoard) {
    Load(Record({"3000000000000000", "0000000000000000", "0000000000000000", "0000000000000000",
                 "0000000000000000", "0000000000000000", "0000000000000000", "0000000000000000",
                 "2000000000000004"}));
    Key(kLeft);
    Key(kUp);
    EXPECT_EQ(Moves(), 0);
    Key(kRight);
    EXPECT_EQ(form->PieceCol[1], 16);
    Key(kDown);
    EXPECT_EQ(form->PieceRow[1], 8);  // stopped by the square at (9, 16)
    EXPECT_EQ(Moves(), 2);
}

TEST_F(RulesTest, ArrowForAPieceThatIsNotOnTheBoardDoesNothing) {
    Load(Walled({"30000000000002"}));  // no square
    Key(kSpace);
    platform->calls.clear();
    for (int key : {kLeft, kUp, kRight, kDown}) Key(key);
    EXPECT_TRUE(platform->calls.empty());
    EXPECT_EQ(Moves(), 0);
}

TEST_F(RulesTest, ModifiersAndOtherKeysChangeNothing) {
    Load(kRoom);
    form->Form_KeyDown(kLeft, 7);
    EXPECT_EQ(form->PieceCol[1], 2);
    platform->calls.clear();
    const auto board = form->Board;
    for (int key : {0, 13, 27, 65, 16}) Key(key);
    EXPECT_EQ(form->Board, board);
    EXPECT_TRUE(platform->calls.empty());
    EXPECT_EQ(Moves(), 1);
}

TEST_F(RulesTest, DisplayAndErasesTouchOnlyTheSelectedPiecesCell) {
    Load(kRoom);
    form->Erases();
    EXPECT_EQ(Cell(5, 8), Empty);
    EXPECT_EQ(platform->Shown(5, 8), Empty);
    EXPECT_EQ(Moves(), 0);
    EXPECT_EQ(platform->Count(Call::FrameCaption), 0);
    form->Display();
    EXPECT_EQ(Cell(5, 8), Ball);
    EXPECT_EQ(Moves(), 1);
    form->Selected = 2;
    form->Display();
    EXPECT_EQ(Cell(2, 2), Square);
    EXPECT_EQ(platform->Shown(2, 2), Square);
    EXPECT_EQ(Cell(5, 8), Ball);
    for (int i = 0; i < 8; ++i) form->Display();
    EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 10");
}

TEST_F(RulesTest, DisplayOnARingKeepsTheRingCount) {
    Load(kRoom);
    form->Erases();
    form->PieceRow[1] = 8;
    form->PieceCol[1] = 15;
    form->Display();
    EXPECT_EQ(Cell(8, 15), Ball);
    EXPECT_EQ(form->RingsLeft, 1);
}

TEST_F(RulesTest, PiecesWithoutACellAreNeverDrawnOffTheBoard) {
    Load(Walled({"00000000000002"}));  // neither piece
    form->Display();
    form->Erases();
    EXPECT_EQ(platform->Count(Call::Paint), 0);
    EXPECT_EQ(Moves(), 0);
}

TEST_F(RulesTest, TheMoveCountStopsAtTheLargestValue) {
    Load(kRoom);
    form->MoveCount = INT16_MAX - 1;
    Key(kLeft);
    Key(kRight);
    EXPECT_EQ(form->MoveCount, INT16_MAX);
    EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 32767");
}

}  // namespace
}  // namespace kelo::test
