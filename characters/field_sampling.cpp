// Grouping by cubes: the points are sorted by their cube, then each run of
// one cube is a group.
#include "characters/field_sampling.h"

#include <algorithm>
#include <cmath>

void forEachPointGroup(std::span<const Vector3> points, float bucket,
                       const std::function<void(const SdfBox& box, std::span<const uint32_t> indices)>& visit) {
    if (points.empty()) return;
    Vector3 lo = points[0];
    for (const Vector3& p : points) lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    auto cube = [&](const Vector3& p) {
        const uint64_t x = (uint64_t)std::max(0.0f, std::floor((p.x - lo.x) / bucket)) & 0x1FFFFF;
        const uint64_t y = (uint64_t)std::max(0.0f, std::floor((p.y - lo.y) / bucket)) & 0x1FFFFF;
        const uint64_t z = (uint64_t)std::max(0.0f, std::floor((p.z - lo.z) / bucket)) & 0x1FFFFF;
        return z << 42 | y << 21 | x;
    };
    std::vector<std::pair<uint64_t, uint32_t>> keyed(points.size());
    for (size_t i = 0; i < points.size(); ++i) keyed[i] = {cube(points[i]), (uint32_t)i};
    std::sort(keyed.begin(), keyed.end());
    std::vector<uint32_t> group;
    for (size_t i = 0; i < keyed.size();) {
        group.clear();
        SdfBox box = {points[keyed[i].second], points[keyed[i].second]};
        size_t j = i;
        for (; j < keyed.size() && keyed[j].first == keyed[i].first; ++j) {
            const Vector3 p = points[keyed[j].second];
            box.lo = {std::min(box.lo.x, p.x), std::min(box.lo.y, p.y), std::min(box.lo.z, p.z)};
            box.hi = {std::max(box.hi.x, p.x), std::max(box.hi.y, p.y), std::max(box.hi.z, p.z)};
            group.push_back(keyed[j].second);
        }
        visit(box, group);
        i = j;
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
