#include "tools/kelo-levels/standard.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace kelo {
namespace {

// The four symmetries of a 9 x 16 board, as where cell (row, col) goes.
struct Symmetry {
    const char* name;
    bool flipRows, flipCols;
    int Index(int row, int col) const {
        return Board::Index(flipRows ? kRows + 1 - row : row, flipCols ? kCols + 1 - col : col);
    }
};
constexpr Symmetry kSymmetries[] = {
    {"as is", false, false},
    {"mirrored left to right", false, true},
    {"mirrored top to bottom", true, false},
    {"half turn", true, true},
};

std::vector<int> InteriorWalls(const Board& board) {
    std::vector<int> cells;
    for (int r = 2; r < kRows; ++r) {
        for (int c = 2; c < kCols; ++c) {
            if (IsInteriorWall(board, r, c)) cells.push_back(Board::Index(r, c));
        }
    }
    return cells;
}

// The board without its pieces: what the designer drew around them.
Board Without(const Puzzle& p) {
    Board b = p.board;
    for (auto& c : b.cells()) {
        if (c == Ball || c == Square) c = Empty;
    }
    return b;
}

std::string Percent(double share) {
    char s[16];
    std::snprintf(s, sizeof s, "%.0f%%", 100 * share);
    return s;
}

}  // namespace

std::vector<NearDuplicate> NearDuplicates(const std::vector<std::optional<Puzzle>>& levels) {
    std::vector<NearDuplicate> found;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (!levels[i]) continue;
        const std::vector<int> a = InteriorWalls(levels[i]->board);
        const Board bareA = Without(*levels[i]);
        for (std::size_t j = i + 1; j < levels.size(); ++j) {
            if (!levels[j]) continue;
            const std::vector<int> b = InteriorWalls(levels[j]->board);
            const Board bareB = Without(*levels[j]);
            NearDuplicate best{static_cast<int>(i + 1), static_cast<int>(j + 1), 0, "", false};
            bool near = false;
            for (const Symmetry& s : kSymmetries) {
                Board turned;
                for (int r = 1; r <= kRows; ++r) {
                    for (int c = 1; c <= kCols; ++c) turned.cells()[static_cast<std::size_t>(s.Index(r, c))] = bareB(r, c);
                }
                int shared = 0;
                for (const int cell : a) shared += IsInteriorWall(turned, Board::RowOf(cell), Board::ColOf(cell));
                const std::size_t larger = std::max(a.size(), b.size());
                const double overlap = larger ? static_cast<double>(shared) / static_cast<double>(larger) : 0;
                const bool moved = turned == bareA;
                if (!(moved || overlap > kDuplicateOverlap)) continue;
                if (!near || (moved && !best.piecesMoved) || (moved == best.piecesMoved && overlap > best.overlap))
                    best = {best.first, best.second, overlap, s.name, moved};
                near = true;
            }
            if (near) found.push_back(best);
        }
    }
    return found;
}

std::string NearDuplicateText(const NearDuplicate& d) {
    std::ostringstream s;
    s << d.first << " and " << d.second << ": ";
    if (d.piecesMoved) {
        s << "walls and rings the same, pieces moved";
    } else {
        s << Percent(d.overlap) << " of the walls shared";
    }
    if (d.symmetry != kSymmetries[0].name) s << " (" << d.symmetry << ")";
    return s.str();
}

namespace {

// "12, 15 and 20", or "none".
std::string Levels(const std::vector<int>& levels) {
    if (levels.empty()) return "none";
    std::string s = levels.size() == 1 ? "level " : "levels ";
    for (std::size_t k = 0; k < levels.size(); ++k)
        s += (k == 0 ? "" : k + 1 == levels.size() ? " and " : ", ") + std::to_string(levels[k]);
    return s;
}

int Count(const Board& board, std::uint8_t code) {
    return static_cast<int>(std::count(board.cells().begin(), board.cells().end(), code));
}

bool Solved(const Analysis& a) { return a.status == Analysis::Status::Solved; }

}  // namespace

bool Breaks(LevelRule rule, int level, const std::optional<Puzzle>& puzzle, const Analysis& a) {
    if (rule == LevelRule::Sound)
        return !puzzle || !Solved(a) || Count(puzzle->board, Ball) != 1 || Count(puzzle->board, Square) != 1;
    if (rule == LevelRule::IdleWallShape) return !a.idleShapes.empty();
    // The other rules judge only a level that can be won.
    if (!Solved(a)) return false;
    switch (rule) {
    case LevelRule::TwoAhead: return level >= 6 && a.twoAheadWinRate >= 0.25;
    case LevelRule::Random: return level >= 6 && a.WinRate() >= 0.10;
    case LevelRule::Shallow: return level >= 13 && a.look <= 3;
    case LevelRule::LateTrap: return a.fewestMoves > 20 && a.DeadShare() > 0.15 && a.lateTrap > 5;
    default: return false;
    }
}

std::vector<LevelRule> RulesBroken(int level, const std::optional<Puzzle>& puzzle, const Analysis& analysis) {
    std::vector<LevelRule> broken;
    for (const LevelRule rule : kLevelRules) {
        if (Breaks(rule, level, puzzle, analysis)) broken.push_back(rule);
    }
    return broken;
}

