#include "ReportDefinition.h"
#include "TestFiles.h"

#include <functional>
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

namespace vornak {
namespace {

// A text the reader would not give back is refused before the file is touched, naming its place.
struct RefusalCase {
    const char* name;
    std::function<void(ReportDefinition&)> spoil;
    SaveError expected; // reason is matched as a part
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class WriterRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WriterRefusalTest, RefusesTextsThatCannotBeReadBack) {
    const RefusalCase& c = GetParam();
    test::ScratchFolder folder;
    ReportDefinition d = test::mixedDefinition();
    c.spoil(d);
    const auto target = folder / "doc.rpt";
    test::writeBytes(target, "old\r\n");
    EXPECT_FALSE(d.save(target.string()));
    SaveError e = d.saveError();
    EXPECT_NE(e.reason.find(c.expected.reason), std::string::npos) << e.reason;
    e.reason = c.expected.reason;
    EXPECT_EQ(e, c.expected);
    EXPECT_EQ(findUnwritableText(d).value_or(SaveError{}).field, c.expected.field);
    EXPECT_EQ(readBytes(target), "old\r\n");
    EXPECT_EQ(test::filesIn(folder.path()), std::vector<std::filesystem::path>{"doc.rpt"});
    EXPECT_FALSE(d.save((folder / "new.rpt").string()));
    EXPECT_FALSE(std::filesystem::exists(folder / "new.rpt"));
}

using F = FileProblem;
using P = DefinitionPart;

INSTANTIATE_TEST_SUITE_P(
    Texts, WriterRefusalTest,
    ::testing::Values(
        RefusalCase{"LineFeedInTitle",
                    [](ReportDefinition& d) { d.title = "A\nB"; },
                    {F::UnwritableText, "the title holds a line break", P::Texts, 1, "title", 0}},
        RefusalCase{"CrLfInDate",
                    [](ReportDefinition& d) { d.date = "1.1\r\n2"; },
                    {F::UnwritableText, "line break", P::Texts, 9, "date", 0}},
        RefusalCase{"LongCaption",
                    [](ReportDefinition& d) { d.input2Caption.assign(2048, 'c'); },
                    {F::UnwritableText, "longer than 2047 bytes", P::Texts, 4, "input2Caption", 0}},
        RefusalCase{"FormulaWithItsFlag",
                    [](ReportDefinition& d) { d.parameters[1].formula = "#P(1)\n+1"; },
                    {F::UnwritableText, "parameter 2, formula", P::Parameter, 2, "formula", 0}},
        RefusalCase{
            "UpperBoundOfARow",
            [](ReportDefinition& d) { d.parameters[0].values[1].upperBound = "x\n"; },
            {F::UnwritableText, "parameter 1, value row 2, upperBound", P::Parameter, 1, "upperBound", 2}},
        RefusalCase{"ParameterName",
                    [](ReportDefinition& d) { d.parameters[3].name = "\n"; },
                    {F::UnwritableText, "parameter 4, name", P::Parameter, 4, "name", 0}},
        RefusalCase{"LongResult",
                    [](ReportDefinition& d) { d.results[1].result.assign(5000, 'r'); },
                    {F::UnwritableText, "result 2, result", P::Result, 2, "result", 0}},
        // The first such text in file order is the one named.
        RefusalCase{"FirstInFileOrder",
                    [](ReportDefinition& d) {
                        d.results[0].name = "a\nb";
                        d.parameters[2].name = "c\nd";
                    },
                    {F::UnwritableText, "parameter 3", P::Parameter, 3, "name", 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriterRefusalTest, WhatReadsBackIsWritten) {
    test::ScratchFolder folder;
    ReportDefinition d = test::mixedDefinition();
    d.title = "Title\rx";                      // a lone CR, as a file may bring it
    d.author = "ends with CR\r";               // the reader takes only one CR into the line end
    d.source.assign(2047, 's');                // the longest line
    d.parameters[2].formula = "off\nswitched"; // not written: its flag is 0
    ASSERT_TRUE(d.save((folder / "doc.rpt").string())) << d.saveError().reason;
    ReportDefinition read;
    ASSERT_TRUE(read.load((folder / "doc.rpt").string()));
    d.parameters[2].formula.clear();
    EXPECT_EQ(read, d);
}

TEST(WriterRefusalTest, FlagsAreWrittenAsZeroOrOne) {
    ReportDefinition d;
    ParameterRecord p;
    p.isNumber = 2;
    p.hasFormula = 7;
    p.formula = "f";
    d.parameters.push_back(p);
    const std::string header = crlfLines({"R2", "", "", "", "", "", "", "", "", ""});
    EXPECT_EQ(serializeDefinition(d), header + crlfLines({"1", "", "0", "1", "1", "f", "0", "0"}));
}

} // namespace
} // namespace vornak
