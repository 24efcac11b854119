// The record commands of the main window: add, delete, move and duplicate in the parameter, value
// and result lists, the question before deleting a record other texts name, the selection that
// follows each step, and the lists' clipboard of whole rows. Every change arrives as a document signal,
// whether a command made it or an undo or redo did, so the same code selects the row it concerns in both
// cases.
#pragma once

#include "PlatformServices.h"

#include <QObject>

#include <vector>

class CellGrid;
class QWidget;

namespace vornak {

class DefinitionDocument;
class ListClipboard;
class ParameterPanel;

class RecordActions : public QObject {
    Q_OBJECT

public:
    // The three lists of the window; the value list is the panel's. window is the parent of the
    // questions asked.
    RecordActions(DefinitionDocument& document, const PlatformServices& services, CellGrid& parameters,
                  ParameterPanel& panel, CellGrid& results, QWidget& window);

    void addParameter();
    void deleteParameter();
    void addValue();
    void deleteValue();
    void addResult();
    void deleteResult();
    void moveUp();
    void moveDown();
    void duplicate();

    // Whether Move Up, Move Down and Duplicate can act now on the list last worked in.
    bool canMove(int step) const;
    bool canDuplicate() const;
    // The list Move and Duplicate act on: the one with the focus, or the one last focused.
    CellGrid* recordList() const;
    // Confirms the open cell edits of the three lists and drops their pending click-edits.
    void confirmOpenEdits();
    // Copy, cut and paste of whole rows in the three lists (each takes several rows).
    ListClipboard& clipboard() const { return *clipboard_; }

signals:
    // The list worked in, or its selection, changed: what Move and Duplicate can do may have too.
    void stateChanged();

private:
    void followDocument();
    // Shows the parameter list's current row in the panel.
    void showCurrentParameter();
    void move(int step);

    DefinitionDocument& document_;
    CellGrid& parameters_;
    ParameterPanel& panel_;
    CellGrid& values_;
    CellGrid& results_;
    CellGrid* lastList_ = nullptr;
    // Between the document's announcement of a new definition and the lists' following it.
    bool followingNewDefinition_ = false;
    ListClipboard* clipboard_ = nullptr;
};

} // namespace vornak
