// The real window on the offscreen platform: layout, drawing, keys, menus and boxes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "support/levels_util.h"
#include "tools/art.h"
#include "ui/application.h"
#include "ui/keys.h"
#include "ui/main_window.h"
#include "ui/tiles.h"

namespace kelo {
namespace {

// Three small levels beside the test program, which is the game's program folder here.
void WriteLevels() {
    const std::string file = test::Walled({"32000000000000", "00000000000004"}) +
                             test::Walled({"30000000000020", "00000000000004"}) +
                             test::Walled({"30000000000000", "00000000000042", "00000000000000"});
    QFile out(QCoreApplication::applicationDirPath() + "/levels.txt");
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(file.data(), static_cast<qint64>(file.size()));
}

void ExpectTile(const QImage& surface, int x0, int y0, int code) {
    const art::TilePixels tile = art::Tile(code);
    int wrong = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) wrong += (surface.pixel(x0 + x, y0 + y) & 0xFFFFFF) != tile[y * 40 + x];
    }
    EXPECT_EQ(wrong, 0) << "tile " << code << " at " << x0 << "," << y0;
}

// Answers the next modal box with `answer`, after letting `inspect` look at it.
void WhenBoxOpens(std::function<void(QWidget*)> inspect, std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [=] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        inspect(box);
        answer(box);
    });
}

void Key(MainWindow& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w.surfaceWidget(), &press);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteLevels();
        window = std::make_unique<MainWindow>();
        window->Launch();
        window->platform().SetChecked(Setting::Son, false);  // no sound in the test machine's way
    }
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, OpensWithItsLayoutTitleAndFirstBoard) {
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 1");
    EXPECT_EQ(window->centralWidget()->size(), QSize(640, 415));
    EXPECT_EQ(window->size(), QSize(640, window->menuBar()->height() + 415));
    EXPECT_EQ(window->frame()->geometry(), QRect(8, 376, 161, 25));
    EXPECT_EQ(window->frame()->title(), "Nombre de mouvements : 0");
    EXPECT_EQ(window->frame()->focusPolicy(), Qt::NoFocus);
    const QFontMetrics metrics(window->frame()->font());
    EXPECT_LE(metrics.horizontalAdvance("Nombre de mouvements : 32767"), 161 - 14);
    EXPECT_FALSE(window->windowIcon().isNull());

    const QImage& s = window->surface();
    ExpectTile(s, 0, 0, Wall);
    ExpectTile(s, 40, 40, Ball);
    ExpectTile(s, 80, 40, Ring);
    ExpectTile(s, 560, 80, Square);
    ExpectTile(s, 80, 80, Empty);
    ExpectTile(s, 580, 361, Ball);
    // The bevel: white top and left, black right and bottom, the top-right corner black.
    for (int x = 579; x <= 619; ++x) EXPECT_EQ(s.pixel(x, 360), 0xFFFFFFFFu) << x;
    for (int y = 360; y <= 401; ++y) EXPECT_EQ(s.pixel(579, y), y == 401 ? 0xFF000000u : 0xFFFFFFFFu) << y;
    for (int y = 360; y <= 401; ++y) EXPECT_EQ(s.pixel(620, y), 0xFF000000u) << y;
    for (int x = 579; x <= 620; ++x) EXPECT_EQ(s.pixel(x, 401), 0xFF000000u) << x;
    EXPECT_EQ(s.pixel(300, 400), 0xFFC0C0C0u);
}

TEST_F(WindowTest, TheBuiltInImagesAreTheDrawnTiles) {
    const auto tiles = TileImages();
    for (int code = 0; code < 5; ++code) {
        ASSERT_EQ(tiles[code].size(), QSize(40, 40));
        const art::TilePixels expected = art::Tile(code);
        for (int i = 0; i < 1600; ++i) ASSERT_EQ(tiles[code].pixel(i % 40, i / 40) & 0xFFFFFF, expected[i]) << code;
    }
    QImage source(QStringLiteral(":/assets/tile1.bmp"));
    EXPECT_EQ(source.format(), QImage::Format_Indexed8);
    const QImage icon = WindowIcon().pixmap(32, 32).toImage();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(15, 15)), 255);

    // The launcher's icons: the small one is the window icon pixel for pixel, the large one the
    // same disc with a soft edge.
    const QImage small(QStringLiteral(KELO_SOURCE_DIR "/assets/kelo-32.png"));
    ASSERT_EQ(small.size(), QSize(32, 32));
    const auto pixels = art::IconPixels();
    for (int i = 0; i < 32 * 32; ++i) {
        const QRgb p = small.pixel(i % 32, i / 32);
        if (pixels[i] == art::kTransparent) {
            ASSERT_EQ(qAlpha(p), 0) << i;
        } else {
            ASSERT_EQ(p, 0xFF000000u | pixels[i]) << i;
        }
    }
    const QImage large(QStringLiteral(KELO_SOURCE_DIR "/assets/kelo-256.png"));
    ASSERT_EQ(large.size(), QSize(256, 256));
    EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(large.pixel(128, 128)), 255);
    int soft = 0;
    for (int i = 0; i < 256 * 256; ++i) soft += qAlpha(large.pixel(i % 256, i / 256)) % 255 != 0;
    EXPECT_GT(soft, 400);   // a part-covered ring of pixels round the disc...
    EXPECT_LT(soft, 2000);  // ...and no more than that
    EXPECT_EQ(qGreen(large.pixel(80, 72)), 0xF8);  // bright green at the upper left
}

