// Outputs larger than the writer's block: the bytes come out the same whichever way the target is
// written, a text that cannot be read back is still found past the first block, and a table text
// larger than a block is written whole.
#include "AtomicFile.h"
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vornak {
namespace {

namespace fs = std::filesystem;

// About 3 MB of R2 bytes: several of the writer's blocks.
ReportDefinition largeDefinition() {
    ReportDefinition d;
    d.title = "Large";
    d.date = "1.1.2026";
    for (int p = 0; p < 3000; ++p) {
        ParameterRecord record;
        record.name = "Parameter " + std::to_string(p);
        record.kind = static_cast<ValueKind>(p % 3);
        record.isNumber = static_cast<std::uint8_t>(p % 2);
        record.hasFormula = static_cast<std::uint8_t>(p % 5 == 0);
        record.formula = "#P(" + std::to_string(p) + ")";
        for (int v = 0; v < 10; ++v) {
            record.values.push_back(
                {std::string(90 + v, 'v'), std::to_string(v), "Result " + std::to_string(v)});
        }
        d.parameters.push_back(std::move(record));
    }
    d.results.push_back({"Last", "#X(1)"});
    return d;
}

// The R2 lines written out by the plainest means, as the reference.
std::string expectedBytes(const ReportDefinition& d) {
    std::vector<std::string> lines = {
        "R2",     d.title,  d.documentFile, d.input1Caption, d.input2Caption, d.surnameCaption,
        d.author, d.source, d.organisation, d.date};
    lines.push_back(std::to_string(d.parameters.size()));
    for (const ParameterRecord& p : d.parameters) {
        lines.push_back(p.name);
        lines.push_back(std::to_string(static_cast<int>(p.kind)));
        lines.push_back(p.isNumber != 0 ? "1" : "0");
        lines.push_back(p.hasFormula != 0 ? "1" : "0");
        if (p.hasFormula != 0) {
            lines.push_back(p.formula);
        }
        lines.push_back(std::to_string(p.values.size()));
        for (const ValueRow& row : p.values) {
            lines.insert(lines.end(), {row.value, row.upperBound, row.result});
        }
    }
    lines.push_back(std::to_string(d.results.size()));
    for (const ResultRow& r : d.results) {
        lines.insert(lines.end(), {r.name, r.result});
    }
    return test::crlfLines(lines);
}

struct TargetCase {
    const char* name;
    // Prepares the target (old content "old\r\n" is there already) and returns the path to save to.
    std::function<fs::path(const test::ScratchFolder&)> prepare;
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << c.name;
}

class LargeWriteTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(LargeWriteTest, EveryBlockReachesTheFile) {
    test::ScratchFolder folder;
    test::writeBytes(folder / "doc.rpt", "old\r\n");
    const fs::path target = GetParam().prepare(folder);
    const ReportDefinition d = largeDefinition();
    const std::string expected = expectedBytes(d);
    ASSERT_GT(expected.size(), 3u * 1024 * 1024);
    EXPECT_EQ(serializeDefinition(d), expected);
    ASSERT_TRUE(d.save(target.string())) << d.saveError().reason;
    EXPECT_EQ(test::readBytes(folder / "doc.rpt"), expected);
}

TEST_P(LargeWriteTest, ATextThatCannotBeReadBackIsFoundInTheLastBlock) {
    for (const auto& spoil : std::vector<std::function<void(ReportDefinition&)>>{
             [](ReportDefinition& d) { d.parameters.back().values.back().result = "a\nb"; },
             [](ReportDefinition& d) { d.results.back().result.assign(2048, 'x'); },
             [](ReportDefinition& d) { d.parameters[2999].name = "\n"; }}) {
        test::ScratchFolder folder;
        test::writeBytes(folder / "doc.rpt", "old\r\n");
        const fs::path target = GetParam().prepare(folder);
        ReportDefinition d = largeDefinition();
        spoil(d);
        EXPECT_FALSE(d.save(target.string()));
        EXPECT_EQ(d.saveError().problem, FileProblem::UnwritableText);
        EXPECT_EQ(test::readBytes(folder / "doc.rpt"), "old\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, LargeWriteTest,
    ::testing::Values(TargetCase{"Replaced", [](const test::ScratchFolder& f) { return f / "doc.rpt"; }},
                      // A second link makes the writer keep the bytes in memory and write in place.
                      TargetCase{"InPlace",
                                 [](const test::ScratchFolder& f) {
                                     fs::create_hard_link(f / "doc.rpt", f / "link.rpt");
                                     return f / "doc.rpt";
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LargeWriteTest, ATableTextLargerThanABlockIsWrittenWhole) {
    test::ScratchFolder folder;
    ReportDefinition d;
    d.title = "T";
    ParameterRecord p;
    p.name = "P";
    p.values.push_back({std::string(3 * 1024 * 1024 + 17, 'v'), "", "r\nwith a line feed"});
    d.parameters.push_back(p);
    const std::string expected = "T\r\nP\r\n" + p.values[0].value + "\tr\nwith a line feed\r\n\r\n";
    EXPECT_EQ(serializeTable(d), expected);
    ASSERT_TRUE(d.exportTable((folder / "t.txt").string())) << d.saveError().reason;
    EXPECT_EQ(test::readBytes(folder / "t.txt"), expected);
}

// A full disk in the middle of the second block leaves the old file and no temporary one.
TEST(LargeWriteTest, AFullDiskPastTheFirstBlockKeepsTheOldFile) {
    test::ScratchFolder folder;
    test::writeBytes(folder / "doc.rpt", "old\r\n");
    FileWriteHooks full;
    full.failAfter = 1536 * 1024;
    const ReportDefinition d = largeDefinition();
    EXPECT_FALSE(d.save((folder / "doc.rpt").string(), full));
    EXPECT_EQ(d.saveError().problem, FileProblem::NoSpace);
    EXPECT_EQ(test::readBytes(folder / "doc.rpt"), "old\r\n");
    EXPECT_EQ(test::filesIn(folder.path()), std::vector<fs::path>{"doc.rpt"});
}

} // namespace
} // namespace vornak
