// Match randomness, court queries, matchups, check-ball set-up and the
// full-court mirror.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "render/arena.h"
#include "sim/court.h"
#include "sim_fixture.h"

namespace {

// Inverse of x ^= x << k (left) or x ^= x >> k, to find the state before a given one.
uint32_t undo(uint32_t y, int k, bool left) {
    uint32_t x = y;
    for (int i = 0; i < 32; ++i) x = y ^ (left ? x << k : x >> k);
    return x;
}

TEST(MatchRandom, XorshiftStepsAndTheirEnds) {
    MatchState s;
    s.rng = 1; // 1 -> 8193 -> 8193 -> 270369
    EXPECT_EQ(matchRandomInt(s), 270369u >> 1);
    s.rng = 1;
    EXPECT_EQ(matchRandomFloat(s), (float)(270369u >> 8) / 16777215.0f);
    // The largest state gives exactly 1.0.
    s.rng = undo(undo(undo(0xFFFFFFFFu, 5, true), 17, false), 13, true);
    EXPECT_EQ(matchRandomFloat(s), 1.0f);
}

TEST(CourtQueries, ThreePointSpotAndDistanceTable) {
    EXPECT_TRUE(isThreePointSpot({6.72f, 0, 2.71f}));
    EXPECT_FALSE(isThreePointSpot({0, 0, 7.24f}));
    EXPECT_FALSE(isThreePointSpot({6.70f, 0, 2.72f})); // z = 2.72 is judged by the arc
    EXPECT_FLOAT_EQ(shotDistanceBase(1.2f), 0.8f);
    EXPECT_FLOAT_EQ(shotDistanceBase(1.85f), 0.71f);
    EXPECT_FLOAT_EQ(shotDistanceBase(45), 0.005f);
}

TEST(CourtQueries, ContestAndPassingLanes) {
    auto s = newMatch();
    for (Player& p : s->players) placePlayer(p, {-7, 0, 12 - p.index * 0.5f}, 0);
    Player& shooter = s->players[0];
    Player& d = s->players[2];
    placePlayer(shooter, {0, 0, 6}, PI);
    const float heights = std::fmax(0.85f, std::fmin(1.15f, playerHeight(d) / playerHeight(shooter)));
    // One metre toward the hoop facing him: proximity 0.8, facing 1, between x 1.15.
    placePlayer(d, {0, 0, 5}, 0);
    EXPECT_NEAR(contestFactor(*s, shooter, shooter.pos), 0.8f * 1.15f * heights, 1e-5f);
    // Behind him with his back turned: facing term 0.55, not between.
    placePlayer(d, {0, 0, 7}, 0);
    EXPECT_NEAR(contestFactor(*s, shooter, shooter.pos), 0.8f * 0.55f * heights, 1e-5f);
    d.action = ACT_STUMBLE;
    EXPECT_EQ(contestFactor(*s, shooter, shooter.pos), 0.0f);

    placePlayer(shooter, {-5, 0, 9}, PI);
    placePlayer(d, {0, 0, 4}, 0);
    EXPECT_FALSE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 0, 0.5f));
    EXPECT_TRUE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 1, 0.5f)); // his own side
    placePlayer(d, {0, 0, 0.2f}, 0); // within 0.3 m of the receiver
    EXPECT_TRUE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 0, 0.5f));
}

TEST(Matchups, SwitchOnlyPastTheMarginAndAPersonTakesTheNearer) {
    auto s = newMatch({.localIndex = -1});
    Player* P = s->players;
    placePlayer(P[0], {-3, 0, 6}, 0);
    placePlayer(P[1], {3, 0, 6}, 0);
    P[2].matchup = 0;
    placePlayer(P[2], {2.0f, 0, 6}, 0); // crossed over: straight 10 m, cross 2 m
    placePlayer(P[3], {-2.0f, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[2].matchup, 1);
    placePlayer(P[2], {-0.3f, 0, 6}, 0); // straight now better by 1.2 m only
    placePlayer(P[3], {0.3f, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[2].matchup, 1);
    s->humanMask = 1u << 3; // a person defends: nearer attacker, slot 1 on a tie
    placePlayer(P[3], {0, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[3].matchup, 1);
    EXPECT_EQ(P[2].matchup, 0);
}

TEST(CheckBall, HandlerCheckerAndSpots) {
    auto s = newMatch({.localIndex = -1});
    Player* P = s->players;
    P[1].pos.x = -2; // the partner's side sets the sign of the side spots
    int handler = -1, checker = -1;
    placeCheckBall(*s, 0, &handler, &checker);
    EXPECT_EQ(handler, 0); // Nova handles better than Volt
    EXPECT_EQ(checker, 2);
    EXPECT_EQ(P[1].checkSpot.x, -5.4f);
    EXPECT_EQ(P[3].checkSpot.x, -4.5f);
    s->humanMask = 1u << 1; // a person on the side handles
    placeCheckBall(*s, 0, &handler, &checker);
    EXPECT_EQ(handler, 1);
    EXPECT_EQ(checker, 3);
    s->humanMask = 0;
    P[2].present = 0; // his defender is away: the other one checks
    placeCheckBall(*s, 0, &handler, &checker);
    EXPECT_EQ(checker, 3);
    EXPECT_EQ(P[2].checkSpot.z, 3.3f);

    P[2].present = 1;
    resetPossession(*s, 1);
    EXPECT_EQ(s->ball.possessionTeam, 0); // the checker's side holds it
    for (const Player& p : s->players) EXPECT_LE(std::hypot(p.pos.x - p.checkSpot.x, p.pos.z - p.checkSpot.z), 2.5f);
}

TEST(FullCourt, FlipMirrorsEverythingAndTwiceRestoresIt) {
    auto s = newMatch({.fullCourt = true});
    Player& p = s->players[1];
    p.pos = {2, 0, 5};
    p.vel = {1, 0, -3};
    p.yaw = 0.5f;
    s->ball.spin = {1, 2, 3};
    flipCourt(*s);
    EXPECT_FLOAT_EQ(p.pos.x, -2);
    EXPECT_FLOAT_EQ(p.pos.z, kFarHoopZ - 5);
    EXPECT_FLOAT_EQ(p.vel.z, 3);
    EXPECT_NEAR(p.yaw, 0.5f - PI, 1e-6f);
    EXPECT_FLOAT_EQ(s->ball.spin.x, -1);
    EXPECT_NEAR(p.skeleton.joints[0].m12, -2, 1e-5f); // re-posed where he stands
    EXPECT_FLOAT_EQ(arena.courtMatrix.m14, kFarHoopZ);
    flipCourt(*s);
    EXPECT_NEAR(p.pos.z, 5, 1e-5f);
    EXPECT_NEAR(p.yaw, 0.5f, 1e-5f);
    EXPECT_EQ(arena.courtMatrix.m14, 0.0f);
    // A possession for the other side flips once, and only once.
    resetPossession(*s, 1);
    EXPECT_TRUE(s->flipped);
    resetPossession(*s, 1);
    EXPECT_TRUE(s->flipped);
}

} // namespace
