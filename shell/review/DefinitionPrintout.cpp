#include "DefinitionPrintout.h"

#include "FileProblemText.h"
#include "NativePath.h"
#include "TextCodec.h"
#include "Texts.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

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

// A table with a repeated, bold header row and the given rows.
void addTable(QTextCursor& cursor, const QStringList& header, const std::vector<QStringList>& rows) {
    QTextTableFormat format;
    format.setHeaderRowCount(1);
    format.setBorder(0.5);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    // The row number takes little room; the texts share the rest.
    // A field's name likewise beside its text.
    QList<QTextLength> widths;
    const bool narrowFirst = header.value(0) == texts::columnNumber || header.size() == 2;
    const double first = header.size() == 2 ? 22.0 : 6.0;
    for (int column = 0; column < header.size(); ++column) {
        const double share = narrowFirst ? (column == 0 ? first : (100.0 - first) / (header.size() - 1))
                                         : 100.0 / header.size();
        widths << QTextLength(QTextLength::PercentageLength, share);
    }
    format.setColumnWidthConstraints(widths);
    QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()) + 1, static_cast<int>(header.size()), format);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (int column = 0; column < header.size(); ++column) {
        QTextCursor cell = table->cellAt(0, column).firstCursorPosition();
        cell.insertText(header[column], bold);
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size(); ++column) {
            table->cellAt(static_cast<int>(row) + 1, column).firstCursorPosition().insertText(rows[row][column]);
        }
    }
    cursor.movePosition(QTextCursor::End);
}

} // namespace

DefinitionPrintout::DefinitionPrintout(const ReportDefinition& definition, QString fileName, QDateTime saved,
                                       bool unsaved)
    : definition_(definition), fileName_(std::move(fileName)), saved_(std::move(saved)), unsaved_(unsaved) {
}

DefinitionPrintout::~DefinitionPrintout() = default;

void DefinitionPrintout::build() {
    document_ = std::make_unique<QTextDocument>();
    document_->setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 10));
    document_->setDocumentMargin(0);
    QTextCursor cursor(document_.get());
    QTextCharFormat plain;
    QTextCharFormat heading;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(13);
    QTextCharFormat subheading;
    subheading.setFontWeight(QFont::Bold);
    subheading.setFontPointSize(11);
    QTextBlockFormat spaced;
    spaced.setTopMargin(8);

    cursor.setBlockFormat(spaced);
    const QString title = text(definition_.title);
    cursor.insertText(title.isEmpty() ? QStringLiteral("Определение отчета") : title, heading);

    cursor.insertBlock(spaced);
    cursor.insertText(QStringLiteral("Тексты отчета"), subheading);
    cursor.insertBlock();
    std::vector<QStringList> reportRows;
    const std::string* const texts[] = {&definition_.title,         &definition_.documentFile,
                                        &definition_.input1Caption, &definition_.input2Caption,
                                        &definition_.surnameCaption, &definition_.author,
                                        &definition_.source,        &definition_.organisation,
                                        &definition_.date};
    for (int i = 0; i < 9; ++i) {
        reportRows.push_back({QString::fromUtf8(reportTextNames[i]), text(*texts[i])});
    }
    addTable(cursor, {QStringLiteral("Поле"), QStringLiteral("Текст")}, reportRows);

    cursor.insertBlock(spaced);
    cursor.insertText(QStringLiteral("Параметры: %1").arg(definition_.parameters.size()), subheading);
    int number = 0;
    for (const ParameterRecord& parameter : definition_.parameters) {
        ++number;
        cursor.insertBlock(spaced);
        cursor.insertText(QStringLiteral("Параметр %1. %2").arg(number).arg(text(parameter.name)), subheading);
        cursor.insertBlock();
        QString line = QStringLiteral("Вид: %1; число: %2; формула: %3")
                           .arg(kindName(parameter.kind), parameter.isNumber != 0 ? QStringLiteral("да")
                                                                                  : QStringLiteral("нет"),
                                parameter.hasFormula != 0 ? QStringLiteral("да") : QStringLiteral("нет"));
        if (!parameter.formula.empty()) {
            line += QStringLiteral(" — ") + text(parameter.formula);
        }
        cursor.insertText(line, plain);
        cursor.insertBlock();
        std::vector<QStringList> rows;
        rows.reserve(parameter.values.size());
        int row = 0;
        for (const ValueRow& value : parameter.values) {
            ++row;
            if (parameter.kind == ValueKind::Range) {
                rows.push_back({QString::number(row), text(value.value), text(value.upperBound), text(value.result)});
            } else {
                rows.push_back({QString::number(row), text(value.value), text(value.result)});
            }
        }
        if (parameter.kind == ValueKind::Range) {
            addTable(cursor, {texts::columnNumber, texts::columnLowerBound, texts::columnUpperBound, texts::columnResult},
                     rows);
        } else {
            addTable(cursor,
                     {texts::columnNumber,
                      parameter.kind == ValueKind::Input ? texts::columnInitialValue : texts::columnValue,
                      texts::columnResult},
                     rows);
        }
    }

    cursor.insertBlock(spaced);
    cursor.insertText(QStringLiteral("Результаты: %1").arg(definition_.results.size()), subheading);
    cursor.insertBlock();
    std::vector<QStringList> results;
    number = 0;
    for (const ResultRow& result : definition_.results) {
        results.push_back({QString::number(++number), text(result.name), text(result.result)});
    }
    addTable(cursor, {texts::columnNumber, texts::columnName, texts::columnResult}, results);
}

