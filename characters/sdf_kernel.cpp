// Distance kernel: shapes, ordered lists with smooth operations, hash noise.
// The bounding-sphere test in front of each shape skips the exact distance
// wherever the shape cannot change the running result; it is part of the
// field's definition, so every caller sees the same numbers.
#include "characters/sdf_kernel.h"

#include <algorithm>
#include <cmath>
#include <raymath.h>

#include "characters/lane_math.h"

namespace {

constexpr float kTinyAxis = 1e-9f;      // ellipsoid: q / r^2 this short means "at the centre"
constexpr float kTinySegment = 1e-12f;  // capsule: squared length below this is a sphere
constexpr float kFloorMargin = 1e-5f;   // metres, far above the rounding of d + k

inline Vector3 sub(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float length(Vector3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Offset from the centre into the shape's frame (oriented shapes only).
inline Vector3 localOffset(const SdfPrimitive& prim, Vector3 p) {
    Vector3 q = sub(p, prim.centre);
    if (!prim.oriented) return q;
    const Matrix& m = prim.transform;
    return {m.m0 * q.x + m.m4 * q.y + m.m8 * q.z + m.m12, m.m1 * q.x + m.m5 * q.y + m.m9 * q.z + m.m13,
            m.m2 * q.x + m.m6 * q.y + m.m10 * q.z + m.m14};
}

FORCE_INLINE float ellipsoidDistance(const SdfPrimitive& prim, Vector3 p) {
    const Vector3 o = localOffset(prim, p);
    const Vector3 i2 = prim.inverseRadiiSquared, i1 = prim.inverseRadii;
    const float k1 = length({o.x * i2.x, o.y * i2.y, o.z * i2.z});
    if (k1 < kTinyAxis) return -std::min({prim.radii.x, prim.radii.y, prim.radii.z});
    const float k0 = length({o.x * i1.x, o.y * i1.y, o.z * i1.z});
    return k0 * (k0 - 1.0f) / k1;
}

FORCE_INLINE float roundedBoxDistance(const SdfPrimitive& prim, Vector3 p) {
    const Vector3 q = localOffset(prim, p);
    const Vector3 e = {std::fabs(q.x) - prim.radii.x, std::fabs(q.y) - prim.radii.y,
                       std::fabs(q.z) - prim.radii.z};
    const Vector3 outside = {std::max(e.x, 0.0f), std::max(e.y, 0.0f), std::max(e.z, 0.0f)};
    return length(outside) + std::min(std::max({e.x, e.y, e.z}), 0.0f) - prim.rounding;
}

FORCE_INLINE float capsuleDistance(const SdfPrimitive& prim, Vector3 p) {
    const Vector3 ba = sub(prim.b, prim.a);
    const Vector3 pa = sub(p, prim.a);
    const float l2 = dot(ba, ba);
    const float t = l2 > kTinySegment ? std::clamp(dot(pa, ba) / l2, 0.0f, 1.0f) : 0.0f;
    const Vector3 off = {pa.x - ba.x * t, pa.y - ba.y * t, pa.z - ba.z * t};
    return length(off) - (prim.r0 + (prim.r1 - prim.r0) * t);
}

FORCE_INLINE float distanceTo(const SdfPrimitive& prim, Vector3 p) {
    switch (prim.kind) {
    case SdfKind::Ellipsoid: return ellipsoidDistance(prim, p);
    case SdfKind::RoundedBox: return roundedBoxDistance(prim, p);
    case SdfKind::Capsule: return capsuleDistance(prim, p);
    }
    return kSdfFar;
}

// The bounding-sphere test c > t with c = |boundCentre - p| - boundRadius.
// Where the squared distances differ by a wide margin the answer is settled
// without the square root; the margins are chosen so that the answer is
// always the one the rounded c gives.
FORCE_INLINE bool beyond(const SdfPrimitive& prim, Vector3 p, float t) {
    const float dx = prim.boundCentre.x - p.x, dy = prim.boundCentre.y - p.y, dz = prim.boundCentre.z - p.z;
    const float d2 = dx * dx + dy * dy + dz * dz;
    const double reach = (double)t + (double)prim.boundRadius;
    if (reach > 0.05 * std::fabs((double)t)) {
        const double r2 = reach * reach;
        if ((double)d2 > r2 * (1.0 + 1e-5)) return true;
        if ((double)d2 < r2 * (1.0 - 1e-5)) return false;
    }
    return std::sqrt(d2) - prim.boundRadius > t;
}

FORCE_INLINE float smin(float x, float y, float k) {
    // Beyond the blend radius h is 0 and the result is the plain minimum.
    if (k <= 0.0f || !(std::fabs(x - y) < k)) return std::min(x, y);
    const float h = std::max(k - std::fabs(x - y), 0.0f) / k;
    return std::min(x, y) - h * h * k / 4.0f;
}

// The fields every maker sets the same way.
SdfPrimitive basePrimitive(SdfKind kind, float blend, uint32_t material) {
    SdfPrimitive prim;
    prim.kind = kind;
    prim.op = SdfOp::SmoothUnion;
    prim.blend = blend;
    prim.transform = MatrixIdentity();
    prim.material = material;
    return prim;
}

} // namespace

SdfPrimitive makeCapsule(Vector3 a, Vector3 b, float r0, float r1, float blend, uint32_t material) {
    SdfPrimitive prim = basePrimitive(SdfKind::Capsule, blend, material);
    prim.a = a;
    prim.b = b;
    prim.r0 = r0;
    prim.r1 = r1;
    prim.boundCentre = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
    prim.boundRadius = length(sub(b, a)) * 0.5f + std::max(r0, r1);
    return prim;
}

SdfPrimitive makeEllipsoid(Vector3 centre, Vector3 radii, float blend, uint32_t material) {
    SdfPrimitive prim = basePrimitive(SdfKind::Ellipsoid, blend, material);
    prim.centre = centre;
    prim.radii = radii;
    prim.inverseRadii = {1.0f / radii.x, 1.0f / radii.y, 1.0f / radii.z};
    prim.inverseRadiiSquared = {1.0f / (radii.x * radii.x), 1.0f / (radii.y * radii.y), 1.0f / (radii.z * radii.z)};
    prim.boundCentre = centre;
    prim.boundRadius = std::max({radii.x, radii.y, radii.z});
    return prim;
}

SdfPrimitive makeOrientedEllipsoid(const Matrix& m, Vector3 localCentre, Vector3 radii, float blend,
                                   uint32_t material) {
    const Vector3 c = localCentre;
    SdfPrimitive prim = makeEllipsoid({m.m0 * c.x + m.m4 * c.y + m.m8 * c.z + m.m12,
                                       m.m1 * c.x + m.m5 * c.y + m.m9 * c.z + m.m13,
                                       m.m2 * c.x + m.m6 * c.y + m.m10 * c.z + m.m14},
                                      radii, blend, material);
    // The transposed rotation (its inverse for a rigid matrix), no translation.
    Matrix t = {};
    t.m0 = m.m0, t.m4 = m.m1, t.m8 = m.m2;
    t.m1 = m.m4, t.m5 = m.m5, t.m9 = m.m6;
    t.m2 = m.m8, t.m6 = m.m9, t.m10 = m.m10;
    t.m15 = 1.0f;
    prim.transform = t;
    prim.oriented = true;
    return prim;
}

SdfPrimitive makeRoundedBox(Vector3 centre, Vector3 halfExtents, float rounding, float blend,
                            uint32_t material) {
    SdfPrimitive prim = basePrimitive(SdfKind::RoundedBox, blend, material);
    prim.centre = centre;
    prim.radii = halfExtents;
    prim.rounding = rounding;
    prim.boundCentre = centre;
    prim.boundRadius = length(halfExtents) + rounding;
    return prim;
}

float primitiveDistance(const SdfPrimitive& prim, Vector3 p) { return distanceTo(prim, p); }

float smoothMin(float x, float y, float k) { return smin(x, y, k); }

float sceneDistance(std::span<const SdfPrimitive> prims, Vector3 p, uint32_t* materialOut) {
    float d = kSdfFar;
    uint32_t material = 0;
    for (const SdfPrimitive& prim : prims) {
        const float k = prim.blend;
        switch (prim.op) {
        // A shape at least d (+ k) away leaves d and the material as they are.
        case SdfOp::Union: {
            if (prim.floor > d + kFloorMargin || beyond(prim, p, d)) break;
            const float e = distanceTo(prim, p);
            if (e < d) d = e, material = prim.material;
            break;
        }
        case SdfOp::SmoothUnion: {
            if (prim.floor > d + std::max(k, 0.0f) + kFloorMargin || beyond(prim, p, d + k)) break;
            const float e = distanceTo(prim, p);
            if (e < d) material = prim.material;
            d = smin(d, e, k);
            break;
        }
        case SdfOp::SmoothSubtract: {
            if (prim.floor > std::max(k, 0.0f) - d + kFloorMargin || beyond(prim, p, k)) break;
            d = -smin(distanceTo(prim, p), -d, k);
            break;
        }
        }
    }
    if (materialOut) *materialOut = material;
    return d;
}

namespace {

FORCE_INLINE float hashCell(uint32_t ix, uint32_t iy, uint32_t iz) {
    uint32_t h = (ix * 73856093u) ^ (iy * 19349663u) ^ (iz * 83492791u);
    h ^= h >> 13;
    h *= 1274126177u;
    h ^= h >> 16;
    return (float)(h & 0xFFFFFFu) / 16777215.0f;
}

// floor(v) as a 64-bit integer, kept modulo 2^32; out-of-range or
// non-finite values are pinned so that the conversion stays defined.
FORCE_INLINE uint32_t latticeCell(float v) {
    const float f = std::floor(v);
    if (f > -2147483648.0f && f < 2147483648.0f) return (uint32_t)(int32_t)f;
    if (!(f > -9.2e18f && f < 9.2e18f)) return 0u;
    return (uint32_t)(uint64_t)(int64_t)f;
}

constexpr float kWhole = 8388608.0f; // 2^23: floats this large are whole

} // namespace

float hash3(Vector3 p) { return hashCell(latticeCell(p.x), latticeCell(p.y), latticeCell(p.z)); }

float valueNoise3(Vector3 p) {
    // Values of 2^23 or more are whole already (and floor would not change them).
    auto whole = [](float v) { return std::fabs(v) >= kWhole ? v : std::floor(v); };
    const Vector3 i = {whole(p.x), whole(p.y), whole(p.z)};
    const Vector3 f = {p.x - i.x, p.y - i.y, p.z - i.z};
    const Vector3 u = {f.x * f.x * (3.0f - 2.0f * f.x), f.y * f.y * (3.0f - 2.0f * f.y),
                       f.z * f.z * (3.0f - 2.0f * f.z)};
    auto lerp = [](float a, float b, float t) { return a + (b - a) * t; };
    float c[8]; // corner (dx, dy, dz) at index dx + 2 dy + 4 dz
    if (std::fabs(i.x) < kWhole && std::fabs(i.y) < kWhole && std::fabs(i.z) < kWhole) {
        // i + 1 is exact here, so the corner cells are the integer neighbours.
        const uint32_t x = (uint32_t)(int32_t)i.x, y = (uint32_t)(int32_t)i.y, z = (uint32_t)(int32_t)i.z;
        for (int k = 0; k < 8; ++k) c[k] = hashCell(x + (k & 1), y + ((k >> 1) & 1), z + (k >> 2));
    } else {
        for (int k = 0; k < 8; ++k)
            c[k] = hash3({i.x + (float)(k & 1), i.y + (float)((k >> 1) & 1), i.z + (float)(k >> 2)});
    }
    const float x00 = lerp(c[0], c[1], u.x), x10 = lerp(c[2], c[3], u.x);
    const float x01 = lerp(c[4], c[5], u.x), x11 = lerp(c[6], c[7], u.x);
    return lerp(lerp(x00, x10, u.y), lerp(x01, x11, u.y), u.z);
}

float sdfOcclusion(const SdfField& field, Vector3 p, Vector3 n, float d1, float d2) {
    const float a = field({p.x + n.x * d1, p.y + n.y * d1, p.z + n.z * d1});
    const float b = field({p.x + n.x * d2, p.y + n.y * d2, p.z + n.z * d2});
    return occlusionOf(a, b, d1, d2);
}

float occlusionOf(float a, float b, float d1, float d2) {
    return 0.45f * std::clamp(a / d1, 0.0f, 1.0f) + 0.55f * std::clamp(b / d2, 0.0f, 1.0f);
}
