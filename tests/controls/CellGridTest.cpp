// The editable grid over a small table model, driven through real key presses and mouse clicks:
// which cell an edit opens on, where the editor sits, how Tab, Shift+Tab, Insert, Up and Down move
// on, what reaches the model and what the parent hears.
#include "CellGrid.h"
#include "GridEdit.h"
#include "GridHeader.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Rows of texts with a heading per column; a column's cells are editable by the column's flag (or
// by a per-cell rule), and the model may refuse a text. Records every setData it is given.
class TestTable : public QAbstractTableModel {
public:
    struct Write {
        int row;
        int column;
        QString text;
        int role;
    };

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(cells_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(headings_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
            return {};
        }
        return text(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < columnCount()) {
            return headings_[static_cast<std::size_t>(section)];
        }
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const bool editable = cellEditable ? cellEditable(index.row(), index.column())
                                           : editable_[static_cast<std::size_t>(index.column())];
        return editable ? result | Qt::ItemIsEditable : result;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        writes.push_back({index.row(), index.column(), value.toString(), role});
        if (role != Qt::EditRole || (refuse && refuse(index.row(), index.column(), value.toString()))) {
            return false;
        }
        cells_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())] =
            value.toString();
        emit dataChanged(index, index);
        return true;
    }

    // Columns with headings "H0", "H1"... and rows of texts "rRcC".
    void reset(int rows, const std::vector<bool>& editable) {
        beginResetModel();
        editable_ = editable;
        headings_.clear();
        for (std::size_t c = 0; c < editable.size(); ++c) {
            headings_.push_back(QStringLiteral("H%1").arg(c));
        }
        cells_.clear();
        for (int r = 0; r < rows; ++r) {
            cells_.push_back(rowTexts(QStringLiteral("r%1").arg(r)));
        }
        endResetModel();
    }
    QString text(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
            return {};
        }
        return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    void setText(int row, int column, const QString& text) {
        cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
        emit dataChanged(index(row, column), index(row, column));
    }
    // A row whose cells read "<prefix>cC".
    void insertRowAt(int row, const QString& prefix) {
        beginInsertRows({}, row, row);
        cells_.insert(cells_.begin() + row, rowTexts(prefix));
        endInsertRows();
    }
    void removeRowAt(int row) {
        beginRemoveRows({}, row, row);
        cells_.erase(cells_.begin() + row);
        endRemoveRows();
    }
    void insertColumnAt(int column, bool editable) {
        beginInsertColumns({}, column, column);
        headings_.insert(headings_.begin() + column, QStringLiteral("new"));
        editable_.insert(editable_.begin() + column, editable);
        for (auto& row : cells_) {
            row.insert(row.begin() + column, QString());
        }
        endInsertColumns();
    }
    void removeColumnAt(int column) {
        beginRemoveColumns({}, column, column);
        headings_.erase(headings_.begin() + column);
        editable_.erase(editable_.begin() + column);
        for (auto& row : cells_) {
            row.erase(row.begin() + column);
        }
        endRemoveColumns();
    }
    // Marks one column (or, with -1, every column) editable or not.
    void setEditable(bool on, int column = -1) {
        for (std::size_t c = 0; c < editable_.size(); ++c) {
            if (column == -1 || static_cast<int>(c) == column) {
                editable_[c] = on;
            }
        }
    }
    void resetAll() {
        beginResetModel();
        endResetModel();
    }

    std::function<bool(int row, int column, const QString& text)> refuse;
    std::function<bool(int row, int column)> cellEditable;
    std::vector<Write> writes;

private:
    std::vector<QString> rowTexts(const QString& prefix) const {
        std::vector<QString> texts;
        for (std::size_t c = 0; c < headings_.size(); ++c) {
            texts.push_back(prefix + QStringLiteral("c%1").arg(c));
        }
        return texts;
    }

    std::vector<QString> headings_;
    std::vector<bool> editable_;
    std::vector<std::vector<QString>> cells_;
};

struct EndRecord {
    int row;
    int column;
    std::optional<QString> text;
    QString cellWhenTold; // the cell's text at the moment the parent heard of the end
};

