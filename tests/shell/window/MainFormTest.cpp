// The main form as the user meets it: its state after start-up, its layout and menu, Enter and
// Escape, closing, Browse, dropped files, a file named on the command line and the help window.
#include "FormHarness.h"

#include "AboutDialog.h"
#include "UsageHelpDialog.h"

#include "ActionTable.h"
#include "DialogTemplates.h"
#include "DialogUnits.h"
#include "MenuTable.h"
#include "ProblemCountLabel.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace vornak::testing {
namespace {

using MainForm = FormTest;

TEST_F(MainForm, StartsWithOneParameterOneResultAndTheDefaults) {
    start();

    // The nine texts, in the edits and in the form's fields.
    const std::pair<QString, QString> defaults[] = {
        {"titleEdit", QStringLiteral("ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ")},
        {"documentFileEdit", QStringLiteral("PrintForm.doc")},
        {"input1CaptionEdit", QStringLiteral("Приложение № ")},
        {"input2CaptionEdit", QStringLiteral("к заключению эксперта (к акту) № ")},
        {"surnameCaptionEdit", QStringLiteral("Эксперт")},
        {"authorEdit", QStringLiteral("Ведунов П.Р.")},
        {"dateEdit", QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))},
        {"organisationEdit", QStringLiteral("Заречное ОБСМЭ")},
        {"sourceEdit",
         QStringLiteral("А. Н. Ключева, Г. С. Тармин. \"Судебно-медицинское отождествление личности "
                        "по костным останкам.\" Издательство Сарат. ун-та, 1978")},
    };
    for (const auto& [id, text] : defaults) {
        EXPECT_EQ(edit(id)->text(), text) << "edit " << id.toStdString();
    }
    // The edits show the document's own texts: there is no second copy.
    EXPECT_EQ(shown(model.title), defaults[0].second);
    EXPECT_EQ(shown(model.date), defaults[6].second);
    EXPECT_EQ(shown(model.source), defaults[8].second);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}$")).match(shown(model.date)).hasMatch());

    // The model: one parameter with one row, one result.
    ASSERT_EQ(model.parameters.size(), 1u);
    const ParameterRecord& p = model.parameters[0];
    EXPECT_EQ(p.name, bytes(QStringLiteral("Название")));
    EXPECT_EQ(p.kind, ValueKind::List);
    EXPECT_EQ(p.isNumber, 0);
    EXPECT_EQ(p.hasFormula, 0);
    EXPECT_TRUE(p.formula.empty());
    ASSERT_EQ(p.values.size(), 1u);
    EXPECT_EQ(p.values[0],
              (ValueRow{bytes(QStringLiteral("Значение")), "", bytes(QStringLiteral("Результат"))}));
    ASSERT_EQ(model.results.size(), 1u);
    EXPECT_EQ(model.results[0],
              (ResultRow{bytes(QStringLiteral("Название")), bytes(QStringLiteral("Результат"))}));

    // The lists and controls agree with it; the value list has the List columns.
    EXPECT_EQ(disagreement(*form), "");
    EXPECT_EQ(form->parameterPanel().shownParameter(), 0);
    EXPECT_EQ(values()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Значение"));
    EXPECT_EQ(values()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Результат"));
    EXPECT_EQ(parameters()->selectedRow(), 0);
    EXPECT_EQ(results()->selectedRow(), 0);
    EXPECT_FALSE(edit("formulaEdit")->isEnabled());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(button("kindListRadio"))->isChecked());

    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak"));
    EXPECT_EQ(QApplication::focusWidget(), edit("titleEdit"));

    // Closing at once asks nothing.
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.requests().empty());
}

