// Ctrl+C, Ctrl+X and Ctrl+V in the three lists while no cell is open, and what follows a drop of
// rows: the focused list's model turns its selected rows into clipboard data and takes rows in
// (below the last selected row, as one undo step); this finds the list, selects the rows that went
// in, and shows the message of a paste or drop the model refused.
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
class RecordListModel;
struct RowTransfer;

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
    static RecordListModel* modelOf(const CellGrid& list);
    // Selects the rows that went in and says why none did or what was left out.
    void report(CellGrid& list, const RowTransfer& transfer);
    // Selects the rows a drop placed in the list and shows its messages.
    void followDrops(CellGrid& list);
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
