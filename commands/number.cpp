#include "commands/number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kelo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

std::optional<std::int16_t> InRange(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // A half to even, as the default rounding mode does: below 2^52, adding 2^52 leaves no room
    // for a fraction. Done here rather than by the maths library, whose code would be paged in
    // for this one call.
    const double magnitude = std::fabs(value);
    const double rounded = magnitude < 0x1p52 ? std::copysign((magnitude + 0x1p52) - 0x1p52, value) : value;
    if (rounded < INT16_MIN || rounded > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int16_t> ReadRadix(std::string_view s, int radix) {
    double value = 0;
    for (char c : s) {
        const int digit = DigitValue(c);
        if (digit >= radix) break;
        value = value * radix + digit;
        if (value > 1e300) return std::nullopt;
    }
    return InRange(value);
}

}  // namespace

std::optional<std::int16_t> ReadLevelNumber(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    }
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return ReadRadix(std::string_view(s).substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o') return ReadRadix(std::string_view(s).substr(2), 8);
        return 0;
    }

    // Gather the longest prefix that is a number, then convert it in one go.
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::string mantissa;
    while (i < s.size() && IsDigit(s[i])) mantissa += s[i++];
    if (i < s.size() && s[i] == '.') {
        std::string fraction;
        std::size_t j = i + 1;
        while (j < s.size() && IsDigit(s[j])) fraction += s[j++];
        if (!mantissa.empty() || !fraction.empty()) {
            mantissa += "." + fraction;
            i = j;
        }
    }
    if (mantissa.empty() || mantissa == ".") return 0;
    std::string exponent;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        std::string sign;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) sign = s[j++] == '-' ? "-" : "";
        std::string digits;
        while (j < s.size() && IsDigit(s[j])) digits += s[j++];
        if (!digits.empty()) exponent = "e" + sign + digits;
    }
    std::string number = (negative ? "-" : "") + mantissa + exponent;
    if (number.back() == '.') number.pop_back();

    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // A tiny magnitude rounds to 0; a huge one lies outside every level number.
        const auto e = number.find('e');
        return (e != std::string::npos && number[e + 1] == '-') ? std::optional<std::int16_t>(0) : std::nullopt;
    }
    if (error != std::errc()) return 0;
    (void)end;
    return InRange(value);
}

}  // namespace kelo
