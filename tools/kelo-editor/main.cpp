#include <QApplication>
#include <QCommandLineParser>

#include "tools/kelo-editor/editor_window.h"
#include "kelo_version.h"
#include "platform/qt_platform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelo-editor"));
    QApplication::setApplicationVersion(QStringLiteral(KELO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KELO_EDITOR_APP_ID));
    // The file dialogs and boxes may open at any moment: Qt's French texts from the start.
    kelo::LoadQtFrenchOnce(true);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Éditeur de niveaux de Kelo"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("fichier"), QStringLiteral("le fichier de niveaux à ouvrir"));
    parser.process(app);
    kelo::editor::EditorWindow window;
    if (!parser.positionalArguments().isEmpty()) window.OpenFile(parser.positionalArguments().first());
    window.show();
    return QApplication::exec();
}
