#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

ParameterRecord named(const std::string& name, std::size_t rows) {
    ParameterRecord p;
    p.name = name;
    for (std::size_t i = 0; i < rows; ++i) {
        p.values.push_back({name + std::to_string(i), "u" + std::to_string(i), "r" + std::to_string(i)});
    }
    return p;
}

TEST(ModelTest, FreshModelIsEmpty) {
    const ReportDefinition d;
    EXPECT_TRUE(d.parameters.empty());
    EXPECT_TRUE(d.results.empty());
    for (const auto* text : {&d.title, &d.documentFile, &d.input1Caption, &d.input2Caption, &d.surnameCaption,
                             &d.author, &d.source, &d.organisation, &d.date}) {
        EXPECT_TRUE(text->empty());
    }
}

TEST(ModelTest, InsertedCopyDoesNotShareRowsWithItsSource) {
    ReportDefinition d;
    const ParameterRecord source = named("a", 2);
    d.insertParameter(0, source);
    d.insertParameter(1, d.parameters[0]);
    d.parameters[1].values[0].result = "changed";
    EXPECT_EQ(d.parameters[0].values[0].result, "r0");
    EXPECT_EQ(source.values[0].result, "r0");
}

TEST(ModelTest, InsertAndEraseKeepOrderAndRowsTogether) {
    ReportDefinition d;
    d.insertParameter(0, named("p1", 1));
    d.insertParameter(1, named("p3", 3));
    d.insertParameter(1, named("p2", 2));
    ASSERT_EQ(d.parameters.size(), 3u);
    EXPECT_EQ(d.parameters[1].name, "p2");
    d.eraseParameter(1);
    ASSERT_EQ(d.parameters.size(), 2u);
    EXPECT_EQ(d.parameters[1].name, "p3");
    EXPECT_EQ(d.parameters[1].values.size(), 3u);
    EXPECT_EQ(d.parameters[1].values[2].value, "p32");

    d.insertValueRow(1, 0, {"first", "", ""});
    d.eraseValueRow(1, 2);
    ASSERT_EQ(d.parameters[1].values.size(), 3u);
    EXPECT_EQ(d.parameters[1].values[0].value, "first");
    EXPECT_EQ(d.parameters[1].values[1].value, "p30");
    EXPECT_EQ(d.parameters[1].values[2].value, "p32");

    d.insertResult(0, {"b", "2"});
    d.insertResult(0, {"a", "1"});
    d.eraseResult(1);
    ASSERT_EQ(d.results.size(), 1u);
    EXPECT_EQ(d.results[0].name, "a");
}

TEST(ModelTest, KeepFirstValueRowKeepsAllThreeCellsOfTheFirstRow) {
    struct Case {
        std::size_t rows;
        std::size_t expected;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 1}, Case{5, 1}}) {
        ReportDefinition d;
        d.insertParameter(0, named("p", c.rows));
        d.keepFirstValueRow(0);
        ASSERT_EQ(d.parameters[0].values.size(), c.expected) << c.rows << " rows";
        if (c.expected == 1) {
            EXPECT_EQ(d.parameters[0].values[0], (ValueRow{"p0", "u0", "r0"}));
        }
    }
}

TEST(ModelTest, KindChangesNeverTouchCells) {
    ReportDefinition d;
    d.insertParameter(0, named("p", 2));
    d.parameters[0].kind = ValueKind::Range;
    d.parameters[0].kind = ValueKind::List;
    d.parameters[0].kind = ValueKind::Range;
    EXPECT_EQ(d.parameters[0].values[1].upperBound, "u1");
}

TEST(ModelTest, ClearEmptiesTablesButKeepsTexts) {
    ReportDefinition d = test::exampleDefinition();
    const std::string title = d.title;
    const std::string date = d.date;
    d.clear();
    EXPECT_TRUE(d.parameters.empty());
    EXPECT_TRUE(d.results.empty());
    EXPECT_EQ(d.title, title);
    EXPECT_EQ(d.date, date);
}

} // namespace
} // namespace vornak
