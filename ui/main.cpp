#include <QApplication>

#include "ui/main_window.h"

// The program's version information, readable with `readelf -p .kelo.version kelo`.
[[gnu::used, gnu::section(".kelo.version")]] static const char kVersionInfo[] =
    "FileVersion=1.00\0ProductVersion=1.00\0Language=French\0FileDescription=Kelo\0ProductName=Kelo\0"
    "Comments=Un petit jeu de strat\xC3\xA9gie...";

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    kelo::MainWindow window;
    window.Launch();
    return QApplication::exec();
}
