// The text typed into an open cell editor of the window's lists, not yet confirmed into the
// document: the definition with it in place (the document itself untouched), and a signal as it
// is typed, so that the recovery copy can hold it before the edit is confirmed.
#pragma once

#include "DefinitionText.h"
#include "ReportDefinition.h"

#include <QObject>

#include <optional>
#include <vector>

class CellGrid;

namespace vornak {

class DefinitionDocument;

class OpenCellEdits : public QObject {
    Q_OBJECT

public:
    OpenCellEdits(const DefinitionDocument& document, std::vector<CellGrid*> grids, QObject* parent = nullptr);

    // The open editors' texts with their cells' places; none while no editor is open or what it
    // holds changes nothing.
    std::vector<TextReplacement> pendingTexts() const;

signals:
    // An open editor's text changed, or an edit ended.
    void changed();

private:
    const DefinitionDocument& document_;
    std::vector<CellGrid*> grids_;
};

} // namespace vornak
