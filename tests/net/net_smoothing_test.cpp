// Correction smoothing: how the offsets decay, what moves with them, and that
// undoing them gives back the simulated state to the byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <raylib.h>
#include <raymath.h>

#include "net/net_smoothing.h"
#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "tests/sim/sim_fixture.h"

TEST(NetSmoothing, OffsetsGlideAwayAndUndoGivesBackTheSimulatedState) {
    auto m = std::make_unique<MatchState>();
    startTestMatch(*m, 0, false, false, 5);
    m->online = 1;
    PlayerInput inputs[4] = {};
    for (int f = 0; f < 3000 && !(m->phase == PHASE_LIVE && m->ball.phase == BALL_HELD); ++f)
        stepMatchFrame(*m, inputs);
    ASSERT_EQ(m->ball.phase, BALL_HELD);
    // A remote player and the local player (in first person) show emotes;
    // one player's correction is too big to glide, another's too small.
    const int holder = m->ball.holder, local = (holder + 1) % 4, far = (holder + 2) % 4, tiny = (holder + 3) % 4;
    m->localIndex = local;
    m->chaseBlend = 0;
    m->emoteId[tiny] = 5;
    m->emoteId[local] = 2;
    m->emoteTime[tiny] = m->emoteTime[local] = 0.8f;
    NetSmoothing s;
    s.playerOffset[holder] = {1.0f, 0, 0};
    s.playerOffset[far] = {3.5f, 0, 0};
    s.playerOffset[tiny] = {0, 0, 0.001f};
    s.ballOffset = {0, 1.0f, 0};
    MatchSnapshot before, after;
    saveSnapshot(*m, before);
    const uint32_t hash = hashMatchState(*m);
    const Vector3 ball = m->ball.pos, at = m->players[holder].pos;
    const Skeleton own = m->players[local].skeleton;

    const float dt = 1.0f / 60.0f, k = std::exp(-12.0f * dt);
    smoothNetCorrections(s, *m, dt);
    EXPECT_FLOAT_EQ(s.playerOffset[holder].x, k);
    EXPECT_EQ(s.playerOffset[far].x, 0.0f);
    EXPECT_EQ(s.playerOffset[tiny].z, 0.0f);
    EXPECT_FLOAT_EQ(s.ballOffset.y, k);
    EXPECT_FLOAT_EQ(m->players[holder].pos.x, at.x + k);
    EXPECT_EQ(std::memcmp(&m->players[local].skeleton, &own, sizeof own), 0); // own body unseen
    EXPECT_GT(Vector3Distance(handPosition(m->players[tiny].skeleton, 0), handPosition(s.savedSkeleton[tiny], 0)),
              0.05f);
    EXPECT_FLOAT_EQ(m->ball.pos.x, ball.x + k); // with its holder, not its own offset
    EXPECT_EQ(m->ball.pos.y, ball.y);

    undoNetSmoothing(s, *m);
    saveSnapshot(*m, after);
    EXPECT_EQ(before, after); // positions, skeletons and poses alike
    EXPECT_EQ(hashMatchState(*m), hash);
    EXPECT_EQ(m->ball.pos.x, ball.x);
    undoNetSmoothing(s, *m); // nothing pending: a second undo changes nothing
    saveSnapshot(*m, after);
    EXPECT_EQ(before, after);
}
