#include <QApplication>

#include "kelo_version.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/startup.h"

// The program's version information, readable with `readelf -p .kelo.version kelo`.
[[gnu::used, gnu::section(".kelo.version")]] static const char kVersionInfo[] =
    "FileVersion=" KELO_VERSION "\0ProductVersion=" KELO_VERSION "\0Language=" KELO_LANGUAGE
    "\0FileDescription=" KELO_PRODUCT_NAME "\0ProductName=" KELO_PRODUCT_NAME "\0Comments=" KELO_COMMENT;

int main(int argc, char* argv[]) {
    kelo::PrepareProcess();
    kelo::FontConfigurationReader fonts;
    const auto app = kelo::StartApplication(argc > 0 ? argv[0] : nullptr);
    kelo::SetUpApplication(*app);
    fonts.Join();
    kelo::MainWindow window;
    window.Launch();
    kelo::WatchShowing(window);
    return QApplication::exec();
}
