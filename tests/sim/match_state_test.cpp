// The roster, a new match's starting state, callouts with their play-by-play
// lines, and the per-frame presentation.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/callout.h"
#include "sim/camera.h"
#include "sim_fixture.h"

namespace {

bool sameColor(Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST(NewMatch, RosterStartingSpotsAndTheOpening) {
    auto s = newMatch({.localIndex = 1, .seed = 7});
    const RosterPlayer& tank = teams[1].players[1];
    EXPECT_FLOAT_EQ(tank.look.height, 2.11f);
    for (const Team& t : teams) // colour 4 of every look is its team's third colour
        for (const RosterPlayer& p : t.players) EXPECT_TRUE(sameColor(p.look.jerseyTextColor, t.third));
    EXPECT_EQ(s->humanMask, 2u);
    EXPECT_EQ(s->rng, 7u);
    const Vector3 spots[4] = {{-1.2f, 0, 6.5f}, {1.2f, 0, 6.5f}, {-2.8f, 0, 7.3f}, {2.8f, 0, 7.3f}};
    for (int i = 0; i < 4; ++i) {
        const Player& p = s->players[i];
        EXPECT_EQ(p.matchup, (i + 2) % 4);
        EXPECT_EQ(p.roster, &teams[i / 2].players[i % 2]);
        EXPECT_NEAR(p.pos.x, spots[i].x, 1e-6f);
        EXPECT_NEAR(p.pos.z, spots[i].z, 1e-6f);
        EXPECT_NEAR(p.skeleton.joints[JOINT_PELVIS].m12, p.pos.x, 1e-5f); // posed on the floor at his spot
        EXPECT_GT(p.skeleton.groundLift, 0.0f);
    }
    EXPECT_FLOAT_EQ(s->ball.pos.z, 7.0f);

    // The opening: a banner, the whistle and the crowd, as events.
    auto t = std::make_unique<TestMatch>();
    MatchSettings logged;
    logged.playByPlayLog = 1;
    testing::internal::CaptureStdout();
    initMatchState(*t, 0, 1, -1, nullptr, &t->hoops, 15, 0, logged);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[   0.0] 0-0  FIRST TO 15\n");
    EXPECT_EQ(t->rng, 1u); // seed 0 would stall the xorshift
    EXPECT_EQ(t->humanMask, 0u);
    ASSERT_EQ(t->events.size(), 2u);
    EXPECT_EQ(t->events[0].kind, EVENT_SOUND);
    EXPECT_EQ(t->events[0].id, 7);
    EXPECT_EQ(t->events[1].kind, EVENT_CROWD);
}

TEST(NewMatch, OneOnOneFullCourtAndARematchResetTheirState) {
    auto s = newMatch({.localIndex = 3, .oneOnOne = true});
    EXPECT_EQ(s->players[0].present + s->players[2].present, 0); // the idle slots are parked
    EXPECT_EQ(s->players[1].present + s->players[3].present, 2);
    EXPECT_FLOAT_EQ(s->players[0].pos.z, -60.0f);
    EXPECT_EQ(s->players[1].matchup, 3);
    auto cpu = newMatch({.localIndex = -1, .oneOnOne = true}); // nobody local: slot 0 plays
    EXPECT_EQ(cpu->players[0].matchup, 2);

    auto full = newMatch({.fullCourt = true});
    full->hoops.courtMatrix.m12 = 5;
    full->scores[0] = 9;
    postCallout(*full, "OLD", {255, 255, 255, 255}, 20, 1);
    MatchSettings rules;
    rules.fullCourt = 1;
    rules.difficulty = 9; // kept inside 0..3
    initMatchState(*full, 2, 3, 0, nullptr, &full->hoops, 11, 3, rules);
    EXPECT_EQ(full->hoops.courtMatrix.m12, 0.0f);
    EXPECT_TRUE(full->hoops.fullCourt);
    EXPECT_EQ(full->scores[0], 0);
    ASSERT_EQ(full->callouts.size(), 1u);
    EXPECT_EQ(full->callouts[0].text, "FIRST TO 11");
    EXPECT_EQ(full->players[3].roster, &teams[3].players[1]);
    EXPECT_EQ(full->difficulty, 3);
    rules.difficulty = 0;
    rules.sprintToggle = 0;
    applyMatchSettings(*full, rules); // new options reach a running match
    EXPECT_EQ(full->difficulty, 0);
    EXPECT_EQ(full->sprintToggle, 0);
}

constexpr Color kGold = {255, 230, 120, 255};

TEST(Callouts, LogLinesOnlyWhenLoggingAndAgeingKeepsTheOrder) {
    MatchState s;
    s.clock = 12.34f;
    s.scores[0] = 11;
    s.scores[1] = 7;
    s.playByPlayLog = 1;
    testing::internal::CaptureStdout();
    postCallout(s, "SPLASH!", kGold, 80, 1.8f);
    postWorldCallout(s, "+3", kGold, {1, 2, 3}, 34);
    s.playByPlayLog = 0;
    postCallout(s, "GAME!", kGold, 110, 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[  12.3] 11-7  SPLASH!\n[  12.3]        (+3)\n");
    ASSERT_EQ(s.callouts.size(), 3u);
    EXPECT_EQ(s.callouts[1].duration, 1.3f); // world texts always last 1.3 s
    ageCallouts(s, 1.0f);
    EXPECT_EQ(s.callouts.size(), 3u); // an age equal to the duration stays
    ageCallouts(s, 0.31f);
    ASSERT_EQ(s.callouts.size(), 1u);
    EXPECT_EQ(s.callouts[0].text, "SPLASH!");

    // One in the middle expires: the others keep their order.
    MatchState t;
    for (const char* text : {"A", "B", "C", "D"}) postCallout(t, text, kGold, 60, *text == 'B' ? 1.0f : 2.0f);
    ageCallouts(t, 1.01f);
    ASSERT_EQ(t.callouts.size(), 3u);
    EXPECT_EQ(t.callouts[0].text + t.callouts[1].text + t.callouts[2].text, "ACD");
}

TEST(Presentation, HudClocksAdvanceAndTheBallReceivedCueSoundsOnce) {
    auto s = newMatch({.localIndex = 0});
    s->phase = PHASE_LIVE;
    s->excitement = 0.5f;
    s->players[0].hasBall = 1;
    const float releaseAge = s->releaseAge, presentTime = s->presentTime;
    updatePresentation(*s, 0.02f);
    EXPECT_FLOAT_EQ(s->releaseAge, releaseAge + 0.02f);
    EXPECT_FLOAT_EQ(s->presentTime, presentTime + 0.02f);
    EXPECT_EQ(s->ballReceivedAge, 0.0f); // he has just received the ball
    ASSERT_EQ(s->events.size(), 2u);
    EXPECT_EQ(s->events[0].kind, EVENT_CROWD);
    EXPECT_NEAR(s->events[0].volume, 0.7f, 0.01f); // 0.45 + 0.5 x excitement
    EXPECT_EQ(s->events[1].id, 8);
    updatePresentation(*s, 0.02f); // still holding it: no second cue
    EXPECT_EQ(s->events.size(), 3u);
    EXPECT_FLOAT_EQ(s->ballReceivedAge, 0.02f);
}

TEST(Presentation, TheTipsToastFadesWithOrWithoutALocalPlayer) {
    for (int local : {0, -1}) {
        auto s = newMatch({.localIndex = local});
        s->tipsToast = 1.8f;
        for (int i = 0; i < 100; ++i) updatePresentation(*s, 0.02f);
        EXPECT_EQ(s->tipsToast, 0.0f) << "local player " << local;
    }
}

} // namespace
