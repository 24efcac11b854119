// GridEdit: the in-place edit box of CellGrid. Its delegate creates one for each cell edit and
// holds it over the cell at the row's height; the box widens with its text up to the list's right
// edge, and refuses a change that its text checker refuses.
#pragma once

#include <QLineEdit>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

class GridEdit : public QLineEdit {
    Q_OBJECT

public:
    using Checker = std::function<bool(const QString& before, const QString& after)>;

    explicit GridEdit(QWidget* parent = nullptr);

    /// Holds the box at a cell: its top-left corner (a cell starting left of the view starts at its left
    /// edge), the row's height, and the cell's width as the least width.
    void holdOver(const QRect& cell);
    /// Makes the width follow the text: average character advance times the length, plus margin.
    void setFitToText(int margin);
    /// Applies the holding rules to a proposed geometry: position, height, fit-to-text width, right limit.
    QRect adjustedGeometry(QRect proposed);
    /// Width the fit-to-text rule gives the current text, without the margin.
    int fitTextWidth() const;
    /// Right edge the box may not pass (-1 until measured, once per box).
    int maxRight() const { return maxRight_; }

    /// Judges each typed, pasted or dropped change by the text before and after it; a refused change
    /// leaves the text before. Texts the program puts in are not judged. Empty: accept all.
    void setTextChecker(Checker checker);
    /// True when the checker (if any) lets the text change from before to after.
    bool acceptsChange(const QString& before, const QString& after) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relayout();

    QPoint position_;
    bool positionSet_ = false;
    int height_ = 0;
    bool heightSet_ = false;
    int fitMargin_ = 0;
    bool fitToText_ = false;
    int maxRight_ = -1;
    int cellWidth_ = 0;
    Checker checker_;
};
