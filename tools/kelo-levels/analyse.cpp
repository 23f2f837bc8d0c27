#include "tools/kelo-levels/analyse.h"

#include <malloc.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstdio>
#include <optional>
#include <sstream>

#include "game/level_reader.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/standard.h"

namespace kelo {
namespace {

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return std::min(kManySolutions, a + b); }

// The random player: from the start, a slide drawn evenly among the legal ones of both pieces,
// until the level is won or the moves run out. Each game has its own stream of numbers, and a
// batch of games goes on side by side so that their lookups in the graph overlap.
void PlayRandomly(const StateGraph& g, const AnalyseOptions& o, Analysis& a) {
    std::vector<int> winMoves;
    constexpr int kBatch = 16;
    for (int t0 = 0; t0 < o.trials; t0 += kBatch) {
        const int games = std::min(kBatch, o.trials - t0);
        std::array<SplitMix, kBatch> rng;
        std::array<std::uint32_t, kBatch> at{};
        std::array<bool, kBatch> playing{};
        for (int k = 0; k < games; ++k) {
            rng[k].state = o.seed * 0x100000001B3ull + static_cast<std::uint64_t>(t0 + k);
            playing[k] = true;
        }
        int left = games;
        for (int m = 0; m <= o.trialMoves && left > 0; ++m) {
            for (int k = 0; k < games; ++k) {
                if (!playing[k]) continue;
                if (g.nodes[at[k]].ringsLeft == 0) {
                    winMoves.push_back(m);
                    playing[k] = false, --left;
                    continue;
                }
                const std::uint32_t first = g.first[at[k]], count = g.first[at[k] + 1] - first;
                if (count == 0 || m == o.trialMoves) {
                    playing[k] = false, --left;
                    continue;
                }
                at[k] = g.edges[first + rng[k].Below(count)].to;
                __builtin_prefetch(&g.first[at[k]]);
                __builtin_prefetch(&g.nodes[at[k]]);
            }
        }
    }
    a.trials = o.trials;
    a.wins = static_cast<int>(winMoves.size());
    if (!winMoves.empty()) {
        std::nth_element(winMoves.begin(), winMoves.begin() + static_cast<long>(winMoves.size() / 2), winMoves.end());
        a.medianWinMoves = winMoves[winMoves.size() / 2];
    }
}

// The fewest slides from each of the `first.size() - 1` states to a goal, found backwards from
// `goals`, whose own counts `toGoal` already holds (-1 elsewhere, and where no goal can be
// reached), along the slides first[v] to first[v + 1] - 1 reversed; target(e) is a slide's state,
// or kNoState for one not to follow.
constexpr std::uint32_t kNoState = UINT32_MAX;
template <class Target>
void SlidesBack(const std::vector<std::uint32_t>& first, Target target, std::vector<std::uint32_t> goals,
                std::vector<int>& toGoal) {
    const std::size_t n = first.size() - 1;
    std::vector<std::uint32_t> intoFirst(n + 1, 0);
    for (std::uint32_t e = 0; e < first[n]; ++e) {
        if (target(e) != kNoState) ++intoFirst[target(e) + 1];
    }
    for (std::size_t v = 0; v < n; ++v) intoFirst[v + 1] += intoFirst[v];
    std::vector<std::uint32_t> into(intoFirst[n]), fill(intoFirst.begin(), intoFirst.end() - 1);
    for (std::uint32_t v = 0; v < n; ++v) {
        for (std::uint32_t e = first[v]; e < first[v + 1]; ++e) {
            if (target(e) != kNoState) into[fill[target(e)]++] = v;
        }
    }
    for (std::size_t k = 0; k < goals.size(); ++k) {
        const std::uint32_t v = goals[k];
        for (std::uint32_t i = intoFirst[v]; i < intoFirst[v + 1]; ++i) {
            if (toGoal[into[i]] >= 0) continue;
            toGoal[into[i]] = toGoal[v] + 1;
            goals.push_back(into[i]);
        }
    }
}

// The breadth-first figures of a state graph: each state's depth (-1: never reached) in the
// order met, the states that can still be won and how far each is
// from a win, the par (-1: unsolvable) and the number of shortest solutions.
struct Walk {
    std::vector<int> depth;
    std::vector<std::uint32_t> order;
    std::vector<char> alive;
    std::vector<int> toWin;  // -1: dead
    int best = -1;
    std::uint64_t shortest = 0;

