#pragma once

#include <string>

#include "fake_platform.h"
#include "game/form1.h"

namespace kelo::test {

// What holds between any two events; the first thing that does not, or the empty text.
inline std::string BrokenInvariant(const Form1& form, const FakePlatform& platform) {
    int rings = 0;
    bool pieceTiles[3] = {false, false, false};
    for (int row = 1; row <= kRows; ++row) {
        for (int col = 1; col <= kCols; ++col) {
            const std::uint8_t code = form.Board(row, col);
            if (code > Square) return "a cell holds code " + std::to_string(code);
            rings += code == Ring;
            if (code == Ball || code == Square) pieceTiles[code - 2] = true;
            if (platform.Shown(row, col) != code)
                return "cell " + std::to_string(row) + "," + std::to_string(col) + " shows " +
                       std::to_string(platform.Shown(row, col)) + " but holds " + std::to_string(code);
        }
    }
    if (rings != form.RingsLeft) return "RingsLeft is " + std::to_string(form.RingsLeft) + ", the board has " + std::to_string(rings);
    for (int piece : {kBallPiece, kSquarePiece}) {
        if (pieceTiles[piece] && !form.PieceOnBoard(piece)) return "piece " + std::to_string(piece) + " is not on its cell";
    }
    if (form.Selected != kBallPiece && form.Selected != kSquarePiece) return "nothing selected";
    if (platform.Indicator() != form.Selected + 2) return "the indicator does not show the selected piece";
    if (platform.strayPaints != 0) return "a picture was drawn off the cells or without a tile";
    if (form.Level < 1) return "level " + std::to_string(form.Level);
    if (platform.caption != kTitlePrefix + std::to_string(form.Level)) return "title " + platform.caption;
    if (platform.frameCaption != kMoveCaption + std::to_string(form.MoveCount)) return "frame " + platform.frameCaption;
    if (form.MoveCount < 0) return "negative move count";
    return {};
}

}  // namespace kelo::test
