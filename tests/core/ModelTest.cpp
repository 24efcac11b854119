#include "ReportDefinition.h"

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

TEST(ModelTest, KindChangesNeverTouchCells) {
    ReportDefinition d;
    d.parameters.push_back(named("p", 2));
    d.parameters[0].kind = ValueKind::Range;
    d.parameters[0].kind = ValueKind::List;
    d.parameters[0].kind = ValueKind::Range;
    EXPECT_EQ(d.parameters[0].values[1].upperBound, "u1");
}

} // namespace
} // namespace vornak
