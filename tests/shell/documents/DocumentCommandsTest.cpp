// The document commands driven through the real form with scripted dialogs and boxes: the save
// prompt on every command that asks it, New, Open, Save, Save As, Save table, the caption, the
// recent-file list and its menu items, and failed reads and writes that must be reported and must
// never lose the user's changes.
#include "FormHarness.h"

#include "EditorApp.h"
#include "FailingDisk.h"

#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace vornak::testing {
namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class DocumentCommands : public FormTest {
public:
    // A definition file in the test folder with one parameter named name.
    QString definitionFile(const QString& fileName, const QString& name,
                           const QString& title = QStringLiteral("T")) {
        ReportDefinition d;
        d.title = bytes(title);
        ParameterRecord p;
        p.name = bytes(name);
        p.values.push_back({"v", "", "r"});
        d.parameters.push_back(p);
        d.results.push_back({"n", "r"});
        const QString path = dir.filePath(fileName);
        EXPECT_TRUE(d.save(TextCodec::encodePath(path)));
        return path;
    }

    // An edit the user makes: a new result row.
    void change() {
        form->runCommand("addResult");
        ASSERT_TRUE(form->document().isModified());
    }

    QMenu* fileMenu() const { return form->menuBar()->actions().at(0)->menu(); }

    // Opens the File menu as the user does and returns its recent-file items.
    QList<QAction*> recentItems() {
        QMenu* menu = fileMenu();
        menu->popup(form->mapToGlobal(QPoint(0, 0)));
        QApplication::processEvents();
        // The items shown between the first two separators.
        QList<QAction*> items;
        int separators = 0;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) {
                ++separators;
            } else if (separators == 1 && a->isVisible()) {
                items.append(a);
            }
        }
        menu->hide();
        return items;
    }
};

TEST_F(DocumentCommands, OpenShowsTheFileTitlesTheCaptionAndListsIt) {
    const QString path =
        definitionFile(QStringLiteral("stature.rpt"), QStringLiteral("Рост"), QStringLiteral("Заголовок"));
    start();
    fileDialogs.enqueue(path);
    form->runCommand("fileOpen");
    ASSERT_EQ(fileDialogs.requests().size(), 1u);
    const FileDialogRequest& asked = fileDialogs.requests()[0];
    EXPECT_EQ(asked.kind, FileDialogKind::Open);
    EXPECT_EQ(asked.filter, QStringLiteral("Report Files(*.rpt)|*.rpt||"));
    EXPECT_EQ(asked.defaultExtension, QStringLiteral("rpt"));
    EXPECT_TRUE(asked.initialFileName.isEmpty());

    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - stature.rpt"));
    EXPECT_EQ(form->documents().currentFilePath(), path);
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(rowCount(parameters()), 1);
    EXPECT_EQ(cellText(parameters(), 0, 1), QStringLiteral("Рост"));
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("Заголовок"));
    EXPECT_EQ(recentFiles.entries(), QStringList{path});

    // Opening it again keeps a single entry, at the top.
    definitionFile(QStringLiteral("other.rpt"), QStringLiteral("x"));
    fileDialogs.enqueue(dir.filePath(QStringLiteral("other.rpt")));
    form->runCommand("fileOpen");
    EXPECT_EQ(fileDialogs.requests()[1].initialFileName, path) << "Open starts at the current file";
    fileDialogs.enqueue(path);
    form->runCommand("fileOpen");
    EXPECT_EQ(recentFiles.entries(), (QStringList{path, dir.filePath(QStringLiteral("other.rpt"))}));
}

