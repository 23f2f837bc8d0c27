// The generator climbs from random boards (or from a designer's board) towards the targets. Its
// walls come and go as whole shapes, so that what it suggests already looks built rather than
// scattered; a designer finishes it by hand.
#include "tools/kelo-levels/generate.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <set>
#include <thread>

#include "tools/common/safe_file.h"
#include "tools/kelo-levels/files.h"

namespace kelo {
namespace {

using Rng = SplitMix;

using Cell = std::pair<int, int>;  // row, column

// A group of walls: its cells relative to its place.
struct Shape {
    std::vector<Cell> cells;
    int row = 0, col = 0;
};

struct Design {
    bool frame = true;
    std::vector<Shape> shapes;
    std::vector<Cell> rings;
    Cell ball{0, 0}, square{0, 0};

    int Top() const { return frame ? 2 : 1; }
    int Bottom() const { return frame ? kRows - 1 : kRows; }
    int Left() const { return frame ? 2 : 1; }
    int Right() const { return frame ? kCols - 1 : kCols; }
};

Shape Bar(int length, bool vertical) {
    Shape s;
    for (int k = 0; k < length; ++k) s.cells.push_back(vertical ? Cell{k, 0} : Cell{0, k});
    return s;
}

Shape Turned(Shape s, int quarter) {
    for (int q = 0; q < quarter; ++q) {
        for (Cell& c : s.cells) c = {c.second, -c.first};
    }
    return s;
}

// Bars, L shapes, boxes, rooms with a door or two, and corridors.
Shape RandomShape(Rng& rng) {
    Shape s;
    switch (rng.In(0, 4)) {
    case 0: {
        // One draw per statement: the order of a call's arguments is the compiler's.
        const int length = rng.In(2, 5);
        s = Bar(length, rng.In(0, 1) == 1);
        break;
    }
    case 1: {
        s = Bar(rng.In(2, 4), false);
        for (int k = 1, arm = rng.In(2, 3); k < arm; ++k) s.cells.push_back({k, 0});
        s = Turned(s, rng.In(0, 3));
        break;
    }
    case 2: {
        const int h = 2, w = rng.In(2, 3);
        for (int r = 0; r < h; ++r) {
            for (int c = 0; c < w; ++c) s.cells.push_back({r, c});
        }
        break;
    }
    case 3: {
        const int h = rng.In(3, 5), w = rng.In(4, 7);
        std::vector<Cell> outline;
        for (int c = 0; c < w; ++c) outline.push_back({0, c}), outline.push_back({h - 1, c});
        for (int r = 1; r < h - 1; ++r) outline.push_back({r, 0}), outline.push_back({r, w - 1});
        // Doors away from the corners.
        for (int d = rng.In(1, 2); d > 0; --d) {
            std::vector<std::size_t> sides;
            for (std::size_t k = 0; k < outline.size(); ++k) {
                const auto [r, c] = outline[k];
                const bool corner = (r == 0 || r == h - 1) && (c == 0 || c == w - 1);
                if (!corner) sides.push_back(k);
            }
            outline.erase(outline.begin() + static_cast<long>(sides[static_cast<std::size_t>(rng.In(0, static_cast<int>(sides.size()) - 1))]));
        }
        s.cells = outline;
        break;
    }
    default: {
        const int length = rng.In(3, 6);
        s = Bar(length, false);
        for (int c = 0; c < length; ++c) s.cells.push_back({2, c});
        s = Turned(s, rng.In(0, 1));
        break;
    }
    }
    return s;
}

Cell RandomCell(const Design& d, Rng& rng) { return {rng.In(d.Top(), d.Bottom()), rng.In(d.Left(), d.Right())}; }

void Place(Shape& s, const Design& d, Rng& rng) {
    const Cell at = RandomCell(d, rng);
    s.row = at.first, s.col = at.second;
}

// The board, or nothing when a ring or a piece sits on a wall or on another.
std::optional<Puzzle> Build(const Design& d) {
    Puzzle p;
    Board& b = p.board;
    if (d.frame) {
        for (int r = 1; r <= kRows; ++r) {
            for (int c = 1; c <= kCols; ++c) b(r, c) = (r == 1 || r == kRows || c == 1 || c == kCols) ? Wall : Empty;
        }
    }
    for (const Shape& s : d.shapes) {
        for (const auto& [dr, dc] : s.cells) {
            const int r = s.row + dr, c = s.col + dc;
            if (r >= d.Top() && r <= d.Bottom() && c >= d.Left() && c <= d.Right()) b(r, c) = Wall;
        }
    }
    auto put = [&](Cell at, std::uint8_t code) {
        if (!OnBoard(at.first, at.second) || b(at.first, at.second) != Empty) return false;
        b(at.first, at.second) = code;
        return true;
    };
    for (const Cell& r : d.rings) {
        if (!put(r, Ring)) return std::nullopt;
    }
    if (!put(d.ball, Ball) || !put(d.square, Square)) return std::nullopt;
    p.ballRow = d.ball.first, p.ballCol = d.ball.second;
    p.squareRow = d.square.first, p.squareCol = d.square.second;
    return p;
}

// Every random draw of a board gives up after this many tries: ranges that leave no room (forty
// rings among thirty shapes) end with a message rather than draw for ever.
constexpr int kMostTries = 20'000;

std::optional<Design> RandomDesign(const GenerateOptions& o, Rng& rng) {
    for (int tries = 0; tries < kMostTries; ++tries) {
        Design d;
        d.frame = !o.openBorder;
        for (int k = rng.In(o.shapes.min, o.shapes.max); k > 0; --k) {
            d.shapes.push_back(RandomShape(rng));
            Place(d.shapes.back(), d, rng);
        }
        for (int k = rng.In(o.rings.min, o.rings.max); k > 0; --k) d.rings.push_back(RandomCell(d, rng));
        d.ball = RandomCell(d, rng);
        d.square = RandomCell(d, rng);
        if (Build(d)) return d;
    }
    return std::nullopt;
}

// A designer's board as shapes: each group of touching walls is one.
std::optional<Design> DesignOf(const Puzzle& p, Rng& rng) {
    Design d;
    const Board& b = p.board;
    d.frame = true;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) {
            if ((r == 1 || r == kRows || c == 1 || c == kCols) && b(r, c) != Wall) d.frame = false;
        }
    }
    std::set<Cell> seen;
    for (int r = d.Top(); r <= d.Bottom(); ++r) {
        for (int c = d.Left(); c <= d.Right(); ++c) {
            if (b(r, c) == Ring) d.rings.push_back({r, c});
            if (b(r, c) != Wall || seen.count({r, c})) continue;
            Shape s;
            s.row = r, s.col = c;
            std::vector<Cell> stack{{r, c}};
            seen.insert({r, c});
            while (!stack.empty()) {
                const auto [y, x] = stack.back();
                stack.pop_back();
                s.cells.push_back({y - r, x - c});
                for (const Cell& n : {Cell{y - 1, x}, Cell{y + 1, x}, Cell{y, x - 1}, Cell{y, x + 1}}) {
                    if (n.first >= d.Top() && n.first <= d.Bottom() && n.second >= d.Left() && n.second <= d.Right() &&
                        b(n.first, n.second) == Wall && seen.insert(n).second)
                        stack.push_back(n);
                }
            }
            d.shapes.push_back(s);
        }
    }
    // A missing piece gets a free cell of its own.
    for (int tries = 0; tries < kMostTries; ++tries) {
        d.ball = p.ballRow ? Cell{p.ballRow, p.ballCol} : RandomCell(d, rng);
        d.square = p.squareRow ? Cell{p.squareRow, p.squareCol} : RandomCell(d, rng);
        if (Build(d)) return d;
    }
    return std::nullopt;
}

