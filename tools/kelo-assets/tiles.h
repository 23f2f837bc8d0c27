#pragma once

#include <array>
#include <cstdint>

namespace kelo::art {

inline constexpr int kTile = 40;
inline constexpr std::uint32_t kGrey = 0xC0C0C0;
inline constexpr std::uint32_t kBlack = 0x000000;

// Pixels as 0xRRGGBB, row by row from the top.
using TilePixels = std::array<std::uint32_t, kTile * kTile>;

// The picture of tile code 0 to 4: floor, wall, ring, ball, square.
TilePixels Tile(int code);

}  // namespace kelo::art