// The focus mark alone, or the selection alone, as a command sets them (-1: no row has the mark).
void markRow(CellGrid& grid, int row) {
    grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void selectOnly(CellGrid& grid, int row) {
    grid.selectionModel()->select(grid.model()->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

class CellGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(420, 240);
        grid = new CellGrid(window.get());
        grid->setModel(&model);
        grid->setGeometry(10, 10, 400, 220);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // A click-edit waits for the double-click interval: short here, so tests wait little.
        QApplication::setDoubleClickInterval(kClickInterval);

        QObject::connect(grid, &CellGrid::editStarted, [this](int row, int column) {
            begins.push_back({row, column});
        });
        QObject::connect(grid, &CellGrid::editFinished,
                         [this](int row, int column, const std::optional<QString>& text) {
                             ends.push_back({row, column, text, model.text(row, column)});
                         });
    }

    void TearDown() override { QApplication::setDoubleClickInterval(savedInterval); }

    // Columns 120 pixels wide (or as given), rows "rRcC", editable columns as given.
    void build(int rows, std::vector<bool> editable, std::vector<int> widths = {}) {
        model.reset(rows, editable);
        for (std::size_t c = 0; c < editable.size(); ++c) {
            grid->setColumnWidth(static_cast<int>(c), c < widths.size() ? widths[c] : 120);
        }
        grid->setTypeToEdit(true);
        grid->setShowSelectionAlways(true);
        grid->setGridLines(true, Qt::black);
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
        ASSERT_TRUE(grid->isEditing());
        GridEdit* box = grid->openEditor();
        EXPECT_EQ(grid->editedColumn(), column);
        EXPECT_EQ(grid->currentIndex().row(), row);
        EXPECT_EQ(grid->selectedRow(), row);
        EXPECT_TRUE(box->isVisible());
        EXPECT_TRUE(box->hasFocus());
        EXPECT_EQ(box->text(), text);
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        EXPECT_EQ(box->geometry().topLeft(), cell.topLeft());
        EXPECT_EQ(box->height(), grid->verticalHeader()->defaultSectionSize());
    }

    void clickCell(int row, int column) {
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    static constexpr int kClickInterval = 60;
    const int savedInterval = QApplication::doubleClickInterval();
    TestTable model; // outlives the window and its grid
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
    ASSERT_NE(grid->editCell(c.startRow, c.startColumn), nullptr);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("new"));

    press(c.key, c.modifiers);

    // The edit was confirmed and the parent told, with the text already in the cell.
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends.front().row, c.startRow);
    EXPECT_EQ(ends.front().column, c.startColumn);
    EXPECT_EQ(ends.front().text, std::optional<QString>(QStringLiteral("new")));
    EXPECT_EQ(ends.front().cellWhenTold, QStringLiteral("new"));
    EXPECT_EQ(model.text(c.startRow, c.startColumn), QStringLiteral("new"));

    if (c.nextRow < 0) {
        EXPECT_FALSE(grid->isEditing());
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
        MoveCase{"CtrlTabActsLikeTab", kAll, 3, 1, 1, Qt::Key_Tab, Qt::ControlModifier, 1, 2},
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
        MoveCase{"EnterStays", kAll, 3, 1, 1, Qt::Key_Return, Qt::NoModifier, -1, -1},
        MoveCase{"KeypadEnterStays", kAll, 3, 1, 1, Qt::Key_Enter, Qt::KeypadModifier, -1, -1}),
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
        EXPECT_EQ(grid->nextEditCell(c.row, c.column, c.rowStep, c.columnStep), c.expected)
            << c.row << "," << c.column << " step " << c.rowStep << "," << c.columnStep;
    }
    model.setEditable(false, -1);
    model.setEditable(true, 2);
    EXPECT_EQ(grid->nextEditCell(1, 2, 0, 1), std::make_pair(1, 2)) << "the only editable column stays";
    EXPECT_EQ(grid->nextEditCell(1, 2, 0, -1), std::make_pair(1, 2));
}

TEST_F(CellGridTest, TheNextCellIsScrolledIntoView) {
    build(30, kAll, {200, 200, 200});
    ASSERT_NE(grid->editCell(0, 2), nullptr);
    press(Qt::Key_Up); // to the last row, far below
    ASSERT_TRUE(grid->isEditing());
    const QRect cell = grid->visualRect(grid->model()->index(29, 2));
    EXPECT_GE(cell.top(), 0);
    EXPECT_LE(cell.bottom(), grid->viewport()->height() - 1);
    EXPECT_LE(cell.right(), grid->viewport()->width() - 1);
    expectEditorOn(29, 2, QStringLiteral("r29c2"));

    press(Qt::Key_Tab); // back to column 0, scrolled to the left edge
    EXPECT_EQ(grid->visualRect(grid->model()->index(29, 0)).left(), 0);
    expectEditorOn(29, 0, QStringLiteral("r29c0"));
}

// ---- ending an edit ----

TEST_F(CellGridTest, EscapeCancelsAndTheParentHearsNoText) {
    build(3, kAll);
    ASSERT_NE(grid->editCell(1, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("changed"));
    press(Qt::Key_Escape);

    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->openEditor(), nullptr);
    EXPECT_EQ(model.text(1, 1), QStringLiteral("r1c1"));
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
    ASSERT_NE(grid->editCell(0, 2), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("kept"));
    elsewhere.setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();

    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].text, std::optional<QString>(QStringLiteral("kept")));
    EXPECT_EQ(model.text(0, 2), QStringLiteral("kept"));
    EXPECT_TRUE(elsewhere.hasFocus()) << "the grid must not take the focus back";
    EXPECT_FALSE(grid->isEditing());
}

TEST_F(CellGridTest, APopupOrAnotherApplicationLeavesTheEditOpen) {
    build(2, kAll);
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("typed"));
    for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent away(QEvent::FocusOut, reason);
        QApplication::sendEvent(grid->openEditor(), &away);
        QApplication::processEvents();
        ASSERT_TRUE(grid->isEditing()) << reason;
    }
    EXPECT_TRUE(ends.empty());
    EXPECT_TRUE(model.writes.empty());
    EXPECT_EQ(grid->openEditor()->text(), QStringLiteral("typed"));
}

TEST_F(CellGridTest, EndEditConfirmsOrCancelsWithoutMovingOn) {
    build(2, kAll);
    EXPECT_FALSE(grid->finishEdit(true)) << "nothing to end";
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("kept"));
    ASSERT_TRUE(grid->finishEdit(true));
    QApplication::processEvents();
    EXPECT_EQ(model.text(0, 1), QStringLiteral("kept"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].text, std::optional<QString>(QStringLiteral("kept")));
    EXPECT_FALSE(grid->isEditing()) << "no next cell opens";

    ASSERT_NE(grid->editCell(1, 2), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("dropped"));
    ASSERT_TRUE(grid->finishEdit(false));
    EXPECT_EQ(model.text(1, 2), QStringLiteral("r1c2"));
    ASSERT_EQ(ends.size(), 2U);
    EXPECT_FALSE(ends[1].text.has_value());
}

