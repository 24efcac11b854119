// What the editor's command line asks for, read before any window exists: --help and --version are
// answered on standard output without a display, an option the editor does not know is refused,
// and the file to open is kept as the bytes the system gave.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vornak {

class EditorCommandLine {
public:
    enum class Action { Run, Help, Version, Refuse, PrintPdf };

    struct Parsed {
        Action action = Action::Run;
        // Run: the file to open (at most one), as the system's bytes; PrintPdf: the definition and
        // the PDF to write, in that order; a name that starts with "-"
        // (given after "--") is led by "./" so that nothing takes it for an option.
        QList<QByteArray> files;
        // Run: a window system was chosen on the command line (-platform NAME).
        bool platformChosen = false;
        // Refuse: why, in one phrase ("unknown option '--bogus'").
        QString problem;
    };

    // An option of the editor: its names without dashes, the name of its value (empty: it takes
    // none) and what --help says of it.
    struct Option {
        QStringList names;
        QString valueName;
        QString description;
    };

    // The editor's own options, in the order --help lists them.
    static QList<Option> editorOptions();

    // arguments: the program's arguments without the program name, as the system's bytes. The
    // options every Qt program takes (-platform NAME, -style NAME, ...) are accepted and left to
    // the application; "--" ends the options. --help or --version anywhere decides, unless the
    // command line is wrong.
    static Parsed parse(const QList<QByteArray>& arguments);

    // What the editor takes on its command line and where its settings file lives.
    static QString helpText(const QString& program, const QString& settingsFile);
    // "vornak 1.2.3" and a line break.
    static QString versionText(const QString& program);
    // The one line a refused command line prints: "vornak: PROBLEM (see vornak --help)".
    static QString refusalText(const QString& program, const QString& problem);

    // The per-user settings file the editor uses in this environment, found the way QSettings
    // finds it: under $XDG_CONFIG_HOME when that is an absolute path, else under ~/.config.
    static QString settingsFile();
};

} // namespace vornak
