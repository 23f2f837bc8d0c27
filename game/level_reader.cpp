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

namespace {

// Row by row as the game reads a record; `row` gets each row's bytes (NUL past the end of the
// file). False when there is no such record or a read fails.
template <class Row>
bool ReadRows(const LevelBytes& bytes, std::int64_t level, Row row) {
    const auto size = bytes.Size();
    const std::int64_t offset = RecordOffset(level);
    if (level < 1 || !size || offset >= *size) return false;
    for (int r = 1; r <= kRows; ++r) {
        std::array<char, kRowLength> line{};
        if (!bytes.ReadAt(offset + (r - 1) * kRowPitch, line.data(), line.size())) return false;
        if (!row(r, line)) return false;
    }
    return true;
}

}  // namespace

std::optional<Level> ReadLevel(const LevelBytes& bytes, std::int64_t level) {
    Level out;
    const bool read = ReadRows(bytes, level, [&out](int row, const std::array<char, kRowLength>& line) {
        for (int col = 1; col <= kCols; ++col) {
            const std::uint8_t code = CodeOfChar(line[static_cast<std::size_t>(col - 1)]);
            if (code > Square) return false;  // no tile for 5 to 9
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
        return true;
    });
    if (!read) return std::nullopt;
    return out;
}

std::optional<Board> ReadCells(const LevelBytes& bytes, std::int64_t level) {
    Board out;
    const bool read = ReadRows(bytes, level, [&out](int row, const std::array<char, kRowLength>& line) {
        for (int col = 1; col <= kCols; ++col) out(row, col) = CodeOfChar(line[static_cast<std::size_t>(col - 1)]);
        return true;
    });
    if (!read) return std::nullopt;
    return out;
}

}  // namespace kelo
