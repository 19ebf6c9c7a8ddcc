// The rules end to end, driven by per-tick inputs. Where a situation hangs on
// a draw, a few seeds are tried and the event must happen in one of them.
#include <cmath>
#include <functional>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/court.h"
#include "sim/match_driver.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;
constexpr int kSeeds = 12;

struct Scenario {
    std::unique_ptr<TestMatch> s;
    PlayerInput in[4] = {};

    Scenario(uint32_t seed, int localIndex, uint32_t humans) {
        s = newMatch({.localIndex = localIndex, .seed = seed});
        s->humanMask = humans;
        const Vector3 parked[4] = {{-7, 0, 12}, {7, 0, 12}, {-7, 0, 10.5f}, {7, 0, 10.5f}};
        for (Player& p : s->players) placePlayer(p, parked[p.index], 0);
        for (PlayerInput& i : in) i.valid = 1;
    }
    MatchState& m() { return *s; }
    Player& p(int i) { return s->players[i]; }
    void step() { // press bytes reach only this tick
        tick(*s, in);
        for (PlayerInput& i : in) clearPressBytes(i);
    }
    bool runUntil(float seconds, const std::function<bool()>& done) {
        for (int t = 0; t < (int)(seconds * 120); ++t) {
            if (done()) return true;
            step();
        }
        return done();
    }
    bool saw(const std::string& text) const {
        for (const Callout& c : s->callouts)
            if (c.text == text) return true;
        return false;
    }
};

float hoopYawFrom(Vector3 p) { return std::atan2(-p.x, -p.z); }

void shootHolding(Scenario& sc, int i, float hold) {
    sc.in[i].shootPressed = 1;
    sc.in[i].shootDown = 1;
    sc.step();
    ASSERT_EQ(sc.p(i).action, ACT_JUMP_SHOT);
    for (int t = 1; t < 360 && sc.p(i).action == ACT_JUMP_SHOT; ++t) {
        sc.in[i].shootDown = t * kDt < hold;
        sc.in[i].shootReleased = t * kDt >= hold && t * kDt < hold + kDt;
        sc.step();
    }
    sc.in[i].shootDown = 0;
}

TEST(Scenario, MadeJumpShotScoresByTheSpotOnTheTickItPassesTheRim) {
    const struct {
        Vector3 spot;
        int value;
    } cases[] = {
        {{0, 0, 5.0f}, 2},     // the key
        {{0, 0, 7.6f}, 3},     // top of the arc
        {{6.85f, 0, 1.5f}, 3}, // corner three
        {{6.6f, 0, 2.9f}, 2},  // 7.21 m out, just inside the arc
    };
    for (const auto& c : cases) {
        int makes = 0;
        for (uint32_t seed = 1; seed <= kSeeds && makes == 0; ++seed) {
            Scenario sc(seed, 0, 1u);
            placePlayer(sc.p(0), c.spot, hoopYawFrom(c.spot));
            giveBall(sc.m(), 0);
            shootHolding(sc, 0, 0.43f);
            EXPECT_EQ(sc.m().releaseGrade, 1);
            EXPECT_EQ(sc.m().ball.shotValue, c.value);
            EXPECT_EQ(sc.p(0).fga, 1);
            // The score changes only on the tick the ball falls through the rim.
            for (int t = 0; t < 480 && sc.m().phase == PHASE_LIVE; ++t) {
                const int before = sc.m().scores[0];
                sc.step();
                if (sc.m().scores[0] != before) {
                    EXPECT_EQ(sc.m().scores[0] - before, c.value);
                    EXPECT_GE(sc.m().ball.prevPos.y, 3.05f);
                    EXPECT_LT(sc.m().ball.pos.y, 3.05f);
                    EXPECT_LT(std::hypot(sc.m().ball.pos.x, sc.m().ball.pos.z), 0.2086f);
                    ++makes;
                }
            }
            if (makes) {
                EXPECT_EQ(sc.p(0).points, c.value);
                EXPECT_EQ(sc.p(0).tpm, c.value == 3 ? 1 : 0);
                EXPECT_TRUE(sc.saw(c.value == 3 ? "SPLASH!" : "PURE!"));
                EXPECT_EQ(sc.m().phase, PHASE_DEAD_BALL);
                EXPECT_EQ(sc.m().nextOffense, 1);
            }
        }
        EXPECT_EQ(makes, 1) << c.spot.x << "," << c.spot.z;
    }
}

