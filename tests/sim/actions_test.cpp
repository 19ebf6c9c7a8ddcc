// Movement, the action state machine and the input of a person: the draws of
// the squeak and the dribble, landing, stumble lengths, the rim hang and the
// court bounds, the ankle-break test of a dribble move, and the unsampled
// input of offline play.
#include <cmath>
#include <cstring>
#include <vector>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/actions.h"
#include "sim/court.h"
#include "sim/input_sampling.h"
#include "sim/match_driver.h"
#include "sim/movement.h"
#include "sim_fixture.h"

namespace {

// The action timer adds up ticks in float: a state may end one tick late.
constexpr float kTickSlack = 1.5f * kTick;

// The next n draws of a generator at state `from`.
std::vector<float> drawsFrom(uint32_t from, int n) {
    MatchState ref;
    ref.rng = from;
    std::vector<float> r;
    for (int i = 0; i < n; ++i) r.push_back(matchRandomFloat(ref));
    return r;
}

// True when the match generator moved by exactly `draws` draws: one draw more
// or less would shift every later random event of the match.
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
    updatePlayerMovement(*s, p, kTick, 1, 1);
    EXPECT_TRUE(tookDraws(*s, before, 3));
    const std::vector<float> r = drawsFrom(before, 3); // pitch, volume, cooldown
    ASSERT_EQ(s->events.size(), 1u);
    EXPECT_FLOAT_EQ(s->events[0].pitch, 0.85f + 0.35f * r[0]);
    EXPECT_FLOAT_EQ(s->events[0].volume, 0.25f + 0.2f * r[1]);
    EXPECT_FLOAT_EQ(p.squeakCooldown, 0.5f + 0.4f * r[2]);
    p.vel = {0, 0, 3}; // the cooldown holds the next one back
    updatePlayerMovement(*s, p, kTick, 1, 1);
    EXPECT_TRUE(tookDraws(*s, before, 3));
    EXPECT_EQ(s->events.size(), 1u);
}

TEST(DribbleSound, EachBounceTakesTwoDraws) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    giveBall(*s, 0);
    s->events.clear();
    p.dribblePhase = 0.49f; // 1.8 / 120 per tick: passes 0.5 now
    const uint32_t before = s->rng;
    updatePlayerAction(*s, p, kTick);
    EXPECT_TRUE(tookDraws(*s, before, 2));
    const std::vector<float> r = drawsFrom(before, 2); // pitch first, then volume
    ASSERT_EQ(s->events.size(), 1u);
    EXPECT_FLOAT_EQ(s->events[0].pitch, 0.95f + 0.13f * r[0]);
    EXPECT_FLOAT_EQ(s->events[0].volume, 0.35f + 0.1f * r[1]);
    updatePlayerAction(*s, p, kTick); // no bounce on this tick: no draw
    EXPECT_TRUE(tookDraws(*s, before, 2));
}

// Seconds until the player leaves the given state (at most 2 s).
float secondsIn(MatchState& s, Player& p, int action) {
    setAction(p, action);
    int n = 0;
    for (; p.action == action && n < 240; ++n) updatePlayerAction(s, p, kTick);
    return n * kTick;
}

TEST(ActionStates, LandingStumblesTheRimHangAndTheCourtBounds) {
    auto s = newMatch();
    Player& p = s->players[0];
    placePlayer(p, {0, 0, 6}, 0);
    p.airborne = 1;
    p.vertSpeed = 1.0f; // at root height 0 but moving up: no landing
    EXPECT_FALSE(integrateVertical(*s, p, kTick));
    p.vertSpeed = 4.6f;
    int ticks = 1;
    while (!integrateVertical(*s, p, kTick)) ++ticks;
    EXPECT_NEAR(ticks * kTick, 2 * 4.6f / 15, 2 * kTick); // players fall at 15 m/s^2

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
    updatePlayerAction(*s, p, kTick);
    EXPECT_EQ(p.pos.x, -7.42f);
    EXPECT_EQ(p.pos.z, 26.86f);
}

