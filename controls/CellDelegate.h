// CellDelegate: the grid's item delegate. It creates the in-place GridEdit for a cell, fills it with
// the cell's text, stores what was typed through the model, turns the keys that move on (Tab,
// Shift+Tab, Insert, Up, Down) into closeEditor hints, and paints the cells with their dotted lines.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>
#include <utility>

class GridEdit;

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    /// Hints beyond Qt's own for the row steps; Tab and Insert close with EditNextItem, Shift+Tab with
    /// EditPreviousItem. They stay inside the enum's range (up to 7): a value past it is undefined.
    static constexpr EndEditHint EditItemAbove = static_cast<EndEditHint>(5);
    static constexpr EndEditHint EditItemBelow = static_cast<EndEditHint>(6);

    /// How the cells are drawn.
    struct Look {
        bool showSelectionAlways = false; // selected rows highlighted also while the list has no focus
        std::optional<QColor> gridLines;  // set: dotted lines of this colour at column edges and under rows
    };

    explicit CellDelegate(QObject* parent = nullptr);

    Look& look() { return look_; }
    void setTextChecker(std::function<bool(const QString& before, const QString& after)> checker);
    /// The editor that is open, or null.
    GridEdit* openEditor() const;
    /// Whether the model took the text of the last store since the previous call; nullopt: no store.
    std::optional<bool> takeStoreResult() { return std::exchange(storeResult_, std::nullopt); }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Draws a cell's text; false when it is not one the kept layouts serve (then drawn as before).
    bool drawKeptText(QPainter* painter, const QRect& textRect, const QFontMetrics& metrics,
                      const QString& shown) const;

    Look look_;
    // Laying a text out is most of what painting a cell costs, and the lists paint the same texts
    // again and again (a page after a renumbering, a scroll back): the elided, laid-out texts are
    // kept, by text and width, for the font they were made with.
    mutable QHash<std::pair<QString, int>, QStaticText> keptTexts_;
    mutable QFont keptFont_;
    std::function<bool(const QString& before, const QString& after)> checker_;
    mutable QPointer<GridEdit> editor_;
    mutable std::optional<bool> storeResult_;
};
