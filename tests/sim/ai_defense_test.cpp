// The CPU without the ball: the on-ball defender and the helper, the guard
// spot and coverage score edge cases, a reaction timer left over from
// defending, loose balls and rebounds, players busy in an action, and the
// awareness pass (contests, boxing out).
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai.h"
#include "sim/court.h"
#include "sim/match_driver.h"
#include "sim/sim_math.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Players 0 and 1 are people standing still; player 0 holds the ball at
// `at`; the CPU side (players 2 and 3) defends.
std::unique_ptr<TestMatch> defenceSetUp(Vector3 at) {
    auto s = newMatch({.localIndex = 0});
    s->humanMask = 0b0011;
    placePlayer(s->players[0], at, PI);
    placePlayer(s->players[1], {-5, 0, 5}, PI);
    placePlayer(s->players[2], {0, 0, 3}, 0);
    placePlayer(s->players[3], {-4, 0, 3}, 0);
    giveBall(*s, 0);
    s->players[2].matchup = 0;
    s->players[3].matchup = 1;
    for (Player& p : s->players) p.homeSpot = p.pos;
    return s;
}

void runSeconds(MatchState& s, float seconds) {
    const PlayerInput idle[4] = {};
    for (int i = 0; i < (int)(seconds * 120); ++i) stepMatch(s, kDt, idle);
}

const Player& markerOf(const MatchState& s, int attacker) {
    for (const Player& p : s.players)
        if (p.team != s.players[attacker].team && p.matchup == attacker) return p;
    return s.players[attacker];
}

// Cosine between (defender - attacker) and (hoop - attacker).
float betweenness(const Player& d, const Player& a) {
    return flatDot(flatUnit(Vector3Subtract(d.pos, a.pos)), flatUnit(Vector3Negate(a.pos)));
}

TEST(AiDefence, OnBallDefenderStaysBetweenHisManAndTheHoopAndTheHelperSags) {
    auto s = defenceSetUp({3, 0, 8.5f});
    runSeconds(*s, 3.0f);
    const Player& h = s->players[0];
    const Player& d = markerOf(*s, 0);
    ASSERT_NE(d.index, 0);
    EXPECT_GT(betweenness(d, h), 0.97f);
    // Beyond 8.6 m from the hoop he gives the handler a 2 m cushion.
    EXPECT_NEAR(flatDistance(d.pos, h.pos), 2.0f, 0.35f);
    EXPECT_TRUE(d.stance);
    EXPECT_GT(d.stanceTime, 0.0f);
    EXPECT_TRUE(d.faceTarget);
    // The helper sags toward the hoop, on a leash to his man.
    const Player& helper = markerOf(*s, 1);
    const Player& man = s->players[1];
    ASSERT_NE(helper.index, d.index);
    EXPECT_LE(flatDistance(helper.pos, man.pos), 2.2f + 0.2f);
    EXPECT_LT(flatLength(helper.pos), flatLength(man.pos));

    // The handler moves to the other wing: his marker after the re-pairing recovers.
    placePlayer(s->players[0], {-6, 0, 7}, PI);
    s->ball.holder = 0;
    runSeconds(*s, 3.0f);
    const Player& d2 = markerOf(*s, 0);
    EXPECT_GT(betweenness(d2, s->players[0]), 0.97f);
    EXPECT_NEAR(flatDistance(d2.pos, s->players[0].pos), 2.0f, 0.35f);
}

TEST(AiReaction, ALeftOverTimerNeverMakesTheHandlerJumpAtHimself) {
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        auto s = newMatch({.localIndex = -1, .seed = trialSeed(seed)});
        placePlayer(s->players[0], {0, 0, 8}, PI);
        giveBall(*s, 0);
        Player& h = s->players[0];
        h.reactionTimer = kDt / 2;
        h.aiTimer = 1;
        aiThink(*s, h, kDt);
        ASSERT_EQ(h.action, ACT_MOVE);
        EXPECT_EQ(h.reactionTimer, -1.0f);
    }
}