// One change: a shape moved, turned, swapped, added or taken away; a ring, the ball or the square moved;
// a ring added or taken away.
std::optional<Design> Mutate(const Design& from, const GenerateOptions& o, Rng& rng) {
    for (int tries = 0; tries < kMostTries; ++tries) {
        Design d = from;
        const int n = static_cast<int>(d.shapes.size());
        Shape* some = n ? &d.shapes[static_cast<std::size_t>(rng.In(0, n - 1))] : nullptr;
        switch (rng.In(0, 9)) {
        case 0:
            if (!some) continue;
            some->row += rng.In(-2, 2), some->col += rng.In(-2, 2);
            break;
        case 1:
            if (!some) continue;
            *some = Turned(*some, rng.In(1, 3));
            break;
        case 2:
            if (!some) continue;
            *some = RandomShape(rng);
            Place(*some, d, rng);
            break;
        case 3:
            if (n >= o.shapes.max) continue;
            d.shapes.push_back(RandomShape(rng));
            Place(d.shapes.back(), d, rng);
            break;
        case 4:
            if (n <= o.shapes.min || !some) continue;
            d.shapes.erase(d.shapes.begin() + (some - d.shapes.data()));
            break;
        case 5:
        case 6: {
            if (d.rings.empty()) continue;
            Cell& r = d.rings[static_cast<std::size_t>(rng.In(0, static_cast<int>(d.rings.size()) - 1))];
            r = rng.In(0, 1) ? RandomCell(d, rng) : Cell{r.first + rng.In(-1, 1), r.second + rng.In(-1, 1)};
            break;
        }
        case 7:
            if (o.targets.noIdleWalls && some && some->cells.size() > 2 && rng.In(0, 1)) {
                // An end of the shape goes: a wall that may be doing nothing.
                std::vector<std::size_t> ends;
                for (std::size_t k = 0; k < some->cells.size(); ++k) {
                    const auto [r, c] = some->cells[k];
                    int touching = 0;
                    for (const Cell& x : some->cells) touching += std::abs(x.first - r) + std::abs(x.second - c) == 1;
                    if (touching <= 1) ends.push_back(k);
                }
                if (ends.empty()) continue;
                some->cells.erase(some->cells.begin() + static_cast<long>(ends[static_cast<std::size_t>(rng.In(0, static_cast<int>(ends.size()) - 1))]));
                break;
            }
            d.ball = RandomCell(d, rng);
            break;
        case 8: d.square = RandomCell(d, rng); break;
        default:
            if (rng.In(0, 1) && static_cast<int>(d.rings.size()) < o.rings.max) {
                d.rings.push_back(RandomCell(d, rng));
            } else if (static_cast<int>(d.rings.size()) > std::max(1, o.rings.min)) {
                d.rings.erase(d.rings.begin() + rng.In(0, static_cast<int>(d.rings.size()) - 1));
            } else {
                continue;
            }
        }
        if (Build(d)) return d;
    }
    return std::nullopt;
}

