// The printout's pages: a table that runs over a page repeats its header there and loses no row; a
// cell taller than a page goes on over the next pages with all its text; a word longer than its
// column wraps instead of running off the page; every page's footer counts the pages right; an
// empty definition prints.
#include "PrintoutPages.h"
#include "DefinitionPrintout.h"
#include "PrintoutContent.h"
#include "TextCodec.h"

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vornak {
namespace {

std::string bytes(const QString& text) {
    return TextCodec::encode(text);
}

ParameterRecord listParameter(const QString& name, int rows) {
    ParameterRecord p;
    p.name = bytes(name);
    for (int row = 1; row <= rows; ++row) {
        p.values.push_back(
            {bytes(QStringLiteral("знач%1").arg(row)), "", bytes(QStringLiteral("рез%1").arg(row))});
    }
    return p;
}

QString words(int count, const QString& stem) {
    QStringList list;
    for (int i = 1; i <= count; ++i) {
        list << QStringLiteral("%1%2").arg(stem).arg(i);
    }
    return list.join(QLatin1Char(' '));
}

class PrintoutPagesTest : public ::testing::Test {
protected:
    // A small page (about 10 by 8.5 cm at 300 dots an inch), so that little text fills it.
    const QSizeF smallBody{1200, 1000};
    QTemporaryDir dir;
    QPdfWriter device{dir.filePath(QStringLiteral("metrics.pdf"))};

    void SetUp() override { device.setResolution(300); }

    QString allText(const PrintoutPages& pages) const {
        QString text;
        for (int page = 0; page < pages.pageCount(); ++page) {
            text += pages.pageText(page);
        }
        return text;
    }
};

const QString listHeader = QStringLiteral("N\nЗначение\nРезультат\n");

TEST_F(PrintoutPagesTest, ATableOverPagesRepeatsItsHeaderAndKeepsEveryRowOnce) {
    ReportDefinition d;
    d.parameters = {listParameter(QStringLiteral("Цвет"), 120)};
    const PrintoutPages pages(printoutContent(d), device, smallBody);
    ASSERT_GT(pages.pageCount(), 3);
    QStringList values;
    bool begun = false;
    for (int page = 0; page < pages.pageCount(); ++page) {
        const QString text = pages.pageText(page);
        // Each page after the one the table begins on starts with its header.
        if (begun) {
            EXPECT_TRUE(text.startsWith(listHeader)) << page << ":\n" << text.toStdString();
        }
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("знач"))) {
                values << line;
            }
        }
        begun = begun || text.contains(listHeader);
    }
    QStringList expected;
    for (int row = 1; row <= 120; ++row) {
        expected << QStringLiteral("знач%1").arg(row);
    }
    EXPECT_EQ(values, expected);
}

TEST_F(PrintoutPagesTest, ACellTallerThanAPageGoesOnOverThePagesWithItsHeader) {
    ReportDefinition d;
    ParameterRecord p;
    p.name = bytes(QStringLiteral("Описание"));
    p.values = {{bytes(words(2500, QStringLiteral("слово"))), "", bytes(QStringLiteral("итог"))},
                {bytes(QStringLiteral("после")), "", "2"}};
    d.parameters = {p};
    const PrintoutPages pages(printoutContent(d), device, smallBody);
    ASSERT_GT(pages.pageCount(), 3);
    int first = 0;
    while (first < pages.pageCount() && !pages.pageText(first).contains(listHeader)) {
        ++first;
    }
    ASSERT_LT(first, 2);
    for (int page = first + 1; page < pages.pageCount(); ++page) {
        EXPECT_TRUE(pages.pageText(page).startsWith(listHeader)) << page << ":\n"
                                                                 << pages.pageText(page).toStdString();
    }
    // Every word, once and in order.
    const QStringList lines = allText(pages).split(QLatin1Char('\n'));
    QStringList printed;
    for (const QString& line : lines) {
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (word.startsWith(QStringLiteral("слово"))) {
                printed << word;
            }
        }
    }
    EXPECT_EQ(printed.join(QLatin1Char(' ')), words(2500, QStringLiteral("слово")));
    EXPECT_TRUE(allText(pages).contains(QStringLiteral("итог\n")));
    EXPECT_TRUE(allText(pages).contains(QStringLiteral("после\n")));
}

