// The editable grid driven through real key presses and mouse clicks: which cell an edit opens on,
// where the editor sits, how Tab, Shift+Tab, Insert, Up and Down move on, and what the parent hears.
#include "CellGrid.h"
#include "GridEdit.h"
#include "GridHeader.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

struct EndRecord {
    int row;
    int column;
    std::optional<QString> text;
    QString cellWhenTold; // the cell's text at the moment the parent heard of the end
};

class CellGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(420, 240);
        grid = new CellGrid(window.get());
        grid->setGeometry(10, 10, 400, 220);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

        QObject::connect(grid, &CellGrid::beginEdit, [this](int row, int column) {
            begins.push_back({row, column});
        });
        QObject::connect(grid, &CellGrid::endEdit,
                         [this](int row, int column, const std::optional<QString>& text) {
                             ends.push_back({row, column, text, grid->GetCellText(row, column)});
                         });
    }

    // Three columns of equal width (or as given), rows "rRcC", editable marks as given.
    void build(int rows, std::vector<bool> editable, std::vector<int> widths = {}) {
        for (std::size_t c = 0; c < editable.size(); ++c) {
            const int width = c < widths.size() ? widths[c] : 120;
            grid->InsertColumn(static_cast<int>(c), QStringLiteral("H%1").arg(c), width);
        }
        for (int r = 0; r < rows; ++r) {
            grid->InsertRow(r, QStringLiteral("r%1c0").arg(r));
            for (int c = 1; c < static_cast<int>(editable.size()); ++c) {
                grid->SetCellText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
            }
        }
        for (std::size_t c = 0; c < editable.size(); ++c) {
            grid->SetEditable(editable[c], static_cast<int>(c));
        }
        grid->SetTypeToEdit(true);
        grid->SetShowSelAlways(true);
        grid->SetGridLines(true, Qt::black, true);
        grid->setFocus();
        QApplication::processEvents();
    }

    // A key to whatever has the focus, then the queued work (the next cell's editor) runs.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
        QApplication::processEvents();
    }

    // The editor is open on (row, column), exactly over the cell, showing the given text.
    void expectEditorOn(int row, int column, const QString& text) {
        ASSERT_TRUE(grid->IsEditing());
        GridEdit* box = grid->GetEditBox();
        EXPECT_EQ(grid->GetEditColumn(), column);
        EXPECT_EQ(grid->GetFocusedRow(), row);
        EXPECT_EQ(grid->GetSelectedRow(), row);
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(box->hasFocus());
        EXPECT_EQ(box->text(), text);
        const QRect cell = grid->GetCellRect(row, column);
        EXPECT_EQ(box->geometry().topLeft(), cell.topLeft());
        EXPECT_EQ(box->height(), grid->RowHeight());
    }

    void clickCell(int row, int column) {
        const QRect cell = grid->GetCellRect(row, column);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    std::unique_ptr<QWidget> window;
    CellGrid* grid = nullptr;
    std::vector<std::pair<int, int>> begins;
    std::vector<EndRecord> ends;
};

// ---- moving from cell to cell ----

struct MoveCase {
    const char* name;
    std::vector<bool> editable;
    int rows;
    int startRow;
    int startColumn;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int nextRow; // -1: the edit simply ends
    int nextColumn;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

class CellGridMoveTest : public CellGridTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(CellGridMoveTest, ConfirmsAndOpensTheNextEditableCell) {
    const MoveCase& c = GetParam();
    build(c.rows, c.editable);
    ASSERT_NE(grid->EditCell(c.startRow, c.startColumn), nullptr);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("new"));

    press(c.key, c.modifiers);

    // The edit was confirmed and the parent told, with the text already in the cell.
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends.front().row, c.startRow);
    EXPECT_EQ(ends.front().column, c.startColumn);
    EXPECT_EQ(ends.front().text, std::optional<QString>(QStringLiteral("new")));
    EXPECT_EQ(ends.front().cellWhenTold, QStringLiteral("new"));
    EXPECT_EQ(grid->GetCellText(c.startRow, c.startColumn), QStringLiteral("new"));

    if (c.nextRow < 0) {
        EXPECT_FALSE(grid->IsEditing());
        EXPECT_EQ(begins.size(), 1U);
        EXPECT_TRUE(grid->hasFocus()) << "the list gets the focus back";
        return;
    }
    ASSERT_EQ(begins.size(), 2U);
    EXPECT_EQ(begins.back(), std::make_pair(c.nextRow, c.nextColumn));
    const QString expected = c.nextRow == c.startRow && c.nextColumn == c.startColumn
                                 ? QStringLiteral("new")
                                 : QStringLiteral("r%1c%2").arg(c.nextRow).arg(c.nextColumn);
    expectEditorOn(c.nextRow, c.nextColumn, expected);
}

