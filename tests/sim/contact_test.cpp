// Contact, steals and possession: the charge's tests, the steal reach's
// single decision, steal chances, the defender's block jump, and what gaining
// the ball changes.
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

std::unique_ptr<TestMatch> spreadOut(int localIndex = 0, bool fullCourt = false) {
    auto s = newMatch({.localIndex = localIndex, .fullCourt = fullCourt});
    const Vector3 spots[4] = {{-6, 0, 11}, {-2, 0, 11}, {2, 0, 11}, {6, 0, 11}};
    for (Player& p : s->players) placePlayer(p, spots[p.index], 0);
    return s;
}

// Driver 0 running at a set defender 2.
std::unique_ptr<TestMatch> chargeScene(float stanceTime, Vector3 defenderAt) {
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

    auto underRim = chargeScene(1.0f, {0, 0, 1.2f});
    rng = underRim->rng;
    EXPECT_FALSE(checkCharge(*underRim, underRim->players[0], underRim->players[2]));
    EXPECT_EQ(underRim->rng, rng);
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

TEST(Possession, ClearRuleOrFlipAndTheReboundClock) {
    auto f = spreadOut(0, true); // full court: a change of ends, no clear rule
    giveBall(*f, 0);
    Player& q = f->players[2];
    placePlayer(q, {0, 0, 6.5f}, 0);
    f->ball.phase = BALL_PASS;
    f->ball.holder = -1;
    gainPossession(*f, q, GAIN_INTERCEPTION);
    EXPECT_FALSE(f->mustClear);
    EXPECT_TRUE(f->flipped);
    EXPECT_NEAR(q.pos.z, 25.46f - 6.5f, 1e-4f);
    EXPECT_EQ(q.steals, 1);

    // A loose ball recovered by the defence at `at`: must it be cleared?
    auto mustClearAfterRecoveryAt = [](Vector3 at) {
        auto t = spreadOut(0);
        giveBall(*t, 0);
        placePlayer(t->players[3], at, 0);
        t->ball.phase = BALL_LOOSE;
        t->ball.holder = -1;
        gainPossession(*t, t->players[3], GAIN_RECOVERY);
        return t->mustClear != 0;
    };
    EXPECT_FALSE(mustClearAfterRecoveryAt({0, 0, 7.5f})); // beyond the arc
    EXPECT_TRUE(mustClearAfterRecoveryAt({0, 0, 5.0f}));

    for (float left : {3.0f, 20.0f}) { // an offensive rebound after the rim keeps at least 14 s
        auto s = spreadOut(0);
        giveBall(*s, 0);
        s->ball.phase = BALL_LOOSE;
        s->ball.holder = -1;
        s->ball.rimTouched = s->ball.shotRebound = 1;
        s->ball.lastPasser = 1;
        s->shotClock = left;
        gainPossession(*s, s->players[1], GAIN_RECOVERY);
        EXPECT_EQ(s->shotClock, std::fmax(left, 14.0f));
        EXPECT_EQ(s->players[1].rebounds, 1);
        EXPECT_EQ(s->ball.lastPasser, -1);
    }
}

// Player 2 (team 1) faces the holder, player 0, from the given distance.
std::unique_ptr<TestMatch> stealSetUp(float distance, int localIndex) {
    auto s = newMatch({.localIndex = localIndex});
    for (Player& p : s->players) placePlayer(p, {-6.0f + p.index, 0, 11}, 0);
    placePlayer(s->players[0], {0, 0, 6}, PI);
    giveBall(*s, 0);
    placePlayer(s->players[2], {0, 0, 6 - distance}, 0);
    return s;
}

TEST(StealChance, ReachTheCrossoverWindowAndTheBounds) {
    auto human = stealSetUp(2.1f, 2); // a person reaches 2.2 m, the CPU 1.8 m
    EXPECT_GT(stealChance(*human, human->players[2], human->players[0]), 0.0f);
    auto s = stealSetUp(2.1f, 0);
    EXPECT_EQ(stealChance(*s, s->players[2], s->players[0]), 0.0f);

    s = stealSetUp(1.0f, 0);
    Player& h = s->players[0];
    Player& st = s->players[2];
    st.ratings[RATING_STEAL] = 0.5f;
    h.ratings[RATING_HANDLES] = 0.5f;
    s->ball.pos = {0, 1.2f, 6}; // above the holder: no ball-side bonus
    const float plain = stealChance(*s, st, h);
    h.action = ACT_DRIBBLE_MOVE;
    h.actionTimer = 0.16f;
    EXPECT_NEAR(stealChance(*s, st, h), plain + 0.2f, 1e-5f);
    h.actionTimer = 0.17f;
    EXPECT_EQ(stealChance(*s, st, h), 0.0f); // 0.15 - 0.18 goes to 0
    // Ball low and toward the stealer, shooter not yet up: capped.
    h.action = ACT_JUMP_SHOT;
    st.ratings[RATING_STEAL] = 1;
    st.stance = 1;
    s->ball.pos = {0, 0.2f, 5.7f};
    EXPECT_EQ(stealChance(*s, st, h), 0.85f);
}

TEST(Defense, BlockJumpTowardTheShooterAndNoPushWithoutATarget) {
    auto s = stealSetUp(2.0f, 2);
    Player& d = s->players[2];
    PlayerInput in;
    s->players[0].action = ACT_JUMP_SHOT;
    in.shootPressed = 1;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_TRUE(d.blockJump);
    EXPECT_NEAR(d.vel.z, 1.8f, 1e-5f);

    auto t = stealSetUp(2.0f, 2); // no shooter and no holder: a plain jump
    t->ball.phase = BALL_LOOSE;
    t->ball.holder = -1;
    applyDefenseInput(*t, t->players[2], in, kDt);
    EXPECT_EQ(t->players[2].action, ACT_AIRBORNE);
    EXPECT_FALSE(t->players[2].blockJump);
    EXPECT_EQ(t->players[2].vel.z, 0.0f);
}

} // namespace
