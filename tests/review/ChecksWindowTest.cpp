#include "ChecksWindow.h"

#include "QStringPrinter.h"
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vornak;

namespace {

Finding finding(FindingKind kind, TextField field, int record, int row = 0, std::string detail = {},
                long long number = 0) {
    Finding f;
    f.kind = kind;
    f.where = {field, record, row};
    f.detail = std::move(detail);
    f.number = number;
    return f;
}

const Finding emptyName = finding(FindingKind::EmptyParameterName, TextField::ParameterName, 1);
const Finding badFormula = finding(FindingKind::UnclosedParenthesis, TextField::ParameterFormula, 2, 0, "(");
const Finding badBound = finding(FindingKind::BoundNotNumber, TextField::UpperBound, 3, 2, "x");
const Finding missingResult =
    finding(FindingKind::CodeNamesNoResult, TextField::ResultText, 1, 0, "#X(4)", 4);

struct Shown {
    ChecksWindow window;

    Shown() {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        window.list()->setFocus();
    }
    QStringList texts() const {
        QStringList out;
        for (int i = 0; i < window.list()->count(); ++i) {
            out << window.list()->item(i)->text();
        }
        return out;
    }
    void doubleClickRow(int row) {
        QListWidget* list = window.list();
        const QRect r = list->visualItemRect(list->item(row));
        // The view acts on a double click only over the item the first click pressed.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
};

} // namespace

TEST(ChecksWindow, InAPanelEscapeLeavesHidingToTheOwner) {
    QWidget owner;
    auto* window = new ChecksWindow(&owner);
    owner.show();
    ASSERT_FALSE(window->isWindow());
    QSignalSpy dismissed(window, &ChecksWindow::dismissed);
    QTest::keyClick(window->list(), Qt::Key_Escape);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_TRUE(window->isVisible()) << "the panel around it decides";
}

TEST(ChecksWindow, ListsEachFindingInRussianOrSaysThereAreNone) {
    Shown s;
    EXPECT_EQ(s.texts(), QStringList{QStringLiteral("Замечаний нет")});
    EXPECT_EQ(s.window.selectedRow(), -1);

    s.window.setFindings({emptyName, badBound, missingResult});
    EXPECT_EQ(s.texts(), (QStringList{
                             QStringLiteral("Параметр 1: пустое название"),
                             QStringLiteral("Параметр 3, строка 2, верхняя граница: «x» — не число"),
                             QStringLiteral("Результат 1: «#X(4)»: результата 4 нет"),
                         }));

    s.window.setFindings({});
    EXPECT_EQ(s.texts(), QStringList{QStringLiteral("Замечаний нет")});
}

TEST(ChecksWindow, DoubleClickOrEnterOnAFindingNamesItsPlace) {
    Shown s;
    s.window.setFindings({emptyName, badFormula, badBound});
    QSignalSpy activated(&s.window, &ChecksWindow::findingActivated);

    s.doubleClickRow(2);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).value<TextLocation>(), badBound.where);

    s.window.selectRow(1);
    QTest::keyClick(s.window.list(), Qt::Key_Return);
    QTest::keyClick(s.window.list(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(activated.count(), 3);
    EXPECT_EQ(activated.at(1).at(0).value<TextLocation>(), badFormula.where);
    EXPECT_EQ(activated.at(2).at(0).value<TextLocation>(), badFormula.where);

    // Up from the second finding goes to the first.
    QTest::keyClick(s.window.list(), Qt::Key_Up);
    QTest::keyClick(s.window.list(), Qt::Key_Return);
    ASSERT_EQ(activated.count(), 4);
    EXPECT_EQ(activated.at(3).at(0).value<TextLocation>(), emptyName.where);
}

TEST(ChecksWindow, TheNoFindingsLineLeadsNowhere) {
    Shown s;
    QSignalSpy activated(&s.window, &ChecksWindow::findingActivated);
    s.doubleClickRow(0);
    QTest::keyClick(s.window.list(), Qt::Key_Return);
    EXPECT_EQ(activated.count(), 0);
}

TEST(ChecksWindow, EscapeClosesIt) {
    Shown s;
    s.window.setFindings({emptyName});
    ASSERT_TRUE(s.window.isVisible());
    QTest::keyClick(s.window.list(), Qt::Key_Escape);
    EXPECT_FALSE(s.window.isVisible());
}

TEST(ChecksWindow, ARefreshKeepsTheSelectionOnTheSameFinding) {
    const struct {
        const char* name;
        std::vector<Finding> before;
        int selected;
        std::vector<Finding> after;
        int expected;
    } cases[] = {
        {"unchanged", {emptyName, badFormula, badBound}, 1, {emptyName, badFormula, badBound}, 1},
        {"one above fixed", {emptyName, badFormula, badBound}, 2, {badFormula, badBound}, 1},
        {"one inserted above", {badFormula, badBound}, 1, {emptyName, badFormula, badBound}, 2},
        // The same problem in the same place with another detail is still the same finding.
        {"detail changed",
         {emptyName, badBound},
         1,
         {emptyName, finding(FindingKind::BoundNotNumber, TextField::UpperBound, 3, 2, "xy")},
         1},
        // Fixed: the next finding moves up into its row.
        {"selected fixed", {emptyName, badFormula, badBound}, 1, {emptyName, badBound}, 1},
        {"last fixed", {emptyName, badFormula}, 1, {emptyName}, 0},
        {"all fixed", {emptyName}, 0, {}, -1},
        {"nothing selected", {emptyName, badFormula}, -1, {badFormula}, -1},
    };
    for (const auto& c : cases) {
        ChecksWindow window;
        window.setFindings(c.before);
        window.selectRow(c.selected);
        ASSERT_EQ(window.selectedRow(), c.selected) << c.name;
        window.setFindings(c.after);
        EXPECT_EQ(window.selectedRow(), c.expected) << c.name;
    }
}
