#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "game/board.h"
#include "game/level_format.h"

namespace kelo {

// The bytes of a level file, wherever they are: the game's open file, a designer's file, memory.
class LevelBytes {
public:
    virtual ~LevelBytes() = default;
    // The length in bytes; nothing when it cannot be told.
    virtual std::optional<std::int64_t> Size() const = 0;
    // Copies up to `size` bytes from `offset` (never negative) and tells how many there were:
    // fewer only at the end of the file. Nothing on a read error.
    virtual std::optional<std::size_t> ReadAt(std::int64_t offset, char* buffer, std::size_t size) const = 0;
};

// Bytes held in memory.
class MemoryBytes final : public LevelBytes {
public:
    explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
    std::optional<std::int64_t> Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::optional<std::size_t> ReadAt(std::int64_t offset, char* buffer, std::size_t size) const override;

private:
    std::string_view bytes_;
};

// One level as the game loads it.
struct Level {
    Board board;
    // The piece that the arrows move is the last tile of its code in reading order; 0 where the
    // level has none.
    int ballRow = 0, ballCol = 0;
    int squareRow = 0, squareCol = 0;
    int rings = 0;
    // Row 9 as read, NUL past the end of the file: what the loader's line buffer holds afterwards.
    std::array<char, kRowLength> lastLine{};
};

// Level `level` (from 1) of the file, read row by row as the game reads it (bytes past the end
// read as NUL, so as floor); nothing when there is no such level: a number below 1, a record
// that begins at or past the end of the file, a digit 5 to 9, a read error.
std::optional<Level> ReadLevel(const LevelBytes& bytes, std::int64_t level);

// The cells of level `level` read the same way, the digits 5 to 9 kept as their codes: what an
// editor shows of a level that the game would refuse. Nothing when there is no such record or a
// read fails.
std::optional<Board> ReadCells(const LevelBytes& bytes, std::int64_t level);

}  // namespace kelo
