#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "game/level_reader.h"

namespace kelo {

// The row number of the empty line that ends a level.
inline constexpr int kEmptyLine = 10;

// A report lists this many problems and counts the rest.
inline constexpr std::size_t kListedFindings = 1000;

enum class Fault {
    EmptyFile,
    Encoding,     // a byte order mark or UTF-16: the game reads its bytes as cells
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
    Unreachable,  // records past the last level number the game has
};

// One thing a level designer got wrong. Level, row and column are 0 where they do not apply.
struct Finding {
    Fault fault;
    int level = 0;
    int row = 0;
    int col = 0;
    std::string message;
};

struct CheckReport {
    std::vector<Finding> findings;  // the first problems in file order, then those of the whole file
    std::uint64_t total = 0;        // every problem, listed or not
    std::int64_t levels = 0;
    bool lfcr = false;  // lines ended in LF CR: the game reads them as CR LF, two bytes skipped
};

// Everything in the file that the game would read otherwise than the designer meant; lists the
// first `listed` problems of the levels and every problem of the file as a whole.
CheckReport CheckLevels(const LevelBytes& file, std::size_t listed = kListedFindings);
std::vector<Finding> CheckLevels(std::string_view file);

// "level 3, row 2, column 5: ..." on one line.
std::string FormatFinding(const Finding& finding);

// `kelo-levels check`: one line per problem (the first thousand, then their count), then a
// summary; the exit status. Running out of memory or a read error is told on `err`.
int RunCheck(const LevelBytes& file, std::ostream& out, std::ostream& err);

}  // namespace kelo