TEST_F(DocumentCommands, SaveOfAnUntitledDefinitionAsksForANameThenWritesWithoutAsking) {
    start();
    change();
    const QString path = dir.filePath(QStringLiteral("new.rpt"));
    fileDialogs.enqueue(path);
    QTest::keyClick(edit("titleEdit"), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(fileDialogs.requests().size(), 1u);
    EXPECT_EQ(fileDialogs.requests()[0].kind, FileDialogKind::Save);
    EXPECT_TRUE(fileDialogs.requests()[0].askOverwrite);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - new.rpt"));
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(recentFiles.entries(), QStringList{path});

    ReportDefinition read;
    ASSERT_TRUE(read.load(TextCodec::encodePath(path)));
    EXPECT_EQ(read.results.size(), 2u);
    EXPECT_EQ(shown(read.title), texts::defaultTitle) << "the form's texts go into the file";

    // Titled now: Save writes at once, with no dialog.
    change();
    form->runCommand("fileSave");
    EXPECT_EQ(fileDialogs.requests().size(), 1u);
    ASSERT_TRUE(read.load(TextCodec::encodePath(path)));
    EXPECT_EQ(read.results.size(), 2u + 3u) << "the earlier load appended; three results are on disk now";
}

TEST_F(DocumentCommands, PromptAnswersOnNewAndOpen) {
    struct Case {
        const char* name;
        QString command;
        MessageAnswer answer;
        bool savedFirst; // the titled document was written before the command went on
        bool wentOn;     // New reset the lists / Open asked for a file
    };
    const Case cases[] = {
        {"NewYes", "fileNew", MessageAnswer::Yes, true, true},
        {"NewNo", "fileNew", MessageAnswer::No, false, true},
        {"NewCancel", "fileNew", MessageAnswer::Cancel, false, false},
        {"OpenYes", "fileOpen", MessageAnswer::Yes, true, true},
        {"OpenNo", "fileOpen", MessageAnswer::No, false, true},
        {"OpenCancel", "fileOpen", MessageAnswer::Cancel, false, false},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = definitionFile(QStringLiteral("doc.rpt"), QStringLiteral("p"));
        fileDialogs.clear();
        if (form->document().isModified()) {
            messages.enqueue(MessageAnswer::No);
        }
        fileDialogs.enqueue(path);
        form->runCommand("fileOpen");
        ASSERT_EQ(form->documents().currentFilePath(), path);
        change();
        messages.clear();
        fileDialogs.clear();
        const QByteArray before = fileBytes(path);

        messages.enqueue(c.answer);
        fileDialogs.enqueue(std::nullopt); // Open's dialog, when it comes, is cancelled
        form->runCommand(c.command);

        ASSERT_EQ(messages.requests().size(), 1u);
        EXPECT_EQ(fileBytes(path) != before, c.savedFirst);
        if (c.command == "fileNew") {
            EXPECT_EQ(form->documents().currentFilePath().isEmpty(), c.wentOn);
            EXPECT_EQ(model.results.size(), c.wentOn ? 1u : 2u);
            EXPECT_EQ(form->document().isModified(), !c.wentOn);
        } else {
            EXPECT_EQ(fileDialogs.requests().size(), c.wentOn ? 1u : 0u);
            // A cancelled Open changes nothing: after No the changes are still there, unsaved.
            EXPECT_EQ(model.results.size(), 2u);
            EXPECT_EQ(form->document().isModified(), !c.savedFirst);
        }
    }
}

TEST_F(DocumentCommands, AnEditStillOpenWhileAnotherWindowIsActiveReachesTheFile) {
    const QString path = dir.filePath(QStringLiteral("open-edit.rpt"));
    start();
    GridEdit* box = values()->editCell(0, 0);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    typeText(box, QStringLiteral("12,5"));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_TRUE(values()->isEditing());

    fileDialogs.enqueue(path);
    form->runCommand("fileSave");
    EXPECT_FALSE(values()->isEditing());
    ReportDefinition read;
    ASSERT_TRUE(read.load(TextCodec::encodePath(path)));
    EXPECT_EQ(read.parameters.at(0).values.at(0).value, "12,5");
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(DocumentCommands, NewKeepsTheTextsAndStartsOneParameterAndOneResult) {
    start();
    edit("titleEdit")->setFocus();
    edit("titleEdit")->selectAll();
    typeText(edit("titleEdit"), QStringLiteral("Мой заголовок"));
    form->runCommand("addParameter");
    form->runCommand("addResult");
    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileNew");
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("Мой заголовок"));
    ASSERT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(shown(model.parameters[0].name), QStringLiteral("Название"));
    EXPECT_EQ(model.parameters[0].values.size(), 1u);
    EXPECT_EQ(model.results.size(), 1u);
    EXPECT_EQ(rowCount(parameters()), 1);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak"));
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(DocumentCommands, SaveTableSuggestsThePathUpToItsLastDotAndWritesTheLastSavedTitle) {
    const QString path =
        definitionFile(QStringLiteral("stature.rpt"), QStringLiteral("p"), QStringLiteral("Старый"));
    start();
    // Untitled: nothing is suggested.
    fileDialogs.enqueue(std::nullopt);
    form->runCommand("fileSaveTable");
    ASSERT_EQ(fileDialogs.requests().size(), 1u);
    EXPECT_TRUE(fileDialogs.requests()[0].initialFileName.isEmpty());
    EXPECT_EQ(fileDialogs.requests()[0].filter, QStringLiteral("Text Files(*.txt)|*.txt||"));
    EXPECT_EQ(fileDialogs.requests()[0].defaultExtension, QStringLiteral("txt"));

    fileDialogs.enqueue(path);
    form->runCommand("fileOpen");
    edit("titleEdit")->setText(QStringLiteral("Новый"));
    const bool modifiedBefore = form->document().isModified();
    const QString table = dir.filePath(QStringLiteral("stature.txt"));
    fileDialogs.enqueue(table);
    form->runCommand("fileSaveTable");
    EXPECT_EQ(fileDialogs.requests().back().initialFileName, dir.filePath(QStringLiteral("stature")));
    const QByteArray written = fileBytes(table);
    EXPECT_TRUE(written.startsWith(QByteArray(bytes(QStringLiteral("Старый")).c_str()) + "\r\n"))
        << "the title of the last open, not the one typed since";
    EXPECT_EQ(form->document().isModified(), modifiedBefore);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - stature.rpt"));
    EXPECT_EQ(recentFiles.entries(), QStringList{path});
}

TEST_F(DocumentCommands, AnUnreadableFileIsReportedAndLeavesANewDefinition) {
    const QString bad = dir.filePath(QStringLiteral("bad.rpt"));
    writeFile(bad, "R2\r\nonly a title\r\n");
    start();
    form->runCommand("addParameter");
    messages.enqueue(MessageAnswer::No);
    fileDialogs.enqueue(bad);
    form->runCommand("fileOpen");

    ASSERT_EQ(messages.requests().size(), 2u);
    const MessageRequest& report = messages.requests()[1];
    EXPECT_EQ(report.kind, MessageKind::Error);
    EXPECT_TRUE(report.text.contains(QStringLiteral("bad.rpt"))) << report.text.toStdString();
    // The reason is Russian, a sentence of its own, and names the line.
    EXPECT_TRUE(report.text.contains(QStringLiteral("строка 3"))) << report.text.toStdString();
    const QString reason = report.text.section(QLatin1Char('\n'), 1);
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_TRUE(reason.at(0).isUpper()) << reason.toStdString();
    EXPECT_FALSE(reason.contains(QStringLiteral("line"))) << reason.toStdString();
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak"));
    EXPECT_TRUE(form->documents().currentFilePath().isEmpty());
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(model.results.size(), 1u);
    EXPECT_TRUE(recentFiles.isEmpty());
}

TEST_F(DocumentCommands, AFailedSaveIsReportedAndChangesNothing) {
    const QString path = definitionFile(QStringLiteral("doc.rpt"), QStringLiteral("p"));
    start();
    fileDialogs.enqueue(path);
    form->runCommand("fileOpen");
    change();
    const QByteArray before = fileBytes(path);
    {
        FailingDisk disk;
        form->runCommand("fileSave");
    }
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.requests()[0].text.contains(QStringLiteral("doc.rpt")));
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_TRUE(form->document().isModified());
    EXPECT_EQ(form->documents().currentFilePath(), path);

    // Save As into a folder that has gone: the document stays where it was.
    QDir(dir.path()).mkdir(QStringLiteral("gone"));
    const QString elsewhere = dir.filePath(QStringLiteral("gone/new.rpt"));
    QDir(dir.path()).rmdir(QStringLiteral("gone"));
    fileDialogs.enqueue(elsewhere);
    form->runCommand("fileSaveAs");
    EXPECT_EQ(messages.requests().size(), 2u);
    EXPECT_EQ(form->documents().currentFilePath(), path);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - doc.rpt*"));
    EXPECT_EQ(recentFiles.entries(), QStringList{path});
    EXPECT_TRUE(form->document().isModified());
    EXPECT_FALSE(QFile::exists(elsewhere));
}

TEST_F(DocumentCommands, YesAtThePromptStopsTheCommandWhenTheSaveDoesNotHappen) {
    start();
    // Untitled, Yes, then Cancel in Save As: the form stays open with its changes.
    change();
    messages.enqueue(MessageAnswer::Yes);
    fileDialogs.enqueue(std::nullopt);
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->document().isModified());

    // Yes, and the write fails: New does not go on.
    fileDialogs.enqueue(dir.filePath(QStringLiteral("x.rpt")));
    messages.enqueue(MessageAnswer::Yes);
    {
        FailingDisk disk;
        form->runCommand("fileNew");
    }
    EXPECT_EQ(model.results.size(), 2u);
    EXPECT_TRUE(form->document().isModified());

    // Yes and a save that works: the form closes.
    fileDialogs.enqueue(dir.filePath(QStringLiteral("x.rpt")));
    messages.enqueue(MessageAnswer::Yes);
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("x.rpt"))));
}

