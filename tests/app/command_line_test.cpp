// The option loop: what is taken, what is skipped, and the rules applied after it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "app/command_line.h"
#include "app/run_flags.h"

namespace {

CommandLine parse(std::initializer_list<const char*> args) {
    resetRunFlags();
    std::vector<const char*> argv = {"korvalo"};
    argv.insert(argv.end(), args);
    CommandLine cmd;
    parseCommandLine((int)argv.size(), argv.data(), cmd);
    return cmd;
}

TEST(CommandLine, OptionMissingItsArgumentsIsSkippedAlone) {
    // "--sim" last: ignored, the run stays interactive.
    CommandLine cmd = parse({"--log", "--sim"});
    EXPECT_TRUE(playByPlayLog);
    EXPECT_EQ(cmd.simSeconds, 0.0f);
    EXPECT_FALSE(demoMode);
    EXPECT_FALSE(isHeadlessRun(cmd));

    // "--net-join" with one value is skipped; the value is then read as an
    // (unrecognised) argument of its own, and what follows is still read.
    cmd = parse({"--net-join", "--demo"});
    EXPECT_EQ(netTestConfig.active, 0);
    EXPECT_TRUE(demoMode);

    cmd = parse({"--net-seconds"});
    EXPECT_EQ(netTestConfig.seconds, 30.0f); // the default stands
}

TEST(CommandLine, UnknownArgumentsAreIgnoredAndLastValueWins) {
    CommandLine cmd = parse({"--bogus", "--fps", "30", "x", "--fps", "144", "--target", "abc"});
    EXPECT_EQ(targetFps, 144);
    EXPECT_EQ(targetScoreOverride, 0); // no number reads as 0
    EXPECT_FALSE(isHeadlessRun(cmd));
}

TEST(CommandLine, NumbersSaturateInsteadOfOverflowing) {
    parse({"--fps", "99999999999999", "--target", "-99999999999999"});
    EXPECT_EQ(targetFps, INT32_MAX);
    EXPECT_EQ(targetScoreOverride, INT32_MIN);
    CommandLine cmd = parse({"--sim", "1e99"});
    EXPECT_GT(cmd.simSeconds, 1e30f);
    EXPECT_TRUE(std::isfinite(cmd.simSeconds));
}

TEST(CommandLine, ShotFrameListsAppendAndTheLastNumberEndsTheRun) {
    CommandLine cmd = parse({"--shot", "court", "5,10", "a.png"});
    EXPECT_EQ(cmd.shotFrames, (std::vector<int>{5, 10}));
    EXPECT_EQ(cmd.lastFrame, 10);
    EXPECT_TRUE(isHeadlessRun(cmd));

    cmd = parse({"--shot", "court", "10,5", "a.png", "--shot", "lineup", "7,,", "b.png"});
    // Empty pieces read as 0; one trailing comma adds nothing.
    EXPECT_EQ(cmd.shotFrames, (std::vector<int>{10, 5, 7, 0}));
    EXPECT_EQ(cmd.lastFrame, 0);
    EXPECT_EQ(cmd.sceneName, "lineup");
    EXPECT_EQ(cmd.shotPath, "b.png");
}

TEST(CommandLine, HeadlessRule) {
    EXPECT_FALSE(isHeadlessRun(parse({})));
    EXPECT_FALSE(parse({}).sceneName.has_value());
    // An empty scene name is still a screenshot or recording run.
    CommandLine scene = parse({"--shot", "", "5", "out.png"});
    EXPECT_EQ(scene.sceneName, "");
    EXPECT_TRUE(isHeadlessRun(scene));
    EXPECT_TRUE(isHeadlessRun(parse({"--record", "", "1", "3", "frames"})));
    EXPECT_TRUE(isHeadlessRun(parse({"--movetest"})));
    EXPECT_TRUE(isHeadlessRun(parse({"--humantest", "5"})));
    EXPECT_FALSE(isHeadlessRun(parse({"--humantest", "0"})));
    EXPECT_FALSE(isHeadlessRun(parse({"--humantest", "-3"})));
    EXPECT_TRUE(isHeadlessRun(parse({"--net-host", "ann", "2v2", "4"})));
    EXPECT_TRUE(scriptedMode);
    EXPECT_EQ(netTestConfig.expectedMembers, 4);
    EXPECT_TRUE(isHeadlessRun(parse({"--net-join", "ABCDE", "bob"})));
    EXPECT_EQ(netTestConfig.partyCode, "ABCDE");
    EXPECT_EQ(netTestConfig.host, 0);
    EXPECT_FALSE(isHeadlessRun(parse({"--scripted", "--nohud", "--1v1", "--full"})));
    EXPECT_EQ(forceOneOnOne, 1);
    EXPECT_EQ(forceFullCourt, 1);
}

TEST(CommandLine, BuildProfileStopsReadingArguments) {
    CommandLine cmd = parse({"--log", "--buildprof", "--demo"});
    EXPECT_TRUE(cmd.buildProfile);
    EXPECT_TRUE(playByPlayLog);
    EXPECT_FALSE(demoMode);
}

TEST(CommandLine, ServerAddressRule) {
    EXPECT_EQ(chooseServerUrl("ws://127.0.0.1:9000", "wss://env.example"), "ws://127.0.0.1:9000");
    EXPECT_EQ(chooseServerUrl("", "wss://env.example"), "wss://env.example");
    EXPECT_EQ(chooseServerUrl("", ""), kDefaultServerUrl);
    EXPECT_EQ(chooseServerUrl("", nullptr), kDefaultServerUrl);
    EXPECT_EQ(std::string(kDefaultServerUrl).rfind("wss://", 0), 0u);
}

} // namespace
