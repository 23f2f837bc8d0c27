#include "tools/solver.h"

#include <array>
#include <bit>

namespace kelo {
namespace {

constexpr std::uint8_t kNoCell = 0xFF;

template <int Words>
struct State {
    std::array<std::uint64_t, Words> rings;
    std::uint8_t ball;
    std::uint8_t square;
    bool operator==(const State&) const = default;
    std::uint64_t Hash() const {
        std::uint64_t h = 0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(ball) << 8 | square);
        for (std::uint64_t w : rings) {
            h ^= w + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
            h *= 0xBF58476D1CE4E5B9ull;
        }
        return h ^ (h >> 31);
    }
    bool NoRings() const {
        for (std::uint64_t w : rings) {
            if (w) return false;
        }
        return true;
    }
};

template <int Words>
class Search {
public:
    Search(const Puzzle& puzzle, const SolveOptions& options) : options_(options) {
        // What never moves: walls, the extra piece tiles that no key moves, and the floor.
        static_ = puzzle.board;
        ringIndex_.fill(-1);
        State<Words> start{};
        for (int i = 0; i < kCells; ++i) {
            if (static_.cells()[i] == Ring) {
                ringCell_.push_back(static_cast<std::uint8_t>(i));
                ringIndex_[i] = static_cast<int>(ringCell_.size() - 1);
                start.rings[ringIndex_[i] / 64] |= 1ull << (ringIndex_[i] % 64);
                static_.cells()[i] = Empty;
            }
        }
        start.ball = Cell(puzzle.board, puzzle.ballRow, puzzle.ballCol, Ball);
        start.square = Cell(puzzle.board, puzzle.squareRow, puzzle.squareCol, Square);
        if (start.ball != kNoCell) static_.cells()[start.ball] = Empty;
        if (start.square != kNoCell) static_.cells()[start.square] = Empty;
        start_ = start;
    }

    Solution Run() {
        Solution result;
        if (start_.NoRings()) {
            result.outcome = Outcome::Solved;  // the first key press wins
            return result;
        }
        Insert(start_, 0, 0);
        for (std::size_t next = 0; next < nodes_.size(); ++next) {
            const State<Words> state = nodes_[next].state;
            Board board = Materialise(state);
            for (int piece : {kBallPiece, kSquarePiece}) {
                const std::uint8_t cell = piece == kBallPiece ? state.ball : state.square;
                if (cell == kNoCell) continue;
                if (piece == kSquarePiece && !options_.squareMayMove) continue;
                for (Direction d : {Direction::Left, Direction::Up, Direction::Right, Direction::Down}) {
                    std::optional<State<Words>> after = Slide(board, state, piece, cell, d);
                    if (!after || *after == state) continue;
                    const std::uint8_t move = static_cast<std::uint8_t>(piece << 2 | static_cast<int>(d));
                    if (!Insert(*after, static_cast<std::uint32_t>(next), move)) continue;
                    if (after->NoRings()) {
                        result.outcome = Outcome::Solved;
                        result.moves = Path(static_cast<std::uint32_t>(nodes_.size() - 1));
                        result.states = nodes_.size();
                        return result;
                    }
                    if (nodes_.size() >= options_.maxStates) {
                        result.outcome = Outcome::Unknown;
                        result.states = nodes_.size();
                        return result;
                    }
                }
            }
        }
        result.outcome = Outcome::Unsolvable;
        result.states = nodes_.size();
        return result;
    }

private:
    struct Node {
        State<Words> state;
        std::uint32_t parent;
        std::uint8_t move;
    };

    static std::uint8_t Cell(const Board& board, int row, int col, std::uint8_t code) {
        if (!OnBoard(row, col) || board(row, col) != code) return kNoCell;
        return static_cast<std::uint8_t>(Board::Index(row, col));
    }

    Board Materialise(const State<Words>& s) const {
        Board board = static_;
        for (std::size_t i = 0; i < ringCell_.size(); ++i) {
            if (s.rings[i / 64] >> (i % 64) & 1) board.cells()[ringCell_[i]] = Ring;
        }
        if (s.ball != kNoCell) board.cells()[s.ball] = Ball;
        if (s.square != kNoCell) board.cells()[s.square] = Square;
        return board;
    }

    // One key press through the game's own guard and walk; nullopt when the guard refuses.
    std::optional<State<Words>> Slide(const Board& before, const State<Words>& state, int piece, std::uint8_t cell,
                                      Direction d) const {
        std::uint8_t row = static_cast<std::uint8_t>(cell / kCols + 1);
        std::uint8_t col = static_cast<std::uint8_t>(cell % kCols + 1);
        if (!GuardAllows(piece, before.At(row + RowStep(d), col + ColStep(d)))) return std::nullopt;
        Board board = before;
        board(row, col) = Empty;
        State<Words> after = state;
        Walk(
            board, piece, row, col, d, [](int, int) {},
            [&](int r, int c) {
                const int i = ringIndex_[Board::Index(r, c)];
                after.rings[i / 64] &= ~(1ull << (i % 64));
            },
            [](int, int) {});
        (piece == kBallPiece ? after.ball : after.square) = static_cast<std::uint8_t>(Board::Index(row, col));
        return after;
    }

    bool Insert(const State<Words>& s, std::uint32_t parent, std::uint8_t move) {
        if (table_.empty() || nodes_.size() * 2 >= table_.size()) Grow();
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = s.Hash() & mask;; i = (i + 1) & mask) {
            if (table_[i] == kFree) {
                table_[i] = static_cast<std::uint32_t>(nodes_.size());
                nodes_.push_back({s, parent, move});
                return true;
            }
            if (nodes_[table_[i]].state == s) return false;
        }
    }

    void Grow() {
        std::vector<std::uint32_t> table(table_.empty() ? 1024 : table_.size() * 2, kFree);
        const std::size_t mask = table.size() - 1;
        for (std::uint32_t n = 0; n < nodes_.size(); ++n) {
            std::size_t i = nodes_[n].state.Hash() & mask;
            while (table[i] != kFree) i = (i + 1) & mask;
            table[i] = n;
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

    static constexpr std::uint32_t kFree = 0xFFFFFFFF;
    const SolveOptions& options_;
    Board static_;
    std::array<int, kCells> ringIndex_{};
    std::vector<std::uint8_t> ringCell_;
    State<Words> start_{};
    std::vector<Node> nodes_;
    std::vector<std::uint32_t> table_;
};

}  // namespace

Puzzle PuzzleOf(const Form1& form) {
    Puzzle puzzle;
    puzzle.board = form.Board;
    if (form.PieceOnBoard(kBallPiece)) {
        puzzle.ballRow = form.PieceRow[kBallPiece];
        puzzle.ballCol = form.PieceCol[kBallPiece];
    }
    if (form.PieceOnBoard(kSquarePiece)) {
        puzzle.squareRow = form.PieceRow[kSquarePiece];
        puzzle.squareCol = form.PieceCol[kSquarePiece];
    }
    return puzzle;
}

Solution Solve(const Puzzle& puzzle, const SolveOptions& options) {
    int rings = 0;
    for (std::uint8_t c : puzzle.board.cells()) rings += c == Ring;
    if (rings <= 64) return Search<1>(puzzle, options).Run();
    return Search<3>(puzzle, options).Run();
}

std::string MoveName(const Move& move) {
    static const char* directions[] = {"left", "up", "right", "down"};
    return std::string(move.piece == kBallPiece ? "ball " : "square ") + directions[static_cast<int>(move.direction)];
}

}  // namespace kelo
