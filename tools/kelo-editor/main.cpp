#include <QApplication>
#include <QCommandLineParser>

#include "tools/kelo-editor/editor_window.h"
#include "kelo_version.h"
#include "ui/main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelo-editor"));
    QApplication::setApplicationVersion(QStringLiteral(KELO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelo.kelo-editor"));
    kelo::LoadQtFrench(app);
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
