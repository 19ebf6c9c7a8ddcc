// Action starters: steal chances, passes, defensive lock-on and block jumps,
// plain jumps and jukes.
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

TEST(StealChance, ReachAndFacing) {
    auto human = stealSetUp(2.1f, 2);
    EXPECT_GT(stealChance(*human, human->players[2], human->players[0]), 0.0f);
    auto cpu = stealSetUp(2.1f, 0);
    EXPECT_EQ(stealChance(*cpu, cpu->players[2], cpu->players[0]), 0.0f);

    auto s = stealSetUp(1.0f, 0);
    EXPECT_GT(stealChance(*s, s->players[2], s->players[0]), 0.0f);
    s->players[2].yaw = PI / 2 + 0.2f; // forward . direction < 0.15
    EXPECT_EQ(stealChance(*s, s->players[2], s->players[0]), 0.0f);
    s->players[2].yaw = 0;
    // Only the holder can be stolen from.
    EXPECT_EQ(stealChanceOnHolder(*s, s->players[2], s->players[1]), 0.0f);
    EXPECT_EQ(stealChanceOnHolder(*s, s->players[2], s->players[0]),
              stealChance(*s, s->players[2], s->players[0]));
}

TEST(StealChance, CrossoverWindowAndTheCap) {
    auto s = stealSetUp(1.0f, 0);
    Player& h = s->players[0];
    Player& st = s->players[2];
    st.ratings[RATING_STEAL] = 0.5f;
    h.ratings[RATING_HANDLES] = 0.5f;
    s->ball.pos = {0, 1.2f, 6}; // above the holder: no ball-side bonus
    const float plain = stealChance(*s, st, h);
    EXPECT_NEAR(plain, 0.1f + 0.15f - 0.1f, 1e-5f); // facing 1, full reach factor
    h.action = ACT_DRIBBLE_MOVE;
    h.moveKind = 0;
    h.actionTimer = 0.16f;
    EXPECT_NEAR(stealChance(*s, st, h), plain + 0.2f, 1e-5f);
    h.actionTimer = 0.17f;
    EXPECT_NEAR(stealChance(*s, st, h), plain - 0.18f < 0 ? 0.0f : plain - 0.18f, 1e-5f);
    // Ball low and held toward the stealer: the capped best case.
    h.action = ACT_JUMP_SHOT;
    h.tookOff = 0;
    st.ratings[RATING_STEAL] = 1;
    st.stance = 1;
    s->ball.pos = {0, 0.2f, 5.7f};
    EXPECT_EQ(stealChance(*s, st, h), 0.85f);
}

TEST(Passes, FlightTimeLeadAndBall) {
    auto s = newMatch();
    Player& passer = s->players[0];
    Player& r = s->players[1];
    placePlayer(passer, {0, 0, 13.5f}, PI);
    placePlayer(r, {0, 0, 0.5f}, 0);
    giveBall(*s, 0);
    const float chest = 0.62f * playerHeight(r);
    s->ball.pos = {0, chest, 13.5f};
    const uint32_t rng = s->rng;
    startPass(*s, passer, 1);
    // 13 m at 13 m/s plus 0.05 s, and an arc that comes back to chest height.
    const float t = 1.05f;
    const BallState& b = s->ball;
    EXPECT_EQ(b.phase, BALL_PASS);
    EXPECT_NEAR(b.vel.z, -13.0f / t, 1e-4f);
    EXPECT_NEAR(b.vel.y, 4.905f * t, 1e-4f);
    EXPECT_EQ(b.passTo, 1);
    EXPECT_EQ(b.lastPasser, 0);
    EXPECT_EQ(b.launchTime, s->clock);
    EXPECT_FALSE(passer.hasBall);
    EXPECT_EQ(passer.action, ACT_PASS);
    EXPECT_FLOAT_EQ(passer.passTimer, 0.45f);
    EXPECT_NE(s->rng, rng); // the pitch draw
    EXPECT_NEAR(b.spin.x, 8.0f, 1e-4f);

    // A moving receiver is led by 0.85 T of his velocity, a cutter by 0.1 more.
    giveBall(*s, 0);
    s->ball.pos = {0, chest, 13.5f};
    setAction(passer, ACT_MOVE);
    r.vel = {2, 0, 0};
    r.cutting = 1;
    startPass(*s, passer, 1);
    EXPECT_NEAR(s->ball.vel.x, (0.85f * t + 0.1f) * 2 / t, 1e-3f);
}

TEST(Passes, TryPassNeedsTheBallAndAPresentReceiver) {
    auto s = newMatch();
    giveBall(*s, 0);
    s->players[1].present = 0;
    tryPass(*s, s->players[0], 1);
    EXPECT_EQ(s->ball.phase, BALL_HELD);
    s->players[1].present = 1;
    tryPass(*s, s->players[1], 0); // not the holder
    EXPECT_EQ(s->ball.phase, BALL_HELD);
    tryPass(*s, s->players[0], 1);
    EXPECT_EQ(s->ball.phase, BALL_PASS);
}