    explicit Walk(const StateGraph& g) {
        const std::size_t n = g.nodes.size();
        depth.assign(n, -1);
        order.push_back(0);
        depth[0] = 0;
        for (std::size_t k = 0; k < order.size(); ++k) {
            const std::uint32_t v = order[k];
            for (std::uint32_t e = g.first[v]; e < g.first[v + 1]; ++e) {
                const std::uint32_t to = g.edges[e].to;
                if (depth[to] < 0) {
                    depth[to] = depth[v] + 1;
                    order.push_back(to);
                }
            }
        }
        // Backwards from the won states.
        toWin.assign(n, -1);
        std::vector<std::uint32_t> won;
        for (std::uint32_t v = 0; v < n; ++v) {
            if (g.nodes[v].ringsLeft != 0) continue;
            toWin[v] = 0;
            won.push_back(v);
            if (best < 0 || depth[v] < best) best = depth[v];
        }
        SlidesBack(g.first, [&](std::uint32_t e) { return g.edges[e].to; }, std::move(won), toWin);
        alive.resize(n);
        for (std::size_t v = 0; v < n; ++v) alive[v] = toWin[v] >= 0;
        if (best < 0) return;
        std::vector<std::uint64_t> paths(n, 0);
        paths[0] = 1;
        for (const std::uint32_t v : order) {
            if (depth[v] >= best) break;
            for (std::uint32_t e = g.first[v]; e < g.first[v + 1]; ++e) {
                const std::uint32_t to = g.edges[e].to;
                if (depth[to] == depth[v] + 1) paths[to] = SaturatingAdd(paths[to], paths[v]);
            }
        }
        for (std::uint32_t v = 0; v < n; ++v) {
            if (g.nodes[v].ringsLeft == 0 && depth[v] == best) shortest = SaturatingAdd(shortest, paths[v]);
        }
    }
    std::size_t DeadStates() const { return static_cast<std::size_t>(std::count(alive.begin(), alive.end(), 0)); }
};

std::string Percent(double share) {
    char s[16];
    std::snprintf(s, sizeof s, "%.1f%%", 100 * share);
    return s;
}

// The fewest moves when no slide may end against `banned`; -1 when the level cannot be won so.
int ParAvoiding(const StateGraph& g, Stop banned) {
    std::vector<int> depth(g.nodes.size(), -1);
    std::vector<std::uint32_t> order{0};
    depth[0] = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::uint32_t v = order[k];
        if (g.nodes[v].ringsLeft == 0) return depth[v];
        for (std::uint32_t e = g.first[v]; e < g.first[v + 1]; ++e) {
            const auto& edge = g.edges[e];
            if (edge.stop == banned || depth[edge.to] >= 0) continue;
            depth[edge.to] = depth[v] + 1;
            order.push_back(edge.to);
        }
    }
    return -1;
}

// The player that looks k slides ahead: in each state it takes a slide that begins a sequence of
// at most k slides of the greatest worth, ties broken evenly. A ring taken j slides ahead is worth
// 128 - j; a sequence that wins at slide j is worth more than any that does not, less for later.
class AheadPlayer {
public:
    AheadPlayer(const StateGraph& g, int k) : g_(g), k_(k), memo_(static_cast<std::size_t>(k - 1) * g.nodes.size(), kUnknown) {}

    // The chance that it wins within `moves` slides from the start. With `enough`, it stops as
    // soon as the chance is known to be at least that or below it (the figure is then a bound).
    // Mass that can no longer win in the slides left is let go: it only ever flows to states that
    // cannot either, so the rest is summed in the same order as in the whole play, to the same bits.
    double WinRate(int moves, double enough, const std::atomic<bool>* cancel) {
        const Chain chain = ChainOfPlay();
        if (chain.toWin[0] < 0 || chain.toWin[0] > moves) return 0;
        const std::size_t n = chain.toWin.size();
        std::vector<double> mass(n, 0), next(n, 0);
        // Each state once at most in a move's list, in the order it first gets mass: a share is
        // never 0, as a state has 8 slides at most and 8 to the power of the moves fits a double.
        static_assert(3 * kLookGameMoves < 1074);
        // One more than the states: a state is written past the list's end before it is known to be new.
        std::vector<std::uint32_t> live(n + 1), nextLive(n + 1);
        std::size_t liveCount = 1;
        mass[0] = 1;
        double won = 0;
        for (int m = 0; m < moves && liveCount > 0; ++m) {
            if (cancel && cancel->load(std::memory_order_relaxed)) return won;
            const int left = moves - m - 1;  // slides left after this one
            // While more slides are left than any win takes, no choice needs the count.
            const int farthest = left >= chain.farthest ? INT_MAX : left;
            std::size_t nextCount = 0;
            double hopeful = 0;  // the mass that can still win
            for (std::size_t i = 0; i < liveCount; ++i) {
                const std::uint32_t v = live[i];
                const double p = mass[v];
                mass[v] = 0;
                const double share = p / static_cast<double>(chain.choices[v]);
                for (int w = 0; w < chain.wins[v]; ++w) won += share;
                // Most of the time goes here: no branch on whether a state is new to the list, and
                // the mass that may still win summed once a state rather than once a slide.
                int kept = 0;
                for (std::uint32_t c = chain.first[v]; c < chain.first[v + 1]; ++c) {
                    const std::uint32_t to = chain.to[c];
                    if (farthest != INT_MAX && chain.toWin[to] > farthest) continue;
                    double& x = next[to];
                    nextLive[nextCount] = to;
                    nextCount += x == 0;
                    x += share;
                    ++kept;
                }
                hopeful += share * kept;
            }
            liveCount = nextCount;
            std::swap(mass, next);
            std::swap(live, nextLive);
            // The margin keeps rounding from stopping a chance that comes to `enough` exactly.
            if (enough > 0 && (won >= enough || won + hopeful < enough - 1e-9)) break;
        }
        return won;
    }

private:
    static constexpr std::int32_t kUnknown = -1;
    static constexpr std::int32_t kWin = 1'000'000'000;

    std::int32_t Gain(std::uint32_t from, const StateGraph::Edge& e, int j) const {
        const int left = g_.nodes[e.to].ringsLeft;
        if (left == 0) return kWin - j;
        return (g_.nodes[from].ringsLeft - left) * (128 - j);
    }

