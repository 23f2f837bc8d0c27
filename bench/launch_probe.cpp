// Launch time of the game against the toolkit's floor, under an X server of the caller's: from
// fork until the window is mapped with its title and its first picture is on screen.
// Usage: kelo_launch_probe RUNS GAME MINIMAL [OTHER...]   (each program started from its own folder)
// OTHER programs show the same empty window as MINIMAL (variants of it, or earlier games) and are
// timed in the same rounds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "tools/kelo-assets/tiles.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string path;
    std::string title;
    // Client pixels that must show their colours before the picture counts as drawn.
    std::vector<std::pair<int, int>> pixels;
    std::vector<unsigned long> colours;
};

std::string TitleOf(Display* display, Window w) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(display, w, &name) && name) title = name;
    if (name) XFree(name);
    return title;
}

std::optional<unsigned long> PixelAt(Display* display, Window w, int x, int y) {
    XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }  // windows may go while we look at them

// Processor time of all the threads of a process so far, those that have ended included, in
// milliseconds: on a loaded machine the launch's wall time is mostly waiting for a processor, its
// processor time much less so.
double CpuMs(pid_t pid) {
    clockid_t clock;
    timespec t{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) return 0;
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Milliseconds from fork to the first full picture, and the program's processor time by then;
// -1 when it never comes.
double LaunchOnce(Display* display, const Program& program, double* cpu) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const std::string folder = program.path.substr(0, program.path.rfind('/'));
        if (chdir(folder.c_str()) != 0) _exit(127);
        execl(program.path.c_str(), program.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = start + std::chrono::seconds(20);
    std::vector<Window> mapped;
    double result = -1;
    while (Clock::now() < deadline && result < 0) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) mapped.push_back(event.xmap.window);
        }
        for (Window w : mapped) {
            if (TitleOf(display, w) != program.title) continue;
            XWindowAttributes a;
            if (!XGetWindowAttributes(display, w, &a) || a.map_state != IsViewable) continue;
            const int menu = a.height - 415;
            bool drawn = true;
            for (std::size_t i = 0; i < program.pixels.size() && drawn; ++i) {
                const auto p = PixelAt(display, w, program.pixels[i].first, program.pixels[i].second + menu);
                drawn = p && *p == program.colours[i];
            }
            if (drawn) {
                result = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                *cpu = CpuMs(child);
            }
        }
        if (result < 0) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 1);
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XSelectInput(display, root, NoEventMask);
    XSync(display, True);
    usleep(100'000);
    return result;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: kelo_launch_probe RUNS GAME MINIMAL [OTHER...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "kelo_launch_probe: no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    // The game's picture: the ball of level 1 on the board and in the selection box, both drawn
    // by the first level load, and the counter's grey below the board.
    const auto ball = kelo::art::Tile(3)[20 * kelo::art::kTile + 20];
    std::vector<Program> programs{{argv[2], "Kelo - Niveau 1", {{60, 60}, {600, 381}, {300, 405}}, {ball, ball, 0xC0C0C0}}};
    for (int a = 3; a < argc; ++a) {
        const std::string path = argv[a];
        // An earlier game is named kelo too, and shows the game's picture.
        if (path.size() >= 5 && path.compare(path.size() - 5, 5, "/kelo") == 0) {
            programs.push_back({path, programs[0].title, programs[0].pixels, programs[0].colours});
        } else {
            programs.push_back({path, "Minimal", {{60, 60}, {600, 381}, {300, 405}}, {0xC0C0C0, 0xC0C0C0, 0xC0C0C0}});
        }
    }
    std::vector<std::vector<double>> times(programs.size()), cpus(programs.size());
    double cpu = 0;
    for (const Program& p : programs) LaunchOnce(display, p, &cpu);  // warm the file cache for all
    for (int i = 0; i < runs; ++i) {
        // Each round starts with the next program in turn, so that drift on the machine touches all alike.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const std::size_t which = (i + k) % programs.size();
            const double ms = LaunchOnce(display, programs[which], &cpu);
            if (ms < 0) {
                std::fprintf(stderr, "kelo_launch_probe: %s never showed its picture\n", programs[which].path.c_str());
                return 1;
            }
            times[which].push_back(ms);
            cpus[which].push_back(cpu);
        }
    }
    std::printf("game_ms %.1f\nminimal_ms %.1f\nruns %d\n", Median(times[0]), Median(times[1]), runs);
    std::printf("game_cpu_ms %.1f\nminimal_cpu_ms %.1f\n", Median(cpus[0]), Median(cpus[1]));
    for (std::size_t k = 2; k < programs.size(); ++k) {
        std::printf("other_ms %zu %.1f\nother_cpu_ms %zu %.1f\n", k - 1, Median(times[k]), k - 1, Median(cpus[k]));
    }
    XCloseDisplay(display);
    return 0;
}
