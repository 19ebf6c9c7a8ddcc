// All-CPU matches to 11 in every mode at every difficulty: each is played to
// its end with consistent box scores, a state the snapshot loader accepts on
// every frame and everyone on the court; "CLEARED" only in half court; and
// together they show every kind of play.
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "sim/callout.h"
#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "sim_fixture.h"

namespace {

constexpr int kTarget = 11;
constexpr int kMaxFrames = 60 * 1800;

struct MatchMode {
    int difficulty;
    bool oneOnOne, fullCourt;
};

// The court bounds, with room for the body-contact push that follows them.
bool onCourt(const MatchState& s, const Player& p) {
    constexpr float kContactPush = 0.4f;
    const float maxZ = (s.fullCourt ? 26.86f : 12.53f) + kContactPush;
    return std::fabs(p.pos.x) <= 7.42f + kContactPush && p.pos.z >= -1.42f - kContactPush && p.pos.z <= maxZ;
}

struct Totals {
    int twos = 0, threes = 0, rebounds = 0, assists = 0, steals = 0, blocks = 0, dunks = 0;
    bool clearedInHalfCourt = false;
};

void playMatch(const MatchMode& m, uint32_t seed, Totals& totals) {
    SCOPED_TRACE(std::string(m.oneOnOne ? "1v1" : "2v2") + (m.fullCourt ? " full" : " half") + " difficulty " +
                 std::to_string(m.difficulty));
    const MatchOptions options = {-1, m.oneOnOne, m.fullCourt, m.difficulty, kTarget, seed};
    auto s = newMatch(options);
    auto scratch = newMatch(options);
    const PlayerInput idle[4] = {};
    MatchSnapshot image;
    bool cleared = false;
    int frame = 0;
    for (; frame < kMaxFrames && s->phase != PHASE_OVER; ++frame) {
        stepMatchFrame(*s, idle);
        for (const Callout& c : s->callouts) cleared |= c.text == "CLEARED";
        ageCallouts(*s, 1.0f / 60.0f);
        saveSnapshot(*s, image);
        ASSERT_TRUE(loadSnapshot(*scratch, image.data(), image.size())) << "frame " << frame;
        for (const Player& p : s->players) {
            if (!p.present) continue;
            ASSERT_LE(std::sqrt(p.moveWish.x * p.moveWish.x + p.moveWish.z * p.moveWish.z), 1.0001f)
                << "player " << p.index << " frame " << frame;
            ASSERT_TRUE(onCourt(*s, p)) << "player " << p.index << " frame " << frame << " at " << p.pos.x
                                        << ", " << p.pos.z;
        }
    }
    ASSERT_EQ(s->phase, PHASE_OVER) << "score " << s->scores[0] << "-" << s->scores[1] << " after " << frame
                                    << " frames";
    ASSERT_GE(s->winner, 0);
    EXPECT_GE(s->scores[s->winner], kTarget);
    EXPECT_LT(s->scores[1 - s->winner], kTarget);
    int team[2] = {0, 0};
    for (const Player& p : s->players) {
        EXPECT_EQ(p.points, 2 * (p.fgm - p.tpm) + 3 * p.tpm) << "player " << p.index;
        EXPECT_LE(p.fgm, p.fga);
        EXPECT_LE(p.tpm, p.tpa);
        EXPECT_LE(p.tpm, p.fgm);
        team[p.team] += p.points;
        totals.twos += p.fgm - p.tpm;
        totals.threes += p.tpm;
        totals.rebounds += p.rebounds;
        totals.assists += p.assists;
        totals.steals += p.steals;
        totals.blocks += p.blocks;
        totals.dunks += p.dunks;
    }
    EXPECT_EQ(team[0], s->scores[0]);
    EXPECT_EQ(team[1], s->scores[1]);
    if (m.fullCourt) EXPECT_FALSE(cleared);
    else totals.clearedInHalfCourt |= cleared;
}

TEST(AiMatches, EveryModeAndDifficultyPlaysToTheEndAndShowsEveryKindOfPlay) {
    Totals totals;
    uint32_t n = 0;
    for (int d = 0; d < 4; ++d)
        for (bool one : {false, true})
            for (bool full : {false, true}) playMatch({d, one, full}, trialSeed(++n), totals);
    EXPECT_GT(totals.twos, 0);
    EXPECT_GT(totals.threes, 0);
    EXPECT_GT(totals.rebounds, 0);
    EXPECT_GT(totals.assists, 0);
    EXPECT_GT(totals.steals, 0);
    EXPECT_GT(totals.blocks, 0);
    EXPECT_GT(totals.dunks, 0);
    EXPECT_TRUE(totals.clearedInHalfCourt);
}

} // namespace
