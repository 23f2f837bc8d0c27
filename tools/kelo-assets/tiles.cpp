// The five tile images, drawn pixel by pixel.
#include "tools/kelo-assets/tiles.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "tools/kelo-assets/colour.h"

namespace kelo::art {
namespace {

TilePixels Filled(std::uint32_t colour) {
    TilePixels p;
    p.fill(colour);
    return p;
}

// A small fixed generator, so that every run draws the same stones.
struct Lcg {
    std::uint32_t state;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 16777216.0;
    }
};

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t) {
    auto lerp = [t](int u, int v) { return static_cast<int>(std::lround(u + (v - u) * t)); };
    return Rgb(lerp(R(a), R(b)), lerp(G(a), G(b)), lerp(B(a), B(b)));
}

// The browns of the wall by brightness, with the three commonest shades held exactly;
// the rest take a slight tint of their stone.
std::uint32_t Brown(double b, int tint) {
    struct Anchor {
        double at;
        std::uint32_t colour;
    };
    static constexpr Anchor ramp[] = {
        {0.0, 0x5F4B37}, {0.34, 0x6B573B}, {0.5, 0x7B5F43}, {0.66, 0x876F4B}, {1.0, 0xAF976B}};
    b = std::clamp(b, 0.0, 1.0);
    if (b >= 0.43 && b < 0.56) return 0x7B5F43;
    if (b >= 0.60 && b < 0.71) return 0x876F4B;
    if (b >= 0.31 && b < 0.37) return 0x6B573B;
    for (std::size_t i = 1; i < std::size(ramp); ++i) {
        if (b <= ramp[i].at) {
            const double t = (b - ramp[i - 1].at) / (ramp[i].at - ramp[i - 1].at);
            const std::uint32_t c = Mix(ramp[i - 1].colour, ramp[i].colour, t);
            return Rgb(R(c), G(c) + tint, B(c) - tint);
        }
    }
    return ramp[std::size(ramp) - 1].colour;
}

TilePixels WallTile() {
    TilePixels p = Filled(kGrey);
    // Stone centres on a staggered grid, each nudged a little: some twenty stones.
    struct Seed {
        double x, y;
        double tone;
        int tint;
    };
    std::vector<Seed> seeds;
    Lcg lcg{20000u};
    constexpr int rows = 4;
    for (int r = 0; r < rows; ++r) {
        const int cols = r % 2 == 0 ? 5 : 6;
        const double w = 38.0 / 5.0;
        const double h = 38.0 / rows;
        for (int c = 0; c < cols; ++c) {
            const double x = 1 + (c + (r % 2 == 0 ? 0.5 : 0.0)) * w + (lcg.Next() - 0.5) * 2.4;
            const double y = 1 + (r + 0.5) * h + (lcg.Next() - 0.5) * 2.6;
            const double tone = (lcg.Next() - 0.5) * 0.08;
            const int tint = 2 * (static_cast<int>(lcg.Next() * 3) - 1);
            seeds.push_back({x, y, tone, tint});
        }
    }
    for (int y = 1; y <= 38; ++y) {
        for (int x = 1; x <= 38; ++x) {
            double d1 = 1e9, d2 = 1e9;
            Seed nearest{};
            for (const Seed& s : seeds) {
                const double d = std::hypot((x - s.x) * 1.0, (y - s.y) * 0.85);
                if (d < d1) {
                    d2 = d1;
                    d1 = d;
                    nearest = s;
                } else if (d < d2) {
                    d2 = d;
                }
            }
            const double edge = d2 - d1;
            const double noise = (static_cast<double>(Hash(x, y) % 1000) / 1000.0 - 0.5) * 0.07;
            double b;
            if (edge < 1.1) {
                b = 0.05 + edge * 0.2 + noise;  // seam between stones
            } else {
                const double vx = x - nearest.x, vy = y - nearest.y;
                const double reach = d1 + edge / 2;  // distance from the centre to the rim
                const double lit = -(vx + vy) / (reach * std::numbers::sqrt2);  // upper left is lit
                b = 0.5 + nearest.tone + 0.3 * lit + 0.35 * std::pow(std::max(0.0, lit), 3) + noise;
                if (edge < 2.4 && vx + vy > 0) b -= 0.16;  // darker lower-right rim
            }
            p[y * kTile + x] = Brown(b, nearest.tint);
        }
    }
    // Black outline with rounded corners: three grey pixels at each corner, black inside it.
    for (int i = 0; i < kTile; ++i) {
        p[i] = p[39 * kTile + i] = p[i * kTile] = p[i * kTile + 39] = kBlack;
    }
    for (int cx : {0, 39}) {
        for (int cy : {0, 39}) {
            const int sx = cx == 0 ? 1 : -1, sy = cy == 0 ? 1 : -1;
            p[cy * kTile + cx] = p[cy * kTile + cx + sx] = p[(cy + sy) * kTile + cx] = kGrey;
            p[(cy + sy) * kTile + cx + sx] = kBlack;
        }
    }
    return p;
}

