#pragma once

#include <QIcon>
#include <QImage>
#include <array>
#include <cstdint>

namespace kelo {

// A picture built into the program as 32-bit pixels (kelo-pixels writes them from assets/).
struct Pixels {
    int width;
    int height;
    const std::uint32_t* data;
};
extern const Pixels kTile0, kTile1, kTile2, kTile3, kTile4, kIcon32;

// The five tile images, indexed by tile code, in the window's format.
std::array<QImage, 5> TileImages();
QIcon WindowIcon();

}  // namespace kelo
