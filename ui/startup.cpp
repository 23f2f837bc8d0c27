#include "ui/startup.h"

#include <QWindow>
#include <fontconfig/fontconfig.h>
#include <csignal>
#include <malloc.h>
#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "ui/client_area.h"

namespace kelo {

namespace {

// A quarter still shows every cell; 25.6 makes the window as wide as the widest screens made,
// 16384 pixels.
constexpr double kLeastScale = 0.25;
constexpr double kMostScale = 16384.0 / kClientWidth;
// A display that takes this long to answer the connection does not answer (valgrind included).
constexpr unsigned kDisplaySeconds = 60;
// A window not on the screen this long after it was shown never will be (even under valgrind).
constexpr unsigned kShowSeconds = 60;

// Writes without allocating: also from a signal handler.
void Say(const char* text) {
    for (std::size_t done = 0, size = std::strlen(text); done < size;) {
        const ssize_t n = ::write(STDERR_FILENO, text + done, size - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

[[noreturn]] void NoDisplay(int) {
    Say(kNeedsDisplay);
    ::_exit(1);
}

// A signal, not a timer: when Qt could not start its threads the event loop may never turn again.
[[noreturn]] void NotShown(int) {
    Say(kCannotShow);
    ::_exit(1);
}

// Qt's messages while it starts: held back, since a failure to start is told in our words alone.
std::vector<QString> startupMessages;

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) NoDisplay(0);
    startupMessages.push_back(qFormatLogMessage(type, context, text));
}

bool Honourable(double factor) { return std::isfinite(factor) && factor >= kLeastScale && factor <= kMostScale; }

// QT_SCREEN_SCALE_FACTORS is "factor;factor" or "name=factor;name=factor": each factor is kept
// or replaced by 1 in place.
QByteArray HonourableScreenFactors(const QByteArray& value) {
    QList<QByteArray> entries = value.split(';');
    for (QByteArray& entry : entries) {
        const qsizetype equals = entry.indexOf('=');
        bool ok = false;
        const double factor = entry.mid(equals + 1).toDouble(&ok);
        if (ok && !Honourable(factor)) entry = entry.left(equals + 1) + "1";
    }
    return entries.join(';');
}

// Keeps the window on the screen once: the first exposure of its native window.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(QWindow* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            ::alarm(0);
            std::signal(SIGALRM, SIG_DFL);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

void KeepScaleHonourable() {
    const char* scale = "QT_SCALE_FACTOR";
    bool ok = false;
    const double factor = qEnvironmentVariable(scale).toDouble(&ok);
    // What Qt cannot read it ignores itself.
    if (ok && !Honourable(factor)) qputenv(scale, "1");
    const char* screens = "QT_SCREEN_SCALE_FACTORS";
    if (qEnvironmentVariableIsSet(screens)) qputenv(screens, HonourableScreenFactors(qgetenv(screens)));
    // The font's dots per inch, bounded as the scale is: 96 at a scale of 1.
    const char* dpi = "QT_FONT_DPI";
    const int dots = qEnvironmentVariableIntValue(dpi, &ok);
    if (ok && !Honourable(dots / 96.0)) qunsetenv(dpi);
}

void PrepareProcess() {
    // A thread's heap of its own reserves 64 MiB of address space, which a limit on it (ulimit -v)
    // may not spare at launch, where the fonts are read beside Qt's start; the game's threads
    // allocate little.
    ::mallopt(M_ARENA_MAX, 1);
    std::signal(SIGXFSZ, SIG_IGN);
    KeepScaleHonourable();
    // The only text typed is the go-to box's number, which needs no compose sequence: Qt's
    // default input method reads the locale's whole compose table (0.5 MB) at the box's first key.
    // A desktop that names an input method keeps it.
    if (!qEnvironmentVariableIsSet("QT_IM_MODULE")) qputenv("QT_IM_MODULE", "none");
}

FontConfigurationReader::FontConfigurationReader() {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return;
    // The configuration's files nest a few deep: a small stack, not the 8 MiB of a thread's own.
    pthread_attr_setstacksize(&attributes, 512 << 10);
    running_ = pthread_create(&thread_, &attributes, [](void*) -> void* { FcInit(); return nullptr; }, nullptr) == 0;
    pthread_attr_destroy(&attributes);
}

void FontConfigurationReader::Join() {
    if (running_) pthread_join(thread_, nullptr);
    running_ = false;
}

std::unique_ptr<QApplication> StartApplication(const char* programName) {
    // QApplication keeps the count and the names for the whole run.
    static std::string name = programName && *programName ? programName : "kelo";
    static char* argv[] = {name.data(), nullptr};
    static int argc = 1;
    const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
    std::signal(SIGALRM, NoDisplay);
    ::alarm(kDisplaySeconds);
    auto app = std::make_unique<QApplication>(argc, argv);
    // From here the window has its time to be shown (WatchShowing): a window that Qt cannot make
    // may hold the program before it is ever shown.
    std::signal(SIGALRM, NotShown);
    ::alarm(kShowSeconds);
    qInstallMessageHandler(previous);
    for (const QString& message : startupMessages) Say((message + '\n').toLocal8Bit().constData());
    startupMessages.clear();
    return app;
}

void WatchShowing(QWidget& window) {
    QWindow* handle = window.windowHandle();
    if (!handle) NotShown(0);
    new ShowWatch(handle);
}

}  // namespace kelo
