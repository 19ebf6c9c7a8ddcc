// Four floats worked at once (GCC/Clang vector extensions, SSE or NEON where
// present). Every operation rounds each lane exactly as the same operation
// on one float does, and min, max and clamp pick lanes by the same
// comparisons as std::min, std::max and std::clamp, so a field evaluated in
// lanes gives bit for bit the values it gives one point at a time.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE__) || defined(_M_X64)
#include <immintrin.h>
#elif defined(__ARM_NEON)
#include <arm_neon.h>
#endif

// For the innermost kernel functions, which the compiler would not always inline.
#define FORCE_INLINE inline __attribute__((always_inline))

constexpr int kLanes = 4;

typedef float Lanes __attribute__((vector_size(16)));
typedef int32_t LaneMask __attribute__((vector_size(16))); // -1 where true, 0 where false

inline Lanes splat(float v) { return Lanes{v, v, v, v}; }

inline Lanes select(LaneMask m, Lanes a, Lanes b) {
    LaneMask ia, ib;
    std::memcpy(&ia, &a, sizeof ia);
    std::memcpy(&ib, &b, sizeof ib);
    const LaneMask r = (m & ia) | (~m & ib);
    Lanes out;
    std::memcpy(&out, &r, sizeof out);
    return out;
}

inline LaneMask selectMask(LaneMask m, LaneMask a, LaneMask b) { return (m & a) | (~m & b); }

inline bool anyLane(LaneMask m) { return (m[0] | m[1] | m[2] | m[3]) != 0; }
inline bool allLanes(LaneMask m) { return (m[0] & m[1] & m[2] & m[3]) != 0; }

inline Lanes laneSqrt(Lanes v) {
#if defined(__SSE__)
    return (Lanes)_mm_sqrt_ps((__m128)v);
#elif defined(__ARM_NEON) && defined(__aarch64__)
    float32x4_t n;
    std::memcpy(&n, &v, sizeof n);
    n = vsqrtq_f32(n);
    Lanes out;
    std::memcpy(&out, &n, sizeof out);
    return out;
#else
    return Lanes{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])};
#endif
}

// Clears the sign bit, as std::fabs does (also of -0).
inline Lanes laneAbs(Lanes v) {
    LaneMask bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits &= 0x7FFFFFFF;
    Lanes out;
    std::memcpy(&out, &bits, sizeof out);
    return out;
}
// std::min(a, b) = b < a ? b : a; std::max(a, b) = a < b ? b : a.
inline Lanes laneMin(Lanes a, Lanes b) { return select(b < a, b, a); }
inline Lanes laneMax(Lanes a, Lanes b) { return select(a < b, b, a); }
inline Lanes laneClamp(Lanes v, float lo, float hi) {
    return select(v < lo, splat(lo), select(splat(hi) < v, splat(hi), v));
}

inline Lanes laneLength(Lanes x, Lanes y, Lanes z) { return laneSqrt(x * x + y * y + z * z); }

// smoothMin of the kernel, lane by lane.
inline Lanes laneSmoothMin(Lanes x, Lanes y, float k) {
    if (k <= 0.0f) return laneMin(x, y);
    const Lanes h = laneMax(k - laneAbs(x - y), splat(0.0f)) / k;
    return laneMin(x, y) - h * h * k / 4.0f;
}

// Three coordinates of four points.
struct LanePoints {
    Lanes x, y, z;
};
