// Action starters: steal chances, passes, the defender's block jump, and jukes.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/actions.h"
#include "sim/court.h"
#include "sim/starters.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Player 2 (team 1) faces the holder, player 0, from the given distance.
std::unique_ptr<MatchState> stealSetUp(float distance, int localIndex) {
    auto s = newMatch({.localIndex = localIndex});
    for (Player& p : s->players) placePlayer(p, {-6.0f + p.index, 0, 11}, 0);
    placePlayer(s->players[0], {0, 0, 6}, PI);
    giveBall(*s, 0);
    placePlayer(s->players[2], {0, 0, 6 - distance}, 0);
    return s;
}

TEST(StealChance, ReachFacingAndTheCrossoverWindow) {
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
    EXPECT_NEAR(plain, 0.15f, 1e-5f);
    h.action = ACT_DRIBBLE_MOVE;
    h.actionTimer = 0.16f;
    EXPECT_NEAR(stealChance(*s, st, h), plain + 0.2f, 1e-5f);
    h.actionTimer = 0.17f;
    EXPECT_EQ(stealChance(*s, st, h), 0.0f); // 0.15 - 0.18 goes to 0
    st.yaw = PI / 2 + 0.2f;                 // not facing him
    h.action = ACT_MOVE;
    EXPECT_EQ(stealChance(*s, st, h), 0.0f);
    // Ball low and toward the stealer, shooter not yet up: capped.
    st.yaw = 0;
    h.action = ACT_JUMP_SHOT;
    st.ratings[RATING_STEAL] = 1;
    st.stance = 1;
    s->ball.pos = {0, 0.2f, 5.7f};
    EXPECT_EQ(stealChance(*s, st, h), 0.85f);
}

TEST(Passes, FlightTimeAndLead) {
    auto s = newMatch();
    Player& passer = s->players[0];
    Player& r = s->players[1];
    placePlayer(passer, {0, 0, 13.5f}, PI);
    placePlayer(r, {0, 0, 0.5f}, 0);
    giveBall(*s, 0);
    const float chest = 0.62f * playerHeight(r);
    s->ball.pos = {0, chest, 13.5f};
    startPass(*s, passer, 1);
    // 13 m at 13 m/s plus 0.05 s, on an arc that comes back to chest height.
    const float t = 1.05f;
    EXPECT_EQ(s->ball.phase, BALL_PASS);
    EXPECT_NEAR(s->ball.vel.z, -13.0f / t, 1e-4f);
    EXPECT_NEAR(s->ball.vel.y, 4.905f * t, 1e-4f);
    EXPECT_EQ(passer.action, ACT_PASS);
    EXPECT_FALSE(passer.hasBall);
    // A cutter is led by 0.85 T + 0.1 of his velocity.
    giveBall(*s, 0);
    s->ball.pos = {0, chest, 13.5f};
    r.vel = {2, 0, 0};
    r.cutting = 1;
    startPass(*s, passer, 1);
    EXPECT_NEAR(s->ball.vel.x, (0.85f * t + 0.1f) * 2 / t, 1e-3f);
}

TEST(Defense, LockOnAndTheBlockJump) {
    auto s = stealSetUp(2.0f, 2);
    Player& d = s->players[2];
    PlayerInput in;
    applyDefenseInput(*s, d, in, kDt);
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_TRUE(d.stance);
    EXPECT_FLOAT_EQ(d.stanceTime, 2 * kDt);
    // Jumping at a shooter within 2.8 m pushes toward him and goes higher.
    s->players[0].action = ACT_JUMP_SHOT;
    in.shootPressed = 1;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_TRUE(d.blockJump);
    EXPECT_NEAR(d.vel.z, 1.8f, 1e-5f);
    EXPECT_NEAR(d.vertSpeed, 4.6f + 0.7f * d.ratings[RATING_BLOCK] + 0.5f, 1e-5f);

    // No shooter and no holder: a plain jump without a push.
    auto t = stealSetUp(2.0f, 2);
    t->ball.phase = BALL_LOOSE;
    t->ball.holder = -1;
    applyDefenseInput(*t, t->players[2], in, kDt);
    EXPECT_EQ(t->players[2].action, ACT_AIRBORNE);
    EXPECT_FALSE(t->players[2].blockJump);
    EXPECT_EQ(t->players[2].vel.z, 0.0f);
}

TEST(Jukes, KindsByTheStickCrossoversAlternateAndTheCooldownHolds) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 7}, PI); // facing -z
    giveBall(*s, 0);
    p.ballHand = 1;
    startJuke(*s, p, {0, 0, 0});
    EXPECT_EQ(p.moveKind, 0);
    EXPECT_EQ(p.ballHand, 0);
    const float firstX = p.jukeDir.x;
    setAction(p, ACT_MOVE);
    startJuke(*s, p, {0, 0, 0}); // within 0.8 s: refused
    EXPECT_EQ(p.action, ACT_MOVE);
    p.jukeCooldown = 0;
    startJuke(*s, p, {0, 0, 0});
    EXPECT_LT(p.jukeDir.x * firstX, 0.0f); // the other way

    setAction(p, ACT_MOVE);
    p.jukeCooldown = 0;
    startJuke(*s, p, {0, 0, 1}); // stick back
    EXPECT_EQ(p.moveKind, 2);
    EXPECT_NEAR(p.vel.z, 5.6f, 1e-4f);
    setAction(p, ACT_MOVE);
    p.jukeCooldown = 0;
    p.sprinting = 1;
    startJuke(*s, p, {0, 0, -1}); // sprinting, stick ahead
    EXPECT_EQ(p.moveKind, 1);
    EXPECT_NEAR(p.vel.z, -5.4f, 1e-4f);
}

} // namespace
