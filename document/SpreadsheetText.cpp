#include "SpreadsheetText.h"

#include <QHash>

#include <algorithm>
#include <optional>

namespace vornak {

namespace {

constexpr QChar tab = u'\t';
constexpr QChar quote = u'"';
constexpr QChar noBreakSpace = QChar(0x00A0);

bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

bool needsQuotes(const QString& cell) {
    return cell.startsWith(quote) || cell.contains(tab) || cell.contains(u'\n') || cell.contains(u'\r');
}

// Counts the cells a reader makes against the budget, before each is made.
class CellCount {
public:
    explicit CellCount(qsizetype limit) : left_(limit) {}

    // Whether `cells` more may be made; once refused, nothing more is.
    bool take(qsizetype cells) {
        if (over_ || cells > left_) {
            over_ = true;
            return false;
        }
        left_ -= cells;
        return true;
    }
    bool over() const { return over_; }

private:
    qsizetype left_;
    bool over_ = false;
};

// --- Tab-separated text ------------------------------------------------------------------------

class TabSeparatedReader {
public:
    TabSeparatedReader(const QString& text, qsizetype maxCells) : text_(text), count_(maxCells) {}

    TableRead read() {
        CellRows rows;
        if (text_.isEmpty()) {
            return {};
        }
        QStringList row;
        while (true) {
            if (!count_.take(1)) {
                return {{}, true};
            }
            row.append(cell());
            if (pos_ >= text_.size()) {
                rows.push_back(row);
                break;
            }
            if (text_[pos_] == tab) {
                ++pos_;
                continue;
            }
            // A line end.
            skipLineEnd();
            rows.push_back(row);
            row.clear();
            if (pos_ >= text_.size()) {
                break;
            }
        }
        return {std::move(rows), false};
    }

private:
    void skipLineEnd() {
        if (text_[pos_] == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n') {
            ++pos_;
        }
        ++pos_;
    }

    // The cell from pos_ up to the next tab, line end or the end; pos_ stops there.
    QString cell() {
        if (pos_ < text_.size() && text_[pos_] == quote) {
            if (const auto quoted = quotedCell()) {
                return *quoted;
            }
        }
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != tab && !isLineEnd(text_[pos_])) {
            ++pos_;
        }
        return text_.mid(start, pos_ - start);
    }

    // A quoted cell, if the quotes close right before a separator or the end; pos_ moves past it.
    std::optional<QString> quotedCell() {
        QString out;
        qsizetype i = pos_ + 1;
        while (i < text_.size()) {
            const QChar c = text_[i];
            if (c == quote) {
                if (i + 1 < text_.size() && text_[i + 1] == quote) {
                    out.append(quote);
                    i += 2;
                    continue;
                }
                const bool closes = i + 1 == text_.size() || text_[i + 1] == tab || isLineEnd(text_[i + 1]);
                if (!closes) {
                    return std::nullopt;
                }
                pos_ = i + 1;
                return out;
            }
            if (c == u'\r') {
                // A line break inside a cell reads as LF, whichever way it was written.
                out.append(u'\n');
                i += i + 1 < text_.size() && text_[i + 1] == u'\n' ? 2 : 1;
                continue;
            }
            out.append(c);
            ++i;
        }
        return std::nullopt;
    }