TEST(Defense, LockOnFacesTheHolderAndCountsStanceTime) {
    auto s = stealSetUp(2.0f, 2);
    Player& d = s->players[2];
    PlayerInput in;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_TRUE(d.stance);
    EXPECT_FLOAT_EQ(d.stanceTime, kDt);
    EXPECT_TRUE(d.faceTarget);
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_FLOAT_EQ(d.stanceTime, 2 * kDt);
    d.sprintWanted = 1;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_FALSE(d.stance);
    d.sprintWanted = 0;
    // Too far from his mark.
    placePlayer(d, {0, 0, 1.5f}, 0);
    d.matchup = 0;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_FALSE(d.stance);
}

TEST(Defense, BlockJumpPushesTowardTheShooter) {
    auto s = stealSetUp(2.0f, 2);
    Player& d = s->players[2];
    Player& shooter = s->players[0];
    shooter.action = ACT_JUMP_SHOT;
    PlayerInput in;
    in.shootPressed = 1;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_EQ(d.action, ACT_AIRBORNE);
    EXPECT_TRUE(d.blockJump);
    EXPECT_NEAR(d.vel.z, 1.8f, 1e-5f);
    EXPECT_NEAR(d.vertSpeed, 4.6f + 0.7f * d.ratings[RATING_BLOCK] + 0.5f, 1e-5f);

    // No shooter and no holder: a plain jump without a push.
    auto t = stealSetUp(2.0f, 2);
    t->ball.phase = BALL_LOOSE;
    t->ball.holder = -1;
    t->players[0].hasBall = 0;
    applyDefenseInput(*t, t->players[2], in, kDt);
    EXPECT_EQ(t->players[2].action, ACT_AIRBORNE);
    EXPECT_FALSE(t->players[2].blockJump);
    EXPECT_EQ(t->players[2].vel.z, 0.0f);
}

TEST(Defense, StealPressStartsAReach) {
    auto s = stealSetUp(1.0f, 2);
    Player& d = s->players[2];
    PlayerInput in;
    in.leftMousePressed = 1;
    applyDefenseInput(*s, d, in, kDt);
    EXPECT_EQ(d.action, ACT_STEAL);
    EXPECT_FLOAT_EQ(d.stealCooldown, 0.45f);
    // Lunge toward the ball at 1.6 m/s.
    const Vector3 toBall = {s->ball.pos.x - d.pos.x, 0, s->ball.pos.z - d.pos.z};
    const float len = std::hypot(toBall.x, toBall.z);
    EXPECT_NEAR(d.vel.x, 1.6f * toBall.x / len, 1e-5f);
    EXPECT_NEAR(d.vel.z, 1.6f * toBall.z / len, 1e-5f);
    setAction(d, ACT_MOVE);
    applyDefenseInput(*s, d, in, kDt); // still cooling down
    EXPECT_EQ(d.action, ACT_MOVE);
}

TEST(Jukes, CrossoversAlternateAndTheCooldownHolds) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 7}, PI);
    giveBall(*s, 0);
    p.ballHand = 1;
    startJuke(*s, p, {0, 0, 0});
    EXPECT_EQ(p.action, ACT_DRIBBLE_MOVE);
    EXPECT_EQ(p.moveKind, 0);
    EXPECT_EQ(p.ballHand, 0);
    const float firstX = p.jukeDir.x;
    EXPECT_NEAR(std::hypot(p.vel.x, p.vel.z), 6.3f, 1e-4f);

    setAction(p, ACT_MOVE);
    startJuke(*s, p, {0, 0, 0}); // within 0.8 s
    EXPECT_EQ(p.action, ACT_MOVE);
    p.jukeCooldown = 0;
    startJuke(*s, p, {0, 0, 0});
    EXPECT_EQ(p.ballHand, 1);
    EXPECT_LT(p.jukeDir.x * firstX, 0.0f); // the other way
}

TEST(Jukes, StepBackAndSpinByTheStick) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 7}, PI); // facing -z
    giveBall(*s, 0);
    startJuke(*s, p, {0, 0, 1}); // stick back
    EXPECT_EQ(p.moveKind, 2);
    EXPECT_NEAR(p.vel.z, 5.6f, 1e-4f);

    setAction(p, ACT_MOVE);
    p.jukeCooldown = 0;
    p.sprinting = 1;
    startJuke(*s, p, {0, 0, -1});
    EXPECT_EQ(p.moveKind, 1);
    EXPECT_NEAR(p.vel.z, -5.4f, 1e-4f);
    EXPECT_EQ(p.jukeStartYaw, PI);
}

TEST(Jumps, OnlyFromTheGroundInTheMoveState) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 7}, PI);
    p.vel = {2, 0, 0};
    startJump(*s, p, {0, 1.0f, 1.0f});
    EXPECT_EQ(p.action, ACT_AIRBORNE);
    EXPECT_FLOAT_EQ(p.vel.x, 1);
    EXPECT_FLOAT_EQ(p.vel.y, 1);
    EXPECT_FLOAT_EQ(p.vel.z, 1);
    const float v = p.vertSpeed;
    startJump(*s, p, {0, 0, 0});
    EXPECT_EQ(p.vertSpeed, v);
}

} // namespace
