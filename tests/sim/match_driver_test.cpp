// The fixed-step driver: tick counting, caps, slow motion, presses between
// ticks, and the phase machine's timings, shot clock and clear line.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/match_driver.h"
#include "sim_fixture.h"

namespace {

struct DriverTest : ::testing::Test {
    std::unique_ptr<TestMatch> m = newMatch({.localIndex = -1, .target = 11});
    MatchState& s = *m;
    const PlayerInput none[4] = {};
    // Live play, every player a person with idle input: nobody acts on his own.
    void goLiveWithBallHeldBy(int holder) {
        s.humanMask = 0xF;
        giveBall(s, holder);
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
    s.slowMotion = 1.0f;
    PlayerInput in;
    in.shootDown = 1; // held without a press: nothing
    EXPECT_EQ(ticksOf(1.0f / 60.0f, in), 0);
    EXPECT_EQ(s.players[0].action, ACT_MOVE);
    s.accumulator = 0;
    in.shootPressed = 1;
    EXPECT_EQ(ticksOf(1.0f / 60.0f, in), 0);
    EXPECT_NE(s.players[0].action, ACT_MOVE);
}

TEST_F(DriverTest, ACallForTheBallOnALongFrameIsAnsweredWithOnePass) {
    s.localIndex = 1;
    goLiveWithBallHeldBy(0);
    s.humanMask = 0b0011;
    placePlayer(s.players[0], {-2, 0, 7}, 0);
    placePlayer(s.players[1], {2, 0, 7}, 0);
    PlayerInput call;
    call.rightMousePressed = 1;
    updateMatch(s, 0.05f, call, CameraOptions{});
    EXPECT_EQ(s.ball.phase, BALL_PASS);
    EXPECT_EQ(s.ball.passTo, 1);
    for (int i = 0; i < 60 && s.ball.phase == BALL_PASS; ++i) updateMatch(s, 1.0f / 60.0f, {}, CameraOptions{});
    EXPECT_EQ(s.ball.holder, 1);
}

TEST_F(DriverTest, PhaseTimings) {
    int ticks = 0;
    for (; s.phase == PHASE_OPENING && ticks < 1000; ++ticks) stepMatch(s, kTickSeconds, none);
    EXPECT_EQ(s.phase, PHASE_CHECK_BALL);
    EXPECT_NEAR(ticks * kTickSeconds, 2.6f + kTickSeconds / 2, kTickSeconds / 2 + 1e-4f);

    for (int dunk = 0; dunk < 2; ++dunk) { // a dead ball with a winner ends the match
        goLiveWithBallHeldBy(0);
        s.phase = PHASE_DEAD_BALL;
        s.phaseTimer = 0;
        s.winner = 1;
        s.ball.dunk = (uint8_t)dunk;
        float t = 0;
        for (; s.phase == PHASE_DEAD_BALL && t < 5; t += kTickSeconds) stepMatch(s, kTickSeconds, none);
        EXPECT_EQ(s.phase, PHASE_OVER);
        EXPECT_NEAR(t, dunk ? 2.3f : 1.9f, 2 * kTickSeconds) << "dunk " << dunk;
        EXPECT_EQ(s.events.back().kind, EVENT_MUSIC); // the music stops
        EXPECT_EQ(s.events.back().id, 0);
    }
}

TEST_F(DriverTest, ShotClockClearLineAndCalls) {
    goLiveWithBallHeldBy(0); // the clock waits for a shot that touched the rim
    s.players[0].hasBall = 0;
    s.ball.holder = -1;
    s.ball.phase = BALL_SHOT;
    s.ball.pos = {0, 12, 14};
    s.ball.rimTouched = 1;
    s.shotClock = 0.01f;
    for (int i = 0; i < 5; ++i) stepMatch(s, kTickSeconds, none);
    EXPECT_FLOAT_EQ(s.shotClock, 0.01f);
    s.ball.phase = BALL_LOOSE; // and runs on a loose ball only when not from a shot
    s.ball.shotRebound = 1;
    s.shotClock = 10;
    stepMatch(s, kTickSeconds, none);
    EXPECT_FLOAT_EQ(s.shotClock, 10.0f);
    s.ball.shotRebound = 0;
    stepMatch(s, kTickSeconds, none);
    EXPECT_LT(s.shotClock, 10.0f);

    EXPECT_TRUE(isBeyondClearLine({6.77f, 0, 2.71f}));
    EXPECT_FALSE(isBeyondClearLine({6.76f, 0, 2.71f}));
    EXPECT_FALSE(isBeyondClearLine({0, 0, 7.29f}));
    EXPECT_TRUE(isBeyondClearLine({0, 0, 7.3f}));

    goLiveWithBallHeldBy(1); // a held ball lets the clock run out
    s.shotClock = 0.005f;
    stepMatch(s, kTickSeconds, none);
    EXPECT_EQ(s.phase, PHASE_DEAD_BALL);
    ASSERT_FALSE(s.callouts.empty());
    EXPECT_EQ(s.callouts.back().text, "SHOT CLOCK");
    EXPECT_EQ(s.nextOffense, 1);
    goLiveWithBallHeldBy(1);
    callDeadBall(s, 0, "OUT OF BOUNDS");
    EXPECT_EQ(s.phase, PHASE_DEAD_BALL);
    EXPECT_FLOAT_EQ(s.ball.vel.y, 1.5f); // a held ball pops up
    callDeadBall(s, 1, "CHARGE!"); // only in live play
    EXPECT_EQ(s.nextOffense, 0);
}

} // namespace
