#pragma once

#include <cstdint>
#include <string>

namespace kelo {

// "<h>h <m>m <s>s" with truncating division, so a negative time shows its minus signs.
std::string FormatElapsed(std::int32_t seconds);

}  // namespace kelo
