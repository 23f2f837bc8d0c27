// The tile images and the icon, checked against their rules pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "tools/art.h"

namespace kelo::art {
namespace {

std::uint32_t At(const TilePixels& p, int x, int y) { return p[y * kTile + x]; }

std::vector<std::uint8_t> Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Tiles, EmptyIsPlainGrey) {
    for (std::uint32_t c : EmptyTile()) EXPECT_EQ(c, kGrey);
}

TEST(Tiles, BallFollowsItsShadingRule) {
    const TilePixels ball = BallTile();
    int pixels = 0;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            if (!InBall(x, y)) {
                EXPECT_EQ(At(ball, x, y), kGrey) << x << "," << y;
                continue;
            }
            ++pixels;
            const int k = static_cast<int>(std::floor(std::hypot(x - 14, y - 12)));
            ASSERT_LE(k, 27);
            const int f = 31 * k / 4;
            const std::uint32_t expected = static_cast<std::uint32_t>((k == 0 ? 0 : f - 1) << 16 | (255 - f) << 8);
            EXPECT_EQ(At(ball, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(At(ball, 14, 12), 0x00FF00u);
    EXPECT_EQ(At(ball, 15, 12), 0x06F800u);
    EXPECT_EQ(At(ball, 16, 12), 0x0EF000u);
    EXPECT_EQ(At(ball, 30, 12), 0x7B8300u);
    // Row extents from the table: rows 2 and 36 are the top and bottom, 15..24 the widest.
    EXPECT_TRUE(InBall(16, 2) && InBall(24, 2) && !InBall(15, 2) && !InBall(25, 2));
    EXPECT_TRUE(InBall(3, 15) && InBall(37, 24) && !InBall(2, 20) && !InBall(38, 20));
    EXPECT_TRUE(InBall(15, 36) && !InBall(20, 37) && !InBall(20, 1));
    EXPECT_EQ(pixels, 977);
}

TEST(Tiles, SquareFollowsItsRings) {
    const TilePixels sq = SquareTile();
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            std::uint32_t expected;
            if (x < 4 || x > 35 || y < 4 || y > 35) expected = kGrey;
            else if (x == 4 || x == 35 || y == 4 || y == 35) expected = kBlack;
            else if (x == 5 || y == 34) expected = 0xFF0000;
            else {
                const int k = 14 - std::max(std::abs(x - 20), std::abs(y - 19));
                expected = k == 14 ? 0x0000FFu : static_cast<std::uint32_t>((0xEE - 0x11 * k) << 16 | (0x10 + 0x11 * k));
            }
            EXPECT_EQ(At(sq, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(At(sq, 6, 5), 0xEE0010u);
    EXPECT_EQ(At(sq, 19, 18), 0x1100EDu);
    EXPECT_EQ(At(sq, 20, 19), 0x0000FFu);
}

TEST(Tiles, RingHasItsPixelsAndItsColourRun) {
    const TilePixels ring = RingTile();
    const auto& run = RingColourRun();
    std::set<std::uint32_t> allowed(run.begin(), run.end());
    // The rows of the ring as [from, to] runs, both sides.
    const std::map<int, std::vector<std::pair<int, int>>> rows = {
        {11, {{18, 22}}}, {12, {{16, 24}}}, {13, {{15, 17}, {23, 25}}}, {14, {{14, 16}, {24, 26}}},
        {15, {{13, 15}, {25, 27}}}, {16, {{13, 14}, {26, 27}}}, {17, {{12, 13}, {27, 28}}}, {18, {{12, 13}, {27, 28}}},
        {19, {{12, 13}, {27, 28}}}, {20, {{12, 13}, {27, 28}}}, {21, {{12, 13}, {27, 28}}}, {22, {{12, 13}, {27, 28}}},
        {23, {{13, 14}, {26, 27}}}, {24, {{13, 15}, {25, 27}}}, {25, {{14, 16}, {24, 26}}}, {26, {{15, 25}}},
        {27, {{17, 23}}}};
    int count = 0;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            bool in = false;
            if (auto it = rows.find(y); it != rows.end()) {
                for (auto [a, b] : it->second) in |= x >= a && x <= b;
            }
            if (!in) {
                EXPECT_EQ(At(ring, x, y), kGrey) << x << "," << y;
                continue;
            }
            ++count;
            EXPECT_TRUE(allowed.count(At(ring, x, y))) << x << "," << y;
            EXPECT_EQ(At(ring, x, y), At(ring, 40 - x, y)) << "symmetric about x = 20 at " << x << "," << y;
        }
    }
    EXPECT_EQ(count, 94);
    EXPECT_EQ(At(ring, 20, 11), 0xFCFC00u);
    EXPECT_EQ(At(ring, 20, 27), 0xC000C0u);
    EXPECT_EQ(At(ring, 12, 19), 0xE7A542u);  // nine o'clock
    // Going round from the top to the bottom, the colour only moves on along the run.
    auto index = [&](std::uint32_t c) { return std::find(run.begin(), run.end(), c) - run.begin(); };
    std::vector<std::pair<double, long>> byAngle;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x <= 20; ++x) {
            if (At(ring, x, y) != kGrey) byAngle.push_back({std::atan2(20.0 - x, 19.0 - y), index(At(ring, x, y))});
        }
    }
    std::sort(byAngle.begin(), byAngle.end());
    for (std::size_t i = 1; i < byAngle.size(); ++i) EXPECT_GE(byAngle[i].second, byAngle[i - 1].second);
}

TEST(Tiles, WallHasItsOutlineCornersAndBrownStones) {
    const TilePixels wall = WallTile();
    for (int i = 0; i < kTile; ++i) {
        for (auto [x, y] : {std::pair{i, 0}, {i, 39}, {0, i}, {39, i}}) {
            const bool corner = (x <= 1 || x >= 38) && (y <= 1 || y >= 38);
            EXPECT_EQ(At(wall, x, y), corner ? kGrey : kBlack) << x << "," << y;
        }
    }
    for (auto [x, y] : {std::pair{1, 1}, {38, 1}, {1, 38}, {38, 38}}) EXPECT_EQ(At(wall, x, y), kBlack);
    std::map<std::uint32_t, int> histogram;
    for (int y = 1; y <= 38; ++y) {
        for (int x = 1; x <= 38; ++x) {
            if ((x == 1 || x == 38) && (y == 1 || y == 38)) continue;
            const std::uint32_t c = At(wall, x, y);
            const int r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
            EXPECT_TRUE(r > g && g > b && r >= 0x5A && r <= 0xB4) << std::hex << c;
            ++histogram[c];
        }
    }
    const double area = 38 * 38 - 4;
    EXPECT_GE(histogram.size(), 120u);
    EXPECT_LE(histogram.size(), 254u);
    std::vector<std::pair<int, std::uint32_t>> common;
    for (auto [c, n] : histogram) common.push_back({n, c});
    std::sort(common.rbegin(), common.rend());
    EXPECT_EQ(common[0].second, 0x7B5F43u);
    EXPECT_NEAR(histogram[0x7B5F43] / area, 0.20, 0.07);
    EXPECT_NEAR(histogram[0x876F4B] / area, 0.125, 0.05);
    EXPECT_NEAR(histogram[0x6B573B] / area, 0.083, 0.04);
    // Seams reach down near 5F4B37, highlights up near AF976B.
    EXPECT_LE(histogram.begin()->first >> 16, 0x66u);
    EXPECT_GE(histogram.rbegin()->first >> 16, 0xA0u);
}

TEST(Tiles, IconIsAShadedDiscWithATransparentSurround) {
    const auto icon = IconPixels();
    const std::set<std::uint32_t> palette = {0x00F800, 0x10E808, 0x30C800, 0x48B000, 0x689800, 0x708800, 0x808000,
                                             0x887000, 0x906000, 0xA85000, 0xC83800, 0x488800, 0x28B000, 0x707010,
                                             0x885810, 0xB03000, 0xD00800, 0xF02810};
    int opaque = 0;
    for (int y = 0; y < kIcon; ++y) {
        for (int x = 0; x < kIcon; ++x) {
            const std::uint32_t c = icon[y * kIcon + x];
            if (c == kTransparent) continue;
            ++opaque;
            EXPECT_TRUE(x >= 1 && x <= 30 && y >= 0 && y <= 30) << x << "," << y;
            EXPECT_TRUE(palette.count(c)) << std::hex << c;
        }
    }
    EXPECT_NE(icon[15 * kIcon + 1], kTransparent);
    EXPECT_NE(icon[0 * kIcon + 15], kTransparent);
    EXPECT_EQ(icon[0], kTransparent);
    EXPECT_GT(opaque, 650);
    EXPECT_EQ(icon[8 * kIcon + 9] >> 8 & 0xFF, 0xF8u);  // bright green at the upper left
}

// A BMP writer or reader that swaps palette entries or flips rows.
TEST(Tiles, BitmapsRoundTrip) {
    for (int code = 0; code < 5; ++code) {
        TilePixels back{};
        ASSERT_TRUE(ReadBmp8(Bmp8(Tile(code)), back));
        EXPECT_EQ(back, Tile(code)) << code;
    }
    const auto bmp = Slurp(std::filesystem::path(KELO_SOURCE_DIR) / "assets" / "tile1.bmp");
    ASSERT_GT(bmp.size(), 30u);
    EXPECT_EQ(bmp[28], 8);  // 8 bits per pixel with a palette of its own
}

TEST(Sounds, AreShort16BitPcm) {
    for (const char* name : {"Ding.wav", "End.wav"}) {
        const auto wav = Slurp(std::filesystem::path(KELO_SOURCE_DIR) / "assets" / name);
        ASSERT_GT(wav.size(), 44u) << name;
        EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
        EXPECT_EQ(wav[20], 1);   // PCM
        EXPECT_EQ(wav[34], 16);  // 16 bits
        const double seconds = (wav.size() - 44) / 2.0 / kSampleRate;
        EXPECT_GT(seconds, 0.1);
        EXPECT_LT(seconds, 1.5);
    }
}

}  // namespace
}  // namespace kelo::art
