#include "FormWidgets.h"

#include "CellGrid.h"
#include "DefinitionTextValidator.h"
#include "DialogUnits.h"
#include "Pictures.h"
#include "TextCodec.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

namespace vornak {

QLineEdit* makeTextEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    // A refused paste leaves the text as it was.
    edit->setValidator(new DefinitionTextValidator(edit));
    edit->setAcceptDrops(false);
    return edit;
}

QPushButton* makePictureButton(Picture picture, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setToolTip(text);
    button->setAccessibleName(text);
    const QPixmap pixmap = picturePixmap(picture);
    if (!pixmap.isNull()) { // a missing picture leaves the button without one
        button->setIcon(QIcon(pixmap));
        button->setIconSize(pixmap.size());
    }
    return button;
}

CellGrid* makeRecordGrid(QWidget* parent) {
    auto* grid = new CellGrid(parent);
    grid->setTextChecker([](const QString& before, const QString& after) {
        return definitionTextChangeAllowed(before, after);
    });
    grid->setShowSelectionAlways(true);
    grid->setTypeToEdit(true);
    grid->setGridLines(true, Qt::black);
    grid->setFont(DialogUnits::templateFont(QStringLiteral("Times New Roman"), 9));
    return grid;
}

namespace {

// True when the selection is the whole row and nothing else.
bool isOnlySelectedRow(const QItemSelectionModel& selection, int row) {
    const QItemSelection selected = selection.selection();
    if (selected.size() != 1) {
        return false;
    }
    const QItemSelectionRange& range = selected.first();
    const int columns = selection.model()->columnCount(range.parent());
    return range.top() == row && range.bottom() == row && range.left() == 0 && range.right() == columns - 1;
}

} // namespace

void selectRecordRow(CellGrid* grid, int row) {
    if (row < 0 || grid->model() == nullptr || row >= grid->model()->rowCount()) {
        grid->clearSelection();
        return;
    }
    QItemSelectionModel* selection = grid->selectionModel();
    const QModelIndex first = grid->model()->index(row, 0);
    // Opening a file selects the same rows from several of the form's handlers: a row that already
    // is the current and only selected one is left as it is, which Qt would merely work out again.
    if (!(selection->currentIndex() == first && isOnlySelectedRow(*selection, row))) {
        selection->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    grid->ensureCellVisible(row, 0);
}

int lastRowOf(const QItemSelection& selection) {
    int last = -1;
    for (const QItemSelectionRange& range : selection) {
        last = std::max(last, range.bottom());
    }
    return last;
}

ColumnShares::ColumnShares(CellGrid& grid, std::function<std::vector<int>()> shares, int denominator)
    : QObject(&grid), grid_(grid), viewport_(grid.viewport()), shares_(std::move(shares)),
      denominator_(denominator) {
    viewport_->installEventFilter(this);
}

void ColumnShares::apply() {
    // The viewport is the width beside a vertical scroll bar: columns sized to it never call up a
    // horizontal one.
    const int width = grid_.viewport()->width();
    int column = 0;
    for (int share : shares_()) {
        if (grid_.model() != nullptr && column < grid_.model()->columnCount()) {
            grid_.setColumnWidth(column, share * width / denominator_);
        }
        ++column;
    }
}

bool ColumnShares::eventFilter(QObject* watched, QEvent* event) {
    // The viewport is held apart from the grid: its last events come while the grid is half
    // destroyed and can no longer be asked for it.
    if (event->type() == QEvent::Resize && watched == viewport_) {
        apply();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vornak
