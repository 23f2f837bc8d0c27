// The level tool's check and solve on any file, with a small state limit.
#include <cstdlib>
#include <ostream>

#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/solve.h"

// The reports are written in full but kept nowhere: only the exit statuses are checked.
struct Discard : std::streambuf {
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Discard discard;
    static std::ostream out(&discard);
    const kelo::MemoryBytes file(std::string_view(reinterpret_cast<const char*>(data), size));
    // A few hundred states reach every kind of ending (solved, unsolvable, given up) on a board
    // of nine rows; more only repeats the same slides.
    for (int status : {kelo::RunCheck(file, out, out), kelo::RunSolve(file, 0, 300, out, out)}) {
        if (status != kelo::kLevelsSound && status != kelo::kLevelsProblems) std::abort();
    }
    return 0;
}
