// The match camera and input sampling: springs, motion levels, mouse look,
// the tick yaw, the chase camera and the opening fly-in, the sprint latch,
// the camera-relative move and the presentation update.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "characters/sine_noise.h"
#include "sim/camera.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

class MatchCamera : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        animClock = 0;
        resetInputSampler();
        initMatchState(s, 0, 1, 0, nullptr, nullptr, 11, 1);
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
    MatchState s;
};

float viewYaw(const Camera3D& c) { return std::atan2(c.target.x - c.position.x, c.target.z - c.position.z); }

TEST(CameraSpring, IntegratesVelocityFirstThenValue) {
    CameraSpring spring{0.1f, 1.0f};
    stepCameraSpring(spring, 90, 10, 0.01f);
    const float v = 1.0f + (-90 * 0.1f - 10 * 1.0f) * 0.01f;
    EXPECT_FLOAT_EQ(spring.velocity, v);
    EXPECT_FLOAT_EQ(spring.value, 0.1f + v * 0.01f);
}

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

TEST_F(MatchCamera, MotionLevelZeroKeepsOnlyTheShake) {
    settings.cameraMotion = 0;
    frames(1);
    local().vel = {0, 0, 5};
    local().runPhase = 1.0f;
    s.cam.pendingKick = {2, 0, 0};
    local().rootHeight = 0.5f; // take off ...
    frames(1);
    EXPECT_GT(s.cam.trauma, 0.0f) << "the kick still adds trauma";
    local().rootHeight = 0; // ... and land
    for (int i = 0; i < 30; ++i) {
        local().runPhase += 0.2f;
        local().vel = {std::sin((float)i), 0, 5}; // accelerating sideways
        frames(1);
        ASSERT_EQ(s.cam.height.value, 0.0f);
        ASSERT_EQ(s.cam.yaw.value, 0.0f);
        ASSERT_EQ(s.cam.pitch.value, 0.0f);
        ASSERT_EQ(s.cam.roll.value, 0.0f);
        ASSERT_EQ(s.cam.leanPitch, 0.0f);
        ASSERT_EQ(s.cam.leanRoll, 0.0f);
    }

    s.cam.trauma = 1;
    animClock = 0.3f;
    frames(1);
    const float trauma = 1 - 1.4f * kFrame;
    const float expected = s.eyeYaw + 0.035f * trauma * trauma * 0.35f * sineNoise(0.3f, 1);
    EXPECT_NEAR(std::remainder(viewYaw(s.camera) - expected, 2 * PI), 0, 1e-4f);
}

TEST_F(MatchCamera, FullMotionBobsAndDipsOnLanding) {
    frames(1);
    local().rootHeight = 0.6f;
    local().vertSpeed = 4;
    frames(1);
    EXPECT_GT(s.cam.height.velocity, 0.0f) << "take-off lifts";
    local().rootHeight = 0;
    frames(1);
    EXPECT_LT(s.cam.height.velocity, 0.0f) << "landing dips";
    EXPECT_LT(s.cam.pitch.velocity, 0.0f);

    local().vel = {0, 0, 6.5f};
    float lo = 1e9f, hi = -1e9f;
    for (int i = 0; i < 120; ++i) {
        local().runPhase += 0.25f;
        frames(1);
        lo = std::fmin(lo, s.camera.position.y);
        hi = std::fmax(hi, s.camera.position.y);
    }
    EXPECT_GT(hi - lo, 0.02f) << "the head bobs while running";
}

TEST_F(MatchCamera, MouseLookScalesWithSensitivityAndRespectsInvert) {
    RawInput look;
    look.lookDX = 100;
    look.lookDY = 10;
    settings.mouseSens = 10;
    s.eyeYaw = 0;
    s.eyePitch = 0;
    applyMouseLook(s, look);
    EXPECT_NEAR(s.eyeYaw, -0.49f, 1e-5f);
    EXPECT_NEAR(s.eyePitch, -0.049f, 1e-5f);
    settings.mouseSens = 1;
    settings.invertY = 1;
    s.eyeYaw = 0;
    s.eyePitch = 0;
    applyMouseLook(s, look);
    EXPECT_NEAR(s.eyeYaw, -0.112f, 1e-5f);
    EXPECT_NEAR(s.eyePitch, 0.0112f, 1e-5f);

    look.lookDY = -100000; // pitch stops at the limits, yaw wraps
    look.lookDX = 3000;
    applyMouseLook(s, look);
    EXPECT_FLOAT_EQ(s.eyePitch, -1.05f);
    EXPECT_LE(std::fabs(s.eyeYaw), PI);

    s.offense = 1; // defending: the mouse does not turn the view
    const float yaw = s.eyeYaw;
    applyMouseLook(s, look);
    EXPECT_EQ(s.eyeYaw, yaw);
}

