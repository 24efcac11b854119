// Writing behind the writer: blocks go out whole and in order on one other thread, a failure stops
// what follows and reaches the caller, a small output starts no thread, and the writer never
// refills a block the sink may still be reading.
#include "DefinitionBytes.h"
#include "ReportDefinition.h"
#include "WriteBehind.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vornak {
namespace {

struct Outcome {
    std::string bytes;
    std::set<std::thread::id> threads;
};

TEST(WriteBehindTest, BlocksGoOutWholeInOrderOnOneOtherThreadAndTheLastOnTheCaller) {
    for (const std::size_t blocks : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64}}) {
        Outcome out;
        std::thread::id lastThread;
        std::string expected;
        {
            WriteBehind behind([&](std::string_view block) {
                out.bytes.append(block);
                out.threads.insert(std::this_thread::get_id());
                lastThread = std::this_thread::get_id();
                return true;
            });
            // Two buffers in turn, as the writer uses them: each is refilled only after the next
            // hand-over returned.
            std::string buffers[2];
            for (std::size_t i = 0; i < blocks; ++i) {
                std::string& buffer = buffers[i % 2];
                buffer.assign(1000 + i, static_cast<char>('a' + i % 26));
                expected += buffer;
                if (i + 1 < blocks) {
                    behind.hand(buffer);
                } else {
                    behind.handLast(buffer);
                }
            }
            EXPECT_TRUE(behind.finish());
            EXPECT_EQ(behind.blocksBehind(), blocks - 1);
        }
        EXPECT_EQ(out.bytes, expected) << blocks << " blocks";
        EXPECT_EQ(lastThread, std::this_thread::get_id()) << "the last block is written by the caller";
        const std::size_t threads = blocks == 1 ? 1 : 2;
        EXPECT_EQ(out.threads.size(), threads) << blocks << " blocks";
    }
}

TEST(WriteBehindTest, AFailedBlockStopsTheRestAndFinishSaysSo) {
    for (const std::size_t failing : {std::size_t{0}, std::size_t{3}, std::size_t{9}}) {
        std::vector<std::string> written;
        WriteBehind behind([&](std::string_view block) {
            written.emplace_back(block);
            return written.size() != failing + 1;
        });
        std::vector<std::string> blocks;
        for (int i = 0; i < 10; ++i) {
            blocks.push_back("block " + std::to_string(i));
        }
        for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
            behind.hand(blocks[i]);
        }
        behind.handLast(blocks.back());
        EXPECT_FALSE(behind.finish());
        ASSERT_EQ(written.size(), failing + 1) << "nothing is written after the failed block";
        EXPECT_EQ(written.back(), blocks[failing]);
    }
}

TEST(WriteBehindTest, WhatTheWritingThreadThrowsReachesTheCaller) {
    WriteBehind behind([](std::string_view block) -> bool {
        if (block == "second") {
            throw std::bad_alloc();
        }
        return true;
    });
    behind.hand("first");
    behind.hand("second");
    EXPECT_THROW(
        {
            behind.hand("third");
            behind.finish();
        },
        std::bad_alloc);
}

// A sink that keeps reading a block until it is handed the next one, and checks at every call that
// the writer left the block before unchanged meanwhile.
struct KeepingSink {
    static constexpr bool keepsBlocks = true;
    static constexpr bool countsLineFeeds = false;
    std::string bytes;
    std::string_view previous;
    std::string previousCopy;
    std::size_t blocks = 0;
    std::size_t overwritten = 0;

    static bool wantsSize() { return false; }
    static void expect(std::size_t) {}
    void take(std::string_view block) {
        if (!previous.empty() && previous != previousCopy) {
            ++overwritten;
        }
        bytes.append(block);
        previous = block;
        previousCopy.assign(block);
        ++blocks;
    }
    void operator()(std::string_view block) { take(block); }
    void last(std::string_view block) { take(block); }
    static void settle() {}
};

ReportDefinition definitionOf(std::size_t parameters, std::size_t textBytes) {
    ReportDefinition d;
    d.title = "Blocks";
    for (std::size_t p = 0; p < parameters; ++p) {
        ParameterRecord record;
        record.name = "Parameter " + std::to_string(p);
        record.kind = static_cast<ValueKind>(p % 3);
        for (std::size_t v = 0; v < 5; ++v) {
            record.values.push_back({std::string(textBytes, static_cast<char>('a' + (p + v) % 26)),
                                     std::to_string(v), "Result " + std::to_string(p)});
        }
        d.parameters.push_back(std::move(record));
    }
    return d;
}

TEST(WriteBehindTest, TheWriterNeverRefillsABlockTheSinkStillReads) {
    struct Case {
        std::size_t parameters;
        std::size_t textBytes;
    };
    // From one block to many, and texts from short to the longest a line may be.
    for (const Case c : {Case{3, 10}, Case{2000, 100}, Case{800, 2000}, Case{6000, 500}}) {
        const ReportDefinition d = definitionOf(c.parameters, c.textBytes);
        KeepingSink definitionSink;
        EXPECT_TRUE(detail::writeDefinition(DefinitionAccess(d), definitionSink, true));
        EXPECT_EQ(definitionSink.bytes, serializeDefinition(d));
        EXPECT_EQ(definitionSink.overwritten, 0u) << c.parameters << " parameters";

        KeepingSink tableSink;
        detail::writeTable(DefinitionAccess(d), tableSink);
        EXPECT_EQ(tableSink.bytes, serializeTable(d));
        EXPECT_EQ(tableSink.overwritten, 0u) << c.parameters << " parameters";
        if (c.parameters > 100) {
            EXPECT_GE(definitionSink.blocks, 2u) << "the case spans several blocks";
        }
    }
    // A table text larger than a block goes to the sink as it is, between two blocks.
    ReportDefinition huge = definitionOf(50, 100);
    huge.parameters[20].values[2].result.assign(3 * 1024 * 1024, 'h');
    KeepingSink tableSink;
    detail::writeTable(DefinitionAccess(huge), tableSink);
    EXPECT_EQ(tableSink.bytes, serializeTable(huge));
    EXPECT_EQ(tableSink.overwritten, 0u);
}

TEST(WriteBehindTest, ALineFeedInATextIsFoundWhicheverBlockItFallsIn) {
    for (const std::size_t where : {std::size_t{0}, std::size_t{1500}, std::size_t{5999}}) {
        ReportDefinition d = definitionOf(6000, 100);
        d.parameters[where].values[1].upperBound = "a\nb";
        KeepingSink sink;
        EXPECT_FALSE(detail::writeDefinition(DefinitionAccess(d), sink, true)) << where;
    }
}

} // namespace
} // namespace vornak
