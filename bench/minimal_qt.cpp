// The toolkit's own floor: an empty 640 x 415 window under a menu bar, nothing else. Built with
// KELO_MINIMAL_SOUND it also plays Ding.wav (beside it) at every key, through QSoundEffect, or
// with KELO_MINIMAL_CANBERRA through the game's own EventSound: the two sound paths side by side.
// KELO_MINIMAL_BOXES adds the toolkit's boxes at the bench session's keys, where the game opens
// its own: a box at the third key (the win) and at F1, an input box at Ctrl+A.
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPalette>
#ifdef KELO_MINIMAL_SOUND
#include <QSoundEffect>
#include <QUrl>
#endif
#ifdef KELO_MINIMAL_CANBERRA
#include "platform/event_sound.h"
#endif
#ifdef KELO_MINIMAL_BOXES
#include <QInputDialog>
#include <QMessageBox>
#endif

namespace {

class Area : public QWidget {
protected:
    void keyPressEvent(QKeyEvent* event) override {
#ifdef KELO_MINIMAL_SOUND
        if (!ding_.isLoaded()) ding_.setSource(QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/Ding.wav"));
        ding_.play();
#endif
#ifdef KELO_MINIMAL_CANBERRA
        sound_.Play((QCoreApplication::applicationDirPath() + "/Ding.wav").toStdString());
#endif
#ifdef KELO_MINIMAL_BOXES
        ++keys_;
        if (keys_ == 3 || event->key() == Qt::Key_F1) {
            QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Boîte"), QStringLiteral("Bravo"), QMessageBox::Ok, this);
            box.exec();
        } else if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
            QInputDialog dialog(this);
            dialog.setWindowTitle(QStringLiteral("Boîte"));
            dialog.setLabelText(QStringLiteral("Niveau"));
            dialog.exec();
        }
#endif
        QWidget::keyPressEvent(event);
    }
#ifdef KELO_MINIMAL_SOUND
    QSoundEffect ding_;
#endif
#ifdef KELO_MINIMAL_CANBERRA
    kelo::EventSound sound_;
#endif
#ifdef KELO_MINIMAL_BOXES
    int keys_ = 0;
#endif
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    for (const char* title : {"&Jeu", "&Options", "&Aide"}) window.menuBar()->addMenu(QString::fromUtf8(title));
    auto* area = new Area;
    area->setFocusPolicy(Qt::StrongFocus);
    area->setFixedSize(640, 415);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    area->setPalette(palette);
    area->setAutoFillBackground(true);
    window.setCentralWidget(area);
    window.show();
    area->setFocus();
    return QApplication::exec();
}
