// kelo-levels: checks and solves level files the way the game reads and plays them.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "tools/level_tool.h"

namespace {

constexpr int kExitError = kelo::kLevelsError;

void Usage() {
    std::cerr << "usage: kelo-levels check FILE\n"
                 "       kelo-levels solve FILE [--level N] [--max-states N]\n";
}

bool ReadFile(const std::string& path, std::string& bytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        std::cerr << "kelo-levels: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        std::cerr << "kelo-levels: cannot read " << path << ": it is a directory\n";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        std::cerr << "kelo-levels: cannot read " << path << ": not a regular file\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "kelo-levels: cannot read " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) {
        std::cerr << "kelo-levels: cannot read " << path << ": read error\n";
        return false;
    }
    bytes = out.str();
    return true;
}

bool ParseNumber(const char* text, long long min, long long max, long long& value) {
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && value >= min && value <= max;
}

}  // namespace

int main(int argc, char* argv[]) {
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

    std::string bytes;
    if (!ReadFile(path, bytes)) return kExitError;
    if (command == "check") return kelo::RunCheck(bytes, std::cout);
    return kelo::RunSolve(bytes, static_cast<int>(onlyLevel), static_cast<std::size_t>(maxStates), std::cout, std::cerr);
}
