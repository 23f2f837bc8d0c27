#pragma once

#include <cstdint>

namespace kelo {

// The code of every key that the game does not tell apart from the others.
inline constexpr std::int16_t kKeyOther = 0;

// The virtual-key code that the game's key handler knows for a Qt key: Space, the four arrows, or
// kKeyOther for any other key, which is all the game tells apart.
std::int16_t VirtualKeyOf(int qtKey);

}  // namespace kelo