TEST(AiDefence, GuardSpotOnTheHoopAxisAndCoverageScoreAroundTheHandler) {
    auto s = newMatch({.localIndex = -1});
    Player& h = s->players[0];
    placePlayer(h, {0, 0, 8}, PI);
    giveBall(*s, 0);
    placePlayer(s->players[1], {0, 0, 0}, PI);
    const Vector3 axis = guardSpot(*s, s->players[1]);
    EXPECT_TRUE(std::isfinite(axis.x) && std::isfinite(axis.z));
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 6}, h), 1.0f);
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 10}, h), 0.0f);
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 8.01f}, h), 0.6f); // no direction: the fallback
}

// A miss off the rim at `ball` with velocity `vel`; player 0 at p0, the others away.
std::unique_ptr<TestMatch> reboundSetUp(Vector3 ball, Vector3 vel, Vector3 p0) {
    auto s = newMatch({.localIndex = -1, .seed = trialSeed(1)});
    placePlayer(s->players[0], p0, PI);
    placePlayer(s->players[1], {-4, 0, 8}, PI);
    placePlayer(s->players[2], {6, 0, 11}, PI);
    placePlayer(s->players[3], {-6, 0, 11}, PI);
    giveBall(*s, 0);
    s->players[0].hasBall = 0;
    BallState& b = s->ball;
    b.phase = BALL_SHOT;
    b.holder = -1;
    b.shooter = 0;
    b.rimTouched = 1;
    b.flightTime = 1.2f;
    b.pos = ball;
    b.vel = vel;
    return s;
}

Vector3 wishToward(const Player& p, Vector3 target) { return flatUnit(Vector3Subtract(target, p.pos)); }

TEST(AiLooseBall, EveryoneChasesABallRollingLoose) {
    auto s = reboundSetUp({3, 0.12f, 4}, {1, 0, 0}, {2, 0, 2.5f});
    s->ball.phase = BALL_LOOSE;
    for (Player& p : s->players) aiThink(*s, p, kDt);
    for (const Player& p : s->players)
        EXPECT_GT(flatDot(flatUnit(p.moveWish), wishToward(p, s->ball.pos)), 0.999f) << p.index;
}

// A rebound jump is decided by one draw: no draw, no jump.
bool drawsForARebound(Vector3 ball, Vector3 vel, bool rimTouched) {
    auto s = reboundSetUp(ball, vel, {0.8f, 0, 1.8f});
    s->ball.rimTouched = rimTouched;
    s->ball.flightTime = 1.0f;
    const uint32_t rng = s->rng;
    aiThink(*s, s->players[0], kDt);
    return s->rng != rng;
}

TEST(AiLooseBall, NoReboundJumpForARisingBallOrOneOutOfReach) {
    EXPECT_TRUE(drawsForARebound({0.5f, 2.6f, 1.5f}, {0, -2, 0}, false)); // falling, in reach
    EXPECT_FALSE(drawsForARebound({0.5f, 2.6f, 1.5f}, {0, 0.5f, 0}, false)); // rising, no rim yet
    EXPECT_FALSE(drawsForARebound({0.5f, 2.6f, 1.5f}, {0, 2, 0}, true));    // off the rim, still rising fast
    EXPECT_FALSE(drawsForARebound({0.5f, 4.0f, 1.5f}, {0, -2, 0}, true));   // above his reach
    EXPECT_FALSE(drawsForARebound({0.5f, 1.9f, 1.5f}, {0, -2, 0}, true));   // below 2 m
    EXPECT_FALSE(drawsForARebound({0.5f, 2.6f, 3.2f}, {0, -2, 0}, true));   // beyond 1.2 m
}