// Is (x, y) one of the ring's 94 pixels?
bool InRing(int x, int y) {
    struct Run {
        int y, a, b;  // left half: x from a to b, mirrored about x = 20
    };
    static constexpr Run rows[] = {{11, 18, 20}, {12, 16, 20}, {13, 15, 17}, {14, 14, 16}, {15, 13, 15},
                                   {16, 13, 14}, {17, 12, 13}, {18, 12, 13}, {19, 12, 13}, {20, 12, 13},
                                   {21, 12, 13}, {22, 12, 13}, {23, 13, 14}, {24, 13, 15}, {25, 14, 16},
                                   {26, 15, 20}, {27, 17, 20}};
    const int mx = x > 20 ? 40 - x : x;
    for (const Run& r : rows) {
        if (r.y == y) return mx >= r.a && mx <= r.b;
    }
    return false;
}

// The colours of the ring, from the top centre to the bottom centre.
const std::vector<std::uint32_t>& RingColourRun() {
    static const std::vector<std::uint32_t> run = {0xFCFC00, 0xF9F108, 0xF7E710, 0xF0CB25, 0xE7A542,
                                                   0xE18D54, 0xE08759, 0xDE7E60, 0xDB7169, 0xD86473,
                                                   0xCF3F90, 0xC71FA8, 0xC000C0};
    return run;
}

TilePixels RingTile() {
    TilePixels p = Filled(kGrey);
    // Where each colour of the run sits, as a fraction of the way from the top to the bottom.
    static constexpr double at[] = {0.0, 0.08, 0.17, 0.33, 0.5, 0.57, 0.61, 0.67, 0.73, 0.79, 0.87, 0.94, 1.0};
    const auto& run = RingColourRun();
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            if (!InRing(x, y)) continue;
            const double t = std::atan2(std::abs(x - 20), -(y - 19.0)) / std::numbers::pi;
            std::size_t best = 0;
            for (std::size_t i = 1; i < run.size(); ++i) {
                if (std::abs(at[i] - t) < std::abs(at[best] - t)) best = i;
            }
            p[y * kTile + x] = run[best];
        }
    }
    return p;
}

// Is (x, y) one of the ball's pixels?
bool InBall(int x, int y) {
    struct Run {
        int y0, y1, a, b;
    };
    static constexpr Run rows[] = {{2, 2, 16, 24},   {3, 3, 14, 26},   {4, 4, 12, 28},   {5, 5, 10, 30},
                                   {6, 6, 9, 31},    {7, 7, 8, 32},    {8, 8, 7, 33},    {9, 10, 6, 34},
                                   {11, 12, 5, 35},  {13, 14, 4, 36},  {15, 24, 3, 37},  {25, 26, 4, 36},
                                   {27, 28, 5, 35},  {29, 30, 6, 34},  {31, 31, 7, 33},  {32, 32, 8, 32},
                                   {33, 33, 9, 31},  {34, 34, 11, 29}, {35, 35, 13, 27}, {36, 36, 15, 25}};
    for (const Run& r : rows) {
        if (y >= r.y0 && y <= r.y1) return x >= r.a && x <= r.b;
    }
    return false;
}

TilePixels BallTile() {
    TilePixels p = Filled(kGrey);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            if (!InBall(x, y)) continue;
            const int dx = x - 14, dy = y - 12;
            const int k = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
            const int f = 31 * k / 4;
            p[y * kTile + x] = Rgb(k == 0 ? 0 : f - 1, 255 - f, 0);
        }
    }
    return p;
}

TilePixels SquareTile() {
    TilePixels p = Filled(kGrey);
    for (int y = 4; y <= 35; ++y) {
        for (int x = 4; x <= 35; ++x) {
            std::uint32_t c;
            if (x == 4 || x == 35 || y == 4 || y == 35) {
                c = kBlack;
            } else if (x == 5 || y == 34) {
                c = 0xFF0000;
            } else {
                const int k = 14 - std::max(std::abs(x - 20), std::abs(y - 19));
                c = k == 14 ? 0x0000FF : Rgb(0xEE - 0x11 * k, 0, 0x10 + 0x11 * k);
            }
            p[y * kTile + x] = c;
        }
    }
    return p;
}

}  // namespace

TilePixels Tile(int code) {
    switch (code) {
    case 0: return Filled(kGrey);
    case 1: return WallTile();
    case 2: return RingTile();
    case 3: return BallTile();
    default: return SquareTile();
    }
}

}  // namespace kelo::art