TEST_F(CellGridTest, ARefusedCellUpdateEndsWithoutMovingOn) {
    build(2, kAll);
    model.refuse = [](int, int column, const QString&) { return column == 1; };
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("no"));
    press(Qt::Key_Tab);

    EXPECT_EQ(model.text(0, 1), QStringLiteral("r0c1"));
    EXPECT_FALSE(grid->isEditing());
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, 0);
    EXPECT_EQ(ends[0].column, 1);
    EXPECT_FALSE(ends[0].text.has_value()) << "the parent hears of the end, without a text";
    EXPECT_EQ(begins.size(), 1U);
}

TEST_F(CellGridTest, EveryEndOfAnEditReachesTheModelThroughOneWrite) {
    build(3, kAll);
    struct Case {
        const char* name;
        Qt::Key key;
        std::size_t writes;
    };
    const Case cases[] = {{"Enter", Qt::Key_Return, 1},
                          {"Tab", Qt::Key_Tab, 1},
                          {"Down", Qt::Key_Down, 1},
                          {"Escape", Qt::Key_Escape, 0}};
    for (const Case& c : cases) {
        grid->finishEdit(false);
        model.writes.clear();
        ASSERT_NE(grid->editCell(1, 2), nullptr) << c.name;
        QTest::keyClicks(grid->openEditor(), QStringLiteral("w"));
        press(c.key);
        ASSERT_EQ(model.writes.size(), c.writes) << c.name;
        if (c.writes == 1) {
            EXPECT_EQ(model.writes[0].row, 1) << c.name;
            EXPECT_EQ(model.writes[0].column, 2) << c.name;
            EXPECT_EQ(model.writes[0].text, QStringLiteral("w")) << c.name;
            EXPECT_EQ(model.writes[0].role, Qt::EditRole) << c.name;
        }
    }
}

TEST_F(CellGridTest, QtsOwnEditRequestFollowsTheGridsRules) {
    build(3, kNotFirst);
    EXPECT_FALSE(grid->isPersistentEditorOpen(model.index(1, 1)));
    grid->edit(model.index(1, 0));
    EXPECT_FALSE(grid->isEditing()) << "column 0 is not editable";
    grid->edit(model.index(2, 1));
    expectEditorOn(2, 1, QStringLiteral("r2c1"));
}

// ---- starting an edit ----

TEST_F(CellGridTest, TheEditorSitsOverTheMiddleCellShowingItsText) {
    build(3, kAll, {90, 130, 110});
    ASSERT_NE(grid->editCell(2, 1), nullptr);
    expectEditorOn(2, 1, QStringLiteral("r2c1"));
    EXPECT_EQ(grid->openEditor()->geometry(), grid->visualRect(grid->model()->index(2, 1)));
    EXPECT_EQ(grid->openEditor()->selectedText(), QStringLiteral("r2c1"));
    ASSERT_EQ(begins.size(), 1U);
    EXPECT_EQ(begins[0], std::make_pair(2, 1));
}

TEST_F(CellGridTest, TheEditorStopsAtTheGridsRightEdge) {
    build(2, kAll, {120, 120, 120});
    ASSERT_NE(grid->editCell(0, 2), nullptr);
    GridEdit* box = grid->openEditor();
    const int viewportWidth = grid->viewport()->width();
    QTest::keyClicks(box, QString(60, QLatin1Char('m')));
    EXPECT_GT(box->width(), 120);
    EXPECT_EQ(box->geometry().right() + 1, viewportWidth);
}

TEST_F(CellGridTest, ColumnZeroScrolledAwayMakesTheEditorFitItsText) {
    build(2, kAll, {300, 300, 300});
    grid->horizontalScrollBar()->setValue(350);
    ASSERT_LT(grid->visualRect(grid->model()->index(0, 0)).left(), 0);
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    GridEdit* box = grid->openEditor();
    EXPECT_EQ(box->x(), 0) << "a cell starting left of the view puts the box at the left edge";
    EXPECT_EQ(box->width(), box->fitTextWidth() + 15);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_5);
    EXPECT_EQ(box->width(), 25);
}

TEST_F(CellGridTest, EditCellRefusesColumnsThatAreNotEditable) {
    build(3, kNotFirst);
    EXPECT_EQ(grid->editCell(1, 0), nullptr);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->openEditor(), nullptr);
    EXPECT_TRUE(begins.empty()) << "the parent is not told of a refused edit";
    EXPECT_EQ(grid->selectedRow(), 1) << "the row was still made current";

    EXPECT_EQ(grid->editCell(1, 7), nullptr) << "no such column";
    EXPECT_EQ(grid->editCell(9, 1), nullptr) << "no such row";
    EXPECT_FALSE(grid->isEditing());

    ASSERT_NE(grid->editCell(1, -1), nullptr);
    EXPECT_EQ(grid->editedColumn(), 1) << "-1 is the first editable column";
    press(Qt::Key_Escape);

    model.setEditable(false, -1);
    EXPECT_EQ(grid->editCell(1, -1), nullptr);
    press(Qt::Key_Insert);
    press(Qt::Key_7);
    EXPECT_FALSE(grid->isEditing()) << "no editable column: neither Insert nor typing opens anything";
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
    grid->selectRow(2);
    ASSERT_TRUE(grid->hasFocus());
    QTest::sendKeyEvent(QTest::Press, grid, c.key, c.text, Qt::NoModifier);
    QApplication::processEvents();

    expectEditorOn(2, 1, c.expected);
    GridEdit* box = grid->openEditor();
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
    grid->setTypeToEdit(false);
    markRow(*grid, 0);
    press(Qt::Key_7);
    EXPECT_FALSE(grid->isEditing());

    grid->setTypeToEdit(true);
    markRow(*grid, -1);
    ASSERT_EQ(grid->currentIndex().row(), -1);
    press(Qt::Key_7);
    EXPECT_FALSE(grid->isEditing());

    markRow(*grid, 0);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(grid->isEditing()) << "a control chord is no typed character";
}

