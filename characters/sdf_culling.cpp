// Box culling of shape lists. Walking the list in order, it keeps an upper
// bound U of the running distance over the box; a shape whose bounding
// sphere is farther from the whole box than its skip threshold (U, U + blend,
// or blend for a subtraction) is skipped at every point there and can go.
// Bounds are worked in double with a margin far above float rounding.
#include "characters/sdf_culling.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMargin = 1e-5; // metres; float rounding of the fields is far below it

struct Range {
    double lo, hi;
};

double sq(double v) { return v * v; }

// Nearest and farthest distance from point c to the box.
Range boxDistances(Vector3 c, const SdfBox& b) {
    const double cx = c.x, cy = c.y, cz = c.z;
    const double nx = std::max({(double)b.lo.x - cx, 0.0, cx - b.hi.x});
    const double ny = std::max({(double)b.lo.y - cy, 0.0, cy - b.hi.y});
    const double nz = std::max({(double)b.lo.z - cz, 0.0, cz - b.hi.z});
    const double fx = std::max(std::fabs(cx - b.lo.x), std::fabs(cx - b.hi.x));
    const double fy = std::max(std::fabs(cy - b.lo.y), std::fabs(cy - b.hi.y));
    const double fz = std::max(std::fabs(cz - b.lo.z), std::fabs(cz - b.hi.z));
    return {std::sqrt(nx * nx + ny * ny + nz * nz), std::sqrt(fx * fx + fy * fy + fz * fz)};
}

Vector3 boxCentre(const SdfBox& b) {
    return {(b.lo.x + b.hi.x) * 0.5f, (b.lo.y + b.hi.y) * 0.5f, (b.lo.z + b.hi.z) * 0.5f};
}

double halfDiagonal(const SdfBox& b) {
    return 0.5 * std::sqrt(sq((double)b.hi.x - b.lo.x) + sq((double)b.hi.y - b.lo.y) + sq((double)b.hi.z - b.lo.z));
}

// Range of one local coordinate of an ellipsoid over the box.
Range localRange(const SdfPrimitive& prim, const SdfBox& b, int axis) {
    const double c[3] = {prim.centre.x, prim.centre.y, prim.centre.z};
    const double lo[3] = {b.lo.x - c[0], b.lo.y - c[1], b.lo.z - c[2]};
    const double hi[3] = {b.hi.x - c[0], b.hi.y - c[1], b.hi.z - c[2]};
    if (!prim.oriented) return {lo[axis], hi[axis]};
    const Matrix& m = prim.transform;
    const double row[3][4] = {{m.m0, m.m4, m.m8, m.m12}, {m.m1, m.m5, m.m9, m.m13}, {m.m2, m.m6, m.m10, m.m14}};
    // An affine map of a box: each term takes its extreme at one end.
    Range r = {row[axis][3], row[axis][3]};
    for (int k = 0; k < 3; ++k) {
        const double a = row[axis][k] * lo[k], z = row[axis][k] * hi[k];
        r.lo += std::min(a, z);
        r.hi += std::max(a, z);
    }
    return r;
}

// The ellipsoid estimate k0 (k0 - 1) / k1 equals (k0 - 1) rho with
// rho = k0 / k1 between the smallest and the largest radius.
Range ellipsoidBounds(const SdfPrimitive& prim, const SdfBox& box) {
    const double r[3] = {prim.radii.x, prim.radii.y, prim.radii.z};
    if (!(r[0] > 0 && r[1] > 0 && r[2] > 0) || !std::isfinite(r[0] + r[1] + r[2])) return {-kInf, kInf};
    double nearSq = 0, farSq = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const Range q = localRange(prim, box, axis);
        const double nearest = q.lo > 0 ? q.lo : (q.hi < 0 ? -q.hi : 0.0);
        nearSq += sq(nearest / r[axis]);
        farSq += sq(std::max(std::fabs(q.lo), std::fabs(q.hi)) / r[axis]);
    }
    const double rmin = std::min({r[0], r[1], r[2]}), rmax = std::max({r[0], r[1], r[2]});
    const double k0min = std::sqrt(nearSq), k0max = std::sqrt(farSq);
    return {(k0min - 1.0) * (k0min >= 1.0 ? rmin : rmax), (k0max - 1.0) * (k0max >= 1.0 ? rmax : rmin)};
}

// Lipschitz bound around the value at the box centre.
Range lipschitzBounds(const SdfPrimitive& prim, const SdfBox& box, double lipschitz) {
    const double e = primitiveDistance(prim, boxCentre(box));
    const double reach = lipschitz * halfDiagonal(box);
    return {e - reach, e + reach};
}

