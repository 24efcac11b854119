// Ctrl+C, Ctrl+X and Ctrl+V in the three lists while no cell is open: the selected rows go to the
// clipboard as the cells the list shows (tab-separated text and an HTML table; parameters also
// whole, in Vornak's own type), and rows from the clipboard — a spreadsheet's, a web page's table,
// or Vornak's own parameters — go in below the last selected row as one undo step, the new rows
// selected. A paste the file could not hold is refused whole, with a message naming the cell.
#pragma once

#include "PlatformServices.h"
#include "RecordChange.h"

#include <QObject>

#include <functional>
#include <vector>

class CellGrid;
class QAbstractItemView;
class QMimeData;
class QWidget;

namespace vornak {

class DefinitionDocument;

class ListClipboard : public QObject {
    Q_OBJECT

public:
    // shownParameter: the parameter whose rows the value list shows, or -1. window: the parent of
    // the messages.
    ListClipboard(DefinitionDocument& document, const PlatformServices& services, CellGrid& parameters,
                  CellGrid& values, CellGrid& results, std::function<int()> shownParameter, QWidget& window);

    enum class Operation { Cut, Copy, Paste };
    // Ctrl+X, Ctrl+C and Ctrl+V wherever the focus is: on a field's or an open cell editor's own
    // text, or else on the focused list's rows, run through guard (which confirms open edits).
    void runOnFocus(Operation operation, const std::function<void(const std::function<void()>&)>& guard);

    // The list with the keyboard focus while no cell editor is open in it, or null.
    CellGrid* activeList() const;

    // Copies the selected rows of a list; false when none is selected.
    bool copy(CellGrid& list);
    // Pastes the clipboard into a list; false when nothing went in (refused, or nothing to paste).
    bool paste(CellGrid& list);
    // The same with the data given (what paste() reads from the clipboard).
    bool paste(CellGrid& list, const QMimeData* data);
    // Deletes the selected rows of a list as one step, after one question when other texts name
    // any of the parameters or results going; false when nothing was deleted.
    bool removeSelected(CellGrid& list);
    // Ctrl+X: copies the selected rows, then deletes them as removeSelected does.
    bool cut(CellGrid& list);

    // The document's list one of the three shows.
    RecordList listOf(const CellGrid& list) const;

private:
    bool pasteParameters(CellGrid& list, const QMimeData* data, int position, bool& handled);
    void refuse(const QString& text);
    void inform(const QString& text);

    DefinitionDocument& document_;
    PlatformServices services_;
    CellGrid& parameters_;
    CellGrid& values_;
    CellGrid& results_;
    std::function<int()> shownParameter_;
    QWidget& window_;
};

} // namespace vornak