const std::vector<bool> kAll{true, true, true};
const std::vector<bool> kNotFirst{false, true, true};
const std::vector<bool> kMiddleOnly{false, true, false};

INSTANTIATE_TEST_SUITE_P(
    Keys, CellGridMoveTest,
    ::testing::Values(
        // Every column editable: Tab walks right and wraps within the row.
        MoveCase{"TabFrom0", kAll, 3, 1, 0, Qt::Key_Tab, Qt::NoModifier, 1, 1},
        MoveCase{"TabFrom1", kAll, 3, 1, 1, Qt::Key_Tab, Qt::NoModifier, 1, 2},
        MoveCase{"TabFrom2WrapsInRow", kAll, 3, 1, 2, Qt::Key_Tab, Qt::NoModifier, 1, 0},
        MoveCase{"ShiftTabFrom0WrapsInRow", kAll, 3, 1, 0, Qt::Key_Tab, Qt::ShiftModifier, 1, 2},
        MoveCase{"BacktabFrom2", kAll, 3, 1, 2, Qt::Key_Backtab, Qt::ShiftModifier, 1, 1},
        MoveCase{"InsertActsLikeTab", kAll, 3, 0, 2, Qt::Key_Insert, Qt::NoModifier, 0, 0},
        // Column 0 not editable: it is skipped both ways.
        MoveCase{"SkipsColumn0", kNotFirst, 2, 0, 2, Qt::Key_Tab, Qt::NoModifier, 0, 1},
        MoveCase{"ShiftTabSkipsColumn0", kNotFirst, 2, 0, 1, Qt::Key_Tab, Qt::ShiftModifier, 0, 2},
        MoveCase{"OnlyEditableColumnEnds", kMiddleOnly, 2, 0, 1, Qt::Key_Tab, Qt::NoModifier, -1, -1},
        // Up and Down keep the column and wrap over the rows.
        MoveCase{"Down", kAll, 3, 0, 1, Qt::Key_Down, Qt::NoModifier, 1, 1},
        MoveCase{"DownInLastRowWraps", kAll, 3, 2, 1, Qt::Key_Down, Qt::NoModifier, 0, 1},
        MoveCase{"UpInFirstRowWraps", kAll, 3, 0, 2, Qt::Key_Up, Qt::NoModifier, 2, 2},
        MoveCase{"UpSingleRowEnds", kAll, 1, 0, 1, Qt::Key_Up, Qt::NoModifier, -1, -1},
        MoveCase{"DownSingleRowEnds", kAll, 1, 0, 1, Qt::Key_Down, Qt::NoModifier, -1, -1},
        // Enter confirms and stays.
        MoveCase{"EnterStays", kAll, 3, 1, 1, Qt::Key_Return, Qt::NoModifier, -1, -1}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridTest, NextEditCellFollowsTheWrapRules) {
    build(4, {true, false, true, true, false});
    struct Case {
        int row, column, rowStep, columnStep;
        std::pair<int, int> expected;
    };
    const Case cases[] = {
        {1, 0, 0, 1, {1, 2}},  {1, 2, 0, 1, {1, 3}},  {1, 3, 0, 1, {1, 0}},  {1, 0, 0, -1, {1, 3}},
        {1, 3, 0, -1, {1, 2}}, {1, 2, 0, -1, {1, 0}}, {0, 2, -1, 0, {3, 2}}, {3, 2, 1, 0, {0, 2}},
        {2, 3, 1, 0, {3, 3}},  {2, 3, -1, 0, {1, 3}}, {2, 3, 0, 0, {2, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(grid->NextEditCell(c.row, c.column, c.rowStep, c.columnStep), c.expected)
            << c.row << "," << c.column << " step " << c.rowStep << "," << c.columnStep;
    }
    grid->SetEditable(false, -1);
    grid->SetEditable(true, 2);
    EXPECT_EQ(grid->NextEditCell(1, 2, 0, 1), std::make_pair(1, 2)) << "the only editable column stays";
    EXPECT_EQ(grid->NextEditCell(1, 2, 0, -1), std::make_pair(1, 2));
}

TEST_F(CellGridTest, TheNextCellIsScrolledIntoView) {
    build(30, kAll, {200, 200, 200});
    ASSERT_NE(grid->EditCell(0, 2), nullptr);
    press(Qt::Key_Up); // to the last row, far below
    ASSERT_TRUE(grid->IsEditing());
    const QRect cell = grid->GetCellRect(29, 2);
    EXPECT_GE(cell.top(), 0);
    EXPECT_LE(cell.bottom(), grid->viewport()->height() - 1);
    EXPECT_LE(cell.right(), grid->viewport()->width() - 1);
    expectEditorOn(29, 2, QStringLiteral("r29c2"));

    press(Qt::Key_Tab); // back to column 0, scrolled to the left edge
    EXPECT_EQ(grid->GetCellRect(29, 0).left(), 0);
    expectEditorOn(29, 0, QStringLiteral("r29c0"));
}

// ---- ending an edit ----

TEST_F(CellGridTest, EscapeCancelsAndTheParentHearsNoText) {
    build(3, kAll);
    ASSERT_NE(grid->EditCell(1, 1), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("changed"));
    press(Qt::Key_Escape);

    EXPECT_FALSE(grid->IsEditing());
    EXPECT_FALSE(grid->GetEditBox()->isVisible());
    EXPECT_EQ(grid->GetCellText(1, 1), QStringLiteral("r1c1"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, 1);
    EXPECT_EQ(ends[0].column, 1);
    EXPECT_FALSE(ends[0].text.has_value());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(begins.size(), 1U);
}

TEST_F(CellGridTest, MovingTheFocusAwayConfirms) {
    build(2, kAll);
    QLineEdit elsewhere(window.get());
    elsewhere.show();
    ASSERT_NE(grid->EditCell(0, 2), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("kept"));
    elsewhere.setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();

    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].text, std::optional<QString>(QStringLiteral("kept")));
    EXPECT_EQ(grid->GetCellText(0, 2), QStringLiteral("kept"));
    EXPECT_TRUE(elsewhere.hasFocus()) << "the grid must not take the focus back";
    EXPECT_FALSE(grid->IsEditing());
}

TEST_F(CellGridTest, EndEditConfirmsOrCancelsWithoutMovingOn) {
    build(2, kAll);
    EXPECT_FALSE(grid->EndEdit(true)) << "nothing to end";
    ASSERT_NE(grid->EditCell(0, 1), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("kept"));
    ASSERT_TRUE(grid->EndEdit(true));
    QApplication::processEvents();
    EXPECT_EQ(grid->GetCellText(0, 1), QStringLiteral("kept"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].text, std::optional<QString>(QStringLiteral("kept")));
    EXPECT_FALSE(grid->IsEditing()) << "no next cell opens";

    ASSERT_NE(grid->EditCell(1, 2), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("dropped"));
    ASSERT_TRUE(grid->EndEdit(false));
    EXPECT_EQ(grid->GetCellText(1, 2), QStringLiteral("r1c2"));
    ASSERT_EQ(ends.size(), 2U);
    EXPECT_FALSE(ends[1].text.has_value());
}

TEST_F(CellGridTest, ARefusedCellUpdateEndsWithoutMovingOn) {
    build(2, kAll);
    QObject::connect(grid, &CellGrid::cellTextChanging,
                     [](int, int column, const QString&, bool* allow) { *allow = column != 1; });
    ASSERT_NE(grid->EditCell(0, 1), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("no"));
    press(Qt::Key_Tab);

    EXPECT_EQ(grid->GetCellText(0, 1), QStringLiteral("r0c1"));
    EXPECT_FALSE(grid->IsEditing());
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].text, std::optional<QString>(QStringLiteral("no"))) << "the parent is still told";
}

