// What each list copies is what it shows, column for column, and pasted cells become records with
// the unshown cells empty; copied rows pasted back are the same rows.
#include "RecordRows.h"
#include "DefinitionDocument.h"
#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

using test::cp1251;

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(RecordRowsTest, EachListCopiesTheColumnsItShows) {
    const ReportDefinition d = test::sampleDefinition();
    EXPECT_EQ(parameterCells(d, {2, 0}), (CellRows{{u("Input")}, {u("Пол")}}));
    // List: value and result, the hidden upper bound left out.
    EXPECT_EQ(valueRowCells(d.parameters[0], {1}), (CellRows{{u("F"), u("2")}}));
    EXPECT_EQ(valueRowCells(d.parameters[1], {0, 1}),
              (CellRows{{u("22.2"), u("23.7"), u("ВЖ")}, {u("23.7"), u("27.7"), u("N")}}));
    EXPECT_EQ(valueRowCells(d.parameters[2], {0}), (CellRows{{u("0"), u("")}}));
    EXPECT_EQ(resultCells(d, {1}), (CellRows{{u("Twice"), u("#X(1)*2")}}));
    // Positions outside the list, and a kind the list shows no column for, copy nothing.
    EXPECT_TRUE(resultCells(d, {3, -1}).empty());
    ParameterRecord odd = d.parameters[0];
    odd.kind = static_cast<ValueKind>(9);
    EXPECT_TRUE(valueRowCells(odd, {0}).empty());
}

TEST(RecordRowsTest, TitlesMatchTheColumns) {
    const ReportDefinition d = test::sampleDefinition();
    for (std::uint8_t kind : {0, 1, 2, 9}) {
        ParameterRecord p = d.parameters[1];
        p.kind = static_cast<ValueKind>(kind);
        const CellRows rows = valueRowCells(p, {0});
        EXPECT_EQ(rows.empty() ? 0 : rows[0].size(), valueColumnTitles(kind).size()) << int(kind);
    }
    EXPECT_EQ(valueColumnTitles(1), (QStringList{u(">="), u("<"), u("Результат")}));
    EXPECT_EQ(resultColumnTitles(), (QStringList{u("Название"), u("Результат")}));
}

TEST(RecordRowsTest, CopiedRowsPasteBackAsTheSameRows) {
    const ReportDefinition d = test::sampleDefinition();
    for (const auto& parameter : d.parameters) {
        const auto kind = static_cast<std::uint8_t>(parameter.kind);
        std::vector<int> all(parameter.values.size());
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i] = static_cast<int>(i);
        }
        std::vector<ValueRow> expected = parameter.values;
        if (kind != 1) {
            for (ValueRow& row : expected) {
                row.upperBound.clear(); // not shown, not copied
            }
        }
        EXPECT_EQ(valueRowsFromCells(valueRowCells(parameter, all), kind), expected);
    }
    EXPECT_EQ(resultsFromCells(resultCells(d, {0, 1, 2})), d.results);
}

TEST(RecordRowsTest, PastedNamesBecomeParametersAsF2MakesThem) {
    const auto made = parametersFromCells({{u("Рост")}, {}});
    ASSERT_EQ(made.size(), 2u);
    ParameterRecord expected = DefinitionDocument::newParameter();
    expected.name = cp1251(u("Рост"));
    EXPECT_EQ(made[0], expected);
    EXPECT_EQ(made[0].values.size(), 1u);
    EXPECT_EQ(made[1].name, "");
    EXPECT_EQ(valueRowsFromCells({{u("a")}}, 0), (std::vector<ValueRow>{{"a", "", ""}}));
}

} // namespace
} // namespace vornak