    const QString& text_;
    CellCount count_;
    qsizetype pos_ = 0;
};

// --- HTML --------------------------------------------------------------------------------------

// The character an entity names, for the names spreadsheets and office programs write.
const QHash<QString, char32_t>& namedEntities() {
    static const QHash<QString, char32_t> entities = {
        {QStringLiteral("amp"), U'&'},      {QStringLiteral("lt"), U'<'},
        {QStringLiteral("gt"), U'>'},       {QStringLiteral("quot"), U'"'},
        {QStringLiteral("apos"), U'\''},    {QStringLiteral("nbsp"), 0x00A0},
        {QStringLiteral("shy"), 0x00AD},    {QStringLiteral("laquo"), 0x00AB},
        {QStringLiteral("raquo"), 0x00BB},  {QStringLiteral("ndash"), 0x2013},
        {QStringLiteral("mdash"), 0x2014},  {QStringLiteral("hellip"), 0x2026},
        {QStringLiteral("lsquo"), 0x2018},  {QStringLiteral("rsquo"), 0x2019},
        {QStringLiteral("sbquo"), 0x201A},  {QStringLiteral("ldquo"), 0x201C},
        {QStringLiteral("rdquo"), 0x201D},  {QStringLiteral("bdquo"), 0x201E},
        {QStringLiteral("deg"), 0x00B0},    {QStringLiteral("plusmn"), 0x00B1},
        {QStringLiteral("micro"), 0x00B5},  {QStringLiteral("middot"), 0x00B7},
        {QStringLiteral("sect"), 0x00A7},   {QStringLiteral("copy"), 0x00A9},
        {QStringLiteral("reg"), 0x00AE},    {QStringLiteral("times"), 0x00D7},
        {QStringLiteral("divide"), 0x00F7}, {QStringLiteral("euro"), 0x20AC},
        {QStringLiteral("numero"), 0x2116}, {QStringLiteral("trade"), 0x2122},
        {QStringLiteral("bull"), 0x2022},   {QStringLiteral("minus"), 0x2212},
    };
    return entities;
}

void appendCodePoint(QString& out, char32_t c) {
    const bool valid = c != 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    const char32_t shown = valid ? c : char32_t(0xFFFD);
    out.append(QString::fromUcs4(&shown, 1));
}

// The entity starting at text[at] ("&"): appends what it stands for and returns the index past
// it, or returns `at` when it is no entity this reader knows (the "&" is then text).
qsizetype readEntity(QStringView text, qsizetype at, QString& out) {
    // Entity names and numbers are short; a far semicolon belongs to something else, and is not
    // looked for (a text of ampersands alone would otherwise be read over and over).
    constexpr qsizetype longest = 12;
    const qsizetype near = text.mid(at + 1, longest).indexOf(u';');
    if (near < 0) {
        return at;
    }
    const qsizetype semicolon = at + 1 + near;
    const QStringView body = text.mid(at + 1, semicolon - at - 1);
    if (body.startsWith(u'#')) {
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        const QStringView digits = body.mid(hex ? 2 : 1);
        bool ok = false;
        const qulonglong value = digits.toULongLong(&ok, hex ? 16 : 10);
        if (!ok || digits.isEmpty() || digits[0] == u'+' || digits[0] == u'-') {
            return at;
        }
        appendCodePoint(out, value > 0x10FFFF ? char32_t(0xFFFD) : static_cast<char32_t>(value));
        return semicolon + 1;
    }
    const auto found = namedEntities().constFind(body.toString());
    if (found == namedEntities().constEnd()) {
        return at;
    }
    appendCodePoint(out, found.value());
    return semicolon + 1;
}

QString resolveEntities(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype next = text[i] == u'&' ? readEntity(text, i, out) : i;
        if (next == i) {
            out.append(text[i++]);
        } else {
            i = next;
        }
    }
    return out;
}

bool isHtmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

struct Tag {
    QString name; // lower case; empty for comments, declarations and the like
    bool closing = false;
    QString attributes;
};

// The value of an attribute (name in lower case), quoted or not; empty when absent.
QString attributeValue(const QString& attributes, const QString& name) {
    qsizetype i = 0;
    const qsizetype n = attributes.size();
    while (i < n) {
        while (i < n && (isHtmlSpace(attributes[i]) || attributes[i] == u'/')) {
            ++i;
        }
        const qsizetype nameStart = i;
        while (i < n && !isHtmlSpace(attributes[i]) && attributes[i] != u'=' && attributes[i] != u'/') {
            ++i;
        }
        const QString found = attributes.mid(nameStart, i - nameStart).toLower();
        while (i < n && isHtmlSpace(attributes[i])) {
            ++i;
        }
        QString value;
        if (i < n && attributes[i] == u'=') {
            ++i;
            while (i < n && isHtmlSpace(attributes[i])) {
                ++i;
            }
            if (i < n && (attributes[i] == u'"' || attributes[i] == u'\'')) {
                const QChar closing = attributes[i++];
                const qsizetype valueStart = i;
                while (i < n && attributes[i] != closing) {
                    ++i;
                }
                value = attributes.mid(valueStart, i - valueStart);
                ++i;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !isHtmlSpace(attributes[i])) {
                    ++i;
                }
                value = attributes.mid(valueStart, i - valueStart);
            }
        }
        if (found == name) {
            return resolveEntities(value);
        }
        if (i == nameStart) {
            ++i;
        }
    }
    return {};
}

