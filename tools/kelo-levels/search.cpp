#include "tools/kelo-levels/search.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>

namespace kelo {
namespace {

constexpr std::uint8_t kNoCell = 0xFF;

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 29);
}

// Up to 48 rings: the rings left, the ball's cell and the square's cell in one word, so that a
// table slot is 8 bytes. Ball and square never share a cell, so the all-zero word is free to mark
// an empty slot.
struct PackedState {
    static constexpr int kMaxRings = 48;
    std::uint64_t bits = 0;
    std::uint8_t ball() const { return static_cast<std::uint8_t>(bits >> 48); }
    std::uint8_t square() const { return static_cast<std::uint8_t>(bits >> 56); }
    void SetBall(std::uint8_t c) { bits = (bits & ~(0xFFull << 48)) | static_cast<std::uint64_t>(c) << 48; }
    void SetSquare(std::uint8_t c) { bits = (bits & ~(0xFFull << 56)) | static_cast<std::uint64_t>(c) << 56; }
    bool HasRing(int i) const { return bits >> i & 1; }
    void SetRing(int i) { bits |= 1ull << i; }
    void ClearRing(int i) { bits &= ~(1ull << i); }
    bool NoRings() const { return (bits & 0xFFFFFFFFFFFFull) == 0; }
    int RingsLeft() const { return __builtin_popcountll(bits & 0xFFFFFFFFFFFFull); }
    bool SameRings(const PackedState& o) const { return ((bits ^ o.bits) & 0xFFFFFFFFFFFFull) == 0; }
    bool Vacant() const { return bits == 0; }
    std::uint64_t Hash() const { return Mix(bits * 0x9E3779B97F4A7C15ull); }
    bool operator==(const PackedState&) const = default;
};

template <int Words>
struct WideState {
    static constexpr int kMaxRings = 64 * Words;
    std::array<std::uint64_t, Words> rings{};
    std::uint8_t ballCell = 0;
    std::uint8_t squareCell = 0;
    std::uint8_t ball() const { return ballCell; }
    std::uint8_t square() const { return squareCell; }
    void SetBall(std::uint8_t c) { ballCell = c; }
    void SetSquare(std::uint8_t c) { squareCell = c; }
    bool HasRing(int i) const { return rings[static_cast<std::size_t>(i / 64)] >> (i % 64) & 1; }
    void SetRing(int i) { rings[static_cast<std::size_t>(i / 64)] |= 1ull << (i % 64); }
    void ClearRing(int i) { rings[static_cast<std::size_t>(i / 64)] &= ~(1ull << (i % 64)); }
    bool NoRings() const {
        for (std::uint64_t w : rings) {
            if (w) return false;
        }
        return true;
    }
    int RingsLeft() const {
        int n = 0;
        for (std::uint64_t w : rings) n += __builtin_popcountll(w);
        return n;
    }
    bool SameRings(const WideState& o) const { return rings == o.rings; }
    bool Vacant() const { return ballCell == 0 && squareCell == 0; }
    std::uint64_t Hash() const {
        std::uint64_t h = static_cast<std::uint64_t>(ballCell) << 8 | squareCell;
        for (std::uint64_t w : rings) h = Mix(h ^ (w + 0x9E3779B97F4A7C15ull + (h << 6)));
        return h;
    }
    bool operator==(const WideState&) const = default;
};