    // The greatest worth of at most m more slides from v, the first of them slide k - m + 1.
    std::int32_t Tail(std::uint32_t v, int m) {
        if (m == 0 || g_.first[v] == g_.first[v + 1]) return 0;
        std::int32_t& memo = memo_[static_cast<std::size_t>(m - 1) * g_.nodes.size() + v];
        if (memo != kUnknown) return memo;
        const int j = k_ - m + 1;
        std::int32_t best = 0;
        for (std::uint32_t e = g_.first[v]; e < g_.first[v + 1]; ++e) {
            const auto& edge = g_.edges[e];
            const std::int32_t gain = Gain(v, edge, j);
            best = std::max(best, gain >= kWin - kLookOver ? gain : gain + Tail(edge.to, m - 1));
        }
        return memo = best;
    }

    // Its play over the states it can reach, numbered in the order met from the start (0), in
    // arrays as dense as the states: its games visit them a few hundred times over.
    struct Chain {
        static constexpr std::uint32_t kWon = kNoState;
        std::vector<std::uint32_t> first;   // state i's choices that can still win: to[first[i]] to to[first[i + 1] - 1]
        std::vector<std::uint32_t> to;      // in the order of its slides; kWon (a won state) until counted in wins
        std::vector<std::uint8_t> wins;     // state i's choices that win
        std::vector<std::uint8_t> choices;  // the choices it draws from, those that cannot win too
        std::vector<int> toWin;             // the fewest slides of its choices to a win; -1: none
        int farthest = 0;                   // the most of those
    };

    Chain ChainOfPlay() {
        const std::size_t n = g_.nodes.size();
        std::vector<std::uint32_t> number(n, UINT32_MAX), reached{0};
        number[0] = 0;
        for (std::size_t k = 0; k < reached.size(); ++k) {
            const auto [first, last] = Choices(reached[k]);
            for (std::uint32_t c = first; c < last; ++c) {
                const std::uint32_t to = choices_[c];
                if (g_.nodes[to].ringsLeft == 0 || number[to] != UINT32_MAX) continue;
                number[to] = static_cast<std::uint32_t>(reached.size());
                reached.push_back(to);
            }
        }
        Chain chain;
        const std::size_t r = reached.size();
        chain.first.reserve(r + 1);
        chain.choices.reserve(r);
        for (const std::uint32_t v : reached) {
            const auto [first, last] = Choices(v);
            chain.first.push_back(static_cast<std::uint32_t>(chain.to.size()));
            chain.choices.push_back(static_cast<std::uint8_t>(last - first));
            for (std::uint32_t c = first; c < last; ++c)
                chain.to.push_back(g_.nodes[choices_[c]].ringsLeft == 0 ? Chain::kWon : number[choices_[c]]);
        }
        chain.first.push_back(static_cast<std::uint32_t>(chain.to.size()));
        // Backwards from the states one slide from a win.
        chain.toWin.assign(r, -1);
        std::vector<std::uint32_t> oneFromWin;
        for (std::uint32_t v = 0; v < r; ++v) {
            if (std::find(chain.to.begin() + chain.first[v], chain.to.begin() + chain.first[v + 1], Chain::kWon) ==
                chain.to.begin() + chain.first[v + 1])
                continue;
            chain.toWin[v] = 1;
            oneFromWin.push_back(v);
        }
        SlidesBack(chain.first, [&](std::uint32_t c) { return chain.to[c]; }, std::move(oneFromWin), chain.toWin);
        for (const int t : chain.toWin) chain.farthest = std::max(chain.farthest, t);
        // Only the choices that may still win are followed: of those that cannot, only the count
        // in choices stays; of those that win, only their own count.
        std::size_t kept = 0;
        chain.wins.assign(r, 0);
        for (std::size_t i = 0; i < r; ++i) {
            const std::uint32_t begin = chain.first[i];
            chain.first[i] = static_cast<std::uint32_t>(kept);
            for (std::uint32_t c = begin; c < chain.first[i + 1]; ++c) {
                const std::uint32_t to = chain.to[c];
                if (to == Chain::kWon) ++chain.wins[i];
                else if (chain.toWin[to] >= 0) chain.to[kept++] = to;
            }
        }
        chain.first[r] = static_cast<std::uint32_t>(kept);
        chain.to.resize(kept);
        return chain;
    }

    // The slides it may take from v, as a range of choices_.
    std::pair<std::uint32_t, std::uint32_t> Choices(std::uint32_t v) {
        if (choiceFirst_.empty()) {
            choiceFirst_.assign(g_.nodes.size(), kNoChoice);
            choiceCount_.assign(g_.nodes.size(), 0);
        }
        if (choiceFirst_[v] != kNoChoice) return {choiceFirst_[v], choiceFirst_[v] + choiceCount_[v]};
        std::int32_t best = -1;
        const std::uint32_t first = static_cast<std::uint32_t>(choices_.size());
        for (std::uint32_t e = g_.first[v]; e < g_.first[v + 1]; ++e) {
            const auto& edge = g_.edges[e];
            const std::int32_t gain = Gain(v, edge, 1);
            const std::int32_t worth = gain >= kWin - kLookOver ? gain : gain + Tail(edge.to, k_ - 1);
            if (worth > best) {
                best = worth;
                choices_.resize(first);
            }
            if (worth == best) choices_.push_back(edge.to);
        }
        choiceFirst_[v] = first;
        choiceCount_[v] = static_cast<std::uint8_t>(choices_.size() - first);
        return {first, static_cast<std::uint32_t>(choices_.size())};
    }

    static constexpr std::uint32_t kNoChoice = UINT32_MAX;
    const StateGraph& g_;
    const int k_;
    std::vector<std::int32_t> memo_;
    std::vector<std::uint32_t> choiceFirst_;
    std::vector<std::uint8_t> choiceCount_;
    std::vector<std::uint32_t> choices_;
};

