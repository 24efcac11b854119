// SIGTERM, SIGHUP and SIGINT reach the event loop instead of ending the editor at once; a burst of
// them (a session's end sends TERM and HUP together) is one request, while a third signal, or a
// second long after the first, ends a stuck editor through whatever handled the signal before (so
// the temporary files of a save are still removed), and so does endBySignal once the editor has
// kept its work.
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
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGTERM}) {
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
        // A handled signal after it comes through the same pipe: once it is here, a SIGHUP that had
        // been taken would have come before it.
        ::raise(SIGTERM);
        ASSERT_TRUE(received.count() > 0 || received.wait(5000));
        ASSERT_EQ(received.count(), 1);
        EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
    }
    ::sigaction(SIGHUP, &previous, nullptr);
}

using TerminationSignalsDeathTest = ::testing::Test;

extern "C" void sayAbsorbed() {
    const char text[] = "absorbed\n";
    [[maybe_unused]] const ssize_t ignored = ::write(2, text, sizeof text - 1);
}

TEST_F(TerminationSignalsDeathTest, ASecondSignalOfABurstWaitsAThirdEndsTheStuckProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::signal(SIGINT, sayEarlierHandlerRan);
            TerminationSignals bridge;
            ::raise(SIGTERM); // waits for a loop that never runs
            ::raise(SIGHUP);  // the same request: absorbed
            sayAbsorbed();
            ::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "absorbed\nearlier handler ran");
}

TEST_F(TerminationSignalsDeathTest, ASecondSignalLongAfterTheFirstEndsTheStuckProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // No burst is short enough: the second comes "long after".
            TerminationSignals::setBurstMilliseconds(0);
            TerminationSignals bridge;
            ::raise(SIGTERM);
            ::raise(SIGHUP);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGHUP), "");
}

TEST_F(TerminationSignalsDeathTest, EndBySignalRunsTheEarlierHandlerAndEndsAsTheSignalWould) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
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
