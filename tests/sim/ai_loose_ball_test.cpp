// The CPU around a free ball (box-out spots, the chase by the nearer player,
// rebound jumps) and outside live play (the opening, check ball, dead ball).
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai.h"
#include "sim/court.h"
#include "sim/sim_math.h"
#include "ai_test_support.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// A missed shot coming off the rim at `ball` with velocity `vel`; team 0 at
// the given spots, team 1 far away.
std::unique_ptr<MatchState> reboundSetUp(Vector3 ball, Vector3 vel, Vector3 p0, Vector3 p1, uint32_t seed = 1) {
    auto s = newMatch({.localIndex = -1, .seed = trialSeed(seed)});
    placePlayer(s->players[0], p0, PI);
    placePlayer(s->players[1], p1, PI);
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

TEST(AiLooseBall, TheNearerTeammateChasesTheLandingPointTheOtherHoldsBack) {
    auto s = reboundSetUp({1, 3.5f, 1}, {0.5f, -1, 0.5f}, {2, 0, 2.5f}, {-4, 0, 8});
    for (Player& p : s->players) aiThink(*s, p, kDt);
    // Landing: where the ball falls through 1.7 m.
    const float t = (-1 + std::sqrt(1 + 19.62f * (3.5f - 1.7f))) / 9.81f;
    const Vector3 landing = {1 + 0.5f * t, 0, 1 + 0.5f * t};
    const Player& chaser = s->players[0];
    EXPECT_GT(flatDot(flatUnit(chaser.moveWish), wishToward(chaser, landing)), 0.999f);
    EXPECT_TRUE(chaser.faceTarget);
    const Player& back = s->players[1];
    const Vector3 hold = {-2 + 0.4f * (landing.x + 2), 0, 5.5f + 0.4f * (landing.z - 5.5f)};
    EXPECT_GT(flatDot(flatUnit(back.moveWish), wishToward(back, hold)), 0.999f);
    EXPECT_FALSE(back.sprintWanted);
    // The defenders split the same way: player 2 (nearer) goes, player 3 holds.
    EXPECT_GT(flatDot(flatUnit(s->players[2].moveWish), wishToward(s->players[2], landing)), 0.999f);
    EXPECT_LT(flatDot(flatUnit(s->players[3].moveWish), wishToward(s->players[3], landing)), 0.999f);
}

TEST(AiLooseBall, EveryoneChasesABallRollingLoose) {
    auto s = reboundSetUp({3, 0.12f, 4}, {1, 0, 0}, {2, 0, 2.5f}, {-4, 0, 8});
    s->ball.phase = BALL_LOOSE;
    for (Player& p : s->players) aiThink(*s, p, kDt);
    for (const Player& p : s->players)
        EXPECT_GT(flatDot(flatUnit(p.moveWish), wishToward(p, s->ball.pos)), 0.999f) << p.index;
}

TEST(AiLooseBall, WhileTheShotIsYoungPlayersGoToTheirBoxOutSpots) {
    auto s = reboundSetUp({0, 4, 5}, {0, 2, -6}, {3, 0, 6}, {-3, 0, 6});
    s->ball.rimTouched = 0;
    s->ball.flightTime = 0.3f;
    for (Player& p : s->players) aiThink(*s, p, kDt);
    // Both go: each one's spot lies on his own side of the rim.
    for (int i = 0; i < 2; ++i) {
        const Player& p = s->players[i];
        const Vector3 box = Vector3Scale(flatUnit(p.pos), 1.8f);
        EXPECT_GT(flatDot(flatUnit(p.moveWish), wishToward(p, box)), 0.999f) << i;
    }
    // From behind the baseline the spot stays in front of it.
    placePlayer(s->players[0], {1, 0, -1.4f}, 0);
    aiThink(*s, s->players[0], kDt);
    const Vector3 spot = {1.8f / std::sqrt(1 + 1.96f), 0, -0.6f};
    EXPECT_GT(flatDot(flatUnit(s->players[0].moveWish), wishToward(s->players[0], spot)), 0.999f);
}

TEST(AiLooseBall, JumpsForAFallingBallOverHisHeadAQuarterOfTheTime) {
    int jumps = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        auto s = reboundSetUp({0.5f, 2.6f, 1.5f}, {0, -2, 0}, {0.8f, 0, 1.8f}, {-4, 0, 8}, seed);
        Player& p = s->players[0];
        aiThink(*s, p, kDt);
        if (p.action == ACT_AIRBORNE) {
            ++jumps;
            EXPECT_TRUE(p.blockJump);
        }
    }
    EXPECT_NEAR(jumps / 400.0f, 0.25f, 0.06f);
    // Not for a ball still rising, nor one out of his reach.
    auto rising = reboundSetUp({0.5f, 2.6f, 1.5f}, {0, 2, 0}, {0.8f, 0, 1.8f}, {-4, 0, 8});
    rising->ball.rimTouched = 0;
    rising->ball.flightTime = 1.0f;
    const uint32_t rng = rising->rng;
    aiThink(*rising, rising->players[0], kDt);
    EXPECT_EQ(rising->rng, rng);
    auto high = reboundSetUp({0.5f, 4.0f, 1.5f}, {0, -2, 0}, {0.8f, 0, 1.8f}, {-4, 0, 8});
    aiThink(*high, high->players[0], kDt);
    EXPECT_EQ(high->players[0].action, ACT_MOVE);
}

TEST(AiPhases, OpeningCheckBallAndDeadBall) {
    auto s = newMatch({.localIndex = -1});
    Player& p = s->players[1];
    p.moveWish = {1, 0, 0};
    aiThink(*s, p, kDt); // the opening: stand and face the hoop
    EXPECT_EQ(p.moveWish.x, 0.0f);
    EXPECT_TRUE(p.faceTarget);
    EXPECT_EQ(p.facePoint.z, 0.0f);

    resetPossession(*s, 0);
    placePlayer(p, {p.checkSpot.x - 4, 0, p.checkSpot.z}, 0);
    p.energy = 1;
    aiThink(*s, p, kDt);
    EXPECT_GT(p.moveWish.x, 0.999f); // to his check spot, walking
    EXPECT_FALSE(p.sprintWanted);
    EXPECT_FALSE(p.faceTarget); // only near the spot
    placePlayer(p, {p.checkSpot.x, 0, p.checkSpot.z + 1}, 0);
    aiThink(*s, p, kDt);
    EXPECT_TRUE(p.faceTarget);
    // The handler looks at the checker, the checker at the handler.
    Player& handler = s->players[s->checkHandler];
    Player& checker = s->players[s->checker];
    placePlayer(handler, handler.checkSpot, 0);
    placePlayer(checker, checker.checkSpot, 0);
    aiThink(*s, handler, kDt);
    aiThink(*s, checker, kDt);
    EXPECT_EQ(handler.facePoint.z, checker.pos.z);
    EXPECT_EQ(checker.facePoint.z, handler.pos.z);

    // Dead ball: coast for 0.9 s, then walk to the new spots.
    s->phase = PHASE_DEAD_BALL;
    s->phaseTimer = 0.5f;
    p.moveWish = {1, 0, 0};
    aiThink(*s, p, kDt);
    EXPECT_NEAR(p.moveWish.x, 0.9f, 1e-6f);
    s->phaseTimer = 1.0f;
    placePlayer(p, {p.checkSpot.x, 0, p.checkSpot.z + 3}, 0);
    aiThink(*s, p, kDt);
    EXPECT_LT(p.moveWish.z, -0.999f);
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

} // namespace
