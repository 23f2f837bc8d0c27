// The game's icon: a disc shaded from a green highlight to a red rim, with a scattered grain.
#include "tools/kelo-assets/icon.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/kelo-assets/colour.h"
#include "tools/kelo-assets/tiles.h"

namespace kelo::art {
namespace {

// A pixel off the disc of the window icon.
constexpr std::uint32_t kTransparent = 0xFF000000;

// The icon's disc, in the coordinates of the 32-pixel icon (pixel centres at whole numbers).
double IconRadius(double x, double y) {
    const double ex = (x - 15.5) / 15.0, ey = (y - 15.0) / 15.5;
    return ex * ex + ey * ey;
}

// The icon's colour at (x, y) of the 32-pixel grid; `grainKey` picks the scattered pixels.
std::uint32_t IconColour(double x, double y, std::uint32_t grainKey) {
    static constexpr std::uint32_t steps[] = {0x00F800, 0x10E808, 0x30C800, 0x48B000, 0x689800, 0x708800,
                                              0x808000, 0x887000, 0x906000, 0xA85000, 0xC83800};
    static constexpr std::uint32_t grain[] = {0x488800, 0x28B000, 0x707010, 0x885810};
    static constexpr std::uint32_t rim[] = {0xB03000, 0xD00800, 0xF02810};
    const double d = std::hypot(x - 10.0, y - 9.0);
    const int step = std::clamp(static_cast<int>(d / 2.2), 0, 10);
    std::uint32_t c = steps[step];
    if (grainKey % 13 == 0 && step >= 2 && step <= 8) c = grain[grainKey / 13 % 4];
    if (y >= 28 && IconRadius(x, y) > 0.8 && grainKey % 3 == 0) c = rim[grainKey / 3 % 3];
    return c;
}

// The window icon: 0xRRGGBB, or kTransparent.
std::array<std::uint32_t, kIcon * kIcon> IconPixels() {
    std::array<std::uint32_t, kIcon * kIcon> p;
    p.fill(kTransparent);
    for (int y = 0; y < kIcon; ++y) {
        for (int x = 0; x < kIcon; ++x) {
            if (IconRadius(x, y) > 1.0) continue;
            p[y * kIcon + x] = IconColour(x, y, Hash(x + 100, y + 7));
        }
    }
    return p;
}

}  // namespace

std::vector<std::uint32_t> IconRendering(int size) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    if (size == kIcon) {
        const auto icon = IconPixels();
        std::transform(icon.begin(), icon.end(), p.begin(),
                       [](std::uint32_t c) { return c == kTransparent ? 0u : 0xFF000000u | c; });
        return p;
    }
    const double scale = static_cast<double>(kIcon) / size;
    constexpr int kSub = 4;  // samples a side for the edge's coverage
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    inside += IconRadius((x + (sx + 0.5) / kSub) * scale - 0.5, (y + (sy + 0.5) / kSub) * scale - 0.5) <= 1.0;
                }
            }
            if (inside == 0) continue;
            const double ix = (x + 0.5) * scale - 0.5, iy = (y + 0.5) * scale - 0.5;
            // The grain stays as fine as the drawing, one pixel in thirteen, as on the small icon.
            const std::uint32_t alpha = static_cast<std::uint32_t>(255 * inside / (kSub * kSub));
            p[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] =
                alpha << 24 | IconColour(ix, iy, Hash(x + 100, y + 7));
        }
    }
    return p;
}

std::vector<std::uint32_t> EditorIconRendering(int size) {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    // The tiles two by two, as on a board: wall and ball above, ring and square below.
    const TilePixels tiles[2][2] = {{Tile(1), Tile(3)}, {Tile(2), Tile(4)}};
    const int margin = size / 16, inner = size - 2 * margin;
    constexpr int kSub = 8;  // samples a side of each pixel: the tiles' average over its area
    for (int y = 0; y < inner; ++y) {
        for (int x = 0; x < inner; ++x) {
            int r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const int tx = (x * kSub + sx) * 2 * kTile / (inner * kSub), ty = (y * kSub + sy) * 2 * kTile / (inner * kSub);
                    const std::uint32_t c = tiles[ty / kTile][tx / kTile][static_cast<std::size_t>(ty % kTile * kTile + tx % kTile)];
                    r += R(c);
                    g += G(c);
                    b += B(c);
                }
            }
            constexpr int n = kSub * kSub;
            p[static_cast<std::size_t>(y + margin) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x + margin)] =
                0xFF000000u | Rgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
        }
    }
    return p;
}

}  // namespace kelo::art
