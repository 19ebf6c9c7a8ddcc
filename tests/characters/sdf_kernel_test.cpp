// Distance kernel: distances, list rules and noise worked out by hand; the
// four-point lanes equal the one-point kernel bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>
#include <raylib.h>
#include <raymath.h>

#include "characters/sdf_kernel.h"
#include "characters/sdf_lanes.h"

namespace {

uint32_t bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

TEST(SdfShapes, DistancesWorkedOutByHand) {
    // Ellipsoid: on an axis the first-order estimate is exact.
    const SdfPrimitive e = makeEllipsoid({0, 0, 0}, {1, 2, 3}, 0, 0);
    EXPECT_FLOAT_EQ(primitiveDistance(e, {2, 0, 0}), 1.0f);
    EXPECT_FLOAT_EQ(primitiveDistance(e, {0, 0, 4.5f}), 1.5f);
    EXPECT_FLOAT_EQ(primitiveDistance(e, {0, 0, 0}), -1.0f); // the centre: minus the smallest semi-axis
    EXPECT_FLOAT_EQ(primitiveDistance(e, {0.5f, 0, 0}), -0.25f / 0.5f);

    // An ellipsoid turned 90 degrees about y: its long local z axis lies along world x.
    const SdfPrimitive turned = makeOrientedEllipsoid(MatrixRotateY(PI / 2), {0, 0, 0}, {1, 1, 3}, 0, 0);
    EXPECT_NEAR(primitiveDistance(turned, {4, 0, 0}), 1.0f, 1e-5f);
    EXPECT_NEAR(primitiveDistance(turned, {0, 0, 2}), 1.0f, 1e-5f);

    // Rounded box: the inner box plus the rounding radius.
    const SdfPrimitive box = makeRoundedBox({0, 0, 0}, {1, 1, 1}, 0.1f, 0, 0);
    EXPECT_FLOAT_EQ(primitiveDistance(box, {2, 0, 0}), 0.9f);
    EXPECT_FLOAT_EQ(primitiveDistance(box, {2, 2, 0}), std::sqrt(2.0f) - 0.1f);
    EXPECT_FLOAT_EQ(primitiveDistance(box, {0, 0, 0}), -1.1f);

    // Tapered capsule: the radius follows the projection along the segment.
    const SdfPrimitive cap = makeCapsule({0, 0, 0}, {0, 2, 0}, 0.5f, 0.1f, 0, 0);
    EXPECT_FLOAT_EQ(primitiveDistance(cap, {1, 1, 0}), 0.7f);
    EXPECT_FLOAT_EQ(primitiveDistance(cap, {0, 3, 0}), 0.9f); // past the end: t clamps to 1
    // Ends that coincide make a sphere of radius r0.
    const SdfPrimitive ball = makeCapsule({1, 1, 1}, {1, 1, 1}, 0.3f, 0.9f, 0, 0);
    EXPECT_FLOAT_EQ(primitiveDistance(ball, {1, 3, 1}), 1.7f);
}

TEST(SdfLists, SmoothMinimumOrderedUnionsAndSubtractions) {
    EXPECT_FLOAT_EQ(smoothMin(0, 0, 1), -0.25f);
    EXPECT_FLOAT_EQ(smoothMin(0, 0.5f, 1), -0.0625f);
    EXPECT_FLOAT_EQ(smoothMin(0, 2, 1), 0.0f);       // beyond the blend radius
    EXPECT_FLOAT_EQ(smoothMin(0.3f, 0.2f, 0), 0.2f); // k <= 0 is the plain minimum
    uint32_t m = 99;
    EXPECT_EQ(sceneDistance({}, {0, 0, 0}, &m), kSdfFar);
    EXPECT_EQ(m, 0u);

    // A subtraction only carves what comes before it.
    SdfPrimitive cut = makeEllipsoid({0, 0, 0}, {1, 1, 1}, 0.1f, 5);
    cut.op = SdfOp::SmoothSubtract;
    std::vector<SdfPrimitive> list = {cut};
    EXPECT_EQ(sceneDistance(list, {0, 0, 0}, &m), kSdfFar);
    EXPECT_EQ(m, 0u);

    // A smooth union with blend 0 is a hard union; the material follows the nearer shape.
    const SdfPrimitive a = makeEllipsoid({-2, 0, 0}, {1, 1, 1}, 0, 1);
    const SdfPrimitive b = makeEllipsoid({2, 0, 0}, {1, 1, 1}, 0, 2);
    list = {a, b};
    EXPECT_FLOAT_EQ(sceneDistance(list, {1.5f, 0, 0}, &m), -0.5f);
    EXPECT_EQ(m, 2u);
    EXPECT_FLOAT_EQ(sceneDistance(list, {-2.5f, 0, 0}, &m), -0.5f);
    EXPECT_EQ(m, 1u);
    // At equal distance the earlier shape keeps the material.
    EXPECT_FLOAT_EQ(sceneDistance(list, {0, 0, 0}, &m), 1.0f);
    EXPECT_EQ(m, 1u);

    // Blending two unit spheres 2 apart with k = 1 at the midpoint: smin(1, 1, 1).
    SdfPrimitive sa = makeEllipsoid({-2, 0, 0}, {1, 1, 1}, 1, 1), sb = makeEllipsoid({2, 0, 0}, {1, 1, 1}, 1, 2);
    list = {sa, sb};
    EXPECT_FLOAT_EQ(sceneDistance(list, {0, 0, 0}), 0.75f);

    // Carving a hole: a sphere of radius 1 minus a sphere of radius 0.5 at its centre.
    SdfPrimitive hole = makeEllipsoid({0, 0, 0}, {0.5f, 0.5f, 0.5f}, 0, 3);
    hole.op = SdfOp::SmoothSubtract;
    list = {makeEllipsoid({0, 0, 0}, {1, 1, 1}, 0, 1), hole};
    EXPECT_FLOAT_EQ(sceneDistance(list, {0, 0, 0}, &m), 0.5f);
    EXPECT_EQ(m, 1u); // a subtraction never sets the material
    EXPECT_FLOAT_EQ(sceneDistance(list, {0.75f, 0, 0}), -0.25f);
}

TEST(SdfNoise, HashAndValueNoise) {
    EXPECT_EQ(hash3({0, 0, 0}), 0.0f);
    EXPECT_EQ(hash3({0.2f, 0.7f, 0.99f}), 0.0f); // the same cell
    EXPECT_NEAR(hash3({1, 0, 0}), 0.54722062f, 1e-7f);
    EXPECT_NEAR(hash3({0, 1.5f, 0}), 0.96050173f, 1e-7f);
    EXPECT_NEAR(hash3({-0.5f, 0, 0}), 0.71178041f, 1e-7f); // floor(-0.5) = -1, taken modulo 2^32
    EXPECT_NEAR(hash3({2.1f, 3.9f, 5.5f}), 0.40316185f, 1e-7f);
    // Huge and non-finite coordinates still hash to a value in range.
    for (float v : {1e12f, -1e12f, 1e30f, INFINITY, NAN}) {
        const float h = hash3({v, 0, 0});
        EXPECT_GE(h, 0.0f);
        EXPECT_LE(h, 1.0f);
    }

    // At a lattice point the noise is the hash there; halfway along x it is the mean.
    for (Vector3 p : {Vector3{0, 0, 0}, Vector3{1, 0, 0}, Vector3{2, 3, 5}, Vector3{-7, 4, -2}})
        EXPECT_EQ(valueNoise3(p), hash3(p));
    EXPECT_NEAR(valueNoise3({0.5f, 0, 0}), 0.5f * 0.54722062f, 1e-6f);
    // Far out (2^23 and beyond) coordinates are whole and the noise is the hash.
    EXPECT_EQ(valueNoise3({16777216.0f, 0, 0}), hash3({16777216.0f, 0, 0}));

    const SdfField sphere = [](Vector3 p) { return Vector3Length(p) - 1.0f; };
    // Occlusion: open space along the normal gives none; facing inward, full.
    EXPECT_FLOAT_EQ(sdfOcclusion(sphere, {1, 0, 0}, {1, 0, 0}, 0.1f, 0.3f), 1.0f);
    EXPECT_FLOAT_EQ(sdfOcclusion(sphere, {1, 0, 0}, {-1, 0, 0}, 0.1f, 0.3f), 0.0f);
    EXPECT_FLOAT_EQ(occlusionOf(0.05f, 0.3f, 0.1f, 0.3f), 0.45f * 0.5f + 0.55f);
}

// A list like a character part's: many overlapping shapes of every kind
// and operation, some turned.
std::vector<SdfPrimitive> mixedList(uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> pos(-0.3f, 0.3f), size(0.02f, 0.15f), blend(0.0f, 0.05f);
    std::vector<SdfPrimitive> list;
    for (int i = 0; i < 40; ++i) {
        SdfPrimitive p;
        const uint32_t material = (uint32_t)i % 5;
        switch (i % 4) {
        case 0: p = makeEllipsoid({pos(rng), pos(rng), pos(rng)}, {size(rng), size(rng), size(rng)}, blend(rng), material); break;
        case 1:
            p = makeOrientedEllipsoid(MatrixMultiply(MatrixRotateXYZ({pos(rng) * 5, pos(rng) * 5, pos(rng) * 5}),
                                                     MatrixTranslate(pos(rng), pos(rng), pos(rng))),
                                      {0, -0.05f, 0.01f}, {size(rng), size(rng), size(rng)}, blend(rng), material);
            break;
        case 2:
            p = makeCapsule({pos(rng), pos(rng), pos(rng)}, {pos(rng), pos(rng), pos(rng)}, size(rng) * 0.5f,
                            size(rng) * 0.5f, blend(rng), material);
            break;
        default:
            p = makeRoundedBox({pos(rng), pos(rng), pos(rng)}, {size(rng), size(rng), size(rng)}, 0.01f, blend(rng),
                               material);
        }
        if (i % 7 == 3) p.op = SdfOp::SmoothSubtract;
        if (i % 11 == 5) p.op = SdfOp::Union;
        list.push_back(p);
    }
    return list;
}

TEST(SdfFastPaths, LanesGiveTheOnePointValuesBitForBit) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-0.45f, 0.45f);
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        const std::vector<SdfPrimitive> list = mixedList(seed);
        for (int i = 0; i < 2000; ++i) {
            Vector3 p[kLanes];
            for (Vector3& q : p) q = {u(rng), u(rng), u(rng)};
            LaneMask materials;
            const Lanes d = sceneDistanceLanes(list, toLanes(p, kLanes), &materials);
            for (int k = 0; k < kLanes; ++k) {
                uint32_t m = 0;
                const float one = sceneDistance(list, p[k], &m);
                ASSERT_EQ(bits(d[k]), bits(one)) << "seed " << seed << " point " << i;
                ASSERT_EQ((uint32_t)materials[k], m);
            }
        }
    }
}

} // namespace
