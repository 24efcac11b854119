// The reader on inputs that are not plain small files: folders, pipes, any block size, and the
// structured error it leaves for the editor and the command-line tool.
#include "LineSource.h"
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <thread>

namespace vornak {
namespace {

namespace fs = std::filesystem;

TEST(ReaderSafetyTest, AFolderIsReportedAsAFolder) {
    test::ScratchFolder folder;
    ReportDefinition d;
    EXPECT_FALSE(d.load(folder.path().string()));
    EXPECT_EQ(d.loadError().problem, FileProblem::IsFolder);
    EXPECT_EQ(d.loadError().line, 0);
    EXPECT_NE(d.loadError().reason.find("folder"), std::string::npos) << d.loadError().reason;
}

TEST(ReaderSafetyTest, APipeIsReadToItsEndInEitherLayout) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no fifos";
#else
    test::ScratchFolder folder;
    const fs::path fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const char* file : {"mixed.rpt", "r1-hair.rpt"}) {
        // Written in small pieces, so that the reader sees short reads before the end.
        const std::string bytes = test::golden(file);
        std::thread writer([&] {
            std::FILE* out = std::fopen(fifo.c_str(), "wb");
            for (std::size_t at = 0; at < bytes.size(); at += 7) {
                std::fwrite(bytes.data() + at, 1, std::min<std::size_t>(7, bytes.size() - at), out);
                std::fflush(out);
            }
            std::fclose(out);
        });
        ReportDefinition fromPipe;
        const bool ok = fromPipe.load(fifo.string());
        writer.join();
        ASSERT_TRUE(ok) << file << ": " << fromPipe.loadError().reason;
        ReportDefinition fromFile;
        ASSERT_TRUE(fromFile.load(std::string(VORNAK_TEST_DATA) + "/" + file));
        EXPECT_EQ(fromPipe, fromFile) << file;
        EXPECT_EQ(fromPipe.loadedLayout(), std::string(file).front() == 'r' ? 1 : 2) << file;
    }
#endif
}

// Every way of cutting the bytes into blocks reads the same definition, or fails at the same line
// with the same error.
TEST(ReaderSafetyTest, TheBlockSizeNeverChangesWhatIsRead) {
    std::vector<std::string> inputs{test::golden("mixed.rpt"), test::golden("r1-hair.rpt")};
    std::string longLines = test::golden("example.rpt");
    longLines.insert(longLines.find("\r\n") + 2, std::string(2047, 'x') + "\r\n");
    inputs.push_back(longLines); // a title of 2047 bytes that pushes the rest
    inputs.push_back("R2\r\n" + std::string(2048, 'y') + "\r\n");   // one byte too many
    inputs.push_back("R2\r\n" + std::string(2047, 'y') + "\r\r\n"); // 2047 bytes and a CR of its own
    std::string truncated = test::golden("mixed.rpt");
    truncated.resize(truncated.size() / 2);
    inputs.push_back(truncated);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ReportDefinition reference;
        LineSource whole(LineSource::InMemory{inputs[i]});
        const bool referenceOk = reference.load(whole);
        for (std::size_t block : {1u, 2u, 3u, 5u, 64u, 2046u, 2047u, 2048u, 2049u, 4096u}) {
            ReportDefinition d;
            LineSource source(LineSource::InMemory{inputs[i]}, block);
            EXPECT_EQ(d.load(source), referenceOk) << "input " << i << ", block " << block;
            EXPECT_EQ(d.loadError(), reference.loadError()) << "input " << i << ", block " << block;
            EXPECT_EQ(d, reference) << "input " << i << ", block " << block;
        }
    }
}

// The lines one input is cut into, and how the source ends: whether a line lies whole in a block
// or runs across blocks, what is delivered is the same.
struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    LineSource::Status last; // what follows the last line delivered
};

