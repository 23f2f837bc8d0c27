#include "tools/kelo-levels/solve.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

#include "game/form1.h"
#include "game/level_format.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/level_source.h"
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
bool SolveLevel(const LevelSource& file, int level, std::size_t maxStates, std::ostream& out) {
    const bool loadable = Loadable(file, level);
    SourcePlatform platform(file);
    Form1 form(platform);
    form.CrLf = "\r\n";
    form.Level = static_cast<std::int16_t>(level);
    form.LoadLevel(form.Level);
    out << "level " << level << ": ";
    if (!loadable || form.Level != level) {
        out << "unsolvable (the game cannot load it and shows level 1 instead)\n";
        return false;
    }
    const Puzzle puzzle = PuzzleOf(form);
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

std::uint64_t FirstNumber(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            std::istringstream fields(line.substr(key.size()));
            std::uint64_t value = 0;
            if (fields >> value) return value;
        }
    }
    return UINT64_MAX;
}

constexpr const char* kOutOfMemory = "kelo-levels: out of memory";

// A search numbers its states in 32 bits.
constexpr std::size_t kMostStates = 1'000'000'000;

}  // namespace

std::uint64_t AvailableMemory() {
    std::uint64_t available = UINT64_MAX;
    const std::uint64_t kib = FirstNumber("/proc/meminfo", "MemAvailable:");
    if (kib != UINT64_MAX) available = kib * 1024;
    // What the limits of this process leave, beyond what it already holds.
    const std::uint64_t page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    std::uint64_t size = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            const std::uint64_t held = size * page;
            available = std::min<std::uint64_t>(available, limit.rlim_cur > held ? limit.rlim_cur - held : 0);
        }
    }
    std::ifstream group("/sys/fs/cgroup/memory.max");
    std::uint64_t most = 0;
    if (group >> most) {
        std::uint64_t current = 0;
        std::ifstream("/sys/fs/cgroup/memory.current") >> current;
        available = std::min<std::uint64_t>(available, most > current ? most - current : 0);
    }
    return available;
}

int RunCheck(const LevelSource& file, std::ostream& out, std::ostream& err) {
    try {
        const CheckReport report = CheckLevels(file);
        if (file.Failed()) {
            err << "kelo-levels: cannot read the file: read error\n";
            return kLevelsError;
        }
        for (const auto& f : report.findings) out << FormatFinding(f) << "\n";
        if (report.total > report.findings.size())
            out << "and " << report.total - report.findings.size() << " more problems in the levels, not listed\n";
        const std::int64_t levels = report.levels;
        if (report.total == 0) {
            out << levels << (levels == 1 ? " level" : " levels") << ", all sound\n";
            return kLevelsSound;
        }
        out << levels << (levels == 1 ? " level, " : " levels, ") << report.total
            << (report.total == 1 ? " problem\n" : " problems\n");
        return kLevelsProblems;
    } catch (const std::bad_alloc&) {
        out.flush();
        err << kOutOfMemory << "\n";
        return kLevelsError;
    }
}

bool Loadable(const LevelSource& file, int level) {
    for (int row = 1; row <= kRows; ++row) {
        char line[kRowLength];
        if (!file.Read(RecordOffset(level) + (row - 1) * kRowPitch, line, sizeof line)) return false;
        for (char c : line) {
            if (CodeOfChar(c) > Square) return false;
        }
    }
    return true;
}

std::optional<int> RefuseLevelChoice(std::int64_t levels, int onlyLevel, std::ostream& err) {
    if (levels == 0) {
        err << "kelo-levels: the file is empty: it holds no level\n";
        return kLevelsProblems;
    }
    if (onlyLevel > levels) {
        err << "kelo-levels: the file has " << levels << (levels == 1 ? " level" : " levels") << ", not " << onlyLevel
            << "\n";
        return kLevelsError;
    }
    return std::nullopt;
}

int RunSolve(const LevelSource& file, int onlyLevel, std::size_t maxStates, std::ostream& out, std::ostream& err) {
    const std::int64_t levels = LevelCount(file.Size());
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
    if (file.Failed()) {
        err << "kelo-levels: cannot read the file: read error\n";
        return kLevelsError;
    }
    return allSolved ? kLevelsSound : kLevelsProblems;
}

}  // namespace kelo
