// The pose generators and the ten presets of the menu and lineup figures.
// Each generator writes only the slots it names, so they layer: a stance for
// the legs, then an arm overlay on top.
#include "characters/pose_generators.h"

#include <cmath>
#include <raylib.h>

#include "characters/pose_slots.h"

float animationClock = 0.0f;

namespace {

constexpr float kRunTopSpeed = 6.5f; // speed of the full stride (m/s)

// Standing leg length below the hip over which the stance drops (x h).
constexpr float kLegReach = 0.48f;

// Presets 3 to 9 finish a base pose with fixed slot values.
void presetPointing(Pose& p, float h, float t) {
    poseBounce(p, h, t, 1);
    poseArmSway(p, t, 1);
    slot(p, POSE_ELBOW_BEND) = 0.05f;
    slot(p, POSE_WRIST_BEND) = 0.5f;
    slot(p, POSE_TRUNK_TWIST) -= 0.42f;
    slot(p, POSE_PELVIS_DROP) += 0.035f * h;
    slot(p, POSE_TRUNK_PITCH) += 0.3f;
    setPair(p, POSE_SHOULDER_PITCH, 1.32f, 0.35f);
    setPair(p, POSE_SHOULDER_RAISE, -0.4f, 0.75f);
}

void presetBlockReach(Pose& p) {
    slot(p, POSE_TRUNK_PITCH) = 0.12f;
    slot(p, POSE_HEAD_PITCH) = -0.45f;
    setPair(p, POSE_HIP_PITCH, 0.6f, 0.08f);
    setBoth(p, POSE_LEG_SPREAD, 0.08f);
    setPair(p, POSE_KNEE_BEND, 1.15f, 0.3f);
    slot(p, POSE_ANKLE_PITCH, 1) = 0.65f;
    setPair(p, POSE_SHOULDER_PITCH, 1.9f, 3.02f);
    setPair(p, POSE_SHOULDER_RAISE, 0.75f, 0.06f);
    setPair(p, POSE_ELBOW_BEND, 0.5f, 0.04f);
    slot(p, POSE_WRIST_BEND, 1) = 0.45f;
}

void presetBoxOut(Pose& p, float h) {
    poseStance(p, h, 0.11f * h, 0.36f, 0.36f, 0.02f, -0.02f);
    slot(p, POSE_TRUNK_PITCH) = 0.32f;
    slot(p, POSE_HEAD_PITCH) = 0.05f;
    setBoth(p, POSE_SHOULDER_PITCH, 0.95f);
    setBoth(p, POSE_SHOULDER_RAISE, 1.35f);
    setBoth(p, POSE_ELBOW_BEND, 1.45f);
}

void presetArmOut(Pose& p, float h, float t) {
    poseBounce(p, h, t, 0.65f);
    poseArmSway(p, t, 0.65f);
    slot(p, POSE_WRIST_BEND) = 0.4f;
    setPair(p, POSE_ELBOW_BEND, 0.15f, 0.9f);
    setPair(p, POSE_SHOULDER_PITCH, 1.4f, 0.7f);
    setPair(p, POSE_SHOULDER_RAISE, 1.05f, 0.55f);
    slot(p, POSE_TRUNK_TWIST) += 0.25f;
}

void presetSeated(Pose& p, float h) {
    slot(p, POSE_PELVIS_DROP) = 0.42f * h;
    slot(p, POSE_TRUNK_PITCH) = -0.6f;
    slot(p, POSE_HEAD_PITCH) = 0.4f;
    setPair(p, POSE_HIP_PITCH, 1.35f, 1.45f);
    setBoth(p, POSE_LEG_SPREAD, 0.15f);
    setPair(p, POSE_KNEE_BEND, 0.3f, 0.55f);
    setBoth(p, POSE_ANKLE_PITCH, 0.3f);
    setBoth(p, POSE_SHOULDER_PITCH, -0.75f);
    setBoth(p, POSE_SHOULDER_RAISE, 0.4f);
    setBoth(p, POSE_ELBOW_BEND, 0.25f);
}

void presetBallOnHip(Pose& p, float h) {
    poseIdle(p, h);
    slot(p, POSE_PELVIS_DROP) += 0.025f * h;
    slot(p, POSE_TRUNK_PITCH) = -0.25f;
    setPair(p, POSE_SHOULDER_PITCH, 1.65f, 0.75f);
    setBoth(p, POSE_SHOULDER_RAISE, 0.6f);
    setBoth(p, POSE_ELBOW_BEND, 0.6f);
}

void presetLeanBack(Pose& p, float h) {
    poseStance(p, h, 0.09f * h, 0.16f, 0.16f, -0.04f, 0.06f);
    slot(p, POSE_TRUNK_PITCH) = -0.07f;
    setPair(p, POSE_SHOULDER_PITCH, 0.9f, 0.5f);
    setPair(p, POSE_SHOULDER_RAISE, 0.7f, 0.32f);
    setBoth(p, POSE_ELBOW_BEND, 0.6f);
}

} // namespace