std::vector<RuleResult> Standard(const std::vector<std::optional<Puzzle>>& levels, const std::vector<Analysis>& analyses,
                                 const std::vector<NearDuplicate>& duplicates) {
    std::vector<RuleResult> rules;
    auto rule = [&](std::string text, std::string value, bool pass) { rules.push_back({std::move(text), std::move(value), pass}); };
    const int n = static_cast<int>(analyses.size());
    auto at = [&](int level) -> const Analysis& { return analyses[static_cast<std::size_t>(level - 1)]; };
    // The levels that break a rule of their own.
    auto offenders = [&](LevelRule r) {
        std::vector<int> found;
        for (int l = 1; l <= n; ++l) {
            if (Breaks(r, l, levels[static_cast<std::size_t>(l - 1)], at(l))) found.push_back(l);
        }
        return found;
    };

    rule("at least 40 levels", std::to_string(n), n >= 40);
    const auto unsound = offenders(LevelRule::Sound);
    rule("each level solvable, with exactly one ball and one square", unsound.empty() ? "all " + std::to_string(n) : "not " + Levels(unsound), unsound.empty());
    std::string pairs;
    for (const NearDuplicate& d : duplicates) pairs += (pairs.empty() ? "" : "; ") + NearDuplicateText(d);
    rule("no near-duplicate pair", pairs.empty() ? "none" : pairs, duplicates.empty());

    // Each stop kind: first taught where it is forced, then forced often enough.
    for (int kind = 0; kind < kStopKinds; ++kind) {
        const std::string name = StopName(static_cast<Stop>(kind));
        const auto k = static_cast<std::size_t>(kind);
        int first = 0;
        std::vector<int> forced;
        for (int l = 1; l <= n; ++l) {
            if (!Solved(at(l))) continue;
            if (first == 0 && at(l).stops[k].used) first = l;
            if (at(l).stops[k].Forced()) forced.push_back(l);
        }
        const bool firstForced = first > 0 && at(first).stops[k].Forced();
        rule(name + ": the first level that uses it forces it",
             first == 0 ? "never used" : "first used in " + std::to_string(first) + (firstForced ? ", forced there" : ", not forced there"),
             firstForced);
        rule(name + ": forced in at least 3 levels", std::to_string(forced.size()) + " (" + Levels(forced) + ")",
             forced.size() >= 3);
    }

    const auto twoAhead = offenders(LevelRule::TwoAhead);
    rule("from level 6 on, the two-ahead player wins under 25%", Levels(twoAhead), twoAhead.empty());
    const auto random = offenders(LevelRule::Random);
    rule("from level 6 on, the random player wins under 10%", Levels(random), random.empty());

    std::vector<int> long_;
    for (int l = 1; l <= n; ++l) {
        if (Solved(at(l)) && at(l).fewestMoves > 26) long_.push_back(l);
    }
    rule("at most 3 levels with par over 26", std::to_string(long_.size()) + " (" + Levels(long_) + ")", long_.size() <= 3);
    const auto shallow = offenders(LevelRule::Shallow);
    rule("from level 13 on, no level with look at most 3", Levels(shallow), shallow.empty());
    std::vector<int> looks;
    const int third = (n + 2) / 3;
    for (int l = n - third + 1; l <= n; ++l) looks.push_back(at(l).look);
    std::sort(looks.begin(), looks.end());
    const double median = looks.empty() ? 0
                          : looks.size() % 2 ? looks[looks.size() / 2]
                                             : (looks[looks.size() / 2 - 1] + looks[looks.size() / 2]) / 2.0;
    std::ostringstream m;
    m << median << " over levels " << n - third + 1 << " to " << n;
    rule("the median look of the last third at least 12", m.str(), median >= 12);
    std::vector<int> spikes;
    for (int l = 2, most = at(1).look; l <= n; ++l) {
        if (at(l).look > most + 6) spikes.push_back(l);
        most = std::max(most, at(l).look);
    }
    rule("no look more than 6 above the largest look before it", Levels(spikes), spikes.empty());

    const auto traps = offenders(LevelRule::LateTrap);
    rule("par over 20: dead ends at most 15% or none reachable after slide 5", Levels(traps), traps.empty());

    int walls = 0, isolated = 0, built = 0, idleCells = 0;
    for (int l = 1; l <= n; ++l) {
        walls += at(l).interiorWalls;
        isolated += at(l).isolatedWalls;
        built += at(l).interiorWalls >= 12;
        idleCells += static_cast<int>(at(l).idleWalls.size());
    }
    const auto idle = offenders(LevelRule::IdleWallShape);
    rule("isolated interior walls at most 10% of all", std::to_string(isolated) + " of " + std::to_string(walls),
         isolated * 10 <= walls);
    rule("at least a third of the levels with 12 interior walls or more", std::to_string(built) + " of " + std::to_string(n),
         built * 3 >= n);
    // Judged shape by shape: the walls that frame a smaller play area or line a corridor shape it
    // together, though each alone may be idle. The idle cells are told beside, for the designer.
    rule("no idle wall shape", Levels(idle) + " (idle wall cells, one by one: " + std::to_string(idleCells) + " of " +
                                   std::to_string(walls) + ")",
         idle.empty());
    return rules;
}

}  // namespace kelo
