#pragma once

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

// The walk of a slide once the piece is off its cell. Each pass first calls onPass with the cell
// where the piece stands, then collects a ring there (the ball only), then stops or steps on,
// calling onStep with the cell just left. The board edge stops a piece like a wall.
template <class OnPass, class OnRing, class OnStep>
void Walk(Board& board, int piece, std::uint8_t& row, std::uint8_t& col, Direction d, OnPass&& onPass,
          OnRing&& onRing, OnStep&& onStep) {
    const int dr = RowStep(d);
    const int dc = ColStep(d);
    for (;;) {
        onPass(row, col);
        if (piece == kBallPiece && board(row, col) == Ring) {
            board(row, col) = Empty;
            onRing(row, col);
        }
        if (!MayEnter(piece, board.At(row + dr, col + dc))) return;
        const int fromRow = row;
        const int fromCol = col;
        row = static_cast<std::uint8_t>(row + dr);
        col = static_cast<std::uint8_t>(col + dc);
        onStep(fromRow, fromCol);
    }
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