// A span attribute as a count: 1 when absent or nonsense, and never more than a sheet could hold.
int spanOf(const QString& attributes, const QString& name) {
    bool ok = false;
    const int span = attributeValue(attributes, name).trimmed().toInt(&ok);
    constexpr int largest = 1000;
    return ok && span > 1 ? std::min(span, largest) : 1;
}

class HtmlTableReader {
public:
    HtmlTableReader(const QString& html, qsizetype maxCells) : html_(html), count_(maxCells) {}

    TableRead read() {
        while (pos_ < html_.size() && !done_ && !count_.over()) {
            if (html_[pos_] == u'<') {
                readMarkup();
            } else {
                const qsizetype next = html_.indexOf(u'<', pos_);
                const qsizetype end = next < 0 ? html_.size() : next;
                text(QStringView(html_).mid(pos_, end - pos_));
                pos_ = end;
            }
        }
        endRow();
        if (count_.over()) {
            return {{}, true};
        }
        return {std::move(rows_), false};
    }

private:
    void readMarkup() {
        const QStringView rest = QStringView(html_).mid(pos_);
        if (rest.startsWith(u"<!--")) {
            const qsizetype end = html_.indexOf(QStringLiteral("-->"), pos_ + 4);
            pos_ = end < 0 ? html_.size() : end + 3;
            return;
        }
        if (rest.size() < 2 ||
            !(rest[1].isLetter() || rest[1] == u'/' || rest[1] == u'!' || rest[1] == u'?')) {
            // A lone "<" is text.
            text(rest.left(1));
            ++pos_;
            return;
        }
        const Tag tag = readTag();
        if (tag.name.isEmpty()) {
            return;
        }
        if (!tag.closing && (tag.name == u"style" || tag.name == u"script" || tag.name == u"title")) {
            skipRawText(tag.name);
            return;
        }
        element(tag);
    }

    // Reads a tag from pos_ (at "<") to just past its ">", quotes in attributes respected.
    Tag readTag() {
        Tag tag;
        qsizetype i = pos_ + 1;
        const qsizetype n = html_.size();
        if (i < n && (html_[i] == u'!' || html_[i] == u'?')) {
            const qsizetype end = html_.indexOf(u'>', i);
            pos_ = end < 0 ? n : end + 1;
            return tag;
        }
        if (i < n && html_[i] == u'/') {
            tag.closing = true;
            ++i;
        }
        const qsizetype nameStart = i;
        while (i < n && !isHtmlSpace(html_[i]) && html_[i] != u'>' && html_[i] != u'/') {
            ++i;
        }
        tag.name = html_.mid(nameStart, i - nameStart).toLower();
        const qsizetype attributesStart = i;
        QChar inQuote;
        while (i < n) {
            const QChar c = html_[i];
            if (!inQuote.isNull()) {
                if (c == inQuote) {
                    inQuote = QChar();
                }
            } else if (c == u'"' || c == u'\'') {
                inQuote = c;
            } else if (c == u'>') {
                break;
            }
            ++i;
        }
        if (i >= n) {
            // Cut off inside the tag: no tag at all.
            pos_ = n;
            return {};
        }
        tag.attributes = html_.mid(attributesStart, i - attributesStart);
        pos_ = i + 1;
        return tag;
    }

    void skipRawText(const QString& name) {
        const QString closing = QStringLiteral("</") + name;
        const qsizetype end = html_.indexOf(closing, pos_, Qt::CaseInsensitive);
        if (end < 0) {
            pos_ = html_.size();
            return;
        }
        const qsizetype close = html_.indexOf(u'>', end);
        pos_ = close < 0 ? html_.size() : close + 1;
    }

