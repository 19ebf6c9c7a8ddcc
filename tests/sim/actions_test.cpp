// The action state machine: state lengths, dribble moves and their one-time
// ankle test, the court bounds, the dribble sound's draws and human input.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "app/settings.h"
#include "sim/actions.h"
#include "sim/court.h"
#include "sim/sim_math.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;
// The action timer adds up ticks in float: a state may end one tick late.
constexpr float kTickSlack = 1.5f * kDt;

// Ticks until the player leaves the given state (at most 2 s).
int ticksIn(MatchState& s, Player& p, int action) {
    setAction(p, action);
    int n = 0;
    while (p.action == action && n < 240) {
        updatePlayerAction(s, p, kDt);
        ++n;
    }
    return n;
}

TEST(ActionStates, FixedLengths) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    EXPECT_NEAR(ticksIn(*s, p, ACT_PASS) * kDt, 0.3f, kTickSlack);
    EXPECT_NEAR(ticksIn(*s, p, ACT_STEAL) * kDt, 0.42f, kTickSlack);
    EXPECT_NEAR(ticksIn(*s, p, ACT_LANDING) * kDt, 0.16f, kTickSlack);
    EXPECT_NEAR(ticksIn(*s, p, ACT_CELEBRATE) * kDt, 1.8f, kTickSlack);
    EXPECT_NEAR(ticksIn(*s, p, ACT_KNOCKED_DOWN) * kDt, 1.55f, kTickSlack);
    p.stumbleKind = 1;
    EXPECT_NEAR(ticksIn(*s, p, ACT_STUMBLE) * kDt, 0.7f, kTickSlack);
    p.stumbleKind = 0;
    EXPECT_NEAR(ticksIn(*s, p, ACT_STUMBLE) * kDt, 1.25f, kTickSlack);
    EXPECT_EQ(p.action, ACT_MOVE);
    EXPECT_EQ(p.actionTimer, 0.0f);
}

TEST(ActionStates, RimHangDropsAwayFromTheRim) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 0.5f}, PI);
    p.airborne = 1;
    p.hangHeight = 0.9f;
    const int n = ticksIn(*s, p, ACT_HANG);
    EXPECT_NEAR(n * kDt, 0.45f, kTickSlack);
    EXPECT_EQ(p.action, ACT_AIRBORNE);
    EXPECT_EQ(p.rootHeight, 0.9f);
    EXPECT_FLOAT_EQ(p.vel.z, 0.9f);
    EXPECT_FLOAT_EQ(p.vertSpeed, 0.5f);
    // On the axis he is pushed along +z; then he falls and lands.
    placePlayer(p, {0, 0, 0}, PI);
    p.airborne = 1;
    ticksIn(*s, p, ACT_HANG);
    EXPECT_FLOAT_EQ(p.vel.z, 0.9f);
    ticksIn(*s, p, ACT_AIRBORNE);
    EXPECT_EQ(p.action, ACT_LANDING);
    EXPECT_FALSE(p.airborne);
}

TEST(ActionStates, PlayersStayOnTheCourt) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {9, 0, 20}, 0);
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(p.pos.x, 7.42f);
    EXPECT_EQ(p.pos.z, 12.53f);
    s->fullCourt = 1;
    placePlayer(p, {-9, 0, 30}, 0);
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(p.pos.x, -7.42f);
    EXPECT_EQ(p.pos.z, 26.86f);
    placePlayer(p, {0, 0, -3}, 0);
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(p.pos.z, -1.42f);
}

TEST(DribbleMoves, SpinTurnsAFullCircleIn046s) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 0);
    placePlayer(p, {0, 0, 6}, 0.4f);
    p.moveKind = 1;
    p.jukeDir = {std::sin(0.4f), 0, std::cos(0.4f)};
    p.jukeStartYaw = 0.4f;
    p.moveDecided = 0;
    setAction(p, ACT_DRIBBLE_MOVE);
    float turned = 0, last = p.yaw;
    int n = 0;
    while (p.action == ACT_DRIBBLE_MOVE && n < 240) {
        updatePlayerAction(*s, p, kDt);
        turned += wrapAngle(p.yaw - last);
        last = p.yaw;
        ++n;
    }
    EXPECT_NEAR(n * kDt, 0.46f, kTickSlack);
    EXPECT_NEAR(turned, 2 * PI, 0.01f);
    EXPECT_NEAR(p.yaw, 0.4f, 1e-4f);
}

TEST(DribbleMoves, AnkleTestOnceAt012sOnlyForDefendersInFront) {
    auto s = newMatch({.localIndex = -1});
    Player* P = s->players;
    giveBall(*s, 0);
    placePlayer(P[0], {0, 0, 6}, PI); // facing the hoop
    placePlayer(P[1], {-6, 0, 10}, 0);
    placePlayer(P[2], {0, 0, 4.5f}, 0); // 1.5 m in front
    placePlayer(P[3], {0, 0, 7.5f}, 0); // behind
    P[0].moveKind = 0;
    P[0].jukeDir = {0, 0, -1};
    P[0].vel = {0, 0, -6.3f};
    P[0].moveDecided = 0;
    P[0].dribblePhase = 0.55f; // no bounce sound during the move
    setAction(P[0], ACT_DRIBBLE_MOVE);
    uint32_t rng = s->rng;
    int draws = 0;
    for (int n = 0; n < 240 && P[0].action == ACT_DRIBBLE_MOVE; ++n) {
        updatePlayerAction(*s, P[0], kDt);
        if (s->rng != rng) {
            ++draws;
            EXPECT_GE(P[0].actionTimer, 0.12f);
            EXPECT_LT(P[0].actionTimer, 0.12f + kDt);
            rng = s->rng;
        }
    }
    EXPECT_EQ(draws, 1);
    EXPECT_TRUE(P[0].moveDecided);
}

