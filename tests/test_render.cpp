// Pictures of levels: the board as the game draws it, tile for tile; and through the command line
// a level with its solution over it, and the contact sheet of a whole file.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "support/levels_util.h"
#include "tools/kelo-assets/tiles.h"
#include "tools/kelo-levels/render.h"

namespace kelo::test {
namespace {

const std::string W(16, '1');
// Every tile, a byte read as floor ('x') and a second ball tile that no key moves (the last ball
// moves). Its solution pushes the square down for the ball to stop under the ring of row 3.
const std::vector<std::string> kPicture = {W, "1300x00000000001", "1111111241111111", "1020000000000301", W, W, W, W, W};

TEST(Render, TheBoardIsTheGamesTilesAtTheirCells) {
    const auto image = RenderLevel(Record(kPicture), 1);
    ASSERT_TRUE(image && image->size() == QSize(640, 360));
    for (int cell = 0; cell < kCells; ++cell) {
        const int r = cell / kCols + 1, c = cell % kCols + 1;
        const char ch = kPicture[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
        const art::TilePixels tile = art::Tile(ch >= '0' && ch <= '4' ? ch - '0' : 0);
        for (std::size_t i = 0; i < tile.size(); ++i)
            ASSERT_EQ(image->pixel(PixelX(c) + int(i) % art::kTile, PixelY(r) + int(i) / art::kTile) & 0xFFFFFF, tile[i])
                << "row " << r << ", column " << c;
    }
    EXPECT_FALSE(RenderLevel(Record({W, "1370000000000021"}), 1));  // the game cannot load it: no picture
}

TEST(Render, CommandLineDrawsALevelWithItsSolutionAndTheSheet) {
    TempFolder folder;
    folder.Write("levels.txt", Record(kPicture) + Record(kPicture) + Record(kPicture) + Record(kPicture) + Record(kPicture));
    ::unsetenv("QT_QPA_PLATFORM");  // no display, and no platform asked for
    for (std::string args : {"--level 5 --solution -o solution.png", "-o sheet.png"})
        ASSERT_EQ(std::system(("cd " + folder.path().string() + " && " KELO_LEVELS_TOOL " render levels.txt " + args + " >/dev/null").c_str()), 0)
            << args;
    const QImage board = *RenderLevel(Record(kPicture), 1);
    const QImage solution = QImage(QString::fromStdString(folder.path() / "solution.png")).convertToFormat(QImage::Format_RGB32);
    // The board, with arrows over it: the ball's blue, the square's orange.
    int same = 0, blue = 0, orange = 0;
    for (int i = 0; i < board.width() * board.height(); ++i) {
        const QColor c = solution.pixelColor(i % board.width(), i / board.width());
        const bool drawn = c.rgb() != board.pixel(i % board.width(), i / board.width());
        same += !drawn, blue += drawn && c.blue() > c.red() + 100, orange += drawn && c.red() > c.blue() + 100;
    }
    EXPECT_TRUE(solution.size() == board.size() && same > board.width() * board.height() * 9 / 10 && blue > 100 && orange > 100)
        << same << " " << blue << " " << orange;
    // Four half-size boards to a row: five levels make two rows.
    const QSize sheet = QImage(QString::fromStdString(folder.path() / "sheet.png")).size();
    EXPECT_TRUE(sheet.width() > 4 * 320 && sheet.width() < 5 * 320 && sheet.height() > 2 * 180 && sheet.height() < 3 * 180)
        << sheet.width() << "x" << sheet.height();
}

}  // namespace
}  // namespace kelo::test
