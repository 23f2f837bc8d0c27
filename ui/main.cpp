#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kelo::MainWindow window;
    window.Launch();
    return QApplication::exec();
}