// Zeroed memory for the table, in huge pages where the system offers them: the lookups are
// random, and with small pages nearly each one would also miss the address cache. A table under
// 4 MiB comes from the heap, which an analysis keeps between its searches: a mapping each would
// fault in its pages anew (level 16's idle walls: a third of its time).
template <class T>
class ZeroedTable {
public:
    ZeroedTable() = default;
    explicit ZeroedTable(std::size_t size, bool hugePages = true) : size_(size) {
        bytes_ = size * sizeof(T);
        if (bytes_ < kMapped) {
            data_ = static_cast<T*>(std::calloc(size, sizeof(T)));
            if (!data_) throw std::bad_alloc();
            return;
        }
        void* p = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        if (hugePages && bytes_ >= (2u << 20)) ::madvise(p, bytes_, MADV_HUGEPAGE);
        data_ = static_cast<T*>(p);
    }
    ZeroedTable(ZeroedTable&& o) noexcept { *this = std::move(o); }
    ZeroedTable& operator=(ZeroedTable&& o) noexcept {
        std::swap(data_, o.data_);
        std::swap(size_, o.size_);
        std::swap(bytes_, o.bytes_);
        return *this;
    }
    ~ZeroedTable() {
        if (data_ && bytes_ < kMapped) std::free(data_);
        else if (data_) ::munmap(data_, bytes_);
    }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    static constexpr std::size_t kMapped = 4 << 20;
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t bytes_ = 0;
};

// The cell one step from `cell` in each direction, or -1 off the board.
struct Neighbours {
    std::array<std::array<std::int16_t, kCells>, 4> next{};
    Neighbours() {
        for (int i = 0; i < kCells; ++i) {
            const int row = i / kCols + 1, col = i % kCols + 1;
            for (Direction d : {Direction::Left, Direction::Up, Direction::Right, Direction::Down}) {
                const int r = row + RowStep(d), c = col + ColStep(d);
                next[static_cast<int>(d)][i] = static_cast<std::int16_t>(OnBoard(r, c) ? Board::Index(r, c) : -1);
            }
        }
    }
};
const Neighbours kNeighbours;

// The states a batch may add before the limit is looked at.
constexpr std::size_t kBatch = 16;
constexpr std::size_t kBatchStates = kBatch * 8;

// The table's slots for a search of up to `states` states: kept at most half full.
std::uint64_t TableSlots(std::uint64_t states) {
    std::uint64_t slots = 1024;
    while ((states + kBatchStates) * 2 >= slots) slots *= 2;
    return slots;
}

template <class State>
struct Node {
    State state;
    std::uint32_t parent;
    std::uint8_t move;
};

// The most a search of `states` states holds at once: its nodes, and its table while it grows
// (the old table and the new one).
template <class State>
std::uint64_t PeakBytes(std::uint64_t states) {
    return (states + kBatchStates + 1) * sizeof(Node<State>) + TableSlots(states) * sizeof(State) * 3 / 2;
}

