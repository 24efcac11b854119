// SIGTERM and SIGHUP reach the event loop instead of ending the editor at once; a second one while
// the first still waits ends it through whatever handled the signal before (so the temporary files
// of a save are still removed), and so does endBySignal once the editor has kept its work.
#include "TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vornak {
namespace {

extern "C" void sayEarlierHandlerRan(int) {
    const char text[] = "earlier handler ran\n";
    [[maybe_unused]] const ssize_t ignored = ::write(2, text, sizeof text - 1);
}

TEST(TerminationSignals, EachSignalArrivesOnTheLoopAndTheProcessLives) {
    TerminationSignals bridge;
    ASSERT_TRUE(bridge.isActive());
    QSignalSpy received(&bridge, &TerminationSignals::received);
    for (const int signal : {SIGTERM, SIGHUP, SIGTERM}) {
        const int before = static_cast<int>(received.count());
        ::raise(signal);
        ASSERT_TRUE(received.wait(5000) || received.count() > before) << signal;
        EXPECT_EQ(received.last().at(0).toInt(), signal);
    }
}

TEST(TerminationSignals, TheHandlersFoundBeforeAreBackAfterwards) {
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        TerminationSignals bridge;
        struct sigaction during {};
        ::sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_sigaction, before.sa_sigaction);
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(TerminationSignals, AnIgnoredSignalStaysIgnored) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGHUP, &ignore, &previous);
    {
        TerminationSignals bridge;
        QSignalSpy received(&bridge, &TerminationSignals::received);
        ::raise(SIGHUP);
        QTest::qWait(50);
        EXPECT_EQ(received.count(), 0);
    }
    ::sigaction(SIGHUP, &previous, nullptr);
}

using TerminationSignalsDeathTest = ::testing::Test;

TEST_F(TerminationSignalsDeathTest, ASecondSignalWhileTheLoopIsStuckEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::signal(SIGTERM, sayEarlierHandlerRan);
            TerminationSignals bridge;
            ::raise(SIGTERM); // waits for a loop that never runs
            ::raise(SIGTERM);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "earlier handler ran");
}

TEST_F(TerminationSignalsDeathTest, EndBySignalRunsTheEarlierHandlerAndEndsAsTheSignalWould) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                ::signal(signal, sayEarlierHandlerRan);
                TerminationSignals bridge;
                TerminationSignals::endBySignal(signal);
            },
            ::testing::KilledBySignal(signal), "earlier handler ran");
        EXPECT_EXIT(
            {
                ::signal(signal, SIG_DFL);
                TerminationSignals bridge;
                TerminationSignals::endBySignal(signal);
            },
            ::testing::KilledBySignal(signal), "");
    }
}

} // namespace
} // namespace vornak
