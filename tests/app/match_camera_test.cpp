// The match camera and input sampling on a match of the shared fixture:
// springs, mouse look, the tick yaw, the chase camera on defence and the
// sprint latch.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "sim/camera.h"
#include "sim/input_sampling.h"
#include "tests/sim/sim_fixture.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

class MatchCamera : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        animClock = 0;
        resetInputSampler();
        s.phase = PHASE_LIVE;
        s.offense = 0;
    }
    Player& local() { return s.players[0]; }
    void frames(int n) {
        for (int i = 0; i < n; ++i) updateMatchCamera(s, kFrame, false);
    }
    PlayerInput sample(const RawInput& raw, float dt = kFrame) {
        PlayerInput out;
        sampleInput(out, s, raw, dt);
        return out;
    }
    std::unique_ptr<TestMatch> match = newMatch({.localIndex = 0, .target = 11});
    MatchState& s = *match;
};

TEST_F(MatchCamera, KickedSpringsClampAndSettle) {
    frames(1);
    s.cam.height.velocity = -6.0f;
    s.cam.pitch.velocity = 30.0f;
    float lowest = 0, highest = 0;
    for (int i = 0; i < 120; ++i) {
        frames(1);
        lowest = std::fmin(lowest, s.cam.height.value);
        highest = std::fmax(highest, s.cam.pitch.value);
    }
    EXPECT_FLOAT_EQ(lowest, -0.25f); // clamped at 25 cm down
    EXPECT_FLOAT_EQ(highest, 0.9f);
    EXPECT_NEAR(s.cam.height.value, 0, 1e-3f);
    EXPECT_NEAR(s.cam.pitch.value, 0, 1e-3f);
}

TEST_F(MatchCamera, MouseLookScalesWithSensitivityAndRespectsInvert) {
    RawInput look;
    look.lookDX = 100;
    look.lookDY = 10;
    s.eyeYaw = s.eyePitch = 0;
    applyMouseLook(s, look, {10, 0});
    EXPECT_NEAR(s.eyeYaw, -0.49f, 1e-5f);
    EXPECT_NEAR(s.eyePitch, -0.049f, 1e-5f);
    const CameraOptions slowInverted = {1, 1};
    s.eyeYaw = s.eyePitch = 0;
    applyMouseLook(s, look, slowInverted);
    EXPECT_NEAR(s.eyeYaw, -0.112f, 1e-5f);
    EXPECT_NEAR(s.eyePitch, 0.0112f, 1e-5f);

    look.lookDY = -100000; // pitch stops at the limits, yaw wraps
    look.lookDX = 3000;
    applyMouseLook(s, look, slowInverted);
    EXPECT_FLOAT_EQ(s.eyePitch, -1.05f);
    EXPECT_LE(std::fabs(s.eyeYaw), PI);

    s.offense = 1; // defending: the mouse does not turn the view
    const float yaw = s.eyeYaw;
    applyMouseLook(s, look, slowInverted);
    EXPECT_EQ(s.eyeYaw, yaw);
}

TEST_F(MatchCamera, TickYawLeadsOnAttackAndFollowsThePlayerOnDefence) {
    s.eyeYaw = 0;
    local().yaw = 1.0f;
    followCameraYaw(s, 0.01f); // attacking in live play: the view leads, the player follows
    EXPECT_EQ(s.eyeYaw, 0.0f);
    EXPECT_EQ(local().yaw, 0.0f);

    s.offense = 1; // defending: the view turns after the player at 6 rad/s
    local().yaw = 1.0f;
    followCameraYaw(s, 0.01f);
    EXPECT_NEAR(s.eyeYaw, 0.06f, 1e-6f);
    EXPECT_EQ(local().yaw, 1.0f);
}

TEST_F(MatchCamera, DefenceBlendsIntoAChaseViewThatFramesTheLocalPlayer) {
    frames(10);
    EXPECT_EQ(s.chaseBlend, 0.0f);
    s.offense = 1;
    local().pos = {-5, 0, 9};
    s.ball.pos = {3, 1.2f, 4};
    ASSERT_TRUE(isLocalDefending(s));
    frames(1);
    EXPECT_GT(s.chaseBlend, 0.0f);
    EXPECT_FLOAT_EQ(s.chaseFov, 42.0f);
    frames(120);
    EXPECT_GT(s.chaseBlend, 0.99f);
    const Vector2 feet = GetWorldToScreenEx({local().pos.x, 0, local().pos.z}, s.camera, 1280, 720);
    EXPECT_GT(feet.x, 110);
    EXPECT_LT(feet.x, 1170);
    EXPECT_LT(feet.y, 550);
    EXPECT_GT(s.camera.position.y, 5.0f) << "behind and above the play";

    // The stick follows the chase view once it dominates: forward is away from the camera.
    RawInput stick;
    stick.moveY = 1;
    const PlayerInput in = sample(stick);
    const Vector3 ahead = Vector3Subtract(s.camera.target, s.camera.position);
    EXPECT_GT(in.worldMoveX * ahead.x + in.worldMoveZ * ahead.z, 0.0f);
    EXPECT_NEAR(std::hypot(in.worldMoveX, in.worldMoveZ), 1.0f, 1e-5f);

    s.offense = 0;
    frames(120);
    EXPECT_LT(s.chaseBlend, 0.01f);
}

TEST_F(MatchCamera, SprintToggleLatchesUntilIdleTiredOrDead) {
    RawInput press;
    press.moveY = 1;
    press.sprintPressed = 1;
    RawInput hold;
    hold.moveY = 1;
    EXPECT_EQ(sample(press).sprintDown, 1);
    for (int i = 0; i < 120; ++i) ASSERT_EQ(sample(hold).sprintDown, 1) << "a held stick keeps the latch";

    RawInput idle;
    for (int i = 0; i < 29; ++i) ASSERT_EQ(sample(idle).sprintDown, 1) << "under 0.5 s of idle stick is not enough";
    EXPECT_EQ(sample(idle, 0.02f).sprintDown, 0);
    EXPECT_EQ(sample(hold).sprintDown, 0);

    EXPECT_EQ(sample(press).sprintDown, 1);
    local().energy = 0.02f;
    EXPECT_EQ(sample(hold).sprintDown, 0) << "out of energy";
    local().energy = 1;
    EXPECT_EQ(sample(hold).sprintDown, 0) << "stays off until pressed again";

    EXPECT_EQ(sample(press).sprintDown, 1);
    s.phase = PHASE_DEAD_BALL;
    EXPECT_EQ(sample(hold).sprintDown, 0);

    s.sprintToggle = 0; // hold to sprint: the raw byte
    s.phase = PHASE_LIVE;
    hold.sprintDown = 1;
    EXPECT_EQ(sample(hold).sprintDown, 1);
}

} // namespace