// What a wall must leave as it is to be idle: whether and in how many slides the level is won,
// in how many ways, its dead-end share as printed, the stops it forces.
struct Judgement {
    int par;
    std::uint64_t shortest;
    std::string deadShare;
    std::array<bool, kStopKinds> forced;
    bool operator==(const Judgement&) const = default;
};

Judgement Judge(const StateGraph& g, const Walk& walk) {
    Judgement j{walk.best, walk.shortest, Percent(static_cast<double>(walk.DeadStates()) / static_cast<double>(g.nodes.size())), {}};
    for (int kind = 0; kind < kStopKinds; ++kind)
        j.forced[static_cast<std::size_t>(kind)] = walk.best >= 0 && ParAvoiding(g, static_cast<Stop>(kind)) < 0;
    return j;
}

// The wall shapes, each as its cells (row, column): the walls off the outer ring joined side by
// side, through buried walls too (the sides and the end of a shaft are one mass), each shape
// holding at least one interior wall.
std::vector<std::vector<std::pair<int, int>>> WallShapes(const Board& board) {
    std::vector<std::vector<std::pair<int, int>>> shapes;
    std::array<bool, kCells> seen{};
    auto inside = [&](int r, int c) { return r >= 2 && r < kRows && c >= 2 && c < kCols && board(r, c) == Wall; };
    for (int r = 2; r < kRows; ++r) {
        for (int c = 2; c < kCols; ++c) {
            if (!IsInteriorWall(board, r, c) || seen[static_cast<std::size_t>(Board::Index(r, c))]) continue;
            auto& shape = shapes.emplace_back();
            shape.emplace_back(r, c);
            seen[static_cast<std::size_t>(Board::Index(r, c))] = true;
            for (std::size_t k = 0; k < shape.size(); ++k) {
                const auto [y, x] = shape[k];
                for (const auto& [dy, dx] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                    const int ny = y + dy, nx = x + dx;
                    if (!inside(ny, nx) || seen[static_cast<std::size_t>(Board::Index(ny, nx))]) continue;
                    seen[static_cast<std::size_t>(Board::Index(ny, nx))] = true;
                    shape.emplace_back(ny, nx);
                }
            }
            std::sort(shape.begin(), shape.end());
        }
    }
    return shapes;
}

using Cells = std::vector<std::pair<int, int>>;

// Whether the level without `walls` is judged as `base`; nothing when its graph passed the limit.
std::optional<bool> IdleWithout(const Puzzle& p, const StateGraph& g, const Judgement& base, const Cells& walls,
                                const SolveOptions& so) {
    // Walls that stop no slide of play leave every slide as it is.
    const bool stopSome = std::any_of(walls.begin(), walls.end(), [&](const auto& w) {
        return g.wallStops[static_cast<std::size_t>(Board::Index(w.first, w.second))];
    });
    if (!stopSome) return true;
    Puzzle without = p;
    for (const auto& [r, c] : walls) without.board(r, c) = Empty;
    // The solver's par first, in a fraction of the whole graph's time: a change of par or of
    // solvability is enough to keep the walls.
    const Solution quick = Solve(without, so);
    if (quick.outcome == Outcome::Unsolvable ||
        (quick.outcome == Outcome::Solved && static_cast<int>(quick.moves.size()) != base.par))
        return false;
    const StateGraph h = Explore(without, so);
    if (!h.complete) return std::nullopt;
    return Judge(h, Walk(h)) == base;
}

// The search for idle walls as tasks that may run side by side: one per interior wall, one per
// shape of several walls. Side by side, each graph stops at half the state limit, so that two
// take no more memory than one; a wall that reaches it is judged again alone at the whole limit.
class IdleWallSearch {
public:
    IdleWallSearch(const Puzzle& p, const StateGraph& g, const Walk& walk, const AnalyseOptions& o, bool sideBySide)
        : p_(p), g_(g), base_(Judge(g, walk)), shapes_(WallShapes(p.board)) {
        whole_.maxStates = o.maxStates;
        whole_.cancel = o.cancel;
        // A level without a wall or two is much the same size.
        whole_.expectedStates = g.nodes.size() + g.nodes.size() / 8;
        part_ = whole_;
        if (sideBySide && o.maxStates > 1) part_.maxStates = o.maxStates / 2;
        for (int r = 2; r < kRows; ++r) {
            for (int c = 2; c < kCols; ++c) {
                if (IsInteriorWall(p.board, r, c)) tried_.push_back({{r, c}});
            }
        }
        walls_ = tried_.size();
        // A shape of one wall is judged as that wall was.
        for (const Cells& shape : shapes_) {
            if (shape.size() > 1) tried_.push_back(shape);
        }
        idle_.resize(tried_.size());
    }
    std::size_t Tasks() const { return tried_.size(); }
    void Run(std::size_t t) { idle_[t] = IdleWithout(p_, g_, base_, tried_[t], part_); }

