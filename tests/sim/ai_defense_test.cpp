// The CPU without the ball: the on-ball defender and the helper, a reaction
// timer left over from defending, and boxing out during a rebound watch.
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
    s->ball.flightTime = 0.1f; // not early in the flight
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
}

} // namespace
