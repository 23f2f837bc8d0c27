// The real window on the offscreen platform: what it shows, the keys, the menus and the boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <memory>

#include "commands/menu.h"
#include "platform/qt_platform.h"
#include "support/levels_util.h"
#include "ui/application.h"
#include "ui/client_area.h"
#include "ui/keys.h"
#include "ui/tiles.h"

namespace kelo {
namespace {

// Two small levels beside the test program, which is the game's program folder here; the window
// launched on them and shown.
void Launch(MainWindow& window) {
    std::ofstream(QCoreApplication::applicationDirPath().toStdString() + "/levels.txt", std::ios::binary)
        << test::Walled({"32000000000000", "00000000000004"}) + test::Walled({"30000000000020", "00000000000004"});
    window.Launch();
    QApplication::processEvents();  // the window becomes the active one
}

// Runs `open`, and hands the modal box it opens to `inspect`, then cancels it unless `inspect`
// closed it. Returns the text of the box if it was a message box, "" if none opened.
QString WithBox(const std::function<void()>& open, const std::function<void(QDialog*)>& inspect = {}) {
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (auto* message = qobject_cast<QMessageBox*>(box)) text = message->text();
        if (box && inspect) inspect(box);
        if (box && box->isVisible()) box->reject();
    });
    open();
    QApplication::processEvents();  // the timer's turn when no box opened
    return text;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Launch(window);
        window.platform().SetChecked(Setting::Son, false);  // no sound in the test machine's way
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window.clientArea(), &press);
    }
    // Is tile `code` drawn with its top left corner at (x, y)?
    bool Shows(int x, int y, int code) const {
        static const auto tiles = TileImages();
        return window.clientArea()->Picture(QRect(x, y, 40, 40)) == tiles[code];
    }
    // The game's last message as a box shows it, its lines broken.
    std::string Message() { return QString::fromStdString(window.form().MessageText).replace("\r\n", "\n").toStdString(); }
    MainWindow window;
};

TEST_F(WindowTest, OpensOnLevelOneAtItsSizeWithItsIcon) {
    EXPECT_EQ(window.windowTitle(), "Kelo - Niveau 1");
    EXPECT_EQ(window.size(), QSize(640, window.menuBar()->height() + 415));
    const QString assets = QStringLiteral(KELO_SOURCE_DIR "/assets/");
    EXPECT_EQ(window.windowIcon().pixmap(32).toImage(),
              QImage(assets + "kelo-32.png").convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // The built-in pictures are the asset files' pixels.
    const auto tiles = TileImages();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tiles[i], QImage(assets + QStringLiteral("tile%1.bmp").arg(i)).convertToFormat(QImage::Format_RGB32)) << i;
}

// Down, left, up against the ball's column, right; the selected piece shows beside the board.
TEST_F(WindowTest, TheSquareGoesRoundTheBoard) {
    Key(Qt::Key_Space);
    EXPECT_TRUE(Shows(580, 361, Square));
    const struct { int key, x, y; } slides[] = {{Qt::Key_Down, 560, 280}, {Qt::Key_Left, 40, 280},
                                                {Qt::Key_Up, 40, 80}, {Qt::Key_Right, 560, 80}};
    for (const auto& [key, x, y] : slides) {
        Key(key);
        EXPECT_TRUE(Shows(x, y, Square)) << key;
    }
    EXPECT_EQ(window.clientArea()->frame()->title(), "Nombre de mouvements : 4");
}

// Presses that a held key repeats while a slide is drawn are dropped, not played as slides after
// it (10 s of a held arrow once queued 60 s of slides); a deliberate press made meanwhile counts.
// The slide down lasts six frames from its key, made at 1000 ms on the keys' clock.
TEST_F(WindowTest, KeysRepeatedDuringASlideAreNotPlayedAfterIt) {
    Key(Qt::Key_Space);
    const struct { int key; int made; bool repeated; } presses[] = {
        {Qt::Key_Down, 1000, false}, {Qt::Key_Left, 1001, true}, {Qt::Key_Up, 1002, false}};
    for (const auto& [key, made, repeated] : presses) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeated);
        press.setTimestamp(made);
        QApplication::sendEvent(window.clientArea(), &press);
    }
    EXPECT_TRUE(Shows(560, 40, Square));
    EXPECT_EQ(window.form().MoveCount, 2);
}

TEST_F(WindowTest, TheLongestMoveCountFitsInsideTheFramesTitleMargins) {
    EXPECT_LE(QFontMetrics(window.clientArea()->frame()->font()).horizontalAdvance("Nombre de mouvements : 32767"),
              window.clientArea()->frame()->width() - 14);
}

