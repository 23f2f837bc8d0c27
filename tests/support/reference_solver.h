#pragma once

#include <cstddef>

#include "tools/kelo-levels/search.h"

namespace kelo::bench {

struct ReferenceResult {
    Outcome outcome = Outcome::Unknown;
    int moves = 0;            // the fewest slides, when solved
    std::size_t states = 0;   // states visited
};

// A plain breadth-first search over the same states as the level tool's, written for clarity
// with std::set and std::queue: the yardstick of the tool's speed, and a second opinion on its
// answers. At most 64 rings.
ReferenceResult ReferenceSolve(const Puzzle& puzzle, bool squareMayMove, std::size_t maxStates);

}  // namespace kelo::bench
