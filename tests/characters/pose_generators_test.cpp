// Pose generators, presets and emotes: the shapes that matter to gameplay and
// to the figures on screen, and the out-of-range values that mean "none".
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "characters/character_model.h"
#include "characters/pose_generators.h"
#include "characters/sine_noise.h"

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

Vector3 origin(const Matrix& m) { return {m.m12, m.m13, m.m14}; }

TEST(PoseGenerators, UnknownPresetsAndEmotesMeanNone) {
    Pose p;
    p.v[3] = 1;
    posePreset(kPosePresetCount, p, kH, 0.5f);
    EXPECT_TRUE(isZero(p));
    p.v[3] = 1;
    posePreset(-1, p, kH, 0.5f);
    EXPECT_TRUE(isZero(p));
    for (int emote : {-1, kEmoteCount, 1000}) {
        float lift = 5, yaw = 5;
        EXPECT_EQ(emotePose(emote, 1.3f, kH, p, lift, yaw), 0.0f);
        EXPECT_TRUE(isZero(p));
        EXPECT_EQ(lift, 0.0f);
        EXPECT_EQ(yaw, 0.0f);
    }
}

TEST(PoseGenerators, EmotesFadeInAndOut) {
    Pose p;
    float lift, yaw;
    for (int e = 0; e < kEmoteCount; ++e) {
        EXPECT_EQ(emotePose(e, 0.0f, kH, p, lift, yaw), 0.0f) << e;
        EXPECT_EQ(emotePose(e, kEmoteSeconds, kH, p, lift, yaw), 0.0f) << e;
        EXPECT_FLOAT_EQ(emotePose(e, 1.3f, kH, p, lift, yaw), 1.0f) << e;
        EXPECT_EQ(emotePose(e, 2.7f, kH, p, lift, yaw), 0.0f) << e;
        EXPECT_EQ(emotePose(e, -0.1f, kH, p, lift, yaw), 0.0f) << e;
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
            poseSkeleton(sk, nullptr, p, {0, 0, 0}, 0, true);
            EXPECT_GT(headPosition(sk).y, 0.5f * kH) << "preset " << kind;
        }
    for (int e = 0; e < kEmoteCount; ++e)
        for (float t = 0; t <= kEmoteSeconds; t += 0.01f) {
            float lift, yaw;
            const float w = emotePose(e, t, kH, p, lift, yaw);
            ASSERT_TRUE(isFinite(p)) << "emote " << e << " at " << t;
            poseSkeleton(sk, nullptr, p, {0, lift, 0}, yaw, lift < 0.01f);
            EXPECT_GT(headPosition(sk).y, 0.15f * kH) << "emote " << e << " at " << t;
            EXPECT_GE(w, 0.0f);
            EXPECT_LE(w, 1.0f);
            EXPECT_GE(lift, -1e-6f);
            EXPECT_LE(lift, 0.55f);
            EXPECT_LE(std::fabs(yaw), 4.0f * PI + 1e-4f);
        }
}

TEST(PoseGenerators, LetsGoTurnsTwiceThenJumps) {
    Pose p;
    float lift, yaw;
    emotePose(2, 1.56f, kH, p, lift, yaw);
    EXPECT_NEAR(yaw, 4.0f * PI, 1e-4f);
    EXPECT_EQ(lift, 0.0f);
    emotePose(2, 1.9f, kH, p, lift, yaw);
    EXPECT_EQ(yaw, 0.0f);
    EXPECT_NEAR(lift, 0.55f, 1e-3f);
}

TEST(PoseGenerators, StanceStaggersScaleWithHeight) {
    // The staggers are fractions of the height: side 0 steps forward, side 1
    // back, and the gap between the feet grows with the figure.
    Pose p;
    Skeleton sk;
    float gaps[2];
    for (int i = 0; i < 2; ++i) {
        const float h = i == 0 ? 1.8f : 2.2f;
        poseStance(p, h, 0.11f * h, 0.36f, 0.2f, 0.05f, -0.03f);
        CharacterModel model;
        model.height = h;
        poseSkeleton(sk, &model, p, {0, 0, 0}, 0, false);
        const Vector3 f0 = origin(sk.joints[footJoint(0)]), f1 = origin(sk.joints[footJoint(1)]);
        gaps[i] = f0.z - f1.z;
        EXPECT_GT(gaps[i], 0.06f * h);
        EXPECT_LT(gaps[i], 0.1f * h);
        EXPECT_NEAR(f0.y, f1.y, 0.02f * h); // feet roughly level
    }
    EXPECT_NEAR(gaps[1] / gaps[0], 2.2f / 1.8f, 1e-3f);
}

TEST(PoseGenerators, RunStridesEvenWhenStanding) {
    Pose p;
    poseRun(p, kH, PI / 2, 0.0f, 1.0f, 0.0f);
    EXPECT_NEAR(p.v[POSE_HIP_PITCH], 0.32f + 0.05f, 1e-5f);
    EXPECT_NEAR(p.v[POSE_HIP_PITCH + 1], -0.32f + 0.05f, 1e-5f);
    // arms swing against the legs
    EXPECT_LT(p.v[POSE_SHOULDER_PITCH], p.v[POSE_SHOULDER_PITCH + 1]);
}

TEST(PoseGenerators, SideStanceLeadsWithTheSideOfTheSign) {
    Pose left, none;
    poseSideStance(left, kH, PI, 1.0f);
    poseSideStance(none, kH, PI, 0.0f); // zero takes the other side
    EXPECT_GT(left.v[POSE_LEG_SPREAD], left.v[POSE_LEG_SPREAD + 1]);
    EXPECT_GT(none.v[POSE_LEG_SPREAD + 1], none.v[POSE_LEG_SPREAD]);
    EXPECT_EQ(left.v[POSE_TRUNK_ROLL], -0.05f);
    EXPECT_EQ(none.v[POSE_TRUNK_ROLL], 0.05f);
}

TEST(PoseGenerators, IdleBreathesByTheAnimationClock) {
    Pose a, b;
    animationClock = 0.0f;
    poseIdle(a, kH);
    animationClock = PI / 4.4f; // a quarter breath: sin(2.2 c) = 1
    poseIdle(b, kH);
    EXPECT_NEAR(b.v[POSE_PELVIS_DROP] - a.v[POSE_PELVIS_DROP], 0.006f, 1e-6f);
    animationClock = 0.0f;
}

TEST(PoseGenerators, SineNoiseIsRepeatableAndBounded) {
    EXPECT_FLOAT_EQ(sineNoise(0.0f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(sineNoise(0.0f, 1.0f), 0.5f * std::sin(1.0f) + 0.3f * std::sin(2.1f) + 0.2f * std::sin(3.7f));
    for (float t = 0; t < 5; t += 0.013f) {
        EXPECT_LE(std::fabs(sineNoise(t, 7.0f)), 1.0f);
        EXPECT_EQ(sineNoise(t, 7.0f), sineNoise(t, 7.0f));
    }
}

} // namespace
