#include "CellDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <utility>

namespace {

constexpr int kFitMargin = 15;   // extra width of a box that follows its text
constexpr int kTextInset = 2;    // cell text keeps this far from the cell's left and right edges
constexpr int kTextLowering = 1; // and starts this far below the cell's top

} // namespace

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                    const QModelIndex& /*index*/) const {
    auto* editor = new GridEdit(parent);
    editor->setTextChecker(textChecker);
    return editor;
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    const QString text = static_cast<GridEdit*>(editor)->text();
    stored_ = model->setData(index, text, Qt::EditRole) ? std::optional(text) : std::nullopt;
}

void CellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    // Where the row's first cell lies left of the view, the box follows its text instead of the cell.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool fit = view != nullptr && view->visualRect(index.siblingAtColumn(0)).left() < 0;
    static_cast<GridEdit*>(editor)->holdOver(option.rect, fit ? std::optional(kFitMargin) : std::nullopt);
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QPalette& colours = option.palette;
    // The list counts as focused while its open editor has the keyboard focus.
    const bool focused =
        view != nullptr && (view->hasFocus() || view->isAncestorOf(QApplication::focusWidget()));
    const bool highlight = (option.state & QStyle::State_Selected) && (focused || showSelectionAlways);
    const QColor background =
        !(option.state & QStyle::State_Enabled)
            ? colours.color(QPalette::Active, QPalette::Window)
            : colours.color(QPalette::Active, highlight ? QPalette::Highlight : QPalette::Base);
    const QColor text =
        colours.color(QPalette::Active, highlight ? QPalette::HighlightedText : QPalette::Text);
    const QRect& cell = option.rect;
    painter->save();
    if (view != nullptr) {
        // The dots keep their places in the rows, wherever the list is scrolled to.
        painter->setBrushOrigin(-view->horizontalScrollBar()->value() % 2,
                                -view->verticalScrollBar()->value() % 2);
    }
    painter->fillRect(cell, background);

    const QString shown = index.data(Qt::DisplayRole).toString();
    const QRect textRect = cell.adjusted(kTextInset, kTextLowering, -kTextInset, 0);
    if (!shown.isEmpty() && textRect.width() > 0 && textRect.height() > 0) {
        const QVariant aligned = index.data(Qt::TextAlignmentRole);
        Qt::Alignment alignment = Qt::Alignment(aligned.toInt()) & Qt::AlignHorizontal_Mask;
        alignment = alignment ? alignment : Qt::AlignLeft;
        painter->setPen(text);
        if (alignment != Qt::AlignLeft || option.direction != Qt::LeftToRight ||
            !keptTexts_.draw(painter, textRect, option.fontMetrics, shown)) {
            const QStyle* style = view != nullptr ? view->style() : QApplication::style();
            style->drawItemText(painter, textRect,
                                static_cast<int>(alignment | Qt::AlignTop | Qt::TextSingleLine), colours,
                                true, option.fontMetrics.elidedText(shown, Qt::ElideRight, textRect.width()),
                                QPalette::NoRole);
        }
    }
    // The focused row carries a dotted rectangle around all its cells.
    if (focused && view->currentIndex().row() == index.row()) {
        drawDottedEdges(painter, cell, text, true, index.column() == 0,
                        index.column() == index.model()->columnCount(index.parent()) - 1);
    }
    if (gridLines) {
        drawDottedEdges(painter, cell, *gridLines, false, false, true);
    }
    painter->restore();
}

// Dots along a cell's edges: the bottom one always, the others as asked.
void CellDelegate::drawDottedEdges(QPainter* painter, const QRect& cell, const QColor& colour, bool top,
                                   bool left, bool right) const {
    for (const auto& [on, edge] : {std::pair(top, QRect(cell.left(), cell.top(), cell.width(), 1)),
                                   std::pair(true, QRect(cell.left(), cell.bottom(), cell.width(), 1)),
                                   std::pair(left, QRect(cell.left(), cell.top(), 1, cell.height())),
                                   std::pair(right, QRect(cell.right(), cell.top(), 1, cell.height()))}) {
        if (on) {
            dots_.draw(painter, edge, colour);
        }
    }
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* box = qobject_cast<GridEdit*>(object);
    const auto* focus = event->type() == QEvent::FocusOut ? static_cast<QFocusEvent*>(event) : nullptr;
    if (box != nullptr && focus != nullptr &&
        (focus->reason() == Qt::PopupFocusReason || focus->reason() == Qt::ActiveWindowFocusReason)) {
        return false; // the box's own context menu or a switch to another application: the edit stays
    }
    // Ctrl+Up and Ctrl+Down belong to the editor, not to the window's commands: in a cell they move
    // to the row above or below as Up and Down do.
    const auto* shortcut =
        event->type() == QEvent::ShortcutOverride ? static_cast<QKeyEvent*>(event) : nullptr;
    if (box != nullptr && shortcut != nullptr &&
        (shortcut->key() == Qt::Key_Up || shortcut->key() == Qt::Key_Down)) {
        event->accept();
        return true;
    }
    // Enter confirms, Escape cancels; the others confirm and ask for the next cell.
    static const QHash<int, EndEditHint> hints = {
        {Qt::Key_Return, NoHint},    {Qt::Key_Enter, NoHint},        {Qt::Key_Escape, RevertModelCache},
        {Qt::Key_Tab, EditNextItem}, {Qt::Key_Insert, EditNextItem}, {Qt::Key_Backtab, EditPreviousItem},
        {Qt::Key_Up, EditItemAbove}, {Qt::Key_Down, EditItemBelow}};
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    if (box == nullptr || key == nullptr || !hints.contains(key->key())) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    const bool shiftTab = key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier);
    const EndEditHint hint = shiftTab ? EditPreviousItem : hints.value(key->key());
    if (hint != RevertModelCache) {
        emit commitData(box);
    }
    emit closeEditor(box, hint);
    return true;
}
