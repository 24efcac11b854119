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

TEST(EditorCommandLine, TheFirstHelpOrVersionOptionDecides) {
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
        {{"--version", "--help"}, Action::Version},
        {{"-style", "fusion", "--help"}, Action::Help},
        // After "--" nothing is an option; near misses are no options of ours.
        {{"--", "--help"}, Action::Run},
        {{"-help"}, Action::Run},
        {{"--Version"}, Action::Run},
        {{"--versions"}, Action::Run},
        {{"-v"}, Action::Run},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditorCommandLine::actionFor(c.arguments), c.expected)
            << c.arguments.join(' ').toStdString();
    }
}

TEST(EditorCommandLine, HelpNamesTheArgumentsOptionsAndSettingsFile) {
    const QString help =
        EditorCommandLine::helpText(QStringLiteral("vornak"), QStringLiteral("/home/u/.config/D/v.conf"));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: vornak [FILE]\n")));
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
        {"--help", QStringLiteral("Usage: vornak [FILE]"),
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

} // namespace
