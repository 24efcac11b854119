// The printout's blocks laid out on pages of one size: every cell and paragraph is measured once
// for the paint device, pages are broken between lines, a table that runs over a page repeats its
// header row there, and a row taller than a page goes on over as many pages as its text needs.
#pragma once

#include "PrintoutContent.h"

#include <QFont>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;
class QTextLayout;

namespace vornak {

class PrintoutPages {
public:
    // body: the room for the text on a page, in the device's pixels.
    PrintoutPages(const std::vector<PrintoutBlock>& blocks, const QPaintDevice& device, QSizeF body);
    ~PrintoutPages();
    PrintoutPages(const PrintoutPages&) = delete;
    PrintoutPages& operator=(const PrintoutPages&) = delete;

    int pageCount() const { return static_cast<int>(pages_.size()); }
    // The text painted on page `page` (from 0), one line of a paragraph or a cell per line, in the
    // order it is painted.
    QString pageText(int page) const;
    // Whether anything painted on page `page` reaches below the body's height or past its width.
    bool staysInside(int page) const;
    // Paints page `page` with the painter's origin at the body's top left corner.
    void paint(QPainter& painter, int page) const;

private:
    struct PlacedLine {
        const QTextLayout* layout;
        int line;
        // Where the layout's origin goes so that the line lands in its place.
        QPointF origin;
    };
    struct Page {
        std::vector<PlacedLine> lines;
        QList<QLineF> rules;
    };
    struct Row {
        std::vector<const QTextLayout*> cells;
        double height = 0;
    };
    struct Table {
        std::vector<double> left;
        std::vector<double> width;
        Row header;
        // The page's part of the table so far: its top and the bottoms of its rows.
        double segmentTop = 0;
        std::vector<double> rowBottoms;
    };

    const QTextLayout* laidOut(const QString& text, const QFont& font, double width);
    double px(double points) const;
    void newPage();
    bool pageEmpty() const { return pages_.back().lines.empty() && pages_.back().rules.empty() && y_ <= 0; }

    void placeText(const PrintoutBlock& block, double keepWithNext);
    void placeTable(const PrintoutBlock& block);
    Row tableRow(const QStringList& texts, const QFont& font, const Table& table);
    void placeRow(Table& table, const Row& row);
    void placeRowLines(Table& table, const Row& row, std::vector<int>& next, bool force);
    void breakTablePage(Table& table);
    void closeSegment(const Table& table);

    const QPaintDevice& device_;
    QSizeF body_;
    double dpi_;
    QFont bodyFont_;
    QFont boldFont_;
    QFont titleFont_;
    QFont headingFont_;
    double padding_;
    double lineHeight_;
    std::vector<std::unique_ptr<QTextLayout>> layouts_;
    std::vector<Page> pages_;
    double y_ = 0;
};

} // namespace vornak
