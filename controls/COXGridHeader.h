// COXGridHeader: the column header of COXCellGrid. Its dividers can be dragged to resize the
// columns; a click on an item sorts nothing.
#pragma once

#include <QHeaderView>

class COXGridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit COXGridHeader(QWidget* parent = nullptr);

    /// Whether the user may drag dividers to resize columns (on from construction).
    bool IsResizable() const { return resizable_; }
    /// Lets the user resize columns, or holds every column at its width.
    void SetResizable(bool on);

private:
    bool resizable_ = true;
};
