// Adding and deleting parameters: the model and the parameter list change together, the "N"
// column stays numbered 1, 2, 3 ..., and the current parameter follows.
#include "CMainForm.h"

#include "CellGrid.h"
#include "TextCodec.h"
#include "Texts.h"

namespace vornak {

void CMainForm::OnAddParameter() {
    // The new parameter goes below the selected row, or first when no row is selected.
    const int p = parameterList->GetSelectedRow() + 1;

    ParameterRecord record;
    record.name = TextCodec::encode(texts::newParameterName);
    record.kind = ValueKind::List;
    model_.insertParameter(static_cast<std::size_t>(p), record);

    parameterList->InsertRow(p, QString::number(p + 1));
    parameterList->SetCellText(p, 1, texts::newParameterName);
    renumberRows(parameterList, p + 1);

    // Selecting a row other than the current one already shows it; it is shown in any case.
    parameterList->SelectRow(p);
    parameterList->FocusRow(p);
    selectedParameter = p;
    showParameter(p);

    OnAddValue();
    parameterList->setFocus(Qt::OtherFocusReason);
    modified = 1;
}

void CMainForm::OnDeleteParameter() {
    int s = parameterList->GetSelectedRow();
    if (isValidParameter(s)) {
        model_.eraseParameter(static_cast<std::size_t>(s));
    }
    if (s >= 0 && s < parameterList->rowCount()) {
        const bool wasIgnoring = ignoreSelectionChanges_;
        ignoreSelectionChanges_ = true;
        parameterList->DeleteRow(s);
        // The list would pass the selection on to a neighbour; the deleted row was the selected
        // one, and no other row takes its place.
        parameterList->clearSelection();
        ignoreSelectionChanges_ = wasIgnoring;
    }
    renumberRows(parameterList, s);

    // After the last row the new last one is meant; after the only row, none.
    if (s >= parameterList->rowCount()) {
        s = parameterList->rowCount() - 1;
    }
    selectedParameter = s;
    if (isValidParameter(s)) {
        showParameter(s);
    } else {
        showNoParameter();
    }
    modified = 1;
}

} // namespace vornak
