// GridHeader: the column header of CellGrid. Its dividers can be dragged to resize the
// columns; a click on an item sorts nothing.
#pragma once

#include <QHeaderView>

class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);
};
