// The builder's quad, box and beam operations: counts, uvs, outward faces.
#include <gtest/gtest.h>

#include "render/mesh_builder.h"
#include "tests/render/mesh_checks.h"

namespace {

constexpr Color kRed = {200, 10, 20, 255};

// Each triangle from firstVertex on faces away from the centre, and its
// stored normals are the unit face normal.
void expectOutwardBox(const MeshBuilder& b, int firstVertex, Vector3 centre) {
    for (int t = firstVertex / 3; t < vertexCount(b) / 3; t++) {
        const Vector3 f = Vector3Normalize(triangleFaceNormal(b, t));
        EXPECT_GT(Vector3DotProduct(f, Vector3Subtract(vertexPosition(b, 3 * t), centre)), 0) << "triangle " << t;
        for (int k = 0; k < 3; k++) EXPECT_GT(Vector3DotProduct(vertexNormal(b, 3 * t + k), f), 0.9999f);
    }
}

} // namespace

TEST(MeshBuilder, QuadHasTwoTrianglesWithCornerUvsAndUnitFaceNormal) {
    MeshBuilder b;
    addQuad(b, {0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}, kRed, {0.25f, 1}, {4, 0});
    ASSERT_EQ(vertexCount(b), 6);
    for (int i = 0; i < 6; i++) EXPECT_TRUE(Vector3Equals(vertexNormal(b, i), {0, 0, 1}));
    EXPECT_EQ(vertexUv(b, 1).x, 4); // corner uvs: (u0, v0) to (u1, v1)
    EXPECT_EQ(vertexUv(b, 5).x, 0.25f);
    EXPECT_EQ(vertexUv(b, 5).y, 0);
    expectWindingMatchesNormals(b, "quad");
    MeshBuilder flat; // a collapsed quad keeps a zero normal rather than NaN
    addQuad(flat, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, kRed, {0, 0}, {1, 1});
    EXPECT_TRUE(Vector3Equals(vertexNormal(flat, 0), {0, 0, 0}));
}

TEST(MeshBuilder, BoxHasTwelveTrianglesOrTenWithoutBottomAllFacingOutward) {
    MeshBuilder closed, open;
    const Vector3 centre = {1, 2, -3};
    addBox(closed, centre, {2, 0.5f, 4}, kRed, {0.3f, 0.7f}, false);
    addBox(open, centre, {2, 0.5f, 4}, kRed, {0.3f, 0.7f}, true);
    EXPECT_EQ(vertexCount(closed), 36);
    EXPECT_EQ(vertexCount(open), 30);
    expectOutwardBox(closed, 0, centre);
    expectOutwardBox(open, 0, centre);
    for (int i = 0; i < vertexCount(open); i++) EXPECT_GT(vertexNormal(open, i).y, -0.5f) << "no bottom";
}

TEST(MeshBuilder, BeamTurnsOnlyItsOwnVerticesAboutTheVertical) {
    MeshBuilder b;
    addBox(b, {5, 5, 5}, {1, 1, 1}, kRed, {0, 0}, false);
    const std::vector<float> before = b.positions;
    const Vector3 centre = {1, 0.5f, 2};
    addBeam(b, centre, {2, 1, 0.5f}, PI / 2, kRed, {0, 0});
    ASSERT_EQ(vertexCount(b), 36 + 30);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), b.positions.begin()));
    for (int i = 36; i < vertexCount(b); i++) { // a quarter turn: the 2 m length runs along z
        const Vector3 p = vertexPosition(b, i);
        EXPECT_NEAR(std::fabs(p.x - centre.x), 0.25, 1e-5);
        EXPECT_NEAR(std::fabs(p.z - centre.z), 1, 1e-5);
        EXPECT_GE(p.y, 0 - 1e-6);
    }
    expectOutwardBox(b, 36, centre);
    MeshBuilder turned; // an arbitrary yaw
    addBeam(turned, {0, 0, 0}, {0.46f, 0.5f, 0.08f}, 0.7f, kRed, {0, 0});
    expectOutwardBox(turned, 0, {0, 0, 0});
}
