// The action state machine: state lengths, the court bounds, dribble moves
// and their one-time ankle test, the dribble sound's draws and human input.
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

// Seconds until the player leaves the given state (at most 2 s).
float secondsIn(MatchState& s, Player& p, int action) {
    setAction(p, action);
    int n = 0;
    for (; p.action == action && n < 240; ++n) updatePlayerAction(s, p, kDt);
    return n * kDt;
}

TEST(ActionStates, LengthsBoundsAndTheRimHang) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    EXPECT_NEAR(secondsIn(*s, p, ACT_PASS), 0.3f, kTickSlack);
    EXPECT_NEAR(secondsIn(*s, p, ACT_STEAL), 0.42f, kTickSlack);
    EXPECT_NEAR(secondsIn(*s, p, ACT_KNOCKED_DOWN), 1.55f, kTickSlack);
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
    secondsIn(*s, p, ACT_AIRBORNE);
    EXPECT_EQ(p.action, ACT_LANDING);

    s->fullCourt = 1;
    placePlayer(p, {-9, 0, 30}, 0);
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(p.pos.x, -7.42f);
    EXPECT_EQ(p.pos.z, 26.86f);
}

TEST(DribbleMoves, SpinTurnsAFullCircleIn046s) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 0);
    placePlayer(p, {0, 0, 6}, 0.4f);
    p.moveKind = 1;
    p.jukeDir = forwardOf(0.4f);
    p.jukeStartYaw = 0.4f;
    setAction(p, ACT_DRIBBLE_MOVE);
    float turned = 0, last = p.yaw;
    int n = 0;
    for (; p.action == ACT_DRIBBLE_MOVE && n < 240; ++n) {
        updatePlayerAction(*s, p, kDt);
        turned += wrapAngle(p.yaw - last);
        last = p.yaw;
    }
    EXPECT_NEAR(n * kDt, 0.46f, kTickSlack);
    EXPECT_NEAR(turned, 2 * PI, 0.01f);
    EXPECT_NEAR(p.yaw, 0.4f, 1e-4f);
}

TEST(DribbleMoves, AnkleTestOnceAt012sOnlyForDefendersInFront) {
    auto s = newMatch({.localIndex = -1, .difficulty = 0});
    Player* P = s->players;
    giveBall(*s, 0);
    placePlayer(P[0], {0, 0, 6}, PI); // facing the hoop
    placePlayer(P[1], {-6, 0, 10}, 0);
    placePlayer(P[2], {0, 0, 4.5f}, 0); // in front
    placePlayer(P[3], {0, 0, 7.5f}, 0); // behind: never tested
    P[0].ratings[RATING_HANDLES] = 1;
    P[2].ratings[RATING_DEFENSE] = 0;
    P[0].moveKind = 2; // step-back
    P[0].jukeDir = {0, 0, 1};
    P[0].dribblePhase = 0.55f; // no bounce sound during the move
    setAction(P[0], ACT_DRIBBLE_MOVE);
    P[2].action = ACT_STEAL; // reaching: chance (0.6 - 0.06 + 0.22) x 1.35 > 1
    int draws = 0;
    for (int n = 0; n < 240 && P[0].action == ACT_DRIBBLE_MOVE; ++n) {
        const uint32_t rng = s->rng;
        updatePlayerAction(*s, P[0], kDt);
        if (s->rng != rng) {
            ++draws;
            EXPECT_NEAR(P[0].actionTimer, 0.12f, kDt);
        }
    }
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(P[2].action, ACT_STUMBLE);
    EXPECT_FLOAT_EQ(P[2].vel.z, -1.5f);
    EXPECT_EQ(s->callouts.back().text, "ANKLES BROKEN!");
}

TEST(DribbleSound, EachBounceTakesTwoDraws) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 0);
    placePlayer(p, {0, 0, 6}, 0);
    p.dribblePhase = 0.49f; // 1.8 / 120 per tick: passes 0.5 now
    MatchState ref;
    ref.rng = s->rng;
    updatePlayerAction(*s, p, kDt);
    matchRandomFloat(ref);
    matchRandomFloat(ref);
    EXPECT_EQ(s->rng, ref.rng);
    updatePlayerAction(*s, p, kDt);
    EXPECT_EQ(s->rng, ref.rng);
}

TEST(HumanInput, StickAndSprintToggle) {
    auto s = newMatch();
    Player& p = s->players[0];
    giveBall(*s, 1);
    s->eyeYaw = PI; // looking toward -z: the stick's right is +x
    settings.sprintToggle = 1;
    PlayerInput in;
    in.moveX = 2; // longer than 1 is cut to 1
    in.sprintPressed = 1;
    applyPlayerInput(*s, p, in, kDt);
    EXPECT_NEAR(p.moveWish.x, 1, 1e-6f);
    EXPECT_TRUE(p.sprintWanted);
    in = PlayerInput{};
    int n = 0;
    for (; p.sprintWanted && n < 240; ++n) applyPlayerInput(*s, p, in, kDt);
    EXPECT_NEAR(n * kDt, 0.5f, 2 * kDt); // the latch drops after 0.5 s of idle stick
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
    EXPECT_FLOAT_EQ(p.vertSpeed, 4.6f + 0.7f * p.ratings[RATING_BLOCK]);
    EXPECT_FLOAT_EQ(p.vel.x, 1);
    EXPECT_EQ(s->players[1].action, ACT_MOVE); // no lob from 6 m
}

} // namespace
