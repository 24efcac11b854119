// Access letters: each once in the menu bar and once in each menu, and Alt with a menu's letter
// opens that menu. Inside an open cell editor Ctrl+Up and Ctrl+Down move between rows as Up and
// Down do; they never move the record.
#include "FormHarness.h"

#include <QMenu>
#include <QMenuBar>

#include <map>

namespace vornak::testing {
namespace {

// The letter after a single '&' ("&&" is a shown ampersand), upper case; a null QChar when none.
QChar accessLetter(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&')) {
                return text[i + 1].toUpper();
            }
            ++i;
        }
    }
    return QChar();
}

// Every letter used twice among the actions, with the texts that share it.
std::string sharedLetters(const QList<QAction*>& actions) {
    std::map<QChar, QStringList> users;
    for (const QAction* action : actions) {
        if (!action->isSeparator() && action->isVisible() && !accessLetter(action->text()).isNull()) {
            users[accessLetter(action->text())] << action->text();
        }
    }
    std::string shared;
    for (const auto& [letter, texts] : users) {
        if (texts.size() > 1) {
            shared += texts.join(QStringLiteral(" / ")).toStdString() + "\n";
        }
    }
    return shared;
}

// A key press with its text, offered to the shortcuts first as the platform does.
void pressWithText(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (!qt_sendShortcutOverrideEvent(target, 0, key, modifiers, text, false)) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

class AccessKeys : public FormTest {};

TEST_F(AccessKeys, EachLetterOncePerMenuBarAndPerMenu) {
    // Recent files are in the File menu, numbered.
    recentFiles.add(QStringLiteral("/tmp/первый.rpt"));
    recentFiles.add(QStringLiteral("/tmp/второй.rpt"));
    start();
    QMenuBar* bar = form->menuBar();
    ASSERT_EQ(bar->actions().size(), 4);
    EXPECT_EQ(sharedLetters(bar->actions()), "");
    for (QAction* title : bar->actions()) {
        SCOPED_TRACE(title->text().toStdString());
        QMenu* menu = title->menu();
        ASSERT_NE(menu, nullptr);
        // What the menu holds when it is opened (the recent files come then).
        emit menu->aboutToShow();
        EXPECT_FALSE(accessLetter(title->text()).isNull());
        EXPECT_EQ(sharedLetters(menu->actions()), "");
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->isVisible() && action->isEnabled()) {
                EXPECT_FALSE(accessLetter(action->text()).isNull()) << action->text().toStdString();
            }
        }
    }
}

TEST_F(AccessKeys, AltWithAMenusLetterOpensThatMenu) {
    start();
    QMenuBar* bar = form->menuBar();
    const struct {
        QString title;
        char32_t letter;
    } cases[] = {
        {QStringLiteral("Файл"), U'Ф'},
        {QStringLiteral("Правка"), U'Р'},
        {QStringLiteral("Создать"), U'С'},
        {QStringLiteral("Помощь"), U'П'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        activate();
        QLineEdit* title = edit("titleEdit");
        title->setFocus();
        const QString text = QString(QChar(static_cast<char16_t>(c.letter))).toLower();
        pressWithText(title, static_cast<Qt::Key>(c.letter), Qt::AltModifier, text);
        QApplication::processEvents();
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr) << "no menu opened";
        QString opened;
        for (QAction* menuTitle : bar->actions()) {
            if (menuTitle->menu() == open) {
                opened = menuTitle->text().remove(QLatin1Char('&'));
            }
        }
        EXPECT_EQ(opened, c.title);
        open->close();
        QApplication::processEvents();
    }
}

// Ctrl+Up and Ctrl+Down in an open cell editor, in each of the three lists.
TEST_F(AccessKeys, CtrlUpAndDownInACellEditorMoveBetweenRowsNotTheRecord) {
    start();
    ReportDefinition d;
    d.parameters = {{"A", "", ValueKind::List, 0, 0, {{"a1", "", "x"}, {"a2", "", "y"}, {"a3", "", "z"}}},
                    {"B", "", ValueKind::List, 0, 0, {{"b1", "", "x"}}},
                    {"C", "", ValueKind::List, 0, 0, {{"c1", "", "x"}}}};
    d.results = {{"R1", "#R(1)"}, {"R2", "#R(2)"}, {"R3", "#R(3)"}};
    const struct {
        const char* list;
        CellGrid* (FormTest::*grid)() const;
        int column;
        Qt::Key key;
        int nextRow;
    } cases[] = {
        {"parameters", &FormTest::parameters, 1, Qt::Key_Up, 0},
        {"parameters", &FormTest::parameters, 1, Qt::Key_Down, 2},
        {"values", &FormTest::values, 0, Qt::Key_Up, 0},
        {"values", &FormTest::values, 0, Qt::Key_Down, 2},
        {"results", &FormTest::results, 1, Qt::Key_Up, 0},
        {"results", &FormTest::results, 1, Qt::Key_Down, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + (c.key == Qt::Key_Up ? " Ctrl+Up" : " Ctrl+Down"));
        load(d);
        CellGrid* grid = (this->*c.grid)();
        const QModelIndex cell = grid->model()->index(1, c.column);
        const QString before = cell.data().toString();
        GridEdit* box = grid->editCell(1, c.column);
        ASSERT_NE(box, nullptr);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_End);
        typeText(box, QStringLiteral("ж"));
        pressKey(box, c.key, Qt::ControlModifier);
        QApplication::processEvents();
        // The typed text is kept in its row, the rows stay in their order, and the editor opens on
        // the row above or below.
        EXPECT_EQ(grid->model()->index(1, c.column).data().toString(), before + QStringLiteral("ж"));
        EXPECT_EQ(grid->model()->index(0, c.column).data().toString(),
                  grid == parameters() ? QStringLiteral("A")
                  : grid == values()   ? QStringLiteral("a1")
                                       : QStringLiteral("R1"));
        EXPECT_EQ(document.undoStack()->count(), 1) << "more than the one edit was done";
        ASSERT_TRUE(grid->isEditing());
        EXPECT_EQ(grid->currentIndex().row(), c.nextRow);
        grid->finishEdit(false);
    }
}

} // namespace
} // namespace vornak::testing
