#pragma once

#include <QImage>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "tools/kelo-levels/analyse.h"

namespace kelo {

// The board as the game draws it, the five tiles at their cells: 640 x 360.
QImage RenderBoard(const Board& board);

// Level `level` of the file as the game draws it; nothing when the game cannot load it.
std::optional<QImage> RenderLevel(std::string_view file, int level);

// A shortest solution drawn over the board: an arrow per slide from where the piece starts to
// where it stops, numbered, the ball's in blue and the square's in orange.
void DrawSolution(QImage& board, const std::vector<Step>& solution);

// The sheet of every level at half size with its number and par, four to a row: its size, and
// its row `row` of boards (from 0) with the gap above it, which the sheet's rows are drawn by.
QSize ContactSheetSize(int levels);
QImage ContactSheetBand(std::string_view file, int row);

// The set's staircase: par (orange) and look (blue) against the level number, with a grid every
// five slides and every five levels. A look over kMaxLook is drawn at kLookOver, hollow.
QImage RenderCurve(const std::vector<Analysis>& levels);

// `kelo-levels render`: the exit status. With `curve`, the staircase of the whole file. A
// solution is searched for within `maxStates` states.
int RunRender(std::string_view file, int onlyLevel, bool solution, bool curve, std::size_t maxStates,
              const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace kelo