    void Finish(Analysis& a) {
        for (std::size_t t = 0; t < tried_.size(); ++t) {
            const bool cancelled = whole_.cancel && whole_.cancel->load(std::memory_order_relaxed);
            if (!idle_[t] && part_.maxStates != whole_.maxStates && !cancelled)
                idle_[t] = IdleWithout(p_, g_, base_, tried_[t], whole_);
            a.reachedLimit |= !idle_[t];
            if (t < walls_ && idle_[t].value_or(false)) a.idleWalls.push_back(tried_[t][0]);
        }
        for (std::size_t s = 0, t = walls_; s < shapes_.size(); ++s) {
            const bool idle = shapes_[s].size() == 1
                                  ? std::find(a.idleWalls.begin(), a.idleWalls.end(), shapes_[s][0]) != a.idleWalls.end()
                                  : idle_[t++].value_or(false);
            if (idle) a.idleShapes.push_back(std::move(shapes_[s]));
        }
    }

private:
    const Puzzle& p_;
    const StateGraph& g_;
    const Judgement base_;
    std::vector<Cells> shapes_;
    std::vector<Cells> tried_;  // the walls one by one, then the shapes of several
    std::size_t walls_ = 0;
    std::vector<std::optional<bool>> idle_;
    SolveOptions whole_, part_;
};

// The look and the two-ahead player's win rate as three tasks: the 1-ahead player, the 2-ahead
// one, then the others from 3 on until one wins half its games. Side by side, the third may go
// on while the first two are still playing; alone, it is not played when one of them wins half.
class LookSearch {
public:
    LookSearch(const StateGraph& g, const std::atomic<bool>* cancel) : g_(g), cancel_(cancel) {}
    static constexpr std::size_t kTasks = 3;
    void Run(std::size_t t) {
        if (Cancelled()) return;
        if (t == 0) {
            rate1_ = AheadPlayer(g_, 1).WinRate(kLookGameMoves, 0.5, cancel_);
            halfWon_ = halfWon_ || rate1_ >= 0.5;
        } else if (t == 1) {
            rate2_ = AheadPlayer(g_, 2).WinRate(kLookGameMoves, 0, cancel_);
            halfWon_ = halfWon_ || rate2_ >= 0.5;
        } else {
            for (int k = 3; k <= kMaxLook && !halfWon_ && !Cancelled(); ++k) {
                if (AheadPlayer(g_, k).WinRate(kLookGameMoves, 0.5, cancel_) >= 0.5) {
                    farther_ = k;
                    break;
                }
            }
        }
    }
    void Finish(Analysis& a) const {
        a.look = rate1_ >= 0.5 ? 1 : rate2_ >= 0.5 ? 2 : farther_;
        a.twoAheadWinRate = rate2_;
    }

private:
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
    const StateGraph& g_;
    const std::atomic<bool>* cancel_;
    double rate1_ = 0, rate2_ = -1;
    int farther_ = kLookOver;
    std::atomic<bool> halfWon_{false};
};

std::string Verdict(const Analysis& a) {
    switch (a.status) {
    case Analysis::Status::NotLoadable: return "not loadable";
    case Analysis::Status::TooBig: return "too big to analyse";
    case Analysis::Status::Cancelled: return "cancelled";
    case Analysis::Status::Unsolvable: return "unsolvable";
    case Analysis::Status::Solved: break;
    }
    std::string v;
    auto add = [&](const char* s) { v += (v.empty() ? "" : ", ") + std::string(s); };
    if (a.WinRate() > kMashableRate) add("mashable");
    if (a.deadStates == 0) add("no way to fail");
    if (!a.idleShapes.empty()) add("idle walls");
    return v.empty() ? "good" : v;
}

}  // namespace

bool IsInteriorWall(const Board& board, int row, int col) {
    if (row < 2 || row >= kRows || col < 2 || col >= kCols || board(row, col) != Wall) return false;
    return board(row - 1, col) != Wall || board(row + 1, col) != Wall || board(row, col - 1) != Wall ||
           board(row, col + 1) != Wall;
}

namespace {

// The interior walls' shapes, and those that stand alone.
void MeasureWalls(const Board& board, Analysis& a) {
    for (int r = 2; r < kRows; ++r) {
        for (int c = 2; c < kCols; ++c) {
            a.isolatedWalls += IsInteriorWall(board, r, c) && board.At(r - 1, c) != Wall && board.At(r + 1, c) != Wall &&
                               board.At(r, c - 1) != Wall && board.At(r, c + 1) != Wall;
        }
    }
    a.wallShapes = static_cast<int>(WallShapes(board).size());
}

}  // namespace

