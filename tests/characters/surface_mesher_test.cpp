// Surface nets: a meshed sphere is closed and outward with one vertex per
// crossed cell; block skipping and narrowing change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>
#include <raylib.h>
#include <raymath.h>

#include "characters/character_builder.h"
#include "characters/sdf_culling.h"
#include "characters/surface_mesher.h"
#include "tests/characters/mesh_checks.h"

namespace {

constexpr float kRadius = 0.3f;
constexpr float kCell = 0.02f;

float sphere(Vector3 p) { return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z) - kRadius; }

bool sameMesh(const SurfaceMesh& a, const SurfaceMesh& b) {
    return a.positions.size() == b.positions.size() && a.indices == b.indices &&
           std::memcmp(a.positions.data(), b.positions.data(), a.positions.size() * sizeof(Vector3)) == 0 &&
           std::memcmp(a.normals.data(), b.normals.data(), a.normals.size() * sizeof(Vector3)) == 0;
}

TEST(SurfaceMesher, FieldWithoutASurfaceGivesNothing) {
    for (float sign : {-1.0f, 1.0f}) {
        const SurfaceMesh m = polygonizeSdf([sign](Vector3) { return sign; }, {-1, -1, -1}, {1, 1, 1}, 0.1f);
        EXPECT_TRUE(m.positions.empty());
        EXPECT_TRUE(m.indices.empty());
    }
    EXPECT_TRUE(polygonizeSdf(sphere, {-1, -1, -1}, {1, 1, 1}, 0.0f).positions.empty());
    EXPECT_TRUE(polygonizeSdf(sphere, {-1, -1, -1}, {1, 1, 1}, NAN).positions.empty());
    EXPECT_TRUE(polygonizeSdf(sphere, {-1, -1, -1}, {1, 1, INFINITY}, 0.1f).positions.empty());
    EXPECT_TRUE(polygonizeSdf(sphere, {1, 1, 1}, {-1, -1, -1}, 0.1f).positions.empty());
}

TEST(SurfaceMesher, SphereIsClosedOutwardAndOnTheSurface) {
    const Vector3 lo = {-0.5f, -0.47f, -0.51f}, hi = {0.5f, 0.5f, 0.45f};
    const SurfaceMesh m = polygonizeSdf(sphere, lo, hi, kCell);
    ASSERT_FALSE(m.positions.empty());
    EXPECT_TRUE(countEdges(m.positions, m.indices).perfect());
    EXPECT_EQ(m.normals.size(), m.positions.size());
    for (size_t i = 0; i < m.positions.size(); ++i) {
        const Vector3 p = m.positions[i], n = m.normals[i];
        EXPECT_NEAR(Vector3Length(p), kRadius, 0.02f * kCell);
        EXPECT_NEAR(Vector3Length(n), 1.0f, 1e-5f);
        EXPECT_GT(Vector3DotProduct(n, Vector3Normalize(p)), 0.99f);
    }
    // Every triangle winds counter-clockwise seen from outside.
    for (size_t t = 0; t < m.indices.size(); t += 3) {
        const Vector3 a = m.positions[m.indices[t]], b = m.positions[m.indices[t + 1]],
                      c = m.positions[m.indices[t + 2]];
        const Vector3 face = Vector3CrossProduct(Vector3Subtract(b, a), Vector3Subtract(c, a));
        EXPECT_GT(Vector3DotProduct(face, Vector3Add(a, Vector3Add(b, c))), 0.0f);
    }

    // One vertex per grid cell whose corners straddle the surface.
    const int cx = (int)std::ceil((hi.x - lo.x) / kCell), cy = (int)std::ceil((hi.y - lo.y) / kCell),
              cz = (int)std::ceil((hi.z - lo.z) / kCell);
    size_t crossed = 0;
    for (int z = 0; z < cz; ++z)
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x) {
                int inside = 0;
                for (int c = 0; c < 8; ++c) {
                    const Vector3 p = {lo.x + kCell * (float)(x + (c & 1)), lo.y + kCell * (float)(y + (c >> 1 & 1)),
                                       lo.z + kCell * (float)(z + (c >> 2))};
                    inside += sphere(p) < 0.0f;
                }
                crossed += inside != 0 && inside != 8;
            }
    EXPECT_EQ(m.positions.size(), crossed);
}

TEST(SurfaceMesher, BlockSkippingAndNarrowingChangeNothing) {
    // A sphere, and a hand: many shapes, sharp blends, fine cells.
    const Vector3 lo = {-0.5f, -0.47f, -0.51f}, hi = {0.5f, 0.5f, 0.45f};
    MeshingOptions every;
    every.skipFarBlocks = false;
    EXPECT_TRUE(sameMesh(polygonizeSdf(sphere, lo, hi, kCell), polygonizeSdf(sphere, lo, hi, kCell, every)));

    std::vector<SdfPrimitive> hand;
    addHandPrimitives(hand, 1.0f, 1.0f);
    const SdfField field = [&hand](Vector3 p) { return handDistance(hand, p); };
    const Vector3 hlo = {-0.075f, -0.22f, -0.06f}, hhi = {0.075f, 0.06f, 0.095f};
    const float cell = 0.0029f;
    const SurfaceMesh plain = polygonizeSdf(field, hlo, hhi, cell, every);
    MeshingOptions narrowed;
    narrowed.narrow = narrowSceneDistance(hand);
    EXPECT_TRUE(sameMesh(plain, polygonizeSdf(field, hlo, hhi, cell)));
    EXPECT_TRUE(sameMesh(plain, polygonizeSdf(field, hlo, hhi, cell, narrowed)));
}

} // namespace