// However many rings a level has, its search takes no more memory than the state limit takes
// on a level of up to 48 rings (and may always take kSearchFloorBytes): a wider state stops sooner.
template <class State>
std::size_t StateCap(std::size_t maxStates) {
    const std::uint64_t budget = std::max(PeakBytes<PackedState>(maxStates), kSearchFloorBytes);
    if (PeakBytes<State>(maxStates) <= budget) return maxStates;
    std::size_t lo = 1, hi = maxStates;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (PeakBytes<State>(mid) <= budget) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

template <class State>
class Search {
    template <class> friend class Explorer;

public:
    Search(const Puzzle& puzzle, const SolveOptions& options)
        : options_(options), cap_(StateCap<State>(std::max<std::size_t>(options.maxStates, 1))) {
        // What never moves: walls, the extra piece tiles that no key moves, and the floor.
        static_ = puzzle.board;
        ringIndex_.fill(-1);
        State start{};
        int rings = 0;
        for (int i = 0; i < kCells; ++i) {
            if (static_.cells()[i] == Ring) {
                ringIndex_[i] = static_cast<std::int16_t>(rings++);
                start.SetRing(ringIndex_[i]);
                static_.cells()[i] = Empty;
            }
        }
        start.SetBall(Cell(puzzle.board, puzzle.ballRow, puzzle.ballCol, Ball));
        start.SetSquare(Cell(puzzle.board, puzzle.squareRow, puzzle.squareCol, Square));
        if (start.ball() != kNoCell) static_.cells()[start.ball()] = Empty;
        if (start.square() != kNoCell) static_.cells()[start.square()] = Empty;
        start_ = start;
    }

    Solution Run() {
        Solution result;
        if (start_.NoRings()) {
            result.outcome = Outcome::Solved;  // the first key press wins
            return result;
        }
        ForgetRays();
        // The nodes are only added to, so their memory is taken once for the whole limit; the
        // pages that the search never reaches are never touched.
        nodes_ = ZeroedTable<Node>(cap_ + kBatchStates + 1, false);
        Reserve(1);
        Insert(start_, 0, 0, Slot(start_));
        struct Candidate {
            State state;
            std::uint32_t parent;
            std::uint8_t move;
            std::size_t slot;
        };
        // The moves of a batch of states first, with their table slots fetched ahead: the lookups
        // then overlap instead of each waiting for memory in turn. They are inserted in the order
        // of a plain search, so the answer is the same.
        std::array<Candidate, kBatchStates> candidates;
        for (std::size_t next = 0; next < count_;) {
            const std::size_t last = std::min(count_, next + kBatch);
            Reserve((last - next) * 8);
            std::size_t count = 0;
            for (; next < last; ++next) {
                ForEachSlide(nodes_[next].state, [&](std::uint8_t code, const State* after, int) {
                    if (!after) return;
                    Candidate& c = candidates[count++];
                    c.state = *after;
                    c.parent = static_cast<std::uint32_t>(next);
                    c.move = code;
                    c.slot = Slot(c.state);
                    __builtin_prefetch(&table_[c.slot]);
                });
            }
            for (std::size_t k = 0; k < count; ++k) {
                const Candidate& c = candidates[k];
                if (!Insert(c.state, c.parent, c.move, c.slot)) continue;
                if (c.state.NoRings()) {
                    result.outcome = Outcome::Solved;
                    result.moves = Path(static_cast<std::uint32_t>(count_ - 1));
                    result.states = count_;
                    return result;
                }
                if (count_ >= cap_) {
                    result.outcome = Outcome::Unknown;
                    result.states = count_;
                    return result;
                }
            }
        }
        result.outcome = Outcome::Unsolvable;
        result.states = count_;
        return result;
    }

    // Each key of both pieces in `state` by the game's rules, in key order, the ball's first (the
    // square's only when it may move): f(code, after, beyond), code being piece << 2 | direction,
    // `after` the state after the slide (nullptr when the key moves nothing) and `beyond` the cell
    // past the piece's last (-1: off the board), which is what stopped it. The search and the
    // state graph both make their slides here.
    template <class F>
    void ForEachSlide(const State& state, F&& f) const {
        for (int piece : {kBallPiece, kSquarePiece}) {
            const std::uint8_t cell = piece == kBallPiece ? state.ball() : state.square();
            if (cell == kNoCell || (piece == kSquarePiece && !options_.squareMayMove)) continue;
            for (int d = 0; d < 4; ++d) {
                State after;
                const bool moved = Slide(state, piece, cell, static_cast<Direction>(d), after);
                const std::uint8_t last = !moved ? cell : piece == kBallPiece ? after.ball() : after.square();
                f(static_cast<std::uint8_t>(piece << 2 | d), moved ? &after : nullptr, kNeighbours.next[d][last]);
            }
        }
    }

private:
    using Node = kelo::Node<State>;

    static std::uint8_t Cell(const Board& board, int row, int col, std::uint8_t code) {
        if (!OnBoard(row, col) || board(row, col) != code) return kNoCell;
        return static_cast<std::uint8_t>(Board::Index(row, col));
    }

    // The tile that the game's board holds at `cell` (-1: off the board) in `s`.
    std::uint8_t At(const State& s, int cell) const {
        if (cell < 0) return Wall;
        const std::uint8_t fixed = static_.cells()[static_cast<std::size_t>(cell)];
        if (fixed != Empty) return fixed;
        if (cell == s.ball()) return Ball;
        if (cell == s.square()) return Square;
        const int ring = ringIndex_[static_cast<std::size_t>(cell)];
        return ring >= 0 && s.HasRing(ring) ? std::uint8_t{Ring} : std::uint8_t{Empty};
    }

    // One key press by the game's rules: the guard on the neighbour, then the walk that collects
    // rings and stops before a cell the piece may not enter. False when the guard refuses or the
    // piece stays where it is.
    bool Slide(const State& state, int piece, std::uint8_t cell, Direction d, State& after) const {
        if (!GuardAllows(piece, At(state, kNeighbours.next[static_cast<int>(d)][cell]))) return false;
        const Ray& ray = RayFrom(static_cast<int>(d), cell);
        // Only the other piece and the rings can stop the walk before the end of its ray: the
        // ball takes the rings before the other piece, the square stops at the first of them.
        after = state;
        int reach = CellsBefore(ray, cell, d, piece == kBallPiece ? state.square() : state.ball());
        for (int k = 0; k < ray.ringCount && ray.rings[static_cast<std::size_t>(k)].at < reach; ++k) {
            const RayRing& ring = ray.rings[static_cast<std::size_t>(k)];
            if (!after.HasRing(ring.ring)) continue;
            if (piece != kBallPiece) {
                reach = ring.at;
                break;
            }
            after.ClearRing(ring.ring);
        }
        if (reach == 0) return false;
        const int at = ray.cells[static_cast<std::size_t>(reach - 1)];
        if (piece == kBallPiece) {
            after.SetBall(static_cast<std::uint8_t>(at));
        } else {
            after.SetSquare(static_cast<std::uint8_t>(at));
        }
        return true;
    }

    // From each cell in each direction, the cells up to the first that never opens (a wall, a
    // fixed piece tile or the edge), and the rings among them.
    struct RayRing {
        std::uint8_t at;  // its place along the ray
        std::int16_t ring;
    };
    struct Ray {
        std::uint8_t length;
        std::uint8_t ringCount;
        std::array<std::uint8_t, kCols> cells;  // only the first `length` are set
        std::array<RayRing, kCols> rings;  // the ray's ring cells in its order; the first `ringCount`
    };
    // How many cells of the ray from `from` lie before `cell` (all of them when it is not on the ray).
    static int CellsBefore(const Ray& ray, int from, Direction d, std::uint8_t cell) {
        if (cell == kNoCell) return ray.length;
        const int rows = Board::RowOf(cell) - Board::RowOf(from), cols = Board::ColOf(cell) - Board::ColOf(from);
        const bool across = ColStep(d) != 0;
        if ((across ? rows : cols) != 0) return ray.length;
        const int steps = across ? cols * ColStep(d) : rows * RowStep(d);
        return steps >= 1 && steps <= ray.length ? steps - 1 : ray.length;
    }
    // Each ray is traced the first time a piece slides along it: a small search meets few.
    static constexpr std::uint8_t kUntraced = 0xFF;
    void ForgetRays() {
        for (auto& rays : rays_) {
            for (Ray& ray : rays) ray.length = kUntraced;
        }
    }
    const Ray& RayFrom(int d, int from) const {
        Ray& ray = rays_[static_cast<std::size_t>(d)][static_cast<std::size_t>(from)];
        if (ray.length != kUntraced) return ray;
        // The cells that the ball passes after its own on the board of what never moves.
        const SlidePath path = TraceSlide(static_, kBallPiece, Board::RowOf(from), Board::ColOf(from), static_cast<Direction>(d));
        ray.length = 0;
        ray.ringCount = 0;
        for (int k = 1; k < path.count; ++k) {
            const std::int16_t ring = ringIndex_[path.cells[k]];
            if (ring >= 0) ray.rings[ray.ringCount++] = {ray.length, ring};
            ray.cells[ray.length++] = path.cells[k];
        }
        return ray;
    }

    // Room for `more` states, so that slots worked out before the inserts stay valid.
    void Reserve(std::size_t more) {
        while (table_.empty() || (count_ + more) * 2 >= table_.size()) Grow();
    }
    std::size_t Slot(const State& s) const { return s.Hash() & (table_.size() - 1); }

    // The table holds the states themselves, so that a lookup touches one place in memory.
    bool Insert(const State& s, std::uint32_t parent, std::uint8_t move, std::size_t slot) {
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = slot;; i = (i + 1) & mask) {
            if (table_[i].Vacant()) {
                table_[i] = s;
                nodes_[count_++] = {s, parent, move};
                return true;
            }
            if (table_[i] == s) return false;
        }
    }

    void Grow() {
        ZeroedTable<State> table(table_.empty() ? 1024 : table_.size() * 2);
        const std::size_t mask = table.size() - 1;
        for (const State& e : table_) {
            if (e.Vacant()) continue;
            std::size_t i = e.Hash() & mask;
            while (!table[i].Vacant()) i = (i + 1) & mask;
            table[i] = e;
        }
        table_ = std::move(table);
    }

    std::vector<Move> Path(std::uint32_t node) const {
        std::vector<Move> moves;
        while (node != 0) {
            const Node& n = nodes_[node];
            moves.push_back({n.move >> 2, static_cast<Direction>(n.move & 3)});
            node = n.parent;
        }
        return {moves.rbegin(), moves.rend()};
    }

    const SolveOptions& options_;
    const std::size_t cap_;
    Board static_;
    std::array<std::int16_t, kCells> ringIndex_{};
    State start_{};
    ZeroedTable<Node> nodes_;
    std::size_t count_ = 0;
    ZeroedTable<State> table_;
    mutable std::array<std::array<Ray, kCells>, 4> rays_;
};

