// The fixed-step driver: tick counting, caps, slow motion, and the phase
// machine's timings, shot clock and clear rule.
#include <gtest/gtest.h>

#include <cmath>

#include "app/settings.h"
#include "render/arena.h"
#include "sim/match_driver.h"

namespace {

struct DriverTest : ::testing::Test {
    Arena testArena;
    MatchState s;
    PlayerInput none[4] = {};
    void SetUp() override {
        initTeams();
        settings = Settings{};
        initMatchState(s, 0, 1, -1, nullptr, &testArena, 11, 1);
    }
    // Every player human with idle input: nobody acts on his own.
    void makeEveryoneIdleHuman() {
        s.humanMask = 0xF;
        s.localIndex = -1;
    }
    void goLiveWithBallHeldBy(int holder) {
        makeEveryoneIdleHuman();
        s.phase = PHASE_LIVE;
        s.phaseTimer = 0;
        s.offense = s.players[holder].team;
        s.ball.phase = BALL_HELD;
        s.ball.holder = holder;
        s.players[holder].hasBall = 1;
    }
    int ticksOf(float frame) {
        const float before = s.clock;
        updateMatch(s, frame, PlayerInput{});
        return (int)std::lround((s.clock - before) / kTickSeconds);
    }
};

TEST_F(DriverTest, LongFrameIsCappedAtSixTicks) {
    EXPECT_EQ(ticksOf(0.2f), 6);
    EXPECT_LT(s.accumulator, kTickSeconds);
}

TEST_F(DriverTest, AtMostTwelveTicksPerFrameAndTheRestIsKept) {
    s.accumulator = 0.2f;
    EXPECT_EQ(ticksOf(0.05f), 12);
    EXPECT_NEAR(s.accumulator, 0.25f - 12 * kTickSeconds, 1e-5f);
    EXPECT_EQ(ticksOf(0.0f), 12);
}

TEST_F(DriverTest, SixtyHertzFramesRunTwoTicksEach) {
    int total = 0;
    for (int i = 0; i < 60; ++i) total += ticksOf(1.0f / 60.0f);
    EXPECT_NEAR(total, 120, 1);
}

TEST_F(DriverTest, SlowMotionAddsLessThanATickPerFrame) {
    s.slowMotion = 1.0f;
    EXPECT_EQ(ticksOf(1.0f / 60.0f), 0);
    EXPECT_NEAR(s.accumulator, 0.0075f, 1e-6f);
    EXPECT_NEAR(s.slowMotion, 1.0f - 1.0f / 60.0f, 1e-6f);
    EXPECT_EQ(ticksOf(1.0f / 60.0f), 1); // 0.015 now holds one tick
}

TEST_F(DriverTest, NetFrameIsTwoTicksAndLeavesTheInputsAlone) {
    PlayerInput in[4] = {};
    in[2].passPressed = 1;
    stepMatchFrame(s, in);
    EXPECT_NEAR(s.clock, 2 * kTickSeconds, 1e-7f);
    EXPECT_EQ(in[2].passPressed, 1);
}

TEST_F(DriverTest, OpeningHandsTheBallToTeamZeroAfter2point6Seconds) {
    int ticks = 0;
    while (s.phase == PHASE_OPENING && ticks < 1000) {
        stepMatch(s, kTickSeconds, none);
        ++ticks;
    }
    EXPECT_EQ(s.phase, PHASE_CHECK_BALL);
    EXPECT_EQ(s.offense, 0);
    EXPECT_GT(ticks * kTickSeconds, 2.6f - 1e-4f);
    EXPECT_LE(ticks * kTickSeconds, 2.6f + kTickSeconds + 1e-4f);
}

TEST_F(DriverTest, DeadBallWithAWinnerEndsTheMatch) {
    for (int dunk = 0; dunk < 2; ++dunk) {
        SetUp();
        makeEveryoneIdleHuman();
        s.phase = PHASE_DEAD_BALL;
        s.phaseTimer = 0;
        s.winner = 1;
        s.nextOffense = 0;
        s.ball.dunk = (uint8_t)dunk;
        float t = 0;
        while (s.phase == PHASE_DEAD_BALL && t < 5) {
            stepMatch(s, kTickSeconds, none);
            t += kTickSeconds;
        }
        EXPECT_EQ(s.phase, PHASE_OVER);
        EXPECT_NEAR(t, dunk ? 2.3f : 1.9f, 2 * kTickSeconds) << "dunk " << dunk;
        const float clock = s.clock;
        for (int i = 0; i < 50; ++i) stepMatch(s, kTickSeconds, none);
        EXPECT_EQ(s.phase, PHASE_OVER); // nothing leaves the over phase
        EXPECT_GT(s.clock, clock);
    }
}

TEST_F(DriverTest, ShotClockExpiresOnAHeldBall) {
    goLiveWithBallHeldBy(0);
    s.shotClock = 0.05f;
    for (int i = 0; i < 10 && s.phase == PHASE_LIVE; ++i) stepMatch(s, kTickSeconds, none);
    EXPECT_EQ(s.phase, PHASE_DEAD_BALL);
    EXPECT_EQ(s.nextOffense, 1);
    EXPECT_EQ(s.ball.phase, BALL_DEAD);
    EXPECT_EQ(s.ball.holder, -1);
    EXPECT_EQ(s.players[0].hasBall, 0);
    ASSERT_FALSE(s.callouts.empty());
    EXPECT_EQ(s.callouts.back().text, "SHOT CLOCK");
    EXPECT_FLOAT_EQ(s.callouts.back().size, 56.0f);
}

TEST_F(DriverTest, ShotClockWaitsForAShotThatTouchedTheRim) {
    goLiveWithBallHeldBy(0);
    s.players[0].hasBall = 0;
    s.ball.holder = -1;
    s.ball.phase = BALL_SHOT;
    s.ball.pos = {0, 12, 14};
    s.ball.rimTouched = 1;
    s.shotClock = 0.01f;
    for (int i = 0; i < 5; ++i) stepMatch(s, kTickSeconds, none);
    EXPECT_FLOAT_EQ(s.shotClock, 0.01f);
    EXPECT_EQ(s.phase, PHASE_LIVE);
}

TEST_F(DriverTest, ShotClockRunsOnALooseBallOnlyWhenNotFromAShot) {
    goLiveWithBallHeldBy(0);
    s.players[0].hasBall = 0;
    s.ball.holder = -1;
    s.ball.phase = BALL_LOOSE;
    s.ball.pos = {0, 12, 14};
    s.ball.shotRebound = 1;
    s.shotClock = 10;
    stepMatch(s, kTickSeconds, none);
    EXPECT_FLOAT_EQ(s.shotClock, 10.0f);
    s.ball.shotRebound = 0;
    stepMatch(s, kTickSeconds, none);
    EXPECT_LT(s.shotClock, 10.0f);
}

TEST_F(DriverTest, ClearRuleClearsBeyondTheLine) {
    EXPECT_TRUE(isBeyondClearLine({6.77f, 0, 2.71f}));
    EXPECT_FALSE(isBeyondClearLine({6.76f, 0, 2.71f}));
    EXPECT_FALSE(isBeyondClearLine({0, 0, 7.29f}));
    EXPECT_TRUE(isBeyondClearLine({0, 0, 7.3f}));

    goLiveWithBallHeldBy(1);
    s.mustClear = 1;
    s.players[1].pos = {0, 0, 6.0f};
    stepMatch(s, kTickSeconds, none);
    EXPECT_EQ(s.mustClear, 1);
    s.players[1].pos = {0, 0, 7.6f};
    const size_t before = s.callouts.size();
    stepMatch(s, kTickSeconds, none);
    EXPECT_EQ(s.mustClear, 0);
    ASSERT_EQ(s.callouts.size(), before + 1);
    EXPECT_EQ(s.callouts.back().text, "CLEARED");
    EXPECT_EQ(s.callouts.back().world, 1);
    EXPECT_NEAR(s.callouts.back().worldPos.y, s.players[1].pos.y + 2.4f, 1e-5f);
}

TEST_F(DriverTest, DeadBallCallOnlyInLivePlay) {
    callDeadBall(s, 1, "OUT OF BOUNDS");
    EXPECT_EQ(s.phase, PHASE_OPENING);
    goLiveWithBallHeldBy(2);
    callDeadBall(s, 0, "OUT OF BOUNDS");
    EXPECT_EQ(s.phase, PHASE_DEAD_BALL);
    EXPECT_FLOAT_EQ(s.ball.vel.y, 1.5f); // a held ball pops up
    EXPECT_EQ(s.callouts.back().text, "OUT OF BOUNDS");
}

} // namespace

