#pragma once

#include <algorithm>
#include <cstdint>

namespace kelo::art {

// Colours as 0xRRGGBB.
inline std::uint32_t Rgb(int r, int g, int b) {
    auto c = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return c(r) << 16 | c(g) << 8 | c(b);
}
inline int R(std::uint32_t c) { return static_cast<int>(c >> 16 & 0xFF); }
inline int G(std::uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }
inline int B(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

// A fixed hash of a pixel's place, for grain that is the same on every run.
inline std::uint32_t Hash(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

}  // namespace kelo::art
