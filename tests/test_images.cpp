// The files in assets/ against what kelo-assets draws now, and a few facts of the game's look
// read back from them through Qt's image readers, as the game reads them.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "support/levels_util.h"
#include "tools/kelo-assets/icon.h"
#include "tools/kelo-assets/tiles.h"

namespace kelo::art {
namespace {

const std::filesystem::path kShipped = std::filesystem::path(KELO_SOURCE_DIR) / "assets";

QImage Load(const std::filesystem::path& path) {
    return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_ARGB32);
}
std::string IconName(int size) { return "kelo-" + std::to_string(size) + ".png"; }
// The pixels of a picture for which `keep` holds.
int Count(const QImage& image, const std::function<bool(QRgb)>& keep) {
    int n = 0;
    for (int i = 0; i < image.width() * image.height(); ++i) n += keep(image.pixel(i % image.width(), i / image.width()));
    return n;
}
bool Grey(QRgb p) { return (p & 0xFFFFFF) == kGrey; }
bool PartCovered(QRgb p) { return qAlpha(p) % 255 != 0; }

// Shipped files not made again after a change to the drawing; a BMP writer whose files Qt reads
// back other than drawn (a row flipped, a palette entry swapped).
TEST(Images, ShippedAssetsAreTheGeneratorsOutput) {
    const test::TempFolder drawn;
    ASSERT_EQ(std::system((std::string(KELO_ASSETS_TOOL) + " " + drawn.path().string()).c_str()), 0);
    std::vector<std::string> names;
    for (int size : kIconSizes) names.push_back(IconName(size));
    for (int size : kIconSizes) names.push_back("kelo-editor-" + std::to_string(size) + ".png");
    for (int code = 0; code < 5; ++code) {
        names.push_back("tile" + std::to_string(code) + ".bmp");
        const TilePixels expected = Tile(code);
        const QImage tile = Load(kShipped / names.back());
        for (int i = 0; i < kTile * kTile; ++i) ASSERT_EQ(tile.pixel(i % kTile, i / kTile) & 0xFFFFFF, expected[i]) << code;
    }
    // PNG writers may pack the same pixels into other bytes: pictures are compared as pictures.
    for (const std::string& name : names) EXPECT_EQ(Load(kShipped / name), Load(drawn.path() / name)) << name;
    for (const char* name : {"Ding.wav", "End.wav"}) EXPECT_EQ(test::Contents(kShipped / name), test::Contents(drawn.path() / name)) << name;
    EXPECT_EQ(QImage(QString::fromStdString((kShipped / "tile1.bmp").string())).format(), QImage::Format_Indexed8);
}

// Facts of the look that a wrong drawing breaks.
TEST(Images, TilesShowTheGamesLook) {
    const auto tile = [](int code) { return Load(kShipped / ("tile" + std::to_string(code) + ".bmp")); };
    const auto rgb = [](const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(Count(tile(0), Grey), kTile * kTile);
    EXPECT_EQ(rgb(tile(3), 14, 12), 0x00FF00u);  // the ball's highlight, up and to the left
    EXPECT_EQ(rgb(tile(3), 0, 0), kGrey);
    EXPECT_EQ(rgb(tile(4), 20, 19), 0x0000FFu);  // the square's blue centre
    EXPECT_EQ(kTile * kTile - Count(tile(2), Grey), 94);  // the ring, one pixel thin
    // The wall's black outline has rounded corners: three grey pixels, black inside them.
    const QImage wall = tile(1);
    for (auto [x, y, sx, sy] : {std::array{0, 0, 1, 1}, {39, 0, -1, 1}, {0, 39, 1, -1}, {39, 39, -1, -1}}) {
        const std::array corner = {rgb(wall, x, y), rgb(wall, x + sx, y), rgb(wall, x, y + sy),
                                   rgb(wall, x + sx, y + sy), rgb(wall, x + 2 * sx, y), rgb(wall, x, y + 2 * sy)};
        EXPECT_EQ(corner, (std::array{kGrey, kGrey, kGrey, kBlack, kBlack, kBlack})) << x << "," << y;
    }
}

// An icon of the wrong size, written uncompressed, or a window icon with part-transparent pixels.
TEST(Images, IconsHaveTheirSizesAndEdges) {
    for (int size : kIconSizes) {
        const QImage icon = Load(kShipped / IconName(size));
        ASSERT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << size;
        // Raw RGBA is 4 bytes a pixel; deflated, the larger discs take less than one.
        if (size >= 64) {
            EXPECT_LT(std::filesystem::file_size(kShipped / IconName(size)), std::uintmax_t(size * size)) << size;
        }
    }
    EXPECT_EQ(Count(Load(kShipped / IconName(32)), PartCovered), 0);
    // The large one has a soft edge: a ring of part-covered pixels round the disc, no more.
    const int soft = Count(Load(kShipped / IconName(256)), PartCovered);
    EXPECT_GT(soft, 400);
    EXPECT_LT(soft, 2000);
}

}  // namespace
}  // namespace kelo::art