// A search or an exploration of the level with the narrowest state that holds its rings.
template <template <class> class Runner>
auto RunNarrowest(const Puzzle& puzzle, const SolveOptions& options) {
    int rings = 0;
    for (std::uint8_t c : puzzle.board.cells()) rings += c == Ring;
    if (rings <= PackedState::kMaxRings) return Runner<PackedState>(puzzle, options).Run();
    if (rings <= WideState<1>::kMaxRings) return Runner<WideState<1>>(puzzle, options).Run();
    return Runner<WideState<3>>(puzzle, options).Run();
}

}  // namespace

Solution Solve(const Puzzle& puzzle, const SolveOptions& options) { return RunNarrowest<Search>(puzzle, options); }

std::uint64_t SearchBytes(std::size_t maxStates) { return std::max(PeakBytes<PackedState>(maxStates), kSearchFloorBytes); }

const char* StopName(Stop stop) {
    switch (stop) {
    case Stop::SquareStopsBall: return "square stops ball";
    case Stop::RingStopsSquare: return "ring stops square";
    case Stop::BallStopsSquare: return "ball stops square";
    case Stop::Edge: return "edge";
    case Stop::Wall: return "wall";
    }
    return "";
}

std::string MoveName(const Move& move) {
    static const char* directions[] = {"left", "up", "right", "down"};
    return std::string(move.piece == kBallPiece ? "ball " : "square ") + directions[static_cast<int>(move.direction)];
}

