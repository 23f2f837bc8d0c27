#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/kelo-levels/analyse.h"

namespace kelo {

struct Range {
    int min = 0, max = INT_MAX;
    bool Holds(int x) const { return x >= min && x <= max; }
    int Distance(int x) const { return x < min ? min - x : x > max ? x - max : 0; }
};

enum class Want { Any, Yes, No };

// What the designer asks of a level.
struct Targets {
    Range moves{10, 14};
    Range squareMoves{0, INT_MAX};  // square slides of a shortest solution
    std::uint64_t maxSolutions = 0;  // shortest solutions at most; 0: any number
    double maxRandomWinRate = kMashableRate;
    bool noIdleWalls = false;
    Want deadEnds = Want::Any;
    Range look;                          // the look (kLookOver: over kMaxLook)
    std::array<bool, kStopKinds> force{};  // stop kinds the level must force
    double maxTwoAheadWinRate = 1;
    int maxIsolatedWalls = INT_MAX;
    // The look-ahead players cost many passes over the graph: only when a target needs them.
    bool NeedsLook() const { return look.min > 0 || look.max != INT_MAX || maxTwoAheadWinRate < 1; }
};

struct GenerateOptions {
    Targets targets;
    Range rings{3, 6};
    Range shapes{3, 7};  // groups of walls: bars, L shapes, boxes, rooms
    bool openBorder = false;
    std::optional<Puzzle> from;  // a board to vary rather than random ones
    std::uint64_t seed = 1;
    int restarts = 4;   // independent climbs
    int steps = 250;    // changes tried in each
    int count = 3;      // candidates printed
    std::size_t maxStates = 400'000;
};

struct Candidate {
    Puzzle puzzle;
    Analysis analysis;
    double penalty = 0;  // 0: every target met
};

// How far an analysed level is from the targets; 0 when it meets them all.
double Penalty(const Analysis& a, const Targets& t);

// The best distinct candidates, best first.
std::vector<Candidate> Generate(const GenerateOptions& options);

// The most memory `kelo-levels generate` takes with this state limit.
std::uint64_t GenerateMemoryBound(std::size_t maxStates);

// The 164 bytes of a level file record for the board.
std::string RecordOf(const Board& board);

// "A", "A-B" or "A-" (no upper bound), each from lo to hi.
std::optional<Range> ParseRange(const std::string& text, int lo, int hi);

// `kelo-levels generate`: the candidates as level records, to `output` or else to `out`, and
// their figures beside (on `err` when the records take `out`); the exit status. A board to vary
// is level `level` of the file `from`, unless `from` is empty.
int RunGenerate(GenerateOptions options, const std::string& from, int level, const std::string& output,
                std::ostream& out, std::ostream& err);

}  // namespace kelo