    void element(const Tag& tag) {
        if (tag.name == u"table") {
            if (tag.closing) {
                if (depth_ > 0 && --depth_ == 0) {
                    done_ = true;
                }
            } else {
                ++depth_;
                if (depth_ > 1) {
                    space();
                }
            }
            return;
        }
        // Only the first table's own rows and cells count; a table inside a cell is its text.
        if (depth_ != 1) {
            if (depth_ > 1 && inCell_) {
                if (tag.name == u"br") {
                    lineBreak();
                } else if (tag.name == u"td" || tag.name == u"th" || tag.name == u"tr") {
                    space();
                }
            }
            return;
        }
        if (tag.name == u"tr") {
            endRow();
            if (!tag.closing) {
                inRow_ = true;
            }
        } else if (tag.name == u"td" || tag.name == u"th") {
            endCell();
            if (!tag.closing) {
                if (!inRow_) {
                    inRow_ = true;
                }
                inCell_ = true;
                colSpan_ = spanOf(tag.attributes, QStringLiteral("colspan"));
                rowSpan_ = spanOf(tag.attributes, QStringLiteral("rowspan"));
            }
        } else if (inCell_) {
            if (tag.name == u"br") {
                lineBreak();
            } else if (!tag.closing && isBlock(tag.name) && cellHasText_) {
                // A second paragraph in a cell starts a new line.
                lineBreak();
            }
        }
    }

    static bool isBlock(const QString& name) {
        return name == u"p" || name == u"div" || name == u"li" || name == u"h1" || name == u"h2" ||
               name == u"h3" || name == u"h4" || name == u"h5" || name == u"h6";
    }

    // Text between tags: white space folds to one space between words; what an entity stands for
    // is taken as it is, so "&#9;" or "&nbsp;" is never folded.
    void text(QStringView raw) {
        if (!inCell_) {
            return;
        }
        qsizetype i = 0;
        while (i < raw.size()) {
            const QChar c = raw[i];
            if (isHtmlSpace(c)) {
                pendingSpace_ = true;
                ++i;
                continue;
            }
            if (pendingSpace_ && !cell_.isEmpty() && cell_.back() != u'\n') {
                cell_.append(u' ');
            }
            pendingSpace_ = false;
            const qsizetype before = cell_.size();
            const qsizetype next = c == u'&' ? readEntity(raw, i, cell_) : i;
            if (next == i) {
                cell_.append(c);
                ++i;
            } else {
                i = next;
            }
            for (qsizetype k = before; k < cell_.size() && !cellHasText_; ++k) {
                cellHasText_ = !cell_[k].isSpace();
            }
        }
    }

    void space() { pendingSpace_ = true; }

    void lineBreak() {
        pendingSpace_ = false;
        cell_.append(u'\n');
    }

    void endCell() {
        if (!inCell_) {
            return;
        }
        // A line break at the end shows nothing (Calc writes "<br>" into every empty cell); no-break
        // spaces are kept, as plain spaces.
        qsizetype last = cell_.size();
        while (last > 0 && (cell_[last - 1] == u' ' || cell_[last - 1] == u'\n')) {
            --last;
        }
        cell_.truncate(last);
        cell_.replace(noBreakSpace, u' ');
        placeCell(cell_);
        cell_.clear();
        cellHasText_ = false;
        pendingSpace_ = false;
        inCell_ = false;
    }

    // Puts a cell into the row under construction, after the cells that spans from rows above hold.
    void placeCell(const QString& cell) {
        skipSpannedColumns();
        if (!count_.take(colSpan_)) {
            return;
        }
        const int column = static_cast<int>(row_.size());
        row_.append(cell);
        for (int k = 1; k < colSpan_; ++k) {
            row_.append(QString());
        }
        if (rowSpan_ > 1) {
            if (static_cast<int>(rowsLeft_.size()) < column + colSpan_) {
                rowsLeft_.resize(static_cast<std::size_t>(column + colSpan_), 0);
            }
            for (int k = 0; k < colSpan_; ++k) {
                rowsLeft_[static_cast<std::size_t>(column + k)] = rowSpan_ - 1;
            }
        }
    }

