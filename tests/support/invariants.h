#pragma once

#include <iterator>

#include "commands/handlers.h"
#include "fake_platform.h"

namespace kelo::test {

// What holds between any two events; the first thing that does not, or the empty text.
inline std::string BrokenInvariant(const Form1& form, const FakePlatform& platform) {
    int rings = 0;
    bool pieceTiles[5] = {false, false, false, false, false};
    // The board and the fake screen number their cells alike, row by row from the top left.
    for (std::size_t i = 0; i < kCells; ++i) {
        const std::uint8_t code = form.Board.cells()[i];
        if (code > Square || platform.cells[i] != code)
            return "cell " + std::to_string(i) + " shows " + std::to_string(platform.cells[i]) + " but holds " + std::to_string(code);
        rings += code == Ring;
        pieceTiles[code] = true;
    }
    if (rings != form.RingsLeft) return "RingsLeft is " + std::to_string(form.RingsLeft) + ", the board has " + std::to_string(rings);
    for (int piece : {kBallPiece, kSquarePiece})
        if (pieceTiles[CodeOfPiece(piece)] && !form.PieceOnBoard(piece)) return "piece " + std::to_string(piece) + " is not on its cell";
    if ((form.Selected != kBallPiece && form.Selected != kSquarePiece) || platform.indicator != form.Selected + 2)
        return "the indicator does not show a selected piece";
    if (platform.strayPaints != 0) return "a picture was drawn off the cells or without a tile";
    if (form.Level < 1 || platform.caption != kTitlePrefix + std::to_string(form.Level))
        return "level " + std::to_string(form.Level) + ", title " + platform.caption;
    if (form.MoveCount < 0 || platform.frameCaption != kMoveCaption + std::to_string(form.MoveCount)) return "frame " + platform.frameCaption;
    return {};
}

// One event of play, chosen by pick(n) (a number below n): an arrow, space, another key, a menu
// command or a load of any level number. Then the invariants, and what the event must do to the
// move count and the selection: the first thing broken, or the empty text.
template <class Pick> std::string PlayEvent(Form1& form, FakePlatform& platform, Pick&& pick) {
    static const char* answers[] = {"", "1", "3", "0", "-1", "abc", "2.5", "&H2", "40000", "32767", "-32768", "3abc"};
    static void (*const commands[])(Form1&) = {Nouveau_Click,   Recommencer_Click, Suivant_Click, Aller_Click,
                                               Animation_Click, Son_Click,         Comment_Click, Apropos_Click};
    // 60 % arrows, 15 % space, 5 % other keys (arrows aside), 20 % a command (8: a load).
    const int roll = pick(100);
    const int other = pick(300) - 20;
    const int c = roll < 80 ? -1 : pick(9);
    const int p = form.Selected;
    const bool arrow = roll < 60;
    const bool loads = c == 0 || c == 1 || c == 2 || c == 8;
    int key = other >= kKeyLeft && other <= kKeyDown ? 0 : other;
    if (arrow) key = kKeyLeft + pick(4);
    if (!arrow && roll < 75) key = kKeySpace;
    const std::size_t boxes = platform.boxes.size();
    // What the move count must be after, unless a level is won or loaded (an answer to Aller may load).
    int moves = -1;
    if (c != 3) {
        const bool slides = arrow && form.PieceOnBoard(p) &&
                            !TraceSlide(form.Board, p, form.PieceRow[p], form.PieceCol[p], *DirectionOfKey(key)).refused;
        moves = std::min(32767, form.MoveCount + slides);
    }
    if (c == 3) platform.answers.push_back(answers[pick(static_cast<int>(std::size(answers)))]);
    if (c < 0) form.Form_KeyDown(static_cast<std::int16_t>(key), static_cast<std::int16_t>(pick(8)));
    else if (c < 8) commands[c](form);
    else form.LoadLevel(form.Level = static_cast<std::int16_t>(pick(65536) - 32768));
    const std::string what = (c < 0 ? "key " + std::to_string(key) : "command " + std::to_string(c)) + ": ";
    if (std::string broken = BrokenInvariant(form, platform); !broken.empty()) return what + broken;
    const bool won = platform.boxes.size() > boxes && c != 6 && c != 7;
    if ((won || loads) && (form.MoveCount != 0 || form.Selected != kBallPiece)) return what + "a new level not fresh";
    if (!won && !loads && moves >= 0 && form.MoveCount != moves) return what + "move count " + std::to_string(form.MoveCount);
    if (key == kKeySpace && c < 0 && !won && form.Selected == p) return what + "space kept the piece";
    return {};
}

}  // namespace kelo::test