// ---- starting an edit ----

TEST_F(CellGridTest, TheEditorSitsOverTheMiddleCellShowingItsText) {
    build(3, kAll, {90, 130, 110});
    ASSERT_NE(grid->EditCell(2, 1), nullptr);
    expectEditorOn(2, 1, QStringLiteral("r2c1"));
    EXPECT_EQ(grid->GetEditBox()->geometry(), grid->GetCellRect(2, 1));
    EXPECT_EQ(grid->GetEditBox()->selectedText(), QStringLiteral("r2c1"));
    ASSERT_EQ(begins.size(), 1U);
    EXPECT_EQ(begins[0], std::make_pair(2, 1));
}

TEST_F(CellGridTest, TheEditorStopsAtTheGridsRightEdge) {
    build(2, kAll, {120, 120, 120});
    ASSERT_NE(grid->EditCell(0, 2), nullptr);
    GridEdit* box = grid->GetEditBox();
    const int viewportWidth = grid->viewport()->width();
    QTest::keyClicks(box, QString(60, QLatin1Char('m')));
    EXPECT_GT(box->width(), 120);
    EXPECT_EQ(box->geometry().right() + 1, viewportWidth);
}

TEST_F(CellGridTest, ColumnZeroScrolledAwayMakesTheEditorFitItsText) {
    build(2, kAll, {300, 300, 300});
    grid->horizontalScrollBar()->setValue(350);
    ASSERT_LT(grid->GetCellRect(0, 0).left(), 0);
    ASSERT_NE(grid->EditCell(0, 1), nullptr);
    GridEdit* box = grid->GetEditBox();
    EXPECT_EQ(box->x(), 0) << "a cell starting left of the view puts the box at the left edge";
    EXPECT_EQ(box->width(), box->FitTextWidth() + 15);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_5);
    EXPECT_EQ(box->width(), 25);
}

