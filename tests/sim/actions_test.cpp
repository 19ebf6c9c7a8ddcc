// Movement and the action state machine: the draws of the squeak and the
// dribble, landing, stumble lengths, the rim hang and the court bounds.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/actions.h"
#include "sim/court.h"
#include "sim/movement.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;
// The action timer adds up ticks in float: a state may end one tick late.
constexpr float kTickSlack = 1.5f * kDt;

// True when the match generator moved by exactly `draws` draws.
bool tookDraws(const MatchState& s, uint32_t before, int draws) {
    MatchState ref;
    ref.rng = before;
    for (int i = 0; i < draws; ++i) matchRandomFloat(ref);
    return s.rng == ref.rng;
}

TEST(Movement, SqueakTakesThreeDrawsAndArmsItsCooldown) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.vel = p.prevVel = {0, 0, 3};
    p.moveWish = {0, 0, -1}; // a hard stop: 17 m/s^2 > 13
    const uint32_t before = s->rng;
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_TRUE(tookDraws(*s, before, 3));
    MatchState ref;
    ref.rng = before;
    for (int i = 0; i < 2; ++i) matchRandomFloat(ref);
    EXPECT_FLOAT_EQ(p.squeakCooldown, 0.5f + 0.4f * matchRandomFloat(ref));
    p.vel = {0, 0, 3}; // the cooldown holds the next one back
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_TRUE(tookDraws(*s, before, 3));
}

TEST(Movement, JumpsLandOnlyWhenFalling) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.airborne = 1;
    p.vertSpeed = 1.0f; // at root height 0 but moving up
    EXPECT_FALSE(integrateVertical(*s, p, kDt));
    p.vertSpeed = 4.6f;
    int ticks = 1;
    while (!integrateVertical(*s, p, kDt)) ++ticks;
    EXPECT_NEAR(ticks * kDt, 2 * 4.6f / 15, 2 * kDt); // players fall at 15 m/s^2
    EXPECT_EQ(p.rootHeight, 0.0f);
}

// Seconds until the player leaves the given state (at most 2 s).
float secondsIn(MatchState& s, Player& p, int action) {
    setAction(p, action);
    int n = 0;
    for (; p.action == action && n < 240; ++n) updatePlayerAction(s, p, kDt);
    return n * kDt;
}

TEST(ActionStates, StumbleKindsCourtBoundsAndTheRimHang) {
    auto s = newMatch();
    Player& p = s->players[0];
    p.stumbleKind = 1; // a charge
    EXPECT_NEAR(secondsIn(*s, p, ACT_STUMBLE), 0.7f, kTickSlack);
    p.stumbleKind = 0; // broken ankles
    EXPECT_NEAR(secondsIn(*s, p, ACT_STUMBLE), 1.25f, kTickSlack);
    // Hanging on the rim, then pushed off it along +z when on the axis.
    placePlayer(p, {0, 0, 0}, PI);
    p.airborne = 1;
    p.hangHeight = 0.9f;
    EXPECT_NEAR(secondsIn(*s, p, ACT_HANG), 0.45f, kTickSlack);
    EXPECT_EQ(p.action, ACT_AIRBORNE);
    EXPECT_FLOAT_EQ(p.vel.z, 0.9f);
    s->fullCourt = 1;
    placePlayer(p, {-9, 0, 30}, 0);
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(p.pos.x, -7.42f);
    EXPECT_EQ(p.pos.z, 26.86f);
}

TEST(DribbleSound, EachBounceTakesTwoDraws) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 0);
    placePlayer(p, {0, 0, 6}, 0);
    p.dribblePhase = 0.49f; // 1.8 / 120 per tick: passes 0.5 now
    const uint32_t before = s->rng;
    updatePlayerAction(*s, p, kDt);
    EXPECT_TRUE(tookDraws(*s, before, 2));
    updatePlayerAction(*s, p, kDt);
    EXPECT_TRUE(tookDraws(*s, before, 2));
}

} // namespace

namespace {

// A crossover 0.12 s in, against a CPU defender straight ahead who reaches
// for the ball: base 0.1 + 0.5 x 0.5 - 0.38 x 0.5 = 0.16, + 0.22 for the reach,
// - 0.07 for his stance unless he is off balance.
bool anklesBreak(bool offBalance) {
    auto s = newMatch({.localIndex = 0});
    giveBall(*s, 0);
    Player& mover = s->players[0];
    Player& defender = s->players[2];
    placePlayer(mover, {0, 0, 6}, 0);
    placePlayer(defender, {0, 0, 7}, PI);
    placePlayer(s->players[3], {6, 0, 2}, PI);
    mover.ratings[RATING_HANDLES] = 0.5f;
    defender.ratings[RATING_DEFENSE] = 0.5f;
    setAction(mover, ACT_DRIBBLE_MOVE);
    mover.moveKind = 0;
    mover.jukeDir = {0.9f, 0, 0.44f};
    mover.actionTimer = 0.12f;
    setAction(defender, ACT_STEAL);
    defender.stance = 1;
    defender.offBalance = offBalance ? 0.2f : 0.0f;
    setNextDraw(*s, 0.33f, 0.36f); // between 0.31 and 0.38
    updateDribbleMove(*s, mover, kDt);
    return defender.action == ACT_STUMBLE;
}

} // namespace

TEST(DribbleMoves, AReachingDefenderInHisStanceGetsBothTermsOfTheAnkleBreak) {
    EXPECT_FALSE(anklesBreak(false)); // 0.31
    EXPECT_TRUE(anklesBreak(true));   // 0.38: off balance, the stance does not help
}
