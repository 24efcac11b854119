#include "DisplayCheck.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace vornak {

namespace {

QString g_program;
QtMessageHandler g_previousHandler = nullptr;

void displayFailureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        // The toolkit's own text would advise reinstalling; the display is what is missing.
        std::fprintf(stderr, "%s", qPrintable(noDisplayHelp(g_program)));
        std::fflush(stderr);
        std::_Exit(2);
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, message);
    }
}

} // namespace

bool hasDisplay(const QProcessEnvironment& environment) {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!environment.value(QString::fromLatin1(name)).trimmed().isEmpty()) {
            return true;
        }
    }
    return false;
}

QString noDisplayHelp(const QString& program) {
    return QStringLiteral(
               "%1: there is no display to show the editor on (none is named, or it cannot be reached).\n"
               "Run it under a virtual X server:\n"
               "    xvfb-run -a %1 [FILE]\n"
               "or with Qt's VNC platform, then connect a VNC viewer to port 5900:\n"
               "    QT_QPA_PLATFORM=vnc %1 [FILE]\n")
        .arg(program);
}

void installDisplayFailureHandler(const QString& program) {
    g_program = program;
    g_previousHandler = qInstallMessageHandler(displayFailureHandler);
}

void restoreFailureHandler() {
    qInstallMessageHandler(g_previousHandler);
    g_previousHandler = nullptr;
}

} // namespace vornak
