// Surface nets over a sampled grid, with empty-space skipping in 6x6x6 blocks
// of points, two gradient projection steps per vertex, and a Laplacian
// smoother. Sampling and projection dominate a character's build time, so
// both work block by block, many points per field call, with the field
// narrowed to the block when the caller can narrow it.
#include "characters/surface_mesher.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kBlock = 6;                 // points per block edge
constexpr float kProjectStep = 0.35f;     // gradient sample offset, in cells
constexpr float kProjectClamp = 0.5f;     // largest move per projection step, in cells
constexpr int kProjectSteps = 2;
constexpr float kTinyGradient = 1e-9f;

// Cell corners as (x, y, z) bits and the 12 cell edges as corner pairs.
constexpr int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                               {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
constexpr int kEdge[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                              {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

struct Grid {
    Vector3 min;
    float cell;
    int nx, ny, nz; // points per axis
    int cx, cy, cz; // cells per axis
    size_t point(int x, int y, int z) const { return ((size_t)z * ny + y) * nx + x; }
    size_t cellIndex(int x, int y, int z) const { return ((size_t)z * cy + y) * cx + x; }
    Vector3 at(float x, float y, float z) const {
        return {min.x + cell * x, min.y + cell * y, min.z + cell * z};
    }
};

// Eight inside flags (bytes 0 or 1) read at once.
inline uint64_t word(const uint8_t* bytes) {
    uint64_t w;
    std::memcpy(&w, bytes, sizeof w);
    return w;
}
constexpr uint64_t kAllInside = 0x0101010101010101ull;

constexpr float kMostCells = 65536.0f; // per axis; beyond it (or not finite) the box meshes to nothing

int cellsAlong(float lo, float hi, float cell) {
    const float c = std::ceil((hi - lo) / cell);
    return c >= 1.0f && c <= kMostCells ? (int)c : 0;
}

// The field for a box of points: the narrowed one when there is a narrowing.
struct FieldFor {
    const SdfBatchField* field;
    SdfBatchField narrowed;
    FieldFor(const SdfBatchField& whole, const MeshingOptions& options, const SdfBox& box) : field(&whole) {
        if (!options.narrow) return;
        narrowed = options.narrow(box);
        field = &narrowed;
    }
    void operator()(const Vector3* points, float* out, size_t n) const { (*field)(points, out, n); }
};

void sampleGrid(const SdfBatchField& whole, const Grid& g, const MeshingOptions& options, std::vector<float>& values) {
    const float farValue = 1.6f * (2.5f * g.cell * std::sqrt(3.0f)) + 3.0f * g.cell;
    std::vector<Vector3> points;
    std::vector<float> out;
    points.reserve(kBlock * kBlock * kBlock);
    for (int z0 = 0; z0 < g.nz; z0 += kBlock) {
        const int z1 = std::min(z0 + kBlock, g.nz);
        for (int y0 = 0; y0 < g.ny; y0 += kBlock) {
            const int y1 = std::min(y0 + kBlock, g.ny);
            for (int x0 = 0; x0 < g.nx; x0 += kBlock) {
                const int x1 = std::min(x0 + kBlock, g.nx);
                const SdfBox box = {g.at((float)x0, (float)y0, (float)z0),
                                    g.at((float)(x1 - 1), (float)(y1 - 1), (float)(z1 - 1))};
                if (options.skipFarBlocks) {
                    // One point: the whole field, before anything is narrowed for the block.
                    const Vector3 middle = g.at((float)(x0 + x1 - 1) / 2.0f, (float)(y0 + y1 - 1) / 2.0f,
                                                (float)(z0 + z1 - 1) / 2.0f);
                    float mid = 0;
                    whole(&middle, &mid, 1);
                    if (std::fabs(mid) > farValue) {
                        for (int z = z0; z < z1; ++z)
                            for (int y = y0; y < y1; ++y)
                                std::fill_n(&values[g.point(x0, y, z)], x1 - x0, mid);
                        continue;
                    }
                }
                const FieldFor field(whole, options, box);
                points.clear();
                for (int z = z0; z < z1; ++z)
                    for (int y = y0; y < y1; ++y)
                        for (int x = x0; x < x1; ++x) points.push_back(g.at((float)x, (float)y, (float)z));
                out.resize(points.size());
                field(points.data(), out.data(), points.size());
                size_t i = 0;
                for (int z = z0; z < z1; ++z)
                    for (int y = y0; y < y1; ++y)
                        for (int x = x0; x < x1; ++x) values[g.point(x, y, z)] = out[i++];
            }
        }
    }
}

// One vertex per cell whose corners are neither all inside nor all outside,
// at the mean of the edge crossings. Rows of cells are walked through the
// four rows of points around them.
void placeVertices(const Grid& g, const std::vector<float>& values, const std::vector<uint8_t>& inside,
                   std::vector<int32_t>& cellVertex, SurfaceMesh& mesh) {
    const size_t dy = (size_t)g.nx, dz = (size_t)g.nx * g.ny;
    const size_t offset[8] = {0, 1, dy, dy + 1, dz, dz + 1, dz + dy, dz + dy + 1};
    for (int z = 0; z < g.cz; ++z)
        for (int y = 0; y < g.cy; ++y) {
            const size_t row = g.point(0, y, z);
            const uint8_t* in[4] = {&inside[row], &inside[row + dy], &inside[row + dz], &inside[row + dz + dy]};
            for (int x = 0; x < g.cx; ++x) {
                // Eight cells at a time while all their corners agree.
                if (x + 9 <= g.nx) {
                    const uint64_t w = word(in[0] + x);
                    if ((w == 0 || w == kAllInside) && w == word(in[0] + x + 1) && w == word(in[1] + x) &&
                        w == word(in[1] + x + 1) && w == word(in[2] + x) && w == word(in[2] + x + 1) &&
                        w == word(in[3] + x) && w == word(in[3] + x + 1)) {
                        x += 7;
                        continue;
                    }
                }
                const unsigned mask = in[0][x] | in[0][x + 1] << 1 | in[1][x] << 2 | in[1][x + 1] << 3 |
                                      in[2][x] << 4 | in[2][x + 1] << 5 | in[3][x] << 6 | in[3][x + 1] << 7;
                if (mask == 0 || mask == 0xFFu) continue;
                float v[8];
                for (int c = 0; c < 8; ++c) v[c] = values[row + x + offset[c]];
                float sx = 0, sy = 0, sz = 0;
                int count = 0;
                for (const auto& e : kEdge) {
                    const int a = e[0], b = e[1];
                    if (((mask >> a) & 1u) == ((mask >> b) & 1u)) continue;
                    const float t = v[a] / (v[a] - v[b]);
                    sx += (float)kCorner[a][0] + (float)(kCorner[b][0] - kCorner[a][0]) * t;
                    sy += (float)kCorner[a][1] + (float)(kCorner[b][1] - kCorner[a][1]) * t;
                    sz += (float)kCorner[a][2] + (float)(kCorner[b][2] - kCorner[a][2]) * t;
                    ++count;
                }
                const float n = (float)count;
                cellVertex[g.cellIndex(x, y, z)] = (int32_t)mesh.positions.size();
                mesh.positions.push_back(g.at((float)x + sx / n, (float)y + sy / n, (float)z + sz / n));
            }
        }
}

// The seven samples of one projection step: p, then p +- h along x, y, z.
constexpr int kStepSamples = 7;

void stepSamples(Vector3 p, float h, Vector3* out) {
    out[0] = p;
    out[1] = {p.x + h, p.y, p.z}, out[2] = {p.x - h, p.y, p.z};
    out[3] = {p.x, p.y + h, p.z}, out[4] = {p.x, p.y - h, p.z};
    out[5] = {p.x, p.y, p.z + h}, out[6] = {p.x, p.y, p.z - h};
}

// Pulls vertices onto the surface along the field's gradient; a vertex
// whose gradient vanishes stops where it is.
void projectBatch(const FieldFor& field, float cell, const std::vector<int32_t>& batch, SurfaceMesh& mesh) {
    const float h = kProjectStep * cell;
    const float limit = kProjectClamp * cell;
    std::vector<int32_t> active = batch, next;
    std::vector<Vector3> points;
    std::vector<float> values;
    for (int step = 0; step < kProjectSteps && !active.empty(); ++step) {
        points.resize(active.size() * kStepSamples);
        for (size_t i = 0; i < active.size(); ++i)
            stepSamples(mesh.positions[active[i]], h, &points[i * kStepSamples]);
        values.resize(points.size());
        field(points.data(), values.data(), points.size());
        next.clear();
        for (size_t i = 0; i < active.size(); ++i) {
            const float* v = &values[i * kStepSamples];
            const Vector3 g = {v[1] - v[2], v[3] - v[4], v[5] - v[6]};
            const float len = std::sqrt(g.x * g.x + g.y * g.y + g.z * g.z);
            if (len < kTinyGradient) continue;
            const Vector3 n = {g.x / len, g.y / len, g.z / len};
            const float s = std::clamp(v[0], -limit, limit);
            Vector3& p = mesh.positions[active[i]];
            mesh.normals[active[i]] = n;
            p = {p.x - n.x * s, p.y - n.y * s, p.z - n.z * s};
            next.push_back(active[i]);
        }
        active.swap(next);
    }
}

// Projects the vertices block by block of cells. A vertex starts in its cell
// and its samples stay within 0.85 cell of it, so one cell around the block
// holds every point evaluated for it.
void projectVertices(const SdfBatchField& whole, const Grid& g, const MeshingOptions& options,
                     const std::vector<int32_t>& cellVertex, SurfaceMesh& mesh) {
    mesh.normals.assign(mesh.positions.size(), Vector3{0, 0, 0});
    std::vector<int32_t> batch;
    for (int z0 = 0; z0 < g.cz; z0 += kBlock)
        for (int y0 = 0; y0 < g.cy; y0 += kBlock)
            for (int x0 = 0; x0 < g.cx; x0 += kBlock) {
                const int x1 = std::min(x0 + kBlock, g.cx), y1 = std::min(y0 + kBlock, g.cy),
                          z1 = std::min(z0 + kBlock, g.cz);
                batch.clear();
                for (int z = z0; z < z1; ++z)
                    for (int y = y0; y < y1; ++y)
                        for (int x = x0; x < x1; ++x)
                            if (const int32_t v = cellVertex[g.cellIndex(x, y, z)]; v >= 0) batch.push_back(v);
                if (batch.empty()) continue;
                const SdfBox box = {g.at((float)(x0 - 1), (float)(y0 - 1), (float)(z0 - 1)),
                                    g.at((float)(x1 + 1), (float)(y1 + 1), (float)(z1 + 1))};
                projectBatch(FieldFor(whole, options, box), g.cell, batch, mesh);
            }
}

// One quad per grid edge that the surface crosses, from the four cells
// around it. axis 0, 1, 2: x, y, z edges; (u, w) are the other two axes.
void emitFaces(const Grid& g, const std::vector<uint8_t>& inside, const std::vector<int32_t>& cellVertex,
               int axis, SurfaceMesh& mesh) {
    const int n[3] = {g.nx, g.ny, g.nz};
    const int c[3] = {g.cx, g.cy, g.cz};
    const int u = axis == 0 ? 1 : 0;
    const int w = axis == 2 ? 1 : 2;
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = a == axis ? 0 : 1;
        hi[a] = a == axis ? n[a] - 1 : c[a]; // exclusive
    }
    const size_t step = axis == 0 ? 1 : (axis == 1 ? (size_t)g.nx : (size_t)g.nx * g.ny);
    int p[3];
    for (p[2] = lo[2]; p[2] < hi[2]; ++p[2])
        for (p[1] = lo[1]; p[1] < hi[1]; ++p[1]) {
            const size_t row = g.point(0, p[1], p[2]);
            for (p[0] = lo[0]; p[0] < hi[0]; ++p[0]) {
                // Eight edges at a time while their ends agree.
                while (p[0] + 8 <= hi[0] && word(&inside[row + p[0]]) == word(&inside[row + p[0] + step])) p[0] += 8;
                if (p[0] >= hi[0]) break;
                if (inside[row + p[0]] == inside[row + p[0] + step]) continue;
                // Cells in cyclic order: (u-1, w-1), then the ring through (u, w).
                auto vertexAt = [&](int du, int dw) {
                    int cell[3] = {p[0], p[1], p[2]};
                    cell[u] -= du;
                    cell[w] -= dw;
                    return cellVertex[g.cellIndex(cell[0], cell[1], cell[2])];
                };
                int32_t v[4];
                if (axis == 1) { // y edges: (x-1, z-1), (x-1, z), (x, z), (x, z-1)
                    v[0] = vertexAt(1, 1), v[1] = vertexAt(1, 0), v[2] = vertexAt(0, 0), v[3] = vertexAt(0, 1);
                } else {         // x and z edges: (u-1, w-1), (u, w-1), (u, w), (u-1, w)
                    v[0] = vertexAt(1, 1), v[1] = vertexAt(0, 1), v[2] = vertexAt(0, 0), v[3] = vertexAt(1, 0);
                }
                if (v[0] < 0 || v[1] < 0 || v[2] < 0 || v[3] < 0) continue;
                emitTriangle(mesh, (uint32_t)v[0], (uint32_t)v[1], (uint32_t)v[2]);
                emitTriangle(mesh, (uint32_t)v[0], (uint32_t)v[2], (uint32_t)v[3]);
            }
        }
}

} // namespace

void emitTriangle(SurfaceMesh& mesh, uint32_t i0, uint32_t i1, uint32_t i2) {
    const Vector3 a = mesh.positions[i0], b = mesh.positions[i1], c = mesh.positions[i2];
    const Vector3 e1 = {b.x - a.x, b.y - a.y, b.z - a.z};
    const Vector3 e2 = {c.x - a.x, c.y - a.y, c.z - a.z};
    const Vector3 face = {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const Vector3 na = mesh.normals[i0], nb = mesh.normals[i1], nc = mesh.normals[i2];
    const Vector3 n = {na.x + nb.x + nc.x, na.y + nb.y + nc.y, na.z + nb.z + nc.z};
    if (face.x * n.x + face.y * n.y + face.z * n.z < 0.0f) std::swap(i1, i2);
    mesh.indices.insert(mesh.indices.end(), {i0, i1, i2});
}

SurfaceMesh polygonizeSdf(const SdfField& field, Vector3 min, Vector3 max, float cell,
                          const MeshingOptions& options) {
    SurfaceMesh mesh;
    Grid g;
    g.min = min;
    g.cell = cell;
    if (!(cell > 0.0f)) return mesh;
    g.cx = cellsAlong(min.x, max.x, cell);
    g.cy = cellsAlong(min.y, max.y, cell);
    g.cz = cellsAlong(min.z, max.z, cell);
    if (g.cx < 1 || g.cy < 1 || g.cz < 1) return mesh;
    g.nx = g.cx + 1, g.ny = g.cy + 1, g.nz = g.cz + 1;

    const SdfBatchField whole = batchOf(field);
    std::vector<float> values((size_t)g.nx * g.ny * g.nz);
    sampleGrid(whole, g, options, values);
    std::vector<int32_t> cellVertex((size_t)g.cx * g.cy * g.cz, -1);
    std::vector<uint8_t> inside(values.size());
    for (size_t i = 0; i < values.size(); ++i) inside[i] = values[i] < 0.0f; // 0 counts as outside
    placeVertices(g, values, inside, cellVertex, mesh);
    projectVertices(whole, g, options, cellVertex, mesh);
    for (int axis = 0; axis < 3; ++axis) emitFaces(g, inside, cellVertex, axis, mesh);
    return mesh;
}

void smoothMesh(SurfaceMesh& mesh, int iterations, float lambda) {
    const size_t n = mesh.positions.size();
    std::vector<Vector3> sum(n);
    std::vector<uint32_t> count(n);
    for (int it = 0; it < iterations; ++it) {
        std::fill(sum.begin(), sum.end(), Vector3{0, 0, 0});
        std::fill(count.begin(), count.end(), 0u);
        for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
            const uint32_t v[3] = {mesh.indices[t], mesh.indices[t + 1], mesh.indices[t + 2]};
            for (int k = 0; k < 3; ++k) {
                const Vector3 a = mesh.positions[v[(k + 1) % 3]], b = mesh.positions[v[(k + 2) % 3]];
                Vector3& s = sum[v[k]];
                s = {s.x + (a.x + b.x), s.y + (a.y + b.y), s.z + (a.z + b.z)};
                count[v[k]] += 2;
            }
        }
        for (size_t i = 0; i < n; ++i) {
            if (count[i] == 0) continue;
            const float c = (float)count[i];
            Vector3& p = mesh.positions[i];
            p = {p.x + (sum[i].x / c - p.x) * lambda, p.y + (sum[i].y / c - p.y) * lambda,
                 p.z + (sum[i].z / c - p.z) * lambda};
        }
    }
}
