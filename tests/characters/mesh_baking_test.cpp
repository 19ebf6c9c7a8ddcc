// Baking: the seam fix, and parts too large for 16-bit indices.
#include <gtest/gtest.h>

#include <vector>
#include <raylib.h>

#include "characters/mesh_baking.h"

namespace {

// Five surface vertices; vertex i sits at (i, 0, 0).
SurfaceMesh fiveVertices() {
    SurfaceMesh s;
    for (int i = 0; i < 5; ++i) {
        s.positions.push_back({(float)i, 0, 0});
        s.normals.push_back({0, 0, 1});
    }
    return s;
}

TEST(MeshBaking, SeamFixShiftsTheLowSideOfAStraddlingTriangle) {
    const SurfaceMesh s = fiveVertices();
    const std::vector<Vector2> uvs = {{0.95f, 0.1f}, {0.97f, 0.2f}, {0.02f, 0.3f}, {0.5f, 0.4f}, {0.1f, 0.5f}};
    const std::vector<Color> colors = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {0, 0, 0, 0}, {13, 14, 15, 16}};
    // The first triangle straddles u = 1; the second uses vertex 2 plainly.
    const std::vector<uint32_t> tris = {0, 1, 2, 2, 3, 4};
    MeshData out;
    std::vector<uint32_t> source;
    bakeMeshData(out, s, tris, uvs, colors, true, &source);
    EXPECT_EQ(source, (std::vector<uint32_t>{0, 1, 2, 2, 3, 4}));
    ASSERT_EQ(out.vertexCount(), 6);
    EXPECT_FLOAT_EQ(out.texcoords[0], 0.95f);
    EXPECT_FLOAT_EQ(out.texcoords[2], 0.97f);
    EXPECT_FLOAT_EQ(out.texcoords[4], 1.02f); // the shifted copy
    EXPECT_FLOAT_EQ(out.texcoords[5], 0.3f);
    EXPECT_FLOAT_EQ(out.texcoords[6], 0.02f); // and the plain one
    EXPECT_EQ(out.colors[8], 9);
    EXPECT_EQ(out.colors[12], 9);
    EXPECT_EQ(out.indices, (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));

    // Without the fix, or without uvs, no vertex is ever duplicated.
    for (bool seam : {false, true}) {
        MeshData plain;
        bakeMeshData(plain, s, tris, seam ? std::span<const Vector2>{} : std::span<const Vector2>(uvs), {}, seam);
        EXPECT_EQ(plain.vertexCount(), 5);
    }
}

TEST(MeshBaking, PartsBeyondSixteenBitIndicesBecomeTriangleLists) {
    // 70000 surface vertices used by triangles (i, i + 1, i + 2).
    SurfaceMesh s;
    std::vector<uint32_t> tris;
    for (uint32_t i = 0; i < 70000; ++i) {
        s.positions.push_back({(float)i, 0, 0});
        s.normals.push_back({0, 1, 0});
    }
    for (uint32_t i = 0; i + 2 < 70000; i += 3) tris.insert(tris.end(), {i, i + 1, i + 2});
    tris.insert(tris.end(), {5, 0, 69998}); // reuses vertices baked long before
    std::vector<uint32_t> source;
    MeshData out;
    bakeMeshData(out, s, tris, {}, {}, false, &source);
    EXPECT_TRUE(out.indexOverflow);
    EXPECT_TRUE(out.indices.empty());
    ASSERT_EQ(out.vertexCount(), (int)tris.size()); // three vertices per triangle, in order
    ASSERT_EQ(source.size(), tris.size());
    for (size_t c = 0; c < tris.size(); ++c) {
        ASSERT_EQ(source[c], tris[c]);
        ASSERT_FLOAT_EQ(out.positions[3 * c], (float)tris[c]);
    }

    // Just below the limit the part keeps its 16-bit indices.
    tris.resize(65535);
    MeshData below;
    bakeMeshData(below, s, tris, {}, {}, false);
    EXPECT_FALSE(below.indexOverflow);
    EXPECT_EQ(below.vertexCount(), 65535);
    EXPECT_EQ(below.indices.back(), 65534);
}

} // namespace