double PenaltyBesidesIdle(const Analysis& a, const Targets& t) {
    if (a.status != Analysis::Status::Solved) return 1000;
    double p = 4.0 * t.moves.Distance(a.fewestMoves) + 4.0 * t.squareMoves.Distance(a.squareMoves);
    if (t.maxSolutions && a.shortestSolutions > t.maxSolutions)
        p += 1 + 2 * std::log2(static_cast<double>(a.shortestSolutions) / static_cast<double>(t.maxSolutions));
    if (a.WinRate() > t.maxRandomWinRate) p += 1 + 20 * (a.WinRate() - t.maxRandomWinRate);
    if (t.deadEnds == Want::Yes && a.deadStates == 0) p += 3;
    if (t.deadEnds == Want::No && a.deadStates > 0) p += 3;
    if (a.look >= 0) p += 2.0 * t.look.Distance(a.look);
    for (int kind = 0; kind < kStopKinds; ++kind) {
        if (t.force[static_cast<std::size_t>(kind)] && !a.stops[static_cast<std::size_t>(kind)].Forced()) p += 3;
    }
    if (a.twoAheadWinRate > t.maxTwoAheadWinRate) p += 1 + 20 * (a.twoAheadWinRate - t.maxTwoAheadWinRate);
    if (a.isolatedWalls > t.maxIsolatedWalls) p += a.isolatedWalls - t.maxIsolatedWalls;
    return p;
}

