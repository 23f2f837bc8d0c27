#pragma once

#include <vector>

namespace kelo::art {

inline constexpr int kSampleRate = 22050;

// The two sounds as samples from -1 to 1 at kSampleRate: a ring picked up, a level's end.
std::vector<double> DingSamples();
std::vector<double> EndSamples();

}  // namespace kelo::art
