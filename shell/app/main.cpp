// vornak [OPTION]... [FILE]: starts the editor, opening FILE when one is named.
#include "AtomicFile.h"
#include "DefinitionPrintout.h"
#include "DisplayCheck.h"
#include "EditorApp.h"
#include "EditorCommandLine.h"
#include "PlatformServices.h"
#include "QtTranslations.h"
#include "ShellOpen.h"
#include "TextCodec.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// --print-pdf IN OUT: no window and no display needed; the offscreen platform lays the pages out
// unless the command line chose another.
int printPdf(int argc, char** argv, const QString& program, const vornak::EditorCommandLine::Parsed& commandLine) {
    if (!commandLine.platformChosen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    vornak::installTemporaryFileCleanup();
    QApplication application(argc, argv);
    if (!vornak::TextCodec::isAvailable()) {
        std::fprintf(stderr, "%s: this system cannot convert text to Windows-1251\n", qPrintable(program));
        return 1;
    }
    QString error;
    if (!vornak::printDefinitionToPdf(commandLine.files.at(0), QFile::decodeName(commandLine.files.at(1)), error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString program = QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "vornak")).fileName();
    // The command line is read before anything else: --help and --version need no display, and a
    // wrong command line is refused before any window shows.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QByteArray(argv[i]));
    }
    const vornak::EditorCommandLine::Parsed commandLine = vornak::EditorCommandLine::parse(arguments);
    switch (commandLine.action) {
    case vornak::EditorCommandLine::Action::Help:
        std::fputs(qPrintable(vornak::EditorCommandLine::helpText(program,
                                                                  vornak::EditorCommandLine::settingsFile())),
                   stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case vornak::EditorCommandLine::Action::Version:
        std::fputs(qPrintable(vornak::EditorCommandLine::versionText(program)), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case vornak::EditorCommandLine::Action::Refuse:
        std::fputs(qPrintable(vornak::EditorCommandLine::refusalText(program, commandLine.problem)), stderr);
        return 2;
    case vornak::EditorCommandLine::Action::PrintPdf:
        return printPdf(argc, argv, program, commandLine);
    case vornak::EditorCommandLine::Action::Run:
        break;
    }
    if (!commandLine.platformChosen && !vornak::hasDisplay(QProcessEnvironment::systemEnvironment())) {
        std::fputs(qPrintable(vornak::noDisplayHelp(program)), stderr);
        return 2;
    }

    // A save cut short by Ctrl+C, SIGTERM or SIGHUP leaves no temporary file behind.
    vornak::installTemporaryFileCleanup();

    vornak::installDisplayFailureHandler(program);
    QApplication application(argc, argv);
    vornak::restoreFailureHandler();

    if (!vornak::TextCodec::isAvailable()) {
        std::fprintf(stderr, "%s: this system cannot convert text to Windows-1251\n", qPrintable(program));
        return 1;
    }
    // Without the translations Qt's buttons stay English; the editor works all the same.
    vornak::installRussianQtTexts(application);

    // The file to open as the bytes the system gave: a name that is no text in the system's
    // encoding still opens.
    vornak::QtPlatformServices platform(std::make_unique<vornak::QtShellOpener>());
    vornak::EditorApp editor(platform.services(), commandLine.files);
    // SIGTERM, SIGHUP and the session's end keep what was typed in a recovery copy; the clean-up of
    // temporary files installed above still runs when the editor then ends.
    editor.keepWorkWhenEnded();
    return editor.run();
}
