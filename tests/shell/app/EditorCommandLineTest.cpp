// The editor's --help and --version: which arguments ask for them, what they print, and that the
// real program answers them without a display and without opening a window.
#include "EditorCommandLine.h"
#include "VornakVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using vornak::EditorCommandLine;
using Action = EditorCommandLine::Action;

namespace {

QList<QByteArray> bytes(const QStringList& arguments) {
    QList<QByteArray> list;
    for (const QString& argument : arguments) {
        list << argument.toUtf8();
    }
    return list;
}

TEST(EditorCommandLine, HelpOrVersionDecidesUnlessTheCommandLineIsWrong) {
    const struct {
        QStringList arguments;
        Action expected;
    } cases[] = {
        {{}, Action::Run},
        {{"report.rpt"}, Action::Run},
        {{"--help"}, Action::Help},
        {{"-h"}, Action::Help},
        {{"--version"}, Action::Version},
        {{"report.rpt", "--version"}, Action::Version},
        {{"--help", "--version"}, Action::Help},
        {{"-style", "fusion", "--help"}, Action::Help},
        // Qt's own options are left to the application, with their values.
        {{"-platform", "offscreen", "report.rpt"}, Action::Run},
        {{"-style=fusion", "-reverse", "report.rpt"}, Action::Run},
        {{"--platform", "offscreen"}, Action::Run},
        // After "--" nothing is an option.
        {{"--", "--help"}, Action::Run},
        // Near misses are no options of ours, and a wrong command line decides before --help.
        {{"-help"}, Action::Help}, // one dash and a long name, as Qt's own options are written
        {{"--Version"}, Action::Refuse},
        {{"--versions"}, Action::Refuse},
        {{"-v"}, Action::Refuse},
        {{"--bogus", "--help"}, Action::Refuse},
        {{"a.rpt", "b.rpt"}, Action::Refuse},
        {{"-platform"}, Action::Refuse},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditorCommandLine::parse(bytes(c.arguments)).action, c.expected)
            << c.arguments.join(' ').toStdString();
    }
}

TEST(EditorCommandLine, ARefusalNamesTheArgumentOnceAsTyped) {
    const struct {
        QStringList arguments;
        QString problem;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x", "report.rpt"}, "unknown option '-x'"},
        {{"--frob=3"}, "unknown option '--frob'"},
        {{"report.rpt", "--ünknown"}, "unknown option '--ünknown'"},
        {{"a.rpt", "b.rpt"}, "unexpected argument 'b.rpt'"},
        {{"-platform"}, "missing value after '-platform'"},
    };
    for (const auto& c : cases) {
        const EditorCommandLine::Parsed parsed = EditorCommandLine::parse(bytes(c.arguments));
        EXPECT_EQ(parsed.action, Action::Refuse);
        EXPECT_EQ(parsed.problem, c.problem) << c.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(EditorCommandLine::refusalText(QStringLiteral("vornak"), QStringLiteral("unknown option '-x'")),
              QStringLiteral("vornak: unknown option '-x' (see vornak --help)\n"));
}

TEST(EditorCommandLine, TheFileKeepsItsBytesAndNeverPassesForAnOption) {
    const struct {
        QList<QByteArray> arguments;
        QList<QByteArray> files;
        bool platformChosen;
    } cases[] = {
        {{}, {}, false},
        {{"report.rpt"}, {"report.rpt"}, false},
        // Not UTF-8: a Windows-1251 name from an old archive.
        {{"\xcf\xf0\xe8\xec\xe5\xf0.rpt"}, {"\xcf\xf0\xe8\xec\xe5\xf0.rpt"}, false},
        {{"-platform", "offscreen", "/tmp/a b.rpt"}, {"/tmp/a b.rpt"}, true},
        {{"--", "-odd.rpt"}, {"./-odd.rpt"}, false},
        {{"-style", "x.rpt"}, {}, false},
    };
    for (const auto& c : cases) {
        const EditorCommandLine::Parsed parsed = EditorCommandLine::parse(c.arguments);
        EXPECT_EQ(parsed.action, Action::Run);
        EXPECT_EQ(parsed.files, c.files) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.platformChosen, c.platformChosen) << c.arguments.join(' ').toStdString();
    }
}

