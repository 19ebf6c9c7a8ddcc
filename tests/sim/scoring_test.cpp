// Shooting and scoring: pump fakes, release timing, layups, dunks at the rim,
// lobs, and the points, statistics and banners of a made shot.
#include <cmath>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "render/arena.h"
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
    EXPECT_EQ(p.action, ACT_MOVE);
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
    EXPECT_EQ(s->ball.shooter, 0);
    EXPECT_EQ(s->ball.shotValue, 2);
    EXPECT_EQ(s->releaseGrade, GRADE_LATE);
    EXPECT_EQ(s->meterShow, 1.0f);
    EXPECT_NEAR(p.releasePos.z, 6.0f, 0.01f);
}

TEST(JumpShot, PerfectReleaseAndThreeFromTheTakeOffSpot) {
    auto s = withBallAt({0, 0, 7.6f});
    Player& p = s->players[0];
    startJumpShot(*s, p);
    // 1.0 is reached at 0.43 s.
    runWhile(*s, p, ACT_JUMP_SHOT, true, 0.43f);
    EXPECT_EQ(p.fga, 1);
    EXPECT_EQ(p.tpa, 1);
    EXPECT_EQ(s->ball.shotValue, 3);
    EXPECT_EQ(s->releaseGrade, GRADE_PERFECT);
    EXPECT_TRUE(s->ball.perfectRelease);
}

TEST(JumpShot, CpuReleasesAtItsPlannedTiming) {
    auto s = withBallAt({0, 0, 6}, -1);
    Player& p = s->players[0];
    startJumpShot(*s, p);
    p.cpuReleaseTiming = 0.9f;
    float releasedAt = -1;
    for (int i = 0; i < 360 && p.action == ACT_JUMP_SHOT; ++i) {
        updatePlayerAction(*s, p, kDt);
        if (p.released && releasedAt < 0) releasedAt = p.releaseTiming;
    }
    EXPECT_GE(releasedAt, 0.9f);
    EXPECT_LT(releasedAt, 0.9f + kDt / 0.4f + 1e-5f);
}

TEST(Layup, ReleasedAt045sOrOnLanding) {
    auto s = withBallAt({0, 0, 2.5f});
    Player& p = s->players[0];
    startLayup(*s, p);
    float releasedAt = -1;
    for (int i = 0; i < 360 && p.action == ACT_FINISH; ++i) {
        updatePlayerAction(*s, p, kDt);
        if (p.released && releasedAt < 0) releasedAt = p.actionTimer;
        animateForTest(*s);
    }
    EXPECT_NEAR(releasedAt, 0.45f, kDt);
    EXPECT_EQ(p.action, ACT_LANDING);
    EXPECT_TRUE(s->ball.finishRelease);
    EXPECT_EQ(s->releaseGrade, GRADE_FINISH);
    // A short jump releases on landing.
    auto t = withBallAt({0, 0, 2.5f});
    Player& q = t->players[0];
    startLayup(*t, q);
    bool cut = false;
    for (int i = 0; i < 360 && q.action == ACT_FINISH; ++i) {
        updatePlayerAction(*t, q, kDt);
        if (q.tookOff && !cut) {
            q.vertSpeed = 1.0f; // lands 0.13 s after take-off
            cut = true;
        }
        EXPECT_EQ(q.released, q.action == ACT_LANDING);
    }
    EXPECT_EQ(q.fga, 1);
}

