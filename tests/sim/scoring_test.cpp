// Shooting and scoring: pump fakes and the latest release, release grades,
// the CPU's planned timing, the launch's edge cases, the finish range,
// blocked dunks and what a made shot scores.
#include <cmath>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "characters/animation.h"
#include "sim/actions.h"
#include "sim/court.h"
#include "sim/scoring.h"
#include "sim/shot_start.h"
#include "sim_fixture.h"

namespace {

// Player 0 (a person) with the ball at a spot facing the hoop, everyone else far away.
std::unique_ptr<TestMatch> withBallAt(Vector3 spot) {
    auto s = newMatch({.localIndex = 0});
    const Vector3 parked[4] = {{0, 0, 0}, {-7, 0, 12}, {7, 0, 12}, {-7, 0, 11}};
    for (Player& p : s->players) placePlayer(p, parked[p.index], 0);
    placePlayer(s->players[0], spot, std::atan2(-spot.x, -spot.z));
    giveBall(*s, 0);
    return s;
}

std::string lastCallout(const MatchState& s) { return s.callouts.empty() ? "" : s.callouts.back().text; }

TEST(JumpShot, ATapIsAPumpFakeAndHoldingReleasesAt132) {
    for (float letGo : {0.05f, 99.0f}) {
        auto s = withBallAt({0, 0, 6});
        Player& p = s->players[0];
        startJumpShot(*s, p);
        float releasedAt = -1;
        for (int i = 0; i < 360 && p.action == ACT_JUMP_SHOT; ++i) {
            p.shootHeld = p.actionTimer < letGo;
            updatePlayerAction(*s, p, kTick);
            if (p.released && releasedAt < 0) releasedAt = p.releaseTiming;
            animatePlayers(*s, kTick);
        }
        if (letGo < 0.096f) { // let go before 0.096 s: he keeps the ball
            EXPECT_FALSE(p.tookOff);
            EXPECT_TRUE(holdsBall(*s, p));
            EXPECT_EQ(lastCallout(*s), "PUMP FAKE");
            EXPECT_EQ(p.fga, 0);
        } else { // the jump lasts 0.6 s: the 1.32 limit comes first
            EXPECT_NEAR(releasedAt, 1.32f, 0.021f);
            EXPECT_EQ(p.fga, 1);
            EXPECT_EQ(s->releaseGrade, GRADE_LATE);
        }
    }
}

TEST(Dunk, BlockedAtTheRimCountsNoAttempt) {
    auto s = withBallAt({0, 0, 1.6f});
    Player& p = s->players[0];
    Player& b = s->players[2];
    placePlayer(b, {0.3f, 0, 0.5f}, 0);
    b.airborne = 1;
    b.ratings[RATING_BLOCK] = 1;
    s->humanMask |= 1u << 2; // a person blocks: chance 0.48 x 1.8
    startDunk(*s, p, false);
    setNextDraw(*s, 0.0f, 0.5f);
    for (int i = 0; i < 120 && p.action == ACT_DUNK; ++i) {
        b.rootHeight = 0.6f; // keep him up there
        updatePlayerAction(*s, p, kTick);
    }
    EXPECT_EQ(p.fga, 0);
    EXPECT_EQ(b.blocks, 1);
    EXPECT_EQ(s->ball.possessionTeam, 1);
    EXPECT_EQ(lastCallout(*s), "REJECTED!");
}

TEST(MadeShot, UnclearedScoresNothingAndReachingTheTargetWins) {
    for (bool uncleared : {true, false}) {
        auto s = withBallAt({0, 0, 5});
        s->scores[1] = 13;
        s->ball.phase = BALL_SHOT;
        s->ball.shooter = uncleared ? 0 : 2;
        s->ball.shotValue = 2;
        s->ball.unclearedAtRelease = uncleared;
        s->ball.dunk = !uncleared;
        scoreMadeShot(*s);
        if (uncleared) {
            EXPECT_EQ(s->scores[0], 0);
            EXPECT_EQ(lastCallout(*s), "BALL NOT CLEARED");
            EXPECT_EQ(s->nextOffense, 1);
        } else {
            EXPECT_EQ(s->scores[1], 15);
            EXPECT_EQ(s->winner, 1);
            EXPECT_EQ(s->players[2].dunks, 1);
            EXPECT_EQ(lastCallout(*s), "GAME!");
            EXPECT_FLOAT_EQ(s->slowMotion, 1.2f);
        }
    }
}

TEST(MakeChance, GradeWindowEdgesAndBackToTheHoop) {
    auto s = withBallAt({0, 0, 7});
    Player& p = s->players[0];
    p.releasePos = p.pos;
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

TEST(ShotStart, CpuTimingStaysInRangeAndTheFinishRangeNeedsADrive) {
    auto s = withBallAt({0, 0, 2.5f});
    Player& p = s->players[0];
    EXPECT_FALSE(inFinishRange(*s, p)); // standing at 2.5 m
    p.vel = {0, 0, -3};
    EXPECT_TRUE(inFinishRange(*s, p)); // driving at the hoop
    s->humanMask = 0;
    float lo = 2, hi = 0;
    for (int i = 0; i < 2000; ++i) {
        setAction(p, ACT_MOVE);
        startJumpShot(*s, p);
        lo = std::fmin(lo, p.cpuReleaseTiming);
        hi = std::fmax(hi, p.cpuReleaseTiming);
    }
    EXPECT_GE(lo, 0.55f);
    EXPECT_LE(hi, 1.3f);
    EXPECT_LT(lo, 0.8f);
    EXPECT_GT(hi, 1.2f);
}

TEST(Launch, UnderTheRimStraightUpAndAFiniteThrowWhenNoAngleFits) {
    auto s = withBallAt({0, 0, 6});
    launchShot(*s, {0, 2.9f, 0}, true, 0, true, GRADE_FINISH);
    EXPECT_NEAR(std::hypot(s->ball.vel.x, s->ball.vel.z), 0.0f, 1e-6f);
    EXPECT_GE(s->ball.vel.y, std::sqrt(0.3f * 19.62f) - 1e-4f);
    launchShot(*s, {0, 0.5f, 0.08f}, false, 0.08f, false, GRADE_GOOD); // close and well below the rim
    EXPECT_TRUE(std::isfinite(s->ball.vel.x) && std::isfinite(s->ball.vel.z));
    EXPECT_GT(s->ball.vel.y, 0.0f);
}

} // namespace
