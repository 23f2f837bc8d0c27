#include "game/elapsed.h"

namespace kelo {

std::string FormatElapsed(std::int32_t seconds) {
    const std::int64_t t = seconds;
    const std::int64_t hours = (t - t % 3600) / 3600;
    const std::int64_t minutes = (t % 3600 - t % 60) / 60;
    const std::int64_t rest = t % 60;
    return std::to_string(hours) + "h " + std::to_string(minutes) + "m " + std::to_string(rest) + "s";
}

}  // namespace kelo
