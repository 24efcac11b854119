// Adding and deleting rows of the result table; the "N" column stays numbered 1, 2, 3 ...
#include "CMainForm.h"

#include "CellGrid.h"
#include "TextCodec.h"
#include "Texts.h"

namespace vornak {

void CMainForm::OnAddResult() {
    const int p = resultList->GetSelectedRow() + 1;
    const ResultRow row{TextCodec::encode(texts::columnName), TextCodec::encode(texts::columnResult)};
    model_.insertResult(static_cast<std::size_t>(p), row);

    resultList->InsertRow(p, QString::number(p + 1));
    resultList->SetCellText(p, 1, texts::columnName);
    resultList->SetCellText(p, 2, texts::columnResult);
    renumberRows(resultList, p + 1);

    resultList->setFocus(Qt::OtherFocusReason);
    resultList->SelectRow(p);
    resultList->FocusRow(p);
    modified = 1;
}

void CMainForm::OnDeleteResult() {
    const int s = resultList->GetSelectedRow();
    if (s >= 0 && static_cast<std::size_t>(s) < model_.results.size()) {
        model_.eraseResult(static_cast<std::size_t>(s));
    }
    if (s >= 0 && s < resultList->rowCount()) {
        resultList->DeleteRow(s);
        resultList->clearSelection(); // no other row takes the deleted one's selection
    }
    renumberRows(resultList, s);
    modified = 1;
}

} // namespace vornak
