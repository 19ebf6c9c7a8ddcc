// The eight emote motions: 2.6 s each, eased in over 0.12 s and out over the
// last 0.3 s. Each starts from the idle stance and overwrites what it moves;
// the values of our own choosing are in kEmotePoseKeys.
#include <cmath>
#include <raylib.h>

#include "characters/pose_generators.h"
#include "characters/pose_slots.h"

namespace {

constexpr float kFadeInSeconds = 0.12f;
constexpr float kFadeOutSeconds = 0.3f;
constexpr float kTwoPi = 2.0f * PI;

struct EmoteMotion {
    Pose& p;
    float t, h;
    float& lift;
    float& yaw;
};

// A pulse that starts at `start` and dies away quickly.
float pulse(float t, float start) { return t >= start ? std::exp(-13.0f * (t - start)) : 0.0f; }

void nice(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    poseStance(p, m.h, 0.025f * m.h, 0.13f, 0.13f, 0.0f, 0.03f);
    slot(p, POSE_TRUNK_PITCH) = -0.12f;
    setBoth(p, POSE_SHOULDER_PITCH, 1.45f);
    setBoth(p, POSE_SHOULDER_RAISE, -0.14f);
    setBoth(p, POSE_ELBOW_BEND, 0.06f);
    setBoth(p, POSE_WRIST_BEND, -0.3f);
    const float pump0 = pulse(t, 0.35f), pump1 = pulse(t, 0.75f);
    slot(p, POSE_SHOULDER_PITCH, 0) += 0.65f * pump0;
    slot(p, POSE_SHOULDER_PITCH, 1) += 0.65f * pump1;
    slot(p, POSE_TRUNK_PITCH) -= 0.12f * (pump0 + pump1);
    if (t >= 1.15f) {
        const float g = easeClamped(4.0f * (t - 1.15f));
        moveToward(p, POSE_SHOULDER_PITCH, 0.3f, g);
        moveToward(p, POSE_SHOULDER_PITCH + 1, 2.3f, g);
        slot(p, POSE_ELBOW_BEND, 1) = 2.19f * g + 0.06f;
        slot(p, POSE_SHOULDER_RAISE, 1) = -0.31f * g - 0.14f;
        slot(p, POSE_HEAD_PITCH) = 0.18f * g;
    }
    if (t >= 1.6f) {
        slot(p, POSE_PELVIS_DROP) += 0.03f * m.h * std::fabs(std::sin(15.0f * t));
        slot(p, POSE_TRUNK_TWIST) = 0.22f * std::sin(7.5f * t);
        slot(p, POSE_TRUNK_ROLL) = 0.14f * std::sin(15.0f * t);
        slot(p, POSE_HEAD_YAW) = 0.3f * std::sin(7.5f * t + 1.0f);
    }
}

void passIt(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    const float w = 2.4f * kTwoPi * t;
    const float v = 0.5f - 0.5f * std::cos(w);
    m.lift = 0.15f * std::fabs(std::sin(w));
    setBoth(p, POSE_SHOULDER_RAISE, 0.2f + 2.6f * v);
    setBoth(p, POSE_SHOULDER_PITCH, 0.25f);
    setBoth(p, POSE_ELBOW_BEND, 0.12f);
    setBoth(p, POSE_LEG_SPREAD, 0.05f + 0.34f * v);
    setBoth(p, POSE_KNEE_BEND, 0.12f + 0.2f * (1.0f - v));
    setBoth(p, POSE_HIP_PITCH, 0.05f);
    setBoth(p, POSE_ANKLE_PITCH, 0.3f);
    slot(p, POSE_PELVIS_DROP) = 0.02f * m.h;
    slot(p, POSE_HEAD_PITCH) = -0.3f;
    setPair(p, POSE_WRIST_BEND, 0.7f * std::sin(31.0f * t), 0.7f * std::sin(31.0f * t + 1.0f));
    slot(p, POSE_HEAD_YAW) = 0.35f * std::sin(21.0f * t);
}

void letsGo(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    const EmotePoseKeys& k = kEmotePoseKeys;
    if (t < 1.6f) {
        m.yaw = 2.0f * kTwoPi * easeClamped(t / 1.55f);
        poseStance(p, m.h, (0.09f + 0.04f * std::sin(16.0f * t)) * 0.5f * m.h, 0.16f, 0.16f, k.letsGoStagger[0],
                   k.letsGoStagger[1]);
        setPair(p, POSE_SHOULDER_PITCH, 0.6f, 3.05f);
        setPair(p, POSE_SHOULDER_RAISE, 1.45f, 0.05f);
        setPair(p, POSE_ELBOW_BEND, k.letsGoElbow[0], k.letsGoElbow[1]);
        slot(p, POSE_WRIST_BEND, 1) = 0.6f * std::sin(20.0f * t);
        slot(p, POSE_TRUNK_PITCH) = 0.15f;
        slot(p, POSE_HEAD_PITCH) = -0.2f;
        return;
    }
    const float j = std::sin(PI * std::fmin((t - 1.6f) / 0.6f, 1.0f));
    m.lift = 0.55f * j;
    m.yaw = 0.0f;
    setPair(p, POSE_SHOULDER_PITCH, 2.85f + 0.2f * std::sin(26.0f * t), 2.85f + 0.2f * std::sin(26.0f * t + PI));
    setBoth(p, POSE_SHOULDER_RAISE, 0.45f);
    setBoth(p, POSE_ELBOW_BEND, 0.55f);
    setBoth(p, POSE_HIP_PITCH, 0.9f * j);
    setBoth(p, POSE_KNEE_BEND, 0.25f + 1.5f * j);
    setBoth(p, POSE_LEG_SPREAD, 0.1f);
    setBoth(p, POSE_ANKLE_PITCH, k.letsGoJumpAnkle * j);
    slot(p, POSE_TRUNK_PITCH) = -0.25f;
    slot(p, POSE_HEAD_PITCH) = -0.5f;
}

void myBad(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    const float a = easeClamped(t / 0.35f);          // side 1 hand to the head
    const float b = easeClamped((t - 0.9f) / 0.3f);  // then side 0
    const float k = easeClamped((t - 1.3f) / 0.8f);  // the slump
    setPair(p, POSE_SHOULDER_PITCH, 0.12f + 2.48f * b, 0.12f + 2.23f * a);
    setPair(p, POSE_SHOULDER_RAISE, 0.17f + 0.38f * b, 0.17f - 0.52f * a);
    setPair(p, POSE_ELBOW_BEND, 0.3f + 2.0f * b, 0.3f + 2.15f * a);
    slot(p, POSE_WRIST_BEND, 1) = 0.4f * a;
    if (t >= 0.9f) slot(p, POSE_HEAD_YAW) = 0.35f * std::sin(8.0f * t) * (1.0f - k);
    // The legs give with the slump.
    solveLegs(p, m.h, (0.03f + 0.5f * k) * 0.5f * m.h, kEmotePoseKeys.myBadSpread, kEmotePoseKeys.myBadStagger);
    slot(p, POSE_TRUNK_PITCH) = 0.2f * a + 0.45f * k;
    slot(p, POSE_HEAD_PITCH) = 0.35f * (a + k);
    slot(p, POSE_TRUNK_ROLL) = 0.06f * std::sin(2.5f * t);
}

void helpOnD(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    for (int i = 0; i < 2; ++i) {
        const float fi = (float)i;
        slot(p, POSE_SHOULDER_PITCH, i) = 1.6f + 1.35f * std::sin(11.0f * t + 2.1f * fi);
        slot(p, POSE_SHOULDER_RAISE, i) = 1.0f + 0.9f * std::sin(7.3f * t + 1.3f * fi);
        slot(p, POSE_ELBOW_BEND, i) = 0.8f + 0.8f * std::sin(13.0f * t + 1.7f * fi);
        slot(p, POSE_WRIST_BEND, i) = 0.8f * std::sin(17.0f * t + fi);
    }
    const float shuffle = 0.06f * std::sin(9.0f * t);
    poseStance(p, m.h, (0.07f + 0.05f * std::sin(14.0f * t)) * 0.5f * m.h, 0.15f, 0.15f, shuffle, -shuffle);
    slot(p, POSE_TRUNK_PITCH) = 0.35f * std::sin(5.1f * t);
    slot(p, POSE_TRUNK_TWIST) = 0.4f * std::sin(4.3f * t);
    slot(p, POSE_TRUNK_ROLL) = 0.45f * std::sin(3.7f * t);
    slot(p, POSE_HEAD_PITCH) = 0.4f * std::sin(9.0f * t);
    slot(p, POSE_HEAD_YAW) = 0.6f * std::sin(6.0f * t);
    m.lift = 0.05f * std::fabs(std::sin(10.0f * t));
}

void tooEasy(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    poseStance(p, m.h, 0.015f * m.h, 0.1f, 0.14f, 0.05f, -0.04f);
    if (t < 0.9f) { // the stretch
        const float a = easeClamped(t / 0.4f);
        setBoth(p, POSE_SHOULDER_PITCH, 0.12f + 2.88f * a);
        setBoth(p, POSE_SHOULDER_RAISE, 0.3f);
        setBoth(p, POSE_ELBOW_BEND, 0.2f);
        slot(p, POSE_TRUNK_PITCH) = -0.25f * a;
        slot(p, POSE_HEAD_PITCH) = -0.45f * a;
        m.lift = 0.04f * a;
        return;
    }
    if (t < 1.95f) { // hands behind the head, leaning back
        setBoth(p, POSE_SHOULDER_PITCH, 2.6f);
        setBoth(p, POSE_SHOULDER_RAISE, 1.25f);
        setBoth(p, POSE_ELBOW_BEND, 2.6f);
        slot(p, POSE_HEAD_PITCH) = -0.2f;
        slot(p, POSE_TRUNK_PITCH) = -0.25f - 0.65f * easeClamped((t - 1.0f) / 0.95f);
        return;
    }
    // windmills
    setPair(p, POSE_SHOULDER_PITCH, std::fmod(22.0f * t, kTwoPi), std::fmod(22.0f * t + PI, kTwoPi));
    setBoth(p, POSE_SHOULDER_RAISE, 0.9f);
    setBoth(p, POSE_ELBOW_BEND, 0.1f);
    slot(p, POSE_TRUNK_PITCH) = 0.95f * easeClamped(2.0f * (t - 1.95f)) - 0.9f;
    slot(p, POSE_HEAD_PITCH) = 0.3f * std::sin(18.0f * t);
}

void oof(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    // arms out, hands shaking
    setBoth(p, POSE_SHOULDER_PITCH, 0.1f);
    setBoth(p, POSE_SHOULDER_RAISE, 1.5f);
    slot(p, POSE_HEAD_PITCH) = -0.3f;
    setBoth(p, POSE_WRIST_BEND, 0.3f * std::sin(40.0f * t));
    if (t < 0.3f) return;

    Pose fall = p;
    slot(fall, POSE_PELVIS_DROP) = 0.45f * m.h;
    slot(fall, POSE_TRUNK_PITCH) = -1.45f;
    slot(fall, POSE_HEAD_PITCH) = -0.5f;
    setBoth(fall, POSE_HIP_PITCH, 1.55f);
    setBoth(fall, POSE_LEG_SPREAD, 0.12f);
    setBoth(fall, POSE_KNEE_BEND, 0.08f);
    setBoth(fall, POSE_ANKLE_PITCH, 0.5f);
    setBoth(fall, POSE_SHOULDER_PITCH, 0.25f);
    setBoth(fall, POSE_SHOULDER_RAISE, 1.45f);
    setBoth(fall, POSE_ELBOW_BEND, 0.05f);
    if (t > 1.0f) { // the legs kick, in turn
        const float kick = 0.3f * std::sin(26.0f * t) * std::exp(-2.2f * (t - 1.0f));
        slot(fall, POSE_HIP_PITCH, 0) += kick;
        slot(fall, POSE_HIP_PITCH, 1) -= kick;
    }
    if (t >= 1.75f) { // one arm comes up
        const int side = kEmotePoseKeys.oofArmSide;
        const float s = std::sin(0.5f * PI * std::fmin((t - 1.75f) / 0.7f, 1.0f));
        slot(fall, POSE_SHOULDER_PITCH, side) = 0.25f + 2.45f * s;
        slot(fall, POSE_ELBOW_BEND, side) = 1.45f - 1.15f * s;
    }
    const float w = std::fmin((t - 0.3f) / 0.4f, 1.0f);
    lerpPose(p, p, fall, w * w);
}

void gg(EmoteMotion m) {
    Pose& p = m.p;
    const float t = m.t;
    const EmotePoseKeys& k = kEmotePoseKeys;
    const float a = easeClamped(t / 0.45f);
    poseStance(p, m.h, (0.04f + 0.1f * a) * 0.5f * m.h, 0.12f, 0.1f, 0.05f, -0.12f * a);
    const float bow = a * (1.0f - easeClamped((t - k.ggStraightenStart) / k.ggStraightenSeconds));
    slot(p, POSE_TRUNK_PITCH) = k.ggBowTrunk * bow;
    slot(p, POSE_HEAD_PITCH) = k.ggBowHead * bow;
    if (t < 1.6f) {
        const float c = easeClamped((t - k.ggHandStart) / k.ggHandSeconds);
        moveToward(p, POSE_SHOULDER_PITCH + 1, k.ggHand.shoulderPitch, c);
        moveToward(p, POSE_SHOULDER_RAISE + 1, k.ggHand.shoulderRaise, c);
        moveToward(p, POSE_ELBOW_BEND + 1, k.ggHand.elbowBend, c);
        return;
    }
    const float u = t - 1.6f;
    setBoth(p, POSE_SHOULDER_PITCH, 2.75f);
    setBoth(p, POSE_ELBOW_BEND, 0.35f);
    setBoth(p, POSE_SHOULDER_RAISE, 0.35f + k.ggWave * std::sin(13.0f * u));
    m.lift = 0.08f * std::fabs(std::sin(9.0f * u));
    slot(p, POSE_HEAD_PITCH) = -0.15f;
    slot(p, POSE_HEAD_YAW) = 0.4f * std::sin(5.0f * u);
    m.yaw = 0.35f * std::sin(5.0f * u);
}

using EmoteFn = void (*)(EmoteMotion);
constexpr EmoteFn kEmotes[kEmoteCount] = {nice, passIt, letsGo, myBad, helpOnD, tooEasy, oof, gg};

} // namespace

float emotePose(int emote, float t, float h, Pose& out, float& lift, float& yawOffset) {
    lift = 0.0f;
    yawOffset = 0.0f;
    out = Pose{};
    poseIdle(out, h); // also the pose of an emote number that names none
    if (emote < 0 || emote >= kEmoteCount) return 0.0f;
    if (!(t >= 0.0f && t <= kEmoteSeconds)) return 0.0f;
    const float weight = smoothstep01(std::fmin(t / kFadeInSeconds, 1.0f)) *
                         smoothstep01(std::fmin((kEmoteSeconds - t) / kFadeOutSeconds, 1.0f));
    kEmotes[emote](EmoteMotion{out, t, h, lift, yawOffset});
    return weight;
}
