#pragma once

#include <cstddef>
#include <ostream>

#include "game/level_reader.h"

namespace kelo {

// `kelo-levels solve`: one line per level (only `onlyLevel` when it is not 0); the exit status.
// A state limit whose search would not fit in the memory left is refused.
int RunSolve(const LevelBytes& file, int onlyLevel, std::size_t maxStates, std::ostream& out, std::ostream& err);

}  // namespace kelo