TEST(ReaderSafetyTest, LinesAreTheSameWhereverTheBlocksEnd) {
    const std::string longest(maxLineBytes, 'x');
    const std::vector<LineCase> cases{
        {"CrLfAndBareLf", "a\r\nbc\n\r\n\n", {"a", "bc", "", ""}, LineSource::Status::End},
        {"OnlyTheCrBeforeTheLfIsTheLineEnd",
         "\r\r\na\rb\r\n\r",
         {"\r", "a\rb", "\r"},
         LineSource::Status::End},
        {"LastLineWithoutEnd", "a\r\nlast", {"a", "last"}, LineSource::Status::End},
        {"LongestLineWithCr", longest + "\r\nz\n", {longest, "z"}, LineSource::Status::End},
        {"LongestLineWithoutCr", longest + "\nz", {longest, "z"}, LineSource::Status::End},
        {"OneByteTooManyBeforeCr", longest + "y\r\nz\n", {longest}, LineSource::Status::TooLong},
        {"OneByteTooManyBeforeLf", "a\n" + longest + "y\nz\n", {"a", longest}, LineSource::Status::TooLong},
        {"FarTooLong", std::string(3 * maxLineBytes, 'x') + "\n", {longest}, LineSource::Status::TooLong},
        {"LongestLineAndCrWithoutEnd", longest + "\r", {longest}, LineSource::Status::TooLong},
    };
    for (const LineCase& c : cases) {
        for (std::size_t block : {1u, 2u, 3u, 7u, 2047u, 2048u, 2049u, 2050u, 4096u, 65536u}) {
            LineSource source(LineSource::InMemory{c.bytes}, block);
            std::vector<std::string> got;
            std::string line;
            LineSource::Status status = LineSource::Status::Line;
            while ((status = source.next(line)) == LineSource::Status::Line) {
                got.push_back(line);
            }
            if (status == LineSource::Status::TooLong) {
                got.push_back(line); // the line's first bytes come with the refusal
            }
            EXPECT_EQ(got, c.lines) << c.name << ", block " << block;
            EXPECT_EQ(status, c.last) << c.name << ", block " << block;
            EXPECT_EQ(source.lineNumber(),
                      static_cast<int>(c.lines.size()) + (status == LineSource::Status::TooLong ? 0 : 1))
                << c.name << ", block " << block;
        }
    }
}

std::string r2(const std::vector<std::string>& body) {
    std::vector<std::string> lines{"R2", "t", "d", "i1", "i2", "s", "a", "src", "org", "date"};
    lines.insert(lines.end(), body.begin(), body.end());
    return test::crlfLines(lines);
}

struct ErrorCase {
    const char* name;
    std::string bytes;
    LoadError expected; // reason is matched as a part
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class LoadErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(LoadErrorTest, SaysWhatKindOfProblemAndWhereInTheDefinition) {
    const ErrorCase& c = GetParam();
    ReportDefinition d;
    LineSource source(LineSource::InMemory{c.bytes});
    ASSERT_FALSE(d.load(source));
    const LoadError& e = d.loadError();
    EXPECT_EQ(e.line, c.expected.line) << e.reason;
    EXPECT_EQ(e.problem, c.expected.problem) << e.reason;
    EXPECT_EQ(e.part, c.expected.part) << e.reason;
    EXPECT_EQ(e.record, c.expected.record) << e.reason;
    EXPECT_NE(e.reason.find(c.expected.reason), std::string::npos) << e.reason;
}

using P = DefinitionPart;
using F = FileProblem;

INSTANTIATE_TEST_SUITE_P(
    Inputs, LoadErrorTest,
    ::testing::Values(
        ErrorCase{"Empty", "", {1, "empty", F::Empty, P::Mark, 0}},
        ErrorCase{"NotADefinition", "R3\r\n", {1, "neither R1 nor R2", F::NotDefinition, P::Mark, 0}},
        ErrorCase{"LongText",
                  "R2\r\nt\r\nd\r\n" + std::string(2048, 'x') + "\r\n",
                  {4, "longer than 2047", F::LineTooLong, P::Texts, 3}},
        ErrorCase{"EndsInTexts", "R2\r\nt\r\n", {3, "ends at line 3", F::Truncated, P::Texts, 2}},
        ErrorCase{
            "EndsBeforeParameterCount", r2({}), {11, "parameter count", F::Truncated, P::ParameterCount, 0}},
        ErrorCase{"EndsInSecondParameter",
                  r2({"2", "a", "0", "0", "0", "0", "b", "1"}),
                  {19, "inside parameter 2", F::Truncated, P::Parameter, 2}},
        ErrorCase{"EndsBeforeResultCount", r2({"0"}), {12, "result count", F::Truncated, P::ResultCount, 0}},
        ErrorCase{"LongResult",
                  r2({"0", "2", "n", "r", "n", std::string(3000, 'r')}),
                  {16, "longer than 2047", F::LineTooLong, P::Result, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vornak
