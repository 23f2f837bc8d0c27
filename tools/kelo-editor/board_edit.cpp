#include "tools/kelo-editor/board_edit.h"

#include <algorithm>
#include <cstdlib>

namespace kelo::editor {

void PaintOn(Board& board, int row, int col, std::uint8_t code) {
    if (!OnBoard(row, col)) return;
    if (code == Ball || code == Square) {
        for (auto& cell : board.cells()) {
            if (cell == code) cell = Empty;
        }
    }
    board(row, col) = code;
}

void PaintLine(Board& board, int r0, int c0, int r1, int c1, std::uint8_t code) {
    // Bresenham's line, so that a quick drag leaves no gap.
    const int dr = std::abs(r1 - r0), dc = std::abs(c1 - c0);
    const int sr = r0 < r1 ? 1 : -1, sc = c0 < c1 ? 1 : -1;
    int err = dc - dr;
    for (;;) {
        PaintOn(board, r0, c0, code);
        if (r0 == r1 && c0 == c1) return;
        const int e2 = 2 * err;
        if (e2 > -dr) {
            err -= dr;
            c0 += sc;
        }
        if (e2 < dc) {
            err += dc;
            r0 += sr;
        }
    }
}

void PaintRectangle(Board& board, int r0, int c0, int r1, int c1, std::uint8_t code) {
    for (int r = std::min(r0, r1); r <= std::max(r0, r1); ++r) {
        for (int c = std::min(c0, c1); c <= std::max(c0, c1); ++c) PaintOn(board, r, c, code);
    }
}

Board MirrorLeftRight(const Board& board) {
    Board out;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) out(r, c) = board(r, kCols + 1 - c);
    }
    return out;
}

Board MirrorTopBottom(const Board& board) {
    Board out;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) out(r, c) = board(kRows + 1 - r, c);
    }
    return out;
}

Board HalfTurn(const Board& board) { return MirrorTopBottom(MirrorLeftRight(board)); }

Board Shift(const Board& board, Direction direction) {
    Board out;
    const int dr = RowStep(direction), dc = ColStep(direction);
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) {
            const int tr = (r - 1 + dr + kRows) % kRows + 1, tc = (c - 1 + dc + kCols) % kCols + 1;
            out(tr, tc) = board(r, c);
        }
    }
    return out;
}

}  // namespace kelo::editor
