#include "EditorCommandLine.h"

#include "SettingsStore.h"
#include "VornakVersion.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>

namespace vornak {

namespace {

// The options QGuiApplication and QApplication take for themselves, with whether they take a
// value. The parser accepts them so that they are not refused; the application reads them.
struct QtOption {
    const char* name;
    bool takesValue;
};

constexpr QtOption qtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"visual", true},
    {"ncols", true},
    {"im", true},
    {"qmljsdebugger", true},
    {"reverse", false},
    {"widgetcount", false},
    {"cmap", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"testability", false},
};

const QString helpName = QStringLiteral("help");
const QString versionName = QStringLiteral("version");
const QString platformName = QStringLiteral("platform");
const QString printPdfName = QStringLiteral("print-pdf");

// The name an option argument gives: "-style=x", "--style" and "-style" all name "style".
QString optionNameOf(const QString& argument) {
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    return equals < 0 ? name : name.left(equals);
}

// The argument as the user typed it, for a message.
QString shown(const QString& latin1Argument) {
    return QString::fromLocal8Bit(latin1Argument.toLatin1());
}

} // namespace

QList<EditorCommandLine::Option> EditorCommandLine::editorOptions() {
    return {
        {{QStringLiteral("h"), helpName}, QString(), QStringLiteral("show this text and exit")},
        {{versionName}, QString(), QStringLiteral("print the version and exit")},
        {{printPdfName}, QString(),
         QStringLiteral("--print-pdf IN OUT: write the printout of the definition IN to the PDF file\n"
                        "              OUT and exit, without a window")},
    };
}

EditorCommandLine::Parsed EditorCommandLine::parse(const QList<QByteArray>& arguments) {
    // Each byte as one character: options are ASCII, and a file name comes back byte for byte.
    QStringList texts{QStringLiteral("vornak")};
    for (const QByteArray& argument : arguments) {
        texts << QString::fromLatin1(argument);
    }

    QCommandLineParser parser;
    // Qt's own options have one dash and long names (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option& option : editorOptions()) {
        parser.addOption(QCommandLineOption(option.names, option.description, option.valueName));
    }
    for (const QtOption& option : qtOptions) {
        QCommandLineOption qtOption(QString::fromLatin1(option.name), QString(),
                                    option.takesValue ? QStringLiteral("value") : QString());
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }

    Parsed parsed;
    if (!parser.parse(texts)) {
        parsed.action = Action::Refuse;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            QString spelled = unknown.first();
            for (const QString& text : texts.mid(1)) {
                if (text == QLatin1String("--")) {
                    break;
                }
                if (text.startsWith(QLatin1Char('-')) && optionNameOf(text) == unknown.first()) {
                    const qsizetype equals = text.indexOf(QLatin1Char('='));
                    spelled = equals < 0 ? text : text.left(equals);
                    break;
                }
            }
            parsed.problem = QStringLiteral("unknown option '%1'").arg(shown(spelled));
        } else {
            // A missing value ("Missing value after '-platform'."), in the parser's words.
            QString text = parser.errorText();
            if (text.endsWith(QLatin1Char('.'))) {
                text.chop(1);
            }
            parsed.problem = text.isEmpty() ? text : text.at(0).toLower() + text.mid(1);
        }
        return parsed;
    }
    if (parser.isSet(helpName)) {
        parsed.action = Action::Help;
        return parsed;
    }
    if (parser.isSet(versionName)) {
        parsed.action = Action::Version;
        return parsed;
    }
    const QStringList positional = parser.positionalArguments();
    const auto asFile = [](const QString& file) {
        const QByteArray bytes = file.toLatin1();
        return bytes.startsWith('-') ? QByteArrayLiteral("./") + bytes : bytes;
    };
    if (parser.isSet(printPdfName)) {
        if (positional.size() != 2) {
            parsed.action = Action::Refuse;
            parsed.problem = positional.size() > 2
                                 ? QStringLiteral("unexpected argument '%1'").arg(shown(positional.at(2)))
                                 : QStringLiteral("--print-pdf needs IN and OUT");
            return parsed;
        }
        parsed.action = Action::PrintPdf;
        parsed.files << asFile(positional.at(0)) << asFile(positional.at(1));
        parsed.platformChosen = parser.isSet(platformName);
        return parsed;
    }
    if (positional.size() > 1) {
        parsed.action = Action::Refuse;
        parsed.problem = QStringLiteral("unexpected argument '%1'").arg(shown(positional.at(1)));
        return parsed;
    }
    for (const QString& file : positional) {
        const QByteArray bytes = file.toLatin1();
        parsed.files << (bytes.startsWith('-') ? QByteArrayLiteral("./") + bytes : bytes);
    }
    parsed.platformChosen = parser.isSet(platformName);
    return parsed;
}

QString EditorCommandLine::helpText(const QString& program, const QString& settingsFile) {
    QString options;
    for (const Option& option : editorOptions()) {
        QStringList spelled;
        for (const QString& name : option.names) {
            spelled << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        QString left = spelled.join(QStringLiteral(", "));
        if (!option.valueName.isEmpty()) {
            left += QLatin1Char(' ') + option.valueName;
        }
        options += QStringLiteral("  %1  %2\n").arg(left, -12).arg(option.description);
    }
    return QStringLiteral(
               "Usage: %1 [OPTION]... [FILE]\n"
               "       %1 --print-pdf IN OUT\n"
               "Edits the report definition FILE (a .rpt file), or a new, untitled definition when\n"
               "no file is named.\n"
               "\n"
               "Options:\n"
               "%3"
               "  --          end the options: an argument after it is a file name\n"
               "The options every Qt program takes work too, such as -platform NAME and -style NAME.\n"
               "\n"
               "Without a display, run it under a virtual X server (xvfb-run -a %1 [FILE]) or with\n"
               "Qt's VNC platform (QT_QPA_PLATFORM=vnc %1 [FILE], then a VNC viewer on port 5900).\n"
               "\n"
               "Settings: the eight most recently used files are kept in\n"
               "  %2\n"
               "Exit status: 0 when the editor closed normally, 1 when the system cannot convert text\n"
               "to Windows-1251 or --print-pdf could not read IN or write OUT, 2 for a wrong command\n"
               "line or when there is no display.\n"
               "Batch work on definition files (check, convert, export, dump): vornak-cli --help.\n")
        .arg(program, settingsFile, options);
}

QString EditorCommandLine::versionText(const QString& program) {
    return QStringLiteral("%1 %2\n").arg(program, QString::fromLatin1(versionString));
}

QString EditorCommandLine::refusalText(const QString& program, const QString& problem) {
    return QStringLiteral("%1: %2 (see %1 --help)\n").arg(program, problem);
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
