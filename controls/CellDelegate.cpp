#include "CellDelegate.h"

#include "GridEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int kFitMargin = 15;   // extra width of a box that follows its text
constexpr int kTextInset = 2;    // cell text keeps this far from the cell's left and right edges
constexpr int kTextLowering = 1; // and starts this far below the cell's top

// Dotted 1-pixel lines along the edges of a cell, every other pixel set; the dots stay put relative
// to the brush origin, so the lines of neighbouring cells and rows line up.
void drawDottedEdges(QPainter* painter, const QRect& cell, const QColor& colour, bool top, bool left,
                     bool right) {
    const QBrush dots(colour, Qt::Dense4Pattern);
    if (top) {
        painter->fillRect(QRect(cell.left(), cell.top(), cell.width(), 1), dots);
    }
    painter->fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), dots);
    if (left) {
        painter->fillRect(QRect(cell.left(), cell.top(), 1, cell.height()), dots);
    }
    if (right) {
        painter->fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), dots);
    }
}

} // namespace

CellDelegate::CellDelegate(QObject* parent) : QStyledItemDelegate(parent) {
}

void CellDelegate::setTextChecker(std::function<bool(const QString& before, const QString& after)> checker) {
    checker_ = std::move(checker);
    if (editor_ != nullptr) {
        editor_->setTextChecker(checker_);
    }
}

GridEdit* CellDelegate::openEditor() const {
    return editor_;
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                    const QModelIndex& /*index*/) const {
    auto* box = new GridEdit(parent);
    box->setTextChecker(checker_);
    editor_ = box;
    return box;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = qobject_cast<GridEdit*>(editor);
    if (box == nullptr) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    // The edit role where the model has one (it may differ from what is shown), else the shown text.
    const QVariant edited = index.data(Qt::EditRole);
    box->setText(edited.isValid() ? edited.toString() : index.data(Qt::DisplayRole).toString());
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* box = qobject_cast<GridEdit*>(editor);
    if (box == nullptr) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    storeResult_ = model->setData(index, box->text(), Qt::EditRole);
}

void CellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    auto* box = qobject_cast<GridEdit*>(editor);
    if (box == nullptr) {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        return;
    }
    box->holdOver(option.rect);
    // Where the row's first cell lies left of the view, the box follows its text instead.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view != nullptr && view->visualRect(index.siblingAtColumn(0)).left() < 0) {
        box->setFitToText(kFitMargin);
    }
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QPalette& colours = option.palette;
    // The list counts as focused while its open editor has the keyboard focus.
    const bool focused =
        view != nullptr && (view->hasFocus() || view->isAncestorOf(QApplication::focusWidget()));
    const bool highlight = (option.state & QStyle::State_Selected) && (focused || look_.showSelectionAlways);
    const bool enabled = option.state & QStyle::State_Enabled;
    QColor background = colours.color(QPalette::Active, highlight ? QPalette::Highlight : QPalette::Base);
    if (!enabled) {
        background = colours.color(QPalette::Active, QPalette::Window);
    }
    const QColor text =
        colours.color(QPalette::Active, highlight ? QPalette::HighlightedText : QPalette::Text);
    const QRect& cell = option.rect;
    painter->save();
    // The dots keep their places in the rows, wherever the list is scrolled to.
    if (view != nullptr) {
        painter->setBrushOrigin(-view->horizontalScrollBar()->value() % 2,
                                -view->verticalScrollBar()->value() % 2);
    }
    painter->fillRect(cell, background);

    const QString shown = index.data(Qt::DisplayRole).toString();
    const QRect textRect = cell.adjusted(kTextInset, kTextLowering, -kTextInset, 0);
    if (!shown.isEmpty() && textRect.width() > 0 && textRect.height() > 0) {
        const QVariant aligned = index.data(Qt::TextAlignmentRole);
        Qt::Alignment alignment =
            aligned.isValid() ? Qt::Alignment(aligned.toInt()) & Qt::AlignHorizontal_Mask : Qt::Alignment();
        if (!alignment) {
            alignment = Qt::AlignLeft;
        }
        painter->setPen(text);
        const bool kept = alignment == Qt::AlignLeft && option.direction == Qt::LeftToRight &&
                          drawKeptText(painter, textRect, option.fontMetrics, shown);
        if (!kept) {
            const QStyle* style = view != nullptr ? view->style() : QApplication::style();
            style->drawItemText(painter, textRect,
                                static_cast<int>(alignment | Qt::AlignTop | Qt::TextSingleLine), colours,
                                true, option.fontMetrics.elidedText(shown, Qt::ElideRight, textRect.width()),
                                QPalette::NoRole);
        }
    }

    // The focused row carries a dotted rectangle around all its cells.
    if (focused && view != nullptr && view->currentIndex().row() == index.row()) {
        drawDottedEdges(painter, cell, text, true, index.column() == 0,
                        index.column() == index.model()->columnCount(index.parent()) - 1);
    }
    if (look_.gridLines) {
        drawDottedEdges(painter, cell, *look_.gridLines, false, false, true);
    }
    painter->restore();
}

