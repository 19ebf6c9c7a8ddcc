// The CPU on offence in constructed situations: when the handler shoots,
// passes, drives or clears the ball.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai.h"
#include "sim/court.h"
#include "sim/sim_math.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Player 0 (CPU) has held the ball at `at` for `held` s; nobody else is near.
std::unique_ptr<TestMatch> handlerAt(Vector3 at, float held, uint32_t seed = 1) {
    auto s = newMatch({.localIndex = -1, .seed = trialSeed(seed)});
    placePlayer(s->players[0], at, yawToward(at, {0, 0, 0}));
    placePlayer(s->players[1], {-3, 0, 12}, 0);
    placePlayer(s->players[2], {6.5f, 0, 11.5f}, 0);
    placePlayer(s->players[3], {-6.5f, 0, 11.5f}, 0);
    giveBall(*s, 0);
    s->clock = 10;
    s->shotClock = 12;
    Player& h = s->players[0];
    h.receivedAt = s->clock - held;
    h.aiTimer = 0;
    h.aiSpotTimer = 0;
    h.passTimer = -1;
    h.jukeCooldown = -1;
    for (Player& p : s->players) p.matchup = p.index ^ 2;
    return s;
}

bool isShotOrFinish(int action) { return action == ACT_JUMP_SHOT || action == ACT_FINISH || action == ACT_DUNK; }

TEST(AiHandler, ShootsWhenOpenInRangeButNeverWithinHalfASecondOfTheCatch) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        auto open = handlerAt({0, 0, 5}, 1.0f, seed);
        aiThink(*open, open->players[0], kDt);
        EXPECT_EQ(open->players[0].action, ACT_JUMP_SHOT) << "seed " << seed;
        auto s = handlerAt({0, 0, 5}, 0.45f, seed);
        for (int tick = 0; tick < 4; ++tick) {
            s->players[0].aiTimer = 0;
            aiThink(*s, s->players[0], kDt);
            ASSERT_FALSE(isShotOrFinish(s->players[0].action)) << "seed " << seed;
        }
    }
}

TEST(AiHandler, BeatsTheShotClockWhateverTheQuality) {
    // 1.9 s left far out and smothered: he shoots at once, even just after the catch.
    auto s = handlerAt({0, 0, 11}, 0.05f);
    placePlayer(s->players[2], {0, 0, 10.2f}, 0);
    s->shotClock = 1.9f;
    aiThink(*s, s->players[0], kDt);
    EXPECT_EQ(s->players[0].action, ACT_JUMP_SHOT);
    // In finish range the same clock makes him finish instead.
    auto near = handlerAt({0, 0, 1.2f}, 0.05f);
    near->shotClock = 1.9f;
    aiThink(*near, near->players[0], kDt);
    EXPECT_TRUE(near->players[0].action == ACT_FINISH || near->players[0].action == ACT_DUNK);
}

TEST(AiHandler, UnderTheClearRuleDribblesOutInsteadOfShooting) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        auto s = handlerAt({3, 0, 4}, 2.0f, seed);
        placePlayer(s->players[1], {-3, 0, 5}, 0); // inside the line: no pass out
        s->mustClear = 1;
        s->shotClock = 1.5f;
        Player& h = s->players[0];
        aiThink(*s, h, kDt);
        ASSERT_FALSE(isShotOrFinish(h.action));
        // The spot is on the 8.24 m circle straight out from him, and he heads there.
        EXPECT_NEAR(flatLength(h.aiSpot), 8.24f, 1e-4f);
        EXPECT_GT(flatDot(flatUnit(h.aiSpot), flatUnit(h.pos)), 0.999f);
        EXPECT_GT(flatDot(h.moveWish, flatUnit(h.pos)), 0.99f);
        EXPECT_TRUE(s->mustClear);
    }
    // From the baseline side the way out turns up the court.
    auto s = handlerAt({4, 0, -0.5f}, 2.0f);
    s->mustClear = 1;
    aiThink(*s, s->players[0], kDt);
    EXPECT_GT(s->players[0].aiSpot.z, 4.0f);
    EXPECT_NEAR(flatLength(s->players[0].aiSpot), 8.24f, 1e-4f);
}

