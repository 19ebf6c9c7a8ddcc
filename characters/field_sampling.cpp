// Grouping by cubes: the points are counted into the cubes of a grid over
// their bounds, then each occupied cube is a group.
#include "characters/field_sampling.h"

#include <algorithm>
#include <cmath>

void forEachPointGroup(std::span<const Vector3> points, float bucket,
                       const std::function<void(const SdfBox& box, std::span<const uint32_t> indices)>& visit) {
    if (points.empty() || !(bucket > 0.0f)) return;
    Vector3 lo = points[0], hi = points[0];
    for (const Vector3& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    auto cells = [&](float extent) { return (size_t)std::min(std::floor(extent / bucket), 65535.0f) + 1; };
    size_t nx = cells(hi.x - lo.x), ny = cells(hi.y - lo.y), nz = cells(hi.z - lo.z);
    // Widely spread points get coarser cubes, so the grid stays small; points
    // spread without bound make one group.
    const size_t most = 4 * points.size() + 4096;
    for (int i = 0; i < 64 && nx * ny * nz > most; ++i) {
        bucket *= 2.0f;
        nx = cells(hi.x - lo.x), ny = cells(hi.y - lo.y), nz = cells(hi.z - lo.z);
    }
    if (nx * ny * nz > most) nx = ny = nz = 1;
    auto cube = [&](const Vector3& p) {
        auto at = [&](float v, float from, size_t n) {
            return (size_t)std::min(std::max(0.0f, std::floor((v - from) / bucket)), (float)(n - 1));
        };
        return (at(p.z, lo.z, nz) * ny + at(p.y, lo.y, ny)) * nx + at(p.x, lo.x, nx);
    };
    // Counting sort by cube: groups in cube order, indices ascending within.
    std::vector<uint32_t> key(points.size());
    std::vector<uint32_t> start(nx * ny * nz + 1, 0);
    for (size_t i = 0; i < points.size(); ++i) ++start[(key[i] = (uint32_t)cube(points[i])) + 1];
    for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    std::vector<uint32_t> order(points.size());
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (size_t i = 0; i < points.size(); ++i) order[fill[key[i]]++] = (uint32_t)i;
    for (size_t c = 0; c + 1 < start.size(); ++c) {
        if (start[c] == start[c + 1]) continue;
        const std::span<const uint32_t> group(&order[start[c]], start[c + 1] - start[c]);
        SdfBox box = {points[group[0]], points[group[0]]};
        for (uint32_t i : group) {
            const Vector3 p = points[i];
            box.lo = {std::min(box.lo.x, p.x), std::min(box.lo.y, p.y), std::min(box.lo.z, p.z)};
            box.hi = {std::max(box.hi.x, p.x), std::max(box.hi.y, p.y), std::max(box.hi.z, p.z)};
        }
        visit(box, group);
    }
}

void sampleField(const SdfNarrowing& narrow, std::span<const Vector3> points, float bucket, std::vector<float>& out) {
    out.assign(points.size(), 0.0f);
    std::vector<Vector3> local;
    std::vector<float> values;
    forEachPointGroup(points, bucket, [&](const SdfBox& box, std::span<const uint32_t> indices) {
        local.clear();
        for (uint32_t i : indices) local.push_back(points[i]);
        values.resize(local.size());
        narrow(box)(local.data(), values.data(), local.size());
        for (size_t k = 0; k < indices.size(); ++k) out[indices[k]] = values[k];
    });
}

std::vector<float> vertexOcclusion(const SdfNarrowing& narrow, std::span<const Vector3> positions,
                                   std::span<const Vector3> normals, float d1, float d2, float bucket) {
    const size_t n = positions.size();
    std::vector<Vector3> samples(2 * n);
    for (size_t i = 0; i < n; ++i) {
        const Vector3 p = positions[i], v = normals[i];
        samples[2 * i] = {p.x + v.x * d1, p.y + v.y * d1, p.z + v.z * d1};
        samples[2 * i + 1] = {p.x + v.x * d2, p.y + v.y * d2, p.z + v.z * d2};
    }
    std::vector<float> values;
    sampleField(narrow, samples, bucket, values);
    std::vector<float> occ(n);
    for (size_t i = 0; i < n; ++i) occ[i] = occlusionOf(values[2 * i], values[2 * i + 1], d1, d2);
    return occ;
}
