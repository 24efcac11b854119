// Rows as spreadsheets exchange them: what Vornak writes reads back cell for cell, and what
// LibreOffice Calc, Excel and Google Sheets put on the clipboard reads as the cells they showed.
#include "SpreadsheetText.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

CellRows rows(std::initializer_list<std::initializer_list<const char*>> cells) {
    CellRows out;
    for (const auto& row : cells) {
        QStringList list;
        for (const char* cell : row) {
            list.append(u(cell));
        }
        out.push_back(list);
    }
    return out;
}

std::string show(const CellRows& value) {
    std::string out;
    for (const QStringList& row : value) {
        out += "[";
        for (const QString& cell : row) {
            out += "<" + cell.toStdString() + ">";
        }
        out += "]";
    }
    return out;
}

#define EXPECT_ROWS(actual, expected) EXPECT_EQ(show(actual), show(expected))

CellRows clipboardRows(const QString& plainText, const QString& html) {
    const TableRead read = rowsFromClipboard(plainText, html);
    EXPECT_FALSE(read.overBudget);
    return read.rows;
}

TEST(SpreadsheetTextTest, TabSeparatedLinesAreTheShownCells) {
    EXPECT_EQ(toTabSeparated(rows({{"22.2", "23.7", "ВЖ"}})), u("22.2\t23.7\tВЖ"));
    EXPECT_EQ(toTabSeparated(rows({{"a", ""}, {"", "b"}})), u("a\t\n\tb"));
    EXPECT_EQ(toTabSeparated({}), QString());
}

TEST(SpreadsheetTextTest, CellsThatWouldSplitAreQuoted) {
    EXPECT_EQ(toTabSeparated(rows({{"a\tb", "\"Рост\"", "x\"y", "cr\rin"}})),
              u("\"a\tb\"\t\"\"\"Рост\"\"\"\tx\"y\t\"cr\rin\""));
}

struct TabCase {
    const char* name;
    const char* text;
    CellRows expected;
};

class TabSeparatedParse : public ::testing::TestWithParam<TabCase> {};