TEST_F(CellGridTest, EditCellRefusesColumnsThatAreNotEditable) {
    build(3, kNotFirst);
    EXPECT_EQ(grid->EditCell(1, 0), nullptr);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_FALSE(grid->GetEditBox()->isVisible());
    EXPECT_TRUE(begins.empty()) << "the parent is not told of a refused edit";
    EXPECT_EQ(grid->GetSelectedRow(), 1) << "the row was still made current";

    EXPECT_EQ(grid->EditCell(1, 7), nullptr) << "no such column";
    EXPECT_EQ(grid->EditCell(9, 1), nullptr) << "no such row";
    EXPECT_FALSE(grid->IsEditing());

    ASSERT_NE(grid->EditCell(1, -1), nullptr);
    EXPECT_EQ(grid->GetEditColumn(), 1) << "-1 is the first editable column";
    press(Qt::Key_Escape);

    grid->SetEditable(false, -1);
    EXPECT_EQ(grid->EditCell(1, -1), nullptr);
    press(Qt::Key_Insert);
    press(Qt::Key_7);
    EXPECT_FALSE(grid->IsEditing()) << "no editable column: neither Insert nor typing opens anything";
}

struct TypeCase {
    const char* name;
    Qt::Key key;
    QString text;
    QString expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.name;
}

class CellGridTypeTest : public CellGridTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(CellGridTypeTest, ATypedCharacterReplacesTheFirstEditableCell) {
    const TypeCase& c = GetParam();
    build(3, kNotFirst);
    grid->SelectRow(2);
    grid->FocusRow(2);
    ASSERT_TRUE(grid->hasFocus());
    QTest::sendKeyEvent(QTest::Press, grid, c.key, c.text, Qt::NoModifier);
    QApplication::processEvents();

