// Parametric surfaces and the shared meshes: vertex counts, normals that agree
// with the winding and point outward, dropped degenerate cells, empty cases.
#include <algorithm>
#include <gtest/gtest.h>

#include "characters/shared_meshes.h"
#include "render/parametric_meshes.h"
#include "tests/render/mesh_checks.h"

TEST(ParametricMeshes, CountsAndNormalsAgreeWithTheTriangles) {
    auto origin = [](Vector3) { return Vector3{0, 0, 0}; };
    auto torusCore = [](Vector3 p) { // closest point of the core circle, radius 0.2286
        const float d = std::sqrt(p.x * p.x + p.z * p.z);
        return Vector3{p.x / d * 0.2286f, 0, p.z / d * 0.2286f};
    };
    const float h = 0.6f;
    auto capsuleAxis = [h](Vector3 p) { return Vector3{0, std::clamp(p.y, -h, 0.0f), 0}; };
    const std::vector<Vector2> cylinder = {{0, -0.5f}, {1, -0.5f}, {1, -0.49f}, {1, 0.49f}, {1, 0.5f}, {0, 0.5f}};
    struct Case {
        const char* name;
        MeshBuilder mesh;
        int vertices; // -1: not fixed
        std::function<Vector3(Vector3)> inside;
    };
    const Case cases[] = {
        {"ring", buildRing(0.42f, 0.5f, 40), 40 * 6, nullptr},
        {"torus", buildTorus(0.2286f, 0.011f, 40, 8), 40 * 8 * 6, torusCore},
        // Each pole row keeps one triangle per segment; the others keep two.
        {"sphere", buildSphere(1, 20, 28), 6 * 28 * (20 - 1), origin},
        {"large sphere", buildSphere(2.5f, 6, 8), -1, origin},
        {"unit ellipsoid", buildEllipsoid(1, 1, 14, 18), 6 * 18 * (14 - 1), origin},
        {"superellipsoid 0.35", buildEllipsoid(0.35f, 0.35f, 10, 16), -1, origin},
        {"superellipsoid 0.6", buildEllipsoid(0.6f, 0.6f, 10, 16), -1, origin},
        // Five bands: the two caps keep one triangle per segment, the others two.
        {"cylinder", buildLathe(cylinder, 18, 1, 1, 0), (18 + 3 * 2 * 18 + 18) * 3, origin},
        {"oval cylinder", buildLathe(cylinder, 36, 2, 0.5f, PI / 2), -1, nullptr},
        // 19 profile points, 18 bands, both end bands closed at a pole.
        {"capsule", buildTaperedCapsule(h, 0.1f, 0.14f, 12, 0.8f), (12 + 16 * 2 * 12 + 12) * 3, capsuleAxis},
    };
    for (const Case& c : cases) {
        expectConsistentArrays(c.mesh);
        expectWindingMatchesNormals(c.mesh, c.name);
        if (c.vertices >= 0) { EXPECT_EQ(vertexCount(c.mesh), c.vertices) << c.name; }
        if (c.inside) expectOutwardUnitNormals(c.mesh, c.name, c.inside);
    }
    // Near-point pole rings of a boxy superellipsoid may or may not collapse;
    // it stays inside the unit cube and nothing caves in toward the centre.
    for (const MeshBuilder* box : {&cases[5].mesh, &cases[6].mesh}) {
        EXPECT_GE(vertexCount(*box), 6 * 16 * (10 - 1));
        EXPECT_LE(vertexCount(*box), 6 * 16 * 10);
        float maxAbs = 0, minCorner = 2;
        for (int i = 0; i < vertexCount(*box); i++) {
            const Vector3 p = vertexPosition(*box, i);
            maxAbs = std::max({maxAbs, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
            minCorner = std::min(minCorner, Vector3Length(p));
        }
        EXPECT_LE(maxAbs, 1.0f + 1e-5f);
        EXPECT_GT(minCorner, 0.5f);
    }
}

TEST(ParametricMeshes, DegenerateInputsGiveEmptyMeshes) {
    EXPECT_EQ(vertexCount(buildLathe({{1, 0}}, 16, 1, 1, 0)), 0);
    EXPECT_EQ(vertexCount(buildLathe({}, 16, 1, 1, 0)), 0);
    EXPECT_EQ(vertexCount(buildLathe({{1, 0}, {1, 0}, {1, 0}}, 16, 1, 1, 0)), 0); // zero length
    EXPECT_EQ(vertexCount(buildLathe({{1, 0}, {1, 1}}, 0, 1, 1, 0)), 0);
    EXPECT_EQ(vertexCount(buildSphere(1, 0, 8)), 0);
    EXPECT_EQ(vertexCount(buildTorus(1, 0.1f, 8, -2)), 0);
    EXPECT_EQ(vertexCount(buildRing(0.4f, 0.5f, 0)), 0);
    MeshGrid empty;
    empty.segments = 0;
    empty.rings = 3;
    EXPECT_EQ(vertexCount(gridToBuilder(empty)), 0);
}

TEST(ParametricMeshes, GridCellsFollowTheNormalsNotTheGridOrder) {
    MeshGrid g;
    g.segments = 1;
    g.rings = 1;
    g.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    g.uvs = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (float y : {-1.0f, 1.0f}) {
        g.normals.assign(4, {0, y, 0});
        const MeshBuilder cell = gridToBuilder(g);
        ASSERT_EQ(vertexCount(cell), 6);
        expectWindingMatchesNormals(cell, "cell");
        EXPECT_GT(triangleFaceNormal(cell, 0).y * y, 0);
    }
}

TEST(SharedMeshes, GeometryIsTheSameOnEveryBuildWithExpectedSizes) {
    auto first = buildSharedMeshGeometry(), second = buildSharedMeshGeometry();
    const int expected[kSharedBuiltMeshes] = {6 * 18 * 13, -1, -1, 24 * 18, 6, 6 * 40, 6 * 28 * 19, 6 * 40 * 8};
    for (int i = 0; i < kSharedBuiltMeshes; i++) {
        EXPECT_TRUE(sameGeometry(first[i], second[i])) << i;
        expectWindingMatchesNormals(first[i], "shared mesh");
        if (expected[i] >= 0) { EXPECT_EQ(vertexCount(first[i]), expected[i]) << i; }
        EXPECT_GT(vertexCount(first[i]), 0) << i;
    }
}

TEST(SharedMeshes, BlobShadowIsOpaqueInTheMiddleAndFadesToClearCorners) {
    Image blob = paintBlobShadowImage();
    ASSERT_EQ(blob.width, kBlobTextureSize);
    auto at = [&](int x, int y) { return ((const Color*)blob.data)[y * kBlobTextureSize + x]; };
    EXPECT_GE(at(32, 32).a, 250);
    EXPECT_EQ(at(0, 0).a, 0);
    EXPECT_EQ(at(0, 32).a, 0); // r > 1 at the edge midpoints too
    for (int x = 32; x < 63; x++) EXPECT_GE(at(x, 32).a, at(x + 1, 32).a) << x;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            ASSERT_EQ(at(x, y).a, at(63 - x, y).a);
            ASSERT_EQ(at(x, y).a, at(y, x).a);
        }
    UnloadImage(blob);
}
