// GridEdit: CellGrid's in-place edit box. It is held over its cell at the row's height, widens with
// its text up to the list's right edge, and refuses a change that its text checker refuses.
#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

class GridEdit : public QLineEdit {
    Q_OBJECT

public:
    using Checker = std::function<bool(const QString& before, const QString& after)>;

    explicit GridEdit(QWidget* parent = nullptr);

    /// Holds the box over a cell while its text changes: as wide as the cell or the text, or with a
    /// fit margin, the fit width plus the margin.
    void holdOver(const QRect& cell, std::optional<int> fitMargin = std::nullopt);
    /// Where the box belongs: the cell's corner (not left of the view), the row's height, and never
    /// past the parent's right edge.
    QRect placement() const;
    /// Average character advance times the length; 10 for a single character.
    int fitTextWidth() const;
    /// Judges each typed, pasted or dropped change by the text before and after it; the program's own
    /// texts are not judged. Empty: accept all.
    void setTextChecker(Checker checker);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QRect> cell_;
    std::optional<int> fitMargin_;
};