TEST(DribbleMoves, BrokenAnklesStumbleTheDefender) {
    auto s = newMatch({.localIndex = -1, .difficulty = 0});
    Player* P = s->players;
    giveBall(*s, 0);
    placePlayer(P[0], {0, 0, 6}, PI);
    placePlayer(P[1], {-6, 0, 10}, 0);
    placePlayer(P[2], {0, 0, 5}, 0);
    placePlayer(P[3], {6, 0, 10}, 0);
    P[0].ratings[RATING_HANDLES] = 1;
    P[2].ratings[RATING_DEFENSE] = 0;
    P[2].action = ACT_STEAL; // reaching: +0.22; chance (0.6 + 0.22) x 1.35 > 1
    P[0].moveKind = 2;
    P[0].jukeDir = {0, 0, -1};
    P[0].moveDecided = 0;
    setAction(P[0], ACT_DRIBBLE_MOVE);
    P[0].actionTimer = 0.125f;
    updateDribbleMove(*s, P[0], kDt);
    EXPECT_EQ(P[2].action, ACT_STUMBLE);
    EXPECT_EQ(P[2].stumbleKind, 0);
    EXPECT_FLOAT_EQ(P[2].vel.z, 1.5f);
    ASSERT_FALSE(s->callouts.empty());
    EXPECT_EQ(s->callouts.back().text, "ANKLES BROKEN!");
}

TEST(DribbleSound, EachBounceTakesTwoDraws) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 0);
    placePlayer(p, {0, 0, 6}, 0);
    p.dribblePhase = 0.49f;
    const uint32_t before = s->rng;
    updatePlayerAction(*s, p, kDt); // 1.8 / 120 = 0.015 per tick: passes 0.5
    MatchState ref;
    ref.rng = before;
    matchRandomFloat(ref);
    matchRandomFloat(ref);
    EXPECT_EQ(s->rng, ref.rng);
    const uint32_t after = s->rng;
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(s->rng, after);
}

TEST(HumanInput, StickTurnsIntoTheWorldByTheCamera) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 1);
    s->eyeYaw = PI; // looking toward -z
    settings.sprintToggle = 0;
    PlayerInput in;
    in.moveY = 1;
    in.sprintDown = 1;
    applyPlayerInput(*s, p, in, kDt);
    EXPECT_NEAR(p.moveWish.z, -1, 1e-6f);
    EXPECT_TRUE(p.sprintWanted);
    in.moveY = 0;
    in.moveX = 2; // right of a camera looking at -z is +x; longer than 1 is cut to 1
    applyPlayerInput(*s, p, in, kDt);
    EXPECT_NEAR(p.moveWish.x, 1, 1e-6f);

    // Netcode and sampler inputs come already in the world.
    PlayerInput w;
    w.valid = 1;
    w.worldMoveX = 3;
    w.worldMoveZ = 4;
    w.aimWithYaw = 1;
    w.yaw = 0.25f;
    applyPlayerInput(*s, p, w, kDt);
    EXPECT_NEAR(p.moveWish.x, 0.6f, 1e-6f);
    EXPECT_EQ(p.yaw, 0.25f);
}

TEST(HumanInput, SprintToggleDropsAfterHalfASecondOfIdleStick) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 1);
    settings.sprintToggle = 1;
    PlayerInput in;
    in.moveY = 1;
    in.sprintPressed = 1;
    applyPlayerInput(*s, p, in, kDt);
    EXPECT_TRUE(p.sprintWanted);
    in.sprintPressed = 0;
    in.moveY = 0;
    int n = 0;
    while (p.sprintWanted && n < 240) {
        applyPlayerInput(*s, p, in, kDt);
        ++n;
    }
    EXPECT_NEAR(n * kDt, 0.5f, 2 * kDt);
    EXPECT_FALSE(p.sprintLatched);
    settings.sprintToggle = 1;
}

TEST(HumanInput, ShootWithoutTheBallFarFromTheHoopIsAPlainJump) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 1);
    placePlayer(p, {0, 0, 6}, PI);
    p.vel = {2, 0, 0};
    PlayerInput in;
    in.shootPressed = 1;
    applyPlayerInput(*s, p, in, kDt);
    EXPECT_EQ(p.action, ACT_AIRBORNE);
    EXPECT_TRUE(p.airborne);
    EXPECT_FLOAT_EQ(p.vertSpeed, 4.6f + 0.7f * p.ratings[RATING_BLOCK]);
    EXPECT_FLOAT_EQ(p.vel.x, 1);
    // A second press in the air does nothing.
    const float v = p.vertSpeed;
    applyPlayerInput(*s, p, in, kDt);
    EXPECT_EQ(p.vertSpeed, v);
}

} // namespace
