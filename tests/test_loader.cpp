// The level loader against real files: record arithmetic, characters, fall-backs, the open file.
#include <filesystem>

#include "support/game_fixture.h"

namespace kelo::test {
namespace {

class LoaderTest : public GameTest {};

// Level n of a test file: a ring count of n, so each level can be told by its rings.
std::string Numbered(int n) {
    std::string inside(14, '0');
    for (int i = 0; i < n && i < 13; ++i) inside[i + 1] = '2';
    return Walled({"30000000000000", inside, "00000000000004"});
}

std::string File(int levels) {
    std::string s;
    for (int n = 1; n <= levels; ++n) s += Numbered(n);
    return s;
}

TEST_F(LoaderTest, LoadsEachRecordAndDrawsEveryCellInOrder) {
    Load(File(3), 2);
    EXPECT_EQ(form->Level, 2);
    EXPECT_EQ(form->RingsLeft, 2);
    EXPECT_EQ(form->PieceRow[1], 2);
    EXPECT_EQ(form->PieceCol[1], 2);
    EXPECT_EQ(form->PieceRow[2], 4);
    EXPECT_EQ(form->PieceCol[2], 15);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 2");
    EXPECT_EQ(platform->frameCaption, "Nombre de mouvements : 0");

    // Reload and watch the order of the drawing: 144 cells row by row, then the indicator.
    platform->calls.clear();
    form->LoadLevel(2);
    std::vector<Call> paints;
    for (const Call& c : platform->calls) {
        if (c.kind == Call::Paint) paints.push_back(c);
    }
    ASSERT_EQ(paints.size(), 145u);
    for (int i = 0; i < 144; ++i) {
        EXPECT_EQ(paints[i].x, (i % 16) * 40);
        EXPECT_EQ(paints[i].y, (i / 16) * 40);
        EXPECT_EQ(paints[i].picture, form->Board(i / 16 + 1, i % 16 + 1));
    }
    EXPECT_EQ(paints[144].picture, Ball);
    EXPECT_EQ(paints[144].x, 580);
    EXPECT_EQ(paints[144].y, 361);
}

TEST_F(LoaderTest, PastTheLastRecordGoesBackToLevelOne) {
    // N whole records: level N loads, N + 1 and beyond give level 1 (no phantom empty level).
    for (std::int16_t asked : {4, 5, 6, 1000, INT16_MAX}) {
        Load(File(4), asked);
        const int expected = asked <= 4 ? asked : 1;
        EXPECT_EQ(form->Level, expected) << asked;
        EXPECT_EQ(form->RingsLeft, expected) << asked;
        EXPECT_EQ(platform->caption, "Kelo - Niveau " + std::to_string(expected));
    }
}

TEST_F(LoaderTest, ALastRecordWithoutItsEmptyLineStillLoads) {
    std::string file = File(3);
    file.resize(file.size() - 2);
    Load(file, 3);
    EXPECT_EQ(form->Level, 3);
    EXPECT_EQ(form->RingsLeft, 3);
    Load(file, 4);
    EXPECT_EQ(form->Level, 1);
}

TEST_F(LoaderTest, ZeroAndNegativeLevelsFallBackToLevelOne) {
    for (std::int16_t asked : {0, -1, INT16_MIN}) {
        Load(File(3), asked);
        EXPECT_EQ(form->Level, 1) << asked;
        EXPECT_EQ(form->RingsLeft, 1) << asked;
        EXPECT_EQ(platform->caption, "Kelo - Niveau 1");
    }
}

TEST_F(LoaderTest, EveryByteButADigitIsEmpty) {
    std::string row = " a-+.\t\x01\x7f\xff\x80" + std::string("\0", 1) + "xyz\r";
    ASSERT_EQ(row.size(), 15u);
    const std::string zeros(16, '0');
    Load(Record({row + "3", "2" + std::string(15, '0'), zeros, zeros, zeros, zeros, zeros, zeros, zeros}));
    for (int col = 1; col <= 15; ++col) EXPECT_EQ(Cell(1, col), Empty) << col;
    EXPECT_EQ(Cell(1, 16), Ball);
}

TEST_F(LoaderTest, DigitsFiveToNineAnywhereGiveLevelOne) {
    for (char digit : {'5', '6', '7', '8', '9'}) {
        for (int at : {0, 77, 159}) {
            std::string bad = Numbered(5);
            bad[at] = digit;
            Load(File(2) + bad, 3);
            EXPECT_EQ(form->Level, 1) << digit << at;
            EXPECT_EQ(form->RingsLeft, 1);
            EXPECT_EQ(platform->caption, "Kelo - Niveau 1");
            for (int r = 1; r <= 9; ++r) {
                for (int c = 1; c <= 16; ++c) EXPECT_EQ(platform->Shown(r, c), Cell(r, c));
            }
        }
    }
}

TEST_F(LoaderTest, ABadLevelOneGivesAnEmptyBoardAndTheGameGoesOn) {
    std::string bad = Numbered(1);
    bad[20] = '7';
    Load(bad + Numbered(2), 2);
    EXPECT_EQ(form->Level, 2);
    form->Level = 1;
    form->LoadLevel(1);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(form->RingsLeft, 0);
    for (std::uint8_t c : form->Board.cells()) EXPECT_EQ(c, Empty);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 1");
    // The square is still where level 2 had it, but no cell holds it: arrows do nothing.
    form->Form_KeyDown(32, 0);  // no ring: Space wins the empty level...
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(form->Level, 2);  // ...and level 2 loads again
}

TEST_F(LoaderTest, AMissingFileIsCreatedEmptyAndShowsAnEmptyLevelOne) {
    platform = std::make_unique<FakePlatform>(folder.path());
    form = std::make_unique<Form1>(*platform);
    form->Level = 1;
    form->LoadLevel(1);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "levels.txt"));
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "levels.txt"), 0u);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(form->RingsLeft, 0);
    EXPECT_EQ(platform->Count(Call::Paint), 145);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST_F(LoaderTest, AFileThatCannotBeOpenedIsTriedAgainAtTheNextLoad) {
    platform = std::make_unique<FakePlatform>(folder.path());
    form = std::make_unique<Form1>(*platform);
    platform->failOpen = true;
    form->Level = 3;
    form->LoadLevel(3);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(platform->caption, "Kelo - Niveau 1");
    EXPECT_EQ(platform->Count(Call::Paint), 145);
    const int opens = platform->opens;
    EXPECT_LE(opens, 2);  // never a loop
    folder.Write("levels.txt", File(3));
    platform->failOpen = false;
    form->Level = 3;
    form->LoadLevel(3);
    EXPECT_EQ(form->Level, 3);
    EXPECT_EQ(form->RingsLeft, 3);
}

