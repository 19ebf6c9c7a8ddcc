// Player animation inside a match: finite, upright action poses, raised arms
// where they reach, and the held ball riding the animated hands.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <raylib.h>
#include <raymath.h>

#include "characters/animation.h"
#include "characters/pose_generators.h"
#include "tests/sim/sim_fixture.h"

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

} // namespace
