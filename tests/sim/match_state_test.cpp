// The roster, a new match's starting state, and callouts with their
// play-by-play lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "characters/character_model.h"
#include "sim/match_arena.h"
#include "sim/callout.h"
#include "sim/camera.h"
#include "sim/match_state.h"

namespace {

struct MatchStateTest : ::testing::Test {
    CharacterModel models[4];
    const CharacterModel* modelPtrs[4] = {&models[0], &models[1], &models[2], &models[3]};
    MatchArena testArena;
    MatchSettings settings;
    void SetUp() override { initTeams(); }
    MatchState fresh(int local, uint32_t seed = 7) {
        MatchState s;
        initMatchState(s, 0, 1, local, modelPtrs, &testArena, 15, seed, settings);
        return s;
    }
};

bool sameColor(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST_F(MatchStateTest, RosterTables) {
    const RosterPlayer& tank = teams[1].players[1];
    EXPECT_FLOAT_EQ(tank.look.height, 2.11f);
    EXPECT_FLOAT_EQ(tank.look.build, 1.20f);
    // Colour 4 of every look is its team's third colour.
    for (const Team& t : teams)
        for (const RosterPlayer& p : t.players) EXPECT_TRUE(sameColor(p.look.jerseyTextColor, t.third));
}

TEST_F(MatchStateTest, NewMatchPlacesPlayersAndPostsTheOpeningBanner) {
    MatchState s = fresh(1);
    EXPECT_EQ(s.humanMask, 2u);
    EXPECT_EQ(s.rng, 7u);
    const Vector3 spots[4] = {{-1.2f, 0, 6.5f}, {1.2f, 0, 6.5f}, {-2.8f, 0, 7.3f}, {2.8f, 0, 7.3f}};
    for (int i = 0; i < 4; ++i) {
        const Player& p = s.players[i];
        EXPECT_EQ(p.team, i / 2);
        EXPECT_EQ(p.matchup, (i + 2) % 4);
        EXPECT_EQ(p.model, &models[i]);
        EXPECT_EQ(p.roster, &teams[i / 2].players[i % 2]);
        EXPECT_NEAR(p.pos.x, spots[i].x, 1e-6f);
        EXPECT_NEAR(p.pos.z, spots[i].z, 1e-6f);
        // Posed standing on the floor at his spot.
        EXPECT_NEAR(p.skeleton.joints[JOINT_PELVIS].m12, p.pos.x, 1e-5f);
        EXPECT_GT(p.skeleton.groundLift, 0.0f);
    }
    EXPECT_FLOAT_EQ(s.ball.pos.z, 7.0f);
    ASSERT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.callouts[0].text, "FIRST TO 15");

    MatchState none = fresh(-1, 0); // seed 0 would stall the xorshift
    EXPECT_EQ(none.rng, 1u);
    EXPECT_EQ(none.humanMask, 0u);
}

TEST_F(MatchStateTest, OneOnOneParksTheIdleSlots) {
    settings.oneOnOne = 1;
    MatchState s = fresh(3);
    EXPECT_EQ(s.players[0].present + s.players[2].present, 0);
    EXPECT_EQ(s.players[1].present + s.players[3].present, 2);
    EXPECT_FLOAT_EQ(s.players[0].pos.z, -60.0f);
    EXPECT_EQ(s.players[1].matchup, 3);
    MatchState cpu = fresh(-1); // no local player: slot 0 plays
    EXPECT_EQ(cpu.players[0].present, 1);
    EXPECT_EQ(cpu.players[0].matchup, 2);
}

TEST_F(MatchStateTest, NewMatchResetsArenaAndClearsOldState) {
    testArena.courtMatrix.m12 = 5;
    settings.fullCourt = 1;
    MatchState s = fresh(0);
    EXPECT_EQ(testArena.courtMatrix.m12, 0.0f);
    EXPECT_TRUE(testArena.fullCourt);
    s.scores[0] = 9;
    s.callouts.push_back(Callout{});
    initMatchState(s, 2, 3, 0, modelPtrs, &testArena, 11, 3, settings);
    EXPECT_EQ(s.scores[0], 0);
    EXPECT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.players[3].roster, &teams[3].players[1]);
}

constexpr Color kGold = {255, 230, 120, 255};

// Runs post; returns what was printed.
template <typename Post>
std::string printed(Post post) {
    testing::internal::CaptureStdout();
    post();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(Callouts, LogLinesListEntriesAndTheOpeningBanner) {
    MatchState s;
    s.clock = 12.34f;
    s.scores[0] = 11;
    s.scores[1] = 7;
    s.playByPlayLog = 1;
    const std::string out = printed([&] {
        postCallout(s, "SPLASH!", kGold, 80, 1.8f);
        postWorldCallout(s, "+3", kGold, {1, 2, 3}, 34);
    });
    EXPECT_EQ(out, "[  12.3] 11-7  SPLASH!\n[  12.3]        (+3)\n");
    ASSERT_EQ(s.callouts.size(), 2u);
    EXPECT_EQ(s.callouts[1].duration, 1.3f); // world texts always last 1.3 s
    s.playByPlayLog = 0;
    EXPECT_EQ(printed([&] { postCallout(s, "GAME!", kGold, 110, 2.5f); }), "");
    EXPECT_EQ(s.callouts.back().text, "GAME!");

    static MatchState fresh; // large record: keep it off the stack
    MatchSettings logged;
    logged.playByPlayLog = 1;
    EXPECT_EQ(printed([&] { initMatchState(fresh, 0, 1, 0, nullptr, nullptr, 15, 1, logged); }),
              "[   0.0] 0-0  FIRST TO 15\n");
}

TEST(Callouts, AgeingDropsOnlyThosePastTheirDurationAndKeepsOrder) {
    MatchState s;
    for (const char* t : {"A", "B", "C"}) postCallout(s, t, kGold, 60, *t == 'B' ? 1.0f : 2.0f);
    ageCallouts(s, 1.0f);
    EXPECT_EQ(s.callouts.size(), 3u); // an age equal to the duration stays
    ageCallouts(s, 0.01f);
    ASSERT_EQ(s.callouts.size(), 2u);
    EXPECT_EQ(s.callouts[0].text + s.callouts[1].text, "AC");
}

TEST(Presentation, HudClocksAdvanceAndTheBallReceivedCueSoundsOnce) {
    static MatchState s;
    initMatchState(s, 0, 1, 0, nullptr, nullptr, 15, 1, MatchSettings{});
    s.events.clear();
    s.phase = PHASE_LIVE;
    s.excitement = 0.5f;
    s.players[0].hasBall = 1;
    const float releaseAge = s.releaseAge, presentTime = s.presentTime;
    updatePresentation(s, 0.02f);
    EXPECT_FLOAT_EQ(s.releaseAge, releaseAge + 0.02f);
    EXPECT_FLOAT_EQ(s.presentTime, presentTime + 0.02f);
    EXPECT_EQ(s.ballReceivedAge, 0.0f); // he has just received the ball
    ASSERT_EQ(s.events.size(), 2u);
    EXPECT_EQ(s.events[0].kind, EVENT_CROWD);
    EXPECT_NEAR(s.events[0].volume, 0.7f, 0.01f); // 0.45 + 0.5 x excitement
    EXPECT_EQ(s.events[1].kind, EVENT_SOUND);
    EXPECT_EQ(s.events[1].id, 8);
    updatePresentation(s, 0.02f); // still holding it: no second cue
    EXPECT_EQ(s.events.size(), 3u);
    EXPECT_FLOAT_EQ(s.ballReceivedAge, 0.02f);
}

} // namespace
