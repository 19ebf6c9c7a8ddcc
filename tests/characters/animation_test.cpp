// Player animation inside a match: the clocks it runs by, its easing and
// stride rates, the shapes of the action poses, and the held ball riding the
// animated hands.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <raylib.h>
#include <raymath.h>

#include "characters/animation.h"
#include "app/anim_clock.h"
#include "characters/pose_generators.h"
#include "tests/sim/test_match.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

bool isFinite(const Player& p) {
    for (float v : p.pose.v)
        if (!std::isfinite(v)) return false;
    for (const Matrix& m : p.skeleton.joints)
        for (float v : MatrixToFloatV(m).v)
            if (!std::isfinite(v)) return false;
    return true;
}

float pelvisHeight(const Player& p) { return p.skeleton.joints[JOINT_PELVIS].m13; }
float headTop(const Player& p) { return headPosition(p.skeleton).y; }
Vector3 hand(const Player& p, int side) { return handPosition(p.skeleton, side); }

void expectNear(Vector3 a, Vector3 b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        animClock = 0.0f;
        s = std::make_unique<MatchState>();
        startTestMatch(*s, -1, false, false);
    }
    // Eases the poses for a while; animation never moves the action clocks.
    void settle(int frames = 40) {
        for (int i = 0; i < frames; ++i) animatePlayers(*s, kFrame);
    }
    Player& actor(int action, float timer) {
        Player& p = s->players[1];
        p.action = action;
        p.actionTimer = timer;
        return p;
    }
    void giveBall(int holder) {
        s->phase = PHASE_LIVE;
        s->ball.phase = BALL_HELD;
        s->ball.holder = holder;
        s->players[holder].hasBall = 1;
    }
    std::unique_ptr<MatchState> s;
};

TEST_F(AnimationTest, IdleClockIsTheMatchClockOnlineAndTheFrontEndClockOffline) {
    s->clock = 12.5f;
    animClock = 3.25f;
    animatePlayers(*s, kFrame);
    EXPECT_EQ(animationClock, 3.25f);
    s->online = 1;
    animatePlayers(*s, kFrame);
    EXPECT_EQ(animationClock, 12.5f);
}

TEST_F(AnimationTest, StandingPlayerSettlesTowardIdleAtRateFourteen) {
    Player& p = actor(ACT_MOVE, 0);
    p.pose = Pose{};
    animatePlayers(*s, 0.1f);
    Pose idle;
    poseIdle(idle, p.model->height);
    const float share = 1.0f - std::exp(-1.4f); // 75% of the way
    for (int f = 0; f < POSE_FIELD_COUNT; ++f)
        if (f != POSE_HEAD_YAW) {
            EXPECT_NEAR(p.pose.v[f], share * idle.v[f], 1e-5f) << "slot " << f;
        }
}

TEST_F(AnimationTest, StrideCycleFollowsTheSpeed) {
    Player& p = actor(ACT_MOVE, 0);
    p.vel = {0, 0, 6.5f};
    for (int i = 0; i < 60; ++i) animatePlayers(*s, kFrame);
    EXPECT_NEAR(p.runPhase, 2.0f * PI / 0.41538f, 1e-2f); // one cycle every 2.7 / 6.5 s

    p.runPhase = 0;
    p.vel = {3.25f, 0, 0};
    for (int i = 0; i < 60; ++i) animatePlayers(*s, kFrame);
    EXPECT_NEAR(p.runPhase, 2.0f * PI / 0.63077f, 1e-2f); // 2.05 / 3.25 s

    p.runPhase = 0;
    p.action = ACT_AIRBORNE; // only locomotion strides
    animatePlayers(*s, kFrame);
    EXPECT_EQ(p.runPhase, 0.0f);
}

TEST_F(AnimationTest, ZeroTimeStepChangesNoPoseAndStopsTheHeldBall) {
    giveBall(1);
    Player& p = actor(ACT_MOVE, 0);
    p.vel = {0, 0, 4};
    settle(5);
    const Pose before = p.pose;
    const float phase = p.runPhase;
    animatePlayers(*s, 0);
    for (int f = 0; f < POSE_FIELD_COUNT; ++f) EXPECT_EQ(p.pose.v[f], before.v[f]);
    EXPECT_EQ(p.runPhase, phase);
    expectNear(s->ball.vel, {0, 0, 0}, 0);
}

TEST_F(AnimationTest, EveryActionStateGivesAFiniteUprightPose) {
    for (int action = 0; action < ACTION_STATE_COUNT; ++action)
        for (int withBall = 0; withBall < 2; ++withBall)
            for (float timer : {0.0f, 0.1f, 0.3f, 0.9f, 1.4f}) {
                SetUp();
                if (withBall) giveBall(1);
                Player& p = actor(action, timer);
                p.vel = {1.5f, 0, -2.0f};
                p.tookOff = timer > 0.2f;
                p.airborne = p.tookOff && action != ACT_HANG;
                p.rootHeight = p.airborne ? 0.4f : 0.0f;
                p.dunkVariant = (int)(timer * 10) % 3;
                settle(10);
                ASSERT_TRUE(isFinite(p)) << "action " << action << " at " << timer;
                EXPECT_GT(headTop(p), pelvisHeight(p)) << "action " << action << " at " << timer;
                ASSERT_TRUE(std::isfinite(s->ball.pos.x + s->ball.pos.y + s->ball.pos.z));
            }
}

