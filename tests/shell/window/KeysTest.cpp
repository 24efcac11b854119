// The form's keys: Ctrl+N, Ctrl+O, Ctrl+S, F2, F3 and F4 run their commands whatever has the focus,
// an open cell editor included, and never reach the focused widget; every auto-repeat counts.
#include "FormHarness.h"

#include "UsageHelpDialog.h"

#include <QSignalSpy>

namespace vornak::testing {
namespace {

using Keys = FormTest;

TEST_F(Keys, EachKeyRunsItsCommandAndNoOther) {
    start();
    QSignalSpy ran(form.get(), &MainWindow::commandRun);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString command; // empty: none
    } cases[] = {
        {Qt::Key_N, Qt::ControlModifier, "fileNew"},
        {Qt::Key_O, Qt::ControlModifier, "fileOpen"},
        {Qt::Key_S, Qt::ControlModifier, "fileSave"},
        {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "fileSave"}, // Shift is not looked at
        {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier, "fileSave"},
        {Qt::Key_S, Qt::NoModifier, {}},
        {Qt::Key_N, Qt::ShiftModifier, {}},
        {Qt::Key_F2, Qt::NoModifier, "addParameter"},
        {Qt::Key_F2, Qt::ControlModifier, "addParameter"},
        {Qt::Key_F2, Qt::ShiftModifier, "addParameter"},
        {Qt::Key_F2, Qt::AltModifier, {}}, // a system key
        {Qt::Key_F3, Qt::NoModifier, "addValue"},
        {Qt::Key_F4, Qt::NoModifier, "addResult"},
        {Qt::Key_F4, Qt::AltModifier, {}}, // Alt+F4 closes the window as usual
        {Qt::Key_F5, Qt::NoModifier, {}},
        {Qt::Key_F1, Qt::NoModifier, "helpUsage"},
        {Qt::Key_F1, Qt::ShiftModifier, {}},
        {Qt::Key_F1, Qt::ControlModifier, {}},
    };
    for (const auto& c : cases) {
        // The dialogs the document keys open are answered with Cancel.
        fileDialogs.clear();
        QLineEdit* title = edit("titleEdit");
        activate();
        title->setFocus();
        ran.clear();
        pressKey(title, c.key, c.modifiers);
        QApplication::processEvents();
        form->usageHelpWindow()->hide();
        if (c.command.isEmpty()) {
            EXPECT_EQ(ran.count(), 0) << "key " << c.key << " modifiers " << c.modifiers.toInt();
        } else {
            ASSERT_EQ(ran.count(), 1) << "key " << c.key << " modifiers " << c.modifiers.toInt();
            EXPECT_EQ(ran.at(0).at(0).toString(), c.command) << "key " << c.key;
        }
    }
}

// Where the focus is when the key is pressed.
enum class FocusIn { TitleEdit, FormulaEdit, ParameterCellEditor, ValueCellEditor, ResultList, AddButton };

const char* focusName(FocusIn f) {
    switch (f) {
    case FocusIn::TitleEdit:
        return "title edit";
    case FocusIn::FormulaEdit:
        return "formula edit";
    case FocusIn::ParameterCellEditor:
        return "parameter cell editor";
    case FocusIn::ValueCellEditor:
        return "value cell editor";
    case FocusIn::ResultList:
        return "result list";
    case FocusIn::AddButton:
        return "add button";
    }
    return "";
}

TEST_F(Keys, AddKeysWorkWhateverHasTheFocusAndAreConsumed) {
    start();
    const FocusIn places[] = {FocusIn::TitleEdit,       FocusIn::FormulaEdit, FocusIn::ParameterCellEditor,
                              FocusIn::ValueCellEditor, FocusIn::ResultList,  FocusIn::AddButton};
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int parameters, values, results; // growth of each count
    } keys[] = {
        {Qt::Key_F2, Qt::NoModifier, 1, 0, 0},
        {Qt::Key_F3, Qt::NoModifier, 0, 1, 0},
        {Qt::Key_F4, Qt::NoModifier, 0, 0, 1},
        {Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier, 1, 0, 0},
    };
    // The formula edit takes input only while the parameter has a formula.
    click("formulaCheck");

