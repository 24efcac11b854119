// What the editor's command line asks for before any window exists: --help and --version are
// answered on standard output without a display; everything else goes to the application.
#pragma once

#include <QString>
#include <QStringList>

namespace vornak {

class EditorCommandLine {
public:
    enum class Action { Run, Help, Version };

    // arguments: the program's arguments without the program name. The first of --help, -h and
    // --version decides; an argument "--" ends the search.
    static Action actionFor(const QStringList& arguments);

    // What the editor takes on its command line and where its settings file lives.
    static QString helpText(const QString& program, const QString& settingsFile);
    // "vornak 1.2.3" and a line break.
    static QString versionText(const QString& program);

    // The per-user settings file the editor uses in this environment, found the way QSettings
    // finds it: under $XDG_CONFIG_HOME when that is an absolute path, else under ~/.config.
    static QString settingsFile();
};

} // namespace vornak
