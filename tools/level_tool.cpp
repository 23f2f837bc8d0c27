#include "tools/level_tool.h"

#include "game/form1.h"
#include "platform/memory_platform.h"
#include "tools/level_check.h"
#include "tools/solver.h"

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
bool SolveLevel(const std::string& bytes, int level, bool loadable, std::size_t maxStates, std::ostream& out) {
    MemoryPlatform platform(bytes);
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

}  // namespace

int RunCheck(const std::string& bytes, std::ostream& out) {
    const auto findings = CheckLevels(bytes);
    for (const auto& f : findings) out << FormatFinding(f) << "\n";
    const int levels = LevelCount(bytes.size());
    if (findings.empty()) {
        out << levels << (levels == 1 ? " level" : " levels") << ", all sound\n";
        return kLevelsSound;
    }
    out << levels << (levels == 1 ? " level, " : " levels, ") << findings.size()
        << (findings.size() == 1 ? " problem\n" : " problems\n");
    return kLevelsProblems;
}


int RunSolve(const std::string& bytes, int onlyLevel, std::size_t maxStates, std::ostream& out, std::ostream& err) {
    const int levels = LevelCount(bytes.size());
    if (levels == 0) {
        err << "kelo-levels: the file is empty: it holds no level\n";
        return kLevelsProblems;
    }
    if (onlyLevel > levels) {
        err << "kelo-levels: the file has " << levels << (levels == 1 ? " level" : " levels") << ", not " << onlyLevel
            << "\n";
        return kLevelsError;
    }
    // A digit without a tile makes the game show level 1 (or an empty board) instead.
    std::vector<bool> loadable(static_cast<std::size_t>(levels) + 1, true);
    for (const Finding& f : CheckLevels(bytes)) {
        if (f.level > 0 && f.fault == Fault::NoTile) loadable[f.level] = false;
    }
    bool allSolved = true;
    for (int level = 1; level <= levels; ++level) {
        if (onlyLevel != 0 && level != onlyLevel) continue;
        allSolved &= SolveLevel(bytes, level, loadable[level], maxStates, out);
    }
    return allSolved ? kLevelsSound : kLevelsProblems;
}

}  // namespace kelo