void poseIdle(Pose& p, float h) {
    const float breathe = 0.006f * std::sin(2.2f * animationClock);
    solveLegs(p, h, 0.015f * h + breathe, 0.07f, 0.03f);
    slot(p, POSE_TRUNK_PITCH) = 0.05f;
    setBoth(p, POSE_SHOULDER_PITCH, 0.12f);
    setBoth(p, POSE_SHOULDER_RAISE, 0.17f);
    setBoth(p, POSE_ELBOW_BEND, 0.3f);
}

void poseStance(Pose& p, float h, float drop, float spread0, float spread1, float stagger0, float stagger1) {
    slot(p, POSE_PELVIS_DROP) = drop;
    const float spreads[2] = {spread0, spread1};
    const float staggers[2] = {stagger0, stagger1};
    for (int side = 0; side < 2; ++side) {
        slot(p, POSE_LEG_SPREAD, side) = spreads[side];
        const float down = (kLegReach * h - drop) / std::cos(spreads[side]);
        solveLegIk(h, down, staggers[side] * h, slot(p, POSE_HIP_PITCH, side), slot(p, POSE_KNEE_BEND, side));
        slot(p, POSE_ANKLE_PITCH, side) = 0.0f;
    }
}

void poseSideStance(Pose& p, float h, float phase, float sideSign) {
    const float v = 0.5f - 0.5f * std::cos(phase);
    const bool side0Leads = sideSign > 0;
    const float lead = 0.18f + 0.22f * v, trail = 0.2f + 0.04f * v;
    poseStance(p, h, (0.2f - 0.03f * v) * 0.5f * h, side0Leads ? lead : trail, side0Leads ? trail : lead, 0.03f,
               -0.015f);
    const float u = std::fmax(std::sin(phase), 0.0f);
    const int leading = side0Leads ? 0 : 1;
    slot(p, POSE_HIP_PITCH, leading) += 0.08f * u;
    slot(p, POSE_KNEE_BEND, leading) += 0.16f * u;
    slot(p, POSE_ANKLE_PITCH, 1 - leading) += 0.1f * v;
    slot(p, POSE_TRUNK_PITCH) = 0.4f;
    slot(p, POSE_HEAD_PITCH) = -0.32f;
    slot(p, POSE_TRUNK_ROLL) = side0Leads ? -0.05f : 0.05f;
}

void poseBounce(Pose& p, float h, float t, float amount) {
    const float x = std::sin(15.0f * t);
    poseStance(p, h, 0.006f * x * amount + (0.17f * amount + 0.04f) * 0.5f * h, 0.27f, 0.27f, 0.035f, -0.02f);
    slot(p, POSE_ANKLE_PITCH, 0) += 0.14f * amount * std::fmax(x, 0.0f);
    slot(p, POSE_ANKLE_PITCH, 1) += 0.14f * amount * std::fmax(-x, 0.0f);
    slot(p, POSE_TRUNK_PITCH) = 0.34f * amount + 0.08f;
    slot(p, POSE_HEAD_PITCH) = -0.3f * amount;
}

