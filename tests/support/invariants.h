#pragma once

#include <charconv>
#include <string>
#include <string_view>

#include "fake_platform.h"
#include "game/form1.h"

namespace kelo::test {

// `text` is `prefix` followed by `number` in decimal. Checked without building the text: the
// fuzzer asks this after every step.
inline bool Reads(const std::string& text, const std::string& prefix, long number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const std::string_view view(text);
    return view.size() == prefix.size() + static_cast<std::size_t>(end - digits) && view.starts_with(prefix) &&
           view.substr(prefix.size()) == std::string_view(digits, static_cast<std::size_t>(end - digits));
}

// What holds between any two events; the first thing that does not, or the empty text.
inline std::string BrokenInvariant(const Form1& form, const FakePlatform& platform) {
    int rings = 0;
    bool pieceTiles[5] = {false, false, false, false, false};
    // The board and the fake screen number their cells alike, row by row from the top left.
    const std::uint8_t* board = form.Board.cells().data();
    const int* shown = platform.cells.data();
    for (int i = 0; i < kCells; ++i) {
        const std::uint8_t code = board[i];
        if (code > Square) return "a cell holds code " + std::to_string(code);
        rings += code == Ring;
        pieceTiles[code] = true;
        if (shown[i] != code)
            return "cell " + std::to_string(i / kCols + 1) + "," + std::to_string(i % kCols + 1) + " shows " +
                   std::to_string(shown[i]) + " but holds " + std::to_string(code);
    }
    if (rings != form.RingsLeft) return "RingsLeft is " + std::to_string(form.RingsLeft) + ", the board has " + std::to_string(rings);
    for (int piece : {kBallPiece, kSquarePiece}) {
        if (pieceTiles[CodeOfPiece(piece)] && !form.PieceOnBoard(piece)) return "piece " + std::to_string(piece) + " is not on its cell";
    }
    if (form.Selected != kBallPiece && form.Selected != kSquarePiece) return "nothing selected";
    if (platform.Indicator() != form.Selected + 2) return "the indicator does not show the selected piece";
    if (platform.strayPaints != 0) return "a picture was drawn off the cells or without a tile";
    if (form.Level < 1) return "level " + std::to_string(form.Level);
    if (!Reads(platform.caption, kTitlePrefix, form.Level)) return "title " + platform.caption;
    if (!Reads(platform.frameCaption, kMoveCaption, form.MoveCount)) return "frame " + platform.frameCaption;
    if (form.MoveCount < 0) return "negative move count";
    return {};
}

}  // namespace kelo::test
