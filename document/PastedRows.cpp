#include "PastedRows.h"

#include "ReportDefinition.h"

#include <QLocale>

#include <algorithm>

namespace vornak {

namespace {

// The first character of the text without a Windows-1251 byte, for the message.
QString firstUnencodable(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        if (!TextCodec::isEncodable(character)) {
            return character;
        }
        i += length - 1;
    }
    return {};
}

QString problemText(const PastedCellProblem& problem) {
    switch (problem.problem) {
    case DefinitionTextProblem::LineBreak:
        return QStringLiteral("в ячейке перевод строки, а строка файла определения не может его хранить");
    case DefinitionTextProblem::Unencodable:
        return QStringLiteral("знак «%1» нельзя записать в кодировке Windows-1251")
            .arg(firstUnencodable(problem.text));
    case DefinitionTextProblem::TooLong:
        return QStringLiteral("текст ячейки длиннее %1 байт").arg(maxLineBytes);
    case DefinitionTextProblem::None:
        break;
    }
    return {};
}

// "столбца", "столбцов" after a number.
QString columnsWord(int count) {
    const int lastTwo = count % 100;
    const int last = count % 10;
    if (last == 1 && lastTwo != 11) {
        return QStringLiteral("столбец");
    }
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
        return QStringLiteral("столбца");
    }
    return QStringLiteral("столбцов");
}

} // namespace

PastedRows fitPastedRows(const CellRows& rows, int columns) {
    PastedRows fitted;
    const auto kept = static_cast<qsizetype>(std::max(columns, 0));
    qsizetype widestWithText = kept;
    fitted.rows.reserve(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        for (qsizetype c = kept; c < row.size(); ++c) {
            if (!row[c].isEmpty()) {
                widestWithText = std::max(widestWithText, c + 1);
            }
        }
        QStringList cells = row.mid(0, kept);
        while (cells.size() < kept) {
            cells.append(QString());
        }
        for (qsizetype c = 0; c < kept && !fitted.refusal; ++c) {
            const DefinitionTextProblem problem = definitionTextProblem(cells[c]);
            if (problem != DefinitionTextProblem::None) {
                fitted.refusal =
                    PastedCellProblem{static_cast<int>(r) + 1, static_cast<int>(c) + 1, problem, cells[c]};
            }
        }
        fitted.rows.push_back(std::move(cells));
    }
    fitted.leftOutColumns = static_cast<int>(widestWithText - kept);
    if (fitted.refusal) {
        fitted.rows.clear();
    }
    return fitted;
}

QString pasteRefusalText(const PastedCellProblem& problem, const QStringList& columnTitles) {
    const qsizetype index = problem.column - 1;
    const QString column = index >= 0 && index < columnTitles.size()
                               ? QStringLiteral("столбец «%1»").arg(columnTitles[index])
                               : QStringLiteral("столбец %1").arg(problem.column);
    return QStringLiteral("Вставка отменена: строка %1, %2 — %3. Ничего не изменено.")
        .arg(problem.row)
        .arg(column, problemText(problem));
}

QString leftOutColumnsText(int leftOutColumns, int columns) {
    if (leftOutColumns <= 0) {
        return {};
    }
    return QStringLiteral("В списке %1 %2: лишние столбцы (%3) не вставлены.")
        .arg(columns)
        .arg(columnsWord(columns))
        .arg(leftOutColumns);
}

QString pasteTooLargeText(const TableBudget& budget) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    return QStringLiteral("Вставка отменена: таблица в буфере обмена слишком велика. Вставить можно не "
                          "больше %1 ячеек (объединенная ячейка считается по числу занятых ею мест) "
                          "и не больше %2 знаков текста. Ничего не изменено.")
        .arg(russian.toString(static_cast<qlonglong>(budget.maxCells)),
             russian.toString(static_cast<qlonglong>(budget.maxTextLength)));
}

QString inputOneRowText() {
    return QStringLiteral("Вставка отменена: у параметра с типом «Ввод» может быть только одна строка "
                          "значений.");
}

QString parameterTransferText(ParameterTransferProblem problem) {
    switch (problem) {
    case ParameterTransferProblem::None:
        return {};
    case ParameterTransferProblem::NotParameters:
    case ParameterTransferProblem::Damaged:
        return QStringLiteral("Вставка отменена: параметры в буфере обмена повреждены.");
    case ParameterTransferProblem::NewerVersion:
        return QStringLiteral("Вставка отменена: параметры скопированы более новой версией Vornak, "
                              "эта версия их не прочтёт.");
    }
    return {};
}

} // namespace vornak
