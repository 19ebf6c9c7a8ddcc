// Geometry checks shared by the mesh tests.
#pragma once
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "render/mesh_builder.h"

inline Vector3 triangleFaceNormal(const MeshBuilder& b, int tri) {
    Vector3 a = vertexPosition(b, 3 * tri), p1 = vertexPosition(b, 3 * tri + 1), p2 = vertexPosition(b, 3 * tri + 2);
    return Vector3CrossProduct(Vector3Subtract(p1, a), Vector3Subtract(p2, a));
}

// Every triangle faces the way its vertex normals point and none is degenerate.
inline void expectWindingMatchesNormals(const MeshBuilder& b, const char* what) {
    ASSERT_EQ(vertexCount(b) % 3, 0) << what;
    int bad = 0;
    for (int t = 0; t < vertexCount(b) / 3; t++) {
        Vector3 f = triangleFaceNormal(b, t);
        Vector3 n = Vector3Add(Vector3Add(vertexNormal(b, 3 * t), vertexNormal(b, 3 * t + 1)), vertexNormal(b, 3 * t + 2));
        if (Vector3LengthSqr(f) < 1e-14f || Vector3DotProduct(f, n) <= 0) bad++;
    }
    EXPECT_EQ(bad, 0) << what << ": triangles wound against their normals or degenerate";
}

// Every vertex normal is unit length and points away from insidePoint(p).
inline void expectOutwardUnitNormals(const MeshBuilder& b, const char* what,
                                     const std::function<Vector3(Vector3)>& insidePoint) {
    int bad = 0;
    for (int i = 0; i < vertexCount(b); i++) {
        Vector3 p = vertexPosition(b, i), n = vertexNormal(b, i);
        if (std::fabs(Vector3Length(n) - 1) > 1e-4f || Vector3DotProduct(n, Vector3Subtract(p, insidePoint(p))) <= 0)
            bad++;
    }
    EXPECT_EQ(bad, 0) << what << ": normals not unit length or pointing inward";
}

inline void expectConsistentArrays(const MeshBuilder& b) {
    size_t n = b.positions.size() / 3;
    EXPECT_EQ(b.normals.size(), 3 * n);
    EXPECT_EQ(b.texcoords.size(), 2 * n);
    EXPECT_EQ(b.colors.size(), 4 * n);
}

inline bool sameGeometry(const MeshBuilder& a, const MeshBuilder& b) {
    auto same = [](const auto& x, const auto& y) {
        return x.size() == y.size() && (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(x[0])) == 0);
    };
    return same(a.positions, b.positions) && same(a.normals, b.normals) && same(a.texcoords, b.texcoords) &&
           same(a.colors, b.colors) && same(a.texcoords2, b.texcoords2);
}
