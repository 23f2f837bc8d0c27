#pragma once

#include <cstdint>
#include <vector>

#include "tools/kelo-assets/tiles.h"

namespace kelo::art {

// A tile as an 8-bit BMP: its colours sorted into the palette, rows from the bottom.
std::vector<std::uint8_t> Bmp8(const TilePixels& pixels);
// Samples from -1 to 1 as a 16-bit mono PCM WAV.
std::vector<std::uint8_t> Wav16(const std::vector<double>& samples, int rate);

}  // namespace kelo::art
