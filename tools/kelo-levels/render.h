#pragma once

#include <QImage>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "tools/kelo-levels/analyse.h"

namespace kelo {

// The board of a level as the game draws it: its loader painting the five tiles, 640 x 360.
// Nothing when the game cannot load the level.
std::optional<QImage> RenderLevel(std::string_view file, int level);

// A shortest solution drawn over the board: an arrow per slide from where the piece starts to
// where it stops, numbered, the ball's in blue and the square's in orange.
void DrawSolution(QImage& board, const std::vector<Step>& solution);

// Every level at half size with its number and par, four to a row.
QImage ContactSheet(std::string_view file);

// `kelo-levels render`: the exit status.
int RunRender(std::string_view file, int onlyLevel, bool solution, const std::string& path, std::ostream& out,
              std::ostream& err);

}  // namespace kelo
