// MeshBuilder: an unindexed triangle list (three vertices per triangle) with
// per-vertex position, normal, uv, colour and optional second uv, grown on the
// CPU and turned into an uploaded raylib Mesh by toMesh. Every mesh of the
// game except the characters' surfaces is built with it. The arrays can be
// inspected before upload, so geometry is testable without a window.
#pragma once
#include <cstdint>
#include <vector>
#include <raylib.h>

struct MeshBuilder {
    std::vector<float> positions;   // 3 per vertex
    std::vector<float> normals;     // 3 per vertex
    std::vector<float> texcoords;   // 2 per vertex
    std::vector<uint8_t> colors;    // 4 per vertex (r, g, b, a)
    std::vector<float> texcoords2;  // 2 per vertex, only from addVertexUv2
};

int vertexCount(const MeshBuilder& b);
// Reads back one vertex's attributes.
Vector3 vertexPosition(const MeshBuilder& b, int i);
Vector3 vertexNormal(const MeshBuilder& b, int i);
Vector2 vertexUv(const MeshBuilder& b, int i);
Color vertexColor(const MeshBuilder& b, int i);

void addVertex(MeshBuilder& b, Vector3 position, Vector3 normal, Vector2 uv, Color colour);
void addVertexUv2(MeshBuilder& b, Vector3 position, Vector3 normal, Vector2 uv, Color colour,
                  Vector2 uv2);
// One triangle with uvs (0,0), (1,0), (1,1).
void addTriangle(MeshBuilder& b, Vector3 p0, Vector3 p1, Vector3 p2, Vector3 normal, Color colour);
// Triangles (a, b, c) and (a, c, d) with the face normal of (a, b, c); uvs
// a = (uv0.x, uv0.y), b = (uv1.x, uv0.y), c = (uv1.x, uv1.y), d = (uv0.x, uv1.y).
void addQuad(MeshBuilder& b, Vector3 a, Vector3 bb, Vector3 c, Vector3 d, Color colour, Vector2 uv0,
             Vector2 uv1);
// Axis-aligned, flat-coloured box, faces outward: top, four sides, then the
// bottom unless skipBottom. Every vertex carries the same uv.
void addBox(MeshBuilder& b, Vector3 centre, Vector3 size, Color colour, Vector2 uv, bool skipBottom);
// A box without bottom, turned by yaw about the vertical axis through centre.
void addBeam(MeshBuilder& b, Vector3 centre, Vector3 size, float yaw, Color colour, Vector2 uv);

// Uploads the triangle list as a static mesh; second uvs only when there is
// exactly one pair per vertex. Main thread, needs the GL context.
Mesh toMesh(const MeshBuilder& b);
