// Contact, steals and possession: body separation, the charge's tests, the
// steal reach's single decision, and what gaining the ball changes.
#include <cmath>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/actions.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/starters.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

std::unique_ptr<MatchState> spreadOut(int localIndex = 0, bool fullCourt = false) {
    auto s = newMatch({.localIndex = localIndex, .fullCourt = fullCourt});
    const Vector3 spots[4] = {{-6, 0, 11}, {-2, 0, 11}, {2, 0, 11}, {6, 0, 11}};
    for (Player& p : s->players) placePlayer(p, spots[p.index], 0);
    return s;
}

TEST(Collisions, SeparatedToTheContactRadius) {
    auto s = spreadOut(-1);
    Player& a = s->players[1];
    Player& b = s->players[2];
    placePlayer(a, {0, 0, 5}, 0);
    placePlayer(b, {0.3f, 0, 5}, 0);
    resolvePlayerCollisions(*s);
    const float r = (playerBuild(a) + playerBuild(b)) * 0.3f + 0.04f;
    EXPECT_NEAR(b.pos.x - a.pos.x, r, 1e-5f);
    EXPECT_NEAR(a.pos.x, 0.3f / 2 - r / 2, 1e-5f); // half each without the ball

    // With player 0 (the camera's player when nobody plays) the radius is 0.2 wider.
    placePlayer(s->players[0], {0, 0, 5}, 0);
    placePlayer(a, {-5, 0, 5}, 0);
    placePlayer(b, {0.3f, 0, 5}, 0);
    resolvePlayerCollisions(*s);
    EXPECT_NEAR(b.pos.x - s->players[0].pos.x, (playerBuild(s->players[0]) + playerBuild(b)) * 0.3f + 0.24f, 1e-5f);
}

// Driver 0 running at a set defender 2.
std::unique_ptr<MatchState> chargeScene(float stanceTime, Vector3 defenderAt) {
    auto s = spreadOut(0);
    Player& dr = s->players[0];
    Player& df = s->players[2];
    giveBall(*s, 0);
    placePlayer(dr, {defenderAt.x, 0, defenderAt.z + 0.7f}, PI);
    dr.vel = {0, 0, -5};
    placePlayer(df, defenderAt, 0);
    df.stance = 1;
    df.stanceTime = stanceTime;
    return s;
}

TEST(Charges, StanceMustBeSetFor03sAndAwayFromTheRim) {
    auto early = chargeScene(0.29f, {0, 0, 4});
    uint32_t rng = early->rng;
    EXPECT_FALSE(checkCharge(*early, early->players[0], early->players[2]));
    EXPECT_EQ(early->rng, rng); // not even drawn

    auto set = chargeScene(0.3f, {0, 0, 4});
    rng = set->rng;
    checkCharge(*set, set->players[0], set->players[2]);
    EXPECT_NE(set->rng, rng);
    EXPECT_FLOAT_EQ(set->players[0].chargeCooldown, 0.7f);

    auto underRim = chargeScene(1.0f, {0, 0, 1.2f});
    rng = underRim->rng;
    EXPECT_FALSE(checkCharge(*underRim, underRim->players[0], underRim->players[2]));
    EXPECT_EQ(underRim->rng, rng);
}

TEST(Charges, ACalledChargeStopsTheContactPass) {
    auto s = chargeScene(1.0f, {0, 0, 4});
    Player& a = s->players[1];
    Player& b = s->players[3];
    placePlayer(a, {5, 0, 8}, 0);
    placePlayer(b, {5.2f, 0, 8}, 0); // overlapping, later in pair order
    s->humanMask |= 1u << 2;          // a person takes it: 0.85
    setNextDraw(*s, 0.0f, 0.5f);
    resolvePlayerCollisions(*s);
    EXPECT_EQ(s->phase, PHASE_DEAD_BALL);
    EXPECT_EQ(s->players[0].stumbleKind, 1);
    EXPECT_FLOAT_EQ(b.pos.x, 5.2f); // not separated this tick
}

TEST(Steals, ReachDecidesOnceAt013s) {
    auto s = spreadOut(2);
    giveBall(*s, 0);
    placePlayer(s->players[0], {0, 0, 6}, PI);
    placePlayer(s->players[2], {0, 0, 5}, 0);
    Player& st = s->players[2];
    startSteal(*s, st);
    int draws = 0;
    for (int i = 0; i < 60 && st.action == ACT_STEAL; ++i) {
        const uint32_t rng = s->rng;
        st.actionTimer += kDt;
        resolveStealReach(*s, st);
        if (s->rng != rng) {
            ++draws;
            EXPECT_GE(st.actionTimer, 0.13f);
        }
    }
    EXPECT_EQ(draws, 1);
}

TEST(Steals, RecoveringOnesOwnStrippedBallIsNoSteal) {
    auto s = spreadOut(-1);
    giveBall(*s, 0);
    Player& h = s->players[0];
    Player& st = s->players[2];
    placePlayer(h, {0, 0, 5}, PI);
    placePlayer(st, {0, 0, 4}, 0);
    stripBall(*s, h, st);
    EXPECT_EQ(s->ball.possessionTeam, 1);
    // The holder gets it back: no steal, no rebound, same offence.
    gainPossession(*s, h, GAIN_RECOVERY);
    EXPECT_EQ(h.steals + h.rebounds, 0);
    EXPECT_EQ(s->offense, 0);
    EXPECT_FALSE(s->mustClear);
}

TEST(Possession, FullCourtFlipsInsteadOfTheClearRule) {
    auto f = spreadOut(0, true);
    giveBall(*f, 0);
    Player& q = f->players[2];
    placePlayer(q, {0, 0, 6.5f}, 0);
    f->ball.phase = BALL_PASS;
    f->ball.holder = -1;
    gainPossession(*f, q, GAIN_INTERCEPTION);
    EXPECT_EQ(f->offense, 1);
    EXPECT_FALSE(f->mustClear);
    EXPECT_TRUE(f->flipped);
    EXPECT_NEAR(q.pos.z, 25.46f - 6.5f, 1e-4f);

    // Beyond the arc no clear is needed.
    auto t = spreadOut(0);
    giveBall(*t, 0);
    placePlayer(t->players[3], {0, 0, 7.5f}, 0);
    t->ball.phase = BALL_LOOSE;
    t->ball.holder = -1;
    gainPossession(*t, t->players[3], GAIN_RECOVERY);
    EXPECT_FALSE(t->mustClear);
}

TEST(Possession, OffensiveReboundAfterTheRimKeepsAtLeast14s) {
    for (float left : {3.0f, 20.0f}) {
        auto s = spreadOut(0);
        giveBall(*s, 0);
        s->ball.phase = BALL_LOOSE;
        s->ball.holder = -1;
        s->ball.rimTouched = 1;
        s->ball.shotRebound = 1;
        s->ball.lastPasser = 1;
        s->shotClock = left;
        gainPossession(*s, s->players[1], GAIN_RECOVERY);
        EXPECT_EQ(s->shotClock, std::fmax(left, 14.0f));
        EXPECT_EQ(s->players[1].rebounds, 1);
        EXPECT_EQ(s->ball.lastPasser, -1);
        EXPECT_FALSE(s->ball.rimTouched);
    }
}

} // namespace
