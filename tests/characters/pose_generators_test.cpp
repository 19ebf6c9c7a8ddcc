// Presets and emotes: finite poses with the head up, fades, and the
// out-of-range values that mean "none".
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "characters/character_model.h"
#include "characters/pose_generators.h"

namespace {

constexpr float kH = 2.0f;

bool isZero(const Pose& p) {
    for (float v : p.v)
        if (v != 0.0f) return false;
    return true;
}

bool isFinite(const Pose& p) {
    for (float v : p.v)
        if (!std::isfinite(v)) return false;
    return true;
}

TEST(PoseGenerators, UnknownPresetsAreZeroAndUnknownEmotesStandIdle) {
    Pose p;
    p.v[3] = 1;
    posePreset(kPosePresetCount, p, kH, 0.5f);
    EXPECT_TRUE(isZero(p));
    p.v[3] = 1;
    posePreset(-1, p, kH, 0.5f);
    EXPECT_TRUE(isZero(p));
    Pose idle;
    poseIdle(idle, kH);
    for (int emote : {-1, kEmoteCount, 1000}) {
        float lift = 5, yaw = 5;
        EXPECT_EQ(emotePose(emote, 1.3f, kH, p, lift, yaw), 0.0f);
        for (int i = 0; i < POSE_FIELD_COUNT; ++i) EXPECT_EQ(p.v[i], idle.v[i]) << emote << " slot " << i;
        EXPECT_EQ(lift, 0.0f);
        EXPECT_EQ(yaw, 0.0f);
    }
}

TEST(PoseGenerators, EmotesFadeInAndOut) {
    Pose p;
    float lift, yaw;
    for (int e = 0; e < kEmoteCount; ++e) {
        EXPECT_EQ(emotePose(e, 0.0f, kH, p, lift, yaw), 0.0f) << e;
        EXPECT_FLOAT_EQ(emotePose(e, 1.3f, kH, p, lift, yaw), 1.0f) << e;
        EXPECT_EQ(emotePose(e, std::numeric_limits<float>::quiet_NaN(), kH, p, lift, yaw), 0.0f) << e;
        const float w = emotePose(e, 0.06f, kH, p, lift, yaw);
        EXPECT_GT(w, 0.0f);
        EXPECT_LT(w, 1.0f);
    }
}

TEST(PoseGenerators, EveryPresetAndEmoteStaysFiniteWithTheHeadUp) {
    Skeleton sk;
    Pose p;
    for (int kind = 0; kind < kPosePresetCount; ++kind)
        for (float t = 0; t < 3; t += 0.37f) {
            posePreset(kind, p, kH, t);
            ASSERT_TRUE(isFinite(p)) << "preset " << kind;
            poseSkeleton(sk, {}, p, {0, 0, 0}, 0, true);
            EXPECT_GT(headPosition(sk).y, 0.5f * kH) << "preset " << kind;
        }
    for (int e = 0; e < kEmoteCount; ++e)
        for (float t = 0; t <= kEmoteSeconds; t += 0.01f) {
            float lift, yaw;
            const float w = emotePose(e, t, kH, p, lift, yaw);
            ASSERT_TRUE(isFinite(p)) << "emote " << e << " at " << t;
            poseSkeleton(sk, {}, p, {0, lift, 0}, yaw, lift < 0.01f);
            EXPECT_GT(headPosition(sk).y, 0.15f * kH) << "emote " << e << " at " << t;
            EXPECT_GE(w, 0.0f);
            EXPECT_LE(w, 1.0f);
            EXPECT_GE(lift, -1e-6f);
            EXPECT_LE(lift, 0.55f);
            EXPECT_LE(std::fabs(yaw), 4.0f * PI + 1e-4f);
        }
}

} // namespace
