// Small helpers for writing Pose slots by name: both sides at once, a pair,
// a move toward a target, and the smoothstep the pose curves use.
#pragma once
#include <algorithm>

#include "characters/pose_keys.h"
#include "characters/skeleton.h"

inline float& slot(Pose& p, int field, int side = 0) { return p.v[field + side]; }

inline void setBoth(Pose& p, int field, float value) { p.v[field] = p.v[field + 1] = value; }

inline void setPair(Pose& p, int field, float side0, float side1) {
    p.v[field] = side0;
    p.v[field + 1] = side1;
}

inline void moveToward(Pose& p, int index, float target, float weight) {
    p.v[index] += (target - p.v[index]) * weight;
}

inline void setArm(Pose& p, int side, const ArmKey& arm) {
    p.v[POSE_SHOULDER_PITCH + side] = arm.shoulderPitch;
    p.v[POSE_SHOULDER_RAISE + side] = arm.shoulderRaise;
    p.v[POSE_ELBOW_BEND + side] = arm.elbowBend;
}

inline ArmKey lerpArm(const ArmKey& a, const ArmKey& b, float t) {
    return {a.shoulderPitch + (b.shoulderPitch - a.shoulderPitch) * t,
            a.shoulderRaise + (b.shoulderRaise - a.shoulderRaise) * t, a.elbowBend + (b.elbowBend - a.elbowBend) * t};
}

// x^2 (3 - 2x) for x already in [0, 1].
inline float smoothstep01(float x) { return x * x * (3.0f - 2.0f * x); }
// smoothstep of x clamped to [0, 1].
inline float easeClamped(float x) { return smoothstep01(std::clamp(x, 0.0f, 1.0f)); }
