// The level tool's check and solve on any file, with a small state limit.
#include <cstdlib>
#include <sstream>

#include "tools/level_tool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    std::ostringstream out, err;
    const int checked = kelo::RunCheck(file, out);
    if (checked != kelo::kLevelsSound && checked != kelo::kLevelsProblems) std::abort();
    const int solved = kelo::RunSolve(file, 0, 2000, out, err);
    if (solved != kelo::kLevelsSound && solved != kelo::kLevelsProblems) std::abort();
    return 0;
}
