// The fixed-step driver: tick counting, caps, slow motion, presses between
// ticks, and the phase machine's timings, shot clock and clear line.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/match_arena.h"
#include "sim/match_driver.h"

namespace {

struct DriverTest : ::testing::Test {
    MatchArena testArena;
    MatchState s;
    PlayerInput none[4] = {};
    void SetUp() override {
        initTeams();
        initMatchState(s, 0, 1, -1, nullptr, &testArena, 11, 1, MatchSettings{});
    }
    // Live play, every player human with idle input: nobody acts on his own.
    void goLiveWithBallHeldBy(int holder) {
        s.humanMask = 0xF;
        s.localIndex = -1;
        s.phase = PHASE_LIVE;
        s.phaseTimer = 0;
        s.offense = s.players[holder].team;
        s.ball.phase = BALL_HELD;
        s.ball.holder = holder;
        s.players[holder].hasBall = 1;
    }
    void looseBallFromAShot(int phase) {
        goLiveWithBallHeldBy(0);
        s.players[0].hasBall = 0;
        s.ball.holder = -1;
        s.ball.phase = phase;
        s.ball.pos = {0, 12, 14};
    }
    int ticksOf(float frame, const PlayerInput& in = PlayerInput{}) {
        const float before = s.clock;
        updateMatch(s, frame, in, CameraOptions{});
        return (int)std::lround((s.clock - before) / kTickSeconds);
    }
};

TEST_F(DriverTest, TickCountsCapsAndSlowMotion) {
    EXPECT_EQ(ticksOf(0.2f), 6); // a long frame is capped at six ticks
    EXPECT_LT(s.accumulator, kTickSeconds);
    s.accumulator = 0.2f; // at most twelve a frame, the rest kept
    EXPECT_EQ(ticksOf(0.05f), 12);
    EXPECT_NEAR(s.accumulator, 0.25f - 12 * kTickSeconds, 1e-5f);
    EXPECT_EQ(ticksOf(0.0f), 12);

    s.accumulator = 0;
    s.slowMotion = 1.0f;
    EXPECT_EQ(ticksOf(1.0f / 60.0f), 0);
    EXPECT_NEAR(s.accumulator, 0.0075f, 1e-6f);
    EXPECT_EQ(ticksOf(1.0f / 60.0f), 1); // 0.015 now holds one tick

    PlayerInput in[4] = {};
    in[2].passPressed = 1;
    const float clock = s.clock;
    stepMatchFrame(s, in); // a net frame is two ticks and leaves the inputs alone
    EXPECT_NEAR(s.clock - clock, 2 * kTickSeconds, 1e-5f);
    EXPECT_EQ(in[2].passPressed, 1);
}

TEST_F(DriverTest, APressOnAFrameWithoutATickStillReachesTheMatch) {
    goLiveWithBallHeldBy(0);
    s.localIndex = 0;
    s.humanMask = 1;
    s.players[0].pos = {0, 0, 6.5f};
    s.slowMotion = 1.0f;
    PlayerInput in;
    in.shootDown = 1; // held without a press: nothing
    EXPECT_EQ(ticksOf(1.0f / 60.0f, in), 0);
    EXPECT_EQ(s.players[0].action, ACT_MOVE);
    s.accumulator = 0;
    s.slowMotion = 1.0f;
    in.shootPressed = 1;
    EXPECT_EQ(ticksOf(1.0f / 60.0f, in), 0);
    EXPECT_EQ(s.players[0].action, ACT_JUMP_SHOT);
}

TEST_F(DriverTest, ACallForTheBallOnALongFrameIsAnsweredWithOnePass) {
    goLiveWithBallHeldBy(0);
    s.localIndex = 1;
    s.humanMask = 0b0011;
    s.players[0].pos = {-2, 0, 7};
    s.players[1].pos = {2, 0, 7};
    PlayerInput call;
    call.rightMousePressed = 1;
    updateMatch(s, 0.05f, call, CameraOptions{});
    EXPECT_EQ(s.ball.phase, BALL_PASS);
    EXPECT_EQ(s.ball.passTo, 1);
    for (int i = 0; i < 60 && s.ball.phase == BALL_PASS; ++i) updateMatch(s, 1.0f / 60.0f, PlayerInput{}, CameraOptions{});
    EXPECT_EQ(s.ball.holder, 1);
}

TEST_F(DriverTest, PhaseTimings) {
    int ticks = 0;
    for (; s.phase == PHASE_OPENING && ticks < 1000; ++ticks) stepMatch(s, kTickSeconds, none);
    EXPECT_EQ(s.phase, PHASE_CHECK_BALL);
    EXPECT_EQ(s.offense, 0);
    EXPECT_NEAR(ticks * kTickSeconds, 2.6f + kTickSeconds / 2, kTickSeconds / 2 + 1e-4f);

    for (int dunk = 0; dunk < 2; ++dunk) { // a dead ball with a winner ends the match
        SetUp();
        s.humanMask = 0xF;
        s.phase = PHASE_DEAD_BALL;
        s.winner = 1;
        s.nextOffense = 0;
        s.ball.dunk = (uint8_t)dunk;
        float t = 0;
        for (; s.phase == PHASE_DEAD_BALL && t < 5; t += kTickSeconds) stepMatch(s, kTickSeconds, none);
        EXPECT_EQ(s.phase, PHASE_OVER);
        EXPECT_NEAR(t, dunk ? 2.3f : 1.9f, 2 * kTickSeconds) << "dunk " << dunk;
        for (int i = 0; i < 50; ++i) stepMatch(s, kTickSeconds, none);
        EXPECT_EQ(s.phase, PHASE_OVER);
    }
}

TEST_F(DriverTest, ShotClockOnShotsAndLooseBalls) {
    looseBallFromAShot(BALL_SHOT); // waits for a shot that touched the rim
    s.ball.rimTouched = 1;
    s.shotClock = 0.01f;
    for (int i = 0; i < 5; ++i) stepMatch(s, kTickSeconds, none);
    EXPECT_FLOAT_EQ(s.shotClock, 0.01f);
    EXPECT_EQ(s.phase, PHASE_LIVE);

    looseBallFromAShot(BALL_LOOSE); // runs on a loose ball only when not from a shot
    s.ball.shotRebound = 1;
    s.shotClock = 10;
    stepMatch(s, kTickSeconds, none);
    EXPECT_FLOAT_EQ(s.shotClock, 10.0f);
    s.ball.shotRebound = 0;
    stepMatch(s, kTickSeconds, none);
    EXPECT_LT(s.shotClock, 10.0f);
}

TEST_F(DriverTest, ClearRuleAndDeadBallCalls) {
    EXPECT_TRUE(isBeyondClearLine({6.77f, 0, 2.71f}));
    EXPECT_FALSE(isBeyondClearLine({6.76f, 0, 2.71f}));
    EXPECT_FALSE(isBeyondClearLine({0, 0, 7.29f}));
    EXPECT_TRUE(isBeyondClearLine({0, 0, 7.3f}));

    callDeadBall(s, 1, "OUT OF BOUNDS"); // only in live play
    EXPECT_EQ(s.phase, PHASE_OPENING);
    goLiveWithBallHeldBy(1);
    callDeadBall(s, 0, "OUT OF BOUNDS");
    EXPECT_EQ(s.phase, PHASE_DEAD_BALL);
    EXPECT_FLOAT_EQ(s.ball.vel.y, 1.5f); // a held ball pops up
}

} // namespace
