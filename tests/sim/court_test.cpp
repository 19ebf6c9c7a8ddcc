// Match randomness, court queries, matchups, check-ball set-up and the
// full-court mirror.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim_fixture.h"

namespace {

// Inverse of x ^= x << k (left) or x ^= x >> k, to find the state before a given one.
uint32_t undo(uint32_t y, int k, bool left) {
    uint32_t x = y;
    for (int i = 0; i < 32; ++i) x = y ^ (left ? x << k : x >> k);
    return x;
}

TEST(Court, XorshiftEndsAndThreePointSpots) {
    MatchState s;
    s.rng = 1; // 1 -> 8193 -> 8193 -> 270369
    EXPECT_EQ(matchRandomInt(s), 270369u >> 1);
    s.rng = undo(undo(undo(0xFFFFFFFFu, 5, true), 17, false), 13, true);
    EXPECT_EQ(matchRandomFloat(s), 1.0f); // the largest state gives exactly 1.0
    EXPECT_TRUE(isThreePointSpot({6.72f, 0, 2.71f}));
    EXPECT_FALSE(isThreePointSpot({0, 0, 7.24f}));
    EXPECT_FALSE(isThreePointSpot({6.70f, 0, 2.72f})); // z = 2.72 is judged by the arc
    EXPECT_FLOAT_EQ(shotDistanceBase(45), 0.005f);      // past the table's end
}

TEST(Court, MatchupsSwitchOnlyPastTheMarginAndAPersonTakesTheNearer) {
    auto s = newMatch({.localIndex = -1});
    Player* P = s->players;
    placePlayer(P[0], {-3, 0, 6}, 0);
    placePlayer(P[1], {3, 0, 6}, 0);
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

TEST(Court, FlipMirrorsAndTwiceRestores) {
    auto s = newMatch({.fullCourt = true});
    Player& p = s->players[1];
    p.pos = {2, 0, 5};
    p.yaw = 0.5f;
    flipCourt(*s);
    EXPECT_FLOAT_EQ(p.pos.z, kFarHoopZ - 5);
    EXPECT_NEAR(p.skeleton.joints[0].m12, -2, 1e-5f); // re-posed where he stands
    EXPECT_FLOAT_EQ(s->hoops.courtMatrix.m14, kFarHoopZ);
    flipCourt(*s);
    EXPECT_NEAR(p.pos.z, 5, 1e-5f);
    EXPECT_NEAR(p.yaw, 0.5f, 1e-5f);
    resetPossession(*s, 1); // a possession for the other side flips once, and only once
    EXPECT_TRUE(s->flipped);
    resetPossession(*s, 1);
    EXPECT_TRUE(s->flipped);
}

} // namespace
