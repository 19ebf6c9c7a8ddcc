// The roster and a new match's starting state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/settings.h"
#include "render/arena.h"
#include "sim/match_state.h"

namespace {

struct MatchStateTest : ::testing::Test {
    Settings saved = settings;
    CharacterModel models[4];
    const CharacterModel* modelPtrs[4] = {&models[0], &models[1], &models[2], &models[3]};
    Arena testArena;
    void SetUp() override {
        initTeams();
        settings = Settings{};
    }
    void TearDown() override { settings = saved; }
    MatchState fresh(int local, uint32_t seed = 7) {
        MatchState s;
        initMatchState(s, 0, 1, local, modelPtrs, &testArena, 15, seed);
        return s;
    }
};

bool sameColor(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST_F(MatchStateTest, RosterTables) {
    EXPECT_STREQ(teams[0].name, "KNIGHTS");
    EXPECT_STREQ(teams[1].code, "CHC");
    EXPECT_STREQ(teams[3].city, "MIDNIGHT");
    EXPECT_TRUE(sameColor(teams[2].primary, {255, 104, 30, 255}));
    const RosterPlayer& tank = teams[1].players[1];
    EXPECT_STREQ(tank.first, "TANK");
    EXPECT_STREQ(tank.position, "CENTER");
    EXPECT_EQ(tank.look.number, 50);
    EXPECT_FLOAT_EQ(tank.look.height, 2.11f);
    EXPECT_FLOAT_EQ(tank.look.build, 1.20f);
    EXPECT_EQ(tank.look.hairStyle, 0);
    EXPECT_EQ(tank.look.headPaintFlag, 1);
    EXPECT_FLOAT_EQ(tank.ratings[RATING_BLOCK], 0.95f);
    EXPECT_EQ(tank.look.frontText, "COBRAS");
    EXPECT_EQ(tank.look.backText, "TATE");
    const RosterPlayer& zeke = teams[3].players[1];
    EXPECT_TRUE(sameColor(zeke.look.hairColor, {186, 148, 92, 255}));
    EXPECT_TRUE(sameColor(zeke.look.sockColor, {240, 240, 240, 255}));
    EXPECT_EQ(zeke.look.headband, 1);
    EXPECT_EQ(zeke.look.wristbands, 1);
    // Colour 4 of every look is its team's third colour.
    for (const Team& t : teams)
        for (const RosterPlayer& p : t.players) EXPECT_TRUE(sameColor(p.look.jerseyTextColor, t.third));
}

TEST_F(MatchStateTest, ConstructedDefaults) {
    MatchState s;
    EXPECT_EQ(s.ball.phase, BALL_DEAD);
    EXPECT_EQ(s.ball.holder, -1);
    EXPECT_FLOAT_EQ(s.ball.spinRot.w, 1.0f);
    EXPECT_EQ(s.gameTo, 21);
    EXPECT_EQ(s.localIndex, 0);
    EXPECT_EQ(s.rng, 1u);
    EXPECT_FLOAT_EQ(s.shotClock, 24.0f);
    EXPECT_FLOAT_EQ(s.eyeYaw, PI);
    for (const Player& p : s.players) {
        EXPECT_EQ(p.present, 1);
        EXPECT_FLOAT_EQ(p.energy, 1.0f);
        EXPECT_EQ(p.matchup, -1);
        EXPECT_FLOAT_EQ(p.reactionTimer, -1.0f);
        EXPECT_FLOAT_EQ(p.receivedAt, -10.0f);
    }
}

TEST_F(MatchStateTest, NewMatchPlacesPlayersAndPostsTheOpeningBanner) {
    MatchState s = fresh(1);
    EXPECT_EQ(s.humanMask, 2u);
    EXPECT_EQ(s.gameTo, 15);
    EXPECT_EQ(s.rng, 7u);
    const Vector3 spots[4] = {{-1.2f, 0, 6.5f}, {1.2f, 0, 6.5f}, {-2.8f, 0, 7.3f}, {2.8f, 0, 7.3f}};
    for (int i = 0; i < 4; ++i) {
        const Player& p = s.players[i];
        EXPECT_EQ(p.team, i / 2);
        EXPECT_EQ(p.slot, i % 2);
        EXPECT_EQ(p.matchup, (i + 2) % 4);
        EXPECT_EQ(p.model, &models[i]);
        EXPECT_EQ(p.roster, &teams[i / 2].players[i % 2]);
        EXPECT_FLOAT_EQ(p.ratings[RATING_SPEED], p.roster->ratings[RATING_SPEED]);
        EXPECT_NEAR(p.pos.x, spots[i].x, 1e-6f);
        EXPECT_NEAR(p.pos.z, spots[i].z, 1e-6f);
        EXPECT_EQ(p.homeSpot.z, p.pos.z);
        // Posed standing on the floor at his spot.
        EXPECT_NEAR(p.skeleton.joints[JOINT_PELVIS].m12, p.pos.x, 1e-5f);
        EXPECT_GT(p.skeleton.groundLift, 0.0f);
    }
    EXPECT_FLOAT_EQ(s.ball.pos.y, 1.2f);
    EXPECT_FLOAT_EQ(s.ball.pos.z, 7.0f);
    EXPECT_FLOAT_EQ(s.excitement, 0.3f);
    EXPECT_FLOAT_EQ(s.eyePitch, -0.22f);
    EXPECT_FLOAT_EQ(s.camera.position.y, 14.0f);
    ASSERT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.callouts[0].text, "FIRST TO 15");
    EXPECT_FLOAT_EQ(s.callouts[0].size, 70.0f);
    EXPECT_FLOAT_EQ(s.callouts[0].duration, 2.4f);
}

TEST_F(MatchStateTest, SeedZeroAndNoLocalPlayer) {
    MatchState s = fresh(-1, 0);
    EXPECT_EQ(s.rng, 1u);
    EXPECT_EQ(s.humanMask, 0u);
}

TEST_F(MatchStateTest, OneOnOneParksTheIdleSlots) {
    settings.oneOnOne = 1;
    MatchState s = fresh(3);
    EXPECT_EQ(s.players[0].present, 0);
    EXPECT_EQ(s.players[2].present, 0);
    EXPECT_EQ(s.players[1].present, 1);
    EXPECT_EQ(s.players[3].present, 1);
    EXPECT_FLOAT_EQ(s.players[0].pos.x, -30.0f);
    EXPECT_FLOAT_EQ(s.players[0].pos.z, -60.0f);
    EXPECT_FLOAT_EQ(s.players[2].pos.x, 30.0f);
    EXPECT_EQ(s.players[1].matchup, 3);
    EXPECT_EQ(s.players[3].matchup, 1);

    MatchState cpu = fresh(-1); // no local player: slot 0 plays
    EXPECT_EQ(cpu.players[0].present, 1);
    EXPECT_EQ(cpu.players[1].present, 0);
    EXPECT_EQ(cpu.players[0].matchup, 2);
}

TEST_F(MatchStateTest, NewMatchResetsArenaAndClearsOldState) {
    testArena.courtMatrix.m12 = 5;
    testArena.nearNet.rimAngle = 0.3f;
    settings.fullCourt = 1;
    MatchState s = fresh(0);
    EXPECT_EQ(testArena.courtMatrix.m12, 0.0f);
    EXPECT_TRUE(testArena.fullCourt);
    EXPECT_EQ(testArena.nearNet.rimAngle, 0.0f);
    EXPECT_EQ(s.fullCourt, 1);
    s.scores[0] = 9;
    s.callouts.push_back(Callout{});
    initMatchState(s, 2, 3, 0, modelPtrs, &testArena, 11, 3);
    EXPECT_EQ(s.scores[0], 0);
    EXPECT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.players[3].roster, &teams[3].players[1]);
}

TEST_F(MatchStateTest, EmoteCameraKicks) {
    MatchState s;
    emoteCameraKick(s, 6);
    EXPECT_FLOAT_EQ(s.cam.roll.velocity, 5.0f);
    EXPECT_FLOAT_EQ(s.cam.height.velocity, -3.5f);
    EXPECT_FLOAT_EQ(s.cam.trauma, 0.5f);
    emoteCameraKick(s, 6);
    emoteCameraKick(s, 2);
    EXPECT_FLOAT_EQ(s.cam.trauma, 1.0f);
    const float yawBefore = s.cam.yaw.velocity;
    emoteCameraKick(s, 8);
    emoteCameraKick(s, -1);
    EXPECT_EQ(s.cam.yaw.velocity, yawBefore);
}

} // namespace
