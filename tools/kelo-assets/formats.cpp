// The file formats of the assets, written byte by byte: 8-bit BMP and 16-bit WAV.
#include "tools/kelo-assets/formats.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "tools/kelo-assets/colour.h"

namespace kelo::art {
namespace {

void Put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

void InfoHeader(std::vector<std::uint8_t>& v, int width, int height, int bits, std::uint32_t imageSize,
                std::uint32_t colours) {
    Put32(v, 40);
    Put32(v, static_cast<std::uint32_t>(width));
    Put32(v, static_cast<std::uint32_t>(height));
    Put16(v, 1);
    Put16(v, static_cast<std::uint32_t>(bits));
    Put32(v, 0);
    Put32(v, imageSize);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, colours);
    Put32(v, 0);
}

}  // namespace

std::vector<std::uint8_t> Bmp8(const TilePixels& pixels) {
    std::vector<std::uint32_t> palette(pixels.begin(), pixels.end());
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    std::map<std::uint32_t, std::uint8_t> index;
    for (std::size_t i = 0; i < palette.size(); ++i) index[palette[i]] = static_cast<std::uint8_t>(i);

    constexpr std::uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<std::uint8_t> v{'B', 'M'};
    Put32(v, offset + kTile * kTile);
    Put32(v, 0);
    Put32(v, offset);
    InfoHeader(v, kTile, kTile, 8, kTile * kTile, 256);
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint32_t c = i < palette.size() ? palette[i] : 0;
        v.push_back(static_cast<std::uint8_t>(B(c)));
        v.push_back(static_cast<std::uint8_t>(G(c)));
        v.push_back(static_cast<std::uint8_t>(R(c)));
        v.push_back(0);
    }
    for (int y = kTile - 1; y >= 0; --y) {
        for (int x = 0; x < kTile; ++x) v.push_back(index[pixels[y * kTile + x]]);
    }
    return v;
}

std::vector<std::uint8_t> Wav16(const std::vector<double>& samples, int rate) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> v{'R', 'I', 'F', 'F'};
    Put32(v, 36 + dataSize);
    for (char c : std::string("WAVEfmt ")) v.push_back(static_cast<std::uint8_t>(c));
    Put32(v, 16);
    Put16(v, 1);  // PCM
    Put16(v, 1);  // mono
    Put32(v, static_cast<std::uint32_t>(rate));
    Put32(v, static_cast<std::uint32_t>(rate * 2));
    Put16(v, 2);
    Put16(v, 16);
    for (char c : std::string("data")) v.push_back(static_cast<std::uint8_t>(c));
    Put32(v, dataSize);
    for (double s : samples) {
        const long q = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
        Put16(v, static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(q))));
    }
    return v;
}

}  // namespace kelo::art
