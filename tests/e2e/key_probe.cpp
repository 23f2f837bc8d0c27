// Presses keys as a keyboard does (XTest) and tells how long the window took to answer: the
// milliseconds from the first key to the moment its title reads TITLE, or -1 after 60 s.
// xdotool cannot time this: each call of it costs 100 ms and more on a loaded machine.
// Usage: kelo_key_probe WINDOW_ID TITLE KEY...  (KEY: a keysym name, "ctrl+" in front for Ctrl)
#include <X11/keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Title(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    XGetWindowProperty(display, window, name, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after, &data);
    std::string title(data ? reinterpret_cast<char*>(data) : "", count);
    if (data) XFree(data);
    return title;
}

void Press(Display* display, std::string key) {
    const bool ctrl = key.rfind("ctrl+", 0) == 0;
    if (ctrl) key = key.substr(5);
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(key.c_str()));
    if (ctrl) XTestFakeKeyEvent(display, control, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (ctrl) XTestFakeKeyEvent(display, control, False, CurrentTime);
}

}  // namespace

int main(int argc, char* argv[]) {
    Display* display = XOpenDisplay(nullptr);
    if (argc < 4 || !display) return 2;
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const std::string want = argv[2];
    XSelectInput(display, window, PropertyChangeMask);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (int i = 3; i < argc; ++i) Press(display, argv[i]);
    XFlush(display);
    for (;;) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (Title(display, window) == want) {
            std::printf("%lld\n", static_cast<long long>(ms));
            return 0;
        }
        if (ms > 60000) break;
        // Wait for the next change of a property, then read the title again.
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 100);
        }
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
    std::printf("-1\n");
    return 1;
}
