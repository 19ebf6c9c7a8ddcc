// Match randomness, court queries, matchups, check-ball set-up and the
// full-court mirror.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "render/arena.h"
#include "sim/court.h"
#include "sim_fixture.h"

namespace {

float distance(Vector3 a, Vector3 b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

// Inverse of x ^= x << k and x ^= x >> k, to find the state before a given one.
uint32_t undoLeft(uint32_t y, int k) {
    uint32_t x = y;
    for (int i = 0; i < 32; ++i) x = y ^ (x << k);
    return x;
}
uint32_t undoRight(uint32_t y, int k) {
    uint32_t x = y;
    for (int i = 0; i < 32; ++i) x = y ^ (x >> k);
    return x;
}

TEST(MatchRandom, XorshiftStepsAndTheirRanges) {
    MatchState s;
    s.rng = 1;
    // 1 -> 8193 -> 8193 -> 270369
    EXPECT_EQ(matchRandomInt(s), 270369u >> 1);
    EXPECT_EQ(s.rng, 270369u);
    s.rng = 1;
    EXPECT_EQ(matchRandomFloat(s), (float)(270369u >> 8) / 16777215.0f);

    // The largest state gives exactly 1.0, so "draw < p" fails for p = 0 and a
    // chance of 1 can fail.
    s.rng = undoLeft(undoRight(undoLeft(0xFFFFFFFFu, 5), 17), 13);
    EXPECT_EQ(matchRandomFloat(s), 1.0f);
    EXPECT_EQ(s.rng, 0xFFFFFFFFu);

    s.rng = 12345;
    for (int i = 0; i < 10000; ++i) {
        const float r = matchRandomFloat(s);
        ASSERT_GE(r, 0.0f);
        ASSERT_LE(r, 1.0f);
        ASSERT_NE(s.rng, 0u);
    }
}

TEST(CourtQueries, ThreePointSpotAndDistanceTable) {
    EXPECT_TRUE(isThreePointSpot({6.72f, 0, 2.71f}));
    EXPECT_FALSE(isThreePointSpot({6.70f, 0, 2.71f}));
    EXPECT_FALSE(isThreePointSpot({0, 0, 7.24f}));
    EXPECT_TRUE(isThreePointSpot({0, 0, 7.25f}));
    // z = 2.72 falls to the arc: 6.70 across lies 7.233 m out.
    EXPECT_FALSE(isThreePointSpot({6.70f, 0, 2.72f}));
    EXPECT_TRUE(isThreePointSpot({6.72f, 0, 2.72f}));

    EXPECT_FLOAT_EQ(shotDistanceBase(0), 0.85f);
    EXPECT_FLOAT_EQ(shotDistanceBase(1.2f), 0.8f);
    EXPECT_FLOAT_EQ(shotDistanceBase(1.85f), 0.71f);
    EXPECT_FLOAT_EQ(shotDistanceBase(28), 0.0125f);
    EXPECT_FLOAT_EQ(shotDistanceBase(40), 0.005f);
    EXPECT_FLOAT_EQ(shotDistanceBase(45), 0.005f);
}

TEST(CourtQueries, ContestFromADefenderInFrontAndBetween) {
    auto s = newMatch();
    for (Player& p : s->players) placePlayer(p, {-20, 0, 20 + p.index * 2.0f}, 0);
    Player& shooter = s->players[0];
    Player& d = s->players[2];
    placePlayer(shooter, {0, 0, 6}, PI);
    placePlayer(d, {0, 0, 5}, 0); // one metre toward the hoop, facing the shooter
    const float heights = std::fmax(0.85f, std::fmin(1.15f, playerHeight(d) / playerHeight(shooter)));
    // proximity 0.8, facing 1.0, between the shot and the hoop x 1.15.
    EXPECT_NEAR(contestFactor(*s, shooter, shooter.pos), 0.8f * 1.15f * heights, 1e-5f);
    d.stance = 1;
    d.contest = 0.5f;
    EXPECT_NEAR(contestFactor(*s, shooter, shooter.pos), std::fmin(0.8f * 1.15f * 1.08f * 1.11f * heights, 1.0f),
                1e-5f);
    d.airborne = 1;
    EXPECT_EQ(contestFactor(*s, shooter, shooter.pos), 1.0f);

    // Behind the shooter with his back turned: facing term 0.55, not between.
    placePlayer(d, {0, 0, 7}, 0);
    d.contest = 0;
    EXPECT_NEAR(contestFactor(*s, shooter, shooter.pos), 0.8f * 0.55f * heights, 1e-5f);
    d.action = ACT_STUMBLE;
    EXPECT_EQ(contestFactor(*s, shooter, shooter.pos), 0.0f);
    placePlayer(d, {0, 0, 8.7f}, PI);
    EXPECT_EQ(contestFactor(*s, shooter, shooter.pos), 0.0f);
    // A defender standing on the point does not produce NaN.
    placePlayer(d, shooter.pos, 0);
    EXPECT_FALSE(std::isnan(contestFactor(*s, shooter, shooter.pos)));
}

TEST(CourtQueries, ShotQualityNearestAndPassingLanes) {
    auto s = newMatch();
    for (Player& p : s->players) placePlayer(p, {-7, 0, 12 - p.index * 0.1f}, 0);
    Player& shooter = s->players[0];
    placePlayer(shooter, {0, 0, 8}, PI);
    const float base = shotDistanceBase(8);
    EXPECT_NEAR(shotQuality(*s, shooter, shooter.pos), base * (0.5f * shooter.ratings[RATING_THREE] + 0.68f), 1e-6f);
    EXPECT_NEAR(nearestOtherDistance(*s, shooter), std::sqrt(49.0f + 3.7f * 3.7f), 1e-4f);

    placePlayer(s->players[2], {0, 0, 4}, 0);
    EXPECT_FALSE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 0, 0.5f));
    EXPECT_TRUE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 1, 0.5f)); // own player
    placePlayer(s->players[2], {0.6f, 0, 4}, 0);
    EXPECT_TRUE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 0, 0.5f));
    placePlayer(s->players[2], {0, 0, 0.2f}, 0); // at the receiver's end
    EXPECT_TRUE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 0}, 0, 0.5f));
    EXPECT_TRUE(isPassLaneOpen(*s, {0, 0, 8}, {0, 0, 8.005f}, 0, 5.0f));
}