namespace {

// The whole graph of a level for its analysis, with the search's own state and slide.
template <class State>
class Explorer {
public:
    Explorer(const Puzzle& puzzle, const SolveOptions& options) : search_(puzzle, options) {}

    // Every state that play can reach, with every slide between them. A won state is not left:
    // the game goes on to the next level.
    StateGraph Run() {
        // The rays are traced as the slides meet them, from nothing, as in the search's own Run.
        search_.ForgetRays();
        // Room for the states expected at once: no table grown again and again, no list copied.
        const std::size_t expected = std::min(search_.options_.expectedStates, search_.options_.maxStates);
        states_.reserve(expected);
        graph_.nodes.reserve(expected);
        graph_.first.reserve(expected + 1);
        graph_.edges.reserve(expected * 8);
        table_ = ZeroedTable<Entry>(TableSlots(expected));
        Intern(search_.start_, Slot(search_.start_));
        struct Candidate {
            State state;
            std::uint8_t code;
            bool collects;
            Stop stop;
            std::size_t slot;
        };
        // As in the search: the slides of a batch of states first, their slots fetched ahead.
        std::array<Candidate, kStates * 8> candidates;
        std::array<std::size_t, kStates + 1> begin{};
        for (std::size_t next = 0; next < states_.size();) {
            if (states_.size() >= search_.options_.maxStates) {
                graph_.complete = false;
                break;
            }
            if (search_.options_.cancel && search_.options_.cancel->load(std::memory_order_relaxed)) {
                graph_.complete = false;
                graph_.cancelled = true;
                break;
            }
            const std::size_t last = std::min(states_.size(), next + kStates);
            while ((states_.size() + candidates.size()) * 2 >= table_.size()) Grow();
            std::size_t count = 0;
            for (std::size_t v = next; v < last; ++v) {
                begin[v - next] = count;
                const State state = states_[v];
                if (state.NoRings()) continue;  // won: the game goes on to the next level
                search_.ForEachSlide(state, [&](std::uint8_t code, const State* after, int beyond) {
                    if (beyond >= 0 && search_.static_.cells()[static_cast<std::size_t>(beyond)] == Wall)
                        graph_.wallStops[static_cast<std::size_t>(beyond)] = true;
                    if (!after) return;
                    Candidate& c = candidates[count++];
                    c.state = *after;
                    c.stop = StopAt(c.state, code >> 2, beyond);
                    c.code = code;
                    c.collects = !c.state.SameRings(state);
                    c.slot = Slot(c.state);
                    __builtin_prefetch(&table_[c.slot]);
                });
            }
            begin[last - next] = count;
            for (std::size_t v = next; v < last; ++v) {
                graph_.first.push_back(static_cast<std::uint32_t>(graph_.edges.size()));
                for (std::size_t k = begin[v - next]; k < begin[v - next + 1]; ++k) {
                    const Candidate& c = candidates[k];
                    graph_.edges.push_back({Intern(c.state, c.slot), c.code, c.collects, c.stop});
                }
            }
            next = last;
        }
        graph_.first.push_back(static_cast<std::uint32_t>(graph_.edges.size()));
        return std::move(graph_);
    }

private:
    static constexpr std::size_t kStates = 16;  // a batch