class RecentFiles : public DocumentCommands {};

TEST_F(RecentFiles, ItemsAreRefreshedWhenTheFileMenuOpens) {
    EditorApp app(services, {});
    RecentFileList& recentFiles = app.recentFiles();
    form = app.createMainWindow();
    form->show();
    activate();
    QList<QAction*> items = recentItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Недавние файлы"));
    EXPECT_FALSE(items[0]->isEnabled());

    QStringList paths;
    for (int i = 1; i <= 9; ++i) {
        paths << definitionFile(QStringLiteral("f%1 & co.rpt").arg(i), QStringLiteral("p"));
        fileDialogs.enqueue(paths.last());
        form->runCommand("fileOpen");
    }
    ASSERT_EQ(recentFiles.size(), 8);
    EXPECT_EQ(recentFiles.at(0), paths[8]);
    EXPECT_FALSE(recentFiles.entries().contains(paths[0])) << "the ninth pushes the oldest off";

    items = recentItems();
    ASSERT_EQ(items.size(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(items[i]->isEnabled());
        EXPECT_TRUE(items[i]->text().startsWith(QStringLiteral("&%1 ").arg(i + 1)))
            << items[i]->text().toStdString();
        EXPECT_TRUE(items[i]->text().contains(QStringLiteral("&&"))) << "the name's & is doubled";
    }
    form.reset(); // before the application object it reports to
}

// The File menu drawn over the form, as the screen shows it: the recent entry appears among the
// items. Set VORNAK_SCREENSHOT_DIR to keep the picture as file-menu.png.
TEST_F(RecentFiles, FileMenuIsDrawnOverTheFormWithTheRecentEntry) {
    EditorApp app(services, {});
    const QString path = dir.filePath(QStringLiteral("stature.rpt"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORNAK_TEST_DATA "/example.rpt"), path));
    form = app.createMainWindow();
    form->move(0, 0);
    form->show();
    activate();
    fileDialogs.enqueue(path);
    form->runCommand("fileOpen");
    QMenu* menu = fileMenu();
    QMenuBar* bar = form->menuBar();
    menu->popup(bar->mapToGlobal(bar->actionGeometry(bar->actions().at(0)).bottomLeft()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QApplication::processEvents();
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QImage alone = menu->grab().toImage();
    const QPoint at = menu->geometry().topLeft();
    ASSERT_TRUE(QRect(QPoint(0, 0), screen.size()).contains(menu->geometry()));
    int same = 0;
    for (int y = 0; y < alone.height(); y += 3) {
        for (int x = 0; x < alone.width(); x += 3) {
            same += screen.pixel(at + QPoint(x, y)) == alone.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(same, (alone.width() / 3) * (alone.height() / 3) * 9 / 10)
        << "the menu is on the screen, on top";
    bool listed = false;
    for (QAction* a : menu->actions()) {
        listed = listed || a->text().endsWith(QStringLiteral("stature.rpt"));
    }
    EXPECT_TRUE(listed);
    if (const QByteArray folder = qgetenv("VORNAK_SCREENSHOT_DIR"); !folder.isEmpty()) {
        const QRect shown = form->frameGeometry().united(menu->geometry());
        screen.copy(shown).save(
            QDir(QString::fromLocal8Bit(folder)).filePath(QStringLiteral("file-menu.png")));
    }
    menu->hide();
    form.reset();
}

TEST_F(RecentFiles, AnEntryThatCannotBeReadIsRemovedButACancelKeepsIt) {
    const QString good = definitionFile(QStringLiteral("good.rpt"), QStringLiteral("p"));
    const QString missing = dir.filePath(QStringLiteral("missing.rpt"));
    EditorApp app(services, {});
    app.recentFiles().add(missing);
    app.recentFiles().add(good);
    std::unique_ptr<MainWindow> f = app.createMainWindow();
    f->show();

    // Entry 2 (the missing file): reported, then removed.
    f->documents().openRecent(1);
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].kind, MessageKind::Error);
    EXPECT_EQ(app.recentFiles().entries(), QStringList{good});

    // A change, then entry 1 with Cancel at the prompt: nothing happens and the entry stays.
    f->runCommand("addResult");
    messages.enqueue(MessageAnswer::Cancel);
    f->documents().openRecent(0);
    EXPECT_EQ(app.recentFiles().entries(), QStringList{good});
    EXPECT_TRUE(f->documents().currentFilePath().isEmpty());
    EXPECT_TRUE(f->document().isModified());

    // No at the prompt: the file opens.
    messages.enqueue(MessageAnswer::No);
    f->documents().openRecent(0);
    EXPECT_EQ(f->documents().currentFilePath(), good);
    EXPECT_EQ(shownTitle(*f), QStringLiteral("Vornak - good.rpt"));
    f->hide();
}

TEST_F(RecentFiles, TheListIsWrittenToTheSettingsFileAtExitAndReadBack) {
    const QString path = definitionFile(QStringLiteral("kept.rpt"), QStringLiteral("p"));
    {
        EditorApp app(services, {QFile::encodeName(path)});
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(app.mainWindow()->documents().currentFilePath(), path)
                << "the command line's file is opened";
            app.mainWindow()->close();
        });
        EXPECT_EQ(app.run(), 0);
    }
    SettingsStore reread(dir.filePath(QStringLiteral("vornak.conf")));
    EXPECT_EQ(reread.readRecentFiles(), QStringList{path});
    EditorApp again(services, {});
    again.readSettings();
    EXPECT_EQ(again.recentFiles().entries(), QStringList{path});
}

} // namespace
} // namespace vornak::testing