TEST(EditorCommandLine, HelpNamesTheArgumentsOptionsAndSettingsFile) {
    const QString help =
        EditorCommandLine::helpText(QStringLiteral("vornak"), QStringLiteral("/home/u/.config/D/v.conf"));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: vornak [OPTION]... [FILE]\n")));
    for (const char* part :
         {"--help", "--version", "xvfb-run -a vornak", "  /home/u/.config/D/v.conf\n", "vornak-cli"}) {
        EXPECT_TRUE(help.contains(QString::fromUtf8(part))) << part;
    }
    EXPECT_EQ(EditorCommandLine::versionText(QStringLiteral("vornak")),
              QStringLiteral("vornak ") + QString::fromLatin1(VORNAK_VERSION) + QLatin1Char('\n'));
}

TEST(EditorCommandLine, SettingsFileFollowsXdgConfigHomeLikeQSettings) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const struct {
        const char* value;
        QString folder;
    } cases[] = {
        {"/srv/conf", QStringLiteral("/srv/conf")},
        {"/srv/conf/", QStringLiteral("/srv/conf")},
        {"", QDir::homePath() + QStringLiteral("/.config")},
        // A relative value is ignored, as the XDG rules say.
        {"relative/conf", QDir::homePath() + QStringLiteral("/.config")},
    };
    for (const auto& c : cases) {
        qputenv("XDG_CONFIG_HOME", c.value);
        EXPECT_EQ(EditorCommandLine::settingsFile(), c.folder + QStringLiteral("/Dulvarex/vornak.conf"))
            << c.value;
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

// The real program, with no display at all: both options answer on standard output and exit 0.
TEST(EditorCommandLine, TheEditorAnswersHelpAndVersionWithoutADisplay) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/vornak");
    if (!QFileInfo::exists(program)) {
        GTEST_SKIP() << "the vornak executable is not built";
    }
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), QDir::tempPath());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const struct {
        const char* option;
        QString expectedStart;
        QString expectedPart;
    } cases[] = {
        {"--version",
         QStringLiteral("vornak ") + QString::fromLatin1(VORNAK_VERSION) + QLatin1Char('\n'),
         {}},
        {"--help", QStringLiteral("Usage: vornak [OPTION]... [FILE]"),
         config.path() + QStringLiteral("/Dulvarex/vornak.conf")},
    };
    for (const auto& c : cases) {
        QProcess editor;
        editor.setProcessEnvironment(environment);
        editor.start(program, {QString::fromLatin1(c.option)});
        ASSERT_TRUE(editor.waitForFinished(30000)) << c.option;
        const QString out = QString::fromLocal8Bit(editor.readAllStandardOutput());
        EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit) << c.option;
        EXPECT_EQ(editor.exitCode(), 0) << c.option << ": " << editor.readAllStandardError().toStdString();
        EXPECT_TRUE(out.startsWith(c.expectedStart)) << c.option << ": " << out.toStdString();
        EXPECT_TRUE(out.contains(c.expectedPart)) << c.option << ": " << out.toStdString();
    }
}

// The real program refuses a wrong command line before any window, display or not.
TEST(EditorCommandLine, TheEditorRefusesAWrongCommandLineWithExitStatusTwo) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/vornak");
    if (!QFileInfo::exists(program)) {
        GTEST_SKIP() << "the vornak executable is not built";
    }
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{"--bogus"}, "vornak: unknown option '--bogus' (see vornak --help)\n"},
        {{"-platform", "offscreen", "a.rpt", "b.rpt"},
         "vornak: unexpected argument 'b.rpt' (see vornak --help)\n"},
    };
    for (const bool withDisplay : {false, true}) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        environment.insert(QStringLiteral("HOME"), QDir::tempPath());
        if (withDisplay) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        for (const auto& c : cases) {
            QProcess editor;
            editor.setProcessEnvironment(environment);
            editor.start(program, c.arguments);
            ASSERT_TRUE(editor.waitForFinished(30000)) << c.arguments.join(' ').toStdString();
            EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(editor.exitCode(), 2) << c.arguments.join(' ').toStdString();
            EXPECT_EQ(QString::fromLocal8Bit(editor.readAllStandardError()), c.message);
            EXPECT_EQ(editor.readAllStandardOutput(), QByteArray());
        }
    }
}

} // namespace