    expectEditorOn(2, 1, c.expected);
    GridEdit* box = grid->GetEditBox();
    EXPECT_EQ(box->cursorPosition(), c.expected.size());
    EXPECT_FALSE(box->hasSelectedText());
    QTest::keyClick(box, Qt::Key_0);
    EXPECT_EQ(box->text(), c.expected + QStringLiteral("0")) << "typing goes on after the character";
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CellGridTypeTest,
    ::testing::Values(TypeCase{"Digit", Qt::Key_7, QStringLiteral("7"), QStringLiteral("7")},
                      TypeCase{"Cyrillic", Qt::Key_unknown, QStringLiteral("ж"), QStringLiteral("ж")},
                      TypeCase{"Space", Qt::Key_Space, QStringLiteral(" "), QStringLiteral(" ")},
                      TypeCase{"Backspace", Qt::Key_Backspace, QStringLiteral("\b"), QString()}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridTest, TypingWithoutTypeToEditOrWithoutAFocusedRowOpensNothing) {
    build(3, kAll);
    grid->SetTypeToEdit(false);
    grid->FocusRow(0);
    press(Qt::Key_7);
    EXPECT_FALSE(grid->IsEditing());

    grid->SetTypeToEdit(true);
    grid->FocusRow(-1, false);
    ASSERT_EQ(grid->GetFocusedRow(), -1);
    press(Qt::Key_7);
    EXPECT_FALSE(grid->IsEditing());

    grid->FocusRow(0);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(grid->IsEditing()) << "a control chord is no typed character";
}

TEST_F(CellGridTest, ATypedCharacterTheCheckerRefusesKeepsTheCellText) {
    build(2, kAll);
    grid->setTextValidator([](const QString& text) { return !text.contains(QChar(0x20AC)); });
    grid->FocusRow(1);
    QTest::sendKeyEvent(QTest::Press, grid, Qt::Key_unknown, QString(QChar(0x20AC)), Qt::NoModifier);
    QApplication::processEvents();
    expectEditorOn(1, 0, QStringLiteral("r1c0"));
}

TEST_F(CellGridTest, InsertOnTheListOpensTheFocusedRowsFirstEditableCell) {
    build(3, kNotFirst);
    grid->SelectRow(0);
    grid->FocusRow(2);
    press(Qt::Key_Insert);
    expectEditorOn(2, 1, QStringLiteral("r2c1"));
    EXPECT_EQ(grid->GetSelectedRow(), 2) << "the edited row becomes the only selected row";

    press(Qt::Key_Insert); // now in the editor: like Tab
    expectEditorOn(2, 2, QStringLiteral("r2c2"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].column, 1);
}

TEST_F(CellGridTest, AClickOnTheSelectedRowEditsTheClickedCellAfterTheDoubleClickTime) {
    build(3, kNotFirst);
    clickCell(1, 2); // selects the row: no edit
    ASSERT_EQ(grid->GetSelectedRow(), 1);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_FALSE(grid->IsEditing());

    clickCell(1, 2);
    QApplication::processEvents();
    EXPECT_FALSE(grid->IsEditing()) << "not before the double-click time";
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return grid->IsEditing(); }, QApplication::doubleClickInterval() + 500));
    expectEditorOn(1, 2, QStringLiteral("r1c2"));
}

TEST_F(CellGridTest, ADoubleClickOrANonEditableCellDoesNotEdit) {
    build(3, kNotFirst);
    clickCell(0, 1);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->GetCellRect(0, 1).center());
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(grid->IsEditing());

    clickCell(0, 0); // column 0 is not editable
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_TRUE(begins.empty());
}

TEST_F(CellGridTest, AClickWhileEditingConfirmsWithoutOpeningAnother) {
    build(3, kAll);
    ASSERT_NE(grid->EditCell(1, 1), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("x"));
    clickCell(1, 2);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(grid->GetCellText(1, 1), QStringLiteral("x"));
    EXPECT_FALSE(grid->IsEditing()) << "the click that ended the edit did not find a focused list";
}

// ---- the list changing under an open editor ----

TEST_F(CellGridTest, ARowInsertedAboveWhileEditingDoesNotMisdirectTheText) {
    build(3, kAll);
    ASSERT_NE(grid->EditCell(1, 2), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("typed"));
    grid->InsertRow(0, QStringLiteral("new"));
    expectEditorOn(2, 2, QStringLiteral("typed"));
    press(Qt::Key_Return);
    EXPECT_EQ(grid->GetCellText(2, 2), QStringLiteral("typed"));
    EXPECT_EQ(grid->GetCellText(1, 2), QStringLiteral("r0c2"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, 2);
}

TEST_F(CellGridTest, DeletingTheEditedRowCancelsTheEdit) {
    build(3, kAll);
    ASSERT_NE(grid->EditCell(1, 1), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("lost"));
    grid->DeleteRow(1);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_FALSE(grid->GetEditBox()->isVisible());
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, -1);
    EXPECT_FALSE(ends[0].text.has_value());
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NE(grid->GetCellText(r, c), QStringLiteral("lost"));
        }
    }
}

// ---- columns, cells, selection ----

