// The go-to-level answer read as a number.
#include <gtest/gtest.h>

#include "commands/number.h"

namespace kelo {
namespace {

TEST(ReadLevelNumber, FollowsEveryRule) {
    const std::pair<const char*, std::optional<std::int16_t>> table[] = {
        // digits, blanks anywhere, a sign
        {"4", 4}, {"12", 12}, {"1 2", 12}, {" \t1\n2 ", 12}, {"+7", 7}, {"-1", -1}, {"- 3", -3},
        // stops at the first character that does not continue the number; no number is 0
        {"3abc", 3}, {"abc", 0}, {" ", 0}, {"", 0}, {"-", 0}, {"+", 0}, {".", 0}, {"--2", 0}, {"x12", 0},
        {"2,9", 2}, {"2,5", 2}, {"1-2", 1}, {"7\r", 7},
        // fractions and exponents
        {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"-3.5", -4}, {"2.51", 3}, {".5", 0}, {"1.5", 2}, {"0.5", 0},
        {"5.", 5}, {"1e2", 100}, {"1E2", 100}, {"2.5e1", 25}, {"15e-1", 2}, {"1e+3", 1000}, {"1e", 1},
        {"1e+", 1}, {"1ex", 1}, {"1 e 2", 100}, {"1e-9999", 0}, {"4.2.1", 4},
        // hexadecimal and octal
        {"&H10", 16}, {"&h1f", 31}, {"&HFF", 255}, {"&O17", 15}, {"&o777", 511}, {"&H", 0}, {"&O8", 0},
        {"&H7FFF", 32767}, {"&Hg", 0}, {"&12", 0}, {"&", 0}, {"& H 1 0", 16},
        // the range of a level number
        {"32767", 32767}, {"-32768", -32768}, {"32767.4", 32767}, {"-32768.5", -32768},
        {"32767.5", std::nullopt}, {"32768", std::nullopt}, {"40000", std::nullopt}, {"-40000", std::nullopt},
        {"1e5", std::nullopt}, {"1e9999", std::nullopt}, {"&H8000", std::nullopt}, {"&HFFFFFFFFFFFFFFFFFFFF", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : table) EXPECT_EQ(ReadLevelNumber(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace kelo