TEST_F(CellGridTest, ATypedCharacterTheCheckerRefusesKeepsTheCellText) {
    build(2, kAll);
    grid->setTextChecker([](const QString&, const QString& after) { return !after.contains(QChar(0x20AC)); });
    markRow(*grid, 1);
    QTest::sendKeyEvent(QTest::Press, grid, Qt::Key_unknown, QString(QChar(0x20AC)), Qt::NoModifier);
    QApplication::processEvents();
    expectEditorOn(1, 0, QStringLiteral("r1c0"));
}

TEST_F(CellGridTest, InsertOnTheListOpensTheFocusedRowsFirstEditableCell) {
    build(3, kNotFirst);
    selectOnly(*grid, 0);
    markRow(*grid, 2);
    press(Qt::Key_Insert);
    expectEditorOn(2, 1, QStringLiteral("r2c1"));
    EXPECT_EQ(grid->selectedRow(), 2) << "the edited row becomes the only selected row";

    press(Qt::Key_Insert); // now in the editor: like Tab
    expectEditorOn(2, 2, QStringLiteral("r2c2"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].column, 1);
}

TEST_F(CellGridTest, AClickOnTheSelectedRowEditsTheClickedCellAfterTheDoubleClickTime) {
    build(3, kNotFirst);
    clickCell(1, 2); // selects the row: no edit
    ASSERT_EQ(grid->selectedRow(), 1);
    EXPECT_FALSE(grid->clickToEdit().isWaiting());
    grid->clickToEdit().elapse();
    EXPECT_FALSE(grid->isEditing());

    // With a long interval nothing opens before it has passed.
    QApplication::setDoubleClickInterval(60000);
    clickCell(1, 2);
    QApplication::processEvents();
    EXPECT_FALSE(grid->isEditing()) << "not before the double-click time";
    grid->cancelPendingEdit();

    QApplication::setDoubleClickInterval(kClickInterval);
    clickCell(1, 2);
    ASSERT_TRUE(QTest::qWaitFor([this] { return grid->isEditing(); }, 5000));
    expectEditorOn(1, 2, QStringLiteral("r1c2"));
}

// A click on the selected row waits for the double-click time before it edits; whatever moves the
// rows or the selection meanwhile, or a command, drops it, so no editor opens on the old row.
struct PendingCase {
    const char* name;
    std::function<void(CellGrid&, TestTable&)> meanwhile;
};

void PrintTo(const PendingCase& c, std::ostream* os) {
    *os << c.name;
}

class CellGridPendingTest : public CellGridTest, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(CellGridPendingTest, SomethingHappeningBeforeTheClickEditOpensDropsIt) {
    build(4, kNotFirst);
    clickCell(1, 2);
    ASSERT_EQ(grid->selectedRow(), 1);
    clickCell(1, 2); // now the click on the selected row
    ASSERT_FALSE(grid->isEditing());
    ASSERT_TRUE(grid->clickToEdit().isWaiting());

