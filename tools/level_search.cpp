// kelo-level-search: suggests levels for a designer to finish by hand. It climbs from a random
// walled room towards a level whose fewest moves are a target, keeping each change that brings
// it no further from it, and prints the nine rows.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tools/solver.h"

namespace {

using kelo::Board;

struct Candidate {
    Board board;
    int ballRow, ballCol, squareRow, squareCol;
};

kelo::Puzzle PuzzleOf(const Candidate& c) {
    return {c.board, c.ballRow, c.ballCol, c.squareRow, c.squareCol};
}

struct Score {
    int moves = -1;        // fewest moves, -1 when unsolvable or unknown
    int ballOnly = -1;     // fewest moves without moving the square
};

Score Rate(const Candidate& c, std::size_t maxStates) {
    kelo::SolveOptions options;
    options.maxStates = maxStates;
    Score s;
    const auto full = kelo::Solve(PuzzleOf(c), options);
    if (full.outcome != kelo::Outcome::Solved) return s;
    s.moves = static_cast<int>(full.moves.size());
    options.squareMayMove = false;
    const auto still = kelo::Solve(PuzzleOf(c), options);
    s.ballOnly = still.outcome == kelo::Outcome::Solved ? static_cast<int>(still.moves.size()) : -1;
    return s;
}

}  // namespace

int main(int argc, char* argv[]) {
    unsigned seed = 1;
    int target = 10, walls = 14, rings = 5, steps = 4000;
    bool needSquare = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string o = argv[i];
        const int v = std::atoi(argv[i + 1]);
        if (o == "--seed") seed = static_cast<unsigned>(v);
        else if (o == "--moves") target = v;
        else if (o == "--walls") walls = v;
        else if (o == "--rings") rings = v;
        else if (o == "--steps") steps = v;
        else if (o == "--needs-square") needSquare = v != 0;
        else {
            std::fprintf(stderr,
                         "usage: kelo-level-search [--seed N] [--moves N] [--walls N] [--rings N] [--steps N] "
                         "[--needs-square 0|1]\n");
            return 2;
        }
    }
    std::mt19937 rng(seed);
    auto inside = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto freeCell = [&](const Board& b, int& r, int& c) {
        do {
            r = inside(2, 8);
            c = inside(2, 15);
        } while (b(r, c) != kelo::Empty);
    };

    Candidate best{};
    for (int r = 1; r <= kelo::kRows; ++r) {
        for (int c = 1; c <= kelo::kCols; ++c) best.board(r, c) = (r == 1 || r == 9 || c == 1 || c == 16);
    }
    int r, c;
    for (int i = 0; i < walls; ++i) { freeCell(best.board, r, c); best.board(r, c) = kelo::Wall; }
    for (int i = 0; i < rings; ++i) { freeCell(best.board, r, c); best.board(r, c) = kelo::Ring; }
    freeCell(best.board, best.ballRow, best.ballCol);
    best.board(best.ballRow, best.ballCol) = kelo::Ball;
    freeCell(best.board, best.squareRow, best.squareCol);
    best.board(best.squareRow, best.squareCol) = kelo::Square;

    auto value = [&](const Score& s) {
        if (s.moves < 0) return -1000;
        int v = target - std::abs(s.moves - target);
        if (needSquare && s.ballOnly >= 0) v -= 50;
        if (!needSquare && s.ballOnly < 0) v -= 50;
        return v;
    };
    Score bestScore = Rate(best, 300000);
    for (int step = 0; step < steps && value(bestScore) < target; ++step) {
        Candidate next = best;
        // One change: a wall moved, a ring moved, or a piece moved.
        int kind = inside(0, 3), fr, fc, tr, tc;
        const int code = kind == 0 ? kelo::Wall : kind == 1 ? kelo::Ring : kind == 2 ? kelo::Ball : kelo::Square;
        if (kind == 2) { fr = next.ballRow; fc = next.ballCol; }
        else if (kind == 3) { fr = next.squareRow; fc = next.squareCol; }
        else {
            do { fr = inside(2, 8); fc = inside(2, 15); } while (next.board(fr, fc) != code);
        }
        freeCell(next.board, tr, tc);
        next.board(fr, fc) = kelo::Empty;
        next.board(tr, tc) = static_cast<std::uint8_t>(code);
        if (kind == 2) { next.ballRow = tr; next.ballCol = tc; }
        if (kind == 3) { next.squareRow = tr; next.squareCol = tc; }
        const Score s = Rate(next, 300000);
        if (value(s) >= value(bestScore)) {
            best = next;
            bestScore = s;
        }
    }
    std::fprintf(stderr, "moves %d, without moving the square %d\n", bestScore.moves, bestScore.ballOnly);
    for (int row = 1; row <= kelo::kRows; ++row) {
        for (int col = 1; col <= kelo::kCols; ++col) std::putchar('0' + best.board(row, col));
        std::putchar('\n');
    }
    return value(bestScore) == target ? 0 : 1;
}
