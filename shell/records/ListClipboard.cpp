#include "ListClipboard.h"

#include "CellGrid.h"
#include "DefinitionDocument.h"
#include "DeleteRecordsQuestion.h"
#include "MessageBox.h"
#include "RecordListModel.h"
#include "RowSelection.h"
#include "Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <algorithm>

namespace vornak {

namespace {

const QString caption = QStringLiteral("Vornak");

} // namespace

ListClipboard::ListClipboard(DefinitionDocument& document, const PlatformServices& services,
                             CellGrid& parameters, CellGrid& values, CellGrid& results,
                             std::function<int()> shownParameter, QWidget& window)
    : QObject(&window), document_(document), services_(services), parameters_(parameters), values_(values),
      results_(results), shownParameter_(std::move(shownParameter)), window_(window) {
    for (CellGrid* list : {&parameters_, &values_, &results_}) {
        followDrops(*list);
    }
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

RecordListModel* ListClipboard::modelOf(const CellGrid& list) {
    return qobject_cast<RecordListModel*>(list.model());
}

bool ListClipboard::copy(CellGrid& list) {
    const std::vector<int> rows = selectedRows(list);
    RecordListModel* model = modelOf(list);
    if (rows.empty() || model == nullptr) {
        return false;
    }
    std::unique_ptr<QMimeData> data = model->copyRows(rows);
    if (data == nullptr) {
        return false;
    }
    QGuiApplication::clipboard()->setMimeData(data.release());
    return true;
}

bool ListClipboard::paste(CellGrid& list) {
    return paste(list, QGuiApplication::clipboard()->mimeData());
}

bool ListClipboard::paste(CellGrid& list, const QMimeData* data) {
    RecordListModel* model = modelOf(list);
    if (model == nullptr) {
        return false;
    }
    // Below the last selected row, or at the end.
    const std::vector<int> selected = selectedRows(list);
    const int position = selected.empty() ? model->rowCount() : selected.back() + 1;
    const RowTransfer transfer = model->pasteRows(data, position);
    report(list, transfer);
    return !transfer.placed.empty();
}

void ListClipboard::report(CellGrid& list, const RowTransfer& transfer) {
    if (!transfer.refusal.isEmpty()) {
        refuse(transfer.refusal);
    }
    if (!transfer.placed.empty()) {
        selectRows(list, transfer.placed);
    }
    if (!transfer.note.isEmpty()) {
        inform(transfer.note);
    }
}

void ListClipboard::followDrops(CellGrid& list) {
    RecordListModel* model = modelOf(list);
    if (model == nullptr) {
        return;
    }
    // The dropped rows become the selection; a message waits until the drag is over.
    connect(model, &RecordListModel::rowsPlaced, this, [&list](const std::vector<int>& rows) {
        list.setFocus(Qt::OtherFocusReason);
        selectRows(list, rows);
    });
    connect(model, &RecordListModel::refused, this, &ListClipboard::refuse, Qt::QueuedConnection);
    connect(model, &RecordListModel::noted, this, &ListClipboard::inform, Qt::QueuedConnection);
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
