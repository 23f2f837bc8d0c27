#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fake_platform.h"
#include "game/form1.h"
#include "levels_util.h"

namespace kelo::test {

// The key code of one of "LURD" and space; any other character is its own code.
inline int KeyOf(char c) {
    const std::size_t arrow = std::string_view("LURD").find(c);
    return arrow < 4 ? kKeyLeft + static_cast<int>(arrow) : c;
}

// A level of n rings (at most 13) in a row between the ball and the square: each level of a test
// file is told by its rings.
inline std::string Numbered(int n) {
    std::string inside(14, '0');
    for (int i = 0; i < n && i < 13; ++i) inside[static_cast<std::size_t>(i) + 1] = '2';
    return Walled({"30000000000000", inside, "00000000000004"});
}
// Levels 1 to `levels`, level n of n rings.
inline std::string NumberedFile(int levels) { return levels == 0 ? "" : NumberedFile(levels - 1) + Numbered(levels); }

// A window's state over a recording platform, with a level file in a fresh folder.
class GameTest : public ::testing::Test {
protected:
    void Load(const std::string& levelFile, std::int16_t level = 1) {
        folder.Write("levels.txt", levelFile);
        platform = std::make_unique<FakePlatform>(folder.path());
        form = std::make_unique<Form1>(*platform);
        form->CrLf = "\r\n";
        form->LoadLevel(form->Level = level);
        platform->calls.clear();
    }
    void Key(int code) { form->Form_KeyDown(static_cast<std::int16_t>(code), 0); }
    void Keys(const std::string& keys) { std::for_each(keys.begin(), keys.end(), [this](char c) { Key(KeyOf(c)); }); }
    std::uint8_t Cell(int row, int col) const { return form->Board(row, col); }
    int Moves() const { return form->MoveCount; }
    std::pair<int, int> BallAt() const { return {form->PieceRow[kBallPiece], form->PieceCol[kBallPiece]}; }
    std::pair<int, int> SquareAt() const { return {form->PieceRow[kSquarePiece], form->PieceCol[kSquarePiece]}; }
    // The calls since the last clear, a word each: p<picture>@<row>,<col>, r refresh, w the pause
    // of a frame, f the move count, ding, end, box, and ? for anything else.
    std::string Log() const {
        std::string s;
        const std::string dir = folder.path().string() + "/";
        for (const Call& c : platform->calls) {
            switch (c.kind) {
            case Call::Paint: s += "p" + std::to_string(c.picture) + "@" + std::to_string(c.y / 40 + 1) + "," + std::to_string(c.x / 40 + 1); break;
            case Call::Sound:
                s += c.text == dir + "Ding.wav" && c.flags == kSoundAsync        ? "ding"
                     : c.text == dir + "End.wav" && c.flags == kSoundAsyncSilent ? "end"
                                                                                 : "?";
                break;
            case Call::Pause: s += c.x == kAnimationPauseMs ? "w" : "?"; break;
            case Call::Refresh: s += "r"; break;
            case Call::FrameCaption: s += "f"; break;
            case Call::Box: s += "box"; break;
            default: s += "?";
            }
            s += ' ';
        }
        return s;
    }

    TempFolder folder;
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<Form1> form;
};

}  // namespace kelo::test
