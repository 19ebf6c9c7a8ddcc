// Parametric surfaces: vertex counts, normals that agree with the winding and
// point outward, dropped degenerate cells and the empty cases.
#include <gtest/gtest.h>

#include "render/parametric_meshes.h"
#include "tests/render/mesh_checks.h"

namespace {

Vector3 origin(Vector3) { return {0, 0, 0}; }

// Closest point of a torus' core circle (radius R in the x-z plane).
std::function<Vector3(Vector3)> torusCore(float R) {
    return [R](Vector3 p) {
        float d = std::sqrt(p.x * p.x + p.z * p.z);
        return Vector3{p.x / d * R, 0, p.z / d * R};
    };
}

} // namespace

TEST(ParametricMeshes, RingIsFlatFacingUpWithTwoTrianglesPerSegment) {
    MeshBuilder b = buildRing(0.42f, 0.5f, 40);
    EXPECT_EQ(vertexCount(b), 40 * 6);
    expectConsistentArrays(b);
    expectWindingMatchesNormals(b, "ring");
    for (int i = 0; i < vertexCount(b); i++) {
        Vector3 p = vertexPosition(b, i);
        EXPECT_EQ(p.y, 0);
        float r = std::sqrt(p.x * p.x + p.z * p.z);
        EXPECT_TRUE(std::fabs(r - 0.42f) < 1e-5f || std::fabs(r - 0.5f) < 1e-5f) << r;
        EXPECT_TRUE(Vector3Equals(vertexNormal(b, i), {0, 1, 0}));
        // uv x marks the outer edge, whichever way the triangle was turned.
        EXPECT_EQ(vertexUv(b, i).x == 1, std::fabs(r - 0.5f) < 1e-5f);
    }
}

TEST(ParametricMeshes, TorusHasEveryCellAndOutwardNormals) {
    MeshBuilder b = buildTorus(0.2286f, 0.011f, 40, 8);
    EXPECT_EQ(vertexCount(b), 40 * 8 * 6);
    expectWindingMatchesNormals(b, "torus");
    expectOutwardUnitNormals(b, "torus", torusCore(0.2286f));
}

TEST(ParametricMeshes, SphereDropsThePoleTrianglesAndFacesOutward) {
    // Each pole row keeps one triangle per segment; the others keep two.
    MeshBuilder b = buildSphere(1, 20, 28);
    EXPECT_EQ(vertexCount(b), 6 * 28 * (20 - 1));
    expectWindingMatchesNormals(b, "sphere");
    expectOutwardUnitNormals(b, "sphere", origin);
    MeshBuilder big = buildSphere(2.5f, 6, 8);
    expectWindingMatchesNormals(big, "large sphere");
    for (int i = 0; i < vertexCount(big); i++) EXPECT_NEAR(Vector3Length(vertexPosition(big, i)), 2.5f, 1e-5f);
}

