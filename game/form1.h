#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/board.h"
#include "game/level_reader.h"
#include "game/rules.h"
#include "platform/platform.h"

namespace kelo {

// The pause after each frame of an animated slide.
inline constexpr int kAnimationPauseMs = 20;

inline const std::string kMoveCaption = "Nombre de mouvements : ";
inline const std::string kTitlePrefix = "Kelo - Niveau ";
inline const std::string kBoxTitle = "Kelo...";

// The main window's state and the procedures of play. It owns every field of the game;
// the platform draws, plays and asks for it.
class Form1 {
public:
    explicit Form1(Platform& platform) : platform_(platform) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    kelo::Board Board;
    std::array<std::uint8_t, 3> PieceRow{};  // indexed by piece, 1 = ball, 2 = square
    std::array<std::uint8_t, 3> PieceCol{};
    std::uint8_t Selected = 0;
    std::int16_t RingsLeft = 0;
    std::array<char, 16> LineBuffer{};
    std::int16_t RowIndex = 0;
    std::int16_t ColIndex = 0;
    std::int16_t Level = 0;
    std::string CrLf;
    std::int16_t MoveCount = 0;
    std::int64_t LoadTime = 0;  // monotonic milliseconds
    std::int16_t LoadPhase = 0;  // milliseconds past the wall clock's last whole second, at load
    std::string MessageText;
    std::int32_t Counter = 0;
    std::int16_t AnimX = 0;
    std::int16_t AnimY = 0;

    void Display();
    void Erases();
    void LoadLevel(std::int16_t level);
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift);
    void CheckCompletion();

    // Does the piece stand on a cell of the board that holds its code?
    bool PieceOnBoard(int piece) const;

    Platform& platform() { return platform_; }
    std::string ProgramFile(const std::string& name) { return platform_.ProgramFolder() + "/" + name; }

private:
    // The cell of the selected piece, when it has one on the board.
    bool SelectedCell(int& row, int& col) const;
    bool TryLoad(std::int16_t level);
    // The level as read becomes the board; every cell is painted, row by row from the top.
    void PlaceLevel(const kelo::Level& level);
    void FinishLoad();
    void SwitchPiece();
    // Shows a slide worked out by TraceSlide, frame by frame, and moves the piece.
    void Slide(const SlidePath& path, Direction direction);

    Platform& platform_;
};

}  // namespace kelo
