#pragma once

#include "game/board.h"
#include "game/rules.h"

namespace kelo::editor {

// Puts `code` on a cell. One ball and one square per level: placing one where the level has
// another moves it, since the game would only ever move the last one.
void PaintOn(Board& board, int row, int col, std::uint8_t code);

// The cells from (r0, c0) to (r1, c1) in a straight line, one cell at a time, painted.
void PaintLine(Board& board, int r0, int c0, int r1, int c1, std::uint8_t code);
// The rectangle with these corners, filled.
void PaintRectangle(Board& board, int r0, int c0, int r1, int c1, std::uint8_t code);

Board MirrorLeftRight(const Board& board);
Board MirrorTopBottom(const Board& board);
Board HalfTurn(const Board& board);
// Every cell one step that way; what leaves one edge comes back at the other, so that nothing
// is lost.
Board Shift(const Board& board, Direction direction);

}  // namespace kelo::editor
