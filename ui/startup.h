#pragma once

#include <QApplication>
#include <memory>
#include <pthread.h>

namespace kelo {

// What the program says when Qt finds no display to show its window on, or none that answers.
inline constexpr char kNeedsDisplay[] =
    "Kelo a besoin d'un affichage graphique.\nKelo needs a graphical display.\n";
// What it says when its window could not be shown.
inline constexpr char kCannotShow[] =
    "Kelo n'a pas pu afficher sa fenêtre.\nKelo could not show its window.\n";

// Before Qt starts: one heap for all the threads, SIGXFSZ ignored, so that a limit on file sizes makes a write fail (the sound
// library's shared memory) rather than end the game; the variables through which Qt scales the
// window kept within what it can honour; and no input method unless the desktop names one.
void PrepareProcess();

// Reads the desktop's font configuration on a thread of its own: Qt reads it at the window's
// first text, a third of the launch, which the other processor does meanwhile while Qt starts.
// Made after PrepareProcess, whose variables the configuration must not be read beside, and
// joined before the first font is used. No thread when none can start: Qt reads it then.
class FontConfigurationReader {
public:
    FontConfigurationReader();
    ~FontConfigurationReader() { Join(); }
    FontConfigurationReader(const FontConfigurationReader&) = delete;
    FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;
    void Join();

private:
    pthread_t thread_{};
    bool running_ = false;
};

// Before the application is made, since Qt reads them then: a scale factor in QT_SCALE_FACTOR or
// QT_SCREEN_SCALE_FACTORS that the window cannot honour is replaced by 1, and a QT_FONT_DPI out
// of range is dropped.
void KeepScaleHonourable();

// The application, given only the program's name: the game reads no command line, and Qt's own
// options (-reverse, -style, -qwindowgeometry...) must not act. With no display, or one that does
// not answer, it says kNeedsDisplay on standard error and ends the process with status 1.
std::unique_ptr<QApplication> StartApplication(const char* programName);

// Ends the process with kCannotShow unless `window` is on the screen within 60 s of the
// application's start (StartApplication starts the count).
void WatchShowing(QWidget& window);

}  // namespace kelo