TEST_P(TabSeparatedParse, ReadsTheCells) {
    EXPECT_ROWS(parseTabSeparated(u(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TabSeparatedParse,
    ::testing::Values(
        TabCase{"empty", "", {}}, TabCase{"one cell", "23.7", rows({{"23.7"}})},
        TabCase{"final line end adds no row", "a\tb\n", rows({{"a", "b"}})},
        TabCase{"windows line ends", "a\tb\r\nc\td\r\n", rows({{"a", "b"}, {"c", "d"}})},
        TabCase{"old mac line ends", "a\rb", rows({{"a"}, {"b"}})},
        TabCase{"empty cells and rows kept", "a\t\t\n\n\tz", rows({{"a", "", ""}, {""}, {"", "z"}})},
        TabCase{"two final line ends keep one empty row", "a\n\n", rows({{"a"}, {""}})},
        TabCase{"quoted cell with tab and line break", "\"x\ty\r\nz\"\tw", rows({{"x\ty\nz", "w"}})},
        TabCase{"doubled quotes", "\"say \"\"hi\"\"\"\t1", rows({{"say \"hi\"", "1"}})},
        TabCase{"quote inside a cell is text", "5\" long\tx", rows({{"5\" long", "x"}})},
        TabCase{"quote not closing before a tab is text", "\"a\"b\tc", rows({{"\"a\"b", "c"}})},
        TabCase{"unclosed quote is text", "\"abc\tdef", rows({{"\"abc", "def"}})},
        TabCase{"spaces kept", " a \t b", rows({{" a ", " b"}})}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

const CellRows awkward = rows({{"Приложение № ", "  two  spaces", "a\tb"},
                               {"<b>&amp;</b>", "\"quoted\"", "line\nbreak"},
                               {"", "x", " "}});

TEST(SpreadsheetTextTest, BothFormatsReadBackCellForCell) {
    EXPECT_ROWS(parseTabSeparated(toTabSeparated(awkward)), awkward);
    EXPECT_ROWS(parseHtmlTable(toHtmlTable(awkward)), awkward);
}

TEST(SpreadsheetTextTest, TheHtmlIsADocumentWithOneTable) {
    const QString html = toHtmlTable(rows({{"a<b", "Рост"}}));
    EXPECT_TRUE(html.startsWith(u("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(u("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(u("<tr><td>a&lt;b</td><td>Рост</td></tr>")));
    EXPECT_EQ(html.count(u("<table>")), 1);
}

// As LibreOffice Calc puts a copied range on the clipboard.
const char* calcHtml = R"html(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">
<html>
<head>
	<meta http-equiv="content-type" content="text/html; charset=utf-8"/>
	<title></title>
	<meta name="generator" content="LibreOffice 7.4.7.2 (Linux)"/>
	<style type="text/css">
		body,div,table,thead,tbody,tfoot,tr,th,td,p { font-family:"Liberation Sans"; font-size:x-small }
		a.comment-indicator:hover + comment { background:#ffd; position:absolute; display:block; border:1px solid black; padding:0.5em;  }
		comment { display:none;  }
	</style>
</head>
<body>
<table cellspacing="0" border="0">
	<colgroup span="3" width="85"></colgroup>
	<tr>
		<td height="17" align="right" sdval="22.2" sdnum="1049;"><font face="DejaVu Sans">22.2</font></td>
		<td align="right" sdval="23.7" sdnum="1049;">23.7</td>
		<td align="left">ВЖ</td>
	</tr>
	<tr>
		<td height="17" align="left">от &lt;5&gt; &amp; выше</td>
		<td align="left">первая<br>вторая</td>
		<td align="left"><br></td>
	</tr>
	<tr>
		<td colspan=2 height="17" align="center" valign=middle>объединено</td>
		<td align="left">Н</td>
	</tr>
</table>
<!-- ************************************************************************** -->
</body>
</html>
)html";

TEST(SpreadsheetTextTest, CalcHtml) {
    EXPECT_ROWS(
        parseHtmlTable(u(calcHtml)),
        rows({{"22.2", "23.7", "ВЖ"}, {"от <5> & выше", "первая\nвторая", ""}, {"объединено", "", "Н"}}));
}

// As Excel does: unquoted and single-quoted attributes, fragment comments, no closing tags for
// <col>, &nbsp; for a space Excel wants kept, an in-cell line break with a style.
const char* excelHtml =
    "<html xmlns:v=\"urn:schemas-microsoft-com:vml\"\r\n"
    "xmlns:o=\"urn:schemas-microsoft-com:office:office\">\r\n<head>\r\n"
    "<meta http-equiv=Content-Type content=\"text/html; charset=utf-8\">\r\n"
    "<style>\r\n<!--table\r\n\t{mso-displayed-decimal-separator:\"\\,\";}\r\n"
    "td {padding-top:1px;}\r\n-->\r\n</style>\r\n</head>\r\n<body link=\"#0563C1\">\r\n"
    "<table border=0 cellpadding=0 cellspacing=0 width=128 style='border-collapse:\r\n"
    " collapse;width:96pt'>\r\n<!--StartFragment-->\r\n"
    " <col width=64 span=2 style='width:48pt'>\r\n"
    " <tr height=20 style='height:15.0pt'>\r\n"
    "  <td height=20 class=xl65 width=64 style='height:15.0pt;width:48pt'>Рост&nbsp;</td>\r\n"
    "  <td class=xl65 width=64 style='width:48pt' x:num>23,7</td>\r\n </tr>\r\n"
    " <tr height=20 style='height:15.0pt'>\r\n"
    "  <td height=20 class=xl66 style='height:15.0pt'>a<br style='mso-data-placement:"
    "same-cell;' />b</td>\r\n  <td>&#1046;&#x416;&frac12;&#0;</td>\r\n </tr>\r\n"
    "<!--EndFragment-->\r\n</table>\r\n</body>\r\n</html>\r\n";

TEST(SpreadsheetTextTest, ExcelHtml) {
    EXPECT_ROWS(parseHtmlTable(u(excelHtml)), rows({{"Рост ", "23,7"}, {"a\nb", "ЖЖ&frac12;\xef\xbf\xbd"}}));
}

// As Google Sheets does: its own wrapper element, JSON in attributes holding ">" and entities.
const char* sheetsHtml =
    "<meta charset='utf-8'><google-sheets-html-origin><style type=\"text/css\"><!--td "
    "{border: 1px solid #cccccc;}br {mso-data-placement:same-cell;}--></style><table "
    "xmlns=\"http://www.w3.org/1999/xhtml\" cellspacing=\"0\" cellpadding=\"0\" dir=\"ltr\" border=\"1\" "
    "style=\"table-layout:fixed;font-size:10pt;font-family:Arial;width:0px;border-collapse:collapse;border:"
    "none\" "
    "data-sheets-root=\"1\"><colgroup><col width=\"100\"/><col width=\"100\"/></colgroup><tbody><tr "
    "style=\"height:21px;\"><td style=\"overflow:hidden;padding:2px 3px 2px 3px;vertical-align:bottom;\" "
    "data-sheets-value=\"{&quot;1&quot;:2,&quot;2&quot;:&quot;a>b&quot;}\">a&gt;b</td><td "
    "style=\"overflow:hidden;\" data-sheets-value=\"{&quot;1&quot;:3,&quot;3&quot;:23.7}\">23.7</td></tr><tr "
    "style=\"height:21px;\"><td rowspan=\"2\">tall</td><td>x</td></tr><tr><td>y</td></tr></tbody></table>";

TEST(SpreadsheetTextTest, GoogleSheetsHtml) {
    EXPECT_ROWS(parseHtmlTable(u(sheetsHtml)), rows({{"a>b", "23.7"}, {"tall", "x"}, {"", "y"}}));
}

struct HtmlCase {
    const char* name;
    const char* html;
    CellRows expected;
};

class HtmlParse : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(HtmlParse, ReadsTheCells) {
    EXPECT_ROWS(parseHtmlTable(u(GetParam().html)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlParse,
    ::testing::Values(
        HtmlCase{"no table", "<p>just text</p>", {}}, HtmlCase{"empty", "", {}},
        HtmlCase{"spaces folded as a browser shows them", "<table><tr><td>\n  a \t b  \n</td></tr></table>",
                 rows({{"a b"}})},
        HtmlCase{"tags without closing", "<TABLE><TR><TD>a<TD>b<TR><TD>c</TABLE>", rows({{"a", "b"}, {"c"}})},
        HtmlCase{"only the first table",
                 "<table><tr><td>1</td></tr></table><table><tr><td>2</td></tr></table>", rows({{"1"}})},
        HtmlCase{"a table inside a cell is its text",
                 "<table><tr><td>a<table><tr><td>b</td><td>c</td></tr></table></td><td>d</td></tr></table>",
                 rows({{"a b c", "d"}})},
        HtmlCase{"header cells", "<table><tr><th>Значение</th><th>Результат</th></tr></table>",
                 rows({{"Значение", "Результат"}})},
        HtmlCase{"paragraphs in a cell", "<table><tr><td><p>one</p><p>two</p></td></tr></table>",
                 rows({{"one\ntwo"}})},
        HtmlCase{"text outside cells left out", "<table>caption<tr>x<td>a</td>y</tr></table>", rows({{"a"}})},
        HtmlCase{"script and comments skipped",
                 "<table><tr><td>a<!-- <td>no</td> --><script>var x='<td>';</script>b</td></tr></table>",
                 rows({{"ab"}})},
        HtmlCase{"lone angle bracket is text", "<table><tr><td>1 < 2</td></tr></table>", rows({{"1 < 2"}})},
        HtmlCase{"unknown and unterminated entities stay",
                 "<table><tr><td>&bogus; &amp &#xZZ;</td></tr></table>", rows({{"&bogus; &amp &#xZZ;"}})},
        HtmlCase{"out of range numbers become a replacement",
                 "<table><tr><td>&#1114112;&#xD800;</td></tr></table>", rows({{"\xef\xbf\xbd\xef\xbf\xbd"}})},
        HtmlCase{"nonsense spans count as one",
                 "<table><tr><td colspan=x rowspan=-3>a</td><td>b</td></tr></table>", rows({{"a", "b"}})},
        HtmlCase{"huge span is bounded", "<table><tr><td colspan=99999999>a</td></tr></table>", CellRows{[] {
                     QStringList row(1000);
                     row[0] = QStringLiteral("a");
                     return row;
                 }()}},
        HtmlCase{"cut off in the middle", "<table><tr><td>a</td><td>b", rows({{"a", "b"}})},
        HtmlCase{
            "cut off inside a tag",
            "<table><tr><td>a</td><td class=\"x",
            rows({{"a"}}),
        }),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST(SpreadsheetTextTest, TheClipboardsPlainTextWinsUnlessOnlyTheHtmlHasColumns) {
    const QString table = toHtmlTable(rows({{"a", "b"}, {"c", "d"}}));
    // What spreadsheets put: both agree, the plain text is taken (it keeps every space).
    EXPECT_ROWS(clipboardRows(u("a \tb\nc\td\n"), table), rows({{"a ", "b"}, {"c", "d"}}));
    // A web page's table whose text comes line by line.
    EXPECT_ROWS(clipboardRows(u("a\nb\nc\nd"), table), rows({{"a", "b"}, {"c", "d"}}));
    // Only one of the two.
    EXPECT_ROWS(clipboardRows(QString(), table), rows({{"a", "b"}, {"c", "d"}}));
    EXPECT_ROWS(clipboardRows(u("x\ty"), QString()), rows({{"x", "y"}}));
    // A column of values copied from a spreadsheet: both one column wide, the plain text is taken.
    EXPECT_ROWS(clipboardRows(u("1 \n2"), toHtmlTable(rows({{"1"}, {"2"}}))), rows({{"1 "}, {"2"}}));
    // HTML without a table gives nothing over the plain text.
    EXPECT_ROWS(clipboardRows(u("word"), u("<b>word</b>")), rows({{"word"}}));
    EXPECT_ROWS(clipboardRows(QString(), u("<b>word</b>")), CellRows{});
}

} // namespace
} // namespace vornak
