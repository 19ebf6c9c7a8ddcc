// Rollback sync: a state saved at net tick N, restored after running on and
// re-run with the same inputs, must give the same hash at every tick, and so
// must another peer that starts from the same image.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "tests/sim/test_match.h"

namespace {

constexpr int kFrames = 600; // ten seconds of net ticks
constexpr int kSavePoints[] = {0, 1, 59, 127, 300, 451, kFrames - 1};
constexpr uint32_t kHumans = 0b0101; // players 0 and 2 are people, 1 and 3 CPU

// Scripted inputs of every slot for one net tick: the same on every call.
void inputsFor(int frame, PlayerInput out[4]) {
    for (int i = 0; i < 4; ++i) {
        uint32_t x = (uint32_t)frame * 2654435761u + (uint32_t)i * 40503u + 1u;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        PlayerInput& in = out[i];
        in = PlayerInput{};
        in.valid = 1;
        in.worldMoveX = (float)((x >> 4) & 255) / 127.5f - 1.0f;
        in.worldMoveZ = (float)((x >> 12) & 255) / 127.5f - 1.0f;
        in.sprintDown = (x >> 20) & 1;
        in.shootDown = (x >> 21) & 1;
        in.shootPressed = ((x >> 22) & 15) == 0;
        in.shootReleased = ((x >> 26) & 15) == 0;
        in.passPressed = ((x >> 8) & 31) == 0;
        in.movePressed = ((x >> 16) & 31) == 0;
        in.aimWithYaw = 1;
        in.yaw = (float)(x & 1023) / 1023.0f * 6.283f - 3.1415f;
    }
}

void startOnline(MatchState& s, bool oneOnOne, bool fullCourt, int localIndex, uint32_t seed) {
    startTestMatch(s, localIndex, oneOnOne, fullCourt, seed);
    s.online = 1;
    s.humanMask = kHumans;
}

void runFrames(MatchState& s, int from, int to, std::vector<uint32_t>& hashes) {
    PlayerInput inputs[4];
    for (int f = from; f < to; ++f) {
        inputsFor(f, inputs);
        stepMatchFrame(s, inputs);
        hashes[f] = hashMatchState(s);
    }
}

struct SyncCase {
    const char* name;
    bool oneOnOne, fullCourt;
};
void PrintTo(const SyncCase& c, std::ostream* os) { *os << c.name; }

class SyncTest : public ::testing::TestWithParam<SyncCase> {};

TEST_P(SyncTest, RestoredStateReplaysTheSameHashes) {
    const SyncCase c = GetParam();
    auto s = std::make_unique<MatchState>();
    startOnline(*s, c.oneOnOne, c.fullCourt, 0, 1234);

    std::vector<uint32_t> hashes(kFrames);
    std::vector<MatchSnapshot> saved(std::size(kSavePoints));
    int next = 0;
    PlayerInput inputs[4];
    for (int f = 0; f < kFrames; ++f) {
        if (next < (int)std::size(kSavePoints) && kSavePoints[next] == f) saveSnapshot(*s, saved[next++]);
        inputsFor(f, inputs);
        stepMatchFrame(*s, inputs);
        hashes[f] = hashMatchState(*s);
    }
    MatchSnapshot finalImage;
    saveSnapshot(*s, finalImage);

    // a second run from scratch is the same run
    auto again = std::make_unique<MatchState>();
    startOnline(*again, c.oneOnOne, c.fullCourt, 0, 1234);
    std::vector<uint32_t> againHashes(kFrames);
    runFrames(*again, 0, kFrames, againHashes);
    EXPECT_EQ(againHashes, hashes);

    for (size_t k = 0; k < std::size(kSavePoints); ++k) {
        const int n = kSavePoints[k];
        // the same peer rolls back from the present
        std::vector<uint32_t> replay(hashes);
        ASSERT_TRUE(loadSnapshot(*s, saved[k].data(), saved[k].size()));
        std::fill(replay.begin() + n, replay.end(), 0u);
        runFrames(*s, n, kFrames, replay);
        EXPECT_EQ(replay, hashes) << "rolled back to tick " << n;
        MatchSnapshot image;
        saveSnapshot(*s, image);
        EXPECT_EQ(image, finalImage) << "rolled back to tick " << n;

        // another peer, seeded and seated differently, resynchronised by the image
        auto peer = std::make_unique<MatchState>();
        startOnline(*peer, c.oneOnOne, c.fullCourt, 2, 77);
        ASSERT_TRUE(loadSnapshot(*peer, saved[k].data(), saved[k].size()));
        std::vector<uint32_t> peerHashes(hashes);
        std::fill(peerHashes.begin() + n, peerHashes.end(), 0u);
        runFrames(*peer, n, kFrames, peerHashes);
        EXPECT_EQ(peerHashes, hashes) << "peer resynchronised at tick " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Courts, SyncTest,
                         ::testing::Values(SyncCase{"HalfCourt", false, false}, SyncCase{"FullCourt", false, true},
                                           SyncCase{"OneOnOne", true, false},
                                           SyncCase{"OneOnOneFullCourt", true, true}),
                         [](const ::testing::TestParamInfo<SyncCase>& info) { return info.param.name; });

} // namespace