    GetParam().meanwhile(*grid, model);
    grid->clickToEdit().elapse(); // the wait ends: an edit that survived would open now
    EXPECT_FALSE(grid->isEditing());
    EXPECT_TRUE(begins.empty());
    EXPECT_TRUE(model.writes.empty());
    press(Qt::Key_7); // what the user types next goes where the selection now is, if anywhere
    if (grid->isEditing()) {
        EXPECT_EQ(grid->currentIndex().row(), grid->selectedRow());
        EXPECT_NE(model.text(1, 1), QStringLiteral("7"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Meanwhile, CellGridPendingTest,
    ::testing::Values(
        PendingCase{"ACommandSelectsAnotherRow", [](CellGrid& grid, TestTable&) { grid.selectRow(3); }},
        PendingCase{"OnlyTheSelectionMoves", [](CellGrid& grid, TestTable&) { selectOnly(grid, 2); }},
        PendingCase{"OnlyTheFocusMoves", [](CellGrid& grid, TestTable&) { markRow(grid, 0); }},
        PendingCase{"CancelPendingEdit", [](CellGrid& grid, TestTable&) { grid.cancelPendingEdit(); }},
        PendingCase{"TheFocusLeavesAndComesBack",
                    [](CellGrid& grid, TestTable&) {
                        grid.clearFocus();
                        grid.setFocus();
                    }},
        PendingCase{"TheListScrollsSideways",
                    [](CellGrid& grid, TestTable&) {
                        grid.setColumnWidth(2, 900);
                        QApplication::processEvents();
                        grid.horizontalScrollBar()->setValue(40);
                    }},
        PendingCase{"ARowInsertedAbove",
                    [](CellGrid&, TestTable& model) { model.insertRowAt(0, QStringLiteral("new")); }},
        PendingCase{"ARowRemovedBelow", [](CellGrid&, TestTable& model) { model.removeRowAt(3); }},
        PendingCase{"TheClickedRowRemoved", [](CellGrid&, TestTable& model) { model.removeRowAt(1); }},
        PendingCase{"AModelReset", [](CellGrid&, TestTable& model) { model.resetAll(); }}),
    [](const ::testing::TestParamInfo<PendingCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridTest, CancelPendingEditDropsAQueuedNextCell) {
    build(3, kAll);
    grid->postEditCell(1, 1);
    grid->cancelPendingEdit();
    QApplication::processEvents();
    EXPECT_FALSE(grid->isEditing());

    // Tab confirms and queues the next cell; a command running before the queue is served drops it.
    ASSERT_NE(grid->editCell(0, 0), nullptr);
    QTest::keyClick(grid->openEditor(), Qt::Key_Tab);
    grid->cancelPendingEdit();
    QApplication::processEvents();
    EXPECT_FALSE(grid->isEditing());
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(begins.size(), 1U);

    grid->postEditCell(2, 2); // a request made after the cancel still opens
    QApplication::processEvents();
    expectEditorOn(2, 2, QStringLiteral("r2c2"));
}

// A column the user dragged to nothing holds no editor: moving on passes over it.
struct ZeroWidthCase {
    const char* name;
    std::vector<bool> editable;
    std::vector<int> widths;
    int startColumn; // -1: Insert on the list opens the first editable column
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int nextColumn; // -1: the edit simply ends
};

void PrintTo(const ZeroWidthCase& c, std::ostream* os) {
    *os << c.name;
}

class CellGridZeroWidthTest : public CellGridTest, public ::testing::WithParamInterface<ZeroWidthCase> {};

TEST_P(CellGridZeroWidthTest, MovingOnPassesOverColumnsWithoutWidth) {
    const ZeroWidthCase& c = GetParam();
    build(2, c.editable, c.widths);
    markRow(*grid, 1);
    if (c.startColumn >= 0) {
        ASSERT_NE(grid->editCell(1, c.startColumn), nullptr);
    }
    press(c.key, c.modifiers);
    if (c.nextColumn < 0) {
        EXPECT_FALSE(grid->isEditing());
        EXPECT_EQ(begins.size(), 1U) << "the column just left is not reopened";
        return;
    }
    expectEditorOn(1, c.nextColumn, QStringLiteral("r1c%1").arg(c.nextColumn));
    EXPECT_GT(grid->openEditor()->width(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, CellGridZeroWidthTest,
    ::testing::Values(
        ZeroWidthCase{"TabOverMiddle", kAll, {120, 0, 120}, 0, Qt::Key_Tab, Qt::NoModifier, 2},
        ZeroWidthCase{"ShiftTabOverMiddle", kAll, {120, 0, 120}, 2, Qt::Key_Tab, Qt::ShiftModifier, 0},
        ZeroWidthCase{"TabWrapsOverFirst", kAll, {0, 120, 120}, 2, Qt::Key_Tab, Qt::NoModifier, 1},
        ZeroWidthCase{"OnlyOtherColumnHasNoWidth",
                      {true, true, false},
                      {120, 0, 120},
                      0,
                      Qt::Key_Tab,
                      Qt::NoModifier,
                      -1},
        ZeroWidthCase{"InsertOnTheListSkipsIt", kAll, {0, 120, 120}, -1, Qt::Key_Insert, Qt::NoModifier, 1}),
    [](const ::testing::TestParamInfo<ZeroWidthCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridTest, AColumnWithoutWidthCannotBeEdited) {
    build(2, kAll, {120, 0, 120});
    EXPECT_EQ(grid->editCell(0, 1), nullptr);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->nextEditCell(0, 0, 0, 1), std::make_pair(0, 2));
    EXPECT_EQ(grid->nextEditCell(0, 2, 0, -1), std::make_pair(0, 0));
}

// A cell read from a file may hold a line break; its editor shows it, and the check still refuses
// another one.
TEST_F(CellGridTest, AnOddCellTextDoesNotSwitchTheCheckOff) {
    build(2, kAll);
    model.setText(0, 1, QStringLiteral("a\nb"));
    grid->setTextChecker([](const QString& before, const QString& after) {
        return after.count(QLatin1Char('\n')) <= before.count(QLatin1Char('\n'));
    });
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    GridEdit* box = grid->openEditor();
    EXPECT_EQ(box->text(), QStringLiteral("a\nb"));
    box->end(false);
    QApplication::clipboard()->setText(QStringLiteral("\n"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("c"));
    press(Qt::Key_Return);
    EXPECT_EQ(model.text(0, 1), QStringLiteral("a\nbc"));
}

TEST_F(CellGridTest, ADoubleClickOrANonEditableCellDoesNotEdit) {
    build(3, kNotFirst);
    clickCell(0, 1);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                       grid->visualRect(grid->model()->index(0, 1)).center());
    grid->clickToEdit().elapse();
    EXPECT_FALSE(grid->isEditing());

    clickCell(0, 0); // column 0 is not editable
    grid->clickToEdit().elapse();
    EXPECT_FALSE(grid->isEditing());
    EXPECT_TRUE(begins.empty());
}

// The second press of a double-click that lands on another cell of the selected row is a click of its
// own there, as Qt's view takes it; on the same cell it is a double-click and edits nothing.
TEST_F(CellGridTest, ASecondPressOnAnotherCellClicksThatCell) {
    for (const auto& [column, expectEdit] : {std::pair(1, false), std::pair(2, true)}) {
        build(3, kNotFirst);
        clickCell(1, 1);
        clickCell(1, 1); // the click on the selected row: it waits
        const QPoint at = grid->visualRect(grid->model()->index(1, column)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonDblClick ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(grid->viewport(), &event);
        }
        grid->clickToEdit().elapse();
        EXPECT_EQ(grid->isEditing(), expectEdit) << "second press on column " << column;
        if (expectEdit) {
            expectEditorOn(1, 2, QStringLiteral("r1c2"));
        }
        grid->finishEdit(false);
    }
}

TEST_F(CellGridTest, AClickWhileEditingConfirmsWithoutOpeningAnother) {
    build(3, kAll);
    ASSERT_NE(grid->editCell(1, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("x"));
    clickCell(1, 2);
    grid->clickToEdit().elapse();
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(model.text(1, 1), QStringLiteral("x"));
    EXPECT_FALSE(grid->isEditing()) << "the click that ended the edit did not find a focused list";
}

// ---- the list changing under an open editor ----

TEST_F(CellGridTest, ARowInsertedAboveWhileEditingDoesNotMisdirectTheText) {
    build(3, kAll);
    ASSERT_NE(grid->editCell(1, 2), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("typed"));
    model.insertRowAt(0, QStringLiteral("new"));
    expectEditorOn(2, 2, QStringLiteral("typed"));
    press(Qt::Key_Return);
    EXPECT_EQ(model.text(2, 2), QStringLiteral("typed"));
    EXPECT_EQ(model.text(1, 2), QStringLiteral("r0c2"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, 2);
}

// A command that moves the selection or the focus mark leaves the editor on its cell: nothing is
// written until the user ends the edit.
TEST_F(CellGridTest, MovingTheMarkWhileEditingLeavesTheEditorOnItsCell) {
    build(3, kAll);
    ASSERT_NE(grid->editCell(1, 2), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("typed"));
    markRow(*grid, 0);
    selectOnly(*grid, 2);
    QApplication::processEvents();
    ASSERT_TRUE(grid->isEditing());
    EXPECT_TRUE(model.writes.empty());
    EXPECT_TRUE(ends.empty());
    EXPECT_EQ(grid->openEditor()->geometry().topLeft(),
              grid->visualRect(grid->model()->index(1, 2)).topLeft());
    press(Qt::Key_Return);
    EXPECT_EQ(model.text(1, 2), QStringLiteral("typed"));
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, 1);
}

TEST_F(CellGridTest, DeletingTheEditedRowCancelsTheEdit) {
    build(3, kAll);
    ASSERT_NE(grid->editCell(1, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("lost"));
    model.removeRowAt(1);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(grid->openEditor(), nullptr);
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, -1);
    EXPECT_FALSE(ends[0].text.has_value());
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NE(model.text(r, c), QStringLiteral("lost"));
        }
    }
}

// ---- columns, cells, selection ----

TEST_F(CellGridTest, AResetModelCancelsTheEditAndAnotherModelTakesTheTypedText) {
    build(3, kAll);
    ASSERT_NE(grid->editCell(1, 1), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("lost"));
    model.resetAll();
    EXPECT_FALSE(grid->isEditing());
    ASSERT_EQ(ends.size(), 1U);
    EXPECT_EQ(ends[0].row, -1);
    EXPECT_FALSE(ends[0].text.has_value());
    EXPECT_TRUE(model.writes.empty());

    // Another model shown while an edit is open: the text goes to the model it was typed for.
    ASSERT_NE(grid->editCell(2, 2), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("kept"));
    TestTable other;
    other.reset(1, kAll);
    grid->setModel(&other);
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(model.text(2, 2), QStringLiteral("kept"));
    EXPECT_EQ(grid->model()->columnCount(), 3);
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    expectEditorOn(0, 1, QStringLiteral("r0c1"));
    grid->finishEdit(false);
    grid->setModel(&model);
}

// ---- columns, cells, selection ----

TEST_F(CellGridTest, EditableColumnsFollowTheModelsFlags) {
    build(2, {true, false, true});
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<bool> expected;
    };
    const Step steps[] = {
        {"insert at 1", [this] { model.insertColumnAt(1, false); }, {true, false, false, true}},
        {"append editable", [this] { model.insertColumnAt(4, true); }, {true, false, false, true, true}},
        {"remove 0", [this] { model.removeColumnAt(0); }, {false, false, true, true}},
        {"mark all", [this] { model.setEditable(true, -1); }, {true, true, true, true}},
        {"unmark 2", [this] { model.setEditable(false, 2); }, {true, true, false, true}},
        // Flags may differ from row to row: the focused row's count.
        {"row 1 differs, row 0 focused",
         [this] {
             model.cellEditable = [](int row, int column) { return row == 1 ? column == 0 : column != 0; };
             markRow(*grid, 0);
         },
         {false, true, true, true}},
        {"row 1 focused", [this] { markRow(*grid, 1); }, {true, false, false, false}},
    };
    for (const Step& step : steps) {
        step.act();
        const int row = std::max(grid->currentIndex().row(), 0); // the first row while none is current
        ASSERT_EQ(grid->model()->columnCount(), static_cast<int>(step.expected.size())) << step.what;
        for (std::size_t c = 0; c < step.expected.size(); ++c) {
            const bool opened = grid->editCell(row, static_cast<int>(c)) != nullptr;
            grid->finishEdit(false);
            EXPECT_EQ(opened, step.expected[c]) << step.what << " column " << c;
        }
    }
    EXPECT_EQ(grid->editCell(0, 4), nullptr) << "no such column";
    EXPECT_EQ(grid->editCell(0, -2), nullptr);
    // Moving on judges the columns on the row it moves to.
    EXPECT_EQ(grid->nextEditCell(0, 1, 1, 0), std::make_pair(1, 1));
    EXPECT_EQ(grid->nextEditCell(1, 0, 0, 1), std::make_pair(1, 0)) << "row 1 has one editable column";
    EXPECT_EQ(grid->nextEditCell(0, 1, 0, 1), std::make_pair(0, 2));
    EXPECT_EQ(grid->editCell(1, 1), nullptr) << "the model says no for this row";
    ASSERT_NE(grid->editCell(0, 1), nullptr);
}

TEST_F(CellGridTest, ChangesInTheModelShowAtOnce) {
    build(3, kAll);
    grid->setGridLines(false);
    QApplication::processEvents();
    const QRect changed = grid->visualRect(grid->model()->index(1, 2));
    const QRect kept = grid->visualRect(grid->model()->index(2, 2));
    const QImage before = grid->viewport()->grab().toImage();
    model.setText(1, 2, QStringLiteral("ЖЖЖЖЖЖЖ"));
    QApplication::processEvents();
    const QImage after = grid->viewport()->grab().toImage();
    EXPECT_NE(before.copy(changed), after.copy(changed));
    EXPECT_EQ(before.copy(kept), after.copy(kept));

    model.insertRowAt(0, QStringLiteral("top"));
    QApplication::processEvents();
    const QImage shifted = grid->viewport()->grab().toImage();
    EXPECT_EQ(shifted.copy(grid->visualRect(grid->model()->index(2, 2))), after.copy(changed))
        << "the rows below moved down";
}

TEST_F(CellGridTest, TheSelectedRowIsTheFirstAndTheArrowsMoveTheSelection) {
    build(4, kAll);
    selectOnly(*grid, 2);
    selectOnly(*grid, 1);
    EXPECT_EQ(grid->selectedRow(), 1);
    grid->clearSelection();
    EXPECT_EQ(grid->selectedRow(), -1);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    selectOnly(*grid, 3);
    grid->selectionModel()->select(grid->model()->index(1, 2), QItemSelectionModel::Select);
    EXPECT_EQ(grid->selectedRow(), 1) << "the first of several, also where only a cell is selected";
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->clearSelection();
    markRow(*grid, 3);
    EXPECT_EQ(grid->selectedRow(), -1) << "the focus mark does not select";

    grid->selectRow(0);
    press(Qt::Key_Down);
    EXPECT_EQ(grid->selectedRow(), 1) << "the arrows move the selection as in any list";
    press(Qt::Key_End);
    EXPECT_EQ(grid->selectedRow(), 3);
    press(Qt::Key_Home);
    EXPECT_EQ(grid->selectedRow(), 0);
}

TEST_F(CellGridTest, TheRowsTakeTheirHeightFromTheFont) {
    build(2, kAll);
    QFont big(QStringLiteral("Times New Roman"));
    big.setPointSize(24);
    grid->setFont(big);
    EXPECT_EQ(grid->rowHeight(1), QFontMetrics(big).height() + 4);
    grid->setFont(QFont()); // back to the inherited font
    EXPECT_EQ(grid->font(), window->font());
    EXPECT_EQ(grid->rowHeight(1), QFontMetrics(window->font()).height() + 4);
    QFont small = window->font();
    small.setPointSize(6);
    window->setFont(small);
    EXPECT_EQ(grid->rowHeight(1), QFontMetrics(small).height() + 4) << "an inherited font counts too";
}

// ---- the header ----

TEST_F(CellGridTest, TheHeaderIsAsTallAsQtWouldMeasureItsTexts) {
    build(2, kAll);
    QHeaderView* header = grid->horizontalHeader();
    for (const int points : {0, 6, 24}) {
        QFont font = window->font();
        if (points > 0) {
            font.setPointSize(points);
        }
        grid->setFont(font);
        header->setFont(font);
        EXPECT_EQ(header->sizeHint().height(), header->QHeaderView::sizeHint().height()) << points;
        EXPECT_EQ(header->sizeHint().width(), header->length());
    }
}

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
    EXPECT_EQ(grid->visualRect(grid->model()->index(0, 1)).left(), 131);
    ASSERT_NE(grid->editCell(0, 1), nullptr);
    EXPECT_EQ(grid->openEditor()->x(), 131);

    // The grid line now runs at the new edge.
    grid->setShowSelectionAlways(false);
    press(Qt::Key_Escape);
    grid->clearSelection();
    const QImage image = grid->viewport()->grab().toImage();
    const int top = grid->visualRect(grid->model()->index(1, 0)).top();
    int dark = 0;
    for (int yy = top; yy < top + grid->verticalHeader()->defaultSectionSize(); ++yy) {
        dark += qGray(image.pixel(130, yy)) < 100 ? 1 : 0;
    }
    EXPECT_GE(dark, grid->verticalHeader()->defaultSectionSize() / 2 - 1);
}

// The columns fit the view: when enough rows arrive for a vertical scroll bar, the last column gives
// up the room it takes, and no horizontal scroll bar appears.
TEST_F(CellGridTest, TheColumnsKeepFittingWhenAVerticalScrollBarAppears) {
    build(2, kAll, {100, 100, 100});
    QApplication::processEvents();
    const auto rightEdge = [this] { return grid->visualRect(grid->model()->index(0, 2)).right() + 1; };
    EXPECT_EQ(rightEdge(), grid->viewport()->width()) << "the last column fills the view";
    const int wideView = grid->viewport()->width();
    for (int r = 0; r < 40; ++r) {
        model.insertRowAt(0, QStringLiteral("more"));
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return grid->verticalScrollBar()->isVisible(); }, 5000));
    EXPECT_LT(grid->viewport()->width(), wideView);
    EXPECT_EQ(rightEdge(), grid->viewport()->width());
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    EXPECT_EQ(grid->columnWidth(0), 100) << "the other columns keep their widths";

    // Columns wider than the view still scroll sideways, the last one keeping its width.
    grid->setColumnWidth(0, 300);
    grid->setColumnWidth(1, 300);
    EXPECT_TRUE(QTest::qWaitFor([this] { return grid->horizontalScrollBar()->isVisible(); }, 5000));
    EXPECT_GT(grid->columnWidth(2), 0);
}

TEST_F(CellGridTest, AClickOnAHeaderItemSortsNothing) {
    build(3, kAll);
    model.setText(0, 1, QStringLiteral("zzz"));
    model.setText(2, 1, QStringLiteral("aaa"));
    selectOnly(*grid, 1);
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionPosition(1) + 30, header->height() / 2));
    EXPECT_EQ(model.text(0, 1), QStringLiteral("zzz"));
    EXPECT_EQ(model.text(2, 1), QStringLiteral("aaa"));
    EXPECT_EQ(grid->selectedRow(), 1);
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
        model.insertRowAt(r, QString());
        model.setText(r, 0, QString::number(r + 1));
        model.setText(r, 1, names[r % names.size()]);
        model.setText(r, 2, QStringLiteral("#P(%1)*2").arg(r + 1));
    }
    grid->setFont(font);
    selectOnly(*grid, 1);
    ASSERT_NE(grid->editCell(2, 2), nullptr);
    QTest::keyClicks(grid->openEditor(), QStringLiteral("#R(10)*2"));
    selectOnly(*grid, 1); // keep another row highlighted beside the editor
    QApplication::processEvents();

    const QImage shot = window->grab().toImage();
    if (const QByteArray dir = qgetenv("VORNAK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(dir));
        shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/grid.png"));
    }

    const QImage image = grid->viewport()->grab().toImage();
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    const int h = grid->verticalHeader()->defaultSectionSize();
    const QRect row0 = grid->visualRect(grid->model()->index(0, 0));
    const QRect row1 = grid->visualRect(grid->model()->index(1, 1));

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
    EXPECT_EQ(grid->openEditor()->geometry().topLeft(),
              grid->visualRect(grid->model()->index(2, 2)).topLeft());
    const QRect longCell = grid->visualRect(grid->model()->index(2, 1));
    const PixelRun beyondText = scan(image, {longCell.right() - 1, longCell.top() + 2}, {0, 1}, h - 4);
    EXPECT_EQ(beyondText.dark, 0) << "text keeps 2 pixels off the cell's right edge";
}

