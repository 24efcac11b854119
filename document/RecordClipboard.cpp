#include "RecordClipboard.h"

namespace vornak {

std::unique_ptr<QMimeData> recordsMimeData(const CellRows& rows,
                                           const std::vector<ParameterRecord>* parameters) {
    auto data = std::make_unique<QMimeData>();
    data->setText(toTabSeparated(rows));
    data->setHtml(toHtmlTable(rows));
    if (parameters != nullptr) {
        const std::string bytes = serializeParameters(*parameters);
        data->setData(QString::fromLatin1(parametersMimeType),
                      QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    return data;
}

bool canPasteRecords(const QMimeData* data) {
    return data != nullptr &&
           (data->hasText() || data->hasHtml() || data->hasFormat(QString::fromLatin1(parametersMimeType)));
}

std::optional<ParameterTransfer> pastedParameters(const QMimeData* data) {
    const QString type = QString::fromLatin1(parametersMimeType);
    if (data == nullptr || !data->hasFormat(type)) {
        return std::nullopt;
    }
    const QByteArray bytes = data->data(type);
    return parseParameters(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

TableRead pastedRows(const QMimeData* data, const TableBudget& budget) {
    if (data == nullptr) {
        return {};
    }
    return rowsFromClipboard(data->hasText() ? data->text() : QString(),
                             data->hasHtml() ? data->html() : QString(), budget);
}

} // namespace vornak
