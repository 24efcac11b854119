#include "PrintoutPages.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace vornak {

namespace {

const QString fontFamily = QStringLiteral("Liberation Serif");

QFont font(double points, bool bold) {
    QFont f(fontFamily);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

double lineHeight(const QTextLayout& layout, int line) {
    return layout.lineAt(line).height();
}

} // namespace

PrintoutPages::PrintoutPages(const std::vector<PrintoutBlock>& blocks, const QPaintDevice& device,
                             QSizeF body)
    : device_(device), body_(body), dpi_(device.logicalDpiY()), bodyFont_(font(10, false)),
      boldFont_(font(10, true)), titleFont_(font(13, true)), headingFont_(font(11, true)) {
    padding_ = px(2.5);
    lineHeight_ = laidOut(QStringLiteral("Ж"), bodyFont_, body_.width())->lineAt(0).height();
    layouts_.clear();
    layouts_.reserve(blocks.size() * 8);
    newPage();
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        const PrintoutBlock& block = blocks[index];
        if (block.kind == PrintoutBlock::Kind::Table) {
            placeTable(block);
            continue;
        }
        // A heading or the line over a table stays with the start of what follows it.
        const bool beforeMore = index + 1 < blocks.size();
        placeText(block, beforeMore ? 3 * lineHeight_ + 4 * padding_ : 0);
    }
}

PrintoutPages::~PrintoutPages() = default;

double PrintoutPages::px(double points) const {
    return points * dpi_ / 72.0;
}

const QTextLayout* PrintoutPages::laidOut(const QString& text, const QFont& font, double width) {
    auto layout = std::make_unique<QTextLayout>(text, font, &device_);
    QTextOption option;
    // A word longer than its column breaks anywhere rather than running past the edge.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    double y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(std::max(width, 1.0));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    layouts_.push_back(std::move(layout));
    return layouts_.back().get();
}

void PrintoutPages::newPage() {
    pages_.emplace_back();
    y_ = 0;
}

void PrintoutPages::placeText(const PrintoutBlock& block, double keepWithNext) {
    const bool title = block.kind == PrintoutBlock::Kind::Title;
    const bool heading = block.kind == PrintoutBlock::Kind::Heading;
    const QFont& f = title ? titleFont_ : heading ? headingFont_ : bodyFont_;
    const QTextLayout* layout = laidOut(block.text, f, body_.width());
    const double space = title ? 0 : px(heading ? 8 : 2);
    double height = 0;
    for (int line = 0; line < layout->lineCount(); ++line) {
        height += lineHeight(*layout, line);
    }
    if (!pageEmpty()) {
        if (y_ + space + std::min(height, body_.height()) + keepWithNext > body_.height()) {
            newPage();
        } else {
            y_ += space;
        }
    }
    for (int line = 0; line < layout->lineCount(); ++line) {
        const double h = lineHeight(*layout, line);
        if (y_ + h > body_.height() && !pageEmpty()) {
            newPage();
        }
        const QTextLine textLine = layout->lineAt(line);
        pages_.back().lines.push_back({layout, line, QPointF(0, y_ - textLine.y())});
        y_ += h;
    }
}

PrintoutPages::Row PrintoutPages::tableRow(const QStringList& texts, const QFont& font, const Table& table) {
    Row row;
    row.cells.reserve(table.width.size());
    double tallest = 0;
    for (std::size_t column = 0; column < table.width.size(); ++column) {
        const QString text = texts.value(static_cast<qsizetype>(column));
        const QTextLayout* layout = laidOut(text, font, table.width[column] - 2 * padding_);
        double height = 0;
        for (int line = 0; line < layout->lineCount(); ++line) {
            height += lineHeight(*layout, line);
        }
        tallest = std::max(tallest, height);
        row.cells.push_back(layout);
    }
    row.height = tallest + 2 * padding_;
    return row;
}

void PrintoutPages::placeTable(const PrintoutBlock& block) {
    Table table;
    double left = 0;
    for (const double share : block.columnShares) {
        table.left.push_back(left);
        table.width.push_back(share * body_.width());
        left += share * body_.width();
    }
    table.header = tableRow(block.header, boldFont_, table);
    std::vector<Row> rows;
    rows.reserve(block.rows.size());
    for (const QStringList& texts : block.rows) {
        rows.push_back(tableRow(texts, bodyFont_, table));
    }
    // The header does not stand alone at the foot of a page.
    const double firstRow = rows.empty() ? 0 : std::min(rows.front().height, 2 * lineHeight_ + 2 * padding_);
    if (!pageEmpty()) {
        const double space = px(2);
        if (y_ + space + table.header.height + firstRow > body_.height()) {
            newPage();
        } else {
            y_ += space;
        }
    }
    table.segmentTop = y_;
    table.rowBottoms.clear();
    std::vector<int> next(table.width.size(), 0);
    placeRowLines(table, table.header, next, true);
    for (const Row& row : rows) {
        placeRow(table, row);
    }
    closeSegment(table);
}