// Range of primitiveDistance over the box.
Range distanceBounds(const SdfPrimitive& prim, const SdfBox& box) {
    Range r = {-kInf, kInf};
    switch (prim.kind) {
    case SdfKind::Ellipsoid: r = ellipsoidBounds(prim, box); break;
    case SdfKind::RoundedBox:
        if (!prim.oriented) r = lipschitzBounds(prim, box, 1.0);
        break;
    case SdfKind::Capsule: {
        // The radius follows the projection along the segment: 1 / |b - a| per metre.
        const Vector3 ba = {prim.b.x - prim.a.x, prim.b.y - prim.a.y, prim.b.z - prim.a.z};
        const float l2 = ba.x * ba.x + ba.y * ba.y + ba.z * ba.z;
        const double taper = l2 > 1e-12f ? std::fabs((double)prim.r1 - prim.r0) / std::sqrt((double)l2) : 0.0;
        r = lipschitzBounds(prim, box, 1.0 + taper);
        break;
    }
    default: return {kSdfFar, kSdfFar};
    }
    if (!(r.lo == r.lo) || !(r.hi == r.hi)) return {-kInf, kInf};
    const double slack = kMargin + 1e-5 * std::max(std::fabs(r.lo), std::fabs(r.hi));
    return {r.lo - slack, r.hi + slack};
}

} // namespace

SdfBox growBox(const SdfBox& b, float m) {
    return {{b.lo.x - m, b.lo.y - m, b.lo.z - m}, {b.hi.x + m, b.hi.y + m, b.hi.z + m}};
}

// A float at or below v.
float floatBelow(double v) {
    if (!(v > -kSdfFar)) return -kSdfFar;
    if (v > kSdfFar) return kSdfFar;
    const float f = (float)v;
    return (double)f <= v ? f : std::nextafter(f, -kSdfFar);
}

// True when the shape's bounding sphere lies farther than `threshold` from
// every point of the box (cmin > threshold), without a square root.
bool sphereBeyond(const SdfPrimitive& prim, const SdfBox& b, double threshold) {
    const double reach = threshold + prim.boundRadius + 2.0 * kMargin;
    if (reach < 0.0) return true;
    const Vector3 c = prim.boundCentre;
    const double nx = std::max({(double)b.lo.x - c.x, 0.0, (double)c.x - b.hi.x});
    const double ny = std::max({(double)b.lo.y - c.y, 0.0, (double)c.y - b.hi.y});
    const double nz = std::max({(double)b.lo.z - c.z, 0.0, (double)c.z - b.hi.z});
    return nx * nx + ny * ny + nz * nz > reach * reach;
}

void cullPrimitives(std::span<const SdfPrimitive> prims, const SdfBox& box, std::vector<SdfPrimitive>& out) {
    out.reserve(out.size() + prims.size());
    double upper = kSdfFar; // the running distance never exceeds this inside the box
    for (const SdfPrimitive& prim : prims) {
        const double k = prim.blend;
        double threshold; // the shape is skipped wherever c exceeds it
        switch (prim.op) {
        case SdfOp::Union: threshold = upper; break;
        case SdfOp::SmoothUnion: threshold = upper + k; break;
        case SdfOp::SmoothSubtract: threshold = k; break;
        default: continue; // ignored by sceneDistance as well
        }
        if (sphereBeyond(prim, box, threshold)) continue;
        const double cmax = boxDistances(prim.boundCentre, box).hi - prim.boundRadius + kMargin;
        const Range e = distanceBounds(prim, box);
        if (prim.op == SdfOp::SmoothSubtract) {
            // -smin(e, -d) <= max(-e, d) + k / 4.
            upper = std::max(upper, -e.lo) + std::max(k, 0.0) / 4.0 + kMargin;
        } else {
            // Evaluated: min(d, e) (smin is below it); skipped: d < c (- k).
            const double skipped = prim.op == SdfOp::Union ? cmax : cmax - k;
            upper = std::min(upper, std::max(e.hi, skipped));
        }
        out.push_back(prim);
        out.back().floor = floatBelow(e.lo);
    }
}

SdfNarrowing narrowSceneDistance(std::span<const SdfPrimitive> prims) {
    return [prims](const SdfBox& box) -> SdfBatchField {
        std::vector<SdfPrimitive> local;
        cullPrimitives(prims, box, local);
        return [local = std::move(local)](const Vector3* points, float* out, size_t n) {
            evaluateInLanes(points, out, n, [&](const LanePoints& p) { return sceneDistanceLanes(local, p); });
        };
    };
}
