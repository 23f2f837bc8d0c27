#pragma once

#include <cstdint>

namespace kelo {

// A level is nine lines of sixteen cell characters, each line ended by CR LF, then an empty line.
inline constexpr std::int32_t kRecordSize = 164;
inline constexpr std::int32_t kRowPitch = 18;
inline constexpr std::int32_t kRowLength = 16;

inline constexpr std::int64_t RecordOffset(std::int64_t level) { return (level - 1) * kRecordSize; }

}  // namespace kelo
