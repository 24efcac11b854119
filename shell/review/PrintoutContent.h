// What the printout of a definition says, in reading order, before any page exists: headings,
// paragraphs and tables (a header row, the columns' shares of the width, the rows).
#pragma once

#include "ReportDefinition.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vornak {

struct PrintoutBlock {
    enum class Kind { Title, Heading, Paragraph, Table };

    Kind kind = Kind::Paragraph;
    // Title, heading and paragraph: the text.
    QString text;
    // Table: one share of the width per column (they add up to 1), the header and the rows.
    std::vector<double> columnShares;
    QStringList header;
    std::vector<QStringList> rows;
};

// The printout of `definition`: its title, the nine report texts, each parameter with its kind,
// flags, formula and value table, and the result table.
std::vector<PrintoutBlock> printoutContent(const ReportDefinition& definition);

// The blocks as plain text, one line per heading, paragraph and table row (cells split by tabs).
QString printoutPlainText(const std::vector<PrintoutBlock>& blocks);

} // namespace vornak