TEST_F(WindowTest, KeysPlayAndTheCounterIsReadable) {
    Key(*window, Qt::Key_Space);
    ExpectTile(window->surface(), 580, 361, Square);
    Key(*window, Qt::Key_Space);
    Key(*window, Qt::Key_Down);
    EXPECT_EQ(window->frame()->title(), "Nombre de mouvements : 1");
    ExpectTile(window->surface(), 40, 280, Ball);
    ExpectTile(window->surface(), 40, 40, Empty);
    // Tab and letters are keys of the game too, and change nothing here.
    Key(*window, Qt::Key_Tab);
    Key(*window, Qt::Key_Q);
    EXPECT_EQ(window->form().MoveCount, 1);
    EXPECT_TRUE(window->surfaceWidget()->focusPolicy() & Qt::TabFocus);
}

TEST_F(WindowTest, WinningShowsTheResultBoxThenTheNextLevel) {
    QString text, title;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::Warning;
    WhenBoxOpens(
        [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
        },
        [](QWidget* w) { static_cast<QMessageBox*>(w)->accept(); });
    Key(*window, Qt::Key_Right);
    EXPECT_EQ(text, QString::fromUtf8("Niveau 1 terminé !\nNombre de mouvements : 1\nTemps écoulé : 0h 0m 0s"));
    EXPECT_EQ(title, "Kelo...");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 2");
    EXPECT_EQ(window->frame()->title(), "Nombre de mouvements : 0");
}

