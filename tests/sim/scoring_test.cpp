// Shooting and scoring: pump fakes, release timing, layups, dunks at the rim,
// lobs, and the points, statistics and banners of a made shot.
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
    EXPECT_EQ(s->releaseGrade, GRADE_LATE);
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
    s->ball.pos = {5, 1, 5}; // the lob goes astray
    s->ball.vel = {0, 0, 0};
    runWhile(*s, r, ACT_ALLEY_OOP, false);
    EXPECT_EQ(r.action, ACT_AIRBORNE);
    EXPECT_EQ(r.fga, 0);
    EXPECT_EQ(lastCallout(*s), "NO CONNECT");
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