void PrintoutPages::placeRow(Table& table, const Row& row) {
    std::vector<int> next(row.cells.size(), 0);
    const bool fitsHere = y_ + row.height <= body_.height();
    const bool fitsOnAPage = table.header.height + row.height <= body_.height();
    if (!fitsHere && fitsOnAPage) {
        breakTablePage(table);
    }
    for (;;) {
        // On a page that holds only the header, at least one line goes on, so that every row ends.
        const bool onlyHeader = table.rowBottoms.size() == 1 && table.segmentTop <= 0;
        placeRowLines(table, row, next, onlyHeader);
        bool rest = false;
        for (std::size_t cell = 0; cell < row.cells.size(); ++cell) {
            rest = rest || next[cell] < row.cells[cell]->lineCount();
        }
        if (!rest) {
            return;
        }
        breakTablePage(table);
    }
}

// Places as many further lines of each cell of `row` as the page has room for (at least one when
// `force`); the row's part on this page ends with a rule.
void PrintoutPages::placeRowLines(Table& table, const Row& row, std::vector<int>& next, bool force) {
    const double room = body_.height() - y_ - 2 * padding_;
    std::vector<int> until(next);
    double tallest = 0;
    bool any = false;
    for (std::size_t cell = 0; cell < row.cells.size(); ++cell) {
        const QTextLayout& layout = *row.cells[cell];
        double height = 0;
        int line = next[cell];
        while (line < layout.lineCount() &&
               (height + lineHeight(layout, line) <= room || (force && line == next[cell]))) {
            height += lineHeight(layout, line);
            ++line;
        }
        until[cell] = line;
        any = any || line > next[cell];
        tallest = std::max(tallest, height);
    }
    if (!any) {
        bool rest = false;
        for (std::size_t cell = 0; cell < row.cells.size(); ++cell) {
            rest = rest || next[cell] < row.cells[cell]->lineCount();
        }
        if (rest) {
            return;
        }
    }
    Page& page = pages_.back();
    for (std::size_t cell = 0; cell < row.cells.size(); ++cell) {
        const QTextLayout* layout = row.cells[cell];
        double top = y_ + padding_;
        for (int line = next[cell]; line < until[cell]; ++line) {
            const QTextLine textLine = layout->lineAt(line);
            page.lines.push_back({layout, line, QPointF(table.left[cell] + padding_, top - textLine.y())});
            top += textLine.height();
        }
    }
    next = until;
    y_ += tallest + 2 * padding_;
    table.rowBottoms.push_back(y_);
}

void PrintoutPages::breakTablePage(Table& table) {
    closeSegment(table);
    newPage();
    table.segmentTop = y_;
    table.rowBottoms.clear();
    std::vector<int> next(table.width.size(), 0);
    placeRowLines(table, table.header, next, true);
}

// Rules around the rows the table has on this page.
void PrintoutPages::closeSegment(const Table& table) {
    if (table.rowBottoms.empty()) {
        return;
    }
    const double bottom = table.rowBottoms.back();
    const double right = table.left.back() + table.width.back();
    QList<QLineF>& rules = pages_.back().rules;
    rules.append(QLineF(0, table.segmentTop, right, table.segmentTop));
    for (const double y : table.rowBottoms) {
        rules.append(QLineF(0, y, right, y));
    }
    for (const double x : table.left) {
        rules.append(QLineF(x, table.segmentTop, x, bottom));
    }
    rules.append(QLineF(right, table.segmentTop, right, bottom));
}

QString PrintoutPages::pageText(int page) const {
    QString text;
    for (const PlacedLine& placed : pages_.at(static_cast<std::size_t>(page)).lines) {
        const QTextLine line = placed.layout->lineAt(placed.line);
        text += placed.layout->text().mid(line.textStart(), line.textLength()) + QLatin1Char('\n');
    }
    return text;
}

bool PrintoutPages::staysInside(int page) const {
    const double slack = 0.5;
    for (const PlacedLine& placed : pages_.at(static_cast<std::size_t>(page)).lines) {
        const QTextLine line = placed.layout->lineAt(placed.line);
        const QRectF box = line.naturalTextRect().translated(placed.origin);
        if (box.top() < -slack || box.bottom() > body_.height() + slack || box.left() < -slack ||
            box.right() > body_.width() + slack) {
            return false;
        }
    }
    for (const QLineF& rule : pages_.at(static_cast<std::size_t>(page)).rules) {
        if (std::max(rule.y1(), rule.y2()) > body_.height() + slack ||
            std::max(rule.x1(), rule.x2()) > body_.width() + slack) {
            return false;
        }
    }
    return true;
}

void PrintoutPages::paint(QPainter& painter, int page) const {
    const Page& content = pages_.at(static_cast<std::size_t>(page));
    painter.setPen(QPen(Qt::black, px(0.5)));
    for (const PlacedLine& placed : content.lines) {
        placed.layout->lineAt(placed.line).draw(&painter, placed.origin);
    }
    painter.drawLines(content.rules);
}

} // namespace vornak