Candidate Evaluate(const Puzzle& p, const GenerateOptions& o, int trials) {
    // The random player's own seed, as `analyse` has it: the figures printed are those that
    // `analyse` gives for the record.
    AnalyseOptions ao;
    ao.maxStates = o.maxStates;
    ao.trials = trials;
    ao.idleWalls = o.targets.noIdleWalls;
    ao.look = o.targets.NeedsLook();
    // The search for idle walls costs a search per wall: only for an otherwise good board.
    ao.idleWallsIf = [&](const Analysis& a) { return PenaltyBesidesIdle(a, o.targets) == 0; };
    Candidate c{p, Analyse(p, ao), 0};
    c.penalty = Penalty(c.analysis, o.targets);
    return c;
}

bool Better(const Candidate& a, const Candidate& b) {
    if (a.penalty != b.penalty) return a.penalty < b.penalty;
    return a.analysis.WinRate() < b.analysis.WinRate();
}

// The best distinct boards seen, at most `size`.
struct Pool {
    std::size_t size;
    std::vector<Candidate> best;
    void Offer(const Candidate& c) {
        for (const Candidate& b : best) {
            if (b.puzzle.board == c.puzzle.board) return;
        }
        const auto at = std::upper_bound(best.begin(), best.end(), c, Better);
        if (static_cast<std::size_t>(at - best.begin()) >= size) return;
        best.insert(at, c);
        if (best.size() > size) best.resize(size);
    }
    bool Full() const {
        return best.size() == size && std::all_of(best.begin(), best.end(), [](const Candidate& c) { return c.penalty == 0; });
    }
};

constexpr int kSearchTrials = 200;  // the random player's games while climbing; 500 for the result

// Climbs side by side: two analyses at once.
constexpr unsigned kGenerateThreads = 2;

Pool Climb(const GenerateOptions& o, int restart) {
    // Each climb's stream starts at a number drawn from the seed's: seeds next to each other
    // would otherwise give the same stream one step apart.
    Rng seeds{o.seed};
    std::uint64_t start = 0;
    for (int r = 0; r <= restart; ++r) start = seeds.Next();
    Rng rng{start};
    Pool pool{static_cast<std::size_t>(o.count), {}};
    std::optional<Design> first = o.from ? DesignOf(*o.from, rng) : RandomDesign(o, rng);
    if (!first) return pool;  // no board fits: an empty pool
    Design current = *first;
    if (o.from && restart > 0) {
        // Each climb from its own first step.
        if (const auto step = Mutate(current, o, rng)) current = *step;
    }
    Candidate now = Evaluate(*Build(current), o, kSearchTrials);
    pool.Offer(now);
    for (int step = 0; step < o.steps && !pool.Full(); ++step) {
        const auto changed = Mutate(current, o, rng);
        if (!changed) break;  // no change fits any more: the climb ends here
        const Design next = *changed;
        const Candidate c = Evaluate(*Build(next), o, kSearchTrials);
        pool.Offer(c);
        // Worse boards are taken now and then, less and less often, to leave a local best.
        const double temperature = 2.0 * (1.0 - static_cast<double>(step) / o.steps) + 1e-9;
        const double worse = c.penalty - now.penalty;
        if (worse <= 0 || rng.Unit() < std::exp(-worse / temperature)) {
            current = next;
            now = c;
        }
    }
    return pool;
}

}  // namespace

double Penalty(const Analysis& a, const Targets& t) {
    double p = PenaltyBesidesIdle(a, t);
    if (t.noIdleWalls) p += 1.5 * static_cast<double>(a.idleWalls.size());
    return p;
}

std::vector<Candidate> Generate(const GenerateOptions& o) {
    std::vector<Pool> pools(static_cast<std::size_t>(o.restarts));
    std::atomic<int> next{0};
    RunSideBySide(o.restarts > 1 ? kGenerateThreads : 1, [&] {
        for (int r; (r = next++) < o.restarts;) pools[static_cast<std::size_t>(r)] = Climb(o, r);
    });
    // The best of each climb first, for boards that differ; then the runners-up.
    std::vector<Candidate> firsts, rest;
    for (const Pool& p : pools) {
        for (std::size_t k = 0; k < p.best.size(); ++k) (k == 0 ? firsts : rest).push_back(p.best[k]);
    }
    std::stable_sort(firsts.begin(), firsts.end(), Better);
    std::stable_sort(rest.begin(), rest.end(), Better);
    std::vector<Candidate> chosen;
    for (const auto* list : {&firsts, &rest}) {
        for (const Candidate& c : *list) {
            const bool seen = std::any_of(chosen.begin(), chosen.end(),
                                          [&](const Candidate& b) { return b.puzzle.board == c.puzzle.board; });
            if (!seen && static_cast<int>(chosen.size()) < o.count) chosen.push_back(c);
        }
    }
    // Analysed again in full.
    std::vector<Candidate> result;
    for (const Candidate& c : chosen) {
        AnalyseOptions ao;
        ao.maxStates = o.maxStates;
        Candidate full{c.puzzle, Analyse(c.puzzle, ao), 0};
        full.penalty = Penalty(full.analysis, o.targets);
        result.push_back(full);
    }
    std::stable_sort(result.begin(), result.end(), Better);
    return result;
}

