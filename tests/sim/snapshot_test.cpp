// The snapshot image: its size and wire offsets, the exact round trip, the
// refusal of damaged or hostile images with the state left alone, and which
// fields the state hash covers.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "characters/animation.h"
#include "sim/snapshot.h"
#include "sim_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr size_t kPlayerBase = 196, kPlayerSize = 1536, kBallBase = 64;

uint32_t u32At(const MatchSnapshot& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
float f32At(const MatchSnapshot& b, size_t at) { return std::bit_cast<float>(u32At(b, at)); }
void putU32(MatchSnapshot& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (uint8_t)(v >> (8 * i));
}
void putF32(MatchSnapshot& b, size_t at, float v) { putU32(b, at, std::bit_cast<uint32_t>(v)); }
size_t playerField(int i, size_t offset) { return kPlayerBase + (size_t)i * kPlayerSize + offset; }

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        state = std::make_unique<MatchState>();
        startTestMatch(*state, 0, false, false);
        animatePlayers(*state, 1.0f / 60.0f);
    }
    MatchSnapshot save() const {
        MatchSnapshot b;
        saveSnapshot(*state, b);
        return b;
    }
    std::unique_ptr<MatchState> state;
};

TEST_F(SnapshotTest, ImageHasTheWireLayout) {
    MatchState& s = *state;
    s.rng = 0xA1B2C3D4u;
    s.scores[1] = 9;
    s.ball.holder = 3;
    s.ball.spinRot = {0.1f, 0.2f, 0.3f, 0.9f};
    s.players[2].energy = 0.375f;
    s.players[3].skeleton.joints[JOINT_HEAD].m12 = 4.25f;
    s.players[1].prevVel = {1, 2, 3};
    const MatchSnapshot b = save();

    ASSERT_EQ(b.size(), 6340u);
    EXPECT_EQ(u32At(b, 0), 0x4B535431u); // "1TSK"
    EXPECT_EQ(b[4], 0xD4);               // little-endian
    EXPECT_EQ(b[7], 0xA1);
    EXPECT_EQ(u32At(b, 12), 9u);
    EXPECT_EQ(u32At(b, kBallBase + 68), 3u);
    EXPECT_EQ(f32At(b, kBallBase + 52), 0.9f);
    EXPECT_EQ(f32At(b, playerField(2, 1236)), 0.375f);
    // joint 3, fourth float of raylib's order (m0, m4, m8, m12, ...)
    EXPECT_EQ(f32At(b, playerField(3, 64 + 3 * 64 + 12)), 4.25f);
    EXPECT_EQ(f32At(b, playerField(1, 1532)), 3.0f);
    EXPECT_EQ(u32At(b, playerField(3, 4)), 1u);
    // Gaps are zero, so equal states give equal images.
    EXPECT_EQ(b[63], 0);
    for (int i = 0; i < 4; ++i)
        for (size_t at : {13, 20, 31, 1225, 1242, 1249, 1477 + 1, 1413})
            EXPECT_EQ(b[playerField(i, at)], 0) << "player " << i << " byte " << at;
    EXPECT_EQ(save(), b);
    MatchSnapshot reused(kSnapshotSize, 0xAB);
    saveSnapshot(s, reused);
    EXPECT_EQ(reused, b) << "a buffer that held other bytes gets its gaps cleared";
}

TEST_F(SnapshotTest, SaveLoadSaveIsExact) {
    MatchState& s = *state;
    s.players[1].energy = 0.4f;
    s.ball.phase = BALL_SHOT;
    s.ball.shooter = 1;
    s.flipped = 0;
    s.phase = PHASE_LIVE;
    const MatchSnapshot first = save();

    auto other = std::make_unique<MatchState>();
    startTestMatch(*other, 2, false, false, 99);
    other->callouts.clear();
    const CharacterModel* model = other->players[3].model;
    ASSERT_TRUE(loadSnapshot(*other, first.data(), first.size()));
    EXPECT_EQ(other->players[3].model, model);
    EXPECT_EQ(other->localIndex, 2); // not in the image
    EXPECT_TRUE(other->callouts.empty());
    EXPECT_EQ(hashMatchState(*other), hashMatchState(s));

    MatchSnapshot second;
    saveSnapshot(*other, second);
    EXPECT_EQ(second, first);

    // An image from the other end of a full court mirrors the court first.
    startTestMatch(*other, 0, false, true);
    other->flipped = 1;
    saveSnapshot(*other, second);
    other->flipped = 0;
    ASSERT_TRUE(loadSnapshot(*other, second.data(), second.size()));
    EXPECT_EQ(other->flipped, 1);
}

// Each damage is applied to a good image; the state must come out untouched.
struct Damage {
    const char* what;
    std::function<void(MatchSnapshot&)> apply;
};