TEST_F(MainForm, ColumnsTakeTheirShareOfTheClientWidth) {
    start();
    const auto clientWidth = [](CellGrid* grid) { return grid->viewport()->width(); };
    const struct {
        CellGrid* grid;
        std::vector<int> widths; // for the client width w
        std::vector<QString> headings;
    } cases[] = {
        {parameters(),
         {clientWidth(parameters()) / 8, clientWidth(parameters()) - clientWidth(parameters()) / 8},
         {"N", "Название"}},
        // The last column takes what the others leave.
        {results(),
         {2 * clientWidth(results()) / 16, 8 * clientWidth(results()) / 16,
          clientWidth(results()) - 10 * clientWidth(results()) / 16},
         {"N", "Название", "Результат"}},
        {values(),
         {2 * clientWidth(values()) / 3, clientWidth(values()) - 2 * clientWidth(values()) / 3},
         {"Значение", "Результат"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.grid->model()->columnCount(), static_cast<int>(c.widths.size()));
        for (int i = 0; i < c.grid->model()->columnCount(); ++i) {
            EXPECT_EQ(c.grid->columnWidth(i), c.widths[static_cast<std::size_t>(i)])
                << c.grid->objectName().toStdString();
            EXPECT_EQ(c.grid->model()->headerData(i, Qt::Horizontal).toString(),
                      c.headings[static_cast<std::size_t>(i)]);
        }
    }
    // Editable columns: the name of a parameter, name and result of a result, every value cell.
    EXPECT_FALSE(parameters()->model()->index(0, 0).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(parameters()->model()->index(0, 1).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(results()->model()->index(0, 0).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(results()->model()->index(0, 1).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(results()->model()->index(0, 2).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(values()->model()->index(0, 0).flags().testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(values()->model()->index(0, 1).flags().testFlag(Qt::ItemIsEditable));
}

TEST_F(MainForm, OpensAtTheFormsSizeThenGrowsAndShrinksWithTheUser) {
    start();
    const DialogTemplate& t = mainFormTemplate();
    const QSize formSize = DialogUnits(form->font()).toPixels(QSize(t.width, t.height));
    QWidget* client = form->centralWidget();
    // The first time: the form's client area under the menu bar, or more where the fonts need it.
    EXPECT_GE(client->width(), formSize.width());
    EXPECT_GE(form->height(), formSize.height() + form->menuBar()->height());
    EXPECT_LT(form->minimumSize().width(), form->maximumSize().width()) << "the window can be sized";

    // Every label and the group box are there with their texts.
    QStringList labels;
    for (QLabel* label : client->findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const QString& text :
         {QStringLiteral("Назван:"), QStringLiteral("Документ:"), QStringLiteral("Ввод 1:"),
          QStringLiteral("Ввод 2:"), QStringLiteral("Фамилия:"), QStringLiteral("Параметры:"),
          QStringLiteral("Тип значения:"), QStringLiteral("Автор:"), QStringLiteral("Источн.:"),
          QStringLiteral("Организ.:"), QStringLiteral("Дата:")}) {
        EXPECT_TRUE(labels.contains(text)) << text.toStdString();
    }
    auto* group = client->findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Значения параметра:"));
    EXPECT_TRUE(group->isAncestorOf(values()));

    // Larger: the three lists take the new room, the fields stretch sideways and keep their height.
    const auto sizeOf = [this](const char* id) {
        return form->findChild<QWidget*>(QLatin1String(id))->size();
    };
    const QSize before[] = {sizeOf("parameterList"), sizeOf("valueList"), sizeOf("resultList"),
                            sizeOf("titleEdit"), sizeOf("sourceEdit")};
    form->resize(form->size() + QSize(300, 240));
    QApplication::processEvents();
    const QSize after[] = {sizeOf("parameterList"), sizeOf("valueList"), sizeOf("resultList"),
                           sizeOf("titleEdit"), sizeOf("sourceEdit")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(after[i].width(), before[i].width()) << "list " << i;
        EXPECT_GT(after[i].height(), before[i].height()) << "list " << i;
    }
    for (int i = 3; i < 5; ++i) {
        EXPECT_GT(after[i].width(), before[i].width()) << "field " << i;
        EXPECT_EQ(after[i].height(), before[i].height()) << "field " << i;
    }
    // The columns follow the lists' width.
    EXPECT_EQ(parameters()->columnWidth(0), parameters()->viewport()->width() / 8);
    EXPECT_GE(parameters()->columnWidth(1), 7 * parameters()->viewport()->width() / 8);

    // Closed and opened again, the window comes back at the size and place the user left it.
    const QSize left = form->size();
    form->close();
    form.reset();
    start();
    EXPECT_EQ(form->size(), left);
}

TEST_F(MainForm, TheButtonsCarryPicturesAndTabFollowsTheForm) {
    start();
    for (const char* id : {"browseButton", "addParameterButton", "deleteParameterButton", "addValueButton",
                           "deleteValueButton", "addResultButton", "deleteResultButton"}) {
        auto* b = qobject_cast<QPushButton*>(button(id));
        EXPECT_FALSE(b->icon().isNull()) << id;
        EXPECT_TRUE(b->text().isEmpty()) << id;
        EXPECT_FALSE(b->accessibleName().isEmpty()) << id;
    }
    QWidget* w = edit("titleEdit");
    const char* order[] = {"documentFileEdit",
                           "browseButton",
                           "input1CaptionEdit",
                           "input2CaptionEdit",
                           "surnameCaptionEdit",
                           "parameterList",
                           nullptr, // the problem count beside the parameter list
                           "addParameterButton",
                           "deleteParameterButton",
                           "kindListRadio",
                           "numberCheck",
                           "formulaCheck",
                           "valueList", // the formula edit is disabled
                           "addValueButton",
                           "deleteValueButton",
                           "resultList",
                           "addResultButton",
                           "deleteResultButton",
                           "authorEdit",
                           "organisationEdit",
                           "sourceEdit",
                           "dateEdit"};
    for (const char* id : order) {
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || (w->focusPolicy() & Qt::TabFocus) == 0 ||
               w->focusProxy() != nullptr || !w->isEnabled() || !w->isVisible()) {
            w = w->nextInFocusChain();
        }
        QWidget* expected = id == nullptr ? static_cast<QWidget*>(form->checks().problemCount())
                                          : form->findChild<QWidget*>(QLatin1String(id));
        EXPECT_EQ(w, expected) << "after the previous control comes " << (id == nullptr ? "the count" : id);
    }
}

// The text an item shows, the key beside it included, as the menu draws it.
QString shownText(QMenu& menu, QAction* action) {
    struct Probe : QMenu {
        static auto styleOption() { return &Probe::initStyleOption; }
    };
    QStyleOptionMenuItem option;
    (menu.*Probe::styleOption())(&option, action);
    return option.text;
}

TEST_F(MainForm, EveryMenuItemIsTheActionOfItsCommandWithTheKeysItShows) {
    start();
    QList<QAction*> bar = form->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(mainMenu().size()));
    for (std::size_t m = 0; m < mainMenu().size(); ++m) {
        const MenuPopup& popup = mainMenu()[m];
        QMenu* menu = bar[static_cast<qsizetype>(m)]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(bar[static_cast<qsizetype>(m)]->text(), popup.title);
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(popup.entries.size())) << popup.title.toStdString();
        for (std::size_t i = 0; i < popup.entries.size(); ++i) {
            const MenuEntry& entry = popup.entries[i];
            QAction* action = items[static_cast<qsizetype>(i)];
            if (entry.kind == MenuEntry::Kind::Separator) {
                EXPECT_TRUE(action->isSeparator());
                continue;
            }
            if (entry.kind == MenuEntry::Kind::RecentFiles) {
                // Greyed while there are none.
                EXPECT_EQ(action->text(), texts::recentFilesPlaceholder);
                EXPECT_FALSE(action->isEnabled());
                continue;
            }
            const QString& id = entry.commandId;
            SCOPED_TRACE(id.toStdString());
            EXPECT_EQ(form->action(id), action);
            EXPECT_EQ(action->objectName(), id);
            EXPECT_EQ(form->findChild<QAction*>(id), action);
            // Undo and Redo wait for a step; moving needs a second record (the selected parameter
            // can be duplicated).
            const bool waits =
                id == "editUndo" || id == "editRedo" || id == "editMoveUp" || id == "editMoveDown";
            EXPECT_EQ(form->commandAvailable(id), !waits);
            EXPECT_EQ(action->isEnabled(), !waits);
            // The item reads as the table says, the key the table shows after a tab.
            const ActionEntry* row = findActionEntry(id);
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(action->shortcuts(), row->keys());
            EXPECT_EQ(action->shortcut(), row->shortcut);
            EXPECT_EQ(shownText(*menu, action),
                      row->shortcut.isEmpty() ? row->text
                                              : row->text + QLatin1Char('\t') + row->shortcut.toString());
            if (!row->shortcut.isEmpty()) {
                EXPECT_EQ(action->shortcutContext(), Qt::WindowShortcut);
            }
            EXPECT_EQ(!action->icon().isNull(), row->picture != Picture::None);
        }
    }
    EXPECT_FALSE(form->commandAvailable(QStringLiteral("noSuchCommand")));
    EXPECT_FALSE(form->runCommand(QStringLiteral("noSuchCommand")));
}

TEST_F(MainForm, TheEditMenuReadsAsBefore) {
    start();
    QMenu* edit = form->menuBar()->actions().at(1)->menu();
    QStringList shown;
    for (QAction* action : edit->actions()) {
        shown << (action->isSeparator() ? QStringLiteral("-") : shownText(*edit, action));
    }
    const QStringList expected = {
        QStringLiteral("&Отменить\tCtrl+Z"),
        QStringLiteral("&Повторить\tCtrl+Y"),
        QStringLiteral("-"),
        QStringLiteral("Вы&резать\tCtrl+X"),
        QStringLiteral("&Копировать\tCtrl+C"),
        QStringLiteral("Вст&авить\tCtrl+V"),
        QStringLiteral("-"),
        QStringLiteral("На&йти...\tCtrl+F"),
        QStringLiteral("&Заменить...\tCtrl+H"),
        QStringLiteral("-"),
        QStringLiteral("Переместить &выше\tCtrl+Up"),
        QStringLiteral("Переместить &ниже\tCtrl+Down"),
        QStringLiteral("&Дублировать\tCtrl+D"),
        QStringLiteral("-"),
        QStringLiteral("Пров&ерка...\tF7"),
    };
    EXPECT_EQ(shown, expected);
    // A step to undo names itself before the key.
    form->runCommand(QStringLiteral("addParameter"));
    EXPECT_TRUE(
        shownText(*edit, form->action(QStringLiteral("editUndo"))).startsWith(QStringLiteral("&Отменить: ")));
    EXPECT_TRUE(
        shownText(*edit, form->action(QStringLiteral("editUndo"))).endsWith(QStringLiteral("\tCtrl+Z")));
}

TEST_F(MainForm, AboutBoxOpensModallyAndCloses) {
    start();
    QString seen;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* about = qobject_cast<AboutDialog*>(modal)) {
            seen = about->windowTitle();
            EXPECT_EQ(about->parentWidget(), form.get());
            about->reject();
        } else if (modal != nullptr) {
            modal->close(); // not the About box: fail below rather than hang
        }
    });
    ASSERT_TRUE(form->runCommand("helpAbout"));
    EXPECT_EQ(seen, QStringLiteral("О программе"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(MainForm, MenuCommandsAndButtonsShareTheirHandlers) {
    start();
    // Each pair: a menu command and a button, with the count it changes.
    const struct {
        QString command;
        QString buttonId;
        std::function<std::size_t()> count;
        int change;
    } cases[] = {
        {"addParameter", "addParameterButton", [&] { return model.parameters.size(); }, +1},
        {"addValue", "addValueButton",
         [&] {
             return model.parameters[static_cast<std::size_t>(form->parameterPanel().shownParameter())]
                 .values.size();
         },
         +1},
        {"addResult", "addResultButton", [&] { return model.results.size(); }, +1},
    };
    for (const auto& c : cases) {
        const std::size_t before = c.count();
        ASSERT_TRUE(form->runCommand(c.command));
        EXPECT_EQ(c.count(), before + 1) << c.command.toStdString();
        click(c.buttonId);
        EXPECT_EQ(c.count(), before + 2) << c.buttonId.toStdString();
        EXPECT_EQ(disagreement(*form), "");
    }
}

TEST_F(MainForm, TabIntoTheKindGroupLandsOnTheCheckedButton) {
    start();
    // Parameter 2 becomes an input parameter; parameter 1 stays a list.
    form->runCommand("addParameter");
    click("kindInputRadio");
    const struct {
        int row;
        QString checked;
    } cases[] = {{0, "kindListRadio"}, {1, "kindInputRadio"}, {0, "kindListRadio"}};
    for (const auto& c : cases) {
        clickParameterRow(c.row);
        ASSERT_TRUE(button(c.checked)->isChecked());
        // Forward from the control before the group, backward from the one after it.
        form->findChild<QWidget*>("deleteParameterButton")->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button(c.checked)) << "Tab, row " << c.row;
        form->findChild<QWidget*>("numberCheck")->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), button(c.checked)) << "Shift+Tab, row " << c.row;
        // And Tab goes on past the group, to the number box.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), form->findChild<QWidget*>("numberCheck")) << "row " << c.row;
    }
}

TEST_F(MainForm, EnterAndEscapeNeverCloseTheForm) {
    start();
    for (const QString id : {"titleEdit", "sourceEdit"}) {
        edit(id)->setFocus();
        QTest::keyClick(edit(id), Qt::Key_Return);
        QTest::keyClick(edit(id), Qt::Key_Enter);
        QTest::keyClick(edit(id), Qt::Key_Escape);
        EXPECT_TRUE(form->isVisible());
    }
    button("kindRangeRadio")->setFocus();
    QTest::keyClick(button("kindRangeRadio"), Qt::Key_Return);
    QTest::keyClick(button("kindRangeRadio"), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(model.parameters.size(), 1u);
    EXPECT_EQ(model.results.size(), 1u);

    // Enter on a focused push button presses that button.
    button("addResultButton")->setFocus();
    QTest::keyClick(button("addResultButton"), Qt::Key_Return);
    EXPECT_EQ(model.results.size(), 2u);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainForm, ClosingAsksOnlyWhenModified) {
    start();
    // Unmodified: closes without a question.
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.requests().empty());

    // Modified: Cancel keeps the form; No closes it.
    form->show();
    activate();
    form->runCommand("addResult");
    ASSERT_TRUE(form->document().isModified());
    messages.enqueue(MessageAnswer::Cancel);
    form->close();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].text, QStringLiteral("Документ изменен. Сохранить?"));
    EXPECT_EQ(messages.requests()[0].caption, QStringLiteral("Предупреждение."));
    EXPECT_EQ(messages.requests()[0].defaultButton, MessageAnswer::Yes);

    messages.enqueue(MessageAnswer::No);
    form->runCommand("fileExit");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(messages.requests().size(), 2u);
}