TEST_F(WindowTest, AWinShowsItsMessageInAPlainBox) {
    const QString won = WithBox([&] { Key(Qt::Key_Right); }, [](QDialog* d) {
        auto* box = static_cast<QMessageBox*>(d);
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->buttons().size(), 1);
    });
    EXPECT_EQ(won.toStdString(), Message());
    EXPECT_EQ(window.windowTitle(), "Kelo - Niveau 2");
}

// The bar holds the table's items in order, with their shortcuts and check marks; a toggle
// chosen flips its mark once (Qt flips it, and the handler is not run again), and the mark is the
// setting both ways (Son was unchecked by SetChecked before it was chosen); the go-to, help
// and about boxes open (a cancelled go-to and Suivant: e2e/session.sh). Qt's buttons read English when its own French texts are not loaded,
// whatever LANG says: the build runs this test under several.
TEST_F(WindowTest, TheMenuBarSpeaksFrenchAndOpensItsBoxes) {
    std::string shown;
    std::string table;
    for (const Menu& m : MenuBar()) {
        table += m.caption;
        for (const MenuItem& i : m.items)
            table += "|" + (i.caption == "-" ? "separator" : i.caption) + " " + i.shortcut + (i.checkMark ? "*" : "");
    }
    for (QAction* m : window.menuBar()->actions()) {
        shown += m->text().toStdString();
        for (QAction* a : m->menu()->actions())
            shown += "|" + (a->isSeparator() ? "separator" : a->text().toStdString()) + " " +
                     a->shortcut().toString(QKeySequence::PortableText).toStdString() + (a->isCheckable() ? "*" : "");
    }
    EXPECT_EQ(shown, table);
    for (const char* name : {"Animation", "Son"}) window.action(name)->trigger();
    EXPECT_FALSE(window.action("Animation")->isChecked());
    EXPECT_FALSE(window.platform().Checked(Setting::Animation));
    EXPECT_TRUE(window.action("Son")->isChecked());
    EXPECT_TRUE(window.platform().Checked(Setting::Son));

    QStringList labels;
    QStringList editMenu;
    WithBox([&] { window.action("Aller")->trigger(); }, [&](QDialog* d) {
        for (QAbstractButton* b : d->findChild<QDialogButtonBox*>()->buttons()) labels << b->text().remove('&');
        const std::unique_ptr<QMenu> menu(d->findChild<QLineEdit*>()->createStandardContextMenu());
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) editMenu << a->text().section('\t', 0, 0);
        qobject_cast<QInputDialog*>(d)->setTextValue("2");
        d->accept();
    });
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"Annuler", "OK"})) << qPrintable(qEnvironmentVariable("LANG"));
    // The line edit's menu and the names of its keys come from the same built-in texts.
    EXPECT_EQ(editMenu.join('|').toStdString(), "&Annuler|&Rétablir|Co&uper|Cop&ier|Co&ller|Supprimer|Tout sélectionner");
    EXPECT_EQ(QKeySequence("Ctrl+Shift+Z").toString(QKeySequence::NativeText).toStdString(), "Ctrl+Maj+Z");
    EXPECT_EQ(window.windowTitle(), "Kelo - Niveau 2");
    for (const char* name : {"Comment", "Apropos"}) {
        const QString shown = WithBox([&] { window.action(name)->trigger(); });
        EXPECT_EQ(shown.toStdString(), Message()) << name;
    }
    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.kelo.kelo");
}

// The client area is 640 x 415 whole under the menu bar, under each style; the Windows style
// lays its bar out a pixel taller than the bar asks for, and once cut the area to 414.
TEST(Styles, TheClientAreaIsWholeUnderEveryStyle) {
    const QString before = QApplication::style()->name();
    for (const char* name : {"Fusion", "Windows"}) {
        QApplication::setStyle(name);
        MainWindow window;
        Launch(window);
        EXPECT_EQ(window.height() - window.clientArea()->geometry().top(), 415) << name;
        EXPECT_EQ(window.width(), 640) << name;
    }
    QApplication::setStyle(before);
}

// Once Quitter has ended the game, keys and commands still on their way reach nothing: the window
// shuts off its own input, so that no handler has to ask whether the game is ending.
TEST_F(WindowTest, NoKeyNorCommandReachesTheGameAfterItEnds) {
    window.platform().End();
    Key(Qt::Key_Right);
    window.action("Suivant")->trigger();
    EXPECT_TRUE(Shows(40, 40, Ball));
    EXPECT_EQ(window.windowTitle(), "Kelo - Niveau 1");
    EXPECT_FALSE(window.isEnabled());
    // End asked an event loop to end, and none was running here: one runs and ends now, or the
    // next box of the run would close as soon as it opened.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QApplication::exec();
}

