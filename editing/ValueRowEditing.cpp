// Adding and deleting value rows of the current parameter. A new row's cells depend on the kind
// the value list is laid out for; an input parameter holds at most one row.
#include "CMainForm.h"

#include "CellGrid.h"
#include "TextCodec.h"
#include "Texts.h"

namespace vornak {

namespace {

ValueRow newValueRow(std::uint8_t kind) {
    switch (static_cast<ValueKind>(kind)) {
    case ValueKind::List:
        return {TextCodec::encode(texts::columnValue), std::string(), TextCodec::encode(texts::columnResult)};
    case ValueKind::Range:
        return {"0", "1", TextCodec::encode(texts::columnResult)};
    case ValueKind::Input:
        return {TextCodec::encode(texts::columnInitialValue), std::string(), std::string()};
    }
    return {TextCodec::encode(texts::columnInitialValue), std::string(),
            TextCodec::encode(texts::columnResult)};
}

} // namespace

void CMainForm::OnAddValue() {
    // Without a current parameter there is nothing to add a row to.
    if (!isValidParameter(selectedParameter)) {
        return;
    }
    const auto parameterIndex = static_cast<std::size_t>(selectedParameter);
    const std::size_t rows = model_.parameters[parameterIndex].values.size();
    // The new row goes below the selected one, or first when none is selected.
    const int p = valueList->GetSelectedRow() + 1;

    if (shownKind == static_cast<std::uint8_t>(ValueKind::Input) && rows >= 1) {
        return; // an input parameter already has its one row
    }
    if (static_cast<std::size_t>(p) > rows) {
        return;
    }
    const ValueRow row = newValueRow(shownKind);
    model_.insertValueRow(parameterIndex, static_cast<std::size_t>(p), row);

    switch (static_cast<ValueKind>(shownKind)) {
    case ValueKind::List:
    case ValueKind::Input:
        valueList->InsertRow(p, TextCodec::decode(row.value));
        valueList->SetCellText(p, 1, TextCodec::decode(row.result));
        break;
    case ValueKind::Range:
        valueList->InsertRow(p, TextCodec::decode(row.value));
        valueList->SetCellText(p, 1, TextCodec::decode(row.upperBound));
        valueList->SetCellText(p, 2, TextCodec::decode(row.result));
        break;
    default:
        break; // a kind without columns shows no rows
    }

    valueList->setFocus(Qt::OtherFocusReason);
    valueList->SelectRow(p);
    valueList->FocusRow(p);
    modified = 1;
}

void CMainForm::OnDeleteValue() {
    const int s = valueList->GetSelectedRow();
    if (isValidParameter(selectedParameter)) {
        const auto parameterIndex = static_cast<std::size_t>(selectedParameter);
        if (s >= 0 && static_cast<std::size_t>(s) < model_.parameters[parameterIndex].values.size()) {
            model_.eraseValueRow(parameterIndex, static_cast<std::size_t>(s));
        }
    }
    if (s >= 0 && s < valueList->rowCount()) {
        valueList->DeleteRow(s);
        valueList->clearSelection(); // no other row takes the deleted one's selection
    }
    modified = 1;
}

} // namespace vornak
