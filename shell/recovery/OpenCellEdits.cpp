#include "OpenCellEdits.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "DefinitionText.h"
#include "EditText.h"
#include "GridEdit.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

namespace vornak {

namespace {

std::optional<TextLocation> locationOf(const QModelIndex& index) {
    if (const auto* records = qobject_cast<const RecordTableModel*>(index.model())) {
        return records->locationOf(index);
    }
    if (const auto* values = qobject_cast<const ValueTableModel*>(index.model())) {
        return values->locationOf(index);
    }
    return std::nullopt;
}

} // namespace

OpenCellEdits::OpenCellEdits(const DefinitionDocument& document, std::vector<CellGrid*> grids, QObject* parent)
    : QObject(parent), document_(document), grids_(std::move(grids)) {
    for (CellGrid* grid : grids_) {
        connect(grid, &CellGrid::editTextEdited, this, &OpenCellEdits::changed);
        connect(grid, &CellGrid::editFinished, this, &OpenCellEdits::changed);
    }
}

std::vector<TextReplacement> OpenCellEdits::pendingTexts() const {
    std::vector<TextReplacement> edits;
    for (const CellGrid* grid : grids_) {
        const GridEdit* editor = grid->openEditor();
        const QModelIndex index = grid->editedIndex();
        if (editor == nullptr || !index.isValid()) {
            continue;
        }
        const std::optional<TextLocation> where = locationOf(index);
        if (!where || !document_.contains(*where)) {
            continue;
        }
        const std::string& current = textAt(document_.definition(), *where);
        const std::optional<std::string> bytes = editedBytes(current, editor->text());
        if (!bytes || *bytes == current) {
            continue;
        }
        edits.push_back({*where, *bytes});
    }
    return edits;
}

} // namespace vornak
