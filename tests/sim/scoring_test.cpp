// Shooting and scoring: release grades, the CPU's planned timing, the launch's
// edge cases, the finish range, pump fakes, release timing, blocked dunks and
// the points and statistics of a made shot.
#include <cmath>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/actions.h"
#include "sim/court.h"
#include "sim/scoring.h"
#include "sim/shot_start.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Player 0 (a person) with the ball at a spot, everyone else far away.
std::unique_ptr<MatchState> withBallAt(Vector3 spot, int localIndex = 0) {
    auto s = newMatch({.localIndex = localIndex});
    const Vector3 parked[4] = {{0, 0, 0}, {-7, 0, 12}, {7, 0, 12}, {-7, 0, 11}};
    for (Player& p : s->players) placePlayer(p, parked[p.index], 0);
    placePlayer(s->players[0], spot, std::atan2(-spot.x, -spot.z));
    giveBall(*s, 0);
    return s;
}

// Runs the shooter's action until he leaves the given state.
void runWhile(MatchState& s, Player& p, int action, bool holdShoot, float letGoAt = 99) {
    for (int i = 0; i < 360 && p.action == action; ++i) {
        p.shootHeld = holdShoot && p.actionTimer < letGoAt;
        updatePlayerAction(s, p, kDt);
        animateForTest(s);
    }
}

std::string lastCallout(const MatchState& s) { return s.callouts.empty() ? "" : s.callouts.back().text; }

TEST(JumpShot, TapIsAPumpFakeThatKeepsTheBall) {
    auto s = withBallAt({0, 0, 6});
    Player& p = s->players[0];
    startJumpShot(*s, p);
    runWhile(*s, p, ACT_JUMP_SHOT, true, 0.05f);
    EXPECT_FALSE(p.tookOff);
    EXPECT_TRUE(holdsBall(*s, p));
    EXPECT_EQ(lastCallout(*s), "PUMP FAKE");
    EXPECT_EQ(p.fga, 0);
}

TEST(JumpShot, HoldingReleasesAtTheLatestTimingAndReleasesOnce) {
    auto s = withBallAt({0, 0, 6});
    Player& p = s->players[0];
    startJumpShot(*s, p);
    float releasedAt = -1;
    for (int i = 0; i < 360 && p.action == ACT_JUMP_SHOT; ++i) {
        p.shootHeld = 1;
        updatePlayerAction(*s, p, kDt);
        if (p.released && releasedAt < 0) releasedAt = p.releaseTiming;
        animateForTest(*s);
    }
    // The jump (4.5 m/s at 15 m/s^2) lasts 0.6 s: the 1.32 limit comes first.
    EXPECT_NEAR(releasedAt, 1.32f, 0.021f);
    EXPECT_EQ(p.fga, 1);
    EXPECT_EQ(s->ball.phase, BALL_SHOT);
    EXPECT_EQ(s->releaseGrade, GRADE_LATE);
}

TEST(Dunk, BlockedAtTheRimCountsNoAttempt) {
    auto s = withBallAt({0, 0, 1.6f});
    Player& p = s->players[0];
    Player& b = s->players[2];
    placePlayer(b, {0.3f, 0, 0.5f}, 0);
    b.airborne = 1;
    b.rootHeight = 0.6f;
    b.ratings[RATING_BLOCK] = 1;
    s->humanMask |= 1u << 2; // a person blocks: chance 0.48 x 1.8
    startDunk(*s, p, false);
    setNextDraw(*s, 0.0f, 0.5f);
    for (int i = 0; i < 120 && p.action == ACT_DUNK; ++i) {
        b.rootHeight = 0.6f; // keep him up there
        updatePlayerAction(*s, p, kDt);
    }
    EXPECT_EQ(p.fga, 0);
    EXPECT_EQ(b.blocks, 1);
    EXPECT_EQ(s->ball.possessionTeam, 1);
    EXPECT_EQ(lastCallout(*s), "REJECTED!");
}

TEST(MadeShot, UnclearedScoresNothingAndReachingTheTargetWins) {
    auto s = withBallAt({0, 0, 5});
    s->ball.phase = BALL_SHOT;
    s->ball.shooter = 0;
    s->ball.shotValue = 2;
    s->ball.unclearedAtRelease = 1;
    scoreMadeShot(*s);
    EXPECT_EQ(s->scores[0], 0);
    EXPECT_EQ(s->players[0].fgm, 0);
    EXPECT_EQ(lastCallout(*s), "BALL NOT CLEARED");
    EXPECT_EQ(s->nextOffense, 1);

    auto t = withBallAt({0, 0, 5});
    t->scores[1] = 13;
    t->ball.phase = BALL_SHOT;
    t->ball.shooter = 2;
    t->ball.shotValue = 2;
    t->ball.dunk = 1;
    scoreMadeShot(*t);
    EXPECT_EQ(t->scores[1], 15);
    EXPECT_EQ(t->winner, 1);
    EXPECT_EQ(t->players[2].dunks, 1);
    EXPECT_EQ(lastCallout(*t), "GAME!");
}

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

TEST(MakeChance, GradeWindowEdgesAndBackToTheHoop) {
    auto s = shooterAt(7.0f);
    Player& p = s->players[0];
    int grade = 0;
    const struct {
        float timing;
        int grade;
    } cases[] = {{1.0f, GRADE_PERFECT}, {0.8f, GRADE_GOOD}, {0.7999f, GRADE_EARLY}, {1.3f, GRADE_LATE}};
    for (const auto& c : cases) {
        p.releaseTiming = c.timing;
        shotMakeChance(*s, p, 7.0f, false, false, &grade);
        EXPECT_EQ(grade, c.grade) << c.timing;
    }
    p.releaseTiming = 1.0f;
    p.yaw = 0; // back to the hoop
    EXPECT_EQ(shotMakeChance(*s, p, 7.0f, false, false, &grade), 0.01f);
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

TEST(Finish, RangeNeedsADriveAtTheHoop) {
    auto s = shooterAt(2.5f);
    Player& p = s->players[0];
    EXPECT_FALSE(inFinishRange(*s, p)); // standing at 2.5 m
    p.vel = {0, 0, -3};
    EXPECT_TRUE(inFinishRange(*s, p)); // driving at the hoop
}

} // namespace
