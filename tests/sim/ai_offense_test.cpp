// The CPU on offence in constructed situations: when the handler shoots,
// finishes, passes, drives, clears the ball or walks to a spot, and how his
// partner spaces the floor and cuts.
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

// An all-CPU live possession: player 0 holds the ball at `at`, facing the
// hoop, and has held it for `held` seconds; his partner stands deep where he
// is no pass option, the defenders far away.
std::unique_ptr<MatchState> handlerAt(Vector3 at, float held, uint32_t seed = 1, int difficulty = 1) {
    auto s = newMatch({.localIndex = -1, .difficulty = difficulty, .seed = trialSeed(seed)});
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

TEST(AiHandler, ShootsWhenOpenInRange) {
    // An open 5 m jumper is worth more than any threshold draw with 12 s left.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        auto s = handlerAt({0, 0, 5}, 1.0f, seed);
        aiThink(*s, s->players[0], kDt);
        EXPECT_EQ(s->players[0].action, ACT_JUMP_SHOT) << "seed " << seed;
    }
}

TEST(AiHandler, NeverShootsWithinHalfASecondOfTheCatch) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
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

TEST(AiHandler, UnderTheClearRuleHandsItToAnOpenPartnerOutside) {
    int passes = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        auto s = handlerAt({2, 0, 4}, 1.0f, seed);
        s->mustClear = 1;
        placePlayer(s->players[1], {-7.3f, 0, 1.0f}, 0);
        aiThink(*s, s->players[0], kDt);
        if (s->players[0].action == ACT_PASS) {
            ++passes;
            EXPECT_EQ(s->ball.passTo, 1);
        }
    }
    // One draw below 0.25 per decision.
    EXPECT_GT(passes, 30);
    EXPECT_LT(passes, 70);
}

// Handler deep behind the arc with a poor look; his partner open at 3.6 m.
std::unique_ptr<MatchState> passSetUp() {
    auto s = handlerAt({0, 0, 10.5f}, 1.0f);
    placePlayer(s->players[1], {2, 0, 3}, 0);
    placePlayer(s->players[3], {6.5f, 0, 6}, 0);
    return s;
}

TEST(AiHandler, PassesWhenTheLaneIsOpenAndHisPartnerIsBetterPlaced) {
    auto s = passSetUp();
    aiThink(*s, s->players[0], kDt);
    EXPECT_EQ(s->players[0].action, ACT_PASS);
    EXPECT_EQ(s->ball.phase, BALL_PASS);
    EXPECT_EQ(s->ball.passTo, 1);
}

TEST(AiHandler, KeepsTheBallWhenTheLaneIsBlockedOrTooSoon) {
    auto blocked = passSetUp();
    placePlayer(blocked->players[3], {1.0f, 0, 6.75f}, 0);
    aiThink(*blocked, blocked->players[0], kDt);
    EXPECT_NE(blocked->players[0].action, ACT_PASS);
    EXPECT_EQ(blocked->ball.phase, BALL_HELD);

    auto early = passSetUp();
    early->players[0].receivedAt = early->clock - 0.6f;
    aiThink(*early, early->players[0], kDt);
    EXPECT_NE(early->players[0].action, ACT_PASS);

    auto busy = passSetUp();
    busy->players[1].action = ACT_LANDING;
    aiThink(*busy, busy->players[0], kDt);
    EXPECT_NE(busy->players[0].action, ACT_PASS);
}

TEST(AiHandler, FindsACutterNearTheRim) {
    // A partner worth no more than the handler still gets the ball while he
    // cuts to the rim with room around him.
    auto s = handlerAt({0, 0, 5}, 1.0f);
    s->shotClock = 20; // a fresh clock raises the bar: no jumper from here
    placePlayer(s->players[2], {0.4f, 0, 4.2f}, 0);
    placePlayer(s->players[1], {-1.5f, 0, 2.0f}, 0);
    s->players[1].cutting = 1;
    aiThink(*s, s->players[0], kDt);
    EXPECT_EQ(s->players[0].action, ACT_PASS);
    EXPECT_EQ(s->ball.passTo, 1);
}

TEST(AiHandler, DrivesThroughAnOpenLaneAndFinishes) {
    int drives = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        // A 7 m two against a fresh clock: no jumper, no partner to find.
        auto s = handlerAt({0, 0, 7}, 1.0f, seed);
        s->shotClock = 20;
        aiThink(*s, s->players[0], kDt);
        drives += s->players[0].driving;
    }
    EXPECT_GT(drives, 60);
    EXPECT_LT(drives, 120);

    // A drive runs every tick at full speed toward the rim and ends in a finish.
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

