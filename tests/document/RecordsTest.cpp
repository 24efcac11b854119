// Several records in one step: a set removed, moved by one, duplicated, a block inserted. The
// records land where expected, the codes that name them follow (or become 0), one undo step gives
// the bytes back, and what a file cannot hold is not let in.
#include "DocumentTestSupport.h"
#include "RecordTableModel.h"
#include "ValueTableModel.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

namespace vornak {
namespace {

using test::cp1251;

TEST(RecordChangeTest, FollowsARecordThroughEachKindOfChange) {
    using Type = RecordChange::Type;
    struct Case {
        RecordChange change;
        std::vector<int> before; // positions before the change
        std::vector<int> after;  // where each stands after it
    };
    const RecordList list = RecordList::results();
    const Case cases[] = {
        {{Type::Insert, list, 2, 2, 0}, {0, 1, 2, 3}, {0, 1, 4, 5}},
        {{Type::Remove, list, 1, 2, 0}, {0, 1, 2, 3, 4}, {0, -1, -1, 1, 2}},
        {{Type::Move, list, 1, 2, 2}, {0, 1, 2, 3, 4}, {0, 2, 3, 1, 4}},
        {{Type::Move, list, 2, 2, 1}, {0, 1, 2, 3, 4}, {0, 3, 1, 2, 4}},
        {{Type::Move, list, 0, 1, 3}, {0, 1, 2, 3, 4}, {3, 0, 1, 2, 4}},
        {{Type::Remove, list, 0, 1, 0}, {-1}, {-1}},
    };
    for (const Case& c : cases) {
        std::vector<int> after;
        for (const int position : c.before) {
            after.push_back(c.change.follow(position));
        }
        EXPECT_EQ(after, c.after) << static_cast<int>(c.change.type) << " " << c.change.first;
    }
}

// Six results R1..R6; parameter 2's formula names each of them once, in order, so that after a step
// it says where each went.
class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ReportDefinition d = test::sampleDefinition();
        d.results.clear();
        for (int i = 1; i <= 6; ++i) {
            d.results.push_back({"R" + std::to_string(i), "r"});
        }
        d.parameters[1].formula = "#X(1) #X(2) #X(3) #X(4) #X(5) #X(6)";
        test::openDefinition(document, d, folder.file("records.rpt"));
    }

    std::string names() const {
        std::string out;
        for (const ResultRow& r : document.definition().results) {
            out += (out.empty() ? "" : " ") + r.name;
        }
        return out;
    }
    std::string bytes() const { return serializeDefinition(document.definition()); }

    test::TempFolder folder;
    DefinitionDocument document;
};

struct SetCase {
    const char* name;
    std::function<std::vector<int>(DefinitionDocument&)> step; // the positions it reports
    std::vector<int> placed;
    const char* names;
    const char* codes;
    const char* undoText;
};

class SetStepTest : public RecordsTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetStepTest, OneStepThatCodesFollowAndUndoTakesBack) {
    const SetCase& c = GetParam();
    RecordTableModel model(document, RecordKind::Result);
    const std::string before = bytes();
    EXPECT_EQ(c.step(document), c.placed);
    EXPECT_EQ(names(), c.names);
    EXPECT_EQ(document.definition().parameters[1].formula, c.codes);
    ASSERT_EQ(model.rowCount(), static_cast<int>(document.definition().results.size()));
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(model.index(row, 0).data().toString(), QString::number(row + 1));
        EXPECT_EQ(model.index(row, 1).data().toString().toStdString(),
                  document.definition().results[static_cast<std::size_t>(row)].name);
    }
    if (c.placed.empty()) {
        EXPECT_EQ(document.undoStack()->count(), 0);
        EXPECT_EQ(bytes(), before);
        return;
    }
    ASSERT_EQ(document.undoStack()->count(), 1);
    EXPECT_EQ(document.undoStack()->undoText(), QString::fromUtf8(c.undoText));
    const std::string after = bytes();
    for (int round = 0; round < 2; ++round) {
        document.undoStack()->undo();
        EXPECT_EQ(bytes(), before);
        document.undoStack()->redo();
        EXPECT_EQ(bytes(), after);
    }
}

const auto removed = [](std::vector<int> positions) {
    return [positions](DefinitionDocument& d) {
        return d.removeRecords(RecordList::results(), positions) ? std::vector<int>{1} : std::vector<int>{};
    };
};

