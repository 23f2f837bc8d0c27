#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kelo-levels/search.h"

namespace kelo {

// A small generator of our own (SplitMix64), so that a seed gives the same games and the same
// levels on every system and with every compiler.
struct SplitMix {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>((Next() >> 32) * n >> 32); }
    int In(int lo, int hi) { return lo + static_cast<int>((Next() >> 33) % static_cast<std::uint64_t>(hi - lo + 1)); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

struct Analysis;

struct AnalyseOptions {
    std::size_t maxStates = 2'000'000;  // a bigger state graph is reported, not analysed
    int trials = 500;                   // games of the random player
    int trialMoves = 2000;              // slides each game may take
    std::uint64_t seed = 1;
    bool idleWalls = true;  // the search for idle walls, one exploration per wall: the slowest figure
    // When set, idle walls are searched only if it approves the rest of the analysis.
    std::function<bool(const Analysis&)> idleWallsIf;
    bool look = true;  // the k-ahead players' figures
    // Threads for the idle walls and the look of one level (their figures are the same with any).
    unsigned threads = 1;
    // Set by another thread (an editor's) to stop the analysis: it then ends Cancelled.
    const std::atomic<bool>* cancel = nullptr;
};

// One kind of stop in the shortest solutions, and the level without it.
struct StopUse {
    bool used = false;    // some shortest solution ends a slide against it
    bool always = false;  // every shortest solution does
    int parWithout = -1;  // the fewest moves when no slide may end against it; -1: unsolvable then
    bool Forced() const { return parWithout < 0; }
};

// The k-ahead player looks this far at most; a level that needs more is "over".
inline constexpr int kMaxLook = 24;
inline constexpr int kLookOver = kMaxLook + 1;
inline constexpr int kLookGameMoves = 300;  // slides a game of the k-ahead player may take

// One slide of a solution, with where the piece starts and stops (row and column from 1).
struct Step {
    Move move;
    int fromRow, fromCol, toRow, toCol;
    bool collects;
};

// What a designer wants to know of a level, from its whole state graph.
struct Analysis {
    enum class Status { Solved, Unsolvable, TooBig, NotLoadable, Cancelled };
    Status status = Status::Unsolvable;
    std::size_t states = 0;  // reachable states, won ones included (the limit, when too big)
    int fewestMoves = -1;
    std::uint64_t shortestSolutions = 0;  // distinct sequences of slides; kManySolutions at most
    std::size_t deadStates = 0;           // reachable states from which no win can be reached
    std::vector<Move> losingFirstMoves;  // first slides after which the level can no longer be won
    int squareMoves = -1;  // fewest square slides of a shortest solution; 0: the square is not needed
    std::vector<Step> solution;  // a shortest solution with those square slides and the fewest idle ones
    int idleMoves = -1;          // slides of that solution that pick up no ring
    int interiorWalls = 0;       // see IsInteriorWall
    // (row, column) of the interior walls whose removal changes none of: whether and in how many
    // slides the level is won, its number of shortest solutions, its dead-end share, the stops it forces.
    std::vector<std::pair<int, int>> idleWalls;
    // The wall shapes (see wallShapes) whose removal, all their walls at once, changes none of
    // those figures. A mass that draws a smaller play area, or the side of a corridor, has idle
    // walls one by one but shapes the level as a whole: the standard judges shapes.
    std::vector<std::vector<std::pair<int, int>>> idleShapes;
    int isolatedWalls = 0;   // interior walls with no wall beside them
    int wallShapes = 0;      // groups of walls joined side by side off the outer ring, buried ones too
    int reachableFloor = 0;  // cells that a piece stands on in some reachable state
    int trials = 0, wins = 0;
    int medianWinMoves = -1;  // of the random player's won games; -1 when it won none
    std::array<StopUse, kStopKinds> stops{};  // by Stop
    int look = -1;                // smallest k whose k-ahead player wins half its games; kLookOver beyond kMaxLook
    double twoAheadWinRate = -1;  // of the 2-ahead player, within kLookGameMoves slides
    std::vector<int> nearDuplicates;  // the file's other levels too much like this one (see NearDuplicates)
    int lateTrap = 0;             // the latest slide of a shortest solution that can lose the level; 0: none
    bool reachedLimit = false;  // the graph of a board without one of its walls stopped at the limit
    std::string verdict;

    double DeadShare() const { return states ? static_cast<double>(deadStates) / static_cast<double>(states) : 0; }
    double WinRate() const { return trials ? static_cast<double>(wins) / trials : 0; }
    bool FirstMoveCanLose() const { return !losingFirstMoves.empty(); }
};

inline constexpr std::uint64_t kManySolutions = 1'000'000'000'000'000'000ull;
// A level the random player wins more often than this is won by mashing keys.
inline constexpr double kMashableRate = 0.25;

// The walls a designer places: off the board's outer ring, and facing something other than a
// wall. A wall buried in solid wall is filler, like the outer ring: it shapes nothing.
bool IsInteriorWall(const Board& board, int row, int col);

Analysis Analyse(const Puzzle& puzzle, const AnalyseOptions& options = {});

// An analysis maps and frees its graphs and tables dozens of times, one per wall taken away: the
// memory freed is kept for the next, which finds its pages there rather than faulting them in
// anew (half of a big level's time). Once, in a program that analyses, before its analyses;
// GiveBackAnalysisMemory after each, which returns what was kept.
void KeepAnalysisMemory();
void GiveBackAnalysisMemory();

// The most memory one analysis with this state limit takes, whatever the level: its state graph
// with the figures worked out over it (under 256 bytes a state on the widest levels), and the
// graph of the board without one wall while it looks for idle walls (under 192 more).
std::uint64_t AnalyseBytes(std::size_t maxStates);

// The most memory `kelo-levels analyse` takes with this state limit, whatever the levels.
std::uint64_t AnalyseMemoryBound(std::size_t maxStates);

// The level as the game loads it from its record of `file`; nothing when the game would show
// level 1 instead (a digit without a tile) or the file has no such level.
std::optional<Puzzle> LevelPuzzle(std::string_view file, int level);

// `kelo-levels analyse`: one line (or one JSON object) per level; the exit status.
// The chosen levels of the file (numbers from 1), two at a time; NotLoadable where the game would
// show level 1 instead.
std::vector<Analysis> AnalyseLevels(std::string_view file, const std::vector<int>& chosen, const AnalyseOptions& options);

// With `standard`, the set's standard instead: each rule, its value, PASS or FAIL (exit 1 when one fails).
int RunAnalyse(std::string_view file, int onlyLevel, bool json, bool standard, const AnalyseOptions& options,
               std::ostream& out, std::ostream& err);

std::string AnalysisLine(int level, const Analysis& a);
std::string LookText(int look);  // "7", "over 24"
std::string AnalysisJson(int level, const Analysis& a);

}  // namespace kelo