TEST(AiHandler, WalksToASpotBetweenDecisionsAndPicksOpenSpots) {
    auto s = handlerAt({0, 0, 10.5f}, 1.0f);
    s->shotClock = 20;
    Player& h = s->players[0];
    aiThink(*s, h, kDt);
    ASSERT_EQ(h.action, ACT_MOVE);
    // The chosen spot is one of the table's, with a timer of 1.5..3 s.
    const float spots[9][2] = {{0, 7.9f},   {4.6f, 6.0f},   {-4.6f, 6.0f}, {2.8f, 4.3f}, {-2.8f, 4.3f},
                               {6.9f, 0.8f}, {-6.9f, 0.8f}, {2.0f, 6.2f},   {-2.0f, 6.2f}};
    bool inTable = false;
    for (const auto& spot : spots) inTable |= spot[0] == h.aiSpot.x && spot[1] == h.aiSpot.z;
    EXPECT_TRUE(inTable) << h.aiSpot.x << " " << h.aiSpot.z;
    EXPECT_GE(h.aiSpotTimer, 1.5f);
    EXPECT_LE(h.aiSpotTimer, 3.0f);
    EXPECT_GT(h.aiTimer, 0.0f);
    // Between decisions he only walks there, without sprint, and draws nothing.
    const uint32_t rng = s->rng;
    const Vector3 spot = h.aiSpot;
    aiThink(*s, h, kDt);
    EXPECT_EQ(s->rng, rng);
    EXPECT_EQ(h.aiSpot.x, spot.x);
    EXPECT_FALSE(h.sprintWanted);
    EXPECT_GT(flatDot(h.moveWish, flatUnit({spot.x - h.pos.x, 0, spot.z - h.pos.z})), 0.99f);
}

// Player 1 off the ball while player 0 holds it.
std::unique_ptr<MatchState> offBallSetUp(Vector3 at, uint32_t seed = 1) {
    auto s = handlerAt({0, 0, 8}, 0.2f, seed);
    placePlayer(s->players[1], at, 0);
    s->players[0].aiTimer = 5;
    s->players[1].aiSpotTimer = 0;
    return s;
}

TEST(AiOffBall, SpacesAwayFromTheHandlerAndFacesHim) {
    auto s = offBallSetUp({-3, 0, 3});
    Player& p = s->players[1];
    aiThink(*s, p, kDt);
    EXPECT_TRUE(p.faceTarget);
    EXPECT_EQ(p.facePoint.x, s->players[0].pos.x);
    EXPECT_GE(p.aiSpotTimer, 2.0f);
    EXPECT_LE(p.aiSpotTimer, 4.0f);
    // A spot keeps until its timer runs out, unless the handler comes near.
    const Vector3 spot = p.aiSpot;
    const float timer = p.aiSpotTimer;
    p.cutting = 0;
    aiThink(*s, p, kDt);
    EXPECT_EQ(p.aiSpot.x, spot.x);
    EXPECT_EQ(p.aiSpot.z, spot.z);
    EXPECT_NEAR(p.aiSpotTimer, timer - kDt, 1e-6f);
    placePlayer(s->players[0], {p.pos.x + 2, 0, p.pos.z}, 0);
    s->players[0].aiTimer = 5;
    const uint32_t rng = s->rng;
    aiThink(*s, p, kDt);
    EXPECT_NE(s->rng, rng); // repicked: nine draws and the timer's
    EXPECT_GE(p.aiSpotTimer, 2.0f);
}

TEST(AiOffBall, CutsToTheRimUnlessMarkedClosely) {
    int cuts = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        auto s = offBallSetUp({-5, 0, 5}, seed);
        aiThink(*s, s->players[1], kDt);
        cuts += s->players[1].cutting;
    }
    // 0.35 + 0.3 x dunk rating (0.96 for this forward) = 0.638.
    EXPECT_GT(cuts, 105);
    EXPECT_LT(cuts, 150);

    for (uint32_t seed = 1; seed <= 50; ++seed) {
        auto s = offBallSetUp({-5, 0, 5}, seed);
        placePlayer(s->players[3], {-4, 0, 4}, 0);
        aiThink(*s, s->players[1], kDt);
        ASSERT_FALSE(s->players[1].cutting);
    }

    // A cut sprints to the near side of the rim and ends after 1.6 s.
    auto s = offBallSetUp({-5, 0, 5});
    Player& p = s->players[1];
    p.cutting = 1;
    p.cutTimer = 1.6f;
    p.aiSpotTimer = 3;
    aiThink(*s, p, kDt);
    EXPECT_TRUE(p.sprintWanted);
    EXPECT_GT(flatDot(p.moveWish, flatUnit({-0.7f - p.pos.x, 0, 1.0f - p.pos.z})), 0.99f);
    p.cutTimer = kDt / 2;
    aiThink(*s, p, kDt);
    EXPECT_FALSE(p.cutting);
}

} // namespace
