// The scripted player of test runs: what it aims at, how long it holds a
// shot, and that it does nothing outside live play.
#include <cmath>
#include <gtest/gtest.h>

#include "app/program_random.h"
#include "app/scripted_input.h"
#include "app/settings.h"
#include "sim/match_state.h"

namespace {

class ScriptedInput : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        programSrand(7);
        initMatchState(matchState, 0, 1, 0, nullptr, nullptr, 11, 1);
        matchState.phase = PHASE_LIVE;
        matchState.offense = 0;
        local().pos = {0, 0, 6};
        matchState.eyeYaw = PI; // facing the hoop from (0, 6)
    }
    Player& local() { return matchState.players[0]; }
};

// Calls until a shot starts; returns the clock of that call.
float startShot(ScriptedInputState& st, RawInput& out) {
    float t = 2.5f;
    for (int i = 0; i < 200 && st.shots == 0; ++i, t += 1.3f) scriptedInput(out, t, st);
    return t - 1.3f;
}

TEST_F(ScriptedInput, HoldsAShotFor26CallsThenLetsGo) {
    local().hasBall = 1;
    ScriptedInputState st;
    RawInput out;
    const float t = startShot(st, out);
    ASSERT_EQ(st.shots, 1);
    EXPECT_EQ(out.leftMousePressed, 1);
    EXPECT_EQ(out.leftMouseDown, 1);
    for (int call = 1; call <= 25; ++call) {
        scriptedInput(out, t, st);
        EXPECT_EQ(out.leftMouseDown, 1) << call;
        EXPECT_EQ(out.leftMousePressed, 0) << call;
    }
    scriptedInput(out, t, st);
    EXPECT_EQ(out.leftMouseDown, 0);
    EXPECT_EQ(st.holdTimer, -1.0f);
}

TEST_F(ScriptedInput, OutsideLivePlayIsSilentAndFreezesAHold) {
    local().hasBall = 1;
    ScriptedInputState st;
    RawInput out;
    const float t = startShot(st, out);
    const float held = st.holdTimer;
    matchState.phase = PHASE_DEAD_BALL;
    scriptedInput(out, t + 5, st);
    EXPECT_EQ(out.leftMouseDown, 0);
    EXPECT_EQ(out.moveX, 0.0f);
    EXPECT_EQ(out.lookDX, 0.0f);
    EXPECT_EQ(st.holdTimer, held);
    matchState.phase = PHASE_LIVE;
    scriptedInput(out, t + 5, st);
    EXPECT_EQ(out.leftMouseDown, 1);
}

TEST_F(ScriptedInput, TurnsAFifthOfTheWayAndRunsSeenFromTheCamera) {
    local().hasBall = 1; // aims at the hoop (0, 0), runs to (2.5, 5.5)
    matchState.eyeYaw = PI - 0.5f;
    ScriptedInputState st;
    RawInput out;
    scriptedInput(out, 0, st);
    const float perPixel = 0.0007f + 0.00042f * 5;
    EXPECT_NEAR(out.lookDX * perPixel, -0.5f * 0.2f, 1e-4f); // turning right, by a fifth
    // The run target seen from the camera: rebuild the world direction.
    const float s = std::sin(matchState.eyeYaw), c = std::cos(matchState.eyeYaw);
    const float wx = out.moveY * s - out.moveX * c, wz = out.moveY * c + out.moveX * s;
    const float dx = 2.5f, dz = -0.5f, len = std::sqrt(dx * dx + dz * dz);
    EXPECT_NEAR(wx, dx / len, 1e-5f);
    EXPECT_NEAR(wz, dz / len, 1e-5f);
}

TEST_F(ScriptedInput, ReachesForStealsOnDefenceAndWeavesWhileTheBallIsHeld) {
    matchState.offense = 1;
    matchState.ball.phase = BALL_HELD;
    ScriptedInputState st;
    RawInput out;
    scriptedInput(out, 2.5f, st);
    EXPECT_EQ(st.stealTries, 1);
    EXPECT_EQ(out.leftMousePressed, 1);
    EXPECT_FLOAT_EQ(out.moveX, 0.8f * std::sin(1.3f * 2.5f));
    EXPECT_FLOAT_EQ(out.moveY, 0.3f);
    scriptedInput(out, 3.0f, st); // within 1.2 s of the last action
    EXPECT_EQ(st.stealTries, 1);
}

} // namespace
