#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <optional>

namespace kelo {

class LevelSource;

inline constexpr int kLevelsSound = 0;
inline constexpr int kLevelsProblems = 1;
inline constexpr int kLevelsError = 2;

// `kelo-levels check`: one line per problem (the first thousand, then their count), then a
// summary; the exit status. Running out of memory or a read error is told on `err`.
int RunCheck(const LevelSource& file, std::ostream& out, std::ostream& err);

// `kelo-levels solve`: one line per level (only `onlyLevel` when it is not 0); the exit status.
// A state limit whose search would not fit in the memory left is refused.
int RunSolve(const LevelSource& file, int onlyLevel, std::size_t maxStates, std::ostream& out, std::ostream& err);

// False when a digit without a tile makes the game show level 1 (or an empty board) instead of
// this level.
bool Loadable(const LevelSource& file, int level);

// The exit status, with its message, for a file without levels or without the level asked for
// (solve, analyse, render); nothing when the command may go on.
std::optional<int> RefuseLevelChoice(std::int64_t levels, int onlyLevel, std::ostream& err);

// The memory this process may still take: the least of what the system has available and of
// its own limits (address space, data, control group).
std::uint64_t AvailableMemory();

}  // namespace kelo