Analysis Analyse(const Puzzle& p, const AnalyseOptions& o) {
    Analysis a;
    for (int r = 2; r < kRows; ++r) {
        for (int c = 2; c < kCols; ++c) a.interiorWalls += IsInteriorWall(p.board, r, c);
    }
    MeasureWalls(p.board, a);
    SolveOptions so;
    so.maxStates = o.maxStates;
    so.cancel = o.cancel;
    const StateGraph g = Explore(p, so);
    a.states = g.nodes.size();
    if (g.cancelled) {
        a.status = Analysis::Status::Cancelled;
        a.verdict = Verdict(a);
        return a;
    }
    if (!g.complete) {
        a.states = o.maxStates;
        a.status = Analysis::Status::TooBig;
        a.verdict = Verdict(a);
        return a;
    }
    const std::size_t n = g.nodes.size();
    const Walk walk(g);
    const auto& depth = walk.depth;
    const auto& alive = walk.alive;
    const auto& toWin = walk.toWin;
    const int best = walk.best < 0 ? INT_MAX : walk.best;
    a.deadStates = walk.DeadStates();
    std::array<bool, kCells> reached{};
    for (const auto& node : g.nodes) {
        if (node.ball != 0xFF) reached[node.ball] = true;
        if (node.square != 0xFF) reached[node.square] = true;
    }
    a.reachableFloor = static_cast<int>(std::count(reached.begin(), reached.end(), true));
    for (std::uint32_t e = g.first[0]; e < g.first[1]; ++e) {
        if (!alive[g.edges[e].to]) a.losingFirstMoves.push_back(g.edges[e].move());
    }
    PlayRandomly(g, o, a);
    if (best == INT_MAX) {
        a.status = Analysis::Status::Unsolvable;
        a.verdict = Verdict(a);
        return a;
    }
    a.status = Analysis::Status::Solved;
    a.fewestMoves = best;

    // Over the shortest paths only: the one with the fewest square slides, then the fewest
    // slides that pick up nothing.
    struct Best {
        int square = INT_MAX, idle = INT_MAX;
        std::uint32_t edge = 0, from = 0;
    };
    a.shortestSolutions = walk.shortest;
    std::vector<Best> via(n);
    via[0].square = via[0].idle = 0;
    for (const std::uint32_t v : walk.order) {
        if (depth[v] >= best) break;
        for (std::uint32_t e = g.first[v]; e < g.first[v + 1]; ++e) {
            const auto& edge = g.edges[e];
            if (depth[edge.to] != depth[v] + 1) continue;
            const int square = via[v].square + (edge.move().piece == kSquarePiece);
            const int idle = via[v].idle + !edge.collects;
            Best& b = via[edge.to];
            if (square < b.square || (square == b.square && idle < b.idle)) b = {square, idle, e, v};
        }
    }
    std::uint32_t end = 0;
    bool found = false;
    for (std::uint32_t v = 0; v < n; ++v) {
        if (g.nodes[v].ringsLeft != 0 || depth[v] != best) continue;
        if (!found || via[v].square < via[end].square ||
            (via[v].square == via[end].square && via[v].idle < via[end].idle)) {
            end = v;
            found = true;
        }
    }
    a.squareMoves = via[end].square;
    a.idleMoves = via[end].idle;
    for (std::uint32_t v = end; v != 0; v = via[v].from) {
        const auto& edge = g.edges[via[v].edge];
        const auto& from = g.nodes[via[v].from];
        const auto& to = g.nodes[v];
        const bool ball = edge.move().piece == kBallPiece;
        const int fromCell = ball ? from.ball : from.square, toCell = ball ? to.ball : to.square;
        a.solution.push_back({edge.move(), fromCell / kCols + 1, fromCell % kCols + 1, toCell / kCols + 1,
                              toCell % kCols + 1, edge.collects});
    }
    std::reverse(a.solution.begin(), a.solution.end());

    // Along the shortest solutions: the stops they end against, and the slides that can lose.
    for (std::uint32_t v = 0; v < n; ++v) {
        if (depth[v] < 0 || toWin[v] < 0 || depth[v] + toWin[v] != best) continue;
        for (std::uint32_t e = g.first[v]; e < g.first[v + 1]; ++e) {
            const auto& edge = g.edges[e];
            if (!alive[edge.to]) a.lateTrap = std::max(a.lateTrap, depth[v] + 1);
            if (toWin[edge.to] >= 0 && depth[v] + 1 + toWin[edge.to] == best && edge.stop != Stop::Wall)
                a.stops[static_cast<std::size_t>(edge.stop)].used = true;
        }
    }
    for (int kind = 0; kind < kStopKinds; ++kind) {
        StopUse& use = a.stops[static_cast<std::size_t>(kind)];
        use.parWithout = ParAvoiding(g, static_cast<Stop>(kind));
        use.always = use.parWithout != best;
    }
    // The look and the idle walls read the graph only: they share the threads as tasks, the
    // look's first (its 1-ahead player is the longest), each writing its own figures.
    const bool sideBySide = o.threads > 1;
    std::optional<IdleWallSearch> walls;
    if (o.idleWalls && (!o.idleWallsIf || o.idleWallsIf(a))) walls.emplace(p, g, walk, o, sideBySide);
    std::optional<LookSearch> look;
    if (o.look) look.emplace(g, o.cancel);
    const std::size_t lookTasks = look ? LookSearch::kTasks : 0, tasks = lookTasks + (walls ? walls->Tasks() : 0);
    std::atomic<std::size_t> next{0};
    RunSideBySide(sideBySide ? o.threads : 1, [&] {
        for (std::size_t t; (t = next++) < tasks;) {
            if (t < lookTasks) look->Run(t);
            else walls->Run(t - lookTasks);
        }
    });
    if (walls) walls->Finish(a);
    if (look) look->Finish(a);
    if (o.cancel && o.cancel->load(std::memory_order_relaxed)) {
        a.status = Analysis::Status::Cancelled;
        a.verdict = Verdict(a);
        return a;
    }
    a.verdict = Verdict(a);
    return a;
}

std::uint64_t AnalyseBytes(std::size_t maxStates) { return 448ull * maxStates + kSearchFloorBytes; }

// Two levels side by side at half the limit each take no more than one at the whole, but for a
// second floor.
std::uint64_t AnalyseMemoryBound(std::size_t maxStates) { return AnalyseBytes(maxStates) + kSearchFloorBytes; }

std::optional<Puzzle> LevelPuzzle(std::string_view file, int level) { return ReadLevel(MemoryBytes(file), level); }