// The game tells apart Space, the four arrows and any other key: every other key has one code.
TEST(Keys, EveryKeyButSpaceAndTheArrowsIsTheSameOtherKey) {
    const struct { int qtKey; int code; } keys[] = {
        {Qt::Key_Space, 32}, {Qt::Key_Left, 37}, {Qt::Key_Up, 38}, {Qt::Key_Right, 39}, {Qt::Key_Down, 40},
        {Qt::Key_A, kKeyOther}, {Qt::Key_5, kKeyOther}, {Qt::Key_Escape, kKeyOther},
        {Qt::Key_Return, kKeyOther}, {Qt::Key_Tab, kKeyOther}, {Qt::Key_F1, kKeyOther},
    };
    for (const auto& [qtKey, code] : keys) EXPECT_EQ(VirtualKeyOf(qtKey), code) << qtKey;
}

// WCAG contrast of a picture of text: its commonest colour is the background, the text the
// colour farthest from it.
double Contrast(const QPixmap& picture) {
    const QImage image = picture.toImage();
    std::map<QRgb, int> counts;
    for (int i = 0; i < image.width() * image.height(); ++i) ++counts[image.pixel(i % image.width(), i / image.width())];
    const auto luminance = [](QRgb c) {
        const auto f = [](double s) { return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4); };
        return 0.2126 * f(qRed(c) / 255.0) + 0.7152 * f(qGreen(c) / 255.0) + 0.0722 * f(qBlue(c) / 255.0) + 0.05;
    };
    const double back = luminance(
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first);
    double best = 1;
    for (const auto& [c, n] : counts) best = std::max({best, luminance(c) / back, back / luminance(c)});
    return best;
}

// What the platform draws (the menu bar, the go-to box) is readable under light and dark desktops;
// once the bar took the window's grey with the desktop's near-white labels, 1.6 to 1. The move
// count keeps its black on the board's grey.
TEST(Colours, PlatformDrawnPartsAreReadableUnderLightAndDarkDesktops) {
    // The dark one: white text on the greys of Breeze Dark's buttons and windows.
    for (const QPalette& palette : {QApplication::palette(), QPalette(QColor(0x292c30), QColor(0x202326))}) {
        QApplication::setPalette(palette);
        MainWindow window;
        Launch(window);
        // The move count, and a label of the bar on its own, inside its item's edges.
        const QRect item = window.menuBar()->actionGeometry(window.menuBar()->actions()[0]).adjusted(2, 2, -2, -2);
        std::vector<double> seen = {Contrast(window.clientArea()->frame()->grab()), Contrast(window.menuBar()->grab().copy(item))};
        WithBox([&] { window.action("Aller")->trigger(); },
                [&](QDialog* d) { seen.push_back(Contrast(d->findChild<QLabel*>()->grab())); });
        ASSERT_EQ(seen.size(), 3u);
        for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_GE(seen[i], 4.5) << "count, menu bar, go-to box: " << i;
    }
}

// Under X11 a refresh first waits for the server to have read the window's last pixels. Between
// the window's showing and its first exposure (a key sent at once) there were none yet, and the
// wait crashed inside Qt.
TEST(ClientAreaOnX11, ARefreshBeforeTheFirstExposureIsHarmless) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "the wait is X11's";
    ClientArea area;
    area.show();
    const QImage tile = TileImages()[1];
    area.Paint(tile, 0, 0);
    area.Refresh();
    QApplication::processEvents();
    EXPECT_EQ(area.Picture(QRect(0, 0, 1, 1)).pixel(0, 0), tile.pixel(0, 0));
}

// A slide's frames are paced against each other. A wake-up late by 2 ms used to be made up by a
// frame 2 ms short after it: one late frame shown as two uneven ones.
TEST(FramePacing, ALateWakeUpIsNotMadeUpByAShortFrameAfterIt) {
    const auto deadline = std::chrono::steady_clock::time_point(std::chrono::seconds(100));
    const auto woke = deadline + std::chrono::milliseconds(2);
    EXPECT_EQ(PauseEnd(deadline, woke), woke);
}

// The usual lateness of a wake-up is made up, or a slide would drift 15 times by it.
TEST(FramePacing, AWakeUpAsLateAsUsualKeepsTheSlidesTempo) {
    const auto deadline = std::chrono::steady_clock::time_point(std::chrono::seconds(100));
    EXPECT_EQ(PauseEnd(deadline, deadline + std::chrono::microseconds(200)), deadline);
}

}  // namespace
}  // namespace kelo

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelo::SetUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
