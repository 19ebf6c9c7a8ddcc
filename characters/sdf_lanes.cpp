// Four-point kernel: the same operations as sdf_kernel.cpp in the same
// order, lane by lane, with each shape's skip test decided per lane.
#include "characters/sdf_lanes.h"

#include <algorithm>

namespace {

constexpr float kTinyAxis = 1e-9f;
constexpr float kTinySegment = 1e-12f;
constexpr float kFloorMargin = 1e-5f;

FORCE_INLINE LanePoints localOffset(const SdfPrimitive& prim, const LanePoints& p) {
    const LanePoints q = {p.x - prim.centre.x, p.y - prim.centre.y, p.z - prim.centre.z};
    if (!prim.oriented) return q;
    const Matrix& m = prim.transform;
    return {m.m0 * q.x + m.m4 * q.y + m.m8 * q.z + m.m12, m.m1 * q.x + m.m5 * q.y + m.m9 * q.z + m.m13,
            m.m2 * q.x + m.m6 * q.y + m.m10 * q.z + m.m14};
}

FORCE_INLINE Lanes ellipsoidLanes(const SdfPrimitive& prim, const LanePoints& p) {
    const LanePoints q = localOffset(prim, p);
    const Vector3 r = prim.radii, i2 = prim.inverseRadiiSquared, i1 = prim.inverseRadii;
    const Lanes k1 = laneLength(q.x * i2.x, q.y * i2.y, q.z * i2.z);
    const Lanes k0 = laneLength(q.x * i1.x, q.y * i1.y, q.z * i1.z);
    return select(k1 < kTinyAxis, splat(-std::min({r.x, r.y, r.z})), k0 * (k0 - 1.0f) / k1);
}

FORCE_INLINE Lanes roundedBoxLanes(const SdfPrimitive& prim, const LanePoints& p) {
    const LanePoints q = localOffset(prim, p);
    const Lanes ex = laneAbs(q.x) - prim.radii.x, ey = laneAbs(q.y) - prim.radii.y, ez = laneAbs(q.z) - prim.radii.z;
    const Lanes zero = splat(0.0f);
    const Lanes outside = laneLength(laneMax(ex, zero), laneMax(ey, zero), laneMax(ez, zero));
    const Lanes largest = laneMax(laneMax(ex, ey), ez); // std::max({ex, ey, ez})
    return outside + laneMin(largest, zero) - prim.rounding;
}

FORCE_INLINE Lanes capsuleLanes(const SdfPrimitive& prim, const LanePoints& p) {
    const Vector3 ba = {prim.b.x - prim.a.x, prim.b.y - prim.a.y, prim.b.z - prim.a.z};
    const LanePoints pa = {p.x - prim.a.x, p.y - prim.a.y, p.z - prim.a.z};
    const float l2 = ba.x * ba.x + ba.y * ba.y + ba.z * ba.z;
    const Lanes t = l2 > kTinySegment ? laneClamp((pa.x * ba.x + pa.y * ba.y + pa.z * ba.z) / l2, 0.0f, 1.0f)
                                      : splat(0.0f);
    return laneLength(pa.x - ba.x * t, pa.y - ba.y * t, pa.z - ba.z * t) - (prim.r0 + (prim.r1 - prim.r0) * t);
}

// Lanes where c = |boundCentre - p| - boundRadius exceeds t. As in the
// one-point kernel, lanes whose squared distances differ by a wide margin
// are settled without the square root (the margin dwarfs float rounding, so
// the answer is the one the rounded c gives); the rest take the root.
FORCE_INLINE LaneMask beyond(const SdfPrimitive& prim, const LanePoints& p, Lanes t) {
    const Lanes dx = prim.boundCentre.x - p.x, dy = prim.boundCentre.y - p.y, dz = prim.boundCentre.z - p.z;
    const Lanes d2 = dx * dx + dy * dy + dz * dz;
    const Lanes reach = t + prim.boundRadius;
    const LaneMask clear = reach > 0.05f * laneAbs(t);
    const Lanes r2 = reach * reach;
    const LaneMask far = clear & (d2 > r2 * (1.0f + 1e-5f));
    const LaneMask settled = far | (clear & (d2 < r2 * (1.0f - 1e-5f)));
    if (allLanes(settled)) return far;
    const LaneMask exact = (laneSqrt(d2) - prim.boundRadius) > t;
    return selectMask(settled, far, exact);
}

FORCE_INLINE Lanes distanceLanes(const SdfPrimitive& prim, const LanePoints& p) {
    switch (prim.kind) {
    case SdfKind::Ellipsoid: return ellipsoidLanes(prim, p);
    case SdfKind::RoundedBox: return roundedBoxLanes(prim, p);
    case SdfKind::Capsule: return capsuleLanes(prim, p);
    }
    return splat(kSdfFar);
}

} // namespace

Lanes primitiveDistanceLanes(const SdfPrimitive& prim, const LanePoints& p) { return distanceLanes(prim, p); }

Lanes sceneDistanceLanes(std::span<const SdfPrimitive> prims, const LanePoints& p, LaneMask* materialOut,
                         size_t prefix, Lanes* prefixOut) {
    Lanes d = splat(kSdfFar);
    LaneMask material = {0, 0, 0, 0};
    for (size_t i = 0; i < prims.size(); ++i) {
        if (i == prefix && prefixOut) *prefixOut = d;
        const SdfPrimitive& prim = prims[i];
        const float k = prim.blend;
        const LaneMask id = {(int32_t)prim.material, (int32_t)prim.material, (int32_t)prim.material,
                             (int32_t)prim.material};
        switch (prim.op) {
        case SdfOp::Union: {
            LaneMask skip = prim.floor > d + kFloorMargin;
            if (allLanes(skip) || allLanes(skip |= beyond(prim, p, d))) break;
            const Lanes e = distanceLanes(prim, p);
            const LaneMask nearer = ~skip & (e < d);
            d = select(nearer, e, d);
            material = selectMask(nearer, id, material);
            break;
        }
        case SdfOp::SmoothUnion: {
            LaneMask skip = prim.floor > d + std::max(k, 0.0f) + kFloorMargin;
            if (allLanes(skip) || allLanes(skip |= beyond(prim, p, d + k))) break;
            const Lanes e = distanceLanes(prim, p);
            material = selectMask(~skip & (e < d), id, material);
            d = select(skip, d, laneSmoothMin(d, e, k));
            break;
        }
        case SdfOp::SmoothSubtract: {
            LaneMask skip = prim.floor > std::max(k, 0.0f) - d + kFloorMargin;
            if (allLanes(skip) || allLanes(skip |= beyond(prim, p, splat(k)))) break;
            d = select(skip, d, -laneSmoothMin(distanceLanes(prim, p), -d, k));
            break;
        }
        }
    }
    if (prefix >= prims.size() && prefixOut) *prefixOut = d;
    if (materialOut) *materialOut = material;
    return d;
}

LanePoints toLanes(const Vector3* points, size_t n) {
    LanePoints l;
    for (int i = 0; i < kLanes; ++i) {
        const Vector3 p = points[(size_t)i < n ? (size_t)i : n - 1];
        l.x[i] = p.x, l.y[i] = p.y, l.z[i] = p.z;
    }
    return l;
}

SdfBatchField batchOf(SdfField field) {
    return [field = std::move(field)](const Vector3* points, float* out, size_t n) {
        for (size_t i = 0; i < n; ++i) out[i] = field(points[i]);
    };
}
