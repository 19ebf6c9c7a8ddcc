// The shared primitive meshes and the blob-shadow texture, CPU side.
#include <gtest/gtest.h>

#include "characters/shared_meshes.h"
#include "tests/render/mesh_checks.h"

TEST(SharedMeshes, GeometryIsTheSameOnEveryBuildWithExpectedSizes) {
    auto first = buildSharedMeshGeometry();
    auto second = buildSharedMeshGeometry();
    const int expected[kSharedBuiltMeshes] = {6 * 18 * 13, -1, -1, 24 * 18, 6, 6 * 40, 6 * 28 * 19, 6 * 40 * 8};
    const char* names[kSharedBuiltMeshes] = {"unit ellipsoid", "small ellipsoid", "medium ellipsoid", "cylinder",
                                             "quad", "ring", "sphere", "rim torus"};
    for (int i = 0; i < kSharedBuiltMeshes; i++) {
        EXPECT_TRUE(sameGeometry(first[i], second[i])) << names[i];
        expectConsistentArrays(first[i]);
        expectWindingMatchesNormals(first[i], names[i]);
        if (expected[i] >= 0) {
            EXPECT_EQ(vertexCount(first[i]), expected[i]) << names[i];
        }
        EXPECT_GT(vertexCount(first[i]), 0) << names[i];
    }
}

TEST(SharedMeshes, UnitQuadLiesFlatFacingUpWithUvsAcrossIt) {
    MeshBuilder quad = buildSharedMeshGeometry()[4];
    ASSERT_EQ(vertexCount(quad), 6);
    for (int i = 0; i < 6; i++) {
        Vector3 p = vertexPosition(quad, i);
        EXPECT_EQ(p.y, 0);
        EXPECT_EQ(std::fabs(p.x), 0.5f);
        EXPECT_EQ(std::fabs(p.z), 0.5f);
        EXPECT_EQ(vertexUv(quad, i).x, p.x + 0.5f);
        EXPECT_EQ(vertexUv(quad, i).y, p.z + 0.5f);
        EXPECT_GT(triangleFaceNormal(quad, i / 3).y, 0);
    }
}

TEST(SharedMeshes, BlobShadowIsOpaqueInTheMiddleAndFadesToClearCorners) {
    Image blob = paintBlobShadowImage();
    ASSERT_EQ(blob.width, kBlobTextureSize);
    ASSERT_EQ(blob.height, kBlobTextureSize);
    const Color* px = (const Color*)blob.data;
    auto at = [&](int x, int y) { return px[y * kBlobTextureSize + x]; };
    EXPECT_GE(at(31, 31).a, 250);
    EXPECT_GE(at(32, 32).a, 250);
    for (int c : {0, 63}) {
        EXPECT_EQ(at(c, 0).a, 0);
        EXPECT_EQ(at(c, 63).a, 0);
    }
    EXPECT_EQ(at(0, 32).a, 0); // r > 1 at the edge midpoints too
    for (int x = 32; x < 63; x++) EXPECT_GE(at(x, 32).a, at(x + 1, 32).a) << x;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            ASSERT_EQ(at(x, y).a, at(63 - x, y).a);
            ASSERT_EQ(at(x, y).a, at(y, x).a);
            ASSERT_EQ(at(x, y).r, 255);
        }
    UnloadImage(blob);
}
