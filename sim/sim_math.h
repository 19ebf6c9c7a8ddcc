// Small vector helpers of the match rules. Every normalisation of a vector
// that can be zero goes through safeNormalize, so that no NaN or infinity
// ever enters the match state: a zero (or non-finite) vector gives the
// caller's fallback instead.
#pragma once
#include <cmath>
#include <cstdint>
#include <raylib.h>

constexpr float kSafeNormalizeMin = 1e-6f;
constexpr Vector3 kForwardZ = {0, 0, 1};

inline Vector3 safeNormalize(Vector3 v, Vector3 fallback = kForwardZ) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(len > kSafeNormalizeMin) || !std::isfinite(len)) return fallback;
    return {v.x / len, v.y / len, v.z / len};
}

// Unit vector of the horizontal part of v (y 0).
inline Vector3 flatUnit(Vector3 v, Vector3 fallback = kForwardZ) { return safeNormalize({v.x, 0, v.z}, fallback); }

inline float flatLength(Vector3 v) { return std::sqrt(v.x * v.x + v.z * v.z); }
inline float flatDistance(Vector3 a, Vector3 b) { return flatLength({b.x - a.x, 0, b.z - a.z}); }
inline float flatDot(Vector3 a, Vector3 b) { return a.x * b.x + a.z * b.z; }
inline float distance3(Vector3 a, Vector3 b) {
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Facing: yaw 0 looks along +z.
inline Vector3 forwardOf(float yaw) { return {std::sin(yaw), 0, std::cos(yaw)}; }
inline Vector3 rightOf(float yaw) { return {-std::cos(yaw), 0, std::sin(yaw)}; }
inline Vector3 leftOf(float yaw) { return {std::cos(yaw), 0, -std::sin(yaw)}; }
inline float yawToward(Vector3 from, Vector3 to) { return std::atan2(to.x - from.x, to.z - from.z); }

// Wraps an angle into [-pi, pi].
inline float wrapAngle(float a) {
    if (a >= -PI && a <= PI) return a;
    a = std::fmod(a + PI, 2.0f * PI);
    if (a < 0) a += 2.0f * PI;
    return a - PI;
}

// Turns yaw toward target by at most maxStep along the shorter way.
inline float turnToward(float yaw, float target, float maxStep) {
    const float diff = wrapAngle(target - yaw);
    const float step = std::fmax(-maxStep, std::fmin(diff, maxStep));
    return wrapAngle(yaw + step);
}

// One step of a xorshift32 generator (never 0 when started from non-zero).
inline uint32_t xorshift32(uint32_t& state) {
    uint32_t x = state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state = x;
    return x;
}

inline float clampf(float v, float lo, float hi) { return std::fmax(lo, std::fmin(v, hi)); }

// Smoothing factor toward a target at rate k over dt.
inline float smoothFactor(float k, float dt) { return 1.0f - std::exp(-k * dt); }