TEST_F(SnapshotTest, DamagedImagesAreRefusedWithTheStateUntouched) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Damage damages[] = {
        {"magic", [](MatchSnapshot& b) { b[3] = 'X'; }},
        {"rng zero", [](MatchSnapshot& b) { putU32(b, 4, 0); }},
        {"offense", [](MatchSnapshot& b) { putU32(b, 16, 2); }},
        {"checker", [](MatchSnapshot& b) { putU32(b, 24, 4); }},
        {"winner", [](MatchSnapshot& b) { putU32(b, 32, 2); }},
        {"match phase", [](MatchSnapshot& b) { putU32(b, 56, 5); }},
        {"flipped in half court", [](MatchSnapshot& b) { b[62] = 1; }},
        {"shot clock", [&](MatchSnapshot& b) { putF32(b, 40, nan); }},
        {"ball phase", [](MatchSnapshot& b) { putU32(b, kBallBase, 5); }},
        {"ball position", [&](MatchSnapshot& b) { putF32(b, kBallBase + 8, inf); }},
        {"holder", [](MatchSnapshot& b) { putU32(b, kBallBase + 68, 4); }},
        {"shooter", [](MatchSnapshot& b) { putU32(b, kBallBase + 72, 0x7FFFFFFF); }},
        {"pass from", [](MatchSnapshot& b) { putU32(b, kBallBase + 76, (uint32_t)-2); }},
        {"shot value", [](MatchSnapshot& b) { putU32(b, kBallBase + 104, 7); }},
        {"player index", [](MatchSnapshot& b) { putU32(b, playerField(1, 0), 0); }},
        {"skeleton", [&](MatchSnapshot& b) { putF32(b, playerField(2, 64 + 6 * 64 + 12), nan); }},
        {"pose", [&](MatchSnapshot& b) { putF32(b, playerField(0, 1092), -inf); }},
        {"action", [](MatchSnapshot& b) { putU32(b, playerField(0, 1228), ACTION_STATE_COUNT); }},
        {"matchup", [](MatchSnapshot& b) { putU32(b, playerField(3, 1472), 4); }},
        {"previous velocity", [&](MatchSnapshot& b) { putF32(b, playerField(3, 1532), nan); }},
        // Finite but out of the match's reach: it would turn to infinities.
        {"ball speed 1e30", [](MatchSnapshot& b) { putF32(b, kBallBase + 16, 1e30f); }},
        {"ball flying out of reach", [](MatchSnapshot& b) { putF32(b, kBallBase + 20, 65.0f); }},
        {"player speed", [](MatchSnapshot& b) { putF32(b, playerField(1, 1200), 1e6f); }},
        {"jump out of reach", [](MatchSnapshot& b) { putF32(b, playerField(0, 1220), 20.0f); }},
        {"in the air while walking", [](MatchSnapshot& b) { b[playerField(1, 1224)] = 1; }},
        {"far from the court", [](MatchSnapshot& b) { putF32(b, playerField(2, 1196), -80.0f); }},
        {"rating", [](MatchSnapshot& b) { putF32(b, playerField(2, 36), 1e9f); }},
        {"timer", [](MatchSnapshot& b) { putF32(b, playerField(0, 1232), 1e20f); }},
        {"score", [](MatchSnapshot& b) { putU32(b, 8, 0x7FFFFFFF); }},
    };
    MatchState& s = *state;
    s.players[2].energy = 0.5f;
    const MatchSnapshot good = save();
    const uint32_t hash = hashMatchState(s);
    const size_t callouts = s.callouts.size();

    s.players[2].energy = 0.25f; // what must survive a refused load
    const MatchSnapshot before = save();
    for (const Damage& d : damages) {
        MatchSnapshot b = good;
        d.apply(b);
        EXPECT_FALSE(loadSnapshot(s, b.data(), b.size())) << d.what;
        EXPECT_EQ(save(), before) << d.what;
        EXPECT_EQ(s.callouts.size(), callouts) << d.what;
    }
    MatchSnapshot longer = good;
    longer.push_back(0);
    EXPECT_FALSE(loadSnapshot(s, longer.data(), longer.size()));
    EXPECT_FALSE(loadSnapshot(s, good.data(), good.size() - 1));
    EXPECT_FALSE(loadSnapshot(s, good.data(), 0));
    EXPECT_FALSE(loadSnapshot(s, nullptr, good.size()));
    EXPECT_EQ(save(), before);

    ASSERT_TRUE(loadSnapshot(s, good.data(), good.size())); // the undamaged image still loads
    EXPECT_EQ(hashMatchState(s), hash);
    MatchSnapshot flags = good; // flag bytes read as booleans
    flags[60] = 7;                      // mustClear
    flags[playerField(1, 1248)] = 0x80; // hasBall
    ASSERT_TRUE(loadSnapshot(s, flags.data(), flags.size()));
    EXPECT_EQ(s.mustClear, 1);
    EXPECT_EQ(s.players[1].hasBall, 1);
}

