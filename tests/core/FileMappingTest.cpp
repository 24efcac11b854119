// Reading a file in place while another program cuts it short: the process goes on, reads zeros
// where the file was, and knows that what it read is not the file. Files beyond what can be watched
// at once, and pipes, are read into blocks as before.
#include "CompactDefinition.h"
#include "FileMapping.h"
#include "LineSource.h"
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace vornak {
namespace {

// A definition of some hundred kilobytes, so the file spans many pages.
std::string manyPagesFile() {
    ReportDefinition d = test::mixedDefinition();
    for (int p = 0; p < 400; ++p) {
        ParameterRecord record;
        record.name = "Parameter " + std::to_string(p);
        for (int v = 0; v < 10; ++v) {
            record.values.push_back({std::to_string(v), std::to_string(v + 1), std::string(30, 'r')});
        }
        d.parameters.push_back(std::move(record));
    }
    return serializeDefinition(d);
}

void cutShort(const std::string& path) {
    // As another program would: through a descriptor of its own, in place.
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ::close(fd);
}

TEST(FileMappingTest, AFileCutShortAfterItWasReadReadsAsZerosAndSaysSo) {
    test::ScratchFolder folder;
    const std::string path = (folder / "in.rpt").string();
    const std::string bytes = manyPagesFile();
    test::writeBytes(path, bytes);
    const std::string untouchedPath = (folder / "other.rpt").string();
    test::writeBytes(untouchedPath, bytes);

    CompactDefinition compact;
    ASSERT_TRUE(compact.loadInPlace(path));
    CompactDefinition untouched;
    ASSERT_TRUE(untouched.loadInPlace(untouchedPath));
    const ReportDefinition before = compact.toDefinition();
    EXPECT_FALSE(compact.sourceChanged());

    cutShort(path);
    // Every text is still there to read, as zeros: no bus error ends the process.
    const std::size_t last = compact.parameterCount() - 1;
    const std::string_view lastValue = compact.parameter(last).values[9].result;
    EXPECT_EQ(lastValue, std::string(30, '\0'));
    EXPECT_TRUE(compact.sourceChanged());
    EXPECT_NE(compact.toDefinition(), before);
    // The other file, read in place beside it, is as it was.
    EXPECT_FALSE(untouched.sourceChanged());
    EXPECT_EQ(untouched.toDefinition(), before);
    // Read again, the definition is what the file now is.
    EXPECT_FALSE(compact.loadInPlace(path));
    EXPECT_EQ(compact.loadError().problem, FileProblem::Empty);
    EXPECT_FALSE(compact.sourceChanged());
}

// Cut to nothing (the next read meets the cut) or a few bytes short (inside the last page, which
// then reads as zeros without any fault): either reader, the model's or the compact one, fails with
// that reason instead of taking the zeros for the file's texts.
TEST(FileMappingTest, AFileCutShortWhileItIsReadFailsWithThatReason) {
    test::ScratchFolder folder;
    const std::string path = (folder / "in.rpt").string();
    const std::string bytes = manyPagesFile();
    for (const std::size_t cutTo : {std::size_t{0}, bytes.size() - 5}) {
        for (const bool compactReader : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "cut to " << cutTo << (compactReader ? ", compact" : ", model"));
            test::writeBytes(path, bytes);
            LineSource source(path, LineSource::InPlace{});
            ASSERT_NE(source.held(), nullptr);
            const int fd = ::open(path.c_str(), O_WRONLY);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(cutTo)), 0);
            ::close(fd);
            if (compactReader) {
                CompactDefinition compact;
                EXPECT_FALSE(compact.load(source));
                EXPECT_EQ(compact.loadError(), cutWhileReadError());
                EXPECT_EQ(compact.parameterCount(), 0u);
            } else {
                ReportDefinition model;
                EXPECT_FALSE(model.load(source));
                EXPECT_EQ(model.loadError(), cutWhileReadError());
            }
        }
    }
}

// A file read in place is not kept mapped by the model: cut short afterwards, what was read stays.
TEST(FileMappingTest, TheModelKeepsWhatItReadWhenTheFileIsCutAfterwards) {
    test::ScratchFolder folder;
    const std::string path = (folder / "in.rpt").string();
    test::writeBytes(path, manyPagesFile());
    ReportDefinition model;
    ASSERT_TRUE(model.load(path));
    const ReportDefinition before = model;
    cutShort(path);
    EXPECT_EQ(model, before);
    EXPECT_EQ(serializeDefinition(model), manyPagesFile());
}

TEST(FileMappingTest, FilesBeyondThoseWatchedAtOnceAndPipesAreReadAsBefore) {
    test::ScratchFolder folder;
    const std::string bytes = manyPagesFile();
    ReportDefinition model;
    {
        const std::string path = (folder / "model.rpt").string();
        test::writeBytes(path, bytes);
        ASSERT_TRUE(model.load(path));
    }
    // Sources held open take every watch there is; the definitions read meanwhile are whole.
    std::vector<LineSource> sources;
    std::size_t mapped = 0;
    for (std::size_t i = 0; i < 40; ++i) {
        const std::string path = (folder / ("in" + std::to_string(i) + ".rpt")).string();
        test::writeBytes(path, bytes);
        sources.emplace_back(path, LineSource::InPlace{});
        mapped += sources.back().held() ? 1 : 0;
    }
    EXPECT_GE(mapped, 1u);
    EXPECT_LT(mapped, sources.size()) << "more files mapped than can be watched";
    CompactDefinition compact;
    ASSERT_TRUE(compact.loadInPlace((folder / "in0.rpt").string()));
    EXPECT_EQ(compact.toDefinition(), model);
    // Freed, their watches serve the next files.
    sources.clear();
    EXPECT_NE(LineSource((folder / "in0.rpt").string(), LineSource::InPlace{}).held(), nullptr);

    const std::string fifo = (folder / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { test::writeBytes(fifo, bytes); });
    CompactDefinition fromPipe;
    const bool read = fromPipe.loadInPlace(fifo);
    writer.join();
    ASSERT_TRUE(read) << fromPipe.loadError().reason;
    EXPECT_EQ(fromPipe.toDefinition(), model);
}

TEST(FileMappingTest, ABusErrorElsewhereStillEndsTheProcess) {
    test::ScratchFolder folder;
    const std::string path = (folder / "in.rpt").string();
    test::writeBytes(path, manyPagesFile());
    CompactDefinition compact; // installs the watch
    ASSERT_TRUE(compact.loadInPlace(path));
    EXPECT_DEATH(std::raise(SIGBUS), "");
}

} // namespace
} // namespace vornak