TEST(Scenario, BlockedJumpShotGoesLooseAndTheDefenceRecovers) {
    bool blocked = false;
    for (int jumpAt : {8, 14, 20})
        for (uint32_t seed = 1; seed <= kSeeds && !blocked; ++seed) {
            Scenario sc(seed, 0, 0b0101u); // players 0 and 2 are people
            placePlayer(sc.p(0), {0, 0, 5}, PI);
            placePlayer(sc.p(2), {0, 0, 4.2f}, 0);
            giveBall(sc.m(), 0);
            sc.in[0].shootPressed = sc.in[0].shootDown = 1;
            for (int t = 0; t < 360 && sc.m().ball.phase != BALL_LOOSE && sc.m().phase == PHASE_LIVE; ++t) {
                sc.in[0].shootDown = t * kDt < 0.43f;
                if (t == jumpAt) sc.in[2].shootPressed = 1;
                sc.step();
            }
            if (sc.p(2).blocks == 0) continue;
            blocked = true;
            EXPECT_TRUE(sc.saw("BLOCKED!"));
            EXPECT_TRUE(sc.m().ball.shotRebound || sc.m().ball.phase == BALL_HELD);
            EXPECT_EQ(sc.p(0).fga, 1);
            if (sc.m().ball.phase == BALL_LOOSE) {
                EXPECT_EQ(sc.m().ball.possessionTeam, 1);
            }
            sc.runUntil(4, [&] { return sc.m().ball.phase == BALL_HELD || sc.m().phase != PHASE_LIVE; });
            if (sc.m().ball.phase == BALL_HELD) {
                const Player& holder = sc.p(sc.m().ball.holder);
                EXPECT_EQ(holder.rebounds, 1);
                EXPECT_TRUE(sc.saw("BOARD!"));
                EXPECT_EQ(sc.m().offense, holder.team);
                if (holder.team == 1) {
                    EXPECT_TRUE(sc.m().mustClear);
                    EXPECT_GT(sc.m().shotClock, 23.0f);
                }
            }
        }
    EXPECT_TRUE(blocked);
}

TEST(Scenario, StealKnocksTheBallLooseAndTheStealerTakesOver) {
    // A handler running across the key; the defender beside his path reaches.
    int changes = 0;
    for (uint32_t seed = 1; seed <= kSeeds && changes == 0; ++seed) {
        Scenario sc(seed, 0, 0b0101u);
        placePlayer(sc.p(0), {-2.0f, 0, 6}, PI / 2);
        placePlayer(sc.p(2), {0, 0, 6.3f}, -PI / 2);
        sc.m().eyeYaw = PI / 2; // the local player looks where he runs
        giveBall(sc.m(), 0);
        sc.p(0).vel = sc.p(0).prevVel = {4, 0, 0};
        sc.p(0).dribblePhase = 0.2f; // near the floor when the reach decides
        sc.in[0].worldMoveX = 1;
        sc.in[2].leftMousePressed = 1;
        sc.step();
        ASSERT_EQ(sc.p(2).action, ACT_STEAL);
        sc.runUntil(0.5f, [&] { return sc.m().ball.phase != BALL_HELD || sc.p(2).action != ACT_STEAL; });
        if (!sc.saw("STRIPPED!")) continue;
        sc.in[0] = PlayerInput{};
        sc.runUntil(3, [&] {
            const Vector3 to = {sc.m().ball.pos.x - sc.p(2).pos.x, 0, sc.m().ball.pos.z - sc.p(2).pos.z};
            const float d = std::sqrt(to.x * to.x + to.z * to.z);
            sc.in[2].worldMoveX = d > 0.05f ? to.x / d : 0;
            sc.in[2].worldMoveZ = d > 0.05f ? to.z / d : 0;
            return sc.m().ball.phase == BALL_HELD;
        });
        ASSERT_EQ(sc.m().ball.phase, BALL_HELD);
        const Player& holder = sc.p(sc.m().ball.holder);
        ASSERT_EQ(holder.team, 1);
        ++changes;
        EXPECT_EQ(holder.steals, 1);
        EXPECT_EQ(holder.rebounds, 0);
        EXPECT_EQ(sc.m().offense, 1);
        EXPECT_TRUE(sc.m().mustClear); // taken inside the arc
        EXPECT_NEAR(sc.m().shotClock, 24.0f - (sc.m().clock - holder.receivedAt), kDt);
        EXPECT_EQ(sc.m().ball.lastPasser, -1);
    }
    EXPECT_EQ(changes, 1);
}

