// The CPU on defence: the on-ball defender between his man and the hoop, the
// helper, stance, contests and the delayed reaction to shots and fakes, the
// jump into a passing lane, and the guard spot and coverage score.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "app/settings.h"
#include "sim/ai.h"
#include "sim/court.h"
#include "sim/match_driver.h"
#include "sim/sim_math.h"
#include "ai_test_support.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Players 0 and 1 are people standing still; player 0 holds the ball at
// `at`; the CPU side (players 2 and 3) defends.
std::unique_ptr<MatchState> defenceSetUp(Vector3 at, int difficulty = 1) {
    auto s = newMatch({.localIndex = 0, .difficulty = difficulty});
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

TEST(AiDefence, OnBallDefenderStaysBetweenHisManAndTheHoop) {
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

    // The handler moves to the other wing: the marker (whoever it is after
    // the re-pairing) recovers to the new line.
    placePlayer(s->players[0], {-6, 0, 7}, PI);
    s->ball.holder = 0;
    runSeconds(*s, 3.0f);
    const Player& d2 = markerOf(*s, 0);
    EXPECT_GT(betweenness(d2, s->players[0]), 0.97f);
    EXPECT_NEAR(flatDistance(d2.pos, s->players[0].pos), 2.0f, 0.35f);
}

TEST(AiDefence, HelperSagsTowardTheHoopOnALeash) {
    auto s = defenceSetUp({3, 0, 8.5f});
    runSeconds(*s, 3.0f);
    const Player& helper = markerOf(*s, 1);
    const Player& man = s->players[1];
    ASSERT_NE(helper.index, markerOf(*s, 0).index);
    EXPECT_LE(flatDistance(helper.pos, man.pos), 2.2f + 0.2f);
    EXPECT_LT(flatLength(helper.pos), flatLength(man.pos));
}

TEST(AiDefence, MatchupsAreRepairedEveryFourTenthsOfASecond) {
    // A lone person on defence (player 2) always takes the nearer attacker,
    // whatever the distances were when his CPU teammate last re-paired them.
    auto s = defenceSetUp({3, 0, 8.5f});
    s->humanMask = 0b0100;
    s->localIndex = 2;
    placePlayer(s->players[2], {-4.5f, 0, 5}, 0); // nearer player 1
    Player& cpu = s->players[3];
    cpu.aiTimer = 0;
    aiThink(*s, cpu, kDt);
    EXPECT_EQ(s->players[2].matchup, 1);
    EXPECT_EQ(cpu.matchup, 0);
    EXPECT_NEAR(cpu.aiTimer, 0.4f, 1e-6f);
    // Until the timer runs out nothing is re-paired.
    placePlayer(s->players[2], {2.5f, 0, 8}, 0);
    aiThink(*s, cpu, kDt);
    EXPECT_EQ(s->players[2].matchup, 1);
    cpu.aiTimer = kDt / 2;
    aiThink(*s, cpu, kDt);
    EXPECT_EQ(s->players[2].matchup, 0);
    EXPECT_EQ(cpu.matchup, 1);
}

TEST(AiDefence, HelperCollapsesOnADriveThatBeatHisTeammate) {
    auto s = defenceSetUp({0, 0, 3.0f});
    placePlayer(s->players[2], {0, 0, 5}, PI); // beaten: behind the handler
    Player& helper = s->players[3];
    aiThink(*s, helper, kDt);
    // Help point: 0.45 of the way from the handler to the hoop.
    const Vector3 help = {0, 0, 0.55f * 3.0f};
    EXPECT_GT(flatDot(helper.moveWish, flatUnit(Vector3Subtract(help, helper.pos))), 0.999f);
    EXPECT_TRUE(helper.sprintWanted);
}

TEST(AiDefence, StealAttemptsComeAtTheDifficultyRate) {
    // Close enough to reach, the CPU reaches for the ball now and then; the
    // rate grows with the difficulty.
    int attempts[4] = {};
    for (int difficulty = 0; difficulty < 4; ++difficulty) {
        for (uint32_t seed = 1; seed <= 400; ++seed) {
            auto s = newMatch({.localIndex = -1, .difficulty = difficulty, .seed = trialSeed(seed)});
            placePlayer(s->players[0], {0, 0, 9}, PI);
            placePlayer(s->players[1], {-6, 0, 4}, PI);
            placePlayer(s->players[2], {0, 0, 7.7f}, 0);
            placePlayer(s->players[3], {-5, 0, 3}, 0);
            giveBall(*s, 0);
            s->players[2].matchup = 0;
            s->players[3].matchup = 1;
            s->players[2].aiTimer = 1;
            for (int tick = 0; tick < 60 && s->players[2].action == ACT_MOVE; ++tick) aiThink(*s, s->players[2], kDt);
            attempts[difficulty] += s->players[2].action == ACT_STEAL;
        }
    }
    // A good chance (above 0.3) makes him eager: (0.5 + 0.82) x rate x 2.2 per
    // second; over half a second that is 13.5% of the trials at ROOKIE and 44% at LEGEND.
    EXPECT_NEAR(attempts[0] / 400.0f, 0.135f, 0.05f);
    EXPECT_NEAR(attempts[3] / 400.0f, 0.442f, 0.07f);
    EXPECT_LT(attempts[0], attempts[1]);
    EXPECT_LT(attempts[1], attempts[2]);
    EXPECT_LT(attempts[2], attempts[3]);
}

TEST(AiDefence, ContestsAShotInReach) {
    auto s = defenceSetUp({0, 0, 6});
    Player& d = s->players[2];
    placePlayer(d, {0, 0, 4}, 0);
    d.aiTimer = 1;
    s->players[0].action = ACT_JUMP_SHOT;
    aiThink(*s, d, kDt);
    EXPECT_NEAR(d.reactionTimer, 0.05f, 1e-6f);
    // The helper contests from up to 2.6 m with a later reaction.
    Player& helper = s->players[3];
    placePlayer(helper, {-2.4f, 0, 6}, PI / 2);
    helper.aiTimer = 1;
    aiThink(*s, helper, kDt);
    EXPECT_NEAR(helper.reactionTimer, 0.08f, 1e-6f);
}

TEST(AiReaction, TheReactionTimerFiresABlockJumpAtTheShooter) {
    auto s = defenceSetUp({0, 0, 6});
    Player& d = s->players[2];
    placePlayer(d, {0, 0, 4}, 0);
    d.aiTimer = 1;
    d.reactionTimer = 0.02f;
    s->players[0].action = ACT_JUMP_SHOT;
    aiThink(*s, d, kDt);
    EXPECT_EQ(d.action, ACT_MOVE); // still counting down
    EXPECT_NEAR(d.reactionTimer, 0.02f - kDt, 1e-6f);
    aiThink(*s, d, kDt);
    aiThink(*s, d, kDt);
    EXPECT_EQ(d.reactionTimer, -1.0f);
    EXPECT_EQ(d.action, ACT_AIRBORNE);
    EXPECT_TRUE(d.airborne);
    EXPECT_TRUE(d.blockJump);
    EXPECT_NEAR(d.vertSpeed, 4.6f + 0.7f * d.ratings[RATING_BLOCK], 1e-6f);
    EXPECT_NEAR(d.vel.z, 1.6f, 1e-6f); // pushed at the shooter
    EXPECT_EQ(d.vel.y, 0.0f);
}

TEST(AiReaction, AYoungShotOutOfReachSendsHimToTheGlass) {
    auto s = defenceSetUp({0, 0, 6});
    Player& d = s->players[2];
    placePlayer(d, {4, 0, 3}, 0);
    d.reactionTimer = kDt / 2;
    s->ball.phase = BALL_SHOT;
    s->ball.holder = -1;
    s->ball.shooter = 0;
    s->ball.flightTime = 0.1f;
    s->players[0].hasBall = 0;
    aiThink(*s, d, kDt);
    EXPECT_EQ(d.action, ACT_MOVE);
    // The box-out point: 1.8 m from the hoop on his side.
    const Vector3 box = Vector3Scale(flatUnit(d.pos), 1.8f);
    EXPECT_GT(flatDot(flatUnit(d.moveWish), flatUnit(Vector3Subtract(box, d.pos))), 0.999f);
}

float biteRate(int difficulty, int localIndex) {
    int bites = 0;
    constexpr int kTrials = 2000;
    for (int trial = 0; trial < kTrials; ++trial) {
        auto s = newMatch({.localIndex = localIndex, .difficulty = difficulty, .seed = trialSeed((uint32_t)trial)});
        placePlayer(s->players[0], {0, 0, 6}, PI);
        placePlayer(s->players[1], {-5, 0, 5}, PI);
        placePlayer(s->players[2], {0, 0, 4.5f}, 0);
        placePlayer(s->players[3], {-4, 0, 3}, 0);
        giveBall(*s, 0);
        Player& d = s->players[2];
        d.reactionTimer = kDt / 2;
        d.aiTimer = 1;
        aiThink(*s, d, kDt);
        bites += d.action == ACT_AIRBORNE;
    }
    return (float)bites / kTrials;
}

TEST(AiReaction, DefendersBiteOnFakesByDiscipline) {
    // 1 - discipline: 0.75 at ROOKIE, 0.3 at LEGEND, 0.6 beside a person.
    EXPECT_NEAR(biteRate(0, -1), 0.75f, 0.04f);
    EXPECT_NEAR(biteRate(3, -1), 0.30f, 0.04f);
    EXPECT_NEAR(biteRate(3, 3), 0.60f, 0.04f);
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

TEST(AiPassInFlight, ReceiverMeetsTheBallAndHisMarkerJumpsTheLane) {
    auto s = newMatch({.localIndex = -1});
    placePlayer(s->players[0], {0, 0, 9}, PI);
    placePlayer(s->players[1], {5, 0, 3}, 0);
    placePlayer(s->players[2], {1, 0, 7}, 0);
    placePlayer(s->players[3], {4, 0, 2}, 0);
    giveBall(*s, 0);
    s->players[2].matchup = 0;
    s->players[3].matchup = 1;
    s->ball.phase = BALL_PASS;
    s->ball.holder = -1;
    s->ball.passFrom = 0;
    s->ball.passTo = 1;
    s->ball.pos = {2, 1.5f, 6};
    s->ball.vel = {5, 1, -5};
    s->players[0].hasBall = 0;

    Player& r = s->players[1];
    aiThink(*s, r, kDt);
    const Vector3 meet = {2 + 0.25f * 5, 0, 6 - 0.25f * 5};
    EXPECT_GT(flatDot(flatUnit(r.moveWish), flatUnit(Vector3Subtract(meet, r.pos))), 0.999f);
    EXPECT_LE(flatLength(r.moveWish), 0.6f + 1e-6f);
    EXPECT_TRUE(r.faceTarget);

    Player& marker = s->players[3];
    aiThink(*s, marker, kDt);
    const Vector3 lane = {5 + 0.35f * (2 - 5), 0, 3 + 0.35f * (6 - 3)};
    EXPECT_GT(flatDot(flatUnit(marker.moveWish), flatUnit(Vector3Subtract(lane, marker.pos))), 0.999f);

    // The receiver's teammate (here the passer) eases off.
    Player& passer = s->players[0];
    passer.moveWish = {1, 0, 0};
    aiThink(*s, passer, kDt);
    EXPECT_NEAR(passer.moveWish.x, 0.85f, 1e-6f);
}

TEST(GuardSpot, GapsByDistanceAndBall) {
    auto s = newMatch({.localIndex = -1});
    placePlayer(s->players[0], {0, 0, 9}, PI);
    placePlayer(s->players[1], {0, 0, 1}, PI);
    giveBall(*s, 0);
    s->mustClear = 1; // 1.8 m beyond 8.6 m, 0.5 more while the ball must be cleared
    EXPECT_NEAR(guardSpot(*s, s->players[0]).z, 9 - 2.3f, 1e-5f);
    // Off the ball: 1.5 m capped at 0.6 of his distance, then 15% toward the holder.
    EXPECT_NEAR(guardSpot(*s, s->players[1]).z, 0.4f + 0.15f * (9 - 0.4f), 1e-5f);
    // On the hoop axis the gap is zero and nothing goes non-finite.
    placePlayer(s->players[1], {0, 0, 0}, PI);
    const Vector3 axis = guardSpot(*s, s->players[1]);
    EXPECT_TRUE(std::isfinite(axis.x) && std::isfinite(axis.z));
}

TEST(CoverageScore, AlignmentAndFalloff) {
    auto s = newMatch({.localIndex = -1});
    Player& h = s->players[0];
    placePlayer(h, {0, 0, 8}, PI);
    giveBall(*s, 0);
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 6}, h), 1.0f);      // in front, close
    EXPECT_FLOAT_EQ(coverageScore(*s, {2, 0, 8}, h), 0.5f);      // beside
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 10}, h), 0.0f);     // behind
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 8.01f}, h), 0.6f);  // on top of him
    // Beyond 2.4 m (with the ball) the score falls off to 0.3 of itself.
    EXPECT_NEAR(coverageScore(*s, {0, 0, 4.6f}, h), 1 - 0.7f * 0.5f, 1e-5f);
    EXPECT_NEAR(coverageScore(*s, {0, 0, 1}, h), 0.3f, 1e-5f);
    h.hasBall = 0; // without it the reach is 3.4 m
    EXPECT_FLOAT_EQ(coverageScore(*s, {0, 0, 4.6f}, h), 1.0f);
}

} // namespace
