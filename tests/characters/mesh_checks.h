// Shared checks on triangle meshes for the character tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <span>
#include <tuple>
#include <vector>
#include <raylib.h>

// How the edges of a triangle list are shared. Vertices at the same position
// count as one (parts baked in pieces duplicate them).
struct EdgeCounts {
    size_t edges = 0;       // undirected
    size_t open = 0;        // used by one triangle: a hole's rim
    size_t odd = 0;         // used by an odd number of triangles (3, 5, ...)
    size_t flipped = 0;     // two triangles, wound the same way along it
    size_t nonManifold = 0; // four or more triangles
    size_t degenerate = 0;  // triangles with a repeated vertex
    // No hole anywhere: every edge is shared by an even number of triangles.
    bool closed() const { return edges > 0 && open == 0 && odd == 0; }
    // Closed, two triangles per edge, wound alike.
    bool perfect() const { return closed() && flipped == 0 && nonManifold == 0 && degenerate == 0; }
};

inline EdgeCounts countEdges(std::span<const Vector3> positions, std::span<const uint32_t> indices) {
    std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> ids;
    std::vector<uint32_t> id(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        uint32_t k[3];
        std::memcpy(k, &positions[i], sizeof k);
        id[i] = ids.emplace(std::make_tuple(k[0], k[1], k[2]), (uint32_t)ids.size()).first->second;
    }
    EdgeCounts c;
    std::map<std::pair<uint32_t, uint32_t>, std::pair<int, int>> uses; // (low, high) -> uses low->high, high->low
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const uint32_t v[3] = {id[indices[t]], id[indices[t + 1]], id[indices[t + 2]]};
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) {
            ++c.degenerate;
            continue;
        }
        for (int e = 0; e < 3; ++e) {
            const uint32_t a = v[e], b = v[(e + 1) % 3];
            auto& u = uses[{std::min(a, b), std::max(a, b)}];
            (a < b ? u.first : u.second)++;
        }
    }
    c.edges = uses.size();
    for (const auto& [edge, u] : uses) {
        const int total = u.first + u.second;
        if (total == 1) ++c.open;
        else if (total % 2) ++c.odd;
        else if (total == 2 && u.first != 1) ++c.flipped;
        else if (total > 2) ++c.nonManifold;
    }
    return c;
}

// The same for MeshData arrays: 3 floats per vertex and 16-bit indices.
inline EdgeCounts countEdges(const std::vector<float>& positions, const std::vector<uint16_t>& indices) {
    std::vector<Vector3> p(positions.size() / 3);
    std::memcpy(p.data(), positions.data(), p.size() * sizeof(Vector3));
    std::vector<uint32_t> idx(indices.begin(), indices.end());
    return countEdges(p, idx);
}
