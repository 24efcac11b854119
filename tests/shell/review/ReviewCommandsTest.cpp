// The reviewer's commands in the real window: "Сравнить с файлом..." lists the differences from a
// chosen file, follows edits and takes the window to a difference's place; the printout holds
// every text of the definition in reading order with a footer on every page, and the PDF written
// without a window pages a long definition.
#include "FormHarness.h"

#include "ComparisonWindow.h"
#include "DefinitionPrintout.h"
#include "ReviewCommands.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPdfWriter>
#include <QProcess>
#include <QScreen>

namespace vornak::testing {
namespace {

ReportDefinition method() {
    ReportDefinition d;
    d.title = bytes(QStringLiteral("Рост по костям"));
    d.author = bytes(QStringLiteral("Ведунов"));
    ParameterRecord sex;
    sex.name = bytes(QStringLiteral("Пол"));
    sex.values = {{bytes(QStringLiteral("мужской")), "", "1"}, {bytes(QStringLiteral("женский")), "", "2"}};
    ParameterRecord age;
    age.name = bytes(QStringLiteral("Возраст"));
    age.kind = ValueKind::Range;
    age.values = {{"0", "18", bytes(QStringLiteral("молодой"))},
                  {"18", "60", bytes(QStringLiteral("средний"))}};
    d.parameters = {sex, age};
    d.results = {{bytes(QStringLiteral("Рост")), "#R(2)+#P(1)"}};
    return d;
}

class ReviewCommandsTest : public FormTest {};

TEST_F(ReviewCommandsTest, FileMenuKeepsItsItemsAndAddsTheTwoAfterSaveTable) {
    start();
    QMenu* file = form->menuBar()->actions().first()->menu();
    ASSERT_NE(file, nullptr);
    QStringList texts;
    for (QAction* action : file->actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
        }
    }
    const int saveTable = static_cast<int>(texts.indexOf(QStringLiteral("Сохранить &таблицу...")));
    ASSERT_GE(saveTable, 0) << texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(texts.value(saveTable + 1), QStringLiteral("Сра&внить с файлом..."));
    EXPECT_EQ(texts.value(saveTable + 2), QStringLiteral("&Печать..."));
    EXPECT_EQ(form->action("filePrint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    // The items before keep their order.
    EXPECT_EQ(texts.mid(0, 5),
              (QStringList{QStringLiteral("&Новый"), QStringLiteral("&Открыть"), QStringLiteral("&Сохранить"),
                           QStringLiteral("Сохранить &как..."), QStringLiteral("Сохранить &таблицу...")}));
}

TEST_F(ReviewCommandsTest, ComparisonListsFollowsEditsAndGoesToTheCell) {
    start();
    const QString other = dir.filePath(QStringLiteral("v1.rpt"));
    ASSERT_TRUE(method().save(TextCodec::encodePath(other)));
    ReportDefinition changed = method();
    changed.parameters[1].values[1].upperBound = "65";
    changed.results[0].result = "#R(2)";
    load(changed, QStringLiteral("v2.rpt"));

    fileDialogs.enqueue(other);
    ASSERT_TRUE(form->runCommand("fileCompare"));
    ComparisonWindow* window = form->review().comparisonWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(window->list()->count(), 2);
    EXPECT_EQ(window->list()->item(0)->text(),
              QStringLiteral("Параметр 2 «Возраст», строка 2, верхняя граница: «60» → «65»"));
    EXPECT_EQ(window->list()->item(1)->text(), QStringLiteral("Результат 1 «Рост»: «#R(2)+#P(1)» → «#R(2)»"));

    // Activating the first shows parameter 2, its second row, the upper bound.
    emit window->list()->itemActivated(window->list()->item(0));
    QApplication::processEvents();
    EXPECT_EQ(parameters()->currentIndex().row(), 1);
    EXPECT_EQ(form->parameterPanel().shownParameter(), 1);
    EXPECT_EQ(values()->currentIndex().row(), 1);

    // An edit that undoes the difference takes it off the list once the loop runs.
    editCell(values(), 1, 1, QStringLiteral("60"));
    QApplication::processEvents();
    ASSERT_EQ(window->list()->count(), 1) << window->list()->item(0)->text().toStdString();
    EXPECT_TRUE(window->list()->item(0)->text().startsWith(QStringLiteral("Результат 1")));
    // Undo brings it back.
    form->runCommand("editUndo");
    QApplication::processEvents();
    EXPECT_EQ(window->list()->count(), 2);
}

// A main window that fills the screen leaves no room beside it: the comparison goes to the screen's
// edge, wholly on the screen.
TEST_F(ReviewCommandsTest, OnAFullScreenTheComparisonStaysOnTheScreenAtItsEdge) {
    start();
    const QRect room = form->screen()->availableGeometry();
    form->setGeometry(room);
    QApplication::processEvents();
    const QString other = dir.filePath(QStringLiteral("v1.rpt"));
    ASSERT_TRUE(method().save(TextCodec::encodePath(other)));
    fileDialogs.enqueue(other);
    ASSERT_TRUE(form->runCommand(QStringLiteral("fileCompare")));
    ComparisonWindow* window = form->review().comparisonWindow();
    ASSERT_NE(window, nullptr);
    const QRect place = window->frameGeometry();
    EXPECT_TRUE(room.contains(place)) << place.x() << "," << place.y() << " " << place.width() << "x"
                                      << place.height();
    EXPECT_EQ(place.right(), room.right());
}

TEST_F(ReviewCommandsTest, AFileThatCannotBeReadIsSaidAndNoWindowOpens) {
    start();
    const QString bad = dir.filePath(QStringLiteral("bad.rpt"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("R9\r\n");
    file.close();
    for (const QString& path : {bad, dir.filePath(QStringLiteral("missing.rpt"))}) {
        fileDialogs.enqueue(path);
        form->runCommand("fileCompare");
        EXPECT_EQ(form->review().comparisonWindow(), nullptr);
    }
    EXPECT_EQ(messages.requests().size(), 2u);
}

TEST_F(ReviewCommandsTest, PrintoutHoldsEveryTextInReadingOrderAndFootsEachPage) {
    const ReportDefinition d = method();
    const DefinitionPrintout printout(d, QStringLiteral("рост.rpt"),
                                      QDateTime(QDate(2026, 12, 1), QTime(9, 30)), true);
    const QString text = printout.plainText();
    qsizetype at = 0;
    for (const QString& expected :
         {QStringLiteral("Рост по костям"), QStringLiteral("Ведунов"), QStringLiteral("Параметр 1. Пол"),
          QStringLiteral("мужской"), QStringLiteral("женский"), QStringLiteral("Параметр 2. Возраст"),
          QStringLiteral("Диапазон"), QStringLiteral("18"), QStringLiteral("60"), QStringLiteral("средний"),
          QStringLiteral("Рост"), QStringLiteral("#R(2)+#P(1)")}) {
        const qsizetype found = text.indexOf(expected, at);
        ASSERT_GE(found, 0) << expected.toStdString() << " after " << at;
        at = found + expected.size();
    }
    EXPECT_EQ(printout.footerText(2, 3),
              QStringLiteral(
                  "рост.rpt, сохранен 01.12.2026 09:30 (с несохраненными изменениями) — страница 2 из 3"));
}

TEST_F(ReviewCommandsTest, ALongDefinitionPrintsToSeveralPdfPages) {
    ReportDefinition d = method();
    for (int i = 0; i < 60; ++i) {
        ParameterRecord p;
        p.name = "P" + std::to_string(i);
        p.kind = ValueKind::Range;
        for (int r = 0; r < 8; ++r) {
            p.values.push_back({std::to_string(r), std::to_string(r + 1), "r" + std::to_string(r)});
        }
        d.parameters.push_back(p);
    }
    const QString in = dir.filePath(QStringLiteral("long.rpt"));
    const QString out = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(d.save(TextCodec::encodePath(in)));
    QString error;
    ASSERT_TRUE(printDefinitionToPdf(QFile::encodeName(in), out, error)) << error.toStdString();
    QFile pdf(out);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray content = pdf.readAll();
    EXPECT_TRUE(content.startsWith("%PDF"));
    // Pages are objects of type /Page; a long definition takes many.
    EXPECT_GT(content.count("/Type /Page\n") + content.count("/Type /Page\r") + content.count("/Type /Page "),
              3);

    EXPECT_FALSE(
        printDefinitionToPdf(QFile::encodeName(dir.filePath(QStringLiteral("none.rpt"))), out, error));
    EXPECT_TRUE(error.contains(QStringLiteral("none.rpt"))) << error.toStdString();
    EXPECT_FALSE(printDefinitionToPdf(QFile::encodeName(in),
                                      dir.filePath(QStringLiteral("no/such/folder.pdf")), error));
}

// The PDF's own text, as a reader of it extracts it: every text, value and result in reading order,
// Cyrillic intact, and the footer.
TEST_F(ReviewCommandsTest, ThePdfTextHoldsTheDefinitionInOrder) {
    const QString in = dir.filePath(QStringLiteral("рост.rpt"));
    const QString out = dir.filePath(QStringLiteral("рост.pdf"));
    ASSERT_TRUE(method().save(TextCodec::encodePath(in)));
    QString error;
    ASSERT_TRUE(printDefinitionToPdf(QFile::encodeName(in), out, error)) << error.toStdString();
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), out, QStringLiteral("-")});
    ASSERT_TRUE(extract.waitForFinished(60000)) << "pdftotext (poppler-utils) did not run";
    ASSERT_EQ(extract.exitCode(), 0);
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    qsizetype at = 0;
    for (const QString& expected :
         {QStringLiteral("Рост по костям"), QStringLiteral("Ведунов"), QStringLiteral("Пол"),
          QStringLiteral("мужской"), QStringLiteral("женский"), QStringLiteral("Возраст"),
          QStringLiteral("молодой"), QStringLiteral("средний"), QStringLiteral("#R(2)+#P(1)"),
          QStringLiteral("рост.rpt"), QStringLiteral("страница 1 из 1")}) {
        const qsizetype found = text.indexOf(expected, at);
        ASSERT_GE(found, 0) << expected.toStdString() << " after " << at << " in:\n" << text.toStdString();
        at = found + expected.size();
    }
}

} // namespace
} // namespace vornak::testing