std::uint64_t GenerateMemoryBound(std::size_t maxStates) { return kGenerateThreads * AnalyseBytes(maxStates); }

std::string RecordOf(const Board& board) {
    std::string s;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) s += static_cast<char>('0' + board(r, c));
        s += "\r\n";
    }
    return s + "\r\n";
}

std::optional<Range> ParseRange(const std::string& text, int lo, int hi) {
    auto number = [](const std::string& t, int& v) {
        if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return false;
        v = std::stoi(t);
        return true;
    };
    Range r;
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        if (!number(text, r.min)) return std::nullopt;
        r.max = r.min;
    } else {
        if (!number(text.substr(0, dash), r.min)) return std::nullopt;
        const std::string upper = text.substr(dash + 1);
        if (upper.empty()) {
            r.max = hi;
        } else if (!number(upper, r.max)) {
            return std::nullopt;
        }
    }
    if (r.min < lo || r.max > hi || r.min > r.max) return std::nullopt;
    return r;
}

int RunGenerate(GenerateOptions options, const std::string& from, int level, const std::string& output,
                std::ostream& out, std::ostream& err) {
    if (!from.empty()) {
        std::string bytes;
        if (!ReadFile(from, bytes, err)) return kLevelsError;
        const std::int64_t levels = LevelCount(static_cast<std::int64_t>(bytes.size()));
        if (level > levels) {
            err << "kelo-levels: " << from << " has " << levels << (levels == 1 ? " level" : " levels") << ", not "
                << level << "\n";
            return kLevelsError;
        }
        options.from = LevelPuzzle(bytes, level);
        if (!options.from) {
            err << "kelo-levels: level " << level << " of " << from << " cannot be loaded\n";
            return kLevelsError;
        }
    }
    // The board's free cells must hold the fewest rings asked for and the two pieces.
    const int cells = options.openBorder ? kRows * kCols : (kRows - 2) * (kCols - 2);
    if (options.rings.min + 2 > cells) {
        err << "kelo-levels: " << options.rings.min << " rings and the two pieces cannot fit in the board's " << cells
            << " free cells\n";
        return kLevelsError;
    }
    if (const auto refused = RefuseMemory(options.maxStates, GenerateMemoryBound(options.maxStates), err)) return *refused;
    const auto candidates = Generate(options);
    if (candidates.empty()) {
        err << "kelo-levels: no board could be made: " << kMostTries << " draws found no free cells for "
            << (from.empty() ? "the rings and the pieces among the walls; ask for fewer --rings or --shapes\n"
                             : "the pieces on this board\n");
        return kLevelsProblems;
    }
    std::string records;
    for (const auto& c : candidates) records += RecordOf(c.puzzle.board);
    std::ostream& report = output.empty() ? err : out;
    if (output.empty()) {
        out << records << std::flush;
    } else {
        if (const std::string error = ReplaceFile(output, records); !error.empty()) {
            err << "kelo-levels: " << error << "\n";
            return kLevelsError;
        }
    }
    bool met = false;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        const auto& c = candidates[k];
        met |= c.penalty == 0;
        report << AnalysisLine(static_cast<int>(k + 1), c.analysis) << (c.penalty == 0 ? "" : " [misses the targets]")
               << "\n";
    }
    return met ? kLevelsSound : kLevelsProblems;
}

}  // namespace kelo