TEST_F(MainForm, BrowseTakesOnlyTheFileName) {
    start();
    fileDialogs.enqueue(QStringLiteral("/srv/other folder/Форма отчёта.doc"));
    click("browseButton");

    ASSERT_EQ(fileDialogs.requests().size(), 1u);
    const FileDialogRequest& asked = fileDialogs.requests()[0];
    EXPECT_EQ(asked.kind, FileDialogKind::Open);
    EXPECT_EQ(asked.filter,
              QStringLiteral("Word Files (*.doc)|*.doc|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"));
    EXPECT_TRUE(asked.defaultExtension.isEmpty());
    EXPECT_EQ(asked.initialFileName, QStringLiteral("PrintForm.doc"));

    EXPECT_EQ(edit("documentFileEdit")->text(), QStringLiteral("Форма отчёта.doc"));
    EXPECT_EQ(model.documentFile, bytes(QStringLiteral("Форма отчёта.doc")));
    EXPECT_EQ(shown(model.title), texts::defaultTitle) << "Browse sets only the document name";
    EXPECT_TRUE(form->document().isModified());
}

TEST_F(MainForm, BrowseStartsFromWhatTheDocumentEditShowsBesideTheDefinition) {
    start();
    const QString folder = dir.filePath(QStringLiteral("cases"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ReportDefinition d;
    d.parameters.push_back({});
    d.results.push_back({});
    const struct {
        QString definition; // empty: untitled
        QString typed;
        QString offered;
    } cases[] = {
        // Untitled, the name is offered as it stands.
        {QString(), QStringLiteral("typed.doc"), QStringLiteral("typed.doc")},
        // A relative name lies beside the definition, not in the folder the editor started in.
        {QStringLiteral("cases/stature.rpt"), QStringLiteral("typed.doc"),
         folder + QStringLiteral("/typed.doc")},
        {QStringLiteral("cases/stature.rpt"), QStringLiteral("forms/typed.doc"),
         folder + QStringLiteral("/forms/typed.doc")},
        {QStringLiteral("cases/stature.rpt"), QStringLiteral("/srv/typed.doc"),
         QStringLiteral("/srv/typed.doc")},
    };
    for (const auto& c : cases) {
        if (!c.definition.isEmpty()) {
            load(d, c.definition);
        }
        edit("documentFileEdit")->setText(c.typed);
        fileDialogs.enqueue(std::nullopt);
        click("browseButton");
        ASSERT_FALSE(fileDialogs.requests().empty());
        EXPECT_EQ(fileDialogs.requests().back().initialFileName, c.offered) << c.typed.toStdString();
    }
}

TEST_F(MainForm, CancelledOrUnfitBrowseChangesNothing) {
    start();
    const struct {
        std::optional<QString> answer;
        const char* why;
    } cases[] = {
        {std::nullopt, "cancelled"},
        {QStringLiteral("/tmp/report\U0001F600.doc"), "a character without a Windows-1251 byte"},
        {QStringLiteral("/tmp/two\nlines.doc"), "a line break in the name"},
    };
    for (const auto& c : cases) {
        fileDialogs.enqueue(c.answer);
        click("browseButton");
        EXPECT_EQ(edit("documentFileEdit")->text(), QStringLiteral("PrintForm.doc")) << c.why;
        EXPECT_EQ(shown(model.documentFile), QStringLiteral("PrintForm.doc")) << c.why;
        EXPECT_FALSE(form->document().isModified()) << c.why;
    }
}

// The files the editor tried to open, as its reports of files it could not read name them.
QStringList reportedFiles(const ScriptedMessageBox& messages) {
    QStringList files;
    const QString lead = QStringLiteral("Не удалось открыть файл ");
    for (const MessageRequest& r : messages.requests()) {
        if (r.kind == MessageKind::Error && r.text.startsWith(lead)) {
            files << r.text.mid(lead.size()).section(QStringLiteral(".\n"), 0, 0);
        }
    }
    return files;
}

TEST_F(MainForm, FileOnTheCommandLineIsOpenedAtStartUp) {
    const struct {
        QStringList arguments;
        QStringList opened;
    } cases[] = {
        {{}, {}},
        {{QStringLiteral("/data/stature.rpt")}, {QStringLiteral("/data/stature.rpt")}},
        // A relative path is made absolute, so that messages, title and list name it in full.
        {{QStringLiteral("-x"), QStringLiteral("first.rpt"), QStringLiteral("second.rpt")},
         {QDir::current().absoluteFilePath(QStringLiteral("first.rpt"))}},
        {{QStringLiteral("./sub/../first.rpt")},
         {QDir::current().absoluteFilePath(QStringLiteral("first.rpt"))}},
    };
    for (const auto& c : cases) {
        messages.clear();
        // The file is read once the window is on screen, so that a box about it stands over it.
        bool visibleAtLastReset = false;
        const QMetaObject::Connection watch =
            QObject::connect(&document, &DefinitionDocument::documentReset, [this, &visibleAtLastReset] {
                visibleAtLastReset = form != nullptr && form->isVisible();
            });
        start(c.arguments);
        QObject::disconnect(watch);
        EXPECT_EQ(reportedFiles(messages), c.opened);
        EXPECT_EQ(visibleAtLastReset, !c.opened.isEmpty());
        // Nothing asked to save: the start-up definition counts as unmodified.
        EXPECT_EQ(messages.requests().size(), c.opened.size());
        EXPECT_FALSE(form->document().isModified());
        form.reset();
    }

    // A file that is there opens and names the window.
    ReportDefinition d;
    d.parameters.push_back({});
    d.results.push_back({});
    const QString path = dir.filePath(QStringLiteral("stature.rpt"));
    ASSERT_TRUE(d.save(TextCodec::encodePath(path)));
    start({path});
    EXPECT_EQ(form->documents().currentFilePath(), path);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - stature.rpt"));
}

// Drops through the window, as the platform delivers them: the widget under the point that accepts
// drops gets them.
void dropFiles(QWidget* window, const QPoint& at, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths) {
        urls << QUrl::fromLocalFile(p);
    }
    mime.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &drop);
    QApplication::processEvents();
}

