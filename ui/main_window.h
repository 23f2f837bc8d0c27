#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

#include "game/form1.h"
#include "platform/qt_platform.h"

class QAction;
class QCoreApplication;

namespace kelo {

class ClientArea;

// Form1's window: 640 x 415 client pixels under the menu bar.
class MainWindow : public QMainWindow {
public:
    MainWindow();
    ~MainWindow() override;

    // Runs the load handler, then shows the window centred on the screen.
    void Launch();

    Form1& form() { return *form_; }
    QtPlatform& platform() { return *platform_; }
    QAction* action(const std::string& name) const;
    ClientArea* clientArea() const { return area_; }

protected:
    // Space and the arrows, whichever widget of the window Qt meant them for.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The menu bar; the items whose check marks hold the settings.
    std::map<Setting, QAction*> BuildMenuBar();

    ClientArea* area_ = nullptr;
    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<Form1> form_;
    std::map<std::string, QAction*> actions_;
};

}  // namespace kelo
