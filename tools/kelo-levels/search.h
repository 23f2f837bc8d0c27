#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "game/board.h"
#include "game/level_reader.h"
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
    // The states an exploration expects, room made for them at once (the graph is the same).
    std::size_t expectedStates = 0;
    // Set by another thread to stop an exploration early (it then ends incomplete and cancelled).
    const std::atomic<bool>* cancel = nullptr;
};

// The most memory a search with this state limit takes, whatever the level; never less than
// kSearchFloorBytes, which any search may take.
inline constexpr std::uint64_t kSearchFloorBytes = 64ull << 20;
std::uint64_t SearchBytes(std::size_t maxStates);

// A level as the game holds it after a load: the board and the pieces that the arrows move
// (row 0 where the level has no such piece). The searches count the rings on the board.
using Puzzle = Level;

// Breadth-first search over (ball cell, square cell, rings left), with the game's own slide.
Solution Solve(const Puzzle& puzzle, const SolveOptions& options = {});

// What a slide ends against. The first four are the stops a designer teaches; the board's edge
// counts only where no wall frames it. Anything else that never moves (walls, extra piece tiles)
// is a wall.
enum class Stop : std::uint8_t { SquareStopsBall, RingStopsSquare, BallStopsSquare, Edge, Wall };
inline constexpr int kStopKinds = 4;  // the taught ones, Wall excluded
const char* StopName(Stop stop);      // "square stops ball"

// Every state reachable from the start (node 0, then in breadth-first order) and every slide
// between them; a won state has no slides. `complete` is false when maxStates cut it short: the
// slides are then listed for the first first.size() - 1 nodes only, and `nodes` also holds the
// states those slides reach. A limit of 2 lists the start's slides alone.
struct StateGraph {
    struct Node {
        std::uint8_t ball, square;  // cells as Board::Index, 0xFF where the level has no such piece
        std::uint8_t ringsLeft;
    };
    struct Edge {
        std::uint32_t to;
        std::uint8_t code;  // piece << 2 | direction
        bool collects;      // picks up at least one ring
        Stop stop;          // what the piece ends against
        Move move() const { return {code >> 2, static_cast<Direction>(code & 3)}; }
    };
    std::vector<Node> nodes;
    std::vector<std::uint32_t> first;  // the slides of node n are edges[first[n]] to edges[first[n + 1] - 1]
    std::vector<Edge> edges;
    std::array<bool, kCells> wallStops{};  // walls (by Board::Index) that stop some slide
    bool complete = true;
    bool cancelled = false;  // SolveOptions::cancel was set: not complete either
};
StateGraph Explore(const Puzzle& puzzle, const SolveOptions& options = {});

std::string MoveName(const Move& move);  // "ball left"

}  // namespace kelo