    // What stopped a piece that ended next to `beyond` (-1: off the board) in the state after its slide.
    Stop StopAt(const State& after, int piece, int beyond) const {
        if (beyond < 0) return Stop::Edge;
        if (piece == kBallPiece) return beyond == after.square() ? Stop::SquareStopsBall : Stop::Wall;
        if (beyond == after.ball()) return Stop::BallStopsSquare;
        const int ring = search_.ringIndex_[static_cast<std::size_t>(beyond)];
        return ring >= 0 && after.HasRing(ring) ? Stop::RingStopsSquare : Stop::Wall;
    }

    // A state and its node number, in a table kept at most half full.
    struct Entry {
        State state;
        std::uint32_t node;
    };

    std::size_t Slot(const State& s) const { return s.Hash() & (table_.size() - 1); }

    std::uint32_t Intern(const State& s, std::size_t slot) {
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = slot;; i = (i + 1) & mask) {
            if (table_[i].state.Vacant()) {
                table_[i] = {s, static_cast<std::uint32_t>(states_.size())};
                states_.push_back(s);
                graph_.nodes.push_back({s.ball(), s.square(), static_cast<std::uint8_t>(s.RingsLeft())});
                return table_[i].node;
            }
            if (table_[i].state == s) return table_[i].node;
        }
    }

    void Grow() {
        ZeroedTable<Entry> table(table_.empty() ? 1024 : table_.size() * 2);
        const std::size_t mask = table.size() - 1;
        for (std::size_t n = 0; n < states_.size(); ++n) {
            std::size_t i = states_[n].Hash() & mask;
            while (!table[i].state.Vacant()) i = (i + 1) & mask;
            table[i] = {states_[n], static_cast<std::uint32_t>(n)};
        }
        table_ = std::move(table);
    }

    Search<State> search_;
    StateGraph graph_;
    std::vector<State> states_;
    ZeroedTable<Entry> table_;
};

}  // namespace

StateGraph Explore(const Puzzle& puzzle, const SolveOptions& options) { return RunNarrowest<Explorer>(puzzle, options); }

}  // namespace kelo
