// Every kind of change as one undo step: redo, undo and redo again leave the definition byte-equal
// to before and after; codes follow their records; typing merges; the clean state is "unmodified".
#include "DocumentTestSupport.h"
#include "EditText.h"
#include "UndoCommands.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

namespace vornak {
namespace {

using test::cp1251;

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::openDefinition(document, test::sampleDefinition(), folder.file("sample.rpt"));
    }

    const ReportDefinition& model() const { return document.definition(); }
    std::string bytes() const { return serializeDefinition(document.definition()); }

    test::TempFolder folder;
    DefinitionDocument document;
};

struct StepCase {
    const char* name;
    std::function<bool(DefinitionDocument&)> step;
    const char* undoText;
};

class CommandStepTest : public CommandsTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(CommandStepTest, RedoUndoRedoAreByteEqual) {
    const StepCase& c = GetParam();
    const std::string before = bytes();
    ASSERT_TRUE(c.step(document));
    const std::string after = bytes();
    EXPECT_NE(after, before);
    ASSERT_EQ(document.undoStack()->count(), 1) << "one undo step";
    EXPECT_EQ(document.undoStack()->undoText(), QString::fromUtf8(c.undoText));
    EXPECT_TRUE(document.isModified());
    for (int round = 0; round < 2; ++round) {
        document.undoStack()->undo();
        EXPECT_EQ(bytes(), before);
        EXPECT_FALSE(document.isModified());
        document.undoStack()->redo();
        EXPECT_EQ(bytes(), after);
        EXPECT_TRUE(document.isModified());
    }
}

const auto ok = [](int index) { return index >= 0; };