namespace {

TEST_F(DriverTest, APressOnAFrameWithoutATickStillReachesTheMatch) {
    goLiveWithBallHeldBy(0);
    s.localIndex = 0;
    s.humanMask = 1;
    s.players[0].pos = {0, 0, 6.5f};
    s.slowMotion = 1.0f;
    s.accumulator = 0;
    PlayerInput press;
    press.shootPressed = press.shootDown = 1;
    const float clock = s.clock;
    updateMatch(s, 1.0f / 60.0f, press); // 0.0075 s of slow motion: no tick
    EXPECT_EQ(s.clock, clock);
    EXPECT_EQ(s.players[0].action, ACT_JUMP_SHOT);
}

TEST_F(DriverTest, WithoutAPressAFrameWithoutATickChangesNothing) {
    goLiveWithBallHeldBy(0);
    s.localIndex = 0;
    s.humanMask = 1;
    s.slowMotion = 1.0f;
    PlayerInput held;
    held.shootDown = 1;
    updateMatch(s, 1.0f / 60.0f, held);
    EXPECT_EQ(s.players[0].action, ACT_MOVE);
}

TEST_F(DriverTest, ACallForTheBallOnALongFrameIsAnsweredWithOnePass) {
    // The holder's team-mate calls for the ball on a frame of six ticks.
    goLiveWithBallHeldBy(0);
    s.localIndex = 1;
    s.humanMask = 0b0011;
    s.players[0].pos = {-2, 0, 7};
    s.players[1].pos = {2, 0, 7};
    PlayerInput call;
    call.rightMousePressed = 1;
    updateMatch(s, 0.05f, call);
    EXPECT_EQ(s.ball.phase, BALL_PASS);
    EXPECT_EQ(s.ball.passFrom, 0);
    EXPECT_EQ(s.ball.passTo, 1);
    // The next frames carry no press: the ball arrives and stays with him.
    for (int i = 0; i < 60 && s.ball.phase == BALL_PASS; ++i) updateMatch(s, 1.0f / 60.0f, PlayerInput{});
    EXPECT_EQ(s.ball.holder, 1);
}

} // namespace
