#include "ListClipboard.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "DeleteRecordsQuestion.h"
#include "MessageBox.h"
#include "PastedRows.h"
#include "RecordClipboard.h"
#include "RecordRows.h"
#include "RowSelection.h"
#include "Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <algorithm>
#include <set>

namespace vornak {

namespace {

const QString caption = QStringLiteral("Vornak");

} // namespace

ListClipboard::ListClipboard(DefinitionDocument& document, const PlatformServices& services,
                             CellGrid& parameters, CellGrid& values, CellGrid& results,
                             std::function<int()> shownParameter, QWidget& window)
    : QObject(&window), document_(document), services_(services), parameters_(parameters), values_(values),
      results_(results), shownParameter_(std::move(shownParameter)), window_(window) {
}

void ListClipboard::runOnFocus(Operation operation,
                               const std::function<void(const std::function<void()>&)>& guard) {
    if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
        switch (operation) {
        case Operation::Cut:
            field->cut();
            break;
        case Operation::Copy:
            field->copy();
            break;
        case Operation::Paste:
            field->paste();
            break;
        }
        return;
    }
    if (CellGrid* list = activeList()) {
        guard([this, list, operation] {
            switch (operation) {
            case Operation::Cut:
                cut(*list);
                break;
            case Operation::Copy:
                copy(*list);
                break;
            case Operation::Paste:
                paste(*list);
                break;
            }
        });
    }
}

CellGrid* ListClipboard::activeList() const {
    for (CellGrid* list : {&parameters_, &values_, &results_}) {
        if (list->hasFocus() && !list->isEditing()) {
            return list;
        }
    }
    return nullptr;
}

RecordList ListClipboard::listOf(const CellGrid& list) const {
    if (&list == &parameters_) {
        return RecordList::parameters();
    }
    if (&list == &values_) {
        return RecordList::valueRows(shownParameter_());
    }
    return RecordList::results();
}

bool ListClipboard::copy(CellGrid& list) {
    const std::vector<int> rows = selectedRows(list);
    if (rows.empty()) {
        return false;
    }
    const ReportDefinition& definition = document_.definition();
    const RecordList target = listOf(list);
    std::unique_ptr<QMimeData> data;
    switch (target.kind) {
    case RecordKind::Parameter: {
        std::vector<ParameterRecord> whole;
        for (const int row : rows) {
            if (row >= 0 && static_cast<std::size_t>(row) < definition.parameters.size()) {
                whole.push_back(definition.parameters[static_cast<std::size_t>(row)]);
            }
        }
        data = recordsMimeData(parameterCells(definition, rows), &whole);
        break;
    }
    case RecordKind::ValueRow: {
        const int p = target.parameter;
        if (p < 0 || static_cast<std::size_t>(p) >= definition.parameters.size()) {
            return false;
        }
        data = recordsMimeData(valueRowCells(definition.parameters[static_cast<std::size_t>(p)], rows));
        break;
    }
    case RecordKind::Result:
        data = recordsMimeData(resultCells(definition, rows));
        break;
    }
    QGuiApplication::clipboard()->setMimeData(data.release());
    return true;
}

bool ListClipboard::paste(CellGrid& list) {
    return paste(list, QGuiApplication::clipboard()->mimeData());
}

