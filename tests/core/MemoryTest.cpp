// The reader's and writer's memory: bounded for every input, and an allocation that fails anywhere
// ends in false with "not enough memory" rather than an exception. This program replaces operator
// new to count the heap and to make one chosen allocation fail; it is a test program of its own so
// that the other core tests keep the ordinary allocator.
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <new>

#ifdef _WIN32
#define malloc_usable_size _msize
#endif

namespace {

std::size_t live = 0;
std::size_t peak = 0;
long long allocations = 0;
long long failAt = -1; // the allocation number that fails, -1 for none

void* allocate(std::size_t size) {
    if (failAt >= 0 && allocations++ == failAt) {
        throw std::bad_alloc();
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    live += malloc_usable_size(p);
    peak = std::max(peak, live);
    return p;
}

void release(void* p) noexcept {
    if (p != nullptr) {
        live -= malloc_usable_size(p);
        std::free(p);
    }
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}

namespace vornak {
namespace {

struct HeapUse {
    std::size_t peak = 0; // above what was live before
    std::size_t kept = 0; // still live after, the model's share
};

template <typename Work> HeapUse measure(Work work) {
    const std::size_t before = live;
    peak = live;
    work();
    return {peak - before, live > before ? live - before : 0};
}

std::string header(const std::string& countLines) {
    return test::crlfLines({"R2", "", "", "", "", "", "", "", "", ""}) + countLines;
}

// A file of `size` bytes of which only the first are written: the rest reads as zero bytes.
void writeSparse(const std::filesystem::path& path, const std::string& start, std::uintmax_t size) {
    test::writeBytes(path, start);
    std::filesystem::resize_file(path, size);
}

// Counts announced by a 2 GB file of zeros reserve nothing they could not fill: the load stops at
// the first over-long line and never holds more than a few blocks.
TEST(ReaderMemoryTest, HugeCountsInAHugeSparseFileReserveNothing) {
    test::ScratchFolder folder;
    const auto path = folder / "sparse.rpt";
    const std::vector<std::string> starts{
        header("2147483647\r\n"),
        header("1\r\nname\r\n0\r\n0\r\n0\r\n2147483647\r\n"),
        header("0\r\n2147483647\r\n"),
    };
    for (std::size_t i = 0; i < starts.size(); ++i) {
        writeSparse(path, starts[i], std::uintmax_t{2} << 30);
        ReportDefinition d;
        bool ok = true;
        const HeapUse use = measure([&] { ok = d.load(path.string()); });
        EXPECT_FALSE(ok) << i;
        EXPECT_EQ(d.loadError().problem, FileProblem::LineTooLong) << i << ": " << d.loadError().reason;
        EXPECT_LT(use.peak, std::size_t{4} << 20) << i;
    }
}

// Real records after a huge count prove only themselves: the zeros that follow them in a 3 GB
// file must not make room for hundreds of millions more. The load ends at the over-long line.
TEST(ReaderMemoryTest, RealRecordsAfterAHugeCountReserveOnlyWhatTheyProve) {
    test::ScratchFolder folder;
    const auto path = folder / "damaged.rpt";
    struct Case {
        const char* name;
        std::string start;
        int firstBadLine;
    };
    std::string parameters = header("2147483647\r\n");
    std::string values = header("1\r\np\r\n0\r\n0\r\n0\r\n2147483647\r\n");
    std::string results = header("0\r\n2147483647\r\n");
    for (int i = 0; i < 3000; ++i) {
        parameters += "p\r\n0\r\n0\r\n0\r\n0\r\n";
        values += "v\r\n\r\nr\r\n";
        results += "n\r\nr\r\n";
    }
    const Case cases[] = {
        {"parameters", parameters, 11 + 3000 * 5 + 1},
        {"value rows", values, 16 + 3000 * 3 + 1},
        {"results", results, 12 + 3000 * 2 + 1},
    };
    for (const Case& c : cases) {
        writeSparse(path, c.start, std::uintmax_t{3} << 30);
        ReportDefinition d;
        bool ok = true;
        const HeapUse use = measure([&] { ok = d.load(path.string()); });
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(d.loadError().problem, FileProblem::LineTooLong) << c.name << ": " << d.loadError().reason;
        EXPECT_EQ(d.loadError().line, c.firstBadLine) << c.name;
        EXPECT_LT(use.peak, std::size_t{4} << 20) << c.name;
    }
}

// Beyond the model it builds, the reader holds its block, one line, and while a sequence grows the
// room it had before, which is never more than the records read so far; an honest count gives
// the model no spare room at the end.
TEST(ReaderMemoryTest, TheReaderHoldsOnlyAFewBlocksBeyondTheModel) {
    test::ScratchFolder folder;
    const auto path = folder / "rows.rpt";
    const int rows = 300'000;
    std::string bytes = header("1\r\np\r\n0\r\n0\r\n0\r\n" + std::to_string(rows) + "\r\n");
    for (int r = 0; r < rows; ++r) {
        bytes += "\r\n\r\n\r\n";
    }
    bytes += "1\r\nn\r\nr\r\n";
    test::writeBytes(path, bytes);
    std::optional<ReportDefinition> d{std::in_place};
    bool ok = false;
    const HeapUse use = measure([&] { ok = d->load(path.string()); });
    ASSERT_TRUE(ok) << d->loadError().reason;
    ASSERT_EQ(d->parameters.at(0).values.size(), static_cast<std::size_t>(rows));
    EXPECT_LE(use.peak - use.kept, use.kept + std::size_t{4} * 256 * 1024) << "kept " << use.kept;
    // The model itself has no spare room beyond what it holds.
    EXPECT_EQ(d->parameters[0].values.capacity(), static_cast<std::size_t>(rows));
}

class FailingAllocation {
public:
    explicit FailingAllocation(long long number) {
        allocations = 0;
        failAt = number;
    }
    ~FailingAllocation() { failAt = -1; }
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
};

long long allocationsOf(const std::function<void()>& work) {
    FailingAllocation counting(std::numeric_limits<long long>::max());
    work();
    return allocations;
}

TEST(ReaderMemoryTest, AnAllocationFailingAnywhereInLoadIsReportedAsNotEnoughMemory) {
    const std::string path = std::string(VORNAK_TEST_DATA) + "/mixed.rpt";
    const long long total = allocationsOf([&] {
        ReportDefinition d;
        ASSERT_TRUE(d.load(path));
    });
    // The block, the file, the records' sequences and the longer texts: enough to fail each in turn.
    ASSERT_GT(total, 5);
    for (long long n = 0; n < total; ++n) {
        ReportDefinition d;
        bool ok = true;
        {
            FailingAllocation failing(n);
            ok = d.load(path);
        }
        EXPECT_FALSE(ok) << "allocation " << n;
        EXPECT_EQ(d.loadError().problem, FileProblem::NotEnoughMemory) << "allocation " << n;
        EXPECT_EQ(d.loadError().reason, "not enough memory") << "allocation " << n;
    }
}

TEST(WriterMemoryTest, AnAllocationFailingAnywhereInSaveKeepsTheOldFileAndSaysWhy) {
    test::ScratchFolder folder;
    const auto target = folder / "doc.rpt";
    const std::string path = target.string();
    const ReportDefinition d = test::mixedDefinition();
    for (bool severalLinks : {false, true}) {
        test::writeBytes(target, "old\r\n");
        if (severalLinks) {
            std::filesystem::create_hard_link(target, folder / "link.rpt");
        }
        const long long total = allocationsOf([&] { ASSERT_TRUE(d.save(path)); });
        for (long long n = 0; n < total; ++n) {
            test::writeBytes(target, "old\r\n");
            bool ok = false;
            {
                FailingAllocation failing(n);
                ok = d.save(path);
            }
            if (ok) {
                EXPECT_EQ(test::readBytes(target), serializeDefinition(d)) << "allocation " << n;
                continue;
            }
            EXPECT_EQ(d.saveError().problem, FileProblem::NotEnoughMemory) << "allocation " << n;
            EXPECT_EQ(test::readBytes(target), "old\r\n") << "allocation " << n;
            EXPECT_EQ(test::filesIn(folder.path()).size(), severalLinks ? 2u : 1u) << "allocation " << n;
        }
    }
}

} // namespace
} // namespace vornak