// The focused row carries a dotted rectangle while the grid has the keyboard focus; the selected
// row stays highlighted without the focus only when the grid shows its selection always.
TEST_F(CellGridTest, FocusRectangleAndHighlightFollowTheKeyboardFocus) {
    build(3, kAll, {100, 100, 100});
    grid->setGridLines(false);
    QLineEdit elsewhere(window.get());
    elsewhere.setGeometry(0, 0, 5, 5);
    elsewhere.show();
    grid->selectRow(1);
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor base = grid->palette().color(QPalette::Active, QPalette::Base);
    const QRect row = grid->visualRect(grid->model()->index(1, 0));

    struct Case {
        const char* name;
        bool gridFocused;
        bool showSelAlways;
        bool highlighted;
        bool dotted;
    };
    const Case cases[] = {
        {"focused", true, true, true, true},
        {"focused, selection not always shown", true, false, true, true},
        {"focus elsewhere, selection always shown", false, true, true, false},
        {"focus elsewhere", false, false, false, false},
    };
    for (const Case& c : cases) {
        grid->setShowSelectionAlways(c.showSelAlways);
        if (c.gridFocused) {
            grid->setFocus(Qt::OtherFocusReason);
        } else {
            elsewhere.setFocus(Qt::OtherFocusReason);
        }
        QApplication::processEvents();
        ASSERT_EQ(grid->hasFocus(), c.gridFocused) << c.name;
        const QImage image = grid->viewport()->grab().toImage();
        EXPECT_EQ(image.pixelColor(150, row.top() + row.height() / 2 + 1) == highlight, c.highlighted)
            << c.name;
        // Along the row's top line: a dot on every other pixel, or only the row's background.
        const QColor background = c.highlighted ? highlight : base;
        int dots = 0;
        for (int x = 0; x < 300; ++x) {
            dots += image.pixelColor(x, row.top()) != background ? 1 : 0;
        }
        if (c.dotted) {
            EXPECT_GE(dots, 140) << c.name;
            EXPECT_LE(dots, 160) << c.name;
        } else {
            EXPECT_EQ(dots, 0) << c.name;
        }
    }
}