bool ListClipboard::paste(CellGrid& list, const QMimeData* data) {
    if (!canPasteRecords(data)) {
        return false;
    }
    const RecordList target = listOf(list);
    const std::vector<int> selected = selectedRows(list);
    const int count = document_.recordCount(target);
    const int position = selected.empty() ? count : std::min(selected.back() + 1, count);

    if (target.kind == RecordKind::Parameter) {
        bool handled = false;
        const bool pasted = pasteParameters(list, data, position, handled);
        if (handled) {
            return pasted;
        }
    }

    QStringList titles;
    const ReportDefinition& definition = document_.definition();
    std::uint8_t kind = 0;
    switch (target.kind) {
    case RecordKind::Parameter:
        titles = parameterColumnTitles();
        break;
    case RecordKind::ValueRow:
        if (target.parameter < 0 ||
            static_cast<std::size_t>(target.parameter) >= definition.parameters.size()) {
            return false;
        }
        kind =
            static_cast<std::uint8_t>(definition.parameters[static_cast<std::size_t>(target.parameter)].kind);
        titles = valueColumnTitles(kind);
        break;
    case RecordKind::Result:
        titles = resultColumnTitles();
        break;
    }
    if (titles.isEmpty()) {
        return false; // a kind the list shows no columns for
    }
    const TableRead read = pastedRows(data);
    if (read.overBudget) {
        refuse(pasteTooLargeText());
        return false;
    }
    const PastedRows fitted = fitPastedRows(read.rows, static_cast<int>(titles.size()));
    if (fitted.refusal) {
        refuse(pasteRefusalText(*fitted.refusal, titles));
        return false;
    }
    if (fitted.rows.empty()) {
        return false;
    }
    RecordBlock block;
    QString undoText;
    switch (target.kind) {
    case RecordKind::Parameter:
        block = parametersFromCells(fitted.rows);
        undoText = QStringLiteral("вставка параметров");
        break;
    case RecordKind::ValueRow:
        if (kind == static_cast<std::uint8_t>(ValueKind::Input) &&
            count + static_cast<int>(fitted.rows.size()) > 1) {
            refuse(inputOneRowText());
            return false;
        }
        block = valueRowsFromCells(fitted.rows, kind);
        undoText = QStringLiteral("вставка значений");
        break;
    case RecordKind::Result:
        block = resultsFromCells(fitted.rows);
        undoText = QStringLiteral("вставка результатов");
        break;
    }
    const std::vector<int> inserted = document_.insertRecords(target, position, std::move(block), undoText);
    if (inserted.empty()) {
        return false;
    }
    selectRows(list, inserted);
    if (fitted.leftOutColumns > 0) {
        inform(leftOutColumnsText(fitted.leftOutColumns, static_cast<int>(titles.size())));
    }
    return true;
}

bool ListClipboard::pasteParameters(CellGrid& list, const QMimeData* data, int position, bool& handled) {
    const std::optional<ParameterTransfer> whole = pastedParameters(data);
    handled = whole.has_value();
    if (!whole) {
        return false;
    }
    if (whole->problem != ParameterTransferProblem::None) {
        refuse(parameterTransferText(whole->problem));
        return false;
    }
    if (whole->parameters.empty()) {
        return false;
    }
    const std::vector<int> inserted = document_.insertRecords(
        RecordList::parameters(), position, whole->parameters, QStringLiteral("вставка параметров"));
    if (inserted.empty()) {
        refuse(parameterTransferText(ParameterTransferProblem::Damaged));
        return false;
    }
    selectRows(list, inserted);
    return true;
}

bool ListClipboard::removeSelected(CellGrid& list) {
    const std::vector<int> rows = selectedRows(list);
    if (rows.empty()) {
        return false;
    }
    const RecordList target = listOf(list);
    if (target.kind != RecordKind::ValueRow) {
        const ReferencedRecord record =
            target.kind == RecordKind::Parameter ? ReferencedRecord::Parameter : ReferencedRecord::Result;
        std::vector<int> numbers;
        for (const int row : rows) {
            numbers.push_back(row + 1);
        }
        const ReportDefinition& definition = document_.definition();
        const std::vector<TextLocation> referrers = referrersOfAll(definition, record, numbers);
        if (!referrers.empty()) {
            // Which of the records going are named from outside the deletion.
            std::vector<NamedRecord> named;
            for (const int number : numbers) {
                const std::vector<TextLocation> own = referrersOfAll(definition, record, {number});
                const bool isNamed = std::any_of(own.begin(), own.end(), [&](const TextLocation& where) {
                    return std::find(referrers.begin(), referrers.end(), where) != referrers.end();
                });
                if (isNamed) {
                    const auto index = static_cast<std::size_t>(number - 1);
                    named.push_back({number, record == ReferencedRecord::Parameter
                                                 ? definition.parameters[index].name
                                                 : definition.results[index].name});
                }
            }
            const QString question =
                deleteRecordsQuestion(record, named, static_cast<int>(rows.size()), referrers);
            if (services_.messageBox == nullptr ||
                services_.messageBox->askYesNo(&window_, question, texts::savePromptCaption,
                                               MessageAnswer::No) != MessageAnswer::Yes) {
                return false;
            }
        }
    }
    return document_.removeRecords(target, rows);
}

bool ListClipboard::cut(CellGrid& list) {
    return copy(list) && removeSelected(list);
}

void ListClipboard::refuse(const QString& text) {
    if (services_.messageBox != nullptr) {
        services_.messageBox->showError(&window_, text, caption);
    }
}

void ListClipboard::inform(const QString& text) {
    if (services_.messageBox != nullptr) {
        services_.messageBox->showInformation(&window_, text, caption);
    }
}

} // namespace vornak