TEST(Matchups, SwitchOnlyPastTheMarginAndHumansTakeTheNearer) {
    auto s = newMatch({.localIndex = -1});
    s->offense = 0;
    Player* P = s->players;
    placePlayer(P[0], {-3, 0, 6}, 0);
    placePlayer(P[1], {3, 0, 6}, 0);
    P[2].matchup = 0;
    P[3].matchup = 1;
    // Crossed over by 1.5 m per pair: straight sum 2 x 5.02, cross 2 x 1.0.
    placePlayer(P[2], {2.0f, 0, 6}, 0);
    placePlayer(P[3], {-2.0f, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[2].matchup, 1);
    EXPECT_EQ(P[3].matchup, 0);
    // Now the straight pairing is better by less than 1.8 m: no switch back.
    placePlayer(P[2], {-0.3f, 0, 6}, 0);
    placePlayer(P[3], {0.3f, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[2].matchup, 1);

    // One human defender takes the nearer attacker; a tie goes to slot 1.
    s->humanMask = 1u << 3;
    placePlayer(P[3], {-2.5f, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[3].matchup, 0);
    EXPECT_EQ(P[2].matchup, 1);
    placePlayer(P[3], {0, 0, 6}, 0);
    assignMatchups(*s);
    EXPECT_EQ(P[3].matchup, 1);
    EXPECT_EQ(P[2].matchup, 0);
}

TEST(CheckBall, HandlerCheckerAndSpots) {
    auto s = newMatch({.localIndex = -1});
    Player* P = s->players;
    // Team 0: Nova handles 0.92 against Volt 0.66.
    P[1].pos.x = -2;
    int handler = -1, checker = -1;
    placeCheckBall(*s, 0, &handler, &checker);
    EXPECT_EQ(handler, 0);
    EXPECT_EQ(checker, 2);
    EXPECT_EQ(P[0].checkSpot.z, 8.7f);
    EXPECT_EQ(P[1].checkSpot.x, -5.4f); // the partner stands at x < 0
    EXPECT_EQ(P[2].checkSpot.z, 7.5f);
    EXPECT_EQ(P[3].checkSpot.x, -4.5f);
    EXPECT_EQ(P[3].matchup, 1);

    // A person on the side handles; his same-slot defender checks.
    s->humanMask = 1u << 1;
    placeCheckBall(*s, 0, &handler, &checker);
    EXPECT_EQ(handler, 1);
    EXPECT_EQ(checker, 3);

    // Absent same-slot defender: the other one checks and the absent one gets the other spot.
    s->humanMask = 0;
    P[2].present = 0;
    placeCheckBall(*s, 0, &handler, &checker);
    EXPECT_EQ(handler, 0);
    EXPECT_EQ(checker, 3);
    EXPECT_EQ(P[2].checkSpot.z, 3.3f);

    // No slot 1 on the attacking side: slot 0 handles even with the lower rating (Rico 0.95 > Tank 0.5).
    P[2].present = 1;
    P[3].present = 0;
    P[2].ratings[RATING_HANDLES] = 0.1f;
    placeCheckBall(*s, 1, &handler, &checker);
    EXPECT_EQ(handler, 2);
}

TEST(CheckBall, ResetPossessionHandsTheBallToTheChecker) {
    auto s = newMatch({.localIndex = -1});
    const uint32_t rng = s->rng;
    resetPossession(*s, 1);
    EXPECT_EQ(s->phase, PHASE_CHECK_BALL);
    EXPECT_EQ(s->offense, 1);
    EXPECT_EQ(s->checkHandler, 2); // Rico handles better than Tank
    EXPECT_EQ(s->checker, 0);
    EXPECT_EQ(s->ball.holder, 0);
    EXPECT_EQ(s->ball.phase, BALL_HELD);
    EXPECT_EQ(s->ball.possessionTeam, 0);
    EXPECT_TRUE(s->players[0].hasBall);
    EXPECT_FLOAT_EQ(s->ball.pos.y, 1.2f);
    EXPECT_NE(s->rng, rng); // players far from their spots were moved with jitter
    for (const Player& p : s->players) {
        EXPECT_LE(distance(p.pos, p.checkSpot), 2.5f);
        EXPECT_EQ(p.homeSpot.x, p.pos.x);
        EXPECT_EQ(p.reactionTimer, -1.0f);
    }
    // Same seed, same set-up.
    auto t = newMatch({.localIndex = -1});
    resetPossession(*t, 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t->players[i].pos.x, s->players[i].pos.x);
}

TEST(FullCourt, FlipMirrorsEverythingAndTwiceRestoresIt) {
    auto s = newMatch({.fullCourt = true});
    Player& p = s->players[1];
    p.pos = {2, 0, 5};
    p.vel = {1, 0, -3};
    p.yaw = 0.5f;
    s->ball.pos = {1, 2, 3};
    s->ball.spin = {1, 2, 3};
    s->eyeYaw = PI;
    postWorldCallout(*s, "X", {255, 255, 255, 255}, {1, 1, 1}, 20);

    flipCourt(*s);
    EXPECT_TRUE(s->flipped);
    EXPECT_FLOAT_EQ(p.pos.x, -2);
    EXPECT_FLOAT_EQ(p.pos.z, kFarHoopZ - 5);
    EXPECT_FLOAT_EQ(p.vel.z, 3);
    EXPECT_NEAR(p.yaw, 0.5f - PI, 1e-6f);
    EXPECT_FLOAT_EQ(s->ball.spin.x, -1);
    EXPECT_FLOAT_EQ(s->ball.spin.y, 2);
    EXPECT_FLOAT_EQ(s->callouts[0].worldPos.z, kFarHoopZ - 1);
    EXPECT_FLOAT_EQ(arena.courtMatrix.m14, kFarHoopZ);
    // The skeleton follows the player.
    EXPECT_NEAR(p.skeleton.joints[0].m12, -2, 1e-5f);

    flipCourt(*s);
    EXPECT_FALSE(s->flipped);
    EXPECT_NEAR(p.pos.z, 5, 1e-5f);
    EXPECT_NEAR(p.yaw, 0.5f, 1e-5f);
    EXPECT_NEAR(std::fabs(s->ball.spinRot.w), 1.0f, 1e-6f) << "two half turns";
    EXPECT_EQ(arena.courtMatrix.m14, 0.0f);

    // In full court a new possession for the other side flips once.
    resetPossession(*s, 1);
    EXPECT_TRUE(s->flipped);
    EXPECT_NEAR(s->players[s->checkHandler].pos.z, 22.96f + 0.7f, 0.31f);
    resetPossession(*s, 1);
    EXPECT_TRUE(s->flipped);
}

} // namespace
