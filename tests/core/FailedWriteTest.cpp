// A save or export that fails part-way must leave the previous file exactly as it was and no
// temporary file behind. The core's write seam stands in for a full disk.
#include "AtomicFile.h"
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

// A writer's hooks that fail every write past `bytes`, as a full disk would.
FileWriteHooks failingDisk(std::size_t bytes) {
    FileWriteHooks hooks;
    hooks.failAfter = bytes;
    return hooks;
}

struct WriteCase {
    const char* name;
    bool (*write)(const ReportDefinition&, const std::string&, const FileWriteHooks&);
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class FailedWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(FailedWriteTest, PreviousFileSurvivesAWriteThatFailsMidway) {
    test::ScratchFolder folder;
    const auto target = folder / "doc.rpt";
    const std::string previous = test::golden("mixed.rpt");
    test::writeBytes(target, previous);
    const ReportDefinition d = test::exampleDefinition();
    for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{40}, std::size_t{100}}) {
        EXPECT_FALSE(GetParam().write(d, target.string(), failingDisk(limit))) << "limit " << limit;
        EXPECT_FALSE(d.saveError().reason.empty());
        EXPECT_EQ(test::readBytes(target), previous) << "limit " << limit;
        EXPECT_EQ(test::filesIn(folder.path()), std::vector<std::filesystem::path>{"doc.rpt"});
    }
    // Once the disk works again, the same call succeeds.
    EXPECT_TRUE(GetParam().write(d, target.string(), {}));
    EXPECT_NE(test::readBytes(target), previous);
}

TEST_P(FailedWriteTest, FailedWriteOfANewFileCreatesNothing) {
    test::ScratchFolder folder;
    EXPECT_FALSE(GetParam().write(test::exampleDefinition(), (folder / "new.rpt").string(), failingDisk(10)));
    EXPECT_TRUE(test::filesIn(folder.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FailedWriteTest,
    ::testing::Values(WriteCase{"Save", [](const ReportDefinition& d, const std::string& p,
                                           const FileWriteHooks& h) { return d.save(p, h); }},
                      WriteCase{"ExportTable", [](const ReportDefinition& d, const std::string& p,
                                                  const FileWriteHooks& h) { return d.exportTable(p, h); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFileTest, EmptyPathIsRefused) {
    std::string error;
    EXPECT_FALSE(replaceFileContents("", "x", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace vornak

namespace vornak {
namespace {

// Larger than the writer's block, so the failure hits after several blocks have reached the file.
ReportDefinition largeDefinition() {
    ReportDefinition d = test::exampleDefinition();
    for (int i = 0; i < 4000; ++i) {
        d.parameters.push_back(d.parameters.front());
        d.parameters.back().name = "parameter " + std::to_string(i);
    }
    return d;
}

TEST(FailedLargeWriteTest, FailureAfterSeveralBlocksKeepsThePreviousFile) {
    test::ScratchFolder folder;
    const auto target = folder / "doc.rpt";
    test::writeBytes(target, test::golden("example.rpt"));
    const ReportDefinition d = largeDefinition();
    ASSERT_GT(serializeDefinition(d).size(), 200'000u);
    EXPECT_FALSE(d.save(target.string(), failingDisk(150'000)));
    EXPECT_EQ(test::readBytes(target), test::golden("example.rpt"));
    EXPECT_EQ(test::filesIn(folder.path()), std::vector<std::filesystem::path>{"doc.rpt"});

    ASSERT_TRUE(d.save(target.string()));
    EXPECT_EQ(test::readBytes(target), serializeDefinition(d));
    ReportDefinition read;
    ASSERT_TRUE(read.load(target.string()));
    EXPECT_EQ(read, d);
}

} // namespace
} // namespace vornak
