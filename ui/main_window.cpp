#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "commands/menu.h"
#include "ui/keys.h"
#include "ui/launch.h"
#include "ui/tiles.h"

namespace kelo {

namespace {
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 415;
constexpr QRgb kGrey = 0xFFC0C0C0;
const QRect kFrameRect(8, 376, 161, 25);
}  // namespace

SurfaceWidget::SurfaceWidget(const QImage* image, QWidget* parent) : QWidget(parent), image_(image) {
    setFixedSize(image->size());
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool SurfaceWidget::event(QEvent* event) {
    // Every key, Tab included, goes to the game; menu shortcuts are taken before they get here.
    if (event->type() == QEvent::KeyPress) {
        if (onKey) onKey(static_cast<QKeyEvent*>(event)->key());
        return true;
    }
    return QWidget::event(event);
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // No device to paint on when Qt could not make the window's buffer: the kept image waits
    // for the next repaint.
    if (!painter.isActive()) return;
    // On a scaled screen each image pixel becomes a block: tiles keep their hard edges.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(event->rect(), *image_, event->rect());
}

namespace {

// Frame1: an etched frame with its caption set into the top edge, the way a labelled frame looks:
// a groove of 808080, the caption's room 6 pixels in with 2 pixels either side, the caption
// centred in it. Drawn here rather than by a style sheet, whose parser and style cost the launch
// more than the rest of the window; the pixels are the ones the style sheet drew.
class CaptionFrame final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect caption(8, 0, metrics.horizontalAdvance(title() + QLatin1Char(' ')), metrics.height());
        const int w = width(), h = height();
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawLine(0, top, 0, h - 1);
        painter.drawLine(0, top, 5, top);
        painter.drawLine(caption.right() + 3, top, w - 1, top);
        painter.drawLine(w - 2, top + 2, w - 2, h - 3);
        painter.drawLine(2, h - 2, w - 2, h - 2);
        painter.setPen(Qt::black);
        painter.drawText(caption, Qt::AlignCenter | Qt::TextShowMnemonic, title());
    }
};

}  // namespace

QFont FrameFont(const QFont& base) {
    const QString longest = QString::fromStdString(kMoveCaption + "32767");
    QFont font = base;
    // The group box draws its title with a few pixels of margin on either side.
    const int room = kFrameRect.width() - 14;
    // Each size tried costs a font load at launch: start from the size that the width at 13
    // pixels points to, and step down from there only while the text is still too wide.
    font.setPixelSize(13);
    const int wide = QFontMetrics(font).horizontalAdvance(longest);
    if (wide <= room) return font;
    for (int pixels = std::clamp(13 * room / wide, 7, 12);; --pixels) {
        font.setPixelSize(pixels);
        if (pixels == 7 || QFontMetrics(font).horizontalAdvance(longest) <= room) return font;
    }
}

MainWindow::MainWindow() : surface_(kClientWidth, kClientHeight, QImage::Format_RGB32) {
    surface_.fill(kGrey);
    setWindowTitle(QStringLiteral("Kelo"));
    setWindowIcon(WindowIcon());

    surfaceWidget_ = new SurfaceWidget(&surface_, this);
    setCentralWidget(surfaceWidget_);

    frame_ = new CaptionFrame(QStringLiteral("Nombre de mouvements :"), surfaceWidget_);
    frame_->setGeometry(kFrameRect);
    frame_->setFocusPolicy(Qt::NoFocus);
    frame_->setFont(FrameFont(frame_->font()));
    QPalette palette = frame_->palette();
    palette.setColor(QPalette::Window, QColor(kGrey));
    palette.setColor(QPalette::WindowText, Qt::black);
    frame_->setPalette(palette);

    platform_ = std::make_unique<QtPlatform>(this, surfaceWidget_, frame_, &surface_, TileImages());
    form_ = std::make_unique<Form1>(*platform_);
    surfaceWidget_->onKey = [this](int qtKey) {
        if (platform_->Ending()) return;
        form_->Form_KeyDown(VirtualKeyOf(qtKey), 0);
    };
    BuildMenuBar();

    menuBar()->setFocusPolicy(Qt::NoFocus);
    // No grey palette for the window as a whole: the grey belongs to the client area, which
    // paints it from the kept image, and the menu bar keeps the desktop's colours, so that its
    // labels stay readable under dark themes too.
    QApplication::instance()->installEventFilter(this);
    adjustSize();
    setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenuBar() {
    for (const Menu& menu : MenuBar()) {
        QMenu* qmenu = menuBar()->addMenu(QString::fromStdString(menu.caption));
        for (const MenuItem& item : menu.items) {
            if (item.caption == "-") {
                qmenu->addSeparator();
                continue;
            }
            QAction* action = qmenu->addAction(QString::fromStdString(item.caption));
            actions_[item.name] = action;
            if (!item.shortcut.empty()) {
                action->setShortcut(QKeySequence(QString::fromStdString(item.shortcut), QKeySequence::PortableText));
                action->setShortcutContext(Qt::WindowShortcut);
            }
            if (item.checkMark) {
                action->setCheckable(true);
                platform_->BindCheckMark(*item.checkMark, action);
            }
            const Handler handler = item.handler;
            connect(action, &QAction::triggered, this, [this, action, handler] {
                if (platform_->Ending()) return;
                // Qt flips a checkable action before it triggers; undo that, so that the
                // handler alone flips the mark.
                if (action->isCheckable()) action->setChecked(!action->isChecked());
                handler(*form_);
            });
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Keys go to the focus widget, and the menu bar takes the focus whenever it is reached from
    // the keyboard (a lone Alt, Alt+letter, Escape out of a menu). Qt hands it back to the widget
    // that had it before, but an Alt+letter while the bar already holds the focus records the bar
    // itself as that widget, and the bar then keeps the keyboard with nothing highlighted. So the
    // game's keys are taken here, before any widget of the window sees them, unless a menu or a
    // box is open; the board gets the focus back, which ends the bar's keyboard mode.
    if (event->type() != QEvent::KeyPress || watched == surfaceWidget_) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || !isActiveWindow()) return false;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Space:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: break;
    default: return false;
    }
    surfaceWidget_->setFocus(Qt::OtherFocusReason);
    return QCoreApplication::sendEvent(surfaceWidget_, event);
}

QAction* MainWindow::action(const std::string& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::Launch() {
    Form_Load(*form_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    surfaceWidget_->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

void KeepScaleHonourable() {
    // Qt takes any number: 0 gives a window of no size that lives on unseen, 50 a picture of
    // 2.8 GB that may not be allocated. A quarter still shows every cell; 25.6 makes the window
    // as wide as the widest screens made, 16384 pixels. What Qt cannot read it ignores itself.
    constexpr double kLeast = 0.25;
    constexpr double kMost = 16384.0 / kClientWidth;
    const char* name = "QT_SCALE_FACTOR";
    if (!qEnvironmentVariableIsSet(name)) return;
    bool ok = false;
    const double factor = qEnvironmentVariable(name).toDouble(&ok);
    if (ok && !(std::isfinite(factor) && factor >= kLeast && factor <= kMost)) qputenv(name, "1");
}


}  // namespace kelo
