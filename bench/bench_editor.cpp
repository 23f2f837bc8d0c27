// The level editor on Qt's offscreen platform: opening a file of 32,767 levels; the time from a
// change of a level to each stage of its figures, for every shipped level (the slowest is the
// row); and the longest frame of the board while a stroke is painted, with an analysis running
// and idle, with the most processor time that one frame took.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThread>
#include <time.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/kelo-editor/editor_window.h"

namespace {

using kelo::editor::EditorWindow;
using Figures = kelo::editor::LiveFigures;

std::string Shipped() {
    std::ifstream in(KELO_SOURCE_DIR "/levels.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

// Waits for the figures of the board shown as far as `stage`.
void AwaitFigures(EditorWindow& w, kelo::editor::LiveFigures::Stage stage) {
    while (!w.figures() || w.figures()->stage < stage) {
        QApplication::processEvents();
        QThread::usleep(200);
    }
}

void Mouse(EditorWindow& w, QEvent::Type type, int row, int col) {
    const QPointF at(kelo::PixelX(col) + 20, kelo::PixelY(row) + 20);
    QMouseEvent e(type, at, at, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.boardView(), &e);
}

// A change of one cell: the outer wall's corner opened, then the figures of the board after it.
void BM_EditorOpen32767(benchmark::State& state) {
    const std::string shipped = Shipped();
    std::string big;
    big.reserve(32767u * 164u);
    for (std::size_t k = 0; k < 32767; ++k) big += shipped.substr((k % (shipped.size() / 164)) * 164, 164);
    const std::string path = Write("kelo-bench-32767.txt", big);
    for (auto _ : state) {
        EditorWindow w;
        w.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        w.OpenFile(QString::fromStdString(path));
        QApplication::processEvents();  // the list and the board drawn
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        state.counters["levels"] = w.model().rowCount();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_EditorOpen32767)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_EditorChangeToFigures(benchmark::State& state) {
    const std::string path = Write("kelo-bench-shipped.txt", Shipped());
    for (auto _ : state) {
        EditorWindow w;
        w.show();
        w.OpenFile(QString::fromStdString(path));
        // The slowest level of each stage: the par (the solver's figures), the quick analysis, all.
        const std::array stages = {Figures::Solver, Figures::Quick, Figures::Whole};
        std::array<double, 3> most{};
        std::array<int, 3> slowest{};
        for (int level = 0; level < w.model().rowCount(); ++level) {
            w.ShowLevel(level);
            AwaitFigures(w, Figures::Whole);
            QElapsedTimer timer;
            timer.start();
            w.action(QStringLiteral("tuile-0"))->trigger();
            Mouse(w, QEvent::MouseButtonPress, 1, 1);
            Mouse(w, QEvent::MouseButtonRelease, 1, 1);
            for (std::size_t k = 0; k < stages.size(); ++k) {
                AwaitFigures(w, stages[k]);
                const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                if (ms > most[k]) {
                    most[k] = ms;
                    slowest[k] = level + 1;
                }
            }
        }
        const char* names[] = {"par", "quick", "whole"};
        for (std::size_t k = 0; k < stages.size(); ++k) {
            state.counters[std::string(names[k]) + "_ms"] = most[k];
            state.counters[std::string(names[k]) + "_level"] = slowest[k];
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_EditorChangeToFigures)->Iterations(1)->Unit(benchmark::kMillisecond);

// The processor time of the calling thread, in milliseconds.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// A stroke across the board, cell after cell, each frame the paint and the repaint: the longest
// frame on the clock, the most processor time the painting thread spent on one frame (what is
// left of the longest is time spent waiting for a processor), and whether the analysis was still
// running when the stroke ended.
struct Stroke {
    double longestMs = 0, mostCpuMs = 0;
    bool analysing = false;
};
Stroke PaintStroke(EditorWindow& w) {
    Stroke s;
    Mouse(w, QEvent::MouseButtonPress, 5, 2);
    for (int k = 0; k < 200; ++k) {
        const int col = 2 + k % 14;
        QElapsedTimer timer;
        timer.start();
        const double cpu = ThreadCpuMs();
        Mouse(w, QEvent::MouseMove, 5 + (k / 14) % 2, col);
        w.boardView().repaint();
        s.longestMs = std::max(s.longestMs, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        s.mostCpuMs = std::max(s.mostCpuMs, ThreadCpuMs() - cpu);
    }
    s.analysing = !w.figures() || !w.figures()->complete;
    Mouse(w, QEvent::MouseButtonRelease, 5, 2);
    return s;
}

void BM_EditorLongestFrame(benchmark::State& state) {
    const std::string path = Write("kelo-bench-shipped.txt", Shipped());
    for (auto _ : state) {
        EditorWindow w;
        w.show();
        w.OpenFile(QString::fromStdString(path));
        w.ShowLevel(36);  // level 37, the slowest to analyse: seconds of it
        QApplication::processEvents();
        // Busy: the analysis of the level begins, and the stroke is painted meanwhile.
        const bool busy = state.range(0) != 0;
        if (busy) {
            w.action(QStringLiteral("tuile-1"))->trigger();
            Mouse(w, QEvent::MouseButtonPress, 1, 1);
            Mouse(w, QEvent::MouseButtonRelease, 1, 1);
        } else {
            AwaitFigures(w, Figures::Whole);
        }
        const Stroke stroke = PaintStroke(w);
        state.counters["longest_ms"] = stroke.longestMs;
        state.counters["most_cpu_ms"] = stroke.mostCpuMs;
        state.counters["analysing"] = stroke.analysing;
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_EditorLongestFrame)->ArgName("analysing")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
