// A definition printed on paper or to PDF: the nine report texts, each parameter with its kind,
// flags, formula and value table, and the result table; tables that run over a page repeat their
// header row, and every page has a footer with the file's name, when it was saved and the page
// number. The print preview, the print dialog and `vornak --print-pdf` all use it.
#pragma once

#include "ReportDefinition.h"

#include <QDateTime>
#include <QString>

class QPagedPaintDevice;

namespace vornak {

class DefinitionPrintout {
public:
    // fileName: what the footer calls the file ("Без имени" when empty); saved: when the file was
    // last written (invalid: not saved yet); unsaved: the document has changes the file lacks.
    DefinitionPrintout(const ReportDefinition& definition, QString fileName, QDateTime saved, bool unsaved);
    ~DefinitionPrintout();

    // Lays the printout out for the device's pages and paints them all. False when the device
    // cannot be painted on (a PDF file that cannot be created).
    bool print(QPagedPaintDevice& device) const;
    // How many pages the last print took (0 before the first).
    int pageCount() const { return pageCount_; }
    // The body's text in reading order, one line per heading, paragraph and table row.
    QString plainText() const;
    // The footer of page `page` (from 1) of `pages`.
    QString footerText(int page, int pages) const;

private:
    const ReportDefinition& definition_;
    QString fileName_;
    QDateTime saved_;
    bool unsaved_;
    mutable int pageCount_ = 0;
};

// `vornak --print-pdf IN OUT`: reads IN and writes its printout to OUT as PDF. False and `error`
// (Russian) when IN cannot be read or OUT cannot be written.
bool printDefinitionToPdf(const QByteArray& inPath, const QString& outPath, QString& error);

} // namespace vornak
