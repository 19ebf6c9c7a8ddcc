// Player movement: top speeds, acceleration caps, energy, turning, the
// squeak's draws and landing.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/court.h"
#include "sim/movement.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

TEST(Movement, TopSpeedFactors) {
    auto s = newMatch({.localIndex = -1, .difficulty = 3});
    Player& p = s->players[0];
    p.ratings[RATING_SPEED] = 1;
    p.sprintWanted = 1;
    p.hasBall = 1;
    EXPECT_NEAR(playerMaxSpeed(*s, p), 6.728f, 1e-4f); // (0.86 + 0.2) x 6.5 x 0.93 x 1.05
    p.energy = 0.03f;                                   // not above 0.03: no sprint
    EXPECT_NEAR(playerMaxSpeed(*s, p), 1.06f * 4.4f * 0.93f * 1.05f, 1e-4f);
    s->humanMask = 1; // a person's team has no CPU factor; stance never sprints
    p.energy = 1;
    p.hasBall = 0;
    p.stance = 1;
    p.ratings[RATING_DEFENSE] = 0.5f;
    p.offBalance = 0.1f;
    EXPECT_NEAR(playerMaxSpeed(*s, p), 1.06f * 4.4f * 1.08f * 0.5f, 1e-4f);
}

TEST(Movement, AccelerationEnergyAndTurning) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 1.0f);
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_EQ(p.yaw, 1.0f); // standing still keeps the yaw
    p.moveWish = {0, 0, 1};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.vel.z, 17 * kDt, 1e-6f); // speeding up from rest
    // Reversing faster than the top speed (4.59 m/s) brakes at 24 m/s^2.
    p.vel = p.prevVel = {0, 0, 5};
    p.moveWish = {0, 0, -1};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.vel.z, 5 - 24 * kDt, 1e-5f);

    // Sprinting drains, rest restores.
    p.vel = {3.5f, 0, 0};
    p.moveWish = {1, 0, 0};
    p.sprintWanted = 1;
    p.yaw = 1.0f;
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_TRUE(p.sprinting);
    EXPECT_NEAR(p.energy, 1 - 0.16f * kDt, 1e-6f);
    EXPECT_NEAR(p.yaw, 1.0f + 11 * kDt, 1e-5f); // turning toward the run at 11 rad/s
    p.vel = p.moveWish = {0, 0, 0};
    p.sprintWanted = 0;
    p.energy = 0.5f;
    const float e = p.energy;
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.energy, e + 0.17f * kDt, 1e-6f);
}

TEST(Movement, SqueakTakesThreeDrawsAndArmsItsCooldown) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.vel = p.prevVel = {0, 0, 3};
    p.moveWish = {0, 0, -1}; // a hard stop: 17 m/s^2 > 13
    MatchState ref;
    ref.rng = s->rng;
    updatePlayerMovement(*s, p, kDt, 1, 1);
    matchRandomFloat(ref);
    matchRandomFloat(ref);
    EXPECT_FLOAT_EQ(p.squeakCooldown, 0.5f + 0.4f * matchRandomFloat(ref));
    EXPECT_EQ(s->rng, ref.rng);
    p.vel = {0, 0, 3}; // the cooldown holds the next one back
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_EQ(s->rng, ref.rng);
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
    EXPECT_FALSE(p.airborne);
    EXPECT_EQ(p.rootHeight, 0.0f);
}

} // namespace
