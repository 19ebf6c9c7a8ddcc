// Player movement: top speeds, acceleration caps, energy, turning, the
// squeak's draws, jumps and steering.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "app/settings.h"
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

    s->humanMask = 1; // a person on the team: no CPU factor
    p.energy = 1;
    p.hasBall = 0;
    p.stance = 1; // stance never sprints, and scales by the defense rating
    p.ratings[RATING_DEFENSE] = 0.5f;
    EXPECT_NEAR(playerMaxSpeed(*s, p), 1.06f * 4.4f * 1.08f, 1e-4f);
    p.offBalance = 0.1f;
    EXPECT_NEAR(playerMaxSpeed(*s, p), 1.06f * 4.4f * 1.08f * 0.5f, 1e-4f);
}

TEST(Movement, AccelerationIsCappedPerTick) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.moveWish = {0, 0, 1};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.vel.z, 17 * kDt, 1e-6f); // speeding up from rest
    EXPECT_NEAR(p.pos.z, 6 + 17 * kDt * kDt, 1e-6f);

    // Reversing faster than the top speed (4.59 m/s): the braking rate.
    p.vel = {0, 0, 5};
    p.prevVel = p.vel;
    p.moveWish = {0, 0, -1};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.vel.z, 5 - 24 * kDt, 1e-5f);
    p.stance = 1;
    p.vel = {0, 0, 6};
    updatePlayerMovement(*s, p, kDt, 1, 0.5f);
    EXPECT_NEAR(p.vel.z, 6 - 24 * 0.5f * 1.45f * kDt, 1e-5f);
}

TEST(Movement, SprintDrainsAndRestRestoresEnergy) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.vel = {0, 0, 6};
    p.moveWish = {0, 0, 1};
    p.sprintWanted = 1;
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_TRUE(p.sprinting);
    EXPECT_NEAR(p.energy, 1 - 0.16f * kDt, 1e-6f);

    p.energy = 0.5f;
    p.sprintWanted = 0;
    p.vel = {0, 0, 0};
    p.moveWish = {0, 0, 0};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_FALSE(p.sprinting);
    EXPECT_NEAR(p.energy, 0.5f + 0.17f * kDt, 1e-6f);
}

TEST(Movement, TurningKeepsYawWhenStillAndFollowsMotionOrTarget) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 1.0f);
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_EQ(p.yaw, 1.0f);

    p.vel = {3, 0, 0}; // running along +x: wanted yaw pi/2, 11 rad/s
    p.prevVel = p.vel;
    p.moveWish = {1, 0, 0};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.yaw, 1.0f + 11 * kDt, 1e-5f);

    // The shorter way across pi: from 3.0 toward -3.0 goes up through pi.
    placePlayer(p, {0, 0, 6}, 3.0f);
    p.faceTarget = 1;
    p.facePoint = {std::sin(-3.0f), 0, 6 + std::cos(-3.0f)};
    for (int i = 0; i < 10; ++i) updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_NEAR(p.yaw, -3.0f, 1e-4f);
}

TEST(Movement, SqueakTakesThreeDrawsAndArmsItsCooldown) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.prevVel = {0, 0, 3};
    p.vel = {0, 0, 3};
    p.moveWish = {0, 0, -1}; // hard stop: 24 m/s^2 > 13
    p.squeakCooldown = 0;
    const uint32_t before = s->rng;
    updatePlayerMovement(*s, p, kDt, 1, 1);
    MatchState ref;
    ref.rng = before;
    matchRandomFloat(ref);
    matchRandomFloat(ref);
    const float r3 = matchRandomFloat(ref);
    EXPECT_EQ(s->rng, ref.rng);
    EXPECT_FLOAT_EQ(p.squeakCooldown, 0.5f + 0.4f * r3);
    // The cooldown holds the next one back.
    const uint32_t after = s->rng;
    p.vel = {0, 0, 3};
    updatePlayerMovement(*s, p, kDt, 1, 1);
    EXPECT_EQ(s->rng, after);
}

TEST(Movement, JumpsLandOnlyWhenFalling) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.airborne = 1;
    p.vertSpeed = 4.6f;
    EXPECT_FALSE(integrateVertical(*s, p, kDt)); // at root height 0 but moving up
    int ticks = 1;
    while (!integrateVertical(*s, p, kDt)) ++ticks;
    // Flight time 2 x 4.6 / 15 = 0.613 s.
    EXPECT_NEAR(ticks * kDt, 2 * 4.6f / 15, 2 * kDt);
    EXPECT_EQ(p.rootHeight, 0.0f);
    EXPECT_EQ(p.vertSpeed, 0.0f);
    EXPECT_FALSE(p.airborne);
}

TEST(Movement, SteeringSlowsInsideTheRadius) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    steerToward(*s, p, {0, 0, 7}, 2.0f, true);
    EXPECT_NEAR(p.moveWish.z, 0.5f, 1e-6f);
    EXPECT_FALSE(p.sprintWanted);
    steerToward(*s, p, {3, 0, 10}, 2.0f, true);
    EXPECT_NEAR(p.moveWish.x, 0.6f, 1e-6f);
    EXPECT_TRUE(p.sprintWanted);
    steerToward(*s, p, {0.01f, 0, 6}, 2.0f, true);
    EXPECT_EQ(p.moveWish.x, 0.0f);
    steerToward(*s, p, {0, 0, 9}, 0.0f, false); // a zero radius does not divide by zero
    EXPECT_EQ(p.moveWish.z, 1.0f);
}

} // namespace
