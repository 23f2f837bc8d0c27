#pragma once

#include <QApplication>
#include <QIcon>

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
    // With no icon theme of the desktop's, Qt falls back to hicolor, which holds applications'
    // own icons and never the boxes' buttons': the OK button's check mark comes from Qt's own
    // pictures either way. Searching hicolor first reads its whole index (0.7 MiB of text, the
    // largest part of the memory the first box takes), so Qt is given no folder but its own.
    if (QIcon::themeName() == QLatin1String("hicolor")) QIcon::setThemeSearchPaths({QStringLiteral(":/icons")});
}

}  // namespace kelo
