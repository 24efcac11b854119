// Who takes the undo and redo keys typed into a line edit: a cell editor with typing to undo or
// redo keeps them, a bound field and an editor with nothing to take back hand them to the window's
// Undo and Redo actions. Ctrl+Y and Ctrl+Shift+Z redo alike everywhere.
#include "UndoKeyRouter.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct RedoCase {
    const char* name;
    QKeyCombination redoKey;
    bool bound;        // a field bound to the document
    bool undoTyping;   // the field's own undo took its typing back first
    QString textAfter; // the field's text after the redo key
    int undoActions;   // how often the window's Undo and Redo ran
    int redoActions;
};

void PrintTo(const RedoCase& c, std::ostream* os) {
    *os << c.name;
}

class UndoKeyRouterTest : public ::testing::TestWithParam<RedoCase> {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        field = new QLineEdit(window.get());
        bound = new QLineEdit(window.get());
        bound->move(0, 30);
        auto* undo = new QAction(window.get());
        undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
        auto* redo = new QAction(window.get());
        redo->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
        window->addActions({undo, redo});
        QObject::connect(undo, &QAction::triggered, [this] { ++undone; });
        QObject::connect(redo, &QAction::triggered, [this] { ++redone; });
        router = std::make_unique<vornak::UndoKeyRouter>(
            *window, [this](const QLineEdit* edit) { return edit == bound; });
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* field = nullptr;
    QLineEdit* bound = nullptr;
    std::unique_ptr<vornak::UndoKeyRouter> router;
    int undone = 0;
    int redone = 0;
};

TEST_P(UndoKeyRouterTest, RedoKeysActAlike) {
    const RedoCase& c = GetParam();
    QLineEdit* edit = c.bound ? bound : field;
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("abc"));
    if (c.undoTyping) {
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    }
    QTest::keyClick(edit, c.redoKey.key(), c.redoKey.keyboardModifiers());
    EXPECT_EQ(edit->text(), c.textAfter);
    EXPECT_EQ(undone, c.undoActions);
    EXPECT_EQ(redone, c.redoActions);
}

constexpr QKeyCombination kCtrlY(Qt::ControlModifier, Qt::Key_Y);
constexpr QKeyCombination kCtrlShiftZ(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);

INSTANTIATE_TEST_SUITE_P(
    Keys, UndoKeyRouterTest,
    ::testing::Values(
        // The editor's own undo took the typing back: both keys bring it again, in the editor.
        RedoCase{"EditorCtrlY", kCtrlY, false, true, QStringLiteral("abc"), 0, 0},
        RedoCase{"EditorCtrlShiftZ", kCtrlShiftZ, false, true, QStringLiteral("abc"), 0, 0},
        // Nothing to redo in the editor: both keys go to the window's Redo.
        RedoCase{"NothingToRedoCtrlY", kCtrlY, false, false, QStringLiteral("abc"), 0, 1},
        RedoCase{"NothingToRedoCtrlShiftZ", kCtrlShiftZ, false, false, QStringLiteral("abc"), 0, 1},
        // A bound field's typing is the document's: undo and redo are the window's.
        RedoCase{"BoundCtrlY", kCtrlY, true, true, QStringLiteral("abc"), 1, 1},
        RedoCase{"BoundCtrlShiftZ", kCtrlShiftZ, true, true, QStringLiteral("abc"), 1, 1}),
    [](const ::testing::TestParamInfo<RedoCase>& info) { return std::string(info.param.name); });

} // namespace