TEST(AiHandler, ClearsTheRuleHimselfOnceOutsideAndThenMayShoot) {
    auto s = handlerAt({0, 0, 7.6f}, 1.0f);
    s->mustClear = 1;
    s->shotClock = 1.0f;
    aiThink(*s, s->players[0], kDt);
    EXPECT_FALSE(s->mustClear);
    EXPECT_EQ(s->players[0].action, ACT_JUMP_SHOT);
}

// Handler deep behind the arc with a poor look; his partner open at 3.6 m.
std::unique_ptr<TestMatch> passSetUp() {
    auto s = handlerAt({0, 0, 10.5f}, 1.0f);
    placePlayer(s->players[1], {2, 0, 3}, 0);
    placePlayer(s->players[3], {6.5f, 0, 6}, 0);
    return s;
}

TEST(AiHandler, PassesOnlyThroughAnOpenLaneToAFreePartnerAfterTheCatch) {
    auto s = passSetUp();
    aiThink(*s, s->players[0], kDt);
    EXPECT_EQ(s->players[0].action, ACT_PASS);
    EXPECT_EQ(s->ball.phase, BALL_PASS);
    EXPECT_EQ(s->ball.passTo, 1);
    for (auto spoil : {+[](MatchState& m) { placePlayer(m.players[3], {1.0f, 0, 6.75f}, 0); }, // lane blocked
                       +[](MatchState& m) { m.players[0].receivedAt = m.clock - 0.6f; },
                       +[](MatchState& m) { m.players[1].action = ACT_LANDING; }}) {
        auto kept = passSetUp();
        spoil(*kept);
        aiThink(*kept, kept->players[0], kDt);
        EXPECT_NE(kept->players[0].action, ACT_PASS);
        EXPECT_EQ(kept->ball.phase, BALL_HELD);
    }
}

// With the lane to the rim open, a decision is one draw to drive, and done:
// he neither passes to an open cutter nor looks for a new spot.
TEST(AiHandler, WithTheLaneToTheRimOpenHeDrivesOrWaitsButNeverPasses) {
    int drives = 0;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        auto s = handlerAt({1.5f, 0, 6.3f}, 1.0f, seed);
        Player& h = s->players[0];
        h.ratings[RATING_SHOOTING] = 0; // no shot worth taking from here
        placePlayer(s->players[1], {0.7f, 0, 1.5f}, 0);
        s->players[1].cutting = 1; // open under the rim
        const Vector3 spot = h.aiSpot;
        aiThink(*s, h, kDt);
        EXPECT_EQ(s->ball.phase, BALL_HELD) << "seed " << seed;
        EXPECT_EQ(h.action, ACT_MOVE) << "seed " << seed;
        EXPECT_TRUE(Vector3Equals(h.aiSpot, spot)) << "seed " << seed;
        drives += h.driving;
    }
    EXPECT_GT(drives, 0);
    EXPECT_LT(drives, 20);
}

TEST(AiHandler, ADriveSprintsAtTheRimAndEndsInAFinish) {
    auto s = handlerAt({0, 0, 6}, 1.0f);
    Player& h = s->players[0];
    h.driving = 1;
    h.aiTimer = 5;
    aiThink(*s, h, kDt);
    EXPECT_TRUE(h.sprintWanted);
    EXPECT_LT(h.moveWish.z, -0.99f);
    placePlayer(h, {0, 0, 2.2f}, PI);
    h.vel = {0, 0, -5};
    aiThink(*s, h, kDt);
    EXPECT_FALSE(h.driving);
    EXPECT_TRUE(h.action == ACT_FINISH || h.action == ACT_DUNK);
}

TEST(AiHandler, BetweenDecisionsWalksToHisSpotAndDrawsNothing) {
    auto s = handlerAt({0, 0, 10.5f}, 1.0f);
    s->shotClock = 20;
    Player& h = s->players[0];
    aiThink(*s, h, kDt);
    ASSERT_EQ(h.action, ACT_MOVE);
    EXPECT_GT(h.aiTimer, 0.0f);
    const uint32_t rng = s->rng;
    const Vector3 spot = h.aiSpot;
    aiThink(*s, h, kDt);
    EXPECT_EQ(s->rng, rng);
    EXPECT_EQ(h.aiSpot.x, spot.x);
    EXPECT_FALSE(h.sprintWanted);
    EXPECT_GT(flatDot(h.moveWish, flatUnit({spot.x - h.pos.x, 0, spot.z - h.pos.z})), 0.99f);
}

} // namespace
