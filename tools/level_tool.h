#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace kelo {

inline constexpr int kLevelsSound = 0;
inline constexpr int kLevelsProblems = 1;
inline constexpr int kLevelsError = 2;

// `kelo-levels check`: one line per problem, then a summary; the exit status.
int RunCheck(const std::string& bytes, std::ostream& out);

// `kelo-levels solve`: one line per level (only `onlyLevel` when it is not 0); the exit status.
int RunSolve(const std::string& bytes, int onlyLevel, std::size_t maxStates, std::ostream& out, std::ostream& err);

}  // namespace kelo
