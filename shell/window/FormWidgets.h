// The widgets the main window and its parts build alike: the text fields that take only what a
// definition file can hold, the picture buttons, the record lists, and the column widths that
// follow a list's width.
#pragma once

#include "Pictures.h"

#include <QItemSelection>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class CellGrid;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vornak {

// A one-line field for a definition text: no line break, no character without a Windows-1251
// byte, at most 2047 bytes; a dropped file goes on to the window.
QLineEdit* makeTextEdit(QWidget* parent);
// A button that shows only a picture (one of the resource bitmaps); text is its accessible name
// and tooltip.
QPushButton* makePictureButton(Picture picture, const QString& text, QWidget* parent);
// A list of records with the grid's look: dotted lines, the list font, selection always shown,
// typing starts an edit, each change of a cell judged by what it adds.
CellGrid* makeRecordGrid(QWidget* parent);
// Makes a row the selected and focused one and scrolls it into view; a row outside the list
// selects none.
void selectRecordRow(CellGrid* grid, int row);
// The highest row a change of selection added, or -1: the row whose details are shown.
int lastRowOf(const QItemSelection& selection);

// Keeps a grid's columns at their shares of the width inside its frame and beside its vertical
// scroll bar, whenever that width or the number of columns changes. shares() gives one share per
// column; each column gets share * width / denominator.
class ColumnShares : public QObject {
    Q_OBJECT

public:
    ColumnShares(CellGrid& grid, std::function<std::vector<int>()> shares, int denominator);
    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CellGrid& grid_;
    QPointer<QWidget> viewport_;
    std::function<std::vector<int>()> shares_;
    int denominator_;
};

} // namespace vornak
