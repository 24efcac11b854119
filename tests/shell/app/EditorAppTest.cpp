// The application object's run (the recent-file list read at start-up and written back at exit,
// the form built on the services given and run until it closes) and the display check that
// replaces the toolkit's abort with advice.
#include "FormHarness.h"

#include "DisplayCheck.h"
#include "EditorApp.h"
#include "QtTranslations.h"
#include "UsageHelpDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

namespace vornak::testing {
namespace {

using EditorAppTest = FormTest;

TEST_F(EditorAppTest, RunReadsTheRecentFilesBuildsTheFormAndWritesTheListBack) {
    QStringList eight;
    for (int i = 1; i <= 8; ++i) {
        eight << QStringLiteral("/data/definition%1.rpt").arg(i);
    }
    ASSERT_TRUE(settings->writeRecentFiles(eight));

    EditorApp app(services, {});
    bool sawForm = false;
    // Once the form runs: check it, then close it as the user does.
    QTimer::singleShot(0, [&] {
        MainWindow* f = app.mainWindow();
        ASSERT_NE(f, nullptr);
        sawForm = f->isVisible();
        EXPECT_EQ(app.recentFiles().entries(), eight);
        EXPECT_EQ(app.definition().parameters.size(), 1u);
        f->close();
    });
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(sawForm);
    EXPECT_EQ(app.mainWindow(), nullptr) << "the form is destroyed once it has closed";
    EXPECT_EQ(settings->readRecentFiles(), eight);
}

TEST_F(EditorAppTest, TheRunEndsWhenTheMainWindowClosesWhateverElseIsOpen) {
    EditorApp app(services, {});
    QTimer::singleShot(0, [&] {
        app.mainWindow()->runCommand("helpUsage");
        ASSERT_TRUE(app.mainWindow()->usageHelpWindow()->isVisible());
        app.mainWindow()->runCommand("fileExit");
    });
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.mainWindow(), nullptr);
}

// Settings that cannot be written (~/.config a plain file) are said in one error box when the
// editor closes, and the run still ends well.
TEST_F(EditorAppTest, SettingsThatCannotBeWrittenAreSaidOnceAndTheRunEndsWell) {
    QFile plain(dir.filePath(QStringLiteral("config")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    SettingsStore blocked(dir.filePath(QStringLiteral("config/Dulvarex/vornak.conf")));
    PlatformServices blockedServices = services;
    blockedServices.settings = &blocked;

    EditorApp app(blockedServices, {});
    QTimer::singleShot(0, [&] {
        ASSERT_NE(app.mainWindow(), nullptr);
        // As after opening a file: the list has something to keep.
        app.recentFiles().add(QByteArray("/data/opened.rpt"));
        app.mainWindow()->close();
    });
    EXPECT_EQ(app.run(), 0);
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("config/Dulvarex/vornak.conf")))
        << messages.requests()[0].text.toStdString();
}

// A damaged settings file found on start is said once, before the window opens, as a notice; the
// run then writes its list to the clean file and says nothing more at exit.
TEST_F(EditorAppTest, ADamagedSettingsFileIsSaidOnceAndTheRunWritesACleanOne) {
    const QString path = dir.filePath(QStringLiteral("damaged/vornak.conf"));
    ASSERT_TRUE(QDir().mkpath(path)); // a folder in the file's place
    SettingsStore damaged(path);
    PlatformServices damagedServices = services;
    damagedServices.settings = &damaged;

    EditorApp app(damagedServices, {});
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(messages.requests().size(), 1u);
        app.recentFiles().add(QByteArray("/data/opened.rpt"));
        app.mainWindow()->close();
    });
    EXPECT_EQ(app.run(), 0);
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].kind, MessageKind::Information);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("Файл настроек")))
        << messages.requests()[0].text.toStdString();
    EXPECT_EQ(SettingsStore(path).readRecentFiles(), QStringList{QStringLiteral("/data/opened.rpt")});
}

