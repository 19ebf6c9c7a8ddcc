// Shot starts, the make chance with its grades, the launch and the finish choice.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/court.h"
#include "sim/shot_start.h"
#include "sim_fixture.h"

namespace {

// A human shooter (player 0) at distance d straight out from the hoop, facing
// it, with nobody near him.
std::unique_ptr<MatchState> shooterAt(float d) {
    auto s = newMatch({.localIndex = 0, .difficulty = 1});
    for (Player& p : s->players) placePlayer(p, {-7, 0, 12.0f - p.index * 0.5f}, 0);
    Player& p = s->players[0];
    placePlayer(p, {0, 0, d}, PI);
    p.releasePos = p.pos;
    p.energy = 1;
    p.gatherSpeed = 0;
    return s;
}

TEST(MakeChance, GradesByReleaseTiming) {
    auto s = shooterAt(7.0f);
    Player& p = s->players[0];
    const float base = shotDistanceBase(7.0f) * (0.68f + 0.5f * p.ratings[RATING_SHOOTING]);
    int grade = 0;
    p.releaseTiming = 1.0f;
    EXPECT_NEAR(shotMakeChance(*s, p, 7.0f, false, false, &grade), base + (1 - base) * 0.7f, 1e-5f);
    EXPECT_EQ(grade, GRADE_PERFECT);
    // Window 0.08 for a person at any difficulty's PRO entry; 0.2 is still good.
    p.releaseTiming = 0.8f;
    EXPECT_NEAR(shotMakeChance(*s, p, 7.0f, false, false, &grade), base * (1 - 1.3f * (0.2f - 0.08f)), 1e-5f);
    EXPECT_EQ(grade, GRADE_GOOD);
    p.releaseTiming = 0.7999f;
    EXPECT_NEAR(shotMakeChance(*s, p, 7.0f, false, false, &grade), base * 0.28f, 1e-5f);
    EXPECT_EQ(grade, GRADE_EARLY);
    p.releaseTiming = 1.3f;
    shotMakeChance(*s, p, 7.0f, false, false, &grade);
    EXPECT_EQ(grade, GRADE_LATE);
    // A perfect release from 8.8 m or more only adds 0.3 of the rest.
    const float far = shotDistanceBase(9.0f) * (0.68f + 0.5f * p.ratings[RATING_THREE]);
    p.releaseTiming = 1.0f;
    EXPECT_NEAR(shotMakeChance(*s, p, 9.0f, true, false, &grade), far + (1 - far) * 0.3f, 1e-5f);
}

TEST(MakeChance, FacingSpeedEnergyAndFinishes) {
    auto s = shooterAt(5.0f);
    Player& p = s->players[0];
    p.releaseTiming = 1.0f;
    int grade = 0;
    const float facing = shotMakeChance(*s, p, 5.0f, false, false, &grade);
    p.yaw = 0; // back to the hoop
    EXPECT_EQ(shotMakeChance(*s, p, 5.0f, false, false, &grade), 0.01f);
    p.yaw = PI;
    p.gatherSpeed = 4.3f;
    EXPECT_NEAR(shotMakeChance(*s, p, 5.0f, false, false, &grade), facing * 0.88f, 1e-5f);
    p.gatherSpeed = 0;
    p.energy = 0.2f;
    EXPECT_NEAR(shotMakeChance(*s, p, 5.0f, false, false, &grade), facing * 0.9f, 1e-5f);
    // A finish has no timing; a side without a person gets the CPU factor (0.95 at PRO).
    p.energy = 1;
    s->humanMask = 0;
    s->localIndex = -1;
    EXPECT_NEAR(shotMakeChance(*s, p, 1.0f, false, true, &grade),
                0.95f * (0.66f + 0.22f * p.ratings[RATING_SHOOTING] + 0.05f * p.ratings[RATING_DUNK]), 1e-5f);
    EXPECT_EQ(grade, GRADE_FINISH);
}

TEST(ShotStart, CpuPlannedTimingStaysInRange) {
    auto s = shooterAt(6.0f);
    s->humanMask = 0;
    s->localIndex = -1;
    Player& p = s->players[0];
    float lo = 2, hi = 0;
    for (int i = 0; i < 2000; ++i) {
        placePlayer(p, {0, 0, 6}, PI);
        p.hasBall = 1;
        startJumpShot(*s, p);
        ASSERT_EQ(p.action, ACT_JUMP_SHOT);
        lo = std::fmin(lo, p.cpuReleaseTiming);
        hi = std::fmax(hi, p.cpuReleaseTiming);
    }
    EXPECT_GE(lo, 0.55f);
    EXPECT_LE(hi, 1.3f);
    EXPECT_LT(lo, 0.8f);
    EXPECT_GT(hi, 1.2f);
}

TEST(Launch, UnderTheRimGoesStraightUp) {
    auto s = shooterAt(6.0f);
    launchShot(*s, {0, 2.9f, 0}, true, 0, true, GRADE_FINISH);
    EXPECT_NEAR(std::hypot(s->ball.vel.x, s->ball.vel.z), 0.0f, 1e-6f);
    EXPECT_GE(s->ball.vel.y, std::sqrt(0.3f * 19.62f) - 1e-4f);

    // Close to and well below the rim no angle fits: still a finite throw upward.
    launchShot(*s, {0, 0.5f, 0.08f}, false, 0.08f, false, GRADE_GOOD);
    EXPECT_TRUE(std::isfinite(s->ball.vel.x) && std::isfinite(s->ball.vel.z));
    EXPECT_GT(s->ball.vel.y, 0.0f);
}

TEST(Finish, RangeAndChoice) {
    auto s = shooterAt(2.5f);
    Player& p = s->players[0];
    EXPECT_FALSE(inFinishRange(*s, p)); // standing at 2.5 m
    p.vel = {0, 0, -3};
    EXPECT_TRUE(inFinishRange(*s, p)); // driving at the hoop

    // A CPU with dunk rating 0.55 always lays it up; 0.9 dunks on r' >= 0.143.
    s->humanMask = 0;
    s->localIndex = -1;
    int dunks = 0, layups = 0;
    for (int i = 0; i < 400; ++i) {
        placePlayer(p, {0, 0, 2}, PI);
        p.hasBall = 1;
        p.sprinting = 1;
        p.ratings[RATING_DUNK] = i % 2 ? 0.55f : 0.9f;
        MatchState probe;
        probe.rng = s->rng;
        const float r = matchRandomFloat(probe);
        chooseFinish(*s, p);
        if (i % 2) {
            EXPECT_EQ(p.action, ACT_FINISH);
        } else {
            EXPECT_EQ(p.action, 0.35f * r + 0.9f >= 0.95f ? ACT_DUNK : ACT_FINISH) << r;
            (p.action == ACT_DUNK ? dunks : layups)++;
        }
    }
    EXPECT_GT(dunks, 100);
    EXPECT_GT(layups, 10);
}

} // namespace
