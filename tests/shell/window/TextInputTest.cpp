// What the edits and cell editors let in: nothing a definition file cannot hold. A line break, a
// character without a Windows-1251 byte or a text over 2047 bytes is refused whole, typed or
// pasted, and the text already there stays, in the edit and in the model.
#include "FormHarness.h"

#include <QClipboard>

namespace vornak::testing {
namespace {

using TextInput = FormTest;

// Texts that must not get in, and why.
const struct {
    QString text;
    const char* why;
} refused[] = {
    {QStringLiteral("a\nb"), "line feed"},
    {QStringLiteral("a\r\nb"), "CR LF"},
    {QStringLiteral("\r"), "carriage return"},
    {QStringLiteral("x\u2028y"), "line separator"},
    {QStringLiteral("smile \U0001F600"), "emoji"},
    {QStringLiteral("\u4E2D\u6587"), "Chinese"},
    {QStringLiteral("\u20AC\u0416\u0101"), "a macron a after euro and zhe"},
};

void paste(QLineEdit* target, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
}

TEST_F(TextInput, EditsRefusePastedTextsAFileCannotHold) {
    start();
    for (const char* id : {"titleEdit", "sourceEdit", "dateEdit"}) {
        QLineEdit* e = edit(id);
        const QString before = e->text();
        for (const auto& r : refused) {
            e->setCursorPosition(2);
            paste(e, r.text);
            EXPECT_EQ(e->text(), before) << r.why << " in edit " << id;
        }
    }
    EXPECT_FALSE(form->document().isModified());

    // A fitting paste goes in: the check refuses only what does not fit.
    edit("titleEdit")->end(false);
    paste(edit("titleEdit"), QStringLiteral(" — №5 «рост»"));
    EXPECT_TRUE(edit("titleEdit")->text().endsWith(QStringLiteral(" — №5 «рост»")));
    EXPECT_TRUE(form->document().isModified());
}

TEST_F(TextInput, FormulaEditRefusesWhatTheModelCouldNotStore) {
    start();
    click("formulaCheck");
    QLineEdit* formula = edit("formulaEdit");
    ASSERT_TRUE(formula->isEnabled());
    typeText(formula, QStringLiteral("#P(1)+2"));
    EXPECT_EQ(model.parameters[0].formula, "#P(1)+2");
    for (const auto& r : refused) {
        paste(formula, r.text);
        typeCharacter(formula, r.text.right(2));
        EXPECT_EQ(formula->text(), QStringLiteral("#P(1)+2")) << r.why;
        EXPECT_EQ(model.parameters[0].formula, "#P(1)+2") << r.why;
    }
}

TEST_F(TextInput, CellEditorsRefuseTypedAndPastedTextsAFileCannotHold) {
    start();
    const struct {
        CellGrid* grid;
        int column;
        std::function<std::string()> modelText;
    } cells[] = {
        {parameters(), 1, [&] { return model.parameters[0].name; }},
        {values(), 0, [&] { return model.parameters[0].values[0].value; }},
        {values(), 1, [&] { return model.parameters[0].values[0].result; }},
        {results(), 2, [&] { return model.results[0].result; }},
    };
    for (const auto& c : cells) {
        const std::string before = c.modelText();
        const QString shownBefore = cellText(c.grid, 0, c.column);
        GridEdit* box = c.grid->editCell(0, c.column);
        ASSERT_NE(box, nullptr);
        box->setCursorPosition(1);
        for (const auto& r : refused) {
            QGuiApplication::clipboard()->setText(r.text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            typeCharacter(box, r.text.right(2));
            EXPECT_EQ(box->text(), shownBefore) << r.why;
        }
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(cellText(c.grid, 0, c.column), shownBefore);
        EXPECT_EQ(c.modelText(), before);
    }
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(TextInput, TextsStopAt2047Bytes) {
    start();
    const QString longest(2047, QChar(0x0416)); // "Ж", one byte each in Windows-1251
    QLineEdit* title = edit("titleEdit");
    title->selectAll();
    paste(title, longest);
    ASSERT_EQ(title->text(), longest);
    typeCharacter(title, QStringLiteral("ж"));
    EXPECT_EQ(title->text(), longest);

    // In a cell the same: 2047 bytes are stored, one more is refused.
    editCell(results(), 0, 1, QStringLiteral("x"));
    GridEdit* box = results()->editCell(0, 1);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    QGuiApplication::clipboard()->setText(longest);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    typeCharacter(box, QStringLiteral("ж"));
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(model.results[0].name.size(), 2047u);
    EXPECT_EQ(model.results[0].name, std::string(2047, '\xC6'));
}

TEST_F(TextInput, WhatIsTypedReachesTheModelAsWindows1251) {
    start();
    editCell(parameters(), 0, 1, QStringLiteral("Длина «бедра» № 1 — см"));
    EXPECT_EQ(model.parameters[0].name,
              std::string("\xC4\xEB\xE8\xED\xE0 \xAB\xE1\xE5\xE4\xF0\xE0\xBB \xB9 1 \x97 \xF1\xEC"));
    EXPECT_EQ(cellText(parameters(), 0, 1), QStringLiteral("Длина «бедра» № 1 — см"));
}

TEST_F(TextInput, ATextReadWithACarriageReturnKeepsTheCheckOnAndItsBytes) {
    start();
    // The reader takes a lone CR inside a line as text; the edit shows it as it is.
    ReportDefinition d;
    d.title = "Title\rx";
    d.parameters.push_back(ParameterRecord{"Na\rme", "", ValueKind::List, 0, 0, {{"v", "", "r"}}});
    load(d);
    ASSERT_EQ(model.title, "Title\rx");
    QLineEdit* title = edit("titleEdit");

    // A pasted line break or a character without a Windows-1251 byte is still refused, in the
    // field and in a cell editor.
    for (const auto& r : refused) {
        title->setCursorPosition(2);
        paste(title, r.text);
        EXPECT_EQ(model.title, "Title\rx") << r.why;
    }
    GridEdit* box = parameters()->editCell(0, 1);
    ASSERT_NE(box, nullptr);
    const QString shownBefore = box->text();
    for (const auto& r : refused) {
        box->setCursorPosition(1);
        QGuiApplication::clipboard()->setText(r.text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text(), shownBefore) << r.why;
    }
    // What fits goes in, and the CR already there keeps its byte.
    box->end(false);
    typeText(box, QStringLiteral("ж"));
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(model.parameters[0].name, "Na\rme" + bytes(QStringLiteral("ж")));
    title->end(false);
    typeText(title, QStringLiteral("!"));
    EXPECT_EQ(model.title, "Title\rx!");

    // Saved and read back: the same texts, nothing shifted.
    const QString path = dir.filePath(QStringLiteral("cr.rpt"));
    fileDialogs.enqueue(path);
    form->runCommand("fileSaveAs");
    ReportDefinition back;
    ASSERT_TRUE(back.load(TextCodec::encodePath(path)));
    EXPECT_TRUE(back == model);
}

} // namespace
} // namespace vornak::testing
