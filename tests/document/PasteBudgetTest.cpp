// Hostile clipboards: whatever a program or a web page puts there, the readers either refuse it
// as over the budget or give a bounded table, without exhausting memory and without reading the
// same text over and over (a quadratic path shows up here as a test that never ends).
#include "SpreadsheetText.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <random>

namespace vornak {
namespace {

QString repeated(const QString& piece, qsizetype times) {
    return piece.repeated(times);
}

qsizetype cellsIn(const CellRows& rows) {
    qsizetype cells = 0;
    for (const QStringList& row : rows) {
        cells += row.size();
    }
    return cells;
}

// Each row's cell spans the rows below, so that row n is n thousand cells wide.
QString spanBomb(int rows) {
    return QStringLiteral("<table>") + repeated(QStringLiteral("<tr><td colspan=1000 rowspan=1000>x</td></tr>"), rows) +
           QStringLiteral("</table>");
}

enum class Outcome { Refused, Bounded };

struct HostileCase {
    const char* name;
    std::function<QString()> plainText;
    std::function<QString()> html;
    Outcome outcome;
    // For a bounded table: its cells at most, and a cell it must hold (row, column, text), if any.
    qsizetype maxCells = 0;
    int row = -1;
    int column = -1;
    const char* text = "";
};

QString none() {
    return {};
}

// Bytes of every value, as a program might put them on the clipboard as text.
QString binary(qsizetype size, bool utf8) {
    std::mt19937 random(24);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& b : bytes) {
        b = static_cast<char>(random() & 0xff);
    }
    return utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

class HostileClipboard : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileClipboard, IsRefusedOrBounded) {
    const HostileCase& c = GetParam();
    const TableBudget budget;
    const TableRead read = rowsFromClipboard(c.plainText(), c.html(), budget);
    if (c.outcome == Outcome::Refused) {
        EXPECT_TRUE(read.overBudget);
        EXPECT_TRUE(read.rows.empty());
        return;
    }
    EXPECT_FALSE(read.overBudget);
    EXPECT_LE(cellsIn(read.rows), c.maxCells);
    EXPECT_LE(cellsIn(read.rows), budget.maxCells);
    if (c.row >= 0) {
        ASSERT_GT(read.rows.size(), static_cast<std::size_t>(c.row));
        ASSERT_GT(read.rows[static_cast<std::size_t>(c.row)].size(), c.column);
        EXPECT_EQ(read.rows[static_cast<std::size_t>(c.row)][c.column], QString::fromUtf8(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileClipboard,
    ::testing::Values(
        // 2 KB that would be a million cells, and 35 KB that would be several hundred million.
        HostileCase{"span bomb of 2 KB", none, [] { return spanBomb(46); }, Outcome::Refused},
        HostileCase{"span bomb of 35 KB", none, [] { return spanBomb(800); }, Outcome::Refused},
        HostileCase{"span bomb beside a one column text", [] { return QStringLiteral("x"); },
                    [] { return spanBomb(800); }, Outcome::Refused},
        // The plain text has columns: the HTML is never read.
        HostileCase{"span bomb beside a table as text", [] { return QStringLiteral("a\tb"); },
                    [] { return spanBomb(800); }, Outcome::Bounded, 2, 0, 1, "b"},
        HostileCase{"many wide cells",
                    none,
                    [] {
                        return QStringLiteral("<table><tr>") +
                               repeated(QStringLiteral("<td colspan=1000>a</td>"), 400) +
                               QStringLiteral("</tr></table>");
                    },
                    Outcome::Refused},
        HostileCase{"spans within the budget", none,
                    [] {
                        return QStringLiteral("<table><tr><td colspan=1000 rowspan=1000>x</td></tr>") +
                               repeated(QStringLiteral("<tr><td>y</td></tr>"), 89) + QStringLiteral("</table>");
                    },
                    Outcome::Bounded, 90 * 1001, 89, 1000, "y"},
        HostileCase{"tables nested deeply", none,
                    [] {
                        return repeated(QStringLiteral("<table><tr><td>a"), 200'000) +
                               repeated(QStringLiteral("</td></tr></table>"), 200'000);
                    },
                    Outcome::Bounded, 1},
        HostileCase{"rows and cells never closed", none,
                    [] { return QStringLiteral("<table>") + repeated(QStringLiteral("<tr><td>b"), 90'000); },
                    Outcome::Bounded, 90'000, 89'999, 0, "b"},
        HostileCase{"a tag never closed", none,
                    [] { return QStringLiteral("<table><tr><td>c<td ") + repeated(QStringLiteral("a=\"<td>\" "), 500'000); },
                    Outcome::Bounded, 1, 0, 0, "c"},
        HostileCase{"tags cut off again and again", none,
                    [] { return QStringLiteral("<table><tr><td>d") + repeated(QStringLiteral("<!<?<"), 1'000'000); },
                    Outcome::Bounded, 1, 0, 0, "d"},
        HostileCase{"comments and scripts never closed", none,
                    [] {
                        return QStringLiteral("<table><tr><td>e</td><td>") +
                               repeated(QStringLiteral("<script><style><!--"), 300'000);
                    },
                    Outcome::Bounded, 2, 0, 0, "e"},
        HostileCase{"a huge attribute", none,
                    [] {
                        return QStringLiteral("<table><tr><td class=\"") + repeated(QStringLiteral("&amp;x"), 1'000'000) +
                               QStringLiteral("\" colspan=2>f</td></tr></table>");
                    },
                    Outcome::Bounded, 2, 0, 0, "f"},
        HostileCase{"ampersands without a semicolon", none,
                    [] {
                        return QStringLiteral("<table><tr><td>") + repeated(QStringLiteral("&"), 4'000'000) +
                               QStringLiteral(";</td><td>g</td></tr></table>");
                    },
                    Outcome::Bounded, 2, 0, 1, "g"},
        HostileCase{"an entity flood", none,
                    [] {
                        return QStringLiteral("<table><tr><td>") + repeated(QStringLiteral("&nbsp;&#x41;"), 600'000) +
                               QStringLiteral("</td></tr></table>");
                    },
                    Outcome::Bounded, 1},
        HostileCase{"line breaks then paragraphs in one cell", none,
                    [] {
                        return QStringLiteral("<table><tr><td>") + repeated(QStringLiteral("<br>"), 500'000) +
                               repeated(QStringLiteral("<p>"), 500'000) + QStringLiteral("h</td></tr></table>");
                    },
                    Outcome::Bounded, 1},
        HostileCase{"10 MB of text", [] { return repeated(QStringLiteral("0123456789"), 1'000'000); }, none,
                    Outcome::Refused},
        HostileCase{"10 MB of HTML", none,
                    [] { return QStringLiteral("<table><tr><td>") + repeated(QStringLiteral("0123456789"), 1'000'000); },
                    Outcome::Refused},
        HostileCase{"a million tabs", [] { return repeated(QStringLiteral("\t"), 1'000'000); }, none, Outcome::Refused},
        HostileCase{"a million line ends", [] { return repeated(QStringLiteral("\r\n"), 1'000'000); }, none,
                    Outcome::Refused},
        HostileCase{"quotes never closed", [] { return repeated(QStringLiteral("\"\t\"\"\t"), 1'000'000); }, none,
                    Outcome::Refused},
        HostileCase{"quoted cells that do not close", [] { return repeated(QStringLiteral("\"\"\"x\t"), 70'000); },
                    none, Outcome::Bounded, 70'001, 0, 69'999, "\"\"\"x"},
        HostileCase{"binary as Latin-1", [] { return binary(4'000'000, false); },
                    [] { return binary(4'000'000, false); }, Outcome::Bounded, 100'000},
        HostileCase{"binary as UTF-8", [] { return binary(4'000'000, true); },
                    [] { return QStringLiteral("<table><tr><td>") + binary(4'000'000, true); }, Outcome::Bounded,
                    100'000}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

// The budget counts every cell a table makes, the empty ones of merged cells included, and the
// characters of each text; exactly the budget is taken, one more is refused.
TEST(PasteBudgetTest, TheBudgetIsExact) {
    const TableBudget six{100, 6};
    EXPECT_EQ(readTabSeparated(QStringLiteral("1\t2\t3\n4\t5\t6"), six).rows.size(), 2u);
    EXPECT_TRUE(readTabSeparated(QStringLiteral("1\t2\t3\n4\t5\t6\n7"), six).overBudget);

    const QString merged = QStringLiteral("<table><tr><td colspan=3 rowspan=2>m</td></tr><tr></tr>");
    const TableRead fits = readHtmlTable(merged + QStringLiteral("</table>"), six);
    EXPECT_FALSE(fits.overBudget);
    EXPECT_EQ(fits.rows, (CellRows{{QStringLiteral("m"), QString(), QString()}, {QString(), QString(), QString()}}));
    EXPECT_TRUE(readHtmlTable(merged + QStringLiteral("<tr><td>7</td></tr></table>"), six).overBudget);
    // The spans are counted before the cells are made: one too wide is refused at once.
    EXPECT_TRUE(readHtmlTable(QStringLiteral("<table><tr><td colspan=7>w</td></tr></table>"), six).overBudget);

    const TableBudget tenCharacters{10, 1000};
    EXPECT_FALSE(readTabSeparated(QStringLiteral("0123456789"), tenCharacters).overBudget);
    EXPECT_TRUE(readTabSeparated(QStringLiteral("0123456789a"), tenCharacters).overBudget);
    const QString html = QStringLiteral("<table><tr><td>x</td></tr></table>");
    EXPECT_FALSE(readHtmlTable(html, {html.size(), 1}).overBudget);
    EXPECT_TRUE(readHtmlTable(html, {html.size() - 1, 1}).overBudget);
}

// What real spreadsheets paste fits the usual budget many times over: ten thousand rows of a
// value list, as tab-separated text and as a Calc table with merged headings.
TEST(PasteBudgetTest, RealSpreadsheetsFitTheUsualBudget) {
    QString text;
    QString html = QStringLiteral("<table><tr><td colspan=3>Рост, см</td></tr>");
    for (int i = 0; i < 10'000; ++i) {
        text += QStringLiteral("%1\t%2\tРост от %1 до %2\n").arg(100 + i).arg(101 + i);
        html += QStringLiteral("<tr><td height=\"17\" align=\"right\" sdval=\"%1\" sdnum=\"1049;\">%1</td>"
                               "<td align=\"right\">%2</td><td>Рост от %1 до %2</td></tr>")
                    .arg(100 + i)
                    .arg(101 + i);
    }
    html += QStringLiteral("</table>");
    const TableRead plain = readTabSeparated(text);
    EXPECT_FALSE(plain.overBudget);
    EXPECT_EQ(plain.rows.size(), 10'000u);
    const TableRead table = readHtmlTable(html);
    EXPECT_FALSE(table.overBudget);
    ASSERT_EQ(table.rows.size(), 10'001u);
    EXPECT_EQ(table.rows.back(), (QStringList{QStringLiteral("10099"), QStringLiteral("10100"),
                                              QStringLiteral("Рост от 10099 до 10100")}));
}

} // namespace
} // namespace vornak