TEST(ParametricMeshes, SuperellipsoidsRangeFromSphereToRoundedBox) {
    MeshBuilder round = buildEllipsoid(1, 1, 14, 18);
    EXPECT_EQ(vertexCount(round), 6 * 18 * (14 - 1));
    expectWindingMatchesNormals(round, "unit ellipsoid");
    expectOutwardUnitNormals(round, "unit ellipsoid", origin);
    for (int i = 0; i < vertexCount(round); i++) EXPECT_NEAR(Vector3Length(vertexPosition(round, i)), 1, 1e-5f);

    for (float e : {0.35f, 0.6f}) {
        MeshBuilder box = buildEllipsoid(e, e, 10, 16);
        // Near-point pole rings may or may not collapse; every other cell is kept.
        EXPECT_GE(vertexCount(box), 6 * 16 * (10 - 1));
        EXPECT_LE(vertexCount(box), 6 * 16 * 10);
        expectWindingMatchesNormals(box, "superellipsoid");
        expectOutwardUnitNormals(box, "superellipsoid", origin);
        float maxAbs = 0, minCorner = 2;
        for (int i = 0; i < vertexCount(box); i++) {
            Vector3 p = vertexPosition(box, i);
            maxAbs = std::max({maxAbs, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
            minCorner = std::min(minCorner, std::fabs(Vector3Length(p)));
        }
        EXPECT_LE(maxAbs, 1.0f + 1e-5f);
        EXPECT_GT(minCorner, 0.5f); // boxy: nothing caves in toward the centre
    }
}

TEST(ParametricMeshes, LatheOfClosedCylinderDropsItsPoleCells) {
    std::vector<Vector2> profile = {{0, -0.5f}, {1, -0.5f}, {1, -0.49f}, {1, 0.49f}, {1, 0.5f}, {0, 0.5f}};
    MeshBuilder b = buildLathe(profile, 18, 1, 1, 0);
    // Five bands: the two caps keep one triangle per segment, the three others two.
    EXPECT_EQ(vertexCount(b), (18 + 3 * 2 * 18 + 18) * 3);
    expectWindingMatchesNormals(b, "cylinder");
    expectOutwardUnitNormals(b, "cylinder", origin);
    for (int i = 0; i < vertexCount(b); i++) {
        Vector2 uv = vertexUv(b, i);
        EXPECT_GE(uv.y, 0);
        EXPECT_LE(uv.y, 1);
        if (vertexPosition(b, i).y == -0.5f && vertexPosition(b, i).x == 0 && vertexPosition(b, i).z == 0) {
            EXPECT_EQ(uv.y, 1); // the first profile point is at v = 1
        }
    }
    // Scaled across and started at a quarter turn it is an elliptic cylinder.
    MeshBuilder oval = buildLathe(profile, 36, 2, 0.5f, PI / 2);
    expectWindingMatchesNormals(oval, "oval cylinder");
    float maxX = 0, maxZ = 0;
    for (int i = 0; i < vertexCount(oval); i++) {
        maxX = std::max(maxX, std::fabs(vertexPosition(oval, i).x));
        maxZ = std::max(maxZ, std::fabs(vertexPosition(oval, i).z));
    }
    EXPECT_NEAR(maxX, 2, 1e-5f);
    EXPECT_NEAR(maxZ, 0.5f, 1e-5f);
    for (int i = 0; i < vertexCount(oval); i++) { // u = 0 lies at the start angle, on +x
        Vector3 p = vertexPosition(oval, i);
        if (vertexUv(oval, i).x == 0 && std::fabs(p.y) < 0.4f) {
            EXPECT_NEAR(p.x, 2, 1e-5f);
        }
    }
}

TEST(ParametricMeshes, TaperedCapsuleIsClosedAndFacesOutward) {
    float h = 0.6f, top = 0.1f, bottom = 0.14f;
    MeshBuilder b = buildTaperedCapsule(h, top, bottom, 12, 0.8f);
    // 19 profile points, 18 bands, both end bands closed at a pole.
    EXPECT_EQ(vertexCount(b), (12 + 16 * 2 * 12 + 12) * 3);
    expectWindingMatchesNormals(b, "capsule");
    expectOutwardUnitNormals(b, "capsule", [h](Vector3 p) { return Vector3{0, std::clamp(p.y, -h, 0.0f), 0}; });
    float lowest = 0, highest = 0;
    for (int i = 0; i < vertexCount(b); i++) {
        lowest = std::min(lowest, vertexPosition(b, i).y);
        highest = std::max(highest, vertexPosition(b, i).y);
    }
    EXPECT_NEAR(lowest, -h - bottom, 1e-5f);
    EXPECT_NEAR(highest, top, 1e-5f);
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
    // A 1 x 1 grid whose normals point down: both triangles are turned to face -y.
    MeshGrid g;
    g.segments = 1;
    g.rings = 1;
    g.positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    g.normals.assign(4, {0, -1, 0});
    g.uvs = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    MeshBuilder down = gridToBuilder(g);
    ASSERT_EQ(vertexCount(down), 6);
    expectWindingMatchesNormals(down, "downward cell");
    g.normals.assign(4, {0, 1, 0});
    MeshBuilder up = gridToBuilder(g);
    expectWindingMatchesNormals(up, "upward cell");
    EXPECT_LT(triangleFaceNormal(down, 0).y, 0);
    EXPECT_GT(triangleFaceNormal(up, 0).y, 0);
}
