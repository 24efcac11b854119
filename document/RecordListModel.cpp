#include "RecordListModel.h"

#include "ChangedCells.h"
#include "DefinitionDocument.h"
#include "EditText.h"
#include "RecordClipboard.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace vornak {

namespace {

// Rows dragged from a list carry where they come from: the process, the model and its list, so
// that a drop back onto the same list moves them instead of copying.
const QString draggedRowsType = QStringLiteral("application/x-vornak-dragged-rows");

QByteArray origin(const void* model, const RecordList& list) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(reinterpret_cast<quintptr>(model), 16) + ' ' +
           QByteArray::number(static_cast<int>(list.kind)) + ' ' + QByteArray::number(list.parameter);
}

std::vector<int> rowsOf(const QModelIndexList& indexes) {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid()) {
            rows.push_back(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace

RecordListModel::RecordListModel(DefinitionDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
    connect(&document, &DefinitionDocument::textChanged, this, [this](const TextLocation& where) {
        const int row = rowOf(where);
        const int column = columnOf(where.field);
        if (row >= 0 && column >= 0) {
            const QModelIndex cell = index(row, column);
            emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
        }
    });
    // Many texts at once: one change over the rows and columns they span.
    connect(&document, &DefinitionDocument::textsChanged, this,
            [this](const std::vector<TextLocation>& where) {
                announceChangedCells(*this, where, [this](const TextLocation& one) {
                    const int row = rowOf(one);
                    return std::pair(row, row >= 0 ? columnOf(one.field) : -1);
                });
            });
}

int RecordListModel::columnOf(TextField field) const {
    const std::span<const RecordColumn> shown = columns();
    for (std::size_t column = 0; column < shown.size(); ++column) {
        if (shown[column].field == field) {
            return static_cast<int>(column);
        }
    }
    return -1;
}

void RecordListModel::beginRowChange(const RecordChange& change) {
    switch (change.type) {
    case RecordChange::Type::Insert:
        beginInsertRows({}, change.first, change.last());
        break;
    case RecordChange::Type::Remove:
        beginRemoveRows({}, change.first, change.last());
        break;
    case RecordChange::Type::Move:
        beginMoveRows({}, change.first, change.last(), {},
                      change.to > change.first ? change.to + change.count : change.to);
        break;
    }
}

void RecordListModel::endRowChange(const RecordChange& change) {
    switch (change.type) {
    case RecordChange::Type::Insert:
        endInsertRows();
        break;
    case RecordChange::Type::Remove:
        endRemoveRows();
        break;
    case RecordChange::Type::Move:
        endMoveRows();
        break;
    }
}

std::optional<TextLocation> RecordListModel::locationOf(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return std::nullopt;
    }
    const std::optional<TextField> field = columns()[static_cast<std::size_t>(index.column())].field;
    if (!field) {
        return std::nullopt;
    }
    return locationIn(list(), index.row(), *field);
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || columns().empty()) {
        return 0;
    }
    return document_.recordCount(list());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns().size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(Qt::AlignLeft); // views read it with toInt()
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const std::optional<TextLocation> where = locationOf(index);
    if (!where) {
        return QString::number(index.row() + 1);
    }
    return displayText(textAt(document_.definition(), *where));
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const RecordList shown = list();
    if (role != Qt::DisplayRole || section < 0 || (shown.kind == RecordKind::ValueRow && shown.parameter < 0)) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return QString::number(section + 1);
    }
    const std::span<const RecordColumn> laidOut = columns();
    if (static_cast<std::size_t>(section) >= laidOut.size()) {
        return {};
    }
    return laidOut[static_cast<std::size_t>(section)].heading;
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        // Rows are dropped between rows and below the last, never onto a cell.
        return columns().empty() ? Qt::NoItemFlags : Qt::ItemIsDropEnabled;
    }
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
                          Qt::ItemIsDragEnabled;
    if (columns()[static_cast<std::size_t>(index.column())].field) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool RecordListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const std::optional<TextLocation> where = locationOf(index);
    if (role != Qt::EditRole || !where) {
        return false;
    }
    return document_.setCell(*where, value.toString());
}

QStringList RecordListModel::mimeTypes() const {
    return {QStringLiteral("text/plain"), QStringLiteral("text/html"), QString::fromLatin1(parametersMimeType),
            draggedRowsType};
}

std::unique_ptr<QMimeData> RecordListModel::copyRows(const std::vector<int>& rows) const {
    return copiedRows(document_.definition(), list(), rows);
}

QMimeData* RecordListModel::mimeData(const QModelIndexList& indexes) const {
    const std::vector<int> rows = rowsOf(indexes);
    std::unique_ptr<QMimeData> data = copyRows(rows);
    if (data == nullptr) {
        return nullptr;
    }
    QByteArray dragged = origin(this, list());
    for (const int row : rows) {
        dragged += ' ' + QByteArray::number(row);
    }
    data->setData(draggedRowsType, dragged);
    return data.release();
}

std::optional<std::vector<int>> RecordListModel::ownDraggedRows(const QMimeData* data) const {
    if (data == nullptr || !data->hasFormat(draggedRowsType)) {
        return std::nullopt;
    }
    const QByteArray mark = origin(this, list());
    const QByteArray dragged = data->data(draggedRowsType);
    if (!dragged.startsWith(mark + ' ')) {
        return std::nullopt;
    }
    std::vector<int> rows;
    for (const QByteArray& part : dragged.mid(mark.size() + 1).split(' ')) {
        bool number = false;
        const int row = part.toInt(&number);
        if (!number) {
            return std::nullopt;
        }
        rows.push_back(row);
    }
    return rows; // the document checks them against the list
}

Qt::DropActions RecordListModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions RecordListModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

namespace {

// Files dragged from a file manager are opened by the form wherever they land; their names are no
// rows (Qt counts a URL list as text).
bool carriesFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

bool RecordListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int /*row*/,
                                      int /*column*/, const QModelIndex& /*parent*/) const {
    return (action == Qt::CopyAction || action == Qt::MoveAction) && !columns().empty() && !carriesFiles(data) &&
           offersRows(data);
}

bool RecordListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                   const QModelIndex& parent) {
    if (action == Qt::IgnoreAction) {
        return true;
    }
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    // Onto a row: in front of it; onto the empty space below the rows: at the end.
    const int count = rowCount();
    int destination = row >= 0 ? row : (parent.isValid() ? parent.row() : count);
    destination = std::clamp(destination, 0, count);

    if (const std::optional<std::vector<int>> own = ownDraggedRows(data)) {
        const std::vector<int> moved = document_.moveRecordsTo(list(), *own, destination);
        if (!moved.empty()) {
            emit rowsPlaced(moved);
        }
        return !moved.empty();
    }
    const RowTransfer transfer = pasteRows(data, destination);
    if (!transfer.refusal.isEmpty()) {
        emit refused(transfer.refusal);
    }
    if (transfer.placed.empty()) {
        return false;
    }
    emit rowsPlaced(transfer.placed);
    if (!transfer.note.isEmpty()) {
        emit noted(transfer.note);
    }
    return true;
}

RowTransfer RecordListModel::pasteRows(const QMimeData* data, int row) {
    if (columns().empty()) {
        return {};
    }
    return insertOfferedRows(document_, list(), row, data);
}

} // namespace vornak
