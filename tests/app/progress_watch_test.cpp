// The watch over an online run's games, with shell stand-ins for the games:
// a game that ends early, or a helper that gives up, fails the wait at once
// with everybody's output; an end the test asked for, or a finished run,
// does not.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>

#include "tests/app/progress_watch.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kTalks = "while :; do echo tick; sleep 0.1; done";

struct StandIns : ::testing::Test {
    // A folder of each test's own: ctest runs them side by side.
    std::filesystem::path dir = prepareGameFolder(std::string("progress_watch_") + testName());

    static const char* testName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    static bool startStandIn(GameProcess& game, const char* script) {
        game.program = "/bin/sh";
        return game.start({"-c", script});
    }
    // The wait's result, how long it took and the failures it reported.
    static bool wait(ProgressWatch& watch, const std::function<bool()>& done, Clock::duration& took,
                     std::string& failures) {
        ::testing::TestPartResultArray results;
        const auto start = Clock::now();
        bool result;
        {
            ::testing::ScopedFakeTestPartResultReporter catcher(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            result = watch.waitFor(done);
        }
        took = Clock::now() - start;
        for (int i = 0; i < results.size(); ++i) failures += results.GetTestPartResult(i).message();
        return result;
    }
    static bool said(const GameProcess& talker, int ticks) {
        const std::string out = talker.out();
        int n = 0;
        for (size_t at = out.find("tick"); at != std::string::npos; at = out.find("tick", at + 1)) ++n;
        return n >= ticks;
    }
};

} // namespace

TEST_F(StandIns, AGameThatEndsEarlyFailsTheWaitAtOnceWithEveryGamesOutput) {
    struct Case {
        const char* script;
        const char* end;
    };
    // With a fault; and after a NETERROR, which quits normally but plays no run.
    for (const Case& c : {Case{"echo starting; echo oops >&2; exit 1", "(exit status 1)"},
                          Case{"echo 'NETERROR No party with that code.'; exit 0", "(exit status 0)"}}) {
        GameProcess talker(dir, "talker"), quitter(dir, "quitter");
        ProgressWatch watch;
        watch.add(talker);
        watch.add(quitter);
        ASSERT_TRUE(startStandIn(talker, kTalks));
        ASSERT_TRUE(waitUntil(10s, [&] { return said(talker, 1); })); // its output is in the report
        ASSERT_TRUE(startStandIn(quitter, c.script));
        Clock::duration took;
        std::string failures;
        EXPECT_FALSE(wait(watch, [] { return false; }, took, failures));
        EXPECT_LT(took, 5s);
        for (const std::string& part : {std::string("quitter ended before the run was done with it ") + c.end,
                                        quitter.out(), quitter.err(), std::string("tick")})
            EXPECT_NE(failures.find(part), std::string::npos) << part << " in:\n" << failures;
    }
}

TEST_F(StandIns, AFinishedRunOrAnEndOnPurposeFailsNoWait) {
    GameProcess talker(dir, "talker"), finisher(dir, "finisher");
    ProgressWatch watch;
    watch.add(talker);
    watch.add(finisher);
    ASSERT_TRUE(startStandIn(talker, kTalks));
    ASSERT_TRUE(startStandIn(finisher, "echo 'CHECK 300 0000abcd'; echo 'DONE tick=1'"));
    Clock::duration took;
    std::string failures;
    EXPECT_TRUE(wait(watch, [&] { return said(talker, 5); }, took, failures)) << failures;
    watch.kill(talker, SIGKILL);
    EXPECT_EQ(watch.exitCodeOf(talker), -1); // by a signal, and no failure
}

TEST_F(StandIns, AHelperThatGivesUpFailsTheWait) {
    GameProcess talker(dir, "talker");
    ProgressWatch watch;
    watch.add(talker);
    ASSERT_TRUE(startStandIn(talker, kTalks));
    watch.addHelper("the third member", [&] { return said(talker, 3) ? "refused: That party is full." : ""; });
    Clock::duration took;
    std::string failures;
    EXPECT_FALSE(wait(watch, [] { return false; }, took, failures));
    EXPECT_LT(took, 5s);
    EXPECT_NE(failures.find("the third member gave up: refused: That party is full."), std::string::npos) << failures;
}
