// The two sounds, synthesised.
#include "tools/kelo-assets/sounds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelo::art {
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