TEST_F(CellGridTest, EditableMarksFollowInsertedAndDeletedColumns) {
    build(1, {true, false, true});
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<bool> expected;
    };
    const Step steps[] = {
        {"insert at 1",
         [this] { grid->InsertColumn(1, QStringLiteral("new"), 50); },
         {true, false, false, true}},
        {"append",
         [this] { grid->InsertColumn(99, QStringLiteral("end"), 50); },
         {true, false, false, true, false}},
        {"delete 0", [this] { grid->DeleteColumn(0); }, {false, false, true, false}},
        {"mark all", [this] { grid->SetEditable(true, -1); }, {true, true, true, true}},
        {"unmark 2", [this] { grid->SetEditable(false, 2); }, {true, true, false, true}},
        {"mark missing", [this] { grid->SetEditable(false, 9); }, {true, true, false, true}},
        {"through Qt", [this] { grid->insertColumn(0); }, {false, true, true, false, true}},
        {"shrink", [this] { grid->setColumnCount(2); }, {false, true}},
    };
    for (const Step& step : steps) {
        step.act();
        ASSERT_EQ(grid->GetColumnCount(), static_cast<int>(step.expected.size())) << step.what;
        for (std::size_t c = 0; c < step.expected.size(); ++c) {
            EXPECT_EQ(grid->IsColumnEditable(static_cast<int>(c)), step.expected[c])
                << step.what << " column " << c;
        }
    }
    EXPECT_FALSE(grid->DeleteColumn(5));
    EXPECT_EQ(grid->InsertColumn(-1, QString(), 10), -1);
}

TEST_F(CellGridTest, SetCellTextAnnouncesEveryChangeAndCanBeRefused) {
    build(2, kAll);
    std::vector<std::tuple<int, int, QString>> changing;
    std::vector<std::pair<int, int>> changed;
    bool refuse = false;
    QObject::connect(grid, &CellGrid::cellTextChanging,
                     [&](int row, int column, const QString& text, bool* allow) {
                         changing.emplace_back(row, column, text);
                         *allow = !refuse;
                     });
    QObject::connect(grid, &CellGrid::cellTextChanged,
                     [&](int row, int column) { changed.emplace_back(row, column); });

    EXPECT_TRUE(grid->SetCellText(1, 2, QStringLiteral("a")));
    EXPECT_TRUE(grid->SetCellText(0, 0, QStringLiteral("b")));
    refuse = true;
    EXPECT_FALSE(grid->SetCellText(1, 1, QStringLiteral("c")));
    EXPECT_FALSE(grid->SetCellText(2, 0, QStringLiteral("d")));
    EXPECT_FALSE(grid->SetCellText(0, 3, QStringLiteral("e")));

    EXPECT_EQ(grid->GetCellText(1, 2), QStringLiteral("a"));
    EXPECT_EQ(grid->GetCellText(0, 0), QStringLiteral("b"));
    EXPECT_EQ(grid->GetCellText(1, 1), QStringLiteral("r1c1"));
    ASSERT_EQ(changing.size(), 3U);
    EXPECT_EQ(changing[2], std::make_tuple(1, 1, QStringLiteral("c")));
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{1, 2}, {0, 0}}));
}

TEST_F(CellGridTest, SelectionAndFocusAreReportedAndQueried) {
    build(4, kAll);
    std::vector<std::pair<int, bool>> selection;
    std::vector<int> focus;
    QObject::connect(grid, &CellGrid::rowSelected, [&](int row) { selection.emplace_back(row, true); });
    QObject::connect(grid, &CellGrid::rowDeselected, [&](int row) { selection.emplace_back(row, false); });
    QObject::connect(grid, &CellGrid::rowFocused, [&](int row) { focus.push_back(row); });

    EXPECT_TRUE(grid->SelectRow(2));
    EXPECT_TRUE(grid->SelectRow(1)); // single selection: row 2 loses it first
    EXPECT_EQ(grid->GetSelectedRow(), 1);
    EXPECT_TRUE(grid->SelectRow(1, false));
    EXPECT_EQ(grid->GetSelectedRow(), -1);
    EXPECT_FALSE(grid->SelectRow(4));
    EXPECT_EQ(selection, (std::vector<std::pair<int, bool>>{{2, true}, {2, false}, {1, true}, {1, false}}));

    EXPECT_TRUE(grid->FocusRow(3));
    EXPECT_EQ(grid->GetFocusedRow(), 3);
    EXPECT_EQ(grid->GetSelectedRow(), -1) << "the focus mark does not select";
    EXPECT_TRUE(grid->FocusRow(-1, false));
    EXPECT_EQ(grid->GetFocusedRow(), -1);
    EXPECT_FALSE(grid->FocusRow(-1, true)) << "no row has the mark";
    EXPECT_FALSE(grid->FocusRow(7));
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back(), -1);
    EXPECT_NE(std::find(focus.begin(), focus.end(), 3), focus.end());

    grid->SelectRow(0);
    grid->FocusRow(0);
    press(Qt::Key_Down);
    EXPECT_EQ(grid->GetSelectedRow(), 1) << "the arrows move the selection as in any list";
    press(Qt::Key_End);
    EXPECT_EQ(grid->GetSelectedRow(), 3);
    press(Qt::Key_Home);
    EXPECT_EQ(grid->GetSelectedRow(), 0);
}