// A crossover 0.12 s in, against a CPU defender straight ahead who reaches
// for the ball: base 0.1 + 0.5 x 0.5 - 0.38 x 0.5 = 0.16, + 0.22 for the reach,
// - 0.07 for his stance unless he is off balance.
bool anklesBreak(bool offBalance) {
    auto s = newMatch({.localIndex = 0});
    Player& mover = s->players[0];
    Player& defender = s->players[2];
    placePlayer(mover, {0, 0, 6}, 0);
    placePlayer(defender, {0, 0, 7}, PI);
    placePlayer(s->players[3], {6, 0, 2}, PI);
    giveBall(*s, 0);
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
    updateDribbleMove(*s, mover, kTick);
    return defender.action == ACT_STUMBLE;
}

TEST(DribbleMoves, AReachingDefenderInHisStanceGetsBothTermsOfTheAnkleBreak) {
    EXPECT_FALSE(anklesBreak(false)); // 0.31
    EXPECT_TRUE(anklesBreak(true));   // 0.38: off balance, the stance does not help
}

// Offline play hands the device input to the match unsampled (valid 0): the
// stick is turned by the view and the sprint toggle latched in the player.
TEST(UnsampledInput, TheStickFollowsTheViewAndTheSprintToggleLatches) {
    auto s = newMatch({.localIndex = 0});
    placePlayer(s->players[0], {0, 0, 6}, 0);
    giveBall(*s, 0);
    Player& p = s->players[0];
    s->eyeYaw = PI / 2; // looking along +x
    RawInput raw;
    raw.moveY = 1;
    PlayerInput in = toPlayerInput(raw);
    applyPlayerInput(*s, p, in, kTick);
    EXPECT_NEAR(p.moveWish.x, 1.0f, 1e-6f);
    EXPECT_NEAR(p.moveWish.z, 0.0f, 1e-6f);
    PlayerInput sampled; // the sampled input of the same frame wants exactly the same
    resetInputSampler();
    sampleInput(sampled, *s, raw, kTick);
    Player q = p;
    applyPlayerInput(*s, q, sampled, kTick);
    EXPECT_EQ(std::memcmp(&q.moveWish, &p.moveWish, sizeof(Vector3)), 0);

    s->chaseBlend = 0.8f; // the chase view's heading, here toward -z
    s->camera.position = {0, 6, 12};
    s->camera.target = {0, 1, 2};
    applyPlayerInput(*s, p, in, kTick);
    EXPECT_NEAR(p.moveWish.z, -1.0f, 1e-6f);
    s->chaseBlend = 0;

    in.sprintPressed = 1; // the toggle: on with a press, kept while the stick moves
    applyPlayerInput(*s, p, in, kTick);
    EXPECT_TRUE(p.sprintWanted);
    in.sprintPressed = 0;
    for (int i = 0; i < 120; ++i) applyPlayerInput(*s, p, in, kTick);
    EXPECT_TRUE(p.sprintWanted);
    in.moveY = 0; // dropped after half a second of idle stick
    int idle = 0;
    for (; p.sprintWanted && idle < 120; ++idle) applyPlayerInput(*s, p, in, kTick);
    EXPECT_NEAR(idle * kTick, 0.5f, 2 * kTick);
    s->sprintToggle = 0; // hold to sprint
    in.sprintDown = 1;
    applyPlayerInput(*s, p, in, kTick);
    EXPECT_TRUE(p.sprintWanted);

    // Through the offline frame: he runs where he looks.
    raw.moveY = 1;
    const float x = p.pos.x;
    for (int f = 0; f < 30; ++f) updateMatch(*s, 1.0f / 60.0f, toPlayerInput(raw), CameraOptions{});
    EXPECT_GT(p.pos.x - x, 1.0f);
    EXPECT_NEAR(p.yaw, PI / 2, 0.05f);
}

} // namespace
