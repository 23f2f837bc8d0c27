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

#include "game/form1.h"
#include "platform/memory_platform.h"
#include "tools/level_check.h"
#include "tools/solver.h"

namespace {

constexpr int kExitSound = 0;
constexpr int kExitProblems = 1;
constexpr int kExitError = 2;

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

int Check(const std::string& bytes) {
    const auto findings = kelo::CheckLevels(bytes);
    for (const auto& f : findings) std::cout << kelo::FormatFinding(f) << "\n";
    const int levels = kelo::LevelCount(bytes.size());
    if (findings.empty()) {
        std::cout << levels << (levels == 1 ? " level" : " levels") << ", all sound\n";
        return kExitSound;
    }
    std::cout << levels << (levels == 1 ? " level, " : " levels, ") << findings.size()
              << (findings.size() == 1 ? " problem\n" : " problems\n");
    return kExitProblems;
}

std::string Moves(const std::vector<kelo::Move>& moves) {
    std::string s;
    for (const auto& m : moves) s += (s.empty() ? "" : ", ") + kelo::MoveName(m);
    return s;
}

std::string Verdict(const kelo::Solution& s) {
    switch (s.outcome) {
    case kelo::Outcome::Solved: return std::to_string(s.moves.size());
    case kelo::Outcome::Unsolvable: return "unsolvable";
    default: return "unknown";
    }
}

// Solves one level as the game loads it; false when it cannot be won.
bool SolveLevel(const std::string& bytes, int level, bool loadable, std::size_t maxStates) {
    kelo::MemoryPlatform platform(bytes);
    kelo::Form1 form(platform);
    form.CrLf = "\r\n";
    form.Level = static_cast<std::int16_t>(level);
    form.LoadLevel(form.Level);
    std::cout << "level " << level << ": ";
    if (!loadable || form.Level != level) {
        std::cout << "unsolvable (the game cannot load it and shows level 1 instead)\n";
        return false;
    }
    kelo::Puzzle puzzle;
    puzzle.board = form.Board;
    if (form.PieceOnBoard(kelo::kBallPiece)) {
        puzzle.ballRow = form.PieceRow[kelo::kBallPiece];
        puzzle.ballCol = form.PieceCol[kelo::kBallPiece];
    }
    if (form.PieceOnBoard(kelo::kSquarePiece)) {
        puzzle.squareRow = form.PieceRow[kelo::kSquarePiece];
        puzzle.squareCol = form.PieceCol[kelo::kSquarePiece];
    }
    kelo::SolveOptions options;
    options.maxStates = maxStates;
    const kelo::Solution full = kelo::Solve(puzzle, options);
    std::cout << Verdict(full);
    if (full.outcome == kelo::Outcome::Unknown) {
        std::cout << " (gave up after " << full.states << " states)\n";
        return false;
    }
    if (full.outcome == kelo::Outcome::Solved && full.moves.empty()) {
        std::cout << " (no ring: the first key press wins)\n";
        return true;
    }
    if (full.outcome == kelo::Outcome::Solved) std::cout << " " << Moves(full.moves);
    options.squareMayMove = false;
    const kelo::Solution still = kelo::Solve(puzzle, options);
    if (full.outcome == kelo::Outcome::Unsolvable) {
        std::cout << "\n";
        return false;
    }
    if (still.outcome == kelo::Outcome::Solved) {
        std::cout << "; square not needed (" << still.moves.size() << " moves without moving it)\n";
    } else if (still.outcome == kelo::Outcome::Unsolvable) {
        std::cout << "; needs the square (unsolvable without moving it)\n";
    } else {
        std::cout << "; square: unknown without moving it\n";
    }
    return true;
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
    if (command == "check") return Check(bytes);

    const int levels = kelo::LevelCount(bytes.size());
    if (levels == 0) {
        std::cerr << "kelo-levels: " << path << " is empty: it holds no level\n";
        return kExitProblems;
    }
    if (onlyLevel > levels) {
        std::cerr << "kelo-levels: " << path << " has " << levels << (levels == 1 ? " level" : " levels")
                  << ", not " << onlyLevel << "\n";
        return kExitError;
    }
    // A digit without a tile makes the game show level 1 (or an empty board) instead.
    std::vector<bool> loadable(static_cast<std::size_t>(levels) + 1, true);
    for (const kelo::Finding& f : kelo::CheckLevels(bytes)) {
        if (f.level > 0 && f.message.find("has no tile") != std::string::npos) loadable[f.level] = false;
    }
    bool allSolved = true;
    for (int level = 1; level <= levels; ++level) {
        if (onlyLevel != 0 && level != onlyLevel) continue;
        allSolved &= SolveLevel(bytes, level, loadable[level], static_cast<std::size_t>(maxStates));
    }
    return allSolved ? kExitSound : kExitProblems;
}
