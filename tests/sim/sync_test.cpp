// Rollback sync: a state saved at net tick N, restored after running on and
// re-run with the same inputs, must give the same hash at every tick, and so
// must another peer that starts from the same image.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "sim/match_driver.h"
#include "sim/snapshot.h"
#include "sim_fixture.h"

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

std::unique_ptr<MatchState> startOnline(bool oneOnOne, bool fullCourt, int localIndex, uint32_t seed) {
    auto s = std::make_unique<MatchState>();
    startTestMatch(*s, localIndex, oneOnOne, fullCourt, seed);
    s->online = 1;
    s->humanMask = kHumans;
    return s;
}

// Runs net ticks [from, kFrames); hashes before `from` are left as they were.
std::vector<uint32_t> runFrom(MatchState& s, int from, std::vector<uint32_t> hashes,
                              std::vector<MatchSnapshot>* saves = nullptr) {
    PlayerInput inputs[4];
    for (int f = from; f < kFrames; ++f) {
        if (saves)
            for (size_t k = 0; k < std::size(kSavePoints); ++k)
                if (kSavePoints[k] == f) saveSnapshot(s, (*saves)[k]);
        inputsFor(f, inputs);
        stepMatchFrame(s, inputs);
        hashes[f] = hashMatchState(s);
    }
    return hashes;
}

struct SyncCase {
    const char* name;
    bool oneOnOne, fullCourt;
};

void PrintTo(const SyncCase& c, std::ostream* os) { *os << c.name; }

class SyncTest : public ::testing::TestWithParam<SyncCase> {};

TEST_P(SyncTest, RestoredStateReplaysTheSameHashes) {
    const SyncCase c = GetParam();
    auto s = startOnline(c.oneOnOne, c.fullCourt, 0, 1234);
    std::vector<MatchSnapshot> saved(std::size(kSavePoints));
    const std::vector<uint32_t> hashes = runFrom(*s, 0, std::vector<uint32_t>(kFrames), &saved);
    MatchSnapshot finalImage, image;
    saveSnapshot(*s, finalImage);

    for (size_t k = 0; k < std::size(kSavePoints); ++k) {
        const int n = kSavePoints[k];
        std::vector<uint32_t> cleared(hashes);
        std::fill(cleared.begin() + n, cleared.end(), 0u);
        // the same peer rolls back from the present
        ASSERT_TRUE(loadSnapshot(*s, saved[k].data(), saved[k].size()));
        EXPECT_EQ(runFrom(*s, n, cleared), hashes) << "rolled back to tick " << n;
        saveSnapshot(*s, image);
        EXPECT_EQ(image, finalImage) << "rolled back to tick " << n;
        // another peer, seeded and seated differently, resynchronised by the image
        auto peer = startOnline(c.oneOnOne, c.fullCourt, 2, 77);
        ASSERT_TRUE(loadSnapshot(*peer, saved[k].data(), saved[k].size()));
        EXPECT_EQ(runFrom(*peer, n, cleared), hashes) << "peer resynchronised at tick " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Courts, SyncTest,
                         ::testing::Values(SyncCase{"HalfCourt", false, false}, SyncCase{"FullCourt", false, true},
                                           SyncCase{"OneOnOne", true, false},
                                           SyncCase{"OneOnOneFullCourt", true, true}),
                         [](const ::testing::TestParamInfo<SyncCase>& info) { return info.param.name; });

} // namespace
