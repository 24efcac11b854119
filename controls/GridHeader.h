// GridHeader: the column header of CellGrid. Its dividers can be dragged to resize the
// columns; a click on an item sorts nothing.
#pragma once

#include <QFont>
#include <QHeaderView>

class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

    /// As tall as one line of the header's font with the style's margins, as wide as the columns.
    QSize sizeHint() const override;

private:
    // The view asks after every change of columns; Qt would measure every section's text again.
    mutable QSize lineSize_;
    mutable QFont lineFont_;
    mutable const QStyle* lineStyle_ = nullptr;
};
