#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelo {

// Reads the go-to-level answer as a number: blanks ignored anywhere, an optional sign, digits,
// a "." fraction and an exponent, or &H / &O digits; reading stops at the first character that
// does not continue the number, and no number reads as 0. The value is rounded half to even;
// nullopt when it lies outside -32768..32767.
std::optional<std::int16_t> ReadLevelNumber(std::string_view text);

}  // namespace kelo
