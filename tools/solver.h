#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/board.h"
#include "game/form1.h"
#include "game/rules.h"

namespace kelo {

struct Move {
    int piece;  // kBallPiece or kSquarePiece
    Direction direction;
    bool operator==(const Move&) const = default;
};

enum class Outcome { Solved, Unsolvable, Unknown };

struct Solution {
    Outcome outcome = Outcome::Unknown;
    std::vector<Move> moves;  // the fewest slides that win, when solved
    std::size_t states = 0;   // states visited
};

struct SolveOptions {
    bool squareMayMove = true;
    // A level of more than 48 rings has wider states: its search stops where this many states of
    // a narrower level would fill the same memory, SearchBytes(maxStates).
    std::size_t maxStates = 4'000'000;
};

// The most memory a search with this state limit takes, whatever the level; never less than
// kSearchFloorBytes, which any search may take.
inline constexpr std::uint64_t kSearchFloorBytes = 64ull << 20;
std::uint64_t SearchBytes(std::size_t maxStates);

// A level as the game holds it after a load: the board and the pieces that the arrows move
// (row 0 where the level has no such piece).
struct Puzzle {
    Board board;
    int ballRow = 0, ballCol = 0;
    int squareRow = 0, squareCol = 0;
};

// The level that the window holds after a load, with only the pieces that stand on their cells.
Puzzle PuzzleOf(const Form1& form);

// Breadth-first search over (ball cell, square cell, rings left), with the game's own slide.
Solution Solve(const Puzzle& puzzle, const SolveOptions& options = {});

std::string MoveName(const Move& move);  // "ball left"

}  // namespace kelo