INSTANTIATE_TEST_SUITE_P(
    Results, SetStepTest,
    ::testing::Values(
        SetCase{"RemoveScattered",
                removed({1, 3, 4}),
                {1},
                "R1 R3 R6",
                "#X(1) #X(0) #X(2) #X(0) #X(0) #X(3)",
                "удаление результатов"},
        SetCase{"RemoveUnsortedWithRepeats",
                removed({4, 1, 1}),
                {1},
                "R1 R3 R4 R6",
                "#X(1) #X(0) #X(2) #X(3) #X(0) #X(4)",
                "удаление результатов"},
        SetCase{"RemoveOne",
                removed({0}),
                {1},
                "R2 R3 R4 R5 R6",
                "#X(0) #X(1) #X(2) #X(3) #X(4) #X(5)",
                "удаление результата"},
        SetCase{"RemoveOutsideDoesNothing",
                removed({2, 6}),
                {},
                "R1 R2 R3 R4 R5 R6",
                "#X(1) #X(2) #X(3) #X(4) #X(5) #X(6)",
                ""},
        SetCase{"MoveUp",
                [](DefinitionDocument& d) {
                    return d.moveRecords(RecordList::results(), {4, 1, 2}, -1);
                },
                {0, 1, 3},
                "R2 R3 R1 R5 R4 R6",
                "#X(3) #X(1) #X(2) #X(5) #X(4) #X(6)",
                "перемещение результатов"},
        SetCase{"MoveDown",
                [](DefinitionDocument& d) {
                    return d.moveRecords(RecordList::results(), {1, 2, 4}, 1);
                },
                {2, 3, 5},
                "R1 R4 R2 R3 R6 R5",
                "#X(1) #X(3) #X(4) #X(2) #X(6) #X(5)",
                "перемещение результатов"},
        SetCase{"MoveUpFromTheTopDoesNothing",
                [](DefinitionDocument& d) {
                    return d.moveRecords(RecordList::results(), {0, 3}, -1);
                },
                {},
                "R1 R2 R3 R4 R5 R6",
                "#X(1) #X(2) #X(3) #X(4) #X(5) #X(6)",
                ""},
        SetCase{"MoveDownFromTheBottomDoesNothing",
                [](DefinitionDocument& d) { return d.moveRecords(RecordList::results(), {5}, 1); },
                {},
                "R1 R2 R3 R4 R5 R6",
                "#X(1) #X(2) #X(3) #X(4) #X(5) #X(6)",
                ""},
        SetCase{"MoveByTwoDoesNothing",
                [](DefinitionDocument& d) { return d.moveRecords(RecordList::results(), {1}, 2); },
                {},
                "R1 R2 R3 R4 R5 R6",
                "#X(1) #X(2) #X(3) #X(4) #X(5) #X(6)",
                ""},
        SetCase{"DuplicateRuns",
                [](DefinitionDocument& d) {
                    return d.duplicateRecords(RecordList::results(), {3, 0, 1});
                },
                {2, 3, 6},
                "R1 R2 R1 R2 R3 R4 R4 R5 R6",
                "#X(1) #X(2) #X(5) #X(6) #X(8) #X(9)",
                "копирование результатов"},
        SetCase{"InsertBlock",
                [](DefinitionDocument& d) {
                    return d.insertRecords(RecordList::results(), 1,
                                           std::vector<ResultRow>{{"N1", "#X(1)"}, {"N2", ""}});
                },
                {1, 2},
                "R1 N1 N2 R2 R3 R4 R5 R6",
                "#X(1) #X(4) #X(5) #X(6) #X(7) #X(8)",
                "добавление результатов"},
        SetCase{"InsertBlockAtTheEndRenumbersNothing",
                [](DefinitionDocument& d) {
                    return d.insertRecords(RecordList::results(), 6, std::vector<ResultRow>{{"N", ""}},
                                           QStringLiteral("вставка"));
                },
                {6},
                "R1 R2 R3 R4 R5 R6 N",
                "#X(1) #X(2) #X(3) #X(4) #X(5) #X(6)",
                "вставка"}),
    [](const ::testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

TEST_F(RecordsTest, DuplicatedParametersCarryTheRewrittenCodesOfTheirOriginals) {
    // Parameters: 1 List, 2 Range (formula naming 1, 3 and 2), 3 Input (naming 2 and 3).
    test::openDefinition(document, test::sampleDefinition(), folder.file("sample.rpt"));
    QSignalSpy renumbered(&document, &DefinitionDocument::codesRenumbered);
    ASSERT_EQ(document.duplicateRecords(RecordList::parameters(), {1, 2}), (std::vector<int>{3, 4}));
    const std::vector<ParameterRecord>& p = document.definition().parameters;
    ASSERT_EQ(p.size(), 5U);
    EXPECT_EQ(p[3], p[1]);
    EXPECT_EQ(p[4], p[2]);
    EXPECT_EQ(p[1].formula, "#P(1)+#R(3)*2 + #N(2) + #P( (1+2)^2 )") << "nothing below them moved";
    ASSERT_EQ(document.duplicateRecords(RecordList::parameters(), {0}), (std::vector<int>{1}));
    EXPECT_EQ(p[5].formula, "#P(3)/#P(4)") << "the copy of Input names the moved Length and Input";
    EXPECT_EQ(p[2].formula, "#P(1)+#R(4)*2 + #N(3) + #P( (1+2)^2 )");
    EXPECT_EQ(renumbered.count(), 1);
}

TEST_F(RecordsTest, ValueRowsMoveAsASetWithinTheirParameter) {
    ValueTableModel values(document);
    values.setParameter(0);
    QSignalSpy moved(&values, &QAbstractItemModel::rowsMoved);
    ASSERT_EQ(document.moveRecords(RecordList::valueRows(0), {1, 2}, -1), (std::vector<int>{0, 1}));
    EXPECT_EQ(moved.count(), 1) << "one contiguous run, one move of the view's rows";
    const std::vector<ValueRow>& rows = document.definition().parameters[0].values;
    EXPECT_EQ(rows[0].value, "F");
    EXPECT_EQ(rows[1].value, "?");
    EXPECT_EQ(rows[2].value, "M");
    EXPECT_EQ(values.index(2, 0).data().toString(), "M");
    EXPECT_EQ(document.undoStack()->undoText(), "перемещение значений");
}

TEST_F(RecordsTest, TheValueModelFollowsItsParameterThroughSetSteps) {
    ValueTableModel values(document);
    values.setParameter(2);
    ASSERT_TRUE(document.removeRecords(RecordList::parameters(), {0, 1}));
    EXPECT_EQ(values.parameter(), 0);
    document.undoStack()->undo();
    EXPECT_EQ(values.parameter(), 2);
    ASSERT_TRUE(document.removeRecords(RecordList::parameters(), {0, 2}));
    EXPECT_EQ(values.parameter(), -1) << "its parameter went with the set";
    EXPECT_EQ(values.rowCount(), 0);
}

TEST_F(RecordsTest, InsertLetsInOnlyWhatAFileCanHold) {
    const std::string before = bytes();
    const std::string tooLong(maxLineBytes + 1, 'a');
    ParameterRecord withBreak = DefinitionDocument::newParameter();
    withBreak.values[0].result = "a\rb";
    struct Case {
        const char* name;
        RecordList list;
        int position;
        RecordBlock block;
    };
    const Case cases[] = {
        {"line feed", RecordList::results(), 0, std::vector<ResultRow>{{"ok", "a\nb"}}},
        {"too long", RecordList::results(), 0, std::vector<ResultRow>{{"ok", ""}, {tooLong, ""}}},
        {"CR in a row of a parameter", RecordList::parameters(), 0, std::vector<ParameterRecord>{withBreak}},
        {"nothing", RecordList::results(), 0, std::vector<ResultRow>{}},
        {"rows of another kind", RecordList::results(), 0, std::vector<ValueRow>{{"1", "", ""}}},
        {"past the end", RecordList::results(), 7, std::vector<ResultRow>{{"ok", ""}}},
        {"before the start", RecordList::results(), -1, std::vector<ResultRow>{{"ok", ""}}},
        {"a second row for Input", RecordList::valueRows(2), 0, std::vector<ValueRow>{{"1", "", ""}}},
        {"rows of no parameter", RecordList::valueRows(3), 0, std::vector<ValueRow>{{"1", "", ""}}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(document.insertRecords(c.list, c.position, c.block).empty()) << c.name;
    }
    EXPECT_TRUE(document.duplicateRecords(RecordList::valueRows(2), {0}).empty()) << "Input holds one row";
    EXPECT_EQ(document.undoStack()->count(), 0);
    EXPECT_EQ(bytes(), before);

    ASSERT_EQ(document.insertRecords(RecordList::parameters(), 0,
                                     std::vector<ParameterRecord>{DefinitionDocument::newParameter(),
                                                                  DefinitionDocument::newParameter()}),
              (std::vector<int>{0, 1}));
    EXPECT_EQ(document.definition().parameters[4].formula, "#P(4)/#P(5)");
    EXPECT_EQ(document.undoStack()->undoText(), "добавление параметров");
}

} // namespace
} // namespace vornak
