#pragma once

#include <array>
#include <cassert>
#include <cstdint>

namespace kelo {

enum TileCode : std::uint8_t { Empty = 0, Wall = 1, Ring = 2, Ball = 3, Square = 4 };

inline constexpr int kRows = 9;
inline constexpr int kCols = 16;
inline constexpr int kCells = kRows * kCols;
inline constexpr int TileSize = 40;

// Pieces are numbered 1 (ball) and 2 (square); a piece's tile code is its number plus 2.
inline constexpr int kBallPiece = 1;
inline constexpr int kSquarePiece = 2;
inline constexpr std::uint8_t CodeOfPiece(int piece) { return static_cast<std::uint8_t>(piece + 2); }

// The selection box below the right-hand end of the board.
inline constexpr int kIndicatorX = 580;
inline constexpr int kIndicatorY = 361;

inline constexpr bool OnBoard(int row, int col) {
    return row >= 1 && row <= kRows && col >= 1 && col <= kCols;
}
inline constexpr int PixelX(int col) { return (col - 1) * TileSize; }
inline constexpr int PixelY(int row) { return (row - 1) * TileSize; }

// The 9 x 16 grid of tile codes, indexed (row 1..9, column 1..16).
class Board {
public:
    std::uint8_t& operator()(int row, int col) {
        assert(OnBoard(row, col));
        return cells_[Index(row, col)];
    }
    std::uint8_t operator()(int row, int col) const {
        assert(OnBoard(row, col));
        return cells_[Index(row, col)];
    }
    // What a sliding piece meets: off the board counts as a wall.
    std::uint8_t At(int row, int col) const { return OnBoard(row, col) ? cells_[Index(row, col)] : std::uint8_t{Wall}; }

    static constexpr int Index(int row, int col) { return (row - 1) * kCols + (col - 1); }
    static constexpr int RowOf(int index) { return index / kCols + 1; }
    static constexpr int ColOf(int index) { return index % kCols + 1; }
    std::array<std::uint8_t, kCells>& cells() { return cells_; }
    const std::array<std::uint8_t, kCells>& cells() const { return cells_; }
    bool operator==(const Board&) const = default;

private:
    std::array<std::uint8_t, kCells> cells_{};
};

}  // namespace kelo
