// The go-to-level reader on any text: a level number or a rejection, and blanks never matter.
#include <cstdlib>
#include <string>

#include "commands/number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = kelo::ReadLevelNumber(text);
    std::string squeezed;
    for (char c : text) squeezed += c != ' ' && c != '\t' && c != '\n' ? std::string(1, c) : "";
    // Plain digits read as their decimal value exactly.
    const bool digits = !squeezed.empty() && squeezed.size() <= 5 && squeezed.find_first_not_of("0123456789") == std::string::npos;
    const long exact = digits ? std::strtol(squeezed.c_str(), nullptr, 10) : 0;
    if ((value && (*value < -32768 || *value > 32767)) || kelo::ReadLevelNumber(squeezed) != value ||
        (digits && (exact <= 32767 ? value != exact : value.has_value())))
        std::abort();
    return 0;
}
