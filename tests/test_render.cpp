// Pictures of levels: the board as the game draws it, tile for tile; and through the command line
// the contact sheet of a whole file.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "support/run_tool.h"
#include "tools/kelo-assets/tiles.h"
#include "tools/kelo-levels/render.h"

namespace kelo::test {
namespace {

// Every tile, a byte read as floor ('x') and a second ball tile that no key moves (the last ball
// moves). Its solution pushes the square down for the ball to stop under the ring of row 3.
const std::vector<std::string> kPicture = {W, "1300x00000000001", "1111111241111111", "1020000000000301", W, W, W, W, W};

TEST(Render, TheBoardIsTheGamesTilesAtTheirCells) {
    const auto image = RenderLevel(Record(kPicture), 1);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), QSize(640, 360));
    for (int cell = 0; cell < kCells; ++cell) {
        const int r = cell / kCols + 1;
        const int c = cell % kCols + 1;
        const char ch = kPicture[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
        const art::TilePixels tile = art::Tile(ch >= '0' && ch <= '4' ? ch - '0' : 0);
        for (std::size_t i = 0; i < tile.size(); ++i)
            ASSERT_EQ(image->pixel(PixelX(c) + int(i) % art::kTile, PixelY(r) + int(i) / art::kTile) & 0xFFFFFF, tile[i])
                << "row " << r << ", column " << c;
    }
}

TEST(Render, ALevelTheGameCannotLoadHasNoPicture) {
    EXPECT_FALSE(RenderLevel(Record({W, "1370000000000021"}), 1));
}

// Four half-size boards to a row: five levels make two rows. (A solution drawn over a board: the
// level set's page, levels_doc.)
TEST(RenderCommand, TheSheetHasFourHalfSizeBoardsToARow) {
    TempFolder folder;
    folder.Write("levels.txt", Record(kPicture) + Record(kPicture) + Record(kPicture) + Record(kPicture) + Record(kPicture));
    ::unsetenv("QT_QPA_PLATFORM");  // no display, and no platform asked for
    ASSERT_EQ(RunTool(folder, {"render levels.txt -o sheet.png"}).status, 0);
    const QSize sheet = QImage(QString::fromStdString(folder.path() / "sheet.png")).size();
    EXPECT_GT(sheet.width(), 4 * 320);
    EXPECT_LT(sheet.width(), 5 * 320);
    EXPECT_GT(sheet.height(), 2 * 180);
    EXPECT_LT(sheet.height(), 3 * 180);
}

}  // namespace
}  // namespace kelo::test
