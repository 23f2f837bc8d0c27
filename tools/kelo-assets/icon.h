#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kelo::art {

// The window icon's size, in pixels.
inline constexpr int kIcon = 32;
// The sizes of the icon files, in pixels.
inline constexpr std::array<int, 6> kIconSizes = {16, 32, 48, 64, 128, 256};

// The icon drawn at size x size for launchers, as 0xAARRGGBB (not premultiplied) with a smooth
// edge. At 32 it is the window icon exactly: every pixel fully opaque or fully transparent.
std::vector<std::uint32_t> IconRendering(int size);

// The level editor's icon at size x size, as 0xAARRGGBB: four of the game's tiles (wall, ball,
// ring, square) in a square, with a clear margin of a sixteenth of the size.
std::vector<std::uint32_t> EditorIconRendering(int size);

}  // namespace kelo::art
