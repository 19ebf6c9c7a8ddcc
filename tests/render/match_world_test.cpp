// The world pass's choices without a window: the hall's lights across a
// change of ends, where the shadow map is centred, and when the guide rings
// under the players show.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "app/settings.h"
#include "render/match_world.h"

namespace {

class WorldChoices : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        initMatchState(s, 0, 1, 0, nullptr, nullptr, 11, 1);
        s.phase = PHASE_LIVE;
        s.offense = 1;
        // Player 2 of the other team holds the ball; the local player 0 marks him.
        s.ball.phase = BALL_HELD;
        s.ball.holder = 2;
        s.players[0].matchup = 2;
        s.players[2].pos = {1.5f, 0, 6};
    }
    MatchState s;
};

} // namespace

TEST(MatchLighting, ChangingEndsTurnsTheLightsWithTheCourt) {
    const SceneLighting home = matchLighting(false), flipped = matchLighting(true);
    EXPECT_EQ(home.keyDir.x, 0.3f);
    EXPECT_EQ(home.keyDir.z, 0.45f);
    EXPECT_EQ(flipped.keyDir.x, -home.keyDir.x);
    EXPECT_EQ(flipped.keyDir.y, home.keyDir.y);
    EXPECT_EQ(flipped.keyDir.z, -home.keyDir.z);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(flipped.fillDir[i].x, -home.fillDir[i].x) << i;
        EXPECT_EQ(flipped.fillDir[i].y, home.fillDir[i].y) << i;
        EXPECT_EQ(flipped.fillDir[i].z, -home.fillDir[i].z) << i;
        EXPECT_EQ(flipped.fillCol[i].x, home.fillCol[i].x) << i;
    }
    EXPECT_EQ(flipped.keyCol.x, home.keyCol.x);
    EXPECT_EQ(flipped.fogDensity, 0.02f);
}

TEST_F(WorldChoices, ShadowMapStaysOnTheNearHalfInHalfCourt) {
    s.players[0].pos.z = 18;
    EXPECT_EQ(matchShadowCentreZ(s), 4.5f);
}

TEST_F(WorldChoices, ShadowMapFollowsTheLocalPlayerInFullCourt) {
    s.fullCourt = 1;
    s.players[0].pos.z = 12;
    EXPECT_EQ(matchShadowCentreZ(s), 12);
    s.players[0].pos.z = 26;
    EXPECT_EQ(matchShadowCentreZ(s), 20.96f);
    s.players[0].pos.z = -1;
    EXPECT_EQ(matchShadowCentreZ(s), 4.5f);
    s.localIndex = -1; // nobody plays locally: player 0 still leads
    s.players[0].pos.z = 15;
    EXPECT_EQ(matchShadowCentreZ(s), 15);
}

TEST_F(WorldChoices, CoverageRingMarksTheOpponentWhileHeHoldsTheBall) {
    const GuideRings rings = matchGuideRings(s, 0.25f);
    ASSERT_TRUE(rings.coverage.shown);
    EXPECT_EQ(rings.coverage.position.x, 1.5f);
    EXPECT_EQ(rings.coverage.position.y, 0.014f);
    EXPECT_EQ(rings.coverage.position.z, 6);
    EXPECT_FLOAT_EQ(rings.coverage.scale, 0.8f + 0.04f * std::sin(1.5f));
    EXPECT_EQ(rings.coverage.alpha, 0.7f);
    const Color c = rings.coverage.colour;
    EXPECT_TRUE((c.r == 90 && c.g == 255) || (c.r == 255 && c.g == 220) || (c.r == 255 && c.g == 90));
    EXPECT_FALSE(rings.own.shown) << "the chase camera is not in";
}

TEST_F(WorldChoices, NoRingsOutsideLivePlayOrWithoutALocalPlayer) {
    s.chaseBlend = 1;
    for (int phase : {PHASE_OPENING, PHASE_CHECK_BALL, PHASE_DEAD_BALL, PHASE_OVER}) {
        s.phase = phase;
        const GuideRings rings = matchGuideRings(s, 0);
        EXPECT_FALSE(rings.coverage.shown || rings.own.shown) << "phase " << phase;
    }
    s.phase = PHASE_LIVE;
    s.localIndex = -1;
    const GuideRings rings = matchGuideRings(s, 0);
    EXPECT_FALSE(rings.coverage.shown || rings.own.shown);
}

TEST_F(WorldChoices, NoCoverageRingWhileTheLocalTeamHasTheBall) {
    s.ball.holder = 1;
    EXPECT_FALSE(matchGuideRings(s, 0).coverage.shown);
    s.ball.holder = 2;
    s.ball.phase = BALL_LOOSE;
    EXPECT_FALSE(matchGuideRings(s, 0).coverage.shown);
    s.ball.phase = BALL_HELD;
    s.players[0].matchup = -1;
    EXPECT_FALSE(matchGuideRings(s, 0).coverage.shown);
}

TEST_F(WorldChoices, OwnRingOnlyOnceTheChaseCameraIsMostlyIn) {
    s.chaseBlend = 0.3f;
    EXPECT_FALSE(matchGuideRings(s, 0).own.shown);
    s.chaseBlend = 0.5f;
    s.players[0].pos = {-2, 0, 7};
    const GuideRing own = matchGuideRings(s, 0).own;
    ASSERT_TRUE(own.shown);
    EXPECT_FLOAT_EQ(own.alpha, 0.3f);
    EXPECT_EQ(own.scale, 0.72f);
    EXPECT_EQ(own.position.x, -2);
    EXPECT_EQ(own.position.y, 0.013f);
    EXPECT_EQ(own.position.z, 7);
}