QString DefinitionPrintout::footerText(int page, int pages) const {
    QString file = fileName_.isEmpty() ? QStringLiteral("Без имени") : fileName_;
    if (saved_.isValid()) {
        file += QStringLiteral(", сохранен %1").arg(saved_.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    }
    if (unsaved_) {
        file += QStringLiteral(" (с несохраненными изменениями)");
    }
    return QStringLiteral("%1 — страница %2 из %3").arg(file).arg(page).arg(pages);
}

QString DefinitionPrintout::plainText() const {
    if (!document_) {
        const_cast<DefinitionPrintout*>(this)->build();
    }
    return document_->toPlainText();
}

bool DefinitionPrintout::print(QPagedPaintDevice& device) const {
    auto* self = const_cast<DefinitionPrintout*>(this);
    self->build();
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    // Laid out in the device's own units, so that points are points on paper.
    document_->documentLayout()->setPaintDevice(&device);
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    QFont footerFont(QStringLiteral("Liberation Serif"), 8);
    footerFont.setPointSizeF(8);
    const QFontMetrics footerMetrics(footerFont, &device);
    const int footerHeight = footerMetrics.height() * 2;
    const QSizeF body(page.width(), page.height() - footerHeight);
    document_->setPageSize(body);
    const int pages = document_->pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            device.newPage();
        }
        painter.save();
        painter.translate(0, -index * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, index * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        document_->documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(footerFont);
        painter.drawLine(QPointF(0, body.height() + footerHeight / 4.0),
                         QPointF(body.width(), body.height() + footerHeight / 4.0));
        painter.drawText(QRectF(0, body.height() + footerHeight / 3.0, body.width(), footerHeight),
                         Qt::AlignLeft | Qt::AlignTop, footerText(index + 1, pages));
    }
    return painter.end();
}

bool printDefinitionToPdf(const QByteArray& inPath, const QString& outPath, QString& error) {
    ReportDefinition definition;
    const std::string path = corePath(inPath);
    if (!definition.load(path)) {
        error = QStringLiteral("Не удалось прочитать файл «%1»: %2")
                    .arg(displayPath(inPath), problemReason(definition.loadError()));
        return false;
    }
    const QFileInfo file(QFile::decodeName(inPath));
    QPdfWriter writer(outPath);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(TextCodec::decode(definition.title));
    writer.setCreator(QStringLiteral("Vornak"));
    const DefinitionPrintout printout(definition, displayFileName(inPath), file.lastModified(), false);
    if (!printout.print(writer)) {
        error = QStringLiteral("Не удалось записать файл «%1»").arg(outPath);
        return false;
    }
    return true;
}

} // namespace vornak
