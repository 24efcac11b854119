// GridEdit: CellGrid's in-place edit box. It is held over its cell at the row's height, widens with
// its text up to the list's right edge, and refuses a change that its text checker refuses.
#pragma once

#include <QLineEdit>
#include <QRect>

#include <functional>
#include <optional>

class GridEdit : public QLineEdit {
    Q_OBJECT

public:
    using Checker = std::function<bool(const QString& before, const QString& after)>;

    explicit GridEdit(QWidget* parent = nullptr);

    /// Holds the box over a cell and keeps it there while the text changes. Without a fit margin the
    /// box is as wide as the cell or the text, whichever is wider; with one, the text's fit width plus
    /// the margin.
    void holdOver(const QRect& cell, std::optional<int> fitMargin = std::nullopt);
    /// Where the box belongs for its current text: the cell's top-left corner (a cell starting left of
    /// the view starts at its edge), the row's height, and never past the parent's right edge.
    QRect placement() const;
    /// Average character advance times the length; 10 for a single character.
    int fitTextWidth() const;

    /// Judges each typed, pasted or dropped change; a refused one leaves the text before. Texts the
    /// program puts in are not judged. Empty: accept all.
    void setTextChecker(Checker checker);
    bool acceptsChange(const QString& before, const QString& after) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QRect> cell_;
    std::optional<int> fitMargin_;
    Checker checker_;
};
