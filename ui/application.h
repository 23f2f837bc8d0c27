#pragma once

#include <QApplication>

#include "kelo_version.h"
#include "ui/main_window.h"

namespace kelo {

// What the program and its window tests set up alike once the application exists: its names and
// the desktop file that Wayland compositors match the window to. Qt's texts in French come with
// the first box (QtPlatform), the only place that shows them.
inline void SetUpApplication(QApplication&) {
    QApplication::setApplicationName(QStringLiteral(KELO_PRODUCT_NAME));
    QApplication::setApplicationVersion(QStringLiteral(KELO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KELO_APP_ID));
}

}  // namespace kelo