TEST(Dunk, ThroughTheRimCountsAnAttemptAndHangs) {
    auto s = withBallAt({0, 0, 1.6f});
    Player& p = s->players[0];
    startDunk(*s, p, false);
    runWhile(*s, p, ACT_DUNK, false);
    EXPECT_EQ(p.action, ACT_HANG);
    EXPECT_EQ(p.fga, 1);
    EXPECT_EQ(s->ball.phase, BALL_SHOT);
    EXPECT_TRUE(s->ball.dunk);
    EXPECT_TRUE(s->ball.rimTouched);
    EXPECT_FLOAT_EQ(s->ball.pos.y, 3.29f);
    EXPECT_FLOAT_EQ(s->ball.vel.y, -6.5f);
    EXPECT_FLOAT_EQ(arena.nearNet.rimVel, 6.0f);
    EXPECT_GT(p.hangHeight, 0.4f);
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
    EXPECT_EQ(p.action, ACT_AIRBORNE);
    EXPECT_EQ(s->ball.phase, BALL_LOOSE);
    EXPECT_EQ(s->ball.possessionTeam, 1);
    EXPECT_TRUE(s->ball.shotRebound);
    EXPECT_EQ(lastCallout(*s), "REJECTED!");
}

TEST(AlleyOop, MissedLobLeavesNoAttempt) {
    auto s = withBallAt({0, 0, 7});
    Player& passer = s->players[0];
    Player& r = s->players[1];
    placePlayer(r, {1, 0, 2}, PI);
    throwAlleyOop(*s, r);
    EXPECT_EQ(r.action, ACT_ALLEY_OOP);
    EXPECT_EQ(passer.action, ACT_PASS);
    EXPECT_TRUE(s->ball.lob);
    EXPECT_EQ(s->ball.passTo, 1);
    EXPECT_EQ(lastCallout(*s), "LOB!");
    s->ball.pos = {5, 1, 5}; // the lob goes astray
    s->ball.vel = {0, 0, 0};
    runWhile(*s, r, ACT_ALLEY_OOP, false);
    EXPECT_EQ(r.action, ACT_AIRBORNE);
    EXPECT_EQ(r.fga, 0);
    EXPECT_EQ(lastCallout(*s), "NO CONNECT");
}

TEST(MadeShot, PointsStatisticsAndBanners) {
    auto s = withBallAt({0, 0, 5});
    s->ball.phase = BALL_SHOT;
    s->ball.holder = -1;
    s->ball.shooter = 0;
    s->ball.shootingTeam = 0;
    s->ball.shotValue = 3;
    s->ball.perfectRelease = 1;
    s->ball.lastPasser = 1;
    s->players[0].hasBall = 0;
    scoreMadeShot(*s);
    EXPECT_EQ(s->scores[0], 3);
    EXPECT_EQ(s->players[0].points, 3);
    EXPECT_EQ(s->players[0].fgm, 1);
    EXPECT_EQ(s->players[0].tpm, 1);
    EXPECT_EQ(s->players[1].assists, 1);
    EXPECT_EQ(s->lastScorer, 0);
    EXPECT_EQ(s->phase, PHASE_DEAD_BALL);
    EXPECT_EQ(s->ball.phase, BALL_DEAD);
    EXPECT_EQ(s->nextOffense, 1);
    EXPECT_EQ(s->players[0].action, ACT_CELEBRATE);
    ASSERT_EQ(s->callouts.size(), 2u);
    EXPECT_EQ(s->callouts[0].text, "SPLASH!");
    EXPECT_EQ(s->callouts[1].text, "+3");
    EXPECT_EQ(s->callouts[1].color.r, 120); // the local side scored
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
    EXPECT_EQ(t->slowMotion, 1.2f);
    EXPECT_EQ(t->callouts[0].color.r, 255); // a dunk banner in gold
}

TEST(Release, AssistWindowIs35Seconds) {
    for (float ago : {3.4f, 3.6f}) {
        auto s = withBallAt({0, 0, 5});
        Player& p = s->players[0];
        s->clock = 10;
        s->ball.lastPasser = 1;
        s->ball.launchTime = 10 - ago;
        p.releasePos = p.pos;
        releaseShot(*s, p, false);
        EXPECT_EQ(s->ball.lastPasser, ago < 3.5f ? 1 : -1) << ago;
    }
}

} // namespace
