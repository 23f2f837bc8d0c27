#include "game/level_reader.h"

#include <algorithm>
#include <cstring>

#include "game/rules.h"

namespace kelo {

std::optional<std::size_t> MemoryBytes::ReadAt(std::int64_t offset, char* buffer, std::size_t size) const {
    if (offset < 0) return std::nullopt;
    const auto at = static_cast<std::uint64_t>(offset);
    if (at >= bytes_.size()) return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, bytes_.size() - at));
    std::memcpy(buffer, bytes_.data() + at, count);
    return count;
}

std::optional<Level> ReadLevel(const LevelBytes& bytes, std::int64_t level) {
    const auto size = bytes.Size();
    const std::int64_t offset = RecordOffset(level);
    if (level < 1 || !size || offset >= *size) return std::nullopt;
    Level out;
    for (int row = 1; row <= kRows; ++row) {
        std::array<char, kRowLength> line{};
        const auto got = bytes.ReadAt(offset + (row - 1) * kRowPitch, line.data(), line.size());
        if (!got) return std::nullopt;
        for (int col = 1; col <= kCols; ++col) {
            const std::uint8_t code = CodeOfChar(line[static_cast<std::size_t>(col - 1)]);
            if (code > Square) return std::nullopt;  // no tile for 5 to 9
            out.board(row, col) = code;
            if (code == Ring) ++out.rings;
            if (code == Ball) {
                out.ballRow = row;
                out.ballCol = col;
            } else if (code == Square) {
                out.squareRow = row;
                out.squareCol = col;
            }
        }
        out.lastLine = line;
    }
    return out;
}

}  // namespace kelo
