// CellDelegate: CellGrid's item delegate. It creates the GridEdit for a cell, fills it, stores what
// was typed, turns the keys that move on into closeEditor hints, and paints the cells.
#pragma once

#include "DottedLines.h"
#include "ElidedTextCache.h"
#include "GridEdit.h"

#include <QStyledItemDelegate>

#include <optional>
#include <utility>

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    /// Row steps beside Qt's column steps, inside the enum's range (a value past it is undefined).
    static constexpr EndEditHint EditItemAbove = static_cast<EndEditHint>(5);
    static constexpr EndEditHint EditItemBelow = static_cast<EndEditHint>(6);

    using QStyledItemDelegate::QStyledItemDelegate;

    bool showSelectionAlways = false; // selected rows highlighted also while the list has no focus
    std::optional<QColor> gridLines;  // dotted lines of this colour at column edges and under rows
    GridEdit::Checker textChecker;    // given to each editor as it opens

    /// The text the model took in the last store since the previous call; nullopt when refused or none.
    std::optional<QString> takeStoredText() { return std::exchange(stored_, std::nullopt); }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void drawDottedEdges(QPainter* painter, const QRect& cell, const QColor& colour, bool top, bool left,
                         bool right) const;

    mutable DottedLines dots_;
    mutable ElidedTextCache keptTexts_;
    mutable std::optional<QString> stored_;
};
