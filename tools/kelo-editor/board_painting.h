#pragma once

#include <QImage>
#include <array>

#include "game/board.h"

namespace kelo::editor {

inline constexpr int kBoardWidth = kCols * TileSize;
inline constexpr int kBoardHeight = kRows * TileSize;

// The game's five tiles, loaded once.
const std::array<QImage, 5>& GameTiles();

// The board as the game draws it: each cell's tile at its place, row by row. A digit 5 to 9,
// which the game refuses, shows as a red cell with its digit.
QImage PaintBoard(const Board& board);
void PaintCell(QImage& image, int row, int col, std::uint8_t code);

// A quarter-size picture of the board for the list of levels.
QImage Thumbnail(const Board& board);

}  // namespace kelo::editor