void poseRun(Pose& p, float h, float phase, float speed, float strideSign, float turn) {
    const float r = std::clamp(speed / kRunTopSpeed, 0.0f, 1.0f);
    const float stride = 0.32f + 0.62f * r;
    const float kneeLift = 0.4f + 1.15f * r;
    const float kneeBase = 0.2f + 0.15f * r;
    const float sinPhase = std::sin(phase); // side 0's wave and the trunk's twist
    for (int side = 0; side < 2; ++side) {
        const float sidePhase = side == 0 ? phase : phase + PI;
        const float s = side == 0 ? sinPhase : std::sin(sidePhase);
        const float spreadWave = side == 0 ? 0.5f + 0.5f * s : 0.5f - 0.5f * s;
        slot(p, POSE_HIP_PITCH, side) = strideSign * stride * s + 0.05f;
        slot(p, POSE_LEG_SPREAD, side) = 0.05f + 0.2f * std::fabs(turn) * spreadWave;
        slot(p, POSE_KNEE_BEND, side) =
            std::pow(std::fmax(std::cos(sidePhase + 0.35f), 0.0f), 1.5f) * kneeLift + kneeBase;
        slot(p, POSE_ANKLE_PITCH, side) = 0.3f * r * std::fmax(-s, 0.0f);
        slot(p, POSE_SHOULDER_PITCH, side) = 0.15f - 0.85f * strideSign * stride * s;
        slot(p, POSE_SHOULDER_RAISE, side) = 0.13f;
        slot(p, POSE_ELBOW_BEND, side) = 1.0f + 0.45f * r;
    }
    slot(p, POSE_PELVIS_DROP) = (0.02f + 0.05f * r) * 0.5f * h;
    slot(p, POSE_TRUNK_PITCH) = 0.06f + 0.24f * r * strideSign;
    slot(p, POSE_TRUNK_TWIST) = 0.13f * r * sinPhase;
    slot(p, POSE_HEAD_PITCH) = -0.6f * slot(p, POSE_TRUNK_PITCH);
}

void poseArmSway(Pose& p, float t, float weight) {
    const float s1 = std::sin(5.3f * t), s2 = std::sin(4.1f * t + 1.3f);
    moveToward(p, POSE_SHOULDER_PITCH, 0.8f + 0.1f * s1, weight);
    moveToward(p, POSE_SHOULDER_PITCH + 1, 1.3f + 0.1f * s2, weight);
    moveToward(p, POSE_SHOULDER_RAISE, 0.82f + 0.08f * s2, weight);
    moveToward(p, POSE_SHOULDER_RAISE + 1, 0.5f, weight);
    moveToward(p, POSE_ELBOW_BEND, 1.0f + 0.12f * s2, weight);
    moveToward(p, POSE_ELBOW_BEND + 1, 1.05f + 0.12f * s1, weight);
    moveToward(p, POSE_WRIST_BEND, 0.25f, weight);
    moveToward(p, POSE_WRIST_BEND + 1, 0.25f, weight);
}

void blendArmsRaised(Pose& p, float weight) {
    moveToward(p, POSE_SHOULDER_PITCH, 1.15f, weight);
    moveToward(p, POSE_SHOULDER_PITCH + 1, 2.95f, weight);
    moveToward(p, POSE_SHOULDER_RAISE, 1.0f, weight);
    moveToward(p, POSE_SHOULDER_RAISE + 1, 0.1f, weight);
    moveToward(p, POSE_ELBOW_BEND, 0.35f, weight);
    moveToward(p, POSE_ELBOW_BEND + 1, 0.08f, weight);
    moveToward(p, POSE_WRIST_BEND + 1, 0.35f, weight);
    moveToward(p, POSE_TRUNK_PITCH, 0.1f, 0.7f * weight);
    moveToward(p, POSE_HEAD_PITCH, -0.25f, weight);
}

void posePreset(int kind, Pose& out, float h, float t) {
    out = Pose{};
    switch (kind) {
    case 0:
        poseBounce(out, h, t, 1);
        poseArmSway(out, t, 1);
        break;
    case 1:
        poseSideStance(out, h, 9.0f * t, 1);
        poseArmSway(out, t, 1);
        break;
    case 2:
        poseBounce(out, h, t, 1);
        poseArmSway(out, t, 1);
        blendArmsRaised(out, 1);
        break;
    case 3: presetPointing(out, h, t); break;
    case 4: presetBlockReach(out); break;
    case kPresetBoxOut: presetBoxOut(out, h); break;
    case 6: presetArmOut(out, h, t); break;
    case kPresetSeated: presetSeated(out, h); break;
    case 8: presetBallOnHip(out, h); break;
    case 9: presetLeanBack(out, h); break;
    default: break; // unknown kinds stay zeroed
    }
}