TEST_F(WindowTest, TheMenuBarIsBuiltFromItsDescription) {
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&Jeu");
    EXPECT_EQ(menus[1]->text(), "&Options");
    EXPECT_EQ(menus[2]->text(), "&Aide");
    QStringList items;
    for (QAction* a : menus[0]->menu()->actions()) items << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(items, (QStringList{"&Nouveau", "&Recommencer le niveau", "Niveau &Suivant", "&Aller au niveau", "-",
                                  "&Quitter"}));
    EXPECT_EQ(window->action("Nouveau")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(window->action("Aller")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(window->action("Son")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_EQ(window->action("Comment")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(window->action("Quitter")->shortcut().isEmpty());
    EXPECT_TRUE(window->action("Animation")->isChecked());
    EXPECT_TRUE(window->action("Animation")->isCheckable());
    EXPECT_FALSE(window->action("Nouveau")->isCheckable());
}

TEST_F(WindowTest, ChoosingAToggleFlipsItOnce) {
    window->action("Animation")->trigger();
    EXPECT_FALSE(window->action("Animation")->isChecked());
    EXPECT_FALSE(window->platform().Checked(Setting::Animation));
    window->action("Animation")->trigger();
    EXPECT_TRUE(window->platform().Checked(Setting::Animation));
    window->action("Son")->trigger();
    EXPECT_TRUE(window->action("Son")->isChecked());
}

TEST_F(WindowTest, CommandsFromTheMenuLoadLevels) {
    window->action("Suivant")->trigger();
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 2");
    window->action("Suivant")->trigger();
    window->action("Suivant")->trigger();
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 1");
    QString prompt, title, field = "x";
    WhenBoxOpens(
        [&](QWidget* w) {
            auto* dialog = qobject_cast<QInputDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            prompt = dialog->labelText();
            title = dialog->windowTitle();
            field = dialog->textValue();
            dialog->setTextValue("3");
        },
        [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    window->action("Aller")->trigger();
    EXPECT_EQ(prompt, "Aller au niveau :");
    EXPECT_EQ(title, "Kelo...");
    EXPECT_EQ(field, "");
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 3");
    WhenBoxOpens([](QWidget*) {}, [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    window->action("Aller")->trigger();
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 3");
}

TEST_F(WindowTest, HelpAndAboutBoxesShowTheirTexts) {
    QString text, title;
    WhenBoxOpens(
        [&](QWidget* w) {
            text = static_cast<QMessageBox*>(w)->text();
            title = w->windowTitle();
        },
        [](QWidget* w) { static_cast<QMessageBox*>(w)->accept(); });
    window->action("Apropos")->trigger();
    EXPECT_EQ(title, "Infos inutiles sur Kelo...");
    EXPECT_EQ(text, QString::fromUtf8("Programmation : Tolv\nGraphismes : Tolv\nIdées : Pas moi\n\nJuin, Juillet 2000"));
    EXPECT_EQ(window->windowTitle(), "Kelo - Niveau 1");
}

TEST_F(WindowTest, QuitEndsTheEventLoopAndNoHandlerRunsAfter) {
    QTimer::singleShot(0, [this] { window->action("Quitter")->trigger(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    Key(*window, Qt::Key_Down);
    EXPECT_EQ(window->form().MoveCount, 0);
}

// Qt's buttons read English when its own French texts are not loaded, whatever LANG says.
TEST_F(WindowTest, TheGoToBoxSpeaksFrenchAndTheDesktopFileIsNamed) {
    EXPECT_EQ(QGuiApplication::desktopFileName(), "org.kelo.kelo");
    QStringList labels;
    WhenBoxOpens(
        [&](QWidget* w) {
            for (QAbstractButton* b : w->findChild<QDialogButtonBox*>()->buttons()) labels << b->text().remove('&');
        },
        [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    window->action("Aller")->trigger();
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"Annuler", "OK"})) << qPrintable(qEnvironmentVariable("LANG"));
}

// WCAG contrast of a picture of text: its commonest colour is the background, the text the
// colour farthest from it.
double Contrast(const QImage& picture) {
    const auto luminance = [](QRgb c) {
        const auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const auto ratio = [](double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); };
    std::map<QRgb, int> counts;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    }
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    double best = 1;
    for (const auto& [colour, n] : counts) best = std::max(best, ratio(luminance(colour), luminance(background)));
    return best;
}

// A dark desktop's colours (those of Breeze Dark).
QPalette DarkPalette() {
    QPalette p;
    const QColor text(0xfc, 0xfc, 0xfc);
    p.setColor(QPalette::Window, QColor(0x20, 0x23, 0x26));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Button, QColor(0x29, 0x2c, 0x30));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
    p.setColor(QPalette::AlternateBase, QColor(0x1d, 0x1f, 0x22));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::Light, QColor(0x40, 0x45, 0x4b));
    p.setColor(QPalette::Midlight, QColor(0x35, 0x39, 0x3e));
    p.setColor(QPalette::Mid, QColor(0x1e, 0x21, 0x24));
    p.setColor(QPalette::Dark, QColor(0x14, 0x16, 0x18));
    p.setColor(QPalette::Shadow, QColor(0x0b, 0x0c, 0x0d));
    return p;
}

// What the platform draws (the menu bar, a menu, the go-to box and its buttons) is readable
// under light and dark desktops; once the bar took the window's grey with the desktop's
// near-white labels, 1.6 to 1.
TEST(Colours, PlatformDrawnPartsAreReadableUnderLightAndDarkDesktops) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QPalette original = QApplication::palette();
    for (const auto& [name, palette] : {std::pair{"light", QApplication::style()->standardPalette()},
                                        std::pair{"dark", DarkPalette()}}) {
        QApplication::setPalette(palette);
        WriteLevels();
        MainWindow window;
        window.Launch();
        // Each label on its own, inside its item's edges.
        const auto itemsOf = [](QWidget* w, const QList<QAction*>& actions, auto geometry) {
            const QImage picture = w->grab().toImage();
            double least = 100;
            for (QAction* a : actions) {
                if (!a->isSeparator()) least = std::min(least, Contrast(picture.copy(geometry(a).adjusted(2, 2, -2, -2))));
            }
            return least;
        };
        QMenuBar* menuBar = window.menuBar();
        const double bar = itemsOf(menuBar, menuBar->actions(), [&](QAction* a) { return menuBar->actionGeometry(a); });
        EXPECT_GE(bar, 4.5) << name << " menu bar";
        QMenu* jeu = menuBar->actions()[0]->menu();
        jeu->popup(window.mapToGlobal(QPoint(0, 0)));
        const double menu = itemsOf(jeu, jeu->actions(), [&](QAction* a) { return jeu->actionGeometry(a); });
        EXPECT_GE(menu, 4.5) << name << " menu";
        jeu->hide();
        std::vector<double> box;
        WhenBoxOpens(
            [&](QWidget* w) {
                box.push_back(Contrast(w->findChild<QLabel*>()->grab().toImage()));
                for (QAbstractButton* b : w->findChild<QDialogButtonBox*>()->buttons())
                    box.push_back(Contrast(b->grab().toImage().copy(b->rect().adjusted(4, 4, -4, -4))));
            },
            [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
        window.action("Aller")->trigger();
        ASSERT_EQ(box.size(), 3u);
        for (double c : box) EXPECT_GE(c, 4.5) << name << " go-to box";
        std::printf("%s desktop: menu bar %.1f:1, menu %.1f:1, go-to box %.1f:1 at the least\n", name, bar, menu,
                    *std::min_element(box.begin(), box.end()));
        // The board keeps its grey whatever the desktop.
        EXPECT_EQ(window.surfaceWidget()->grab().toImage().pixel(300, 400), 0xFFC0C0C0u) << name;
    }
    QApplication::setPalette(original);
}

TEST(Keys, MapToTheGamesCodes) {
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Space), 32);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Left), 37);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Up), 38);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Right), 39);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Down), 40);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_A), 65);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_F1), 112);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Eacute), 0);
}

}  // namespace
}  // namespace kelo

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelo::SetUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