TEST_F(EditorAppTest, ACancelledSavePromptKeepsTheRunGoing) {
    EditorApp app(services, {});
    int closes = 0;
    QTimer::singleShot(0, [&] {
        MainWindow* f = app.mainWindow();
        f->runCommand("addResult");
        messages.enqueue(MessageAnswer::Cancel);
        f->close();
        ++closes;
        EXPECT_TRUE(f->isVisible()) << "Cancel keeps the window";
        messages.enqueue(MessageAnswer::No);
        f->close();
        ++closes;
    });
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(closes, 2);
}

TEST_F(EditorAppTest, TheFormGetsTheArgumentsAndTheServices) {
    EditorApp app(services, {QByteArray("-flag"), QByteArray("/x/y.rpt")});
    std::unique_ptr<MainWindow> f = app.createMainWindow();
    f->show();
    fileDialogs.enqueue(std::nullopt);
    qobject_cast<QAbstractButton*>(f->findChild<QWidget*>("browseButton"))->click();
    EXPECT_EQ(fileDialogs.requests().size(), 1u) << "Browse asked the scripted dialogs";
    EXPECT_EQ(&f->document().definition(), &app.definition());
    f->hide();
}

TEST(DisplayCheck, KnowsWhenThereIsADisplay) {
    const struct {
        std::vector<std::pair<QString, QString>> variables;
        bool display;
    } cases[] = {
        {{}, false},
        {{{"DISPLAY", ":0"}}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
        {{{"QT_QPA_PLATFORM", "vnc"}}, true},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", "  "}}, false},
        {{{"HOME", "/root"}}, false},
    };
    for (const auto& c : cases) {
        QProcessEnvironment environment;
        for (const auto& [name, value] : c.variables) {
            environment.insert(name, value);
        }
        EXPECT_EQ(hasDisplay(environment), c.display) << environment.toStringList().join(' ').toStdString();
    }
}

// The editor started where there is no display, or where the named one cannot be reached: it
// ends with advice and exit code 2, not with the toolkit's abort.
TEST(DisplayCheck, EditorWithoutADisplaySaysHowToRunIt) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/vornak");
    if (!QFileInfo::exists(program)) {
        GTEST_SKIP() << "the vornak executable is not built";
    }
    const struct {
        std::vector<std::pair<QString, QString>> variables;
        const char* situation;
    } cases[] = {
        {{}, "no display named"},
        {{{"DISPLAY", ":97"}}, "a display that does not exist"},
    };
    for (const auto& c : cases) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        environment.insert(QStringLiteral("HOME"), QDir::tempPath());
        for (const auto& [name, value] : c.variables) {
            environment.insert(name, value);
        }
        QProcess editor;
        editor.setProcessEnvironment(environment);
        editor.start(program, {});
        ASSERT_TRUE(editor.waitForFinished(30000)) << c.situation;
        const QString errors = QString::fromLocal8Bit(editor.readAllStandardError());
        EXPECT_EQ(editor.exitStatus(), QProcess::NormalExit) << c.situation << ": " << errors.toStdString();
        EXPECT_EQ(editor.exitCode(), 2) << c.situation;
        EXPECT_TRUE(errors.contains(QStringLiteral("xvfb-run -a vornak")))
            << c.situation << ": " << errors.toStdString();
        EXPECT_TRUE(errors.contains(QStringLiteral("QT_QPA_PLATFORM=vnc vornak"))) << c.situation;
    }
}

TEST(QtTranslations, QtsOwnButtonsAndDialogsSpeakRussian) {
    ASSERT_TRUE(installRussianQtTexts(*QCoreApplication::instance()))
        << "qtbase_ru is missing: install qt6-translations-l10n";
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("c"), QStringLiteral("t"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Да"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("Нет"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Отмена"));
    // The file dialog's own words come from the same file.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Open"));
    // The keys the menus show keep their Latin names.
    const struct {
        QKeySequence key;
        const char* shown;
    } keys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Up), "Ctrl+Up"},
                {QKeySequence(Qt::CTRL | Qt::Key_Down), "Ctrl+Down"},
                {QKeySequence(Qt::CTRL | Qt::Key_N), "Ctrl+N"},
                {QKeySequence(Qt::Key_F7), "F7"}};
    for (const auto& k : keys) {
        EXPECT_EQ(k.key.toString(QKeySequence::NativeText), QLatin1String(k.shown));
    }
}

} // namespace
} // namespace vornak::testing