INSTANTIATE_TEST_SUITE_P(
    AllKinds, CommandStepTest,
    ::testing::Values(
        StepCase{"ParameterName",
                 [](DefinitionDocument& d) {
                     return d.setCell({TextField::ParameterName, 2, 0}, "Длина");
                 },
                 "ввод названия параметра"},
        StepCase{"UpperBound",
                 [](DefinitionDocument& d) {
                     return d.setCell({TextField::UpperBound, 2, 1}, "24");
                 },
                 "ввод значения"},
        StepCase{"ResultText",
                 [](DefinitionDocument& d) {
                     return d.setCell({TextField::ResultText, 3, 0}, "#T");
                 },
                 "ввод результата"},
        StepCase{"Title",
                 [](DefinitionDocument& d) { return d.typeText(locationOf(ReportText::Title), "Рост"); },
                 "ввод названия отчёта"},
        StepCase{"Formula",
                 [](DefinitionDocument& d) {
                     return d.typeText({TextField::ParameterFormula, 3, 0}, "#S");
                 },
                 "ввод формулы"},
        StepCase{"Browse", [](DefinitionDocument& d) { return d.setDocumentFile("Форма.doc"); },
                 "выбор документа"},
        StepCase{"KindRangeToList", [](DefinitionDocument& d) { return d.setKind(1, ValueKind::List); },
                 "смена типа значения"},
        StepCase{"KindListToInputDropsRows",
                 [](DefinitionDocument& d) { return d.setKind(0, ValueKind::Input); }, "смена типа значения"},
        StepCase{"NumberOn", [](DefinitionDocument& d) { return d.setNumber(0, true); },
                 "изменение флажка «Число»"},
        StepCase{"FormulaOffEmptiesFormula", [](DefinitionDocument& d) { return d.setHasFormula(1, false); },
                 "изменение флажка «Формула»"},
        StepCase{"FormulaOn", [](DefinitionDocument& d) { return d.setHasFormula(0, true); },
                 "изменение флажка «Формула»"},
        StepCase{"AddParameterFirst", [](DefinitionDocument& d) { return ok(d.addParameter(0)); },
                 "добавление параметра"},
        StepCase{"AddParameterMiddle", [](DefinitionDocument& d) { return ok(d.addParameter(1)); },
                 "добавление параметра"},
        StepCase{"AddParameterLast", [](DefinitionDocument& d) { return ok(d.addParameter(3)); },
                 "добавление параметра"},
        StepCase{"DeleteParameterFirst", [](DefinitionDocument& d) { return d.deleteParameter(0); },
                 "удаление параметра"},
        StepCase{"DeleteParameterLast", [](DefinitionDocument& d) { return d.deleteParameter(2); },
                 "удаление параметра"},
        StepCase{"MoveParameterDown", [](DefinitionDocument& d) { return ok(d.moveParameter(0, 1)); },
                 "перемещение параметра"},
        StepCase{"MoveParameterUp", [](DefinitionDocument& d) { return ok(d.moveParameter(2, -1)); },
                 "перемещение параметра"},
        StepCase{"DuplicateParameter", [](DefinitionDocument& d) { return ok(d.duplicateParameter(0)); },
                 "копирование параметра"},
        StepCase{"AddValueRow", [](DefinitionDocument& d) { return ok(d.addValueRow(1, 1)); },
                 "добавление значения"},
        StepCase{"DeleteValueRow", [](DefinitionDocument& d) { return d.deleteValueRow(0, 1); },
                 "удаление значения"},
        StepCase{"MoveValueRow", [](DefinitionDocument& d) { return ok(d.moveValueRow(0, 2, -1)); },
                 "перемещение значения"},
        StepCase{"AddResult", [](DefinitionDocument& d) { return ok(d.addResult(1)); },
                 "добавление результата"},
        StepCase{"DeleteResult", [](DefinitionDocument& d) { return d.deleteResult(0); },
                 "удаление результата"},
        StepCase{"MoveResult", [](DefinitionDocument& d) { return ok(d.moveResult(1, 1)); },
                 "перемещение результата"}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

// --- Codes follow their records ---------------------------------------------------------------

struct RenumberCase {
    const char* name;
    std::function<bool(DefinitionDocument&)> step;
    TextLocation where; // a text after the step
    const char* expected;
    int codes; // codes the step rewrote
};

class RenumberTest : public CommandsTest, public ::testing::WithParamInterface<RenumberCase> {};

TEST_P(RenumberTest, CodesKeepNamingTheSameRecordInOneStep) {
    const RenumberCase& c = GetParam();
    QSignalSpy renumbered(&document, &DefinitionDocument::codesRenumbered);
    const std::string before = bytes();
    ASSERT_TRUE(c.step(document));
    EXPECT_EQ(textAt(model(), c.where), c.expected);
    ASSERT_EQ(renumbered.count(), c.codes > 0 ? 1 : 0);
    if (c.codes > 0) {
        EXPECT_EQ(renumbered.first().first().toInt(), c.codes);
    }
    EXPECT_EQ(document.undoStack()->count(), 1);
    document.undoStack()->undo();
    EXPECT_EQ(bytes(), before);
}

// Sample texts: parameter 2 formula "#P(1)+#R(3)*2 + #N(2) + #P( (1+2)^2 )", parameter 3 formula
// "#P(2)/#P(3)", parameter 1 row 3 result "#P(2)"; results "#P(1)+#P(2)+#P(3)", "#X(1)*2",
// "#X(2)+#X(1) #X(3)".
INSTANTIATE_TEST_SUITE_P(
    Codes, RenumberTest,
    ::testing::Values(RenumberCase{"InsertBeforeSecond",
                                   [](DefinitionDocument& d) { return d.addParameter(1) == 1; },
                                   {TextField::ResultText, 1, 0},
                                   "#P(1)+#P(3)+#P(4)",
                                   7},
                      RenumberCase{"InsertLastChangesNothing",
                                   [](DefinitionDocument& d) { return d.addParameter(3) == 3; },
                                   {TextField::ParameterFormula, 3, 0},
                                   "#P(2)/#P(3)",
                                   0},
                      RenumberCase{"DeleteFirstZeroesItsCodes",
                                   [](DefinitionDocument& d) { return d.deleteParameter(0); },
                                   {TextField::ParameterFormula, 1, 0},
                                   "#P(0)+#R(2)*2 + #N(1) + #P( (1+2)^2 )",
                                   8},
                      RenumberCase{"DeleteFirstInResults",
                                   [](DefinitionDocument& d) { return d.deleteParameter(0); },
                                   {TextField::ResultText, 1, 0},
                                   "#P(0)+#P(1)+#P(2)",
                                   8},
                      RenumberCase{"MoveFirstDown",
                                   [](DefinitionDocument& d) { return d.moveParameter(0, 1) == 1; },
                                   {TextField::ParameterFormula, 1, 0},
                                   "#P(2)+#R(3)*2 + #N(1) + #P( (1+2)^2 )",
                                   6},
                      RenumberCase{"DuplicateRenumbersTheCopyToo",
                                   [](DefinitionDocument& d) { return d.duplicateParameter(0) == 1; },
                                   {TextField::ValueResult, 2, 3},
                                   "#P(3)",
                                   7},
                      RenumberCase{"DeleteFirstResult",
                                   [](DefinitionDocument& d) { return d.deleteResult(0); },
                                   {TextField::ResultText, 2, 0},
                                   "#X(1)+#X(0) #X(2)",
                                   4},
                      RenumberCase{"MoveResultUp",
                                   [](DefinitionDocument& d) { return d.moveResult(2, -1) == 1; },
                                   {TextField::ResultText, 2, 0},
                                   "#X(3)+#X(1) #X(2)",
                                   2},
                      RenumberCase{"InsertResultFirst",
                                   [](DefinitionDocument& d) { return d.addResult(0) == 0; },
                                   {TextField::ResultText, 4, 0},
                                   "#X(3)+#X(2) #X(4)",
                                   4}),
    [](const ::testing::TestParamInfo<RenumberCase>& info) { return std::string(info.param.name); });

// --- Details of single commands ---------------------------------------------------------------

TEST_F(CommandsTest, SwitchToInputDropsRowsAndUndoBringsThemBack) {
    const std::vector<ValueRow> rows = model().parameters[0].values;
    ASSERT_EQ(rows.size(), 3U);
    ASSERT_TRUE(document.setKind(0, ValueKind::Input));
    EXPECT_EQ(model().parameters[0].values, std::vector<ValueRow>{rows[0]});
    document.undoStack()->undo();
    EXPECT_EQ(model().parameters[0].values, rows);
    EXPECT_EQ(model().parameters[0].kind, ValueKind::List);
}

TEST_F(CommandsTest, DuplicateIsAnEqualCopyBelowWithAllRows) {
    ASSERT_EQ(document.duplicateParameter(0), 1);
    ASSERT_EQ(model().parameters.size(), 4U);
    EXPECT_EQ(model().parameters[1], model().parameters[0]);
    EXPECT_EQ(model().parameters[1].values.size(), 3U);
    EXPECT_EQ(model().parameters[2].name, "Length");
}

TEST_F(CommandsTest, SwitchKeepsUpperBounds) {
    ASSERT_TRUE(document.setKind(0, ValueKind::Range));
    ASSERT_TRUE(document.setKind(0, ValueKind::List));
    EXPECT_EQ(model().parameters[0].values[1].upperBound, "x");
}

TEST_F(CommandsTest, ClearingTheFormulaFlagEmptiesTheFormulaAndUndoRestoresIt) {
    const std::string formula = model().parameters[1].formula;
    ASSERT_TRUE(document.setHasFormula(1, false));
    EXPECT_EQ(model().parameters[1].formula, "");
    EXPECT_EQ(model().parameters[1].hasFormula, 0);
    document.undoStack()->undo();
    EXPECT_EQ(model().parameters[1].formula, formula);
    EXPECT_EQ(model().parameters[1].hasFormula, 1);
}

TEST_F(CommandsTest, NewRowsTakeTheirKindsContents) {
    const int list = document.addValueRow(0, 3);
    const int range = document.addValueRow(1, 0);
    EXPECT_EQ(model().parameters[0].values[static_cast<std::size_t>(list)],
              (ValueRow{cp1251("Значение"), "", cp1251("Результат")}));
    EXPECT_EQ(model().parameters[1].values[static_cast<std::size_t>(range)],
              (ValueRow{"0", "1", cp1251("Результат")}));
    ASSERT_TRUE(document.deleteValueRow(2, 0));
    ASSERT_EQ(document.addValueRow(2, 0), 0);
    EXPECT_EQ(model().parameters[2].values[0], (ValueRow{cp1251("Начальное значение"), "", ""}));
    const int added = document.addParameter(0);
    EXPECT_EQ(
        model().parameters[static_cast<std::size_t>(added)],
        (ParameterRecord{
            cp1251("Название"), "", ValueKind::List, 0, 0, {{cp1251("Значение"), "", cp1251("Результат")}}}));
}

TEST_F(CommandsTest, NothingToDoPushesNoStep) {
    const std::string before = bytes();
    EXPECT_EQ(document.addValueRow(2, 1), -1) << "an Input parameter holds one row";
    EXPECT_FALSE(document.setKind(1, ValueKind::Range));
    EXPECT_FALSE(document.setNumber(1, true));
    EXPECT_FALSE(document.setHasFormula(0, false));
    EXPECT_EQ(document.moveParameter(0, -1), -1);
    EXPECT_EQ(document.moveParameter(2, 1), -1);
    EXPECT_EQ(document.moveValueRow(0, 0, -1), -1);
    EXPECT_EQ(document.moveResult(2, 1), -1);
    EXPECT_FALSE(document.deleteParameter(3));
    EXPECT_FALSE(document.deleteValueRow(0, 3));
    EXPECT_FALSE(document.deleteResult(-1));
    EXPECT_EQ(document.addParameter(4), -1);
    EXPECT_EQ(document.addResult(-1), -1);
    EXPECT_TRUE(document.setCell({TextField::ResultName, 1, 0}, "Height")) << "same text: accepted, no step";
    EXPECT_FALSE(document.setCell({TextField::ResultName, 4, 0}, "x"));
    EXPECT_EQ(document.undoStack()->count(), 0);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(bytes(), before);
}

TEST_F(CommandsTest, RefusedTextsChangeNothing) {
    const std::string before = bytes();
    EXPECT_FALSE(document.setCell({TextField::ParameterName, 1, 0}, "a\nb"));
    EXPECT_FALSE(document.setCell({TextField::Value, 1, 1}, "✓"));
    EXPECT_FALSE(document.typeText(locationOf(ReportText::Author), QString(maxLineBytes + 1, 'a')));
    EXPECT_FALSE(document.setDocumentFile(""));
    EXPECT_FALSE(document.setDocumentFile("a\rb.doc"));
    EXPECT_EQ(document.undoStack()->count(), 0);
    EXPECT_EQ(bytes(), before);
}

TEST_F(CommandsTest, TypingMergesIntoOneStepPerField) {
    const TextLocation title = locationOf(ReportText::Title);
    const TextLocation author = locationOf(ReportText::Author);
    const std::string original = model().title;
    for (const char* typed : {"a", "ab", "abc"}) {
        ASSERT_TRUE(document.typeText(title, typed));
    }
    EXPECT_EQ(document.undoStack()->count(), 1);
    ASSERT_TRUE(document.typeText(author, "x"));
    ASSERT_TRUE(document.typeText(title, "abcd")) << "another field in between starts a new step";
    EXPECT_EQ(document.undoStack()->count(), 3);
    document.finishTyping();
    ASSERT_TRUE(document.typeText(title, "abcde"));
    EXPECT_EQ(document.undoStack()->count(), 4) << "a finished field edit is not merged into";
    document.undoStack()->undo();
    EXPECT_EQ(model().title, "abcd");
    document.undoStack()->undo();
    document.undoStack()->undo();
    EXPECT_EQ(model().title, "abc");
    document.undoStack()->undo();
    EXPECT_EQ(model().title, original);
    EXPECT_FALSE(document.isModified());
}

TEST_F(CommandsTest, CellEditsAreNotMerged) {
    ASSERT_TRUE(document.setCell({TextField::ResultName, 1, 0}, "a"));
    ASSERT_TRUE(document.setCell({TextField::ResultName, 1, 0}, "ab"));
    EXPECT_EQ(document.undoStack()->count(), 2);
}

TEST_F(CommandsTest, TypingTakenBackLeavesNoStep) {
    const QString original = displayText(model().author);
    ASSERT_TRUE(document.typeText(locationOf(ReportText::Author), original + "x"));
    ASSERT_TRUE(document.typeText(locationOf(ReportText::Author), original));
    EXPECT_EQ(document.undoStack()->count(), 0);
    EXPECT_FALSE(document.isModified());
}

TEST_F(CommandsTest, DefinitionChangedOncePerStep) {
    QSignalSpy changed(&document, &DefinitionDocument::definitionChanged);
    struct Step {
        const char* name;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"renumbering step", [&] { document.deleteParameter(0); }},
        {"first keystroke", [&] { document.typeText(locationOf(ReportText::Title), "a"); }},
        {"merged keystroke", [&] { document.typeText(locationOf(ReportText::Title), "ab"); }},
        {"undo", [&] { document.undoStack()->undo(); }},
        {"redo", [&] { document.undoStack()->redo(); }},
        {"new", [&] { document.newDocument(); }},
        {"open", [&] { test::openDefinition(document, test::sampleDefinition(), folder.file("again.rpt")); }},
    };
    for (const Step& step : steps) {
        changed.clear();
        step.run();
        EXPECT_EQ(changed.count(), 1) << step.name;
    }
    changed.clear();
    EXPECT_FALSE(document.setKind(1, ValueKind::Range));
    ASSERT_TRUE(document.save().ok);
    EXPECT_EQ(changed.count(), 0) << "no change, and saving changes nothing";
}

TEST_F(CommandsTest, CleanStateIsUnmodified) {
    QSignalSpy modified(&document, &DefinitionDocument::modifiedChanged);
    ASSERT_TRUE(document.typeText(locationOf(ReportText::Date), "1"));
    ASSERT_TRUE(document.save().ok);
    EXPECT_FALSE(document.isModified());
    ASSERT_TRUE(document.typeText(locationOf(ReportText::Date), "12"));
    EXPECT_EQ(document.undoStack()->count(), 2) << "typing after a save is a step of its own";
    EXPECT_TRUE(document.isModified());
    document.undoStack()->undo();
    EXPECT_FALSE(document.isModified()) << "back at the saved state";
    document.undoStack()->undo();
    EXPECT_TRUE(document.isModified()) << "before the saved state";
    const QList<bool> expected{true, false, true, false, true};
    QList<bool> seen;
    for (const QList<QVariant>& signal : modified) {
        seen.append(signal.first().toBool());
    }
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace vornak
