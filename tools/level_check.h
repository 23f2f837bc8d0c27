#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelo {

// The row number of the empty line that ends a level.
inline constexpr int kEmptyLine = 10;

enum class Fault {
    EmptyFile,
    PartialRecord,
    LineEnd,      // a line of the wrong length or not ended by CR LF: the rest is read out of step
    CutShort,     // the file ends inside a record
    ReadAsEmpty,  // a character other than 0 that the game reads as floor
    NoTile,       // a digit 5 to 9: the game loads level 1 instead
    NoBall,
    SeveralBalls,
    NoSquare,
    SeveralSquares,
    NoRing,
};

// One thing a level designer got wrong. Level, row and column are 0 where they do not apply.
struct Finding {
    Fault fault;
    int level = 0;
    int row = 0;
    int col = 0;
    std::string message;
};

// The levels the game finds in a file: every record that begins before the end.
int LevelCount(std::size_t fileSize);

// Everything in the file that the game would read otherwise than the designer meant.
std::vector<Finding> CheckLevels(std::string_view file);

// "level 3, row 2, column 5: ..." on one line.
std::string FormatFinding(const Finding& finding);

}  // namespace kelo
