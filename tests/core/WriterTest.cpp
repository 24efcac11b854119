#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

using test::crlfLines;
using test::golden;
using test::readBytes;

struct GoldenCase {
    const char* name;
    ReportDefinition (*make)();
    const char* definitionFile;
    const char* tableFile;
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
    *os << c.name;
}

class WriterGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(WriterGoldenTest, SaveAndExportMatchTheGoldenBytes) {
    const GoldenCase& c = GetParam();
    test::ScratchFolder folder;
    const ReportDefinition d = c.make();
    ASSERT_TRUE(d.save((folder / "out.rpt").string())) << d.saveError().reason;
    EXPECT_EQ(readBytes(folder / "out.rpt"), golden(c.definitionFile));
    ASSERT_TRUE(d.exportTable((folder / "out.txt").string())) << d.saveError().reason;
    EXPECT_EQ(readBytes(folder / "out.txt"), golden(c.tableFile));
}

INSTANTIATE_TEST_SUITE_P(
    Goldens, WriterGoldenTest,
    ::testing::Values(GoldenCase{"empty", [] { return ReportDefinition(); }, "empty.rpt", "empty-table.txt"},
                      GoldenCase{"example", test::exampleDefinition, "example.rpt", "example-table.txt"},
                      GoldenCase{"mixed", test::mixedDefinition, "mixed.rpt", "mixed-table.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriterTest, EmptyModelIsTwelveLines) {
    const std::string bytes = serializeDefinition(ReportDefinition());
    EXPECT_EQ(bytes, crlfLines({"R2", "", "", "", "", "", "", "", "", "", "0", "0"}));
}

TEST(WriterTest, FormulaLineFollowsTheFlagNotTheText) {
    ReportDefinition d;
    ParameterRecord p;
    p.name = "x";
    p.formula = "stale";
    p.hasFormula = 0;
    d.parameters.push_back(p);
    p.formula.clear();
    p.hasFormula = 1;
    d.parameters.push_back(p);
    const std::string header = crlfLines({"R2", "", "", "", "", "", "", "", "", ""});
    EXPECT_EQ(serializeDefinition(d),
              header + crlfLines({"2", "x", "0", "0", "0", "0", "x", "0", "0", "1", "", "0", "0"}));
    EXPECT_EQ(serializeTable(d), crlfLines({
                                     "",
                                     "x",
                                     "",
                                     "x\t",
                                     "",
                                 }));
}

TEST(WriterTest, TrailingSpacesAndTabsAreWrittenAsTheyAre) {
    ReportDefinition d;
    d.input1Caption = test::cp1251("Приложение № ");
    d.results.push_back({"a\tb", "c "});
    const std::string bytes = serializeDefinition(d);
    EXPECT_NE(bytes.find(test::cp1251("Приложение № ") + "\r\n"), std::string::npos);
    EXPECT_EQ(serializeTable(d), crlfLines({"", "a\tb\tc "}));
}

TEST(WriterTest, ExportWithoutResultsEndsWithTheLastParametersEmptyLine) {
    ReportDefinition d = test::exampleDefinition();
    d.results.clear();
    const std::string table = serializeTable(d);
    ASSERT_GE(table.size(), 4u);
    EXPECT_EQ(table.substr(table.size() - 4), "\r\n\r\n");
}

TEST(WriterTest, SaveToAMissingFolderFailsAndCreatesNothing) {
    test::ScratchFolder folder;
    const ReportDefinition d = test::exampleDefinition();
    const auto missing = folder / "no-such-folder" / "out.rpt";
    EXPECT_FALSE(d.save(missing.string()));
    EXPECT_FALSE(d.saveError().reason.empty());
    EXPECT_FALSE(d.exportTable(missing.string()));
    EXPECT_FALSE(std::filesystem::exists(folder / "no-such-folder"));
    EXPECT_TRUE(test::filesIn(folder.path()).empty());
}

TEST(WriterTest, SaveReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    test::ScratchFolder folder;
    test::writeBytes(folder / "out.rpt", std::string(5000, 'x'));
    ASSERT_TRUE(ReportDefinition().save((folder / "out.rpt").string()));
    EXPECT_EQ(readBytes(folder / "out.rpt"), golden("empty.rpt"));
    EXPECT_EQ(test::filesIn(folder.path()), std::vector<std::filesystem::path>{"out.rpt"});
}

TEST(WriterTest, SaveToAFolderPathFails) {
    test::ScratchFolder folder;
    std::filesystem::create_directories(folder / "sub");
    EXPECT_FALSE(ReportDefinition().save((folder / "sub").string()));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "sub"));
    EXPECT_EQ(test::filesIn(folder.path()), std::vector<std::filesystem::path>{"sub"});
}

} // namespace
} // namespace vornak
