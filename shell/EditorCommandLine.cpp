#include "EditorCommandLine.h"

#include "SettingsStore.h"
#include "VornakVersion.h"

#include <QDir>

namespace vornak {

EditorCommandLine::Action EditorCommandLine::actionFor(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--")) {
            break;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return Action::Help;
        }
        if (argument == QLatin1String("--version")) {
            return Action::Version;
        }
    }
    return Action::Run;
}

QString EditorCommandLine::helpText(const QString& program, const QString& settingsFile) {
    return QStringLiteral(
               "Usage: %1 [FILE]\n"
               "Edits the report definition FILE (a .rpt file), or a new, untitled definition when\n"
               "no file is named.\n"
               "\n"
               "Options:\n"
               "  -h, --help    show this text and exit\n"
               "  --version     print the version and exit\n"
               "The options every Qt program takes work too, such as -platform NAME and -style NAME.\n"
               "\n"
               "Without a display, run it under a virtual X server (xvfb-run -a %1 [FILE]) or with\n"
               "Qt's VNC platform (QT_QPA_PLATFORM=vnc %1 [FILE], then a VNC viewer on port 5900).\n"
               "\n"
               "Settings: the eight most recently used files are kept in\n"
               "  %2\n"
               "Batch work on definition files (check, convert, export, dump): vornak-cli --help.\n")
        .arg(program, settingsFile);
}

QString EditorCommandLine::versionText(const QString& program) {
    return QStringLiteral("%1 %2\n").arg(program, QString::fromLatin1(versionString));
}

QString EditorCommandLine::settingsFile() {
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        folder = QDir::homePath() + QStringLiteral("/.config");
    }
    return QDir::cleanPath(folder + QLatin1Char('/') + SettingsStore::organisationName + QLatin1Char('/') +
                           SettingsStore::applicationName + QStringLiteral(".conf"));
}

} // namespace vornak
