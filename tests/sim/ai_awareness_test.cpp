// The awareness pass: contest level, boxing out, help side and stance time,
// for people and CPU players alike.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai.h"
#include "sim/sim_math.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Player 0 shoots at (0, 6); player 2 (a person) faces him from `at`.
std::unique_ptr<MatchState> shotSetUp(Vector3 at) {
    auto s = newMatch({.localIndex = 2});
    for (Player& p : s->players) placePlayer(p, {-6.0f + p.index, 0, 11}, 0);
    placePlayer(s->players[0], {0, 0, 6}, PI);
    giveBall(*s, 0);
    placePlayer(s->players[2], at, yawToward(at, {0, 0, 6}));
    s->players[0].action = ACT_JUMP_SHOT;
    return s;
}

TEST(AiAwareness, ContestLevelRisesWhileFacingTheShooterAndFallsAfter) {
    auto s = shotSetUp({0, 0, 4});
    Player& d = s->players[2];
    for (int i = 0; i < 6; ++i) aiAwareness(*s, kDt);
    EXPECT_NEAR(d.contest, 6 * 9 * kDt, 1e-5f);
    for (int i = 0; i < 30; ++i) aiAwareness(*s, kDt);
    EXPECT_EQ(d.contest, 1.0f);
    s->players[0].action = ACT_MOVE; // the shot is gone
    for (int i = 0; i < 12; ++i) aiAwareness(*s, kDt);
    EXPECT_NEAR(d.contest, 1 - 12 * 4 * kDt, 1e-5f);

    // Turned away, out of reach, airborne or a teammate: no contest.
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

TEST(AiAwareness, BoxingOutDuringAReboundWatch) {
    auto s = shotSetUp({1, 0, 3});
    s->players[0].action = ACT_MOVE;
    s->ball.phase = BALL_SHOT;
    s->ball.holder = -1;
    s->ball.flightTime = 0.5f;
    placePlayer(s->players[3], {1.2f, 0, 4.0f}, 0); // just behind player 2
    aiAwareness(*s, kDt);
    EXPECT_TRUE(s->players[2].boxingOut);
    EXPECT_FALSE(s->players[3].boxingOut);
    // Not before 0.15 s of flight, not on a dunk, not outside 5.5 m.
    s->ball.flightTime = 0.1f;
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
    s->ball.flightTime = 0.5f;
    s->ball.dunk = 1;
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
    s->ball.dunk = 0;
    placePlayer(s->players[2], {1, 0, 5.6f}, 0);
    placePlayer(s->players[3], {1, 0, 6.6f}, 0);
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].boxingOut);
}

TEST(AiAwareness, HelpSideAndBallSide) {
    auto s = newMatch({.localIndex = -1});
    placePlayer(s->players[0], {4, 0, 7}, PI);
    placePlayer(s->players[1], {-3, 0, 5.5f}, PI);
    placePlayer(s->players[2], {3, 0, 5.5f}, 0);
    placePlayer(s->players[3], {-2.5f, 0, 4}, -PI / 2); // facing -x: the ball (+x, +z) is on his left
    giveBall(*s, 0);
    s->players[2].matchup = 0;
    s->players[3].matchup = 1;
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[2].helpSide); // he guards the ball
    EXPECT_TRUE(s->players[3].helpSide);
    EXPECT_FALSE(s->players[3].ballSide);
    s->players[3].yaw = PI / 2; // facing +x: now it is on his right
    aiAwareness(*s, kDt);
    EXPECT_TRUE(s->players[3].ballSide);
    // Too far from his man, or his man too far from the ball: no help side.
    placePlayer(s->players[3], {0, 0, 2}, 0);
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[3].helpSide);
    placePlayer(s->players[3], {-2.5f, 0, 4}, 0);
    placePlayer(s->players[0], {6, 0, 11}, PI);
    placePlayer(s->players[1], {-4, 0, 4}, PI);
    aiAwareness(*s, kDt);
    EXPECT_FALSE(s->players[3].helpSide);
}

} // namespace
