// Ball flight: makes and misses played out through updateBall, and out of
// bounds.
#include <cmath>
#include <string>
#include <gtest/gtest.h>
#include <raylib.h>

#include "sim/ball.h"
#include "sim/court.h"
#include "sim/shot_start.h"
#include "sim_fixture.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

// Live play with a shot by player 0 about to leave from a point; everyone far.
std::unique_ptr<TestMatch> shotScene() {
    auto s = newMatch({.localIndex = 0});
    const Vector3 parked[4] = {{-7, 0, 12}, {7, 0, 12}, {-7, 0, 10}, {7, 0, 10}};
    for (Player& p : s->players) placePlayer(p, parked[p.index], 0);
    giveBall(*s, 0);
    s->players[0].hasBall = 0;
    return s;
}

void launch(MatchState& s, Vector3 from, bool made, bool finish, int grade) {
    s.phase = PHASE_LIVE;
    BallState& b = s.ball;
    b.phase = BALL_SHOT;
    b.holder = -1;
    b.shooter = 0;
    b.shootingTeam = b.possessionTeam = 0;
    b.shotValue = 2;
    b.rimTouched = b.unclearedAtRelease = b.dunk = 0;
    b.shotRebound = 1;
    b.blockTried = 0;
    b.flightTime = 0;
    launchShot(s, from, made, std::hypot(from.x, from.z), finish, grade);
}

// Plays the flight out; true when it scored.
bool playOut(MatchState& s) {
    const int before = s.scores[0];
    for (int i = 0; i < 600 && s.ball.phase == BALL_SHOT; ++i) updateBall(s, kDt);
    return s.scores[0] > before;
}

std::string lastCallout(const MatchState& s) { return s.callouts.empty() ? "" : s.callouts.back().text; }

struct GridResult {
    int shots = 0, made = 0;
};

GridResult shootGrid(bool finish, bool made, int grade, const float* distances, int nd, const float* heights, int nh) {
    GridResult g;
    auto s = shotScene();
    for (int i = 0; i < nd; ++i)
        for (int j = 0; j < nh; ++j)
            for (int k = 0; k < 9; ++k) {
                const float angle = (-80.0f + 20.0f * k) * DEG2RAD;
                const float d = distances[i];
                launch(*s, {d * std::sin(angle), heights[j], d * std::cos(angle)}, made, finish, grade);
                g.made += playOut(*s);
                ++g.shots;
            }
    return g;
}

// Release points as the game makes them: jump shots from 1.5 m out; finishes
// from the hands above the head, or lower once a metre or so out (closer and
// below the rim the ball starts inside the rim's shadow).
TEST(BallFlight, ShotsLaunchedAsMakesGoIn) {
    const float jumpD[] = {1.5f, 2.0f, 3.0f, 4.5f, 6.0f, 7.0f, 7.5f, 8.5f, 9.5f, 11.0f};
    const float jumpH[] = {2.6f, 2.8f, 3.0f, 3.2f, 3.4f, 3.7f};
    const float overD[] = {0.0f, 0.1f, 0.2f, 0.3f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 2.5f};
    const float overH[] = {3.1f, 3.2f, 3.35f, 3.5f};
    const float outD[] = {0.75f, 1.0f, 1.5f, 2.0f, 2.5f};
    const float outH[] = {2.8f, 2.9f, 3.0f};
    for (const GridResult& g : {shootGrid(false, true, GRADE_PERFECT, jumpD, 10, jumpH, 6),
                                shootGrid(true, true, GRADE_FINISH, overD, 10, overH, 4),
                                shootGrid(true, true, GRADE_FINISH, outD, 5, outH, 3)})
        EXPECT_GE(g.made, g.shots * 99 / 100) << g.made << " of " << g.shots;
}

struct MissResult {
    int shots = 0, touched = 0, made = 0, rebounds = 0;
};

MissResult shootMisses(int grade) {
    MissResult m;
    auto s = shotScene();
    for (float d : {2.0f, 4.0f, 6.0f, 8.0f})
        for (float h : {2.8f, 3.1f})
            for (int k = 0; k < 10; ++k) {
                const float angle = (-60.0f + 12.0f * k) * DEG2RAD;
                launch(*s, {d * std::sin(angle), h, d * std::cos(angle)}, false, false, grade);
                const bool made = playOut(*s);
                m.made += made;
                ++m.shots;
                m.touched += s->ball.rimTouched;
                // A miss comes down as a loose ball from a shot (a rebound),
                // or, bounced far enough, straight out of bounds.
                const bool out = s->ball.phase == BALL_DEAD && lastCallout(*s) == "OUT OF BOUNDS";
                m.rebounds += !made && (s->ball.phase == BALL_LOOSE || out) && s->ball.shotRebound;
            }
    return m;
}

TEST(BallFlight, MissesHitTheRimAndRebound) {
    // A timed miss lands 0.15 to 0.3 m off the centre: always on the rim, and
    // now and then it rolls in.
    const MissResult good = shootMisses(GRADE_GOOD);
    EXPECT_EQ(good.touched, good.shots);
    EXPECT_LE(good.made, good.shots / 5) << good.made << " of " << good.shots;
    EXPECT_EQ(good.rebounds + good.made, good.shots);
    // Early and late misses go 0.2 to 0.42 m short or long: mostly off the
    // rim or the board; the shortest fall in front of it.
    for (int grade : {GRADE_EARLY, GRADE_LATE}) {
        const MissResult m = shootMisses(grade);
        EXPECT_GE(m.touched, m.shots / 2) << grade;
        EXPECT_LE(m.made, m.shots / 5) << grade;
    }
}

TEST(BallFlight, OutOfBoundsOnlyWhenItComesDown) {
    auto s = shotScene();
    s->phase = PHASE_LIVE;
    BallState& b = s->ball;
    b.phase = BALL_LOOSE;
    b.holder = -1;
    b.possessionTeam = 0; // team 0 touched it last
    b.pos = {7.5f, 2.0f, 5.0f};
    b.vel = {3.0f, 0.5f, 0};
    bool overTheLine = false;
    for (int i = 0; i < 600 && s->phase == PHASE_LIVE; ++i) {
        overTheLine |= b.pos.x > 7.62f && b.pos.y > 0.5f;
        updateBall(*s, kDt);
    }
    EXPECT_TRUE(overTheLine);    // it flew over the line uncalled
    EXPECT_LE(b.pos.y, 0.1211f); // and was called on landing
    EXPECT_EQ(s->nextOffense, 1);
    EXPECT_EQ(lastCallout(*s), "OUT OF BOUNDS");
}

} // namespace