TEST_F(MatchCamera, TickYawDependsOnTheSituation) {
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

    s.offense = 0; // finishing at the rim: toward the hoop axis at 5 rad/s
    local().action = ACT_DUNK;
    local().pos = {3, 0, 3};
    s.eyeYaw = 0;
    followCameraYaw(s, 0.01f);
    EXPECT_NEAR(s.eyeYaw, -0.05f, 1e-6f);
    EXPECT_NEAR(local().yaw, -0.05f, 1e-6f);

    local().action = ACT_MOVE; // check ball: rate 2.4
    s.phase = PHASE_CHECK_BALL;
    s.eyeYaw = 0;
    local().yaw = 1.0f;
    followCameraYaw(s, 0.01f);
    EXPECT_NEAR(s.eyeYaw, 0.024f, 1e-6f);

    s.online = 1; // online the player's yaw travels in the input
    local().yaw = 1.0f;
    followCameraYaw(s, 0.01f);
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

TEST_F(MatchCamera, OpeningFliesInFromTheOverview) {
    s.phase = PHASE_OPENING;
    s.phaseTimer = 0;
    frames(1);
    EXPECT_NEAR(s.camera.position.x, -9, 1e-4f);
    EXPECT_NEAR(s.camera.position.y, 9, 1e-4f);
    EXPECT_NEAR(s.camera.position.z, 22, 1e-4f);
    EXPECT_FLOAT_EQ(s.camera.fovy, 50);
    s.phaseTimer = 2.5f; // blend complete: the eye camera
    frames(1);
    EXPECT_NEAR(Vector3Distance(s.camera.position, cameraFocusPoint(s)), 0, 0.1f);
    EXPECT_NEAR(s.camera.fovy, s.eyeFov, 1e-4f);
}

TEST_F(MatchCamera, EyeSitsInFrontOfTheHead) {
    const Vector3 eye = cameraFocusPoint(s);
    const Vector3 head = headPosition(local().skeleton);
    EXPECT_GT(eye.y, 1.6f);
    EXPECT_LT(eye.y, 2.1f);
    EXPECT_LT(Vector3Distance(eye, head), 0.25f);
    s.localIndex = -1; // nobody local: player 0's eyes
    EXPECT_TRUE(Vector3Equals(cameraFocusPoint(s), eye));
}

TEST_F(MatchCamera, StickTurnsIntoTheCourtFrameOfTheView) {
    s.eyeYaw = 0; // looking along +z; the right-hand side is -x
    RawInput raw;
    raw.moveY = 1;
    raw.lookDX = 50;
    raw.shootPressed = 1;
    PlayerInput in = sample(raw);
    EXPECT_NEAR(in.worldMoveX, 0, 1e-6f);
    EXPECT_NEAR(in.worldMoveZ, 1, 1e-6f);
    EXPECT_EQ(in.lookDX, 0.0f);
    EXPECT_EQ(in.valid, 1);
    EXPECT_EQ(in.shootPressed, 1);
    EXPECT_EQ(in.aimWithYaw, 1);
    EXPECT_EQ(in.yaw, 0.0f);
    raw.moveY = 0;
    raw.moveX = 1;
    in = sample(raw);
    EXPECT_NEAR(in.worldMoveX, -1, 1e-6f);
    raw.moveX = raw.moveY = 1; // the raw record is not normalised: the world move is
    in = sample(raw);
    EXPECT_NEAR(std::hypot(in.worldMoveX, in.worldMoveZ), 1, 1e-6f);
    s.offense = 1;
    EXPECT_EQ(sample(raw).aimWithYaw, 0) << "defenders aim by their own rules";
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

    settings.sprintToggle = 0; // hold to sprint: the raw byte
    s.phase = PHASE_LIVE;
    hold.sprintDown = 1;
    EXPECT_EQ(sample(hold).sprintDown, 1);
}

TEST_F(MatchCamera, PresentationAgesCalloutsCrowdAndTheBallCue) {
    s.callouts.clear();
    postCallout(s, "OLD", WHITE, 40, 0.5f);
    postCallout(s, "NEW", WHITE, 40, 3.0f);
    s.callouts[0].age = 0.45f;
    s.excitement = 0.16f;
    s.tipsToast = 0.05f;
    updatePresentation(s, 0.1f);
    ASSERT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.callouts[0].text, "NEW");
    EXPECT_FLOAT_EQ(s.excitement, 0.15f);
    EXPECT_EQ(s.tipsToast, 0.0f);
    EXPECT_NEAR(s.emoteTime[2], 0.1f, 1e-6f);

    local().hasBall = 1;
    updatePresentation(s, 0.1f);
    EXPECT_EQ(s.ballReceivedAge, 0.0f);
    updatePresentation(s, 0.1f);
    EXPECT_NEAR(s.ballReceivedAge, 0.1f, 1e-6f) << "the cue fires once per catch";

    updatePresentationClamped(s, 1.0f);
    EXPECT_NEAR(s.ballReceivedAge, 0.15f, 1e-6f);
}

} // namespace