    void skipSpannedColumns() {
        while (static_cast<std::size_t>(row_.size()) < rowsLeft_.size() &&
               rowsLeft_[static_cast<std::size_t>(row_.size())] > 0 && count_.take(1)) {
            --rowsLeft_[static_cast<std::size_t>(row_.size())];
            row_.append(QString());
        }
    }

    void endRow() {
        endCell();
        if (!inRow_) {
            return;
        }
        skipSpannedColumns();
        rows_.push_back(row_);
        row_.clear();
        inRow_ = false;
    }

    const QString& html_;
    CellCount count_;
    qsizetype pos_ = 0;
    int depth_ = 0;
    bool done_ = false;
    bool inRow_ = false;
    bool inCell_ = false;
    bool pendingSpace_ = false;
    bool cellHasText_ = false; // cell_ holds more than white space
    int colSpan_ = 1;
    int rowSpan_ = 1;
    QString cell_;
    QStringList row_;
    std::vector<int> rowsLeft_; // per column: how many more rows a cell above still spans
    CellRows rows_;
};

QString escapeHtml(const QString& cell) {
    QString out;
    out.reserve(cell.size() + 8);
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell[i];
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\t':
            out += QStringLiteral("&#9;");
            break;
        case u'\n':
            out += QStringLiteral("<br>");
            break;
        case u'\r':
            if (i + 1 >= cell.size() || cell[i + 1] != u'\n') {
                out += QStringLiteral("<br>");
            }
            break;
        case u' ': {
            // A space at either end, or after another one, would be folded away.
            const bool folded = i == 0 || i + 1 == cell.size() || cell[i - 1] == u' ';
            out += folded ? QStringLiteral("&#160;") : QStringLiteral(" ");
            break;
        }
        default:
            out += c;
        }
    }
    return out;
}

qsizetype widest(const CellRows& rows) {
    qsizetype widest = 0;
    for (const QStringList& row : rows) {
        widest = std::max(widest, row.size());
    }
    return widest;
}

} // namespace

QString toTabSeparated(const CellRows& rows) {
    QString out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (r > 0) {
            out += u'\n';
        }
        const QStringList& row = rows[r];
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0) {
                out += tab;
            }
            const QString& cell = row[c];
            if (needsQuotes(cell)) {
                QString quoted = cell;
                quoted.replace(quote, QStringLiteral("\"\""));
                out += quote + quoted + quote;
            } else {
                out += cell;
            }
        }
    }
    return out;
}

QString toHtmlTable(const CellRows& rows) {
    QString out =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n<table>\n");
    for (const QStringList& row : rows) {
        out += QStringLiteral("<tr>");
        for (const QString& cell : row) {
            out += QStringLiteral("<td>") + escapeHtml(cell) + QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</table>\n</body></html>\n");
    return out;
}

TableRead readTabSeparated(const QString& text, const TableBudget& budget) {
    if (text.size() > budget.maxTextLength) {
        return {{}, true};
    }
    return TabSeparatedReader(text, budget.maxCells).read();
}

CellRows parseTabSeparated(const QString& text) {
    return readTabSeparated(text).rows;
}

TableRead readHtmlTable(const QString& html, const TableBudget& budget) {
    if (html.size() > budget.maxTextLength) {
        return {{}, true};
    }
    return HtmlTableReader(html, budget.maxCells).read();
}

CellRows parseHtmlTable(const QString& html) {
    return readHtmlTable(html).rows;
}

TableRead rowsFromClipboard(const QString& plainText, const QString& html, const TableBudget& budget) {
    TableRead plain = readTabSeparated(plainText, budget);
    if (plain.overBudget || html.isEmpty() || (!plain.rows.empty() && widest(plain.rows) > 1)) {
        return plain;
    }
    TableRead table = readHtmlTable(html, budget);
    if (table.overBudget || plain.rows.empty() || widest(table.rows) > 1) {
        return table;
    }
    return plain;
}

} // namespace vornak