namespace {

std::string Fixed(double x) {
    char s[16];
    std::snprintf(s, sizeof s, "%.4f", x);
    return s;
}

std::string StatusName(Analysis::Status s) {
    switch (s) {
    case Analysis::Status::Solved: return "solved";
    case Analysis::Status::Unsolvable: return "unsolvable";
    case Analysis::Status::TooBig: return "too big";
    case Analysis::Status::NotLoadable: return "not loadable";
    case Analysis::Status::Cancelled: return "cancelled";
    }
    return "";
}

const char* Bool(bool b) { return b ? "true" : "false"; }

// "ring stops square" as a JSON key: ring_stops_square.
std::string StopKey(int kind) {
    std::string key = StopName(static_cast<Stop>(kind));
    std::replace(key.begin(), key.end(), ' ', '_');
    return key;
}

// "square stops ball forced", "... in all (par 12 without)", "... in some", "... unused".
std::string StopText(const Analysis& a, int kind) {
    const StopUse& u = a.stops[static_cast<std::size_t>(kind)];
    std::string s = StopName(static_cast<Stop>(kind));
    if (u.Forced()) return s + " forced";
    if (u.always) return s + " in all (par " + std::to_string(u.parWithout) + " without)";
    return s + (u.used ? " in some" : " unused");
}

}  // namespace

std::string LookText(int look) { return look > kMaxLook ? "over " + std::to_string(kMaxLook) : std::to_string(look); }

std::string AnalysisLine(int level, const Analysis& a) {
    std::ostringstream s;
    s << "level " << level << ": ";
    if (a.status == Analysis::Status::NotLoadable) {
        s << "not loadable (the game shows level 1 instead)";
        return s.str();
    }
    if (a.status == Analysis::Status::Cancelled) {
        s << "cancelled";
        return s.str();
    }
    if (a.status == Analysis::Status::TooBig) {
        s << "more than " << a.states << " states: too big to analyse (see --max-states)";
        return s.str();
    }
    if (a.status == Analysis::Status::Solved) {
        s << a.fewestMoves << " moves, " << (a.shortestSolutions >= kManySolutions ? "very many" : std::to_string(a.shortestSolutions))
          << " shortest, ";
    } else {
        s << "unsolvable, ";
    }
    s << a.states << " states, dead ends " << Percent(a.DeadShare())
      << (a.FirstMoveCanLose() ? " (first move can lose)" : "");
    if (a.status == Analysis::Status::Solved) {
        s << ", square " << a.squareMoves << ", idle " << a.idleMoves << ", idle walls " << a.idleWalls.size() << " of "
          << a.interiorWalls;
        for (std::size_t k = 0; k < a.idleWalls.size(); ++k)
            s << (k ? " " : " (") << "r" << a.idleWalls[k].first << "c" << a.idleWalls[k].second
              << (k + 1 == a.idleWalls.size() ? ")" : "");
        s << ", idle shapes " << a.idleShapes.size() << " of " << a.wallShapes;
        s << ", " << a.isolatedWalls << " alone, " << a.wallShapes << " shapes, floor " << a.reachableFloor;
    }
    s << ", random " << Percent(a.WinRate());
    if (a.medianWinMoves >= 0) s << " (median " << a.medianWinMoves << ")";
    if (a.status == Analysis::Status::Solved) {
        s << ", stops:";
        for (int kind = 0; kind < kStopKinds; ++kind) s << (kind ? "," : "") << " " << StopText(a, kind);
        if (a.look > 0) s << ", look " << LookText(a.look) << ", two-ahead " << Percent(a.twoAheadWinRate);
        s << ", late trap " << a.lateTrap;
    }
    for (std::size_t k = 0; k < a.nearDuplicates.size(); ++k) s << (k ? " and " : ", much like level ") << a.nearDuplicates[k];
    s << "; " << a.verdict;
    return s.str();
}

std::string AnalysisJson(int level, const Analysis& a) {
    std::ostringstream s;
    s << "{\"level\": " << level << ", \"status\": \"" << StatusName(a.status) << "\", \"states\": " << a.states;
    if (a.status == Analysis::Status::Solved || a.status == Analysis::Status::Unsolvable) {
        s << ", \"moves\": " << a.fewestMoves << ", \"shortest_solutions\": " << a.shortestSolutions
          << ", \"shortest_solutions_saturated\": " << (a.shortestSolutions >= kManySolutions ? "true" : "false")
          << ", \"dead_states\": " << a.deadStates << ", \"dead_share\": " << Fixed(a.DeadShare())
          << ", \"first_move_can_lose\": " << (a.FirstMoveCanLose() ? "true" : "false")
          << ", \"square_moves\": " << a.squareMoves << ", \"idle_moves\": " << a.idleMoves << ", \"solution\": [";
        for (std::size_t k = 0; k < a.solution.size(); ++k) {
            const Step& st = a.solution[k];
            s << (k ? ", " : "") << "{\"move\": \"" << MoveName(st.move) << "\", \"from\": [" << st.fromRow << ", "
              << st.fromCol << "], \"to\": [" << st.toRow << ", " << st.toCol
              << "], \"collects\": " << (st.collects ? "true" : "false") << "}";
        }
        s << "], \"interior_walls\": " << a.interiorWalls << ", \"isolated_walls\": " << a.isolatedWalls
          << ", \"wall_shapes\": " << a.wallShapes << ", \"reachable_floor\": " << a.reachableFloor << ", \"idle_walls\": [";
        for (std::size_t k = 0; k < a.idleWalls.size(); ++k)
            s << (k ? ", " : "") << "[" << a.idleWalls[k].first << ", " << a.idleWalls[k].second << "]";
        s << "], \"idle_shapes\": [";
        for (std::size_t k = 0; k < a.idleShapes.size(); ++k) {
            s << (k ? ", " : "") << "[";
            for (std::size_t i = 0; i < a.idleShapes[k].size(); ++i)
                s << (i ? ", " : "") << "[" << a.idleShapes[k][i].first << ", " << a.idleShapes[k][i].second << "]";
            s << "]";
        }
        s << "], \"random_trials\": " << a.trials << ", \"random_wins\": " << a.wins
          << ", \"random_win_rate\": " << Fixed(a.WinRate()) << ", \"random_median_moves\": " << a.medianWinMoves;
        s << ", \"stops\": {";
        for (int kind = 0; kind < kStopKinds; ++kind) {
            const StopUse& u = a.stops[static_cast<std::size_t>(kind)];
            s << (kind ? ", " : "") << "\"" << StopKey(kind) << "\": {\"used\": " << Bool(u.used)
              << ", \"always\": " << Bool(u.always) << ", \"forced\": " << Bool(u.Forced() && a.fewestMoves >= 0)
              << ", \"par_without\": " << u.parWithout << "}";
        }
        s << "}, \"look\": " << a.look << ", \"two_ahead_win_rate\": " << Fixed(std::max(0.0, a.twoAheadWinRate))
          << ", \"late_trap\": " << a.lateTrap << ", \"near_duplicates\": [";
        for (std::size_t k = 0; k < a.nearDuplicates.size(); ++k) s << (k ? ", " : "") << a.nearDuplicates[k];
        s << "]";
    }
    s << ", \"verdict\": \"" << a.verdict << "\"}";
    return s.str();
}

