// The world pass's choices without a window: lights across a change of ends,
// the shadow map's centre, and when the guide rings show.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "app/settings.h"
#include "render/match_world.h"
#include "tests/sim/sim_fixture.h"

namespace {

class WorldChoices : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        s.phase = PHASE_LIVE;
        s.offense = 1;
        // Player 2 of the other team holds the ball; local player 0 marks him.
        s.ball.phase = BALL_HELD;
        s.ball.holder = 2;
        s.players[0].matchup = 2;
        placePlayer(s.players[2], {1.5f, 0, 6}, PI);
    }
    std::unique_ptr<TestMatch> match = newMatch({.localIndex = 0, .target = 11});
    MatchState& s = *match;
};

} // namespace

TEST(MatchLighting, ChangingEndsTurnsTheLightsWithTheCourt) {
    const SceneLighting home = matchLighting(false), flipped = matchLighting(true);
    auto expectTurned = [](Vector3 a, Vector3 b) {
        EXPECT_EQ(b.x, -a.x);
        EXPECT_EQ(b.y, a.y);
        EXPECT_EQ(b.z, -a.z);
    };
    expectTurned(home.keyDir, flipped.keyDir);
    for (int i = 0; i < 3; i++) expectTurned(home.fillDir[i], flipped.fillDir[i]);
    EXPECT_EQ(home.keyDir.x, 0.3f);
}

TEST_F(WorldChoices, ShadowMapStaysNearInHalfCourtAndFollowsThePlayerInFullCourt) {
    const struct {
        int fullCourt, localIndex;
        float playerZ, centreZ;
    } cases[] = {{0, 0, 18, 4.5f}, {1, 0, 12, 12}, {1, 0, 26, 20.96f}, {1, 0, -1, 4.5f}, {1, -1, 15, 15}};
    for (const auto& c : cases) {
        s.fullCourt = c.fullCourt;
        s.localIndex = c.localIndex; // nobody local: player 0 still leads
        s.players[0].pos.z = c.playerZ;
        EXPECT_EQ(matchShadowCentreZ(s), c.centreZ) << c.fullCourt << " " << c.playerZ;
    }
}

TEST_F(WorldChoices, CoverageRingMarksTheOpponentOnlyWhileHeHoldsTheBall) {
    const GuideRings rings = matchGuideRings(s, 0.25f);
    ASSERT_TRUE(rings.coverage.shown);
    EXPECT_EQ(rings.coverage.position.x, 1.5f);
    EXPECT_EQ(rings.coverage.position.z, 6);
    EXPECT_FLOAT_EQ(rings.coverage.scale, 0.8f + 0.04f * std::sin(1.5f));
    EXPECT_FALSE(rings.own.shown) << "the chase camera is not in";
    s.ball.holder = 1; // the local team has it
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
    EXPECT_EQ(own.position.x, -2);
    EXPECT_EQ(own.position.z, 7);
    // No rings at all outside live play or without a local player.
    s.chaseBlend = 1;
    for (int phase : {PHASE_OPENING, PHASE_CHECK_BALL, PHASE_DEAD_BALL, PHASE_OVER, PHASE_LIVE}) {
        s.phase = phase;
        if (phase == PHASE_LIVE) s.localIndex = -1;
        const GuideRings rings = matchGuideRings(s, 0);
        EXPECT_FALSE(rings.coverage.shown || rings.own.shown) << "phase " << phase;
    }
}