TEST_F(MainForm, DroppedFilesOpenTheFirstOnlyWhereverTheyLand) {
    MainWindow& f = start();
    const QStringList three = {QStringLiteral("/data/a.rpt"), QStringLiteral("/data/b.rpt"),
                               QStringLiteral("/data/c.rpt")};
    // On the title edit, on the parameter list and on the bare form.
    const QPoint targets[] = {
        edit("titleEdit")->mapTo(&f, edit("titleEdit")->rect().center()),
        parameters()->mapTo(&f, parameters()->rect().center()),
        QPoint(f.width() - 3, f.height() - 3),
    };
    for (const QPoint& at : targets) {
        messages.clear();
        dropFiles(&f, at, three);
        EXPECT_EQ(reportedFiles(messages), QStringList{three.first()}) << at.x() << "," << at.y();
    }
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ"))
        << "the path is not dropped into the edit as text";
}

TEST_F(MainForm, HelpWindowIsCreatedHiddenAndShownByHelpAndF1) {
    start();
    UsageHelpDialog* help = form->usageHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), nullptr) << "the help window belongs to no window";

    pressKey(edit("titleEdit"), Qt::Key_F1);
    EXPECT_TRUE(help->isVisible());
    help->hide();
    activate();

    pressKey(edit("titleEdit"), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_FALSE(help->isVisible()) << "F1 with a modifier is not the help key";

    ASSERT_TRUE(form->runCommand("helpUsage"));
    EXPECT_TRUE(help->isVisible());
    help->hide();
    ASSERT_TRUE(form->runCommand("helpUsage"));
    EXPECT_TRUE(help->isVisible());
    help->hide();
}

