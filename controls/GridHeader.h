// GridHeader: the column header of CellGrid. Its dividers can be dragged to resize the
// columns; a click on an item sorts nothing.
#pragma once

#include <QHeaderView>

class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

    /// Whether the user may drag dividers to resize columns (on from construction).
    bool IsResizable() const { return resizable_; }
    /// Lets the user resize columns, or holds every column at its width.
    void SetResizable(bool on);

private:
    bool resizable_ = true;
};
