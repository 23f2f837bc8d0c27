#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <cmath>

#include "commands/menu.h"
#include "ui/client_area.h"
#include "ui/keys.h"
#include "ui/launch.h"
#include "ui/tiles.h"

namespace kelo {

MainWindow::MainWindow() {
    setWindowTitle(QStringLiteral("Kelo"));
    setWindowIcon(WindowIcon());

    area_ = new ClientArea(this);
    setCentralWidget(area_);
    platform_ = std::make_unique<QtPlatform>(*this, *area_, TileImages(), BuildMenuBar());
    form_ = std::make_unique<Form1>(*platform_);
    area_->onKey = [this](int qtKey) { form_->Form_KeyDown(VirtualKeyOf(qtKey), 0); };

    menuBar()->setFocusPolicy(Qt::NoFocus);
    // No grey palette for the window as a whole: the grey belongs to the client area, which
    // paints it from the kept image, and the menu bar keeps the desktop's colours, so that its
    // labels stay readable under dark themes too.
    QApplication::instance()->installEventFilter(this);
    // The client area lies under the bar as laid out, which some styles make taller than its hint
    // (a pixel, under Windows): the window is sized from that.
    setFixedSize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
    layout()->activate();
    setFixedSize(kClientWidth, menuBar()->height() + kClientHeight);
}

MainWindow::~MainWindow() = default;

std::map<Setting, QAction*> MainWindow::BuildMenuBar() {
    std::map<Setting, QAction*> checkMarks;
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
                // Checked at launch. Qt inverts the mark itself when the item is chosen, which is
                // all that the item's handler does: the handler is not run again.
                action->setCheckable(true);
                action->setChecked(true);
                checkMarks[*item.checkMark] = action;
                continue;
            }
            const Handler handler = item.handler;
            connect(action, &QAction::triggered, this, [this, handler] { handler(*form_); });
        }
    }
    return checkMarks;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Keys go to the focus widget, and the menu bar takes the focus whenever it is reached from
    // the keyboard (a lone Alt, Alt+letter, Escape out of a menu). Qt hands it back to the widget
    // that had it before, but an Alt+letter while the bar already holds the focus records the bar
    // itself as that widget, and the bar then keeps the keyboard with nothing highlighted. So the
    // game's keys are taken here, before any widget of the window sees them, unless a menu or a
    // box is open; the board gets the focus back, which ends the bar's keyboard mode.
    if (event->type() != QEvent::KeyPress || watched == area_) return false;
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
    area_->setFocus(Qt::OtherFocusReason);
    return QCoreApplication::sendEvent(area_, event);
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
    area_->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

}  // namespace kelo