// Whatever the texts, each page's lines and rules stay inside its body, and the printout's text is
// all there, in reading order.
TEST_F(PrintoutPagesTest, EverythingIsPrintedInsideThePageInReadingOrder) {
    struct Case {
        const char* name;
        ReportDefinition definition;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", ReportDefinition{}});
    ReportDefinition texts;
    texts.title = bytes(words(40, QStringLiteral("Заголовок")));
    texts.author = bytes(words(300, QStringLiteral("автор")));
    texts.organisation = bytes(QString(400, QChar(0x0416)));
    cases.push_back({"long report texts and an unbroken word", texts});
    ReportDefinition formula;
    ParameterRecord p = listParameter(QStringLiteral("Вес"), 3);
    p.kind = ValueKind::Range;
    p.values[1].upperBound = bytes(QString(300, QChar(0x0434)));
    p.hasFormula = 1;
    p.formula = bytes(words(1500, QStringLiteral("#P")));
    formula.parameters = {p, listParameter(QStringLiteral("Рост"), 30)};
    formula.results = {{bytes(QStringLiteral("Итог")), bytes(words(200, QStringLiteral("#R")))}};
    cases.push_back({"a formula longer than a page", formula});
    for (const Case& c : cases) {
        const std::vector<PrintoutBlock> blocks = printoutContent(c.definition);
        const PrintoutPages pages(blocks, device, smallBody);
        ASSERT_GE(pages.pageCount(), 1) << c.name;
        for (int page = 0; page < pages.pageCount(); ++page) {
            EXPECT_TRUE(pages.staysInside(page)) << c.name << ", page " << page;
        }
        // Lines broken inside a word join again once the line ends are gone.
        QString printed = allText(pages);
        printed.remove(QRegularExpression(QStringLiteral("\\s")));
        qsizetype at = 0;
        for (const QString& word : printoutPlainText(blocks).split(QRegularExpression(QStringLiteral("\\s+")),
                                                                   Qt::SkipEmptyParts)) {
            const qsizetype found = printed.indexOf(word, at);
            ASSERT_GE(found, 0) << c.name << ": " << word.toStdString() << " after " << at;
            at = found + word.size();
        }
    }
}

// Each kind of parameter has its own columns: a range prints both bounds, an input its initial
// value; the columns take the whole width.
TEST(PrintoutContentTest, EachKindOfParameterPrintsItsOwnColumns) {
    struct Case {
        ValueKind kind;
        QStringList header;
        QStringList firstRow;
    };
    const Case cases[] = {
        {ValueKind::List, {"N", "Значение", "Результат"}, {"1", "низкий", "1"}},
        {ValueKind::Range, {"N", ">=", "<", "Результат"}, {"1", "низкий", "10", "1"}},
        {ValueKind::Input, {"N", "Начальное значение", "Результат"}, {"1", "низкий", "1"}},
    };
    for (const Case& c : cases) {
        ReportDefinition d;
        ParameterRecord p;
        p.name = "X";
        p.kind = c.kind;
        p.hasFormula = 1;
        p.formula = "#P(1)*2";
        p.values = {{bytes(QStringLiteral("низкий")), "10", "1"}};
        d.parameters = {p};
        const std::vector<PrintoutBlock> blocks = printoutContent(d);
        // Title, the texts' heading and table, the parameters' heading, then the parameter's own.
        ASSERT_EQ(blocks.size(), 9u);
        EXPECT_TRUE(blocks[5].text.endsWith(QStringLiteral("формула: да — #P(1)*2")))
            << blocks[5].text.toStdString();
        const PrintoutBlock& table = blocks[6];
        EXPECT_EQ(table.header, c.header);
        ASSERT_EQ(table.rows.size(), 1u);
        EXPECT_EQ(table.rows[0], c.firstRow);
        double whole = 0;
        for (const double share : table.columnShares) {
            whole += share;
        }
        EXPECT_EQ(table.columnShares.size(), static_cast<std::size_t>(c.header.size()));
        EXPECT_NEAR(whole, 1.0, 1e-9);
    }
}

QStringList pdfPages(const QString& path) {
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!extract.waitForFinished(60000) || extract.exitCode() != 0) {
        return {};
    }
    QStringList pages = QString::fromUtf8(extract.readAllStandardOutput()).split(QLatin1Char('\f'));
    // The text ends with a form feed after the last page.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

TEST_F(PrintoutPagesTest, EachPdfPageIsFootedWithItsNumberOfAll) {
    struct Case {
        const char* name;
        ReportDefinition definition;
        int minimumPages;
    };
    ReportDefinition many;
    for (int i = 1; i <= 40; ++i) {
        many.parameters.push_back(listParameter(QStringLiteral("Параметр%1").arg(i), 6));
    }
    const Case cases[] = {{"empty", ReportDefinition{}, 1}, {"forty parameters", many, 4}};
    for (const Case& c : cases) {
        const QString out = dir.filePath(QStringLiteral("%1.pdf").arg(QString::fromUtf8(c.name)));
        int printed = 0;
        {
            QPdfWriter writer(out);
            writer.setResolution(300);
            writer.setPageSize(QPageSize(QPageSize::A5));
            const DefinitionPrintout printout(c.definition, QStringLiteral("опыт.rpt"),
                                              QDateTime(QDate(2026, 3, 4), QTime(5, 6)), false);
            ASSERT_TRUE(printout.print(writer)) << c.name;
            printed = printout.pageCount();
        }
        const QStringList pages = pdfPages(out);
        ASSERT_EQ(pages.size(), printed) << c.name << " (pdftotext from poppler-utils is needed)";
        EXPECT_GE(printed, c.minimumPages) << c.name;
        for (int page = 0; page < pages.size(); ++page) {
            EXPECT_TRUE(
                pages[page].contains(QStringLiteral("опыт.rpt, сохранен 04.03.2026 05:06 — страница %1 из %2")
                                         .arg(page + 1)
                                         .arg(printed)))
                << c.name << ":\n"
                << pages[page].toStdString();
        }
        EXPECT_TRUE(pages.first().contains(QStringLiteral("Определение отчета"))) << c.name;
        EXPECT_TRUE(pages.last().contains(QStringLiteral("Результаты: 0"))) << c.name;
    }
}

} // namespace
} // namespace vornak
