// Triangle-list builder and its quad, box and beam operations; toMesh is the
// only part that touches the GPU.
#include "render/mesh_builder.h"

#include <cmath>
#include <cstring>
#include <raymath.h>

int vertexCount(const MeshBuilder& b) { return (int)(b.positions.size() / 3); }

Vector3 vertexPosition(const MeshBuilder& b, int i) {
    return {b.positions[3 * i], b.positions[3 * i + 1], b.positions[3 * i + 2]};
}

Vector3 vertexNormal(const MeshBuilder& b, int i) {
    return {b.normals[3 * i], b.normals[3 * i + 1], b.normals[3 * i + 2]};
}

Vector2 vertexUv(const MeshBuilder& b, int i) { return {b.texcoords[2 * i], b.texcoords[2 * i + 1]}; }

Color vertexColor(const MeshBuilder& b, int i) {
    return {b.colors[4 * i], b.colors[4 * i + 1], b.colors[4 * i + 2], b.colors[4 * i + 3]};
}

void addVertex(MeshBuilder& b, Vector3 position, Vector3 normal, Vector2 uv, Color colour) {
    b.positions.insert(b.positions.end(), {position.x, position.y, position.z});
    b.normals.insert(b.normals.end(), {normal.x, normal.y, normal.z});
    b.texcoords.insert(b.texcoords.end(), {uv.x, uv.y});
    b.colors.insert(b.colors.end(), {colour.r, colour.g, colour.b, colour.a});
}

void addVertexUv2(MeshBuilder& b, Vector3 position, Vector3 normal, Vector2 uv, Color colour,
                  Vector2 uv2) {
    addVertex(b, position, normal, uv, colour);
    b.texcoords2.insert(b.texcoords2.end(), {uv2.x, uv2.y});
}

void addTriangle(MeshBuilder& b, Vector3 p0, Vector3 p1, Vector3 p2, Vector3 normal, Color colour) {
    addVertex(b, p0, normal, {0, 0}, colour);
    addVertex(b, p1, normal, {1, 0}, colour);
    addVertex(b, p2, normal, {1, 1}, colour);
}

namespace {

// normalize((b - a) x (c - a)), left as it is when zero.
Vector3 faceNormal(Vector3 a, Vector3 b, Vector3 c) {
    Vector3 n = Vector3CrossProduct(Vector3Subtract(b, a), Vector3Subtract(c, a));
    float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return len > 0 ? Vector3Scale(n, 1.0f / len) : n;
}

} // namespace

void addQuad(MeshBuilder& b, Vector3 a, Vector3 bb, Vector3 c, Vector3 d, Color colour, Vector2 uv0,
             Vector2 uv1) {
    Vector3 n = faceNormal(a, bb, c);
    Vector2 ua = {uv0.x, uv0.y}, ub = {uv1.x, uv0.y}, uc = {uv1.x, uv1.y}, ud = {uv0.x, uv1.y};
    addVertex(b, a, n, ua, colour);
    addVertex(b, bb, n, ub, colour);
    addVertex(b, c, n, uc, colour);
    addVertex(b, a, n, ua, colour);
    addVertex(b, c, n, uc, colour);
    addVertex(b, d, n, ud, colour);
}

void addBox(MeshBuilder& b, Vector3 centre, Vector3 size, Color colour, Vector2 uv, bool skipBottom) {
    float x0 = centre.x - size.x / 2, x1 = centre.x + size.x / 2;
    float y0 = centre.y - size.y / 2, y1 = centre.y + size.y / 2;
    float z0 = centre.z - size.z / 2, z1 = centre.z + size.z / 2;
    // Corners listed counter-clockwise seen from outside, so (a, b, c) faces out.
    addQuad(b, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, colour, uv, uv); // top
    addQuad(b, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, colour, uv, uv); // +z
    addQuad(b, {x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, colour, uv, uv); // -z
    addQuad(b, {x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, colour, uv, uv); // +x
    addQuad(b, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, colour, uv, uv); // -x
    if (!skipBottom)
        addQuad(b, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, colour, uv, uv);
}

void addBeam(MeshBuilder& b, Vector3 centre, Vector3 size, float yaw, Color colour, Vector2 uv) {
    int first = vertexCount(b);
    addBox(b, {0, 0, 0}, size, colour, uv, true);
    float c = std::cos(yaw), s = std::sin(yaw);
    for (int i = first; i < vertexCount(b); i++) {
        float* p = &b.positions[3 * i];
        float* n = &b.normals[3 * i];
        float px = p[0], pz = p[2], nx = n[0], nz = n[2];
        p[0] = c * px + s * pz + centre.x;
        p[1] = p[1] + centre.y;
        p[2] = -s * px + c * pz + centre.z;
        n[0] = c * nx + s * nz;
        n[2] = -s * nx + c * nz;
    }
}

namespace {

template <typename T> T* copyToLibraryMemory(const std::vector<T>& v) {
    T* out = (T*)MemAlloc((unsigned int)(v.size() * sizeof(T)));
    std::memcpy(out, v.data(), v.size() * sizeof(T));
    return out;
}

} // namespace

Mesh toMesh(const MeshBuilder& b) {
    Mesh mesh = {};
    int n = vertexCount(b);
    if (n == 0) return mesh; // nothing to upload; UnloadMesh of it is harmless
    mesh.vertexCount = n;
    mesh.triangleCount = n / 3;
    mesh.vertices = copyToLibraryMemory(b.positions);
    mesh.normals = copyToLibraryMemory(b.normals);
    mesh.texcoords = copyToLibraryMemory(b.texcoords);
    mesh.colors = copyToLibraryMemory(b.colors);
    if (b.texcoords2.size() == 2 * (size_t)n) mesh.texcoords2 = copyToLibraryMemory(b.texcoords2);
    UploadMesh(&mesh, false);
    return mesh;
}