TEST_F(CellGridTest, GridLinesAndFontSettingsAreKept) {
    bool on = true;
    QColor colour = Qt::red;
    EXPECT_TRUE(grid->GetGridLines(on, colour));
    EXPECT_FALSE(on);
    EXPECT_EQ(colour, QColor(Qt::black)) << "black while no pen exists";
    grid->SetGridLines(true, Qt::blue, false);
    grid->GetGridLines(on, colour);
    EXPECT_TRUE(on);
    EXPECT_EQ(colour, QColor(Qt::blue));
    grid->SetGridLines(false, Qt::green, false);
    grid->GetGridLines(on, colour);
    EXPECT_FALSE(on);
    EXPECT_EQ(colour, QColor(Qt::blue)) << "turning lines off keeps the pen";

    build(2, kAll);
    QFont big(QStringLiteral("Times New Roman"));
    big.setPointSize(24);
    EXPECT_TRUE(grid->SetTextFont(big));
    EXPECT_EQ(grid->RowHeight(), QFontMetrics(grid->font()).height() + 4);
    EXPECT_EQ(grid->rowHeight(1), grid->RowHeight());
    EXPECT_EQ(grid->font().pointSize(), 24);
    EXPECT_TRUE(grid->SetTextFont(std::nullopt));
    EXPECT_EQ(grid->font(), window->font());
    EXPECT_EQ(grid->rowHeight(1), grid->RowHeight());
}

// ---- the header ----

TEST_F(CellGridTest, DraggingADividerResizesTheColumnAndTheCellsFollow) {
    build(2, kAll, {100, 100, 100});
    QHeaderView* header = grid->horizontalHeader();
    ASSERT_NE(dynamic_cast<GridHeader*>(header), nullptr);
    QWidget* surface = header->viewport();
    const int y = header->height() / 2;
    auto send = [surface](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
    };
    send(QEvent::MouseButtonPress, {99, y}, Qt::LeftButton);
    send(QEvent::MouseMove, {130, y}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {130, y}, Qt::NoButton);

    EXPECT_EQ(grid->columnWidth(0), 131);
    EXPECT_EQ(grid->GetCellRect(0, 1).left(), 131);
    ASSERT_NE(grid->EditCell(0, 1), nullptr);
    EXPECT_EQ(grid->GetEditBox()->x(), 131);

    // The grid line now runs at the new edge.
    grid->SetShowSelAlways(false);
    press(Qt::Key_Escape);
    grid->clearSelection();
    const QImage image = grid->viewport()->grab().toImage();
    const int top = grid->GetCellRect(1, 0).top();
    int dark = 0;
    for (int yy = top; yy < top + grid->RowHeight(); ++yy) {
        dark += qGray(image.pixel(130, yy)) < 100 ? 1 : 0;
    }
    EXPECT_GE(dark, grid->RowHeight() / 2 - 1);
}

TEST_F(CellGridTest, AClickOnAHeaderItemSortsNothing) {
    build(3, kAll);
    grid->SetCellText(0, 1, QStringLiteral("zzz"));
    grid->SetCellText(2, 1, QStringLiteral("aaa"));
    grid->SelectRow(1);
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionPosition(1) + 30, header->height() / 2));
    EXPECT_EQ(grid->GetCellText(0, 1), QStringLiteral("zzz"));
    EXPECT_EQ(grid->GetCellText(2, 1), QStringLiteral("aaa"));
    EXPECT_EQ(grid->GetSelectedRow(), 1);
    EXPECT_FALSE(header->isSortIndicatorShown());
}

// ---- drawing ----

// Counts how many pixels along a run are dark, and whether they alternate.
struct PixelRun {
    int dark = 0;
    int light = 0;
    bool alternates = true;
};