TEST(Scenario, ChargeGivesTheBallToTheDefence) {
    bool charged = false;
    for (uint32_t seed = 1; seed <= kSeeds && !charged; ++seed) {
        Scenario sc(seed, 0, 0b0101u);
        placePlayer(sc.p(0), {0, 0, 8.5f}, PI);
        placePlayer(sc.p(2), {0, 0, 4}, 0);
        giveBall(sc.m(), 0);
        sc.in[0].worldMoveZ = -1; // drive straight at him
        sc.in[0].sprintDown = 1;
        sc.runUntil(2, [&] { return sc.m().phase != PHASE_LIVE; });
        if (!sc.saw("CHARGE!")) continue;
        charged = true;
        EXPECT_TRUE(sc.saw("OFFENSIVE FOUL"));
        EXPECT_EQ(sc.m().nextOffense, 1);
        EXPECT_EQ(sc.p(2).action, ACT_KNOCKED_DOWN);
        EXPECT_EQ(sc.p(0).action, ACT_STUMBLE);
        sc.in[0] = PlayerInput{};
        sc.runUntil(2.5f, [&] { return sc.m().phase == PHASE_CHECK_BALL; });
        EXPECT_EQ(sc.m().phase, PHASE_CHECK_BALL);
        EXPECT_EQ(sc.m().offense, 1);
        EXPECT_EQ(sc.m().players[sc.m().checker].team, 0);
    }
    EXPECT_TRUE(charged);
}

TEST(Scenario, InterceptedPassChangesPossession) {
    bool picked = false;
    for (uint32_t seed = 1; seed <= kSeeds && !picked; ++seed) {
        Scenario sc(seed, 0, 0b0101u);
        placePlayer(sc.p(0), {0, 0, 8}, PI);
        placePlayer(sc.p(1), {0, 0, 2.5f}, 0);
        placePlayer(sc.p(2), {0, 0, 6.3f}, 0); // in the lane, set on the passer
        giveBall(sc.m(), 0);
        for (int t = 0; t < 12; ++t) sc.step(); // lock on
        sc.in[0].passPressed = 1;
        sc.runUntil(2, [&] { return sc.m().ball.phase != BALL_PASS && sc.m().ball.phase != BALL_HELD; });
        sc.runUntil(2, [&] { return sc.m().ball.phase == BALL_HELD; });
        if (!sc.saw("PICKED OFF!")) {
            EXPECT_EQ(sc.m().ball.holder, 1); // caught instead
            continue;
        }
        picked = true;
        EXPECT_EQ(sc.m().ball.holder, 2);
        EXPECT_EQ(sc.p(2).steals, 1);
        EXPECT_EQ(sc.m().offense, 1);
        EXPECT_TRUE(sc.m().mustClear);
        EXPECT_EQ(sc.m().ball.lastPasser, -1);
    }
    EXPECT_TRUE(picked);
}

