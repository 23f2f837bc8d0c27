// How long the level tool takes over the shipped set, and the game's own load and slide.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "tests/support/reference_solver.h"
#include "game/form1.h"
#include "game/level_reader.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/files.h"
#include "tools/kelo-levels/search.h"

namespace {

std::string Shipped() {
    std::ifstream in(std::string(KELO_SOURCE_DIR) + "/levels.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<kelo::Puzzle> Puzzles(const std::string& file) {
    std::vector<kelo::Puzzle> puzzles;
    for (int level = 1; level <= kelo::LevelCount(static_cast<std::int64_t>(file.size())); ++level)
        puzzles.push_back(kelo::ReadLevel(kelo::MemoryBytes(file), level).value());
    return puzzles;
}

// The whole shipped set, as `kelo-levels solve` does it: with the square, then without moving it.
void BM_SolveShippedSet(benchmark::State& state) {
    const auto puzzles = Puzzles(Shipped());
    kelo::SolveOptions withSquare, ballOnly;
    ballOnly.squareMayMove = false;
    for (auto _ : state) {
        for (const auto& p : puzzles) {
            benchmark::DoNotOptimize(kelo::Solve(p, withSquare));
            benchmark::DoNotOptimize(kelo::Solve(p, ballOnly));
        }
    }
    state.counters["levels"] = static_cast<double>(puzzles.size());
}
BENCHMARK(BM_SolveShippedSet)->Unit(benchmark::kMillisecond);

void BM_CheckShippedSet(benchmark::State& state) {
    const std::string file = Shipped();
    for (auto _ : state) benchmark::DoNotOptimize(kelo::CheckLevels(file));
}
BENCHMARK(BM_CheckShippedSet)->Unit(benchmark::kMicrosecond);

// A platform with no screen, no sound and no boxes, whose level file is in memory: what is
// measured is the game's own work.
class NullPlatform final : public kelo::Platform {
public:
    explicit NullPlatform(std::string file) : file_(std::move(file)) {}
    void PaintPicture(int, int, int) override {}
    void Refresh() override {}
    void Line(int, int, int, int, std::uint32_t) override {}
    void SetCaption(const std::string&) override {}
    void SetFrameCaption(const std::string&) override {}
    bool Checked(kelo::Setting) override { return false; }
    void SetChecked(kelo::Setting, bool) override {}
    void PlaySound(const std::string&, int) override {}
    void MsgBox(const std::string&, const std::string&) override {}
    std::string InputBox(const std::string&, const std::string&) override { return {}; }
    std::int64_t MonotonicMilliseconds() override { return 0; }
    std::int64_t WallClockMilliseconds() override { return 0; }
    void Pause(int) override {}
    std::string ProgramFolder() override { return "."; }
    bool LevelFileIsOpen() override { return true; }
    bool OpenLevelFile(const std::string&) override { return true; }
    std::optional<std::int64_t> LevelFileLength() override { return static_cast<std::int64_t>(file_.size()); }
    std::optional<std::size_t> ReadLevelFile(std::int64_t offset, char* buffer, std::size_t size) override {
        return kelo::MemoryBytes(file_).ReadAt(offset, buffer, size);
    }
    void End() override {}

private:
    std::string file_;
};

// One level load through the game's loader, all 144 cells.
void BM_LoadLevel(benchmark::State& state) {
    NullPlatform platform(Shipped());
    kelo::Form1 form(platform);
    for (auto _ : state) {
        form.Level = 20;
        form.LoadLevel(20);
    }
}
BENCHMARK(BM_LoadLevel);

// A key press with its slide, the animation off (the pause is the platform's, not measured here).
void BM_SlideThereAndBack(benchmark::State& state) {
    std::string open;
    for (int r = 1; r <= 9; ++r) open += (r == 5 ? std::string("3") + std::string(14, '0') + "4" : std::string(16, '0')) + "\r\n";
    open += "\r\n";
    NullPlatform platform(open);
    kelo::Form1 form(platform);
    form.Level = 1;
    form.LoadLevel(1);
    for (auto _ : state) {
        form.Form_KeyDown(39, 0);
        form.Form_KeyDown(37, 0);
    }
}
BENCHMARK(BM_SlideThereAndBack);

// Boards with a few walls, no border, the two pieces and `rings` rings, from a fixed seed.
std::vector<kelo::Puzzle> StressSet(int count, int rings, std::uint32_t seed) {
    std::vector<kelo::Puzzle> set;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    for (int k = 0; k < count; ++k) {
        kelo::Puzzle p;
        auto place = [&](std::uint8_t code) {
            for (;;) {
                const int i = next(kelo::kCells);
                if (p.board.cells()[i] != kelo::Empty) continue;
                p.board.cells()[i] = code;
                return i;
            }
        };
        for (int w = 0; w < 12; ++w) place(kelo::Wall);
        for (int r = 0; r < rings; ++r) place(kelo::Ring);
        const int ball = place(kelo::Ball), square = place(kelo::Square);
        p.ballRow = ball / kelo::kCols + 1;
        p.ballCol = ball % kelo::kCols + 1;
        p.squareRow = square / kelo::kCols + 1;
        p.squareCol = square % kelo::kCols + 1;
        set.push_back(p);
    }
    return set;
}

// Open boards with 20 rings: far more states than any shipped level. Both searches stop at the
// same number of states, so their rates compare like for like. They take turns board by board,
// ours several times for each of the plain one's (which is about ten times slower), so that a
// machine whose speed moves from one second to the next moves both alike.
constexpr std::size_t kStressStates = 1'000'000;
constexpr int kOursTurns = 8;

void BM_StressRates(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto set = StressSet(6, 20, 2026);
    kelo::SolveOptions options;
    options.maxStates = kStressStates;
    double ours = 0, plain = 0;
    Clock::duration oursTime{}, plainTime{};
    for (auto _ : state) {
        for (const auto& p : set) {
            for (int turn = 0; turn < kOursTurns; ++turn) {
                const auto start = Clock::now();
                ours += static_cast<double>(kelo::Solve(p, options).states);
                oursTime += Clock::now() - start;
            }
            const auto start = Clock::now();
            plain += static_cast<double>(kelo::bench::ReferenceSolve(p, true, kStressStates).states);
            plainTime += Clock::now() - start;
        }
    }
    const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    state.counters["ours_per_s"] = ours / seconds(oursTime);
    state.counters["plain_per_s"] = plain / seconds(plainTime);
}
BENCHMARK(BM_StressRates)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