bool CellDelegate::drawKeptText(QPainter* painter, const QRect& textRect, const QFontMetrics& metrics,
                                const QString& shown) const {
    // Texts with control characters (a CR read from a file, a tab) or right-to-left script take the
    // general path, which shows them as a single line the way the style does.
    for (const QChar c : shown) {
        if (c.unicode() < 0x20 || c.isSurrogate()) {
            return false;
        }
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return false;
        default:
            break;
        }
    }
    if (painter->font() != keptFont_) {
        keptTexts_.clear();
        keptFont_ = painter->font();
    }
    // A bound on what is kept: enough for every page of the lists, never the whole definition.
    constexpr qsizetype mostKept = 4096;
    const std::pair<QString, int> key(shown, textRect.width());
    auto found = keptTexts_.constFind(key);
    if (found == keptTexts_.constEnd()) {
        if (keptTexts_.size() >= mostKept) {
            keptTexts_.clear();
        }
        QStaticText laid(metrics.elidedText(shown, Qt::ElideRight, textRect.width()));
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(painter->transform(), keptFont_);
        found = keptTexts_.insert(key, laid);
    }
    const QSizeF size = found->size();
    const bool overflows = size.width() > textRect.width() || size.height() > textRect.height();
    if (overflows) {
        // Clipped for the text alone: the focus rectangle drawn after it keeps the whole cell.
        painter->save();
        painter->setClipRect(textRect, Qt::IntersectClip);
    }
    painter->drawStaticText(textRect.topLeft(), *found);
    if (overflows) {
        painter->restore();
    }
    return true;
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* box = qobject_cast<GridEdit*>(object);
    if (box == nullptr) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    if (event->type() == QEvent::FocusOut) {
        // The box's own context menu and a switch to another application leave the edit open.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) {
            return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
    if (event->type() != QEvent::KeyPress) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    std::optional<EndEditHint> hint;
    switch (key->key()) {
    case Qt::Key_Tab:
        hint = (key->modifiers() & Qt::ShiftModifier) ? EditPreviousItem : EditNextItem;
        break;
    case Qt::Key_Backtab:
        hint = EditPreviousItem;
        break;
    case Qt::Key_Insert:
        hint = EditNextItem;
        break;
    case Qt::Key_Up:
        hint = EditItemAbove;
        break;
    case Qt::Key_Down:
        hint = EditItemBelow;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hint = NoHint;
        break;
    case Qt::Key_Escape:
        emit closeEditor(box, RevertModelCache);
        return true;
    default:
        return QStyledItemDelegate::eventFilter(object, event);
    }
    emit commitData(box);
    emit closeEditor(box, *hint);
    return true;
}