void KeepAnalysisMemory() {
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

// Every thread's heap: the look-ahead's and the idle walls' run on threads of their own.
void GiveBackAnalysisMemory() { ::malloc_trim(0); }

std::vector<Analysis> AnalyseLevels(std::string_view file, const std::vector<int>& chosen, const AnalyseOptions& options) {
    // The levels are independent: two at a time, on the machine's two cores, each within half
    // the state limit, so that the two hold no more memory than one level at the whole limit. A
    // level that reaches half the limit is analysed again, alone, at the whole: the figures are
    // those of one level at a time.
    // A level alone has both cores for its idle walls and its look.
    const bool sideBySide = chosen.size() > 1 && options.maxStates > 1;
    AnalyseOptions whole = options, half = options;
    whole.threads = 2;
    half.threads = sideBySide ? 1 : 2;
    if (sideBySide) half.maxStates = options.maxStates / 2;
    std::vector<Analysis> results(chosen.size());
    auto analyse = [&](std::size_t k, const AnalyseOptions& o) {
        const auto puzzle = LevelPuzzle(file, chosen[k]);
        if (puzzle) {
            results[k] = Analyse(*puzzle, o);
            GiveBackAnalysisMemory();
        } else {
            results[k].status = Analysis::Status::NotLoadable;
            results[k].verdict = "not loadable";
        }
    };
    std::atomic<std::size_t> next{0};
    RunSideBySide(sideBySide ? 2 : 1, [&] {
        // The last levels first: they are the big ones, and the two halves then end together.
        for (std::size_t taken; (taken = next++) < chosen.size();) analyse(chosen.size() - 1 - taken, half);
    });
    for (std::size_t k = 0; k < chosen.size() && sideBySide; ++k) {
        if (results[k].status == Analysis::Status::TooBig || results[k].reachedLimit) analyse(k, whole);
    }
    return results;
}

int RunAnalyse(std::string_view file, int onlyLevel, bool json, bool standard, const AnalyseOptions& options,
               std::ostream& out, std::ostream& err) {
    const int levels = LevelCount(file.size());
    if (const auto refused = RefuseLevelChoice(levels, onlyLevel, err)) return *refused;
    std::vector<int> chosen;
    for (int level = 1; level <= levels; ++level) {
        if (onlyLevel == 0 || level == onlyLevel) chosen.push_back(level);
    }
    if (const auto refused = RefuseMemory(options.maxStates, AnalyseMemoryBound(options.maxStates), err)) return *refused;
    std::vector<Analysis> results = AnalyseLevels(file, chosen, options);
    // Near-duplicates are a matter of the whole file, whichever levels are shown.
    std::vector<std::optional<Puzzle>> all;
    for (int level = 1; level <= levels; ++level) all.push_back(LevelPuzzle(file, level));
    const std::vector<NearDuplicate> duplicates = NearDuplicates(all);
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        for (const NearDuplicate& d : duplicates) {
            if (d.first == chosen[k]) results[k].nearDuplicates.push_back(d.second);
            if (d.second == chosen[k]) results[k].nearDuplicates.push_back(d.first);
        }
    }
    if (standard) {
        int passed = 0, failed = 0;
        for (const RuleResult& r : Standard(all, results, duplicates)) {
            out << (r.pass ? "PASS  " : "FAIL  ") << r.rule << ": " << r.value << "\n";
            ++(r.pass ? passed : failed);
        }
        out << "standard: " << passed << " passed, " << failed << " failed\n";
        return failed ? kLevelsProblems : 0;
    }
    bool allSolved = true;
    if (json) out << "[\n";
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        allSolved &= results[k].status == Analysis::Status::Solved;
        if (json) {
            out << (k ? ",\n" : "") << "  " << AnalysisJson(chosen[k], results[k]);
        } else {
            out << AnalysisLine(chosen[k], results[k]) << "\n";
        }
    }
    if (json) out << "\n]\n";
    return allSolved ? 0 : kLevelsProblems;
}

}  // namespace kelo
