// Vertex grids of the parametric surfaces and their triangulation.
#include "render/parametric_meshes.h"

#include <cmath>
#include <utility>
#include <raymath.h>

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.14159265f;
constexpr float kDegenerateArea2 = 1e-14f; // squared cross length below which a cell vanishes
constexpr float kFlatNormal2 = 1e-10f;     // superellipsoid normals this short are at a pole
constexpr Color kWhite = {255, 255, 255, 255};

int gridIndex(const MeshGrid& g, int row, int column) { return row * (g.segments + 1) + column; }

// Sizes the grid; false (and an empty grid) when there is nothing to build.
bool resizeGrid(MeshGrid& g, int segments, int rings) {
    bool ok = segments > 0 && rings > 0;
    g.segments = ok ? segments : 0;
    g.rings = ok ? rings : 0;
    size_t n = ok ? (size_t)(segments + 1) * (size_t)(rings + 1) : 0;
    g.positions.assign(n, {0, 0, 0});
    g.normals.assign(n, {0, 0, 0});
    g.uvs.assign(n, {0, 0});
    return ok;
}

// One triangle of the grid: dropped when degenerate, turned round when its
// winding disagrees with the vertex normals.
void addGridCell(MeshBuilder& b, const MeshGrid& g, int ia, int ib, int ic) {
    Vector3 pa = g.positions[ia], pb = g.positions[ib], pc = g.positions[ic];
    Vector3 f = Vector3CrossProduct(Vector3Subtract(pb, pa), Vector3Subtract(pc, pa));
    if (f.x * f.x + f.y * f.y + f.z * f.z < kDegenerateArea2) return;
    Vector3 nsum = Vector3Add(Vector3Add(g.normals[ia], g.normals[ib]), g.normals[ic]);
    if (Vector3DotProduct(f, nsum) < 0) {
        int t = ib;
        ib = ic;
        ic = t;
    }
    for (int i : {ia, ib, ic}) addVertex(b, g.positions[i], g.normals[i], g.uvs[i], kWhite);
}

// spow(x, e) = sign(x) |x|^e
float spow(float x, float e) {
    float m = std::pow(std::fabs(x), e);
    return x < 0 ? -m : m;
}

// Emits (p0, p1, p2) so that it faces +y, keeping each vertex's uv.
void addUpwardTriangle(MeshBuilder& b, Vector3 p0, Vector3 p1, Vector3 p2, Vector2 t0, Vector2 t1,
                       Vector2 t2) {
    Vector3 f = Vector3CrossProduct(Vector3Subtract(p1, p0), Vector3Subtract(p2, p0));
    if (f.y < 0) {
        std::swap(p1, p2);
        std::swap(t1, t2);
    }
    addVertex(b, p0, {0, 1, 0}, t0, kWhite);
    addVertex(b, p1, {0, 1, 0}, t1, kWhite);
    addVertex(b, p2, {0, 1, 0}, t2, kWhite);
}

} // namespace

MeshBuilder gridToBuilder(const MeshGrid& g) {
    MeshBuilder b;
    if (g.segments <= 0 || g.rings <= 0) return b;
    int s = g.segments;
    for (int r = 0; r < g.rings; r++) {
        for (int c = 0; c < s; c++) {
            int i = gridIndex(g, r, c);
            addGridCell(b, g, i, i + 1, i + s + 2);
            addGridCell(b, g, i, i + s + 2, i + s + 1);
        }
    }
    return b;
}

Mesh gridToMesh(const MeshGrid& grid) { return toMesh(gridToBuilder(grid)); }

MeshBuilder buildRing(float innerRadius, float outerRadius, int segments) {
    MeshBuilder b;
    auto point = [](float r, float a) { return Vector3{r * std::sin(a), 0, r * std::cos(a)}; };
    for (int i = 0; i < segments; i++) {
        float a0 = i * kTwoPi / segments, a1 = (i + 1) * kTwoPi / segments;
        Vector3 in0 = point(innerRadius, a0), out0 = point(outerRadius, a0);
        Vector3 out1 = point(outerRadius, a1), in1 = point(innerRadius, a1);
        addUpwardTriangle(b, in0, out0, out1, {0, 0}, {1, 0}, {1, 1});
        addUpwardTriangle(b, in0, out1, in1, {0, 0}, {1, 1}, {0, 1});
    }
    return b;
}

MeshBuilder buildTorus(float majorRadius, float minorRadius, int tubeSegments, int ringSegments) {
    MeshGrid g;
    if (!resizeGrid(g, tubeSegments, ringSegments)) return {};
    for (int i = 0; i <= ringSegments; i++) {
        float u = (float)i / ringSegments, bigU = kTwoPi * u;
        for (int j = 0; j <= tubeSegments; j++) {
            float v = (float)j / tubeSegments, bigV = kTwoPi * v;
            int k = gridIndex(g, i, j);
            float across = majorRadius + minorRadius * std::cos(bigU);
            g.positions[k] = {std::sin(bigV) * across, minorRadius * std::sin(bigU), std::cos(bigV) * across};
            g.normals[k] = {std::sin(bigV) * std::cos(bigU), std::sin(bigU), std::cos(bigV) * std::cos(bigU)};
            g.uvs[k] = {v, u};
        }
    }
    return gridToBuilder(g);
}

