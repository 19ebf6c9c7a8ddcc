// Parametric surfaces: ring, torus, UV sphere, superellipsoid, lathe and
// tapered capsule. Each maker fills a vertex grid of (rings + 1) rows of
// (segments + 1) vertices and triangulates it; degenerate cells (poles, closed
// lathe ends) are dropped and every triangle is wound to face the way its
// vertex normals point. The build... functions return the CPU triangle list;
// the make...Mesh functions upload it (main thread, GL context).
#pragma once
#include <vector>
#include <raylib.h>

#include "render/mesh_builder.h"

// A (rings + 1) x (segments + 1) vertex grid, row-major.
struct MeshGrid {
    int segments = 0;
    int rings = 0;
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;
    std::vector<Vector2> uvs;
};

MeshBuilder gridToBuilder(const MeshGrid& grid);
Mesh gridToMesh(const MeshGrid& grid);

MeshBuilder buildRing(float innerRadius, float outerRadius, int segments);
MeshBuilder buildTorus(float majorRadius, float minorRadius, int tubeSegments, int ringSegments);
MeshBuilder buildSphere(float radius, int rings, int segments);
// Unit superellipsoid: exponents 1, 1 give a sphere, smaller ones a rounded box.
MeshBuilder buildEllipsoid(float e1, float e2, int rings, int segments);
// Surface of revolution about y of a (radius, height) profile, scaled by sx
// and sz across, starting at the given angle.
MeshBuilder buildLathe(const std::vector<Vector2>& profile, int segments, float sx, float sz,
                       float startAngle);
// Capsule of length h between a bottom hemisphere of radius a and a top one of
// radius b, with a slight bulge between them.
MeshBuilder buildTaperedCapsule(float h, float b, float a, int segments, float sz);

Mesh makeRingMesh(float innerRadius, float outerRadius, int segments);
Mesh makeTorusMesh(float majorRadius, float minorRadius, int tubeSegments, int ringSegments);
Mesh makeSphereMesh(float radius, int rings, int segments);
Mesh makeEllipsoidMesh(float e1, float e2, int rings, int segments);
Mesh makeLatheMesh(const std::vector<Vector2>& profile, int segments, float sx, float sz,
                   float startAngle);
Mesh makeTaperedCapsuleMesh(float h, float b, float a, int segments, float sz);
