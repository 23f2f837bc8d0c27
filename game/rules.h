#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "game/board.h"

namespace kelo {

enum class Direction : std::uint8_t { Left, Up, Right, Down };

inline constexpr int kKeySpace = 32;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;

inline std::optional<Direction> DirectionOfKey(int key) {
    switch (key) {
    case kKeyLeft: return Direction::Left;
    case kKeyUp: return Direction::Up;
    case kKeyRight: return Direction::Right;
    case kKeyDown: return Direction::Down;
    default: return std::nullopt;
    }
}

inline constexpr int RowStep(Direction d) { return d == Direction::Up ? -1 : d == Direction::Down ? 1 : 0; }
inline constexpr int ColStep(Direction d) { return d == Direction::Left ? -1 : d == Direction::Right ? 1 : 0; }

// May the piece slide into a cell holding `code`? The ball goes over rings, the square only over floor.
inline constexpr bool MayEnter(int piece, std::uint8_t code) {
    return code == Empty || (piece == kBallPiece && code == Ring);
}

// The test made on the neighbour before a slide starts. It differs from MayEnter only for a
// neighbour with the piece's own code: such a move is let go, and then stops at once.
inline constexpr bool GuardAllows(int piece, std::uint8_t code) {
    if (piece == kBallPiece) return code == Empty || code == Ring || code == Ball;
    return code == Empty || code == Square;
}

// One key press on a piece, worked out on the board as it stands before anything is drawn: the
// game replays it to the screen, the level tool's searches play it. Fixed arrays, no heap: it is
// on the key path and in every search.
struct SlidePath {
    static constexpr int kMost = kCols;  // the start and at most kCols - 1 steps
    bool refused = true;                 // the guard said no: the key does nothing at all
    std::uint8_t count = 0;              // cells the piece stands on in turn, its own first
    std::uint8_t rings = 0;              // rings taken, in the order it meets them
    std::uint8_t from = 0, to = 0;       // Board::Index of the start and of the cell it stops on
    std::array<std::uint8_t, kMost> cells{};
    std::array<std::uint8_t, kMost> ringCells{};
};

// The piece at (row, col) lifted off its cell, then moved one cell at a time while it may enter
// the next; the ball takes each ring it stands on. The board edge stops a piece like a wall.
inline SlidePath TraceSlide(const Board& board, int piece, int row, int col, Direction d) {
    SlidePath path;
    path.from = path.to = static_cast<std::uint8_t>(Board::Index(row, col));
    const int dr = RowStep(d);
    const int dc = ColStep(d);
    if (!GuardAllows(piece, board.At(row + dr, col + dc))) return path;
    path.refused = false;
    for (;;) {
        const auto at = static_cast<std::uint8_t>(Board::Index(row, col));
        // Its own cell is left empty when it is lifted: whatever it held is not taken.
        if (path.count > 0 && piece == kBallPiece && board(row, col) == Ring) path.ringCells[path.rings++] = at;
        path.cells[path.count++] = at;
        if (!MayEnter(piece, board.At(row + dr, col + dc))) break;
        row += dr;
        col += dc;
    }
    path.to = path.cells[path.count - 1u];
    return path;
}

// The digit of a level file byte as a tile code; any other byte gives Empty.
inline constexpr std::uint8_t CodeOfChar(char c) {
    return (c >= '0' && c <= '9') ? static_cast<std::uint8_t>(c - '0') : std::uint8_t{Empty};
}

// The number after `level`, going round to 1 rather than overflowing.
inline constexpr std::int16_t NextLevel(std::int16_t level) {
    return level == INT16_MAX ? std::int16_t{1} : static_cast<std::int16_t>(level + 1);
}

}  // namespace kelo
