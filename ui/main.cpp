#include <QApplication>

#include "kelo_version.h"
#include "ui/application.h"
#include "ui/main_window.h"

// The program's version information, readable with `readelf -p .kelo.version kelo`.
[[gnu::used, gnu::section(".kelo.version")]] static const char kVersionInfo[] =
    "FileVersion=" KELO_VERSION "\0ProductVersion=" KELO_VERSION "\0Language=" KELO_LANGUAGE
    "\0FileDescription=" KELO_PRODUCT_NAME "\0ProductName=" KELO_PRODUCT_NAME "\0Comments=" KELO_COMMENT;

int main(int argc, char* argv[]) {
    kelo::KeepScaleHonourable();
    QApplication app(argc, argv);
    kelo::SetUpApplication(app);
    kelo::MainWindow window;
    window.Launch();
    return QApplication::exec();
}