TEST_F(MainForm, F1FromAnOpenCellEditorShowsHelpAndEscapeHandsTheFocusBack) {
    start();
    UsageHelpDialog* help = form->usageHelpWindow();
    GridEdit* box = values()->editCell(0, 0);
    ASSERT_NE(box, nullptr);
    pressKey(box, Qt::Key_F1);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(model.parameters[0].values.size(), 1u) << "F1 is not a form command";

    help->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    QTest::keyClick(help, Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get())) << "the form gets the focus back";
}

} // namespace
} // namespace vornak::testing

namespace vornak::testing {
namespace {

// The started form, drawn: every grid shows its rows (its cells are not the background colour).
// Set VORNAK_SCREENSHOT to a file name to keep the picture.
TEST_F(MainForm, DrawsItsStartedState) {
    start();
    QApplication::processEvents();
    const QImage picture = form->grab().toImage();
    ASSERT_EQ(picture.size(), form->size() * picture.devicePixelRatio());
    for (CellGrid* grid : {parameters(), values(), results()}) {
        const QRect cell = grid->visualRect(grid->model()->index(0, 1))
                               .translated(grid->viewport()->mapTo(form.get(), QPoint(0, 0)));
        bool inked = false;
        const QRgb background = picture.pixel(cell.right() - 2, cell.center().y());
        for (int x = cell.left() + 2; x < cell.right() - 2 && !inked; ++x) {
            for (int y = cell.top() + 1; y < cell.bottom() && !inked; ++y) {
                inked = picture.pixel(x, y) != background;
            }
        }
        EXPECT_TRUE(inked) << "no text drawn in " << grid->objectName().toStdString();
    }
    const QString keep = qEnvironmentVariable("VORNAK_SCREENSHOT");
    if (!keep.isEmpty()) {
        EXPECT_TRUE(picture.save(keep));
    }
}

} // namespace
} // namespace vornak::testing

namespace vornak::testing {
namespace {

// Closing the program while a cell is being edited: the editor's end reaches no half-destroyed
// form (the address sanitizer run would catch it).
TEST_F(MainForm, CanBeDestroyedWithACellEditorOpen) {
    start();
    GridEdit* box = values()->editCell(0, 1);
    ASSERT_NE(box, nullptr);
    typeText(box, QStringLiteral("незакончено"));
    form.reset();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

} // namespace
} // namespace vornak::testing
