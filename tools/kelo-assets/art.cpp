#include "tools/kelo-assets/art.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace kelo::art {
namespace {

std::uint32_t Rgb(int r, int g, int b) {
    auto c = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return c(r) << 16 | c(g) << 8 | c(b);
}
int R(std::uint32_t c) { return static_cast<int>(c >> 16 & 0xFF); }
int G(std::uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }
int B(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

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

std::uint32_t Hash(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

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

}  // namespace

TilePixels EmptyTile() { return Filled(kGrey); }

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

TilePixels Tile(int code) {
    switch (code) {
    case 0: return EmptyTile();
    case 1: return WallTile();
    case 2: return RingTile();
    case 3: return BallTile();
    default: return SquareTile();
    }
}

namespace {

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

}  // namespace

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

namespace {

void Put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
std::uint32_t Get32(const std::vector<std::uint8_t>& v, std::size_t at) {
    return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | static_cast<std::uint32_t>(v[at + 3]) << 24;
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

bool ReadBmp8(const std::vector<std::uint8_t>& file, TilePixels& pixels) {
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return false;
    const std::uint32_t offset = Get32(file, 10);
    if (Get32(file, 18) != kTile || Get32(file, 22) != kTile || (file[28] | file[29] << 8) != 8) return false;
    if (file.size() < offset + kTile * kTile || offset < 54 + 1024) return false;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            const std::uint8_t i = file[offset + (kTile - 1 - y) * kTile + x];
            const std::size_t e = 54 + i * 4u;
            pixels[y * kTile + x] = Rgb(file[e + 2], file[e + 1], file[e]);
        }
    }
    return true;
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

namespace {

std::vector<double> Normalised(std::vector<double> s, double peak) {
    double top = 0;
    for (double x : s) top = std::max(top, std::abs(x));
    if (top > 0) {
        for (double& x : s) x *= peak / top;
    }
    return s;
}

}  // namespace

std::vector<double> DingSamples() {
    // A bright bell-like ping: a high partial with two overtones, each dying away faster.
    const int n = kSampleRate * 35 / 100;
    std::vector<double> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double attack = std::min(1.0, t / 0.002);
        const double w = 2 * std::numbers::pi * t;
        s[static_cast<std::size_t>(i)] =
            attack * (std::sin(w * 1568.0) * std::exp(-t / 0.08) + 0.5 * std::sin(w * 3136.0) * std::exp(-t / 0.05) +
                      0.25 * std::sin(w * 4704.0) * std::exp(-t / 0.03));
    }
    return Normalised(std::move(s), 0.7);
}

std::vector<double> EndSamples() {
    // A rising C major arpeggio that rings on as a chord.
    static constexpr double notes[] = {523.25, 659.25, 783.99, 1046.50};
    const int n = kSampleRate * 95 / 100;
    std::vector<double> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double v = 0;
        for (int k = 0; k < 4; ++k) {
            const double start = 0.09 * k;
            if (t < start) continue;
            const double u = t - start;
            const double w = 2 * std::numbers::pi * notes[k] * u;
            v += std::min(1.0, u / 0.004) * std::exp(-u / 0.35) * (std::sin(w) + 0.3 * std::sin(2 * w));
        }
        const double fade = std::min(1.0, (n - i) / (0.05 * kSampleRate));
        s[static_cast<std::size_t>(i)] = v * fade;
    }
    return Normalised(std::move(s), 0.6);
}

}  // namespace kelo::art