    for (FocusIn place : places) {
        for (const auto& k : keys) {
            // Put the focus in place, with an open editor where asked.
            QWidget* target = nullptr;
            const int current = form->parameterPanel().shownParameter();
            switch (place) {
            case FocusIn::TitleEdit:
                target = edit("titleEdit");
                break;
            case FocusIn::FormulaEdit:
                if (!model.parameters[static_cast<std::size_t>(current)].hasFormula) {
                    click("formulaCheck");
                }
                target = edit("formulaEdit");
                break;
            case FocusIn::ParameterCellEditor:
                target = parameters()->editCell(current, 1);
                break;
            case FocusIn::ValueCellEditor:
                if (rowCount(values()) == 0) {
                    form->runCommand("addValue");
                }
                target = values()->editCell(0, 0);
                break;
            case FocusIn::ResultList:
                target = results();
                break;
            case FocusIn::AddButton:
                target = button("addValueButton");
                break;
            }
            ASSERT_NE(target, nullptr) << focusName(place);
            target->setFocus();
            const QString textBefore =
                qobject_cast<QLineEdit*>(target) ? qobject_cast<QLineEdit*>(target)->text() : QString();
            const std::size_t p = model.parameters.size();
            const int cur = form->parameterPanel().shownParameter();
            const std::size_t v = model.parameters[static_cast<std::size_t>(cur)].values.size();
            const std::size_t r = model.results.size();

            pressKey(target, k.key, k.modifiers);
            QApplication::processEvents();

            EXPECT_EQ(model.parameters.size(), p + static_cast<std::size_t>(k.parameters))
                << focusName(place) << " key " << k.key;
            if (k.values != 0) {
                EXPECT_EQ(model.parameters[static_cast<std::size_t>(cur)].values.size(), v + 1)
                    << focusName(place) << " key " << k.key;
            }
            EXPECT_EQ(model.results.size(), r + static_cast<std::size_t>(k.results)) << focusName(place);
            EXPECT_EQ(disagreement(*form), "") << focusName(place) << " key " << k.key;
            if (place == FocusIn::TitleEdit || place == FocusIn::FormulaEdit) {
                EXPECT_EQ(qobject_cast<QLineEdit*>(target)->text(), textBefore) << "the key reached the edit";
            }
        }
    }
}

TEST_F(Keys, DocumentKeysRunTheirCommandsFromAnEditAndACellEditor) {
    start();
    QSignalSpy ran(form.get(), &MainWindow::commandRun);
    const struct {
        Qt::Key key;
        QString command;
    } keys[] = {{Qt::Key_N, "fileNew"}, {Qt::Key_O, "fileOpen"}, {Qt::Key_S, "fileSave"}};
    for (const auto& k : keys) {
        for (bool inCellEditor : {false, true}) {
            QWidget* target = inCellEditor ? static_cast<QWidget*>(values()->editCell(0, 1))
                                           : static_cast<QWidget*>(edit("titleEdit"));
            ASSERT_NE(target, nullptr);
            target->setFocus();
            ran.clear();
            pressKey(target, k.key, Qt::ControlModifier);
            ASSERT_EQ(ran.count(), 1)
                << "key " << k.key << (inCellEditor ? " in a cell editor" : " in an edit");
            EXPECT_EQ(ran.at(0).at(0).toString(), k.command);
        }
    }
    EXPECT_EQ(edit("titleEdit")->text(), QStringLiteral("ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ"));
}

TEST_F(Keys, TextTypedIntoAnOpenCellEditorIsKeptWhenAKeyRunsACommand) {
    start();
    // Typing into a value cell and pressing F3 before confirming: the typed text is in the model,
    // in the row it was typed into, not lost and not written elsewhere.
    GridEdit* box = values()->editCell(0, 0);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    typeText(box, QStringLiteral("рост"));
    pressKey(box, Qt::Key_F3);
    ASSERT_EQ(model.parameters[0].values.size(), 2u);
    EXPECT_EQ(model.parameters[0].values[0].value, bytes(QStringLiteral("рост")));
    EXPECT_EQ(disagreement(*form), "");

    // The same while the current parameter is shown without a selected parameter row, where the
    // new parameter goes first and the shown one moves down.
    form->runCommand("addParameter"); // parameter 2, current
    form->runCommand("addParameter"); // parameter 3, current
    parameters()->clearSelection();
    ASSERT_EQ(parameters()->selectedRow(), -1);
    const int shownBefore = form->parameterPanel().shownParameter();
    box = values()->editCell(0, 1);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    typeText(box, QStringLiteral("вес"));
    pressKey(box, Qt::Key_F2);
    EXPECT_EQ(model.parameters[static_cast<std::size_t>(shownBefore) + 1].values[0].result,
              bytes(QStringLiteral("вес")));
    EXPECT_EQ(model.parameters[0].values[0].result, bytes(QStringLiteral("Результат")));
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(Keys, EveryAutoRepeatOfAHeldKeyCounts) {
    start();
    QWidget* target = edit("titleEdit");
    target->setFocus();
    pressKey(target, Qt::Key_F2);
    for (int i = 0; i < 100; ++i) {
        pressKey(QApplication::focusWidget(), Qt::Key_F2, Qt::NoModifier, true);
    }
    QApplication::processEvents();
    EXPECT_EQ(model.parameters.size(), 102u);
    EXPECT_EQ(disagreement(*form), "");
    // Each new parameter went below the one before it and is numbered in order.
    EXPECT_EQ(form->parameterPanel().shownParameter(), 101);
    EXPECT_EQ(cellText(parameters(), 101, 0), QStringLiteral("102"));
}

TEST_F(Keys, KeysOfOtherWindowsAreLeftAloneAndTheHookEndsWithTheForm) {
    start();
    QWidget other;
    QLineEdit otherEdit(&other);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    pressKey(&otherEdit, Qt::Key_F2);
    EXPECT_EQ(model.parameters.size(), 1u);

    // A key after the form has gone reaches no stale filter (the address sanitizer run would see it).
    form.reset();
    pressKey(&otherEdit, Qt::Key_F2);
    EXPECT_EQ(model.parameters.size(), 1u);
}

} // namespace
} // namespace vornak::testing
