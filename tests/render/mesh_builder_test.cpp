// The builder's quad, box and beam operations: counts, uvs, outward faces.
#include <gtest/gtest.h>

#include "render/mesh_builder.h"
#include "tests/render/mesh_checks.h"

namespace {

constexpr Color kRed = {200, 10, 20, 255};

// Boxes and beams face outward: each triangle's normal points away from the
// box centre, and the stored normal is the unit face normal.
void expectOutwardBox(const MeshBuilder& b, int firstVertex, Vector3 centre) {
    for (int t = firstVertex / 3; t < vertexCount(b) / 3; t++) {
        Vector3 f = Vector3Normalize(triangleFaceNormal(b, t));
        Vector3 mid = Vector3Scale(
            Vector3Add(Vector3Add(vertexPosition(b, 3 * t), vertexPosition(b, 3 * t + 1)), vertexPosition(b, 3 * t + 2)),
            1.0f / 3);
        EXPECT_GT(Vector3DotProduct(f, Vector3Subtract(mid, centre)), 0) << "triangle " << t;
        for (int k = 0; k < 3; k++) EXPECT_GT(Vector3DotProduct(vertexNormal(b, 3 * t + k), f), 0.9999f);
    }
}

} // namespace

TEST(MeshBuilder, QuadHasTwoTrianglesWithCornerUvsAndUnitFaceNormal) {
    MeshBuilder b;
    addQuad(b, {0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}, kRed, {0.25f, 1}, {4, 0});
    ASSERT_EQ(vertexCount(b), 6);
    expectConsistentArrays(b);
    const Vector2 uvs[6] = {{0.25f, 1}, {4, 1}, {4, 0}, {0.25f, 1}, {4, 0}, {0.25f, 0}};
    const Vector3 corners[6] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 0, 0}, {2, 3, 0}, {0, 3, 0}};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(vertexUv(b, i).x, uvs[i].x);
        EXPECT_EQ(vertexUv(b, i).y, uvs[i].y);
        EXPECT_TRUE(Vector3Equals(vertexPosition(b, i), corners[i]));
        EXPECT_TRUE(Vector3Equals(vertexNormal(b, i), {0, 0, 1}));
        EXPECT_EQ(vertexColor(b, i).r, kRed.r);
    }
    expectWindingMatchesNormals(b, "quad");

    MeshBuilder flat; // a collapsed quad keeps a zero normal rather than NaN
    addQuad(flat, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, kRed, {0, 0}, {1, 1});
    EXPECT_TRUE(Vector3Equals(vertexNormal(flat, 0), {0, 0, 0}));
}

TEST(MeshBuilder, BoxHasTwelveTrianglesOrTenWithoutBottomAllFacingOutward) {
    MeshBuilder closed, open;
    Vector3 centre = {1, 2, -3};
    addBox(closed, centre, {2, 0.5f, 4}, kRed, {0.3f, 0.7f}, false);
    addBox(open, centre, {2, 0.5f, 4}, kRed, {0.3f, 0.7f}, true);
    EXPECT_EQ(vertexCount(closed), 36);
    EXPECT_EQ(vertexCount(open), 30);
    expectOutwardBox(closed, 0, centre);
    expectOutwardBox(open, 0, centre);
    int downward = 0;
    for (int i = 0; i < vertexCount(closed); i++) {
        EXPECT_EQ(vertexUv(closed, i).x, 0.3f);
        EXPECT_EQ(vertexUv(closed, i).y, 0.7f);
        Vector3 p = vertexPosition(closed, i);
        EXPECT_NEAR(std::fabs(p.x - centre.x), 1, 1e-6);
        EXPECT_NEAR(std::fabs(p.y - centre.y), 0.25, 1e-6);
        EXPECT_NEAR(std::fabs(p.z - centre.z), 2, 1e-6);
        downward += vertexNormal(closed, i).y < -0.5f;
    }
    EXPECT_EQ(downward, 6);
    for (int i = 0; i < vertexCount(open); i++) EXPECT_GT(vertexNormal(open, i).y, -0.5f);
}

TEST(MeshBuilder, BeamTurnsOnlyItsOwnVerticesAboutTheVertical) {
    MeshBuilder b;
    addBox(b, {5, 5, 5}, {1, 1, 1}, kRed, {0, 0}, false);
    std::vector<float> before = b.positions;
    Vector3 centre = {1, 0.5f, 2};
    addBeam(b, centre, {2, 1, 0.5f}, PI / 2, kRed, {0, 0});
    ASSERT_EQ(vertexCount(b), 36 + 30);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), b.positions.begin()));
    // A quarter turn maps x onto -z: the 2 m length now runs along z.
    for (int i = 36; i < vertexCount(b); i++) {
        Vector3 p = vertexPosition(b, i);
        EXPECT_NEAR(std::fabs(p.x - centre.x), 0.25, 1e-5);
        EXPECT_NEAR(std::fabs(p.z - centre.z), 1, 1e-5);
        EXPECT_GE(p.y, 0 - 1e-6);
    }
    expectOutwardBox(b, 36, centre);
    // An arbitrary yaw still gives unit normals agreeing with the winding.
    MeshBuilder turned;
    addBeam(turned, {0, 0, 0}, {0.46f, 0.5f, 0.08f}, 0.7f, kRed, {0, 0});
    expectOutwardBox(turned, 0, {0, 0, 0});
}

TEST(MeshBuilder, SecondUvsAreKeptPerVertexOnlyWhenAdded) {
    MeshBuilder b;
    addVertexUv2(b, {0, 0, 0}, {0, 0, 1}, {0, 0}, kRed, {0.5f, 0});
    addVertexUv2(b, {1, 0, 0}, {0, 0, 1}, {1, 0}, kRed, {0.5f, 0});
    addVertexUv2(b, {1, 1, 0}, {0, 0, 1}, {1, 1}, kRed, {0.5f, 1});
    expectConsistentArrays(b);
    EXPECT_EQ(b.texcoords2.size(), 6u);
    EXPECT_EQ(b.texcoords2[5], 1.0f);
    addTriangle(b, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, kRed);
    EXPECT_EQ(vertexCount(b), 6);
    EXPECT_EQ(b.texcoords2.size(), 6u); // plain vertices add no second uv
    EXPECT_EQ(vertexUv(b, 5).x, 1.0f);
}
