// Surface nets: a meshed sphere is closed, outward and sits on the sphere;
// its vertex count follows from the grid; the fast paths (block skipping,
// narrowed fields) change nothing; the smoother's rules.
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
    EXPECT_TRUE(polygonizeSdf(sphere, {0, 0, 0}, {0, 0, 0}, kCell).positions.empty()); // an empty box
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

TEST(SurfaceMesher, SurfaceOnTheOuterLayerLeavesAnOpenRim) {
    // The box cuts the sphere: the cut is left open, the rest stays whole.
    const SurfaceMesh m = polygonizeSdf(sphere, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.1f}, kCell);
    EXPECT_GT(countEdges(m.positions, m.indices).open, 0u);
    // A plane through the first layer of cells: a sheet of (c - 1)^2 quads,
    // none from the edges on the grid's sides.
    const SurfaceMesh sheet =
        polygonizeSdf([](Vector3 p) { return p.x - 0.01f; }, {0, 0, 0}, {0.095f, 0.095f, 0.095f}, kCell);
    EXPECT_EQ(sheet.positions.size(), 5u * 5u);
    EXPECT_EQ(sheet.indices.size(), 4u * 4u * 6u);
}

TEST(SurfaceMesher, FarBlocksTakeTheirMiddleValue) {
    // 30 points a side: five whole blocks of six. A field that claims to be
    // far away at every block middle (half a cell off the lattice) has each
    // block filled from that one value, so nothing else is evaluated and no
    // surface is found.
    const Vector3 lo = {-0.29f, -0.29f, -0.29f}, hi = {0.289f, 0.289f, 0.289f};
    int calls = 0;
    auto liar = [&](Vector3 p) {
        ++calls;
        const float f = (p.x - lo.x) / kCell;
        return std::fabs(f - std::floor(f) - 0.5f) < 0.01f ? 10.0f : sphere(p);
    };
    const SurfaceMesh skipped = polygonizeSdf(liar, lo, hi, kCell);
    EXPECT_TRUE(skipped.positions.empty());
    EXPECT_EQ(calls, 5 * 5 * 5);
    EXPECT_FALSE(polygonizeSdf(sphere, lo, hi, kCell).positions.empty());
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

TEST(SurfaceMesher, Smoothing) {
    // A fan of four triangles around vertex 0, lifted above the others.
    SurfaceMesh m;
    m.positions = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {5, 5, 5}};
    m.normals.assign(m.positions.size(), Vector3{0, 0, 1});
    m.indices = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1};
    SurfaceMesh same = m;
    smoothMesh(same, 0, 0.5f);
    EXPECT_TRUE(sameMesh(same, m));

    SurfaceMesh full = m;
    smoothMesh(full, 1, 1.0f);
    // Vertex 0 moves to the mean of its neighbours (each counted twice).
    EXPECT_FLOAT_EQ(full.positions[0].z, 0.0f);
    EXPECT_FLOAT_EQ(full.positions[0].x, 0.0f);
    // Vertex 1 has neighbours 0 (twice), 2 and 4: mean (0, 0, 0.5).
    EXPECT_FLOAT_EQ(full.positions[1].x, 0.0f);
    EXPECT_FLOAT_EQ(full.positions[1].z, 0.5f);
    // A vertex without triangles stays; normals are untouched.
    EXPECT_FLOAT_EQ(full.positions[5].x, 5.0f);
    EXPECT_FLOAT_EQ(full.normals[1].z, 1.0f);

    SurfaceMesh half = m;
    smoothMesh(half, 1, 0.5f);
    EXPECT_FLOAT_EQ(half.positions[0].z, 0.5f);
}

TEST(SurfaceMesher, TrianglesFollowTheVertexNormals) {
    SurfaceMesh m;
    m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.normals.assign(3, Vector3{0, 0, -1});
    emitTriangle(m, 0, 1, 2); // counter-clockwise seen from +z: flipped for normals along -z
    EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 2, 1}));
    m.normals.assign(3, Vector3{0, 0, 1});
    emitTriangle(m, 0, 1, 2);
    EXPECT_EQ(m.indices.size(), 6u);
    EXPECT_EQ(m.indices[4], 1u);
}

} // namespace