TEST(Scenario, ClearRuleArmedByARecoveryAndClearedPastTheArc) {
    Scenario sc(1, 2, 0b0100u); // player 2 plays and picks up a ball team 0 lost
    placePlayer(sc.p(2), {0, 0, 5}, 0);
    giveBall(sc.m(), 0);
    placePlayer(sc.p(0), {-3, 0, 9}, 0);
    sc.m().ball.phase = BALL_LOOSE;
    sc.m().ball.holder = -1;
    sc.p(0).hasBall = 0;
    sc.m().ball.pos = {0, 0.9f, 5.2f};
    sc.step();
    ASSERT_EQ(sc.m().ball.holder, 2);
    EXPECT_EQ(sc.m().offense, 1);
    EXPECT_TRUE(sc.m().mustClear);
    EXPECT_EQ(sc.p(2).steals, 1);
    sc.in[2].worldMoveZ = 1;
    sc.runUntil(3, [&] { return !sc.m().mustClear; });
    EXPECT_FALSE(sc.m().mustClear);
    EXPECT_TRUE(sc.saw("CLEARED"));
    EXPECT_GT(std::hypot(sc.p(2).pos.x, sc.p(2).pos.z), 7.29f);
}

TEST(Scenario, DunkScoresTwo) {
    Scenario sc(1, 1, 0b0010u); // a 0.96 dunker
    placePlayer(sc.p(1), {0.3f, 0, 1.5f}, hoopYawFrom({0.3f, 0, 1.5f}));
    giveBall(sc.m(), 1);
    sc.in[1].shootPressed = sc.in[1].shootDown = 1;
    sc.step();
    ASSERT_EQ(sc.p(1).action, ACT_DUNK);
    sc.in[1].shootDown = 0;
    sc.runUntil(2, [&] { return sc.m().phase != PHASE_LIVE; });
    EXPECT_EQ(sc.m().scores[0], 2);
    EXPECT_EQ(sc.p(1).dunks, 1);
    EXPECT_EQ(sc.p(1).fgm, 1);
    EXPECT_EQ(sc.p(1).action, ACT_HANG);
    EXPECT_TRUE(sc.m().ball.dunk);
    // The dead ball lasts 2.3 s.
    sc.runUntil(2.25f, [&] { return sc.m().phase != PHASE_DEAD_BALL; });
    EXPECT_EQ(sc.m().phase, PHASE_DEAD_BALL);
    sc.runUntil(0.2f, [&] { return sc.m().phase != PHASE_DEAD_BALL; });
    EXPECT_EQ(sc.m().phase, PHASE_CHECK_BALL);
}

TEST(Scenario, AlleyOopIsCaughtInTheAirAndScores) {
    Scenario sc(1, 1, 0b0010u);
    placePlayer(sc.p(0), {-1.5f, 0, 7}, PI);
    placePlayer(sc.p(1), {1.0f, 0, 2.5f}, hoopYawFrom({1.0f, 0, 2.5f}));
    giveBall(sc.m(), 0);
    sc.p(0).aiTimer = 1; // the CPU passer is between decisions when the lob is called
    sc.in[1].shootPressed = 1;
    sc.step();
    ASSERT_EQ(sc.p(1).action, ACT_ALLEY_OOP);
    EXPECT_TRUE(sc.m().ball.lob);
    EXPECT_TRUE(sc.saw("LOB!"));
    sc.runUntil(2, [&] { return sc.m().phase != PHASE_LIVE; });
    EXPECT_FALSE(sc.saw("NO CONNECT"));
    EXPECT_EQ(sc.m().scores[0], 2);
    EXPECT_EQ(sc.p(1).dunks, 1);
    EXPECT_EQ(sc.p(0).assists, 1);
}

} // namespace
