#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelo::art {

inline constexpr int kTile = 40;
inline constexpr int kIcon = 32;
inline constexpr std::uint32_t kGrey = 0xC0C0C0;
inline constexpr std::uint32_t kBlack = 0x000000;

// Pixels as 0xRRGGBB, row by row from the top.
using TilePixels = std::array<std::uint32_t, kTile * kTile>;

TilePixels EmptyTile();
TilePixels WallTile();
TilePixels RingTile();
TilePixels BallTile();
TilePixels SquareTile();
TilePixels Tile(int code);

// The colours of the ring, from the top centre to the bottom centre.
const std::vector<std::uint32_t>& RingColourRun();
// Is (x, y) one of the ring's 94 pixels?
bool InRing(int x, int y);
// Is (x, y) one of the ball's pixels?
bool InBall(int x, int y);

// The window icon: 0xRRGGBB, or kTransparent.
inline constexpr std::uint32_t kTransparent = 0xFF000000;
std::array<std::uint32_t, kIcon * kIcon> IconPixels();
// The icon drawn again at size x size for launchers, as 0xAARRGGBB (not premultiplied) with a
// smooth edge. At 32 it is the window icon exactly: every pixel fully opaque or fully transparent.
std::vector<std::uint32_t> IconRendering(int size);
// The sizes of the icon files, in pixels.
inline constexpr std::array<int, 6> kIconSizes = {16, 32, 48, 64, 128, 256};

// File images.
std::vector<std::uint8_t> Bmp8(const TilePixels& pixels);
std::vector<std::uint8_t> Wav16(const std::vector<double>& samples, int rate);
// Decodes an 8-bit BMP of 40 x 40 as written by Bmp8; false when it is not one.
bool ReadBmp8(const std::vector<std::uint8_t>& file, TilePixels& pixels);

inline constexpr int kSampleRate = 22050;
std::vector<double> DingSamples();
std::vector<double> EndSamples();

}  // namespace kelo::art