PixelRun scan(const QImage& image, QPoint from, QPoint step, int length) {
    PixelRun run;
    int previous = -1;
    for (int i = 0; i < length; ++i) {
        const QPoint p = from + step * i;
        const int dark = qGray(image.pixel(p)) < 80 ? 1 : 0;
        (dark ? run.dark : run.light)++;
        if (previous == dark) {
            run.alternates = false;
        }
        previous = dark;
    }
    return run;
}

TEST_F(CellGridTest, RowsAreDrawnWithDottedLinesHighlightAndAnOpenEditor) {
    window->resize(420, 170);
    grid->setGeometry(10, 10, 400, 150);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(9);
    build(0, kAll, {60, 170, 150});
    const QStringList names = {QStringLiteral("Длина бедра"), QStringLiteral("Рост"),
                               QStringLiteral("Очень длинное название, которое не помещается")};
    for (int r = 0; r < 4; ++r) {
        grid->InsertRow(r, QString::number(r + 1));
        grid->SetCellText(r, 1, names[r % names.size()]);
        grid->SetCellText(r, 2, QStringLiteral("#P(%1)*2").arg(r + 1));
    }
    grid->SetTextFont(font);
    grid->SelectRow(1);
    ASSERT_NE(grid->EditCell(2, 2), nullptr);
    QTest::keyClicks(grid->GetEditBox(), QStringLiteral("#R(10)*2"));
    grid->SelectRow(1); // keep another row highlighted beside the editor
    QApplication::processEvents();

    const QImage shot = window->grab().toImage();
    if (const QByteArray dir = qgetenv("VORNAK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(dir));
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/grid.png"));
    }

    const QImage image = grid->viewport()->grab().toImage();
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    const int h = grid->RowHeight();
    const QRect row0 = grid->GetCellRect(0, 0);
    const QRect row1 = grid->GetCellRect(1, 1);

    // Grid lines: dotted along each row's last line and at each column's right edge.
    const PixelRun under = scan(image, {0, row0.bottom()}, {1, 0}, 380);
    EXPECT_TRUE(under.alternates);
    EXPECT_GE(under.dark, 185);
    const PixelRun edge = scan(image, {59, row0.top() + (row0.top() & 1)}, {0, 1}, 2 * h - 2);
    EXPECT_TRUE(edge.alternates);
    EXPECT_GE(edge.dark, h - 2);

    // The selected row is highlighted across its columns while the editor has the focus.
    EXPECT_EQ(image.pixelColor(row1.left() + 1, row1.top() + 1), highlight);
    EXPECT_EQ(image.pixelColor(5, row1.top() + 1), highlight);
    EXPECT_NE(image.pixelColor(5, row0.top() + 1), highlight);

    // The editor covers its cell; the long name ends in an ellipsis inside its cell.
    EXPECT_EQ(grid->GetEditBox()->geometry().topLeft(), grid->GetCellRect(2, 2).topLeft());
    const QRect longCell = grid->GetCellRect(2, 1);
    const PixelRun beyondText = scan(image, {longCell.right() - 1, longCell.top() + 2}, {0, 1}, h - 4);
    EXPECT_EQ(beyondText.dark, 0) << "text keeps 2 pixels off the cell's right edge";
}

TEST_F(CellGridTest, CellTextStartsTwoPixelsInAndOnePixelDown) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(9);
    font.setStyleStrategy(QFont::NoAntialias);
    grid->SetTextFont(font);
    build(1, {true, true}, {80, 200});
    grid->SetCellText(0, 1, QStringLiteral("Жар"));
    grid->SetGridLines(false);
    QApplication::processEvents();

    const QRect cell = grid->GetCellRect(0, 1);
    const QImage shot = grid->viewport()->grab().toImage().copy(cell);

    // The same text placed by the cell rule: left-aligned at the top of the cell narrowed by 2
    // on either side and lowered by 1.
    QImage expected(cell.size(), shot.format());
    expected.fill(grid->palette().color(QPalette::Active, QPalette::Base));
    {
        QPainter painter(&expected);
        painter.setFont(grid->viewport()->font());
        painter.setPen(grid->palette().color(QPalette::Active, QPalette::Text));
        painter.drawText(QRect(2, 1, cell.width() - 4, cell.height() - 1),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("Жар"));
    }
    EXPECT_EQ(shot, expected);
}

} // namespace
