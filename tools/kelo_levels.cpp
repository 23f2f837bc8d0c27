// kelo-levels: checks and solves level files the way the game reads and plays them.
#include <charconv>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "tools/level_source.h"
#include "tools/level_tool.h"

namespace {

constexpr int kExitError = kelo::kLevelsError;

void Usage() {
    std::cerr << "usage: kelo-levels check FILE\n"
                 "       kelo-levels solve FILE [--level N] [--max-states N]\n";
}

bool ParseNumber(const char* text, long long min, long long max, long long& value) {
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && value >= min && value <= max;
}

int Main(int argc, char* argv[]) {
    if (argc < 3) {
        Usage();
        return kExitError;
    }
    const std::string command = argv[1];
    const std::string path = argv[2];
    if (command != "check" && command != "solve") {
        std::cerr << "kelo-levels: unknown command '" << command << "'\n";
        Usage();
        return kExitError;
    }
    long long onlyLevel = 0;
    long long maxStates = 4'000'000;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (command == "solve" && option == "--level" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 1, 32767, onlyLevel)) {
                std::cerr << "kelo-levels: --level takes a level number from 1 to 32767, not '" << argv[i] << "'\n";
                return kExitError;
            }
        } else if (command == "solve" && option == "--max-states" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 1, 100'000'000, maxStates)) {
                std::cerr << "kelo-levels: --max-states takes a number from 1 to 100000000, not '" << argv[i]
                          << "'\n";
                return kExitError;
            }
        } else {
            std::cerr << "kelo-levels: unexpected argument '" << option << "'\n";
            Usage();
            return kExitError;
        }
    }

    // Read record by record as the game reads: the file is never held whole.
    kelo::FileSource file;
    std::string why;
    if (!file.Open(path, why)) {
        std::cerr << "kelo-levels: cannot read " << path << ": " << why << "\n";
        return kExitError;
    }
    if (command == "check") return kelo::RunCheck(file, std::cout, std::cerr);
    return kelo::RunSolve(file, static_cast<int>(onlyLevel), static_cast<std::size_t>(maxStates), std::cout, std::cerr);
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "kelo-levels: out of memory\n";
        return kExitError;
    }
}
