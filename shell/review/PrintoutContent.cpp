#include "PrintoutContent.h"

#include "TextCodec.h"
#include "Texts.h"

namespace vornak {

namespace {

const char* const reportTextNames[] = {"Заголовок", "Документ", "Ввод 1",      "Ввод 2", "Фамилия",
                                       "Автор",     "Источник", "Организация", "Дата"};

QString kindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::List:
        return texts::kindList;
    case ValueKind::Range:
        return texts::kindRange;
    case ValueKind::Input:
        return texts::kindInput;
    }
    return QStringLiteral("код %1").arg(static_cast<int>(kind));
}

QString text(const std::string& bytes) {
    return TextCodec::decode(bytes);
}

QString yesNo(int flag) {
    return flag != 0 ? QStringLiteral("да") : QStringLiteral("нет");
}

PrintoutBlock heading(PrintoutBlock::Kind kind, QString text) {
    PrintoutBlock block;
    block.kind = kind;
    block.text = std::move(text);
    return block;
}

// A numbered table: the row number takes little room, the texts share the rest.
PrintoutBlock numberedTable(QStringList header, std::vector<QStringList> rows) {
    PrintoutBlock block;
    block.kind = PrintoutBlock::Kind::Table;
    const double first = 0.06;
    block.columnShares.push_back(first);
    for (qsizetype column = 1; column < header.size(); ++column) {
        block.columnShares.push_back((1.0 - first) / static_cast<double>(header.size() - 1));
    }
    block.header = std::move(header);
    block.rows = std::move(rows);
    return block;
}

PrintoutBlock parameterTable(const ParameterRecord& parameter) {
    std::vector<QStringList> rows;
    rows.reserve(parameter.values.size());
    int row = 0;
    for (const ValueRow& value : parameter.values) {
        ++row;
        if (parameter.kind == ValueKind::Range) {
            rows.push_back(
                {QString::number(row), text(value.value), text(value.upperBound), text(value.result)});
        } else {
            rows.push_back({QString::number(row), text(value.value), text(value.result)});
        }
    }
    if (parameter.kind == ValueKind::Range) {
        return numberedTable(
            {texts::columnNumber, texts::columnLowerBound, texts::columnUpperBound, texts::columnResult},
            std::move(rows));
    }
    return numberedTable({texts::columnNumber,
                          parameter.kind == ValueKind::Input ? texts::columnInitialValue : texts::columnValue,
                          texts::columnResult},
                         std::move(rows));
}

} // namespace

std::vector<PrintoutBlock> printoutContent(const ReportDefinition& definition) {
    std::vector<PrintoutBlock> blocks;
    blocks.reserve(definition.parameters.size() * 3 + 6);
    const QString title = text(definition.title);
    blocks.push_back(
        heading(PrintoutBlock::Kind::Title, title.isEmpty() ? QStringLiteral("Определение отчета") : title));

    blocks.push_back(heading(PrintoutBlock::Kind::Heading, QStringLiteral("Тексты отчета")));
    PrintoutBlock reportTexts;
    reportTexts.kind = PrintoutBlock::Kind::Table;
    // A field's name beside its text.
    reportTexts.columnShares = {0.22, 0.78};
    reportTexts.header = QStringList{QStringLiteral("Поле"), QStringLiteral("Текст")};
    const std::string* const fields[] = {
        &definition.title,         &definition.documentFile,   &definition.input1Caption,
        &definition.input2Caption, &definition.surnameCaption, &definition.author,
        &definition.source,        &definition.organisation,   &definition.date};
    for (int i = 0; i < 9; ++i) {
        reportTexts.rows.push_back({QString::fromUtf8(reportTextNames[i]), text(*fields[i])});
    }
    blocks.push_back(std::move(reportTexts));

    blocks.push_back(heading(PrintoutBlock::Kind::Heading,
                             QStringLiteral("Параметры: %1").arg(definition.parameters.size())));
    int number = 0;
    for (const ParameterRecord& parameter : definition.parameters) {
        ++number;
        blocks.push_back(heading(PrintoutBlock::Kind::Heading,
                                 QStringLiteral("Параметр %1. %2").arg(number).arg(text(parameter.name))));
        QString line =
            QStringLiteral("Вид: %1; число: %2; формула: %3")
                .arg(kindName(parameter.kind), yesNo(parameter.isNumber), yesNo(parameter.hasFormula));
        if (!parameter.formula.empty()) {
            line += QStringLiteral(" — ") + text(parameter.formula);
        }
        blocks.push_back(heading(PrintoutBlock::Kind::Paragraph, line));
        blocks.push_back(parameterTable(parameter));
    }

    blocks.push_back(heading(PrintoutBlock::Kind::Heading,
                             QStringLiteral("Результаты: %1").arg(definition.results.size())));
    std::vector<QStringList> results;
    results.reserve(definition.results.size());
    number = 0;
    for (const ResultRow& result : definition.results) {
        results.push_back({QString::number(++number), text(result.name), text(result.result)});
    }
    blocks.push_back(
        numberedTable({texts::columnNumber, texts::columnName, texts::columnResult}, std::move(results)));
    return blocks;
}

QString printoutPlainText(const std::vector<PrintoutBlock>& blocks) {
    QString plain;
    for (const PrintoutBlock& block : blocks) {
        if (block.kind != PrintoutBlock::Kind::Table) {
            plain += block.text + QLatin1Char('\n');
            continue;
        }
        plain += block.header.join(QLatin1Char('\t')) + QLatin1Char('\n');
        for (const QStringList& row : block.rows) {
            plain += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
    }
    return plain;
}

} // namespace vornak
