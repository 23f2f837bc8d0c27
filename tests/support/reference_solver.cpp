#include "tests/support/reference_solver.h"

#include <algorithm>
#include <queue>
#include <set>
#include <tuple>

namespace kelo::bench {
namespace {

struct State {
    int ball;    // cell index, or -1 when the level has no ball that moves
    int square;  // likewise
    std::uint64_t rings;
    auto operator<=>(const State&) const = default;
};

}  // namespace

ReferenceResult ReferenceSolve(const Puzzle& puzzle, bool squareMayMove, std::size_t maxStates) {
    // The fixed part of the board, and the rings numbered in reading order.
    Board fixed = puzzle.board;
    std::vector<int> ringCells;
    for (int i = 0; i < kCells; ++i) {
        if (fixed.cells()[i] == Ring) {
            ringCells.push_back(i);
            fixed.cells()[i] = Empty;
        }
    }
    auto cellOf = [&](int row, int col, std::uint8_t code) {
        return OnBoard(row, col) && puzzle.board(row, col) == code ? Board::Index(row, col) : -1;
    };
    State start{cellOf(puzzle.ballRow, puzzle.ballCol, Ball), cellOf(puzzle.squareRow, puzzle.squareCol, Square),
                ringCells.size() == 64 ? ~0ull : (1ull << ringCells.size()) - 1};
    if (start.ball >= 0) fixed.cells()[start.ball] = Empty;
    if (start.square >= 0) fixed.cells()[start.square] = Empty;

    if (start.rings == 0) return {Outcome::Solved, 0, 0};
    std::set<State> seen{start};
    std::queue<std::pair<State, int>> open;
    open.push({start, 0});
    while (!open.empty()) {
        const auto [state, depth] = open.front();
        open.pop();
        Board board = fixed;
        for (std::size_t i = 0; i < ringCells.size(); ++i) {
            if (state.rings >> i & 1) board.cells()[ringCells[i]] = Ring;
        }
        if (state.ball >= 0) board.cells()[state.ball] = Ball;
        if (state.square >= 0) board.cells()[state.square] = Square;

        for (int piece : {kBallPiece, kSquarePiece}) {
            const int from = piece == kBallPiece ? state.ball : state.square;
            if (from < 0 || (piece == kSquarePiece && !squareMayMove)) continue;
            for (Direction d : {Direction::Left, Direction::Up, Direction::Right, Direction::Down}) {
                const SlidePath path = TraceSlide(board, piece, Board::RowOf(from), Board::ColOf(from), d);
                if (path.refused) continue;
                State next = state;
                for (int k = 0; k < path.rings; ++k) next.rings &= ~(1ull << (std::ranges::find(ringCells, path.ringCells[k]) - ringCells.begin()));
                (piece == kBallPiece ? next.ball : next.square) = path.to;
                if (!seen.insert(next).second) continue;
                if (next.rings == 0) return {Outcome::Solved, depth + 1, seen.size()};
                if (seen.size() >= maxStates) return {Outcome::Unknown, 0, seen.size()};
                open.push({next, depth + 1});
            }
        }
    }
    return {Outcome::Unsolvable, 0, seen.size()};
}

}  // namespace kelo::bench
