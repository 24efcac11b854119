#include "DefinitionPrintout.h"

#include "FileProblemText.h"
#include "NativePath.h"
#include "PrintoutContent.h"
#include "PrintoutPages.h"
#include "TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

namespace vornak {

DefinitionPrintout::DefinitionPrintout(const ReportDefinition& definition, QString fileName, QDateTime saved,
                                       bool unsaved)
    : definition_(definition), fileName_(std::move(fileName)), saved_(std::move(saved)), unsaved_(unsaved) {
}

DefinitionPrintout::~DefinitionPrintout() = default;

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
    return printoutPlainText(printoutContent(definition_));
}

bool DefinitionPrintout::print(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    QFont footerFont(QStringLiteral("Liberation Serif"));
    footerFont.setPointSizeF(8);
    const QFontMetricsF footerMetrics(footerFont, &device);
    // Room for a footer of two lines (a long file name wraps) under a rule.
    const double footerHeight = footerMetrics.height() * 2 + footerMetrics.height() / 2;
    const QSizeF body(page.width(), page.height() - footerHeight);
    const PrintoutPages pages(printoutContent(definition_), device, body);
    pageCount_ = pages.pageCount();
    QTextOption footerOption(Qt::AlignLeft | Qt::AlignTop);
    footerOption.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (int index = 0; index < pages.pageCount(); ++index) {
        if (index > 0) {
            device.newPage();
        }
        pages.paint(painter, index);
        painter.setFont(footerFont);
        const double rule = body.height() + footerMetrics.height() / 4;
        painter.drawLine(QPointF(0, rule), QPointF(body.width(), rule));
        painter.drawText(
            QRectF(0, rule + footerMetrics.height() / 4, body.width(), footerMetrics.height() * 2),
            footerText(index + 1, pages.pageCount()), footerOption);
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