TEST_F(CellGridTest, CellTextStartsTwoPixelsInAndOnePixelDown) {
    // Texts as the lists hold them, one cut short with an ellipsis, with the font drawn plain and
    // smoothed, and painted again after the column narrows: each as a plain drawText places it.
    struct Case {
        QString text;
        bool smooth;
        int width;
    };
    const QString longText = QStringLiteral("Параметр с очень длинным названием, который не помещается");
    const Case cases[] = {
        {QStringLiteral("Жар"), false, 200},
        {QStringLiteral("#P(12)*2.5+60"), false, 200},
        {QStringLiteral("№ 5 ✓ Рост 150 см"), true, 200},
        {longText, false, 200},
        {longText, true, 200},
        {longText, true, 120},
        {QStringLiteral("Жар"), true, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + (c.smooth ? " smooth " : " plain ") + std::to_string(c.width));
        QFont font(QStringLiteral("Times New Roman"));
        font.setPointSize(9);
        font.setStyleStrategy(c.smooth ? QFont::PreferAntialias : QFont::NoAntialias);
        grid->setFont(font);
        build(1, {true, true, true}, {80, c.width, 40}); // the last column takes the rest
        model.setText(0, 1, c.text);
        grid->setGridLines(false);
        QApplication::processEvents();

        const QRect cell = grid->visualRect(grid->model()->index(0, 1));
        const QImage shot = grid->viewport()->grab().toImage().copy(cell);

        // The same text placed by the cell rule: left-aligned at the top of the cell narrowed by 2
        // on either side and lowered by 1, cut to fit.
        QImage expected(cell.size(), shot.format());
        expected.fill(grid->palette().color(QPalette::Active, QPalette::Base));
        {
            QPainter painter(&expected);
            painter.setFont(grid->viewport()->font());
            painter.setPen(grid->palette().color(QPalette::Active, QPalette::Text));
            const QRect textRect(2, 1, cell.width() - 4, cell.height() - 1);
            painter.drawText(
                textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                QFontMetrics(grid->viewport()->font()).elidedText(c.text, Qt::ElideRight, textRect.width()));
        }
        EXPECT_EQ(shot, expected);
    }
}

} // namespace