TEST_F(LoaderTest, TheFileIsOpenedOnceAndReadAsItIsNow) {
    Load(File(2), 1);
    const int opens = platform->opens;
    // Replaced in place: the open file sees the new bytes at the next load.
    {
        std::ofstream out(folder.path() / "levels.txt", std::ios::binary | std::ios::in);
        std::string level = Numbered(7);
        out.seekp(164);
        out.write(level.data(), static_cast<std::streamsize>(level.size()));
    }
    form->Level = 2;
    form->LoadLevel(2);
    EXPECT_EQ(form->RingsLeft, 7);
    EXPECT_EQ(platform->opens, opens);
    // Truncated while held open: what is gone reads as past the end.
    std::filesystem::resize_file(folder.path() / "levels.txt", 164);
    form->LoadLevel(2);
    EXPECT_EQ(form->Level, 1);
    EXPECT_EQ(form->RingsLeft, 1);
    std::filesystem::resize_file(folder.path() / "levels.txt", 100);
    form->Level = 1;
    form->LoadLevel(1);
    EXPECT_EQ(form->Level, 1);  // a partial record: its missing rows are empty
    EXPECT_EQ(Cell(9, 1), Empty);
}

TEST_F(LoaderTest, LineFeedOnlyFilesAreReadOutOfStep) {
    std::string lf;
    for (char c : File(2)) {
        if (c != '\r') lf += c;
    }
    Load(lf, 1);
    EXPECT_EQ(Cell(1, 1), Wall);
    // Row 2 is read one byte late: its wall, then the ball, then the line feed as empty.
    EXPECT_EQ(Cell(2, 1), Ball);
    EXPECT_EQ(Cell(2, 15), Wall);
    EXPECT_EQ(Cell(2, 16), Empty);
}

TEST_F(LoaderTest, SeveralOrNoPiecesFollowTheReadingOrder) {
    Load(Walled({"33000000000003", "00000000000000", "04000000000040"}));
    EXPECT_EQ(form->PieceRow[1], 2);
    EXPECT_EQ(form->PieceCol[1], 15);
    EXPECT_EQ(form->PieceRow[2], 4);
    EXPECT_EQ(form->PieceCol[2], 14);
    EXPECT_EQ(Cell(2, 2), Ball);
    // A level without pieces leaves their positions as they were.
    folder.Write("levels.txt", Walled({"33000000000003", "00000000000000", "04000000000040"}) +
                                   Walled({"00000000000002"}));
    form->Level = 2;
    form->LoadLevel(2);
    EXPECT_EQ(form->PieceRow[1], 2);
    EXPECT_EQ(form->PieceCol[1], 15);
    EXPECT_FALSE(form->PieceOnBoard(1));
    EXPECT_FALSE(form->PieceOnBoard(2));
}

TEST_F(LoaderTest, ReloadingPutsTheLevelBackAndResetsTheCounters) {
    Load(Walled({"32200000000000", "00000000000002", "00000000000004"}));
    form->Form_KeyDown(39, 0);
    form->Form_KeyDown(32, 0);
    EXPECT_EQ(form->RingsLeft, 1);
    EXPECT_EQ(form->Selected, 2);
    platform->now += 5000;
    form->LoadLevel(1);
    EXPECT_EQ(form->RingsLeft, 3);
    EXPECT_EQ(form->PieceCol[1], 2);
    EXPECT_EQ(form->Selected, 1);
    EXPECT_EQ(form->MoveCount, 0);
    EXPECT_EQ(form->LoadTime, platform->now);
    EXPECT_EQ(platform->Indicator(), Ball);
}

}  // namespace
}  // namespace kelo::test
