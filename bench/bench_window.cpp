// The game through the real window: a key press with its slide, a level load, and the spacing of
// the animation's frames on screen. Runs on Qt's offscreen platform unless a display is given.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "ui/client_area.h"
#include "ui/main_window.h"

namespace {

kelo::MainWindow* window = nullptr;

// Three levels: a row to slide across collecting 15 rings (one more ring elsewhere keeps the level
// from ending), a board with a tile on every cell, and an empty row to slide along.
void WriteLevels() {
    auto record = [](std::vector<std::string> rows) {
        std::string s;
        for (const auto& r : rows) s += r + "\r\n";
        return s + "\r\n";
    };
    std::vector<std::string> across(9, std::string(16, '0'));
    across[4] = "3" + std::string(15, '2');
    across[8][15] = '2';
    std::vector<std::string> full(9);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 16; ++c) full[r] += "1122"[(r * 16 + c) % 4];
    }
    full[4][3] = '3';
    full[6][9] = '4';
    std::vector<std::string> slide(9, std::string(16, '1'));
    slide[4] = "3" + std::string(15, '0');
    slide[0][0] = '2';  // out of reach: a level without rings would end at the first key
    const std::string file = record(across) + record(full) + record(slide);
    QFile out(QCoreApplication::applicationDirPath() + "/levels.txt");
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    out.write(file.data(), static_cast<qint64>(file.size()));
}

void Load(int level) {
    kelo::Form1& form = window->form();
    form.Level = static_cast<std::int16_t>(level);
    form.LoadLevel(form.Level);
    QCoreApplication::processEvents();
}

// A slide across the whole board collecting 15 rings, animation off, then the repaint that puts
// it on screen. The reload between presses is not timed.
void BM_KeyPressSlide(benchmark::State& state) {
    window->platform().SetChecked(kelo::Setting::Animation, false);
    window->platform().SetChecked(kelo::Setting::Son, state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        Load(1);
        state.ResumeTiming();
        window->form().Form_KeyDown(39, 0);
        QCoreApplication::processEvents();
    }
    window->platform().SetChecked(kelo::Setting::Son, false);
}
BENCHMARK(BM_KeyPressSlide)->ArgName("sound")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A level with a tile on all 144 cells, drawn and put on screen.
void BM_LoadFullLevel(benchmark::State& state) {
    for (auto _ : state) Load(2);
}
BENCHMARK(BM_LoadFullLevel)->Unit(benchmark::kMicrosecond);

// Slides of 15 cells with the animation on: the time between the frames that reach the surface.
class FrameClock : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (recording && event->type() == QEvent::Paint) times.push_back(std::chrono::steady_clock::now());
        return false;
    }
    bool recording = false;
    std::vector<std::chrono::steady_clock::time_point> times;
};

// The periods' median, spread (max - min) and 95th percentile of |period - pause|.
void ReportPeriods(benchmark::State& state, std::vector<double> periods) {
    if (periods.empty()) {
        state.SkipWithError("no frames reached the surface");
        return;
    }
    std::sort(periods.begin(), periods.end());
    std::vector<double> off;
    for (double p : periods) off.push_back(std::abs(p - kelo::kAnimationPauseMs));
    std::sort(off.begin(), off.end());
    state.counters["frames"] = static_cast<double>(periods.size());
    state.counters["median_ms"] = periods[periods.size() / 2];
    state.counters["spread_ms"] = periods.back() - periods.front();
    state.counters["p95_off_ms"] = off[std::min(off.size() - 1, off.size() * 95 / 100)];
    state.counters["pause_ms"] = kelo::kAnimationPauseMs;
}

void BM_AnimationFrames(benchmark::State& state) {
    window->platform().SetChecked(kelo::Setting::Animation, true);
    window->platform().SetChecked(kelo::Setting::Son, false);
    FrameClock clock;
    window->clientArea()->installEventFilter(&clock);
    std::vector<double> periods;
    Load(3);
    for (auto _ : state) {
        for (int slide = 0; slide < 10; ++slide) {
            clock.times.clear();
            clock.recording = true;
            window->form().Form_KeyDown(slide % 2 == 0 ? 39 : 37, 0);
            clock.recording = false;
            QCoreApplication::processEvents();
            for (std::size_t i = 1; i < clock.times.size(); ++i) {
                periods.push_back(std::chrono::duration<double, std::milli>(clock.times[i] - clock.times[i - 1]).count());
            }
        }
    }
    window->clientArea()->removeEventFilter(&clock);
    ReportPeriods(state, periods);
}
BENCHMARK(BM_AnimationFrames)->Iterations(1)->Unit(benchmark::kMillisecond);

// The yardstick: the same frames in an empty window of the same size, a 40 x 40 square drawn at
// each step of 15-cell slides with the game's repaint and pause, and no game. What spread it shows
// is the machine's and the X server's, not the game's.
class EmptyWindow : public QWidget {
public:
    EmptyWindow() { setFixedSize(640, 415); setAttribute(Qt::WA_OpaquePaintEvent); }
    int cell = 0;
    std::vector<std::chrono::steady_clock::time_point> times;
    bool recording = false;

protected:
    void paintEvent(QPaintEvent*) override {
        if (recording) times.push_back(std::chrono::steady_clock::now());
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xC0, 0xC0, 0xC0));
        painter.fillRect(cell * 40, 160, 40, 40, Qt::green);
    }
};

void BM_EmptyWindowFrames(benchmark::State& state) {
    EmptyWindow empty;
    empty.show();
    QCoreApplication::processEvents();
    kelo::ClientArea area;
    kelo::QtPlatform pause(empty, area, {}, {});
    std::vector<double> periods;
    for (auto _ : state) {
        for (int slide = 0; slide < 10; ++slide) {
            empty.times.clear();
            empty.recording = true;
            for (int step = 1; step <= 15; ++step) {
                empty.cell = slide % 2 == 0 ? step : 15 - step;
                // What the game's Refresh does for its pause: it marks when the frame's repaint
                // began, from which a slide's first pause counts. (The area it repaints is hidden.)
                pause.Refresh();
                empty.repaint();
                pause.Pause(kelo::kAnimationPauseMs);
            }
            empty.recording = false;
            QCoreApplication::processEvents();
            for (std::size_t i = 1; i < empty.times.size(); ++i) {
                periods.push_back(std::chrono::duration<double, std::milli>(empty.times[i] - empty.times[i - 1]).count());
            }
        }
    }
    ReportPeriods(state, periods);
}
BENCHMARK(BM_EmptyWindowFrames)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[]) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    WriteLevels();
    kelo::MainWindow main;
    window = &main;
    main.Launch();
    QCoreApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