MeshBuilder buildSphere(float radius, int rings, int segments) {
    MeshGrid g;
    if (!resizeGrid(g, segments, rings)) return {};
    for (int i = 0; i <= rings; i++) {
        float t = (float)i / rings, phi = kPi * t - kPi / 2;
        for (int j = 0; j <= segments; j++) {
            float s = (float)j / segments, theta = kTwoPi * s;
            int k = gridIndex(g, i, j);
            Vector3 n = {std::sin(theta) * std::cos(phi), std::sin(phi), std::cos(theta) * std::cos(phi)};
            g.normals[k] = n;
            g.positions[k] = Vector3Scale(n, radius);
            g.uvs[k] = {s, t};
        }
    }
    return gridToBuilder(g);
}

MeshBuilder buildEllipsoid(float e1, float e2, int rings, int segments) {
    MeshGrid g;
    if (!resizeGrid(g, segments, rings)) return {};
    for (int i = 0; i <= rings; i++) {
        float t = (float)i / rings, phi = kPi * t - kPi / 2;
        float sp = std::sin(phi), cp = std::cos(phi);
        for (int j = 0; j <= segments; j++) {
            float s = (float)j / segments, theta = kTwoPi * s;
            float st = std::sin(theta), ct = std::cos(theta);
            int k = gridIndex(g, i, j);
            g.positions[k] = {spow(st, e2) * spow(cp, e1), spow(sp, e1), spow(ct, e2) * spow(cp, e1)};
            Vector3 n = {spow(st, 2 - e2) * spow(cp, 2 - e1), spow(sp, 2 - e1),
                         spow(ct, 2 - e2) * spow(cp, 2 - e1)};
            if (n.x * n.x + n.y * n.y + n.z * n.z < kFlatNormal2) n = {0, sp < 0 ? -1.0f : 1.0f, 0};
            g.normals[k] = Vector3Normalize(n);
            g.uvs[k] = {s, 1 - t};
        }
    }
    return gridToBuilder(g);
}

MeshBuilder buildLathe(const std::vector<Vector2>& profile, int segments, float sx, float sz,
                       float startAngle) {
    int count = (int)profile.size();
    MeshGrid g;
    if (!resizeGrid(g, segments, count - 1)) return {};
    std::vector<float> arc(count, 0);
    for (int k = 1; k < count; k++)
        arc[k] = arc[k - 1] + Vector2Distance(profile[k - 1], profile[k]);
    float total = arc[count - 1] > 0 ? arc[count - 1] : 1;
    for (int k = 0; k < count; k++) {
        Vector2 d = Vector2Subtract(profile[k < count - 1 ? k + 1 : k], profile[k > 0 ? k - 1 : k]);
        float len = Vector2Length(d);
        float nr = len > 0 ? d.y / len : 0, ny = len > 0 ? -d.x / len : 0;
        float r = profile[k].x, y = profile[k].y;
        for (int j = 0; j <= segments; j++) {
            float u = (float)j / segments, a = kTwoPi * u + startAngle;
            float sa = std::sin(a), ca = std::cos(a);
            int i = gridIndex(g, k, j);
            g.positions[i] = {sa * r * sx, y, ca * r * sz};
            g.normals[i] = Vector3Normalize({sa * nr / sx, ny, ca * nr / sz});
            g.uvs[i] = {u, 1 - arc[k] / total};
        }
    }
    return gridToBuilder(g);
}

MeshBuilder buildTaperedCapsule(float h, float b, float a, int segments, float sz) {
    constexpr int kCapSteps = 6; // per quarter circle
    std::vector<Vector2> profile;
    for (int k = 0; k <= kCapSteps; k++) {
        float ang = k * (kPi / 2) / kCapSteps - kPi / 2;
        profile.push_back({a * std::cos(ang), a * std::sin(ang) - h});
    }
    for (int k = 1; k < kCapSteps; k++) {
        float t = (float)k / kCapSteps;
        profile.push_back({(1 + 0.07f * std::sin(kPi * t)) * ((b - a) * t + a), t * h - h});
    }
    for (int k = 0; k <= kCapSteps; k++) {
        float ang = k * (kPi / 2) / kCapSteps;
        profile.push_back({b * std::cos(ang), b * std::sin(ang)});
    }
    profile.front().x = 0; // closed poles
    profile.back().x = 0;
    return buildLathe(profile, segments, 1, sz, 0);
}

Mesh makeRingMesh(float innerRadius, float outerRadius, int segments) {
    return toMesh(buildRing(innerRadius, outerRadius, segments));
}

Mesh makeTorusMesh(float majorRadius, float minorRadius, int tubeSegments, int ringSegments) {
    return toMesh(buildTorus(majorRadius, minorRadius, tubeSegments, ringSegments));
}

Mesh makeSphereMesh(float radius, int rings, int segments) {
    return toMesh(buildSphere(radius, rings, segments));
}

Mesh makeEllipsoidMesh(float e1, float e2, int rings, int segments) {
    return toMesh(buildEllipsoid(e1, e2, rings, segments));
}

Mesh makeLatheMesh(const std::vector<Vector2>& profile, int segments, float sx, float sz,
                   float startAngle) {
    return toMesh(buildLathe(profile, segments, sx, sz, startAngle));
}

Mesh makeTaperedCapsuleMesh(float h, float b, float a, int segments, float sz) {
    return toMesh(buildTaperedCapsule(h, b, a, segments, sz));
}
