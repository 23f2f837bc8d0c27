// Pictures of levels: the board as the game draws it, tile for tile, and what the solution and
// the contact sheet add to it.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "support/levels_util.h"
#include "tools/art.h"
#include "tools/render.h"

namespace kelo::test {
namespace {

const std::string W(16, '1');
// Every tile, a byte read as floor ('x') and a second ball tile that no key moves.
const std::vector<std::string> kPicture = {W, "1300x00000000001", "1111111241111111", "1020000000000301",
                                        W, W, W, W, W};

// The cell's 40 x 40 pixels against the tile that the game shows for its code.
bool CellShows(const QImage& image, int row, int col, int code) {
    const art::TilePixels tile = art::Tile(code);
    for (int y = 0; y < art::kTile; ++y) {
        for (int x = 0; x < art::kTile; ++x) {
            if ((image.pixel(PixelX(col) + x, PixelY(row) + y) & 0xFFFFFF) != tile[static_cast<std::size_t>(y * art::kTile + x)])
                return false;
        }
    }
    return true;
}

TEST(Render, TheBoardIsTheGamesTilesAtTheirCells) {
    const auto image = RenderLevel(Record(kPicture), 1);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), QSize(640, 360));
    for (int r = 1; r <= kelo::kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) {
            const char ch = kPicture[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
            const int code = ch >= '0' && ch <= '4' ? ch - '0' : 0;
            EXPECT_TRUE(CellShows(*image, r, c, code)) << "row " << r << ", column " << c;
        }
    }
    // A level that the game cannot load has no picture.
    EXPECT_FALSE(RenderLevel(Record({W, "1370000000000021"}), 1));
}

TEST(Render, TheSolutionIsDrawnInThePiecesColours) {
    // The square pushed up to stop the ball, then the ball right and down: arrows of both colours.
    auto colours = [](const std::vector<std::string>& rows) {
        const std::string file = Record(rows);
        QImage image = *RenderLevel(file, 1);
        AnalyseOptions options;
        options.inertWalls = false;
        DrawSolution(image, Analyse(*LevelPuzzle(file, 1), options).solution);
        std::pair<int, int> counts{0, 0};
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                counts.first += image.pixel(x, y) == 0xFF1E5AFFu;
                counts.second += image.pixel(x, y) == 0xFFFF7A00u;
            }
        }
        return counts;
    };
    const auto both = colours({W, "1300000000000001", "1111111241111111", W, W, W, W, W, W});
    EXPECT_GT(both.first, 100);
    EXPECT_GT(both.second, 100);
    const auto ballOnly = colours({W, W, W, W, "1020000300002001", W, W, "1111111111111141", W});
    EXPECT_GT(ballOnly.first, 100);
    EXPECT_EQ(ballOnly.second, 0);
}

TEST(Render, CommandLineWritesTheBoardAndTheSheet) {
    TempFolder folder;
    folder.Write("levels.txt", Record(kPicture) + Record(kPicture) + Record(kPicture) + Record(kPicture) + Record(kPicture));
    const std::string dir = folder.path().string();
    ::unsetenv("QT_QPA_PLATFORM");
    const std::string tool = std::string(KELO_LEVELS_TOOL) + " render " + dir + "/levels.txt";
    ASSERT_EQ(std::system((tool + " --level 2 -o " + dir + "/one.png >/dev/null").c_str()), 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir + "/one.png")).convertToFormat(QImage::Format_RGB32),
              *RenderLevel(Record(kPicture), 1));
    ASSERT_EQ(std::system((tool + " -o " + dir + "/sheet.png >/dev/null").c_str()), 0);
    const QImage sheet(QString::fromStdString(dir + "/sheet.png"));
    // Four half-size boards to a row: five levels make two rows.
    EXPECT_GT(sheet.width(), 4 * 320);
    EXPECT_LT(sheet.width(), 5 * 320);
    EXPECT_GT(sheet.height(), 2 * 180);
    EXPECT_LT(sheet.height(), 3 * 180);
    EXPECT_NE(std::system((tool + " --level 9 -o " + dir + "/none.png 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " --level 1 2>/dev/null").c_str()), 0);  // no -o
}

}  // namespace
}  // namespace kelo::test
