#pragma once

#include <cstdint>

namespace kelo {

// The virtual-key code that the game's key handler knows for a Qt key.
std::int16_t VirtualKeyOf(int qtKey);

}  // namespace kelo
