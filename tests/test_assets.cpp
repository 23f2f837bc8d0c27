// The files in assets/ against what kelo-assets draws now, compared as pictures and sounds: the
// PNG writer may pack the same pixels into other bytes.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/levels_util.h"
#include "tools/art.h"

namespace kelo::art {
namespace {

const std::filesystem::path kShipped = std::filesystem::path(KELO_SOURCE_DIR) / "assets";

QImage Load(const std::filesystem::path& path) {
    return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_ARGB32);
}

std::vector<char> Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Assets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        drawn_ = new test::TempFolder;
        ASSERT_EQ(std::system((std::string(KELO_ASSETS_TOOL) + " " + drawn_->path().string()).c_str()), 0);
    }
    static void TearDownTestSuite() { delete drawn_; }
    static test::TempFolder* drawn_;
};
test::TempFolder* Assets::drawn_ = nullptr;

// Shipped pictures that were not made again after a change to the drawing.
TEST_F(Assets, ShippedPicturesAreTheGeneratorsOutput) {
    std::vector<std::string> names = {"tile0.bmp", "tile1.bmp", "tile2.bmp", "tile3.bmp", "tile4.bmp"};
    for (int size : kIconSizes) names.push_back("kelo-" + std::to_string(size) + ".png");
    for (const std::string& name : names) {
        const QImage shipped = Load(kShipped / name), drawn = Load(drawn_->path() / name);
        ASSERT_FALSE(drawn.isNull()) << name;
        EXPECT_EQ(shipped, drawn) << name << " differs from what kelo-assets draws: run build/kelo-assets assets";
    }
    for (const char* name : {"Ding.wav", "End.wav"}) {
        EXPECT_EQ(Slurp(kShipped / name), Slurp(drawn_->path() / name)) << name;
    }
}

// An icon of the wrong size, written uncompressed, or a window icon with part-transparent pixels.
TEST_F(Assets, IconsAreCompressedAtEverySizeAndTheSmallOneHasAOneBitMask) {
    for (int size : kIconSizes) {
        const auto path = kShipped / ("kelo-" + std::to_string(size) + ".png");
        const QImage icon = Load(path);
        ASSERT_EQ(icon.size(), QSize(size, size)) << path;
        // Raw RGBA is 4 bytes a pixel; deflated, the larger discs take less than one.
        if (size >= 64) {
            EXPECT_LT(std::filesystem::file_size(path), static_cast<std::uintmax_t>(size * size)) << path;
        }
    }
    const QImage small = Load(kShipped / "kelo-32.png");
    for (int i = 0; i < 32 * 32; ++i) {
        const int alpha = qAlpha(small.pixel(i % 32, i / 32));
        ASSERT_TRUE(alpha == 0 || alpha == 255) << i;
    }
}

}  // namespace
}  // namespace kelo::art