// The fuzz entry over its own real images and a fixed set of patched ones:
// each image either is refused untouched or plays on and its successor loads.
TEST(SnapshotFuzz, AcceptedImagesPlayOnAndTheirSuccessorsLoad) {
    uint32_t x = 2463534242u;
    for (int i = 0; i < 240; ++i) {
        std::vector<uint8_t> input(1 + 7 * (size_t)(1 + i % 6));
        for (uint8_t& byte : input) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            byte = (uint8_t)(x >> 7);
        }
        if (i < 12) input.resize(1);
        input[0] = (uint8_t)i;
        LLVMFuzzerTestOneInput(input.data(), input.size()); // aborts on a broken promise
    }
}

TEST_F(SnapshotTest, HashCoversExactlyTheNamedFields) {
    MatchState& s = *state;
    const uint32_t base = hashMatchState(s);
    using Edit = std::function<void(MatchState&)>;
    const Edit outside[] = {
        [](MatchState& m) { postCallout(m, "HELLO", {255, 255, 255, 255}, 20, 1.0f); },
        [](MatchState& m) { m.camera.position.x += 3; },
        [](MatchState& m) { m.slowMotion = 1.2f; },
        [](MatchState& m) { m.clock += 1; },
        [](MatchState& m) { m.mustClear = !m.mustClear; },
        [](MatchState& m) { m.ball.shooter = 2; },
        [](MatchState& m) { m.players[1].runPhase += 1; },
        [](MatchState& m) { m.players[1].pose.v[POSE_TRUNK_PITCH] = 0.5f; }, // the hand was posed before
        [](MatchState& m) { m.players[3].skeleton.joints[JOINT_HEAD].m13 += 1; },
        [](MatchState& m) { m.players[0].skeleton.joints[handJoint(1)].m13 += 1; }, // right hand
    };
    for (size_t i = 0; i < std::size(outside); ++i) {
        auto copy = std::make_unique<MatchState>(s);
        outside[i](*copy);
        EXPECT_EQ(hashMatchState(*copy), base) << "edit " << i << " outside the hash";
    }
    const Edit inside[] = {
        [](MatchState& m) { m.rng ^= 1; },
        [](MatchState& m) { m.scores[0] += 1; },
        [](MatchState& m) { m.offense = 1; },
        [](MatchState& m) { m.phase = PHASE_LIVE; },
        [](MatchState& m) { m.phaseTimer += 0.5f; },
        [](MatchState& m) { m.shotClock -= 1; },
        [](MatchState& m) { m.flipped = 1; },
        [](MatchState& m) { m.ball.pos.y += 0.1f; },
        [](MatchState& m) { m.ball.phase = BALL_LOOSE; },
        [](MatchState& m) { m.ball.holder = 1; },
        [](MatchState& m) { m.players[3].pos.x += 0.1f; },
        [](MatchState& m) { m.players[2].yaw += 0.1f; },
        [](MatchState& m) { m.players[2].rootHeight += 0.1f; },
        [](MatchState& m) { m.players[1].action = ACT_STUMBLE; },
        [](MatchState& m) { m.players[1].hasBall = 1; },
        [](MatchState& m) { m.players[0].energy = 0.5f; },
        [](MatchState& m) { m.players[0].skeleton.joints[handJoint(0)].m13 += 0.01f; }, // left hand
    };
    for (size_t i = 0; i < std::size(inside); ++i) {
        auto copy = std::make_unique<MatchState>(s);
        inside[i](*copy);
        EXPECT_NE(hashMatchState(*copy), base) << "edit " << i << " inside the hash";
    }
}

TEST_F(SnapshotTest, HashIsFnv1aOverEightyWords) {
    // With every hashed value zero the order cannot matter, only the count
    // (8 state words, 8 of the ball, 16 per player) and the FNV constants.
    MatchState& s = *state;
    s.rng = 0;
    s.scores[0] = s.scores[1] = s.offense = s.phase = 0;
    s.phaseTimer = s.shotClock = 0;
    s.flipped = 0;
    s.ball.pos = s.ball.vel = {0, 0, 0};
    s.ball.phase = 0;
    s.ball.holder = 0;
    for (Player& p : s.players) {
        p.pos = p.vel = {0, 0, 0};
        p.yaw = p.rootHeight = p.vertSpeed = p.actionTimer = p.energy = 0;
        p.action = 0;
        p.hasBall = 0;
        p.skeleton = Skeleton{}; // the hand of an all-zero skeleton is the origin
    }
    uint32_t expected = 0x811C9DC5u;
    for (int byte = 0; byte < 80 * 4; ++byte) expected *= 16777619u;
    EXPECT_EQ(hashMatchState(s), expected);
}

} // namespace