TEST_F(AnimationTest, ReachingStatesRaiseTheArms) {
    struct Case {
        const char* name;
        int action;
        float timer;
        int side; // the hand that must be up, or 2 for both
    };
    const Case cases[] = {
        {"jump", ACT_AIRBORNE, 0.2f, 2},  {"rim hang", ACT_HANG, 0.2f, 2},
        {"dunk", ACT_DUNK, 0.6f, 2},      {"alley-oop", ACT_ALLEY_OOP, 0.6f, 2},
        {"jump shot", ACT_JUMP_SHOT, 0.45f, 1}, {"layup", ACT_FINISH, 0.4f, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        Player& p = actor(c.action, c.timer);
        p.tookOff = 1;
        p.airborne = c.action != ACT_HANG;
        p.rootHeight = 0.6f;
        settle();
        const float top = headTop(p);
        if (c.side != 0) {
            EXPECT_GT(hand(p, 1).y, top) << c.name;
        }
        if (c.side != 1) {
            EXPECT_GT(hand(p, 0).y, top) << c.name;
        }
    }
}

TEST_F(AnimationTest, FallsSitThePlayerDownAndHeGetsUp) {
    Player& p = actor(ACT_KNOCKED_DOWN, 0.8f);
    const float h = p.model->height;
    settle();
    EXPECT_LT(pelvisHeight(p), 0.3f * h);
    p.actionTimer = 1.55f; // back on his feet
    settle();
    EXPECT_GT(pelvisHeight(p), 0.45f * h);

    p.action = ACT_STUMBLE;
    p.stumbleKind = 0; // broken ankles: down, then up from 0.85 s
    p.actionTimer = 0.5f;
    settle();
    EXPECT_LT(pelvisHeight(p), 0.3f * h);
    p.stumbleKind = 1; // a charge only staggers
    settle();
    EXPECT_GT(pelvisHeight(p), 0.45f * h);
}

TEST_F(AnimationTest, DefendersCrouchAndBoxOut) {
    giveBall(0);
    Player& d = actor(ACT_MOVE, 0);
    const float h = d.model->height;
    settle();
    const float upright = pelvisHeight(d);
    d.stance = 1;
    settle();
    EXPECT_LT(pelvisHeight(d), upright - 0.05f * h);

    d.stance = 0;
    d.boxingOut = 1;
    settle();
    EXPECT_LT(pelvisHeight(d), upright - 0.05f * h);
    EXPECT_GT(Vector3Distance(hand(d, 0), hand(d, 1)), 0.5f * h); // elbows out wide
}

TEST_F(AnimationTest, HeldBallRidesTheShootingHand) {
    giveBall(1);
    Player& p = actor(ACT_JUMP_SHOT, 0.3f);
    p.tookOff = 1;
    p.airborne = 1;
    p.rootHeight = 0.5f;
    p.yaw = 0.7f;
    settle();
    const Vector3 forward = {std::sin(p.yaw), 0, std::cos(p.yaw)};
    const Vector3 expected = Vector3Add(Vector3Add(hand(p, 1), Vector3Scale(forward, 0.05f)), {0, 0.151f, 0});
    expectNear(s->ball.pos, expected, 1e-5f);
    EXPECT_GT(s->ball.pos.y, headTop(p));
}

TEST_F(AnimationTest, DribbleBouncesBetweenHandAndFloor) {
    giveBall(1);
    Player& p = actor(ACT_MOVE, 0);
    p.ballHand = 1;
    p.yaw = 0;
    p.dribblePhase = 2.0f; // in the hand
    settle();
    const Vector3 palm = Vector3Subtract(hand(p, 1), {0, 0.136f, 0});
    expectNear(s->ball.pos, palm, 1e-5f);
    EXPECT_LT(s->ball.pos.x, p.pos.x); // the right hand, on -x when facing +z
    expectNear(s->ball.spin, {9, 0, 0}, 1e-5f);

    p.dribblePhase = 2.1f; // on the way down: the velocity follows the ball
    const Vector3 from = s->ball.pos;
    animatePlayers(*s, kFrame);
    expectNear(s->ball.vel, Vector3Scale(Vector3Subtract(s->ball.pos, from), 1.0f / kFrame), 1e-3f);
    EXPECT_LT(s->ball.vel.y, -1.0f);

    p.dribblePhase = 2.5f; // on the floor, ahead and to the right
    animatePlayers(*s, kFrame);
    EXPECT_NEAR(s->ball.pos.y, 0.121f, 1e-5f);
    EXPECT_NEAR(s->ball.pos.z, p.pos.z + 0.32f, 1e-5f);
    EXPECT_NEAR(s->ball.pos.x, p.pos.x - 0.25f, 1e-5f);
}

TEST_F(AnimationTest, HeldBallTeleportKeepsNoVelocity) {
    giveBall(1);
    settle(2);
    s->ball.pos = {0, 1, 40};
    animatePlayers(*s, kFrame);
    expectNear(s->ball.vel, {0, 0, 0}, 0);
}

TEST_F(AnimationTest, LocalPlayerHeadFollowsTheCameraOffline) {
    s->localIndex = 1;
    s->eyePitch = -0.5f;
    actor(ACT_MOVE, 0);
    settle(80);
    EXPECT_NEAR(s->players[1].pose.v[POSE_HEAD_PITCH], 0.4f, 1e-3f);
    EXPECT_NEAR(s->players[1].pose.v[POSE_HEAD_YAW], 0.0f, 1e-3f);

    s->online = 1; // online his head is animated like everyone's:
    s->ball.pos = {10, 1, 6.5f}; // far to the right of him (he faces -z), so turned fully right
    settle(80);
    EXPECT_NEAR(s->players[1].pose.v[POSE_HEAD_YAW], -0.9f, 1e-3f);
}

} // namespace