TEST(AiPhases, PlayersInAnActionAreLeftAlone) {
    auto s = newMatch({.localIndex = -1});
    placePlayer(s->players[0], {0, 0, 6}, PI);
    giveBall(*s, 0);
    Player& p = s->players[2];
    p.action = ACT_LANDING;
    p.moveWish = {0.3f, 0, 0};
    p.stance = 1;
    p.reactionTimer = 0.001f;
    aiThink(*s, p, kDt);
    EXPECT_EQ(p.moveWish.x, 0.3f);
    EXPECT_TRUE(p.stance);
    EXPECT_EQ(p.reactionTimer, 0.001f);
}

// Player 0 shoots at (0, 6); player 2 (a person) faces him from `at`.
std::unique_ptr<TestMatch> shotSetUp(Vector3 at) {
    auto s = newMatch({.localIndex = 2});
    for (Player& p : s->players) placePlayer(p, {-6.0f + p.index, 0, 11}, 0);
    placePlayer(s->players[0], {0, 0, 6}, PI);
    giveBall(*s, 0);
    placePlayer(s->players[2], at, yawToward(at, {0, 0, 6}));
    s->players[0].action = ACT_JUMP_SHOT;
    return s;
}

TEST(AiAwareness, NoContestTurnedAwayOutOfReachAirborneDeadOrFromATeammate) {
    auto facing = shotSetUp({0, 0, 4});
    aiAwareness(*facing, kDt);
    EXPECT_GT(facing->players[2].contest, 0.0f);
    for (auto set : {+[](MatchState& m) { m.players[2].yaw += PI; },
                     +[](MatchState& m) { placePlayer(m.players[2], {0, 0, 3.3f}, 0); },
                     +[](MatchState& m) { m.players[2].airborne = 1; },
                     +[](MatchState& m) { m.phase = PHASE_DEAD_BALL; }}) {
        auto t = shotSetUp({0, 0, 4});
        set(*t);
        aiAwareness(*t, kDt);
        EXPECT_EQ(t->players[2].contest, 0.0f);
    }
    auto mate = shotSetUp({0, 0, 4});
    placePlayer(mate->players[1], {0, 0, 4}, 0);
    aiAwareness(*mate, kDt);
    EXPECT_EQ(mate->players[1].contest, 0.0f);
}

TEST(AiAwareness, AShotJustReleasedIsStillContested) {
    auto s = shotSetUp({0, 0, 4});
    s->players[0].action = ACT_LANDING;
    s->players[0].hasBall = 0;
    s->ball.phase = BALL_SHOT;
    s->ball.holder = -1;
    s->ball.shooter = 0;
    s->ball.flightTime = 0.3f;
    aiAwareness(*s, kDt);
    EXPECT_GT(s->players[2].contest, 0.0f);
    s->players[2].contest = 0;
    s->ball.flightTime = 0.4f;
    aiAwareness(*s, kDt);
    EXPECT_EQ(s->players[2].contest, 0.0f);
}

TEST(AiAwareness, BoxingOutDuringAReboundWatchNearTheHoop) {
    auto s = shotSetUp({1, 0, 3});
    s->players[0].action = ACT_MOVE;
    s->ball.phase = BALL_SHOT;
    s->ball.holder = -1;
    s->ball.flightTime = 0.5f;
    placePlayer(s->players[3], {1.2f, 0, 4.0f}, 0); // just behind player 2
    aiAwareness(*s, kDt);
    EXPECT_TRUE(s->players[2].boxingOut);
    EXPECT_FALSE(s->players[3].boxingOut);
    // Not early in the flight, not on a dunk, not far from the hoop.
    s->ball.flightTime = 0.1f;
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
    s->ball.flightTime = 0.5f;
    s->ball.dunk = 1;
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
    s->ball.dunk = 0;
    aiAwareness(*s, kDt); // back on: only the distance changes below
    EXPECT_TRUE(s->players[2].boxingOut);
    placePlayer(s->players[2], {1, 0, 5.6f}, 0);
    placePlayer(s->players[3], {1, 0, 6.6f}, 0);
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
}

} // namespace
