// vornak [FILE]: starts the editor, opening FILE when one is named.
#include "CEditorApp.h"
#include "DisplayCheck.h"
#include "PlatformServices.h"
#include "ShellOpen.h"
#include "TextCodec.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv) {
    const QString program = QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "vornak")).fileName();
    if (!vornak::hasDisplay(QProcessEnvironment::systemEnvironment())) {
        std::fputs(qPrintable(vornak::noDisplayHelp(program)), stderr);
        return 2;
    }

    vornak::installDisplayFailureHandler(program);
    QApplication application(argc, argv);
    vornak::restoreFailureHandler();

    if (!vornak::TextCodec::isAvailable()) {
        std::fprintf(stderr, "%s: this system cannot convert text to Windows-1251\n", qPrintable(program));
        return 1;
    }

    vornak::QtPlatformServices platform(std::make_unique<vornak::QtShellOpener>());
    vornak::CEditorApp editor(platform.services(), QApplication::arguments().mid(1));
    return editor.run();
}
