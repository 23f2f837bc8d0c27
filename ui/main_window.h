#pragma once

#include <QImage>
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "game/form1.h"
#include "platform/qt_platform.h"

class QAction;
class QGroupBox;

namespace kelo {

// The client area: shows the kept drawing and hands every key to the game.
class SurfaceWidget : public QWidget {
public:
    SurfaceWidget(const QImage* image, QWidget* parent);
    std::function<void(int qtKey)> onKey;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* image_;
};

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
    QGroupBox* frame() const { return frame_; }
    SurfaceWidget* surfaceWidget() const { return surfaceWidget_; }
    const QImage& surface() const { return surface_; }

protected:
    // Space and the arrows, whichever widget of the window Qt meant them for.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenuBar();

    QImage surface_;
    SurfaceWidget* surfaceWidget_ = nullptr;
    QGroupBox* frame_ = nullptr;
    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<Form1> form_;
    std::map<std::string, QAction*> actions_;
};

// Before the application is made, since Qt reads QT_SCALE_FACTOR then: a factor the window
// cannot honour is replaced by 1.
void KeepScaleHonourable();

// The largest font that shows the longest move count whole in the frame's 161 pixels.
QFont FrameFont(const QFont& base);

}  // namespace kelo
