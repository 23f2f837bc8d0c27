#include "tools/kelo-levels/solve.h"

#include <algorithm>
#include <new>
#include <string>

#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/search.h"

namespace kelo {
namespace {

std::string Moves(const std::vector<Move>& moves) {
    std::string s;
    for (const auto& m : moves) s += (s.empty() ? "" : ", ") + MoveName(m);
    return s;
}

std::string Verdict(const Solution& s) {
    switch (s.outcome) {
    case Outcome::Solved: return std::to_string(s.moves.size());
    case Outcome::Unsolvable: return "unsolvable";
    default: return "unknown";
    }
}

// Solves one level as the game loads it; false when it cannot be won.
bool SolveLevel(const LevelBytes& file, int level, std::size_t maxStates, std::ostream& out) {
    const auto read = ReadLevel(file, level);
    out << "level " << level << ": ";
    if (!read) {
        out << "unsolvable (the game cannot load it and shows level 1 instead)\n";
        return false;
    }
    const Puzzle& puzzle = *read;
    SolveOptions options;
    options.maxStates = maxStates;
    const Solution full = Solve(puzzle, options);
    out << Verdict(full);
    if (full.outcome == Outcome::Unknown) {
        out << " (gave up after " << full.states << " states)\n";
        return false;
    }
    if (full.outcome == Outcome::Solved && full.moves.empty()) {
        out << " (no ring: the first key press wins)\n";
        return true;
    }
    if (full.outcome == Outcome::Unsolvable) {
        out << "\n";
        return false;
    }
    out << " " << Moves(full.moves);
    // Only a level that can be won is worth the second search, without the square.
    options.squareMayMove = false;
    const Solution still = Solve(puzzle, options);
    if (still.outcome == Outcome::Solved) {
        out << "; square not needed (" << still.moves.size() << " moves without moving it)\n";
    } else if (still.outcome == Outcome::Unsolvable) {
        out << "; needs the square (unsolvable without moving it)\n";
    } else {
        out << "; square: unknown without moving it\n";
    }
    return true;
}

std::string Megabytes(std::uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

// A search numbers its states in 32 bits.
constexpr std::size_t kMostStates = 1'000'000'000;

}  // namespace

int RunSolve(const LevelBytes& bytes, int onlyLevel, std::size_t maxStates, std::ostream& out, std::ostream& err) {
    const WatchedBytes file(bytes);
    const std::int64_t levels = LevelCount(file.Size().value_or(0));
    if (file.Failed()) return ReadError(err);
    if (const auto refused = RefuseLevelChoice(levels, onlyLevel, err)) return *refused;
    if (onlyLevel < 0 || onlyLevel > kLastReachableLevel) {
        err << "kelo-levels: the game's levels go from 1 to " << kLastReachableLevel << ", not " << onlyLevel << "\n";
        return kLevelsError;
    }
    // Refused before a search begins rather than failing inside one.
    const std::uint64_t needs = SearchBytes(maxStates);
    const std::uint64_t available = needs > kSearchFloorBytes ? AvailableMemory() : UINT64_MAX;
    if (maxStates < 1 || maxStates > kMostStates || needs > available) {
        err << "kelo-levels: a search of up to " << maxStates << " states needs " << Megabytes(needs) << ", ";
        if (maxStates < 1 || maxStates > kMostStates) {
            err << "and a search may have from 1 to " << kMostStates << " states\n";
        } else {
            err << "more than the " << Megabytes(available) << " of memory available: lower --max-states\n";
        }
        return kLevelsError;
    }
    const int reachable = static_cast<int>(std::min<std::int64_t>(levels, kLastReachableLevel));
    bool allSolved = true;
    int level = onlyLevel != 0 ? onlyLevel : 1;
    try {
        for (; level <= (onlyLevel != 0 ? onlyLevel : reachable); ++level) {
            allSolved &= SolveLevel(file, level, maxStates, out);
        }
    } catch (const std::bad_alloc&) {
        out.flush();
        err << kOutOfMemory << " while solving level " << level << ": lower --max-states\n";
        return kLevelsError;
    }
    if (onlyLevel == 0 && levels > reachable) {
        out << "levels " << kLastReachableLevel + 1 << " to " << levels << ": unsolvable (past level "
            << kLastReachableLevel << ", the last the game can reach: it never loads them)\n";
        allSolved = false;
    }
    if (file.Failed()) return ReadError(err);
    return allSolved ? kLevelsSound : kLevelsProblems;
}

}  // namespace kelo
