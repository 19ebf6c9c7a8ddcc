// Mesh baking with the texture seam fix; baked vertices follow the order of
// first use, so the same triangles always give the same record.
#include "characters/mesh_baking.h"

#include <algorithm>

namespace {

constexpr uint32_t kMaxIndexedVertices = 65536; // 16-bit indices
constexpr float kSeamSpan = 0.5f;               // a u spread beyond this straddles the wrap
const Color kWhite = {255, 255, 255, 255};

} // namespace

int32_t seamVertex(BakeContext& bake, uint32_t i, bool shifted) {
    std::vector<int32_t>& map = shifted ? bake.shifted : bake.plain;
    if (map[i] >= 0) return map[i];
    Vector2 uv = i < bake.uvs.size() ? bake.uvs[i] : Vector2{0, 0};
    if (shifted) uv.x += 1.0f;
    const int32_t index = bake.out.vertexCount();
    map[i] = index;
    const Vector3 p = bake.surface.positions[i], n = bake.surface.normals[i];
    const Color c = i < bake.colors.size() ? bake.colors[i] : kWhite;
    bake.out.positions.insert(bake.out.positions.end(), {p.x, p.y, p.z});
    bake.out.normals.insert(bake.out.normals.end(), {n.x, n.y, n.z});
    bake.out.texcoords.insert(bake.out.texcoords.end(), {uv.x, uv.y});
    bake.out.colors.insert(bake.out.colors.end(), {c.r, c.g, c.b, c.a});
    if (bake.sourceOut) bake.sourceOut->push_back(i);
    return index;
}

namespace {

// Rewrites the mesh with every triangle's corners as vertices of their own,
// in triangle order, and no indices; the source list follows.
void expandToTriangles(MeshData& out, const std::vector<uint32_t>& corners, std::vector<uint32_t>* sourceOut) {
    MeshData soup;
    std::vector<uint32_t> source;
    for (uint32_t v : corners) {
        auto copy = [v](const auto& from, auto& to, size_t width) {
            to.insert(to.end(), from.begin() + v * width, from.begin() + (v + 1) * width);
        };
        copy(out.positions, soup.positions, 3);
        copy(out.normals, soup.normals, 3);
        copy(out.texcoords, soup.texcoords, 2);
        copy(out.colors, soup.colors, 4);
        if (sourceOut) source.push_back((*sourceOut)[v]);
    }
    soup.indexOverflow = true;
    out = std::move(soup);
    if (sourceOut) *sourceOut = std::move(source);
}

} // namespace

void bakeMeshData(MeshData& out, const SurfaceMesh& surface, std::span<const uint32_t> triangles,
                  std::span<const Vector2> uvs, std::span<const Color> colors, bool seam,
                  std::vector<uint32_t>* sourceOut) {
    const size_t n = surface.positions.size();
    const bool fresh = out.positions.empty() && out.indices.empty() && !out.indexOverflow &&
                       (!sourceOut || sourceOut->empty());
    BakeContext bake{out, surface, uvs, colors, sourceOut, std::vector<int32_t>(n, -1),
                     std::vector<int32_t>(seam && !uvs.empty() ? n : 0, -1)};
    const bool fixSeam = seam && !uvs.empty();
    std::vector<uint32_t> baked;
    baked.reserve(triangles.size());
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const uint32_t v[3] = {triangles[t], triangles[t + 1], triangles[t + 2]};
        bool straddles = false;
        if (fixSeam) {
            const float u0 = uvs[v[0]].x, u1 = uvs[v[1]].x, u2 = uvs[v[2]].x;
            straddles = std::max({u0, u1, u2}) - std::min({u0, u1, u2}) > kSeamSpan;
        }
        for (uint32_t i : v) baked.push_back((uint32_t)seamVertex(bake, i, straddles && uvs[i].x < 0.5f));
    }
    const bool overflow = out.indexOverflow || std::any_of(baked.begin(), baked.end(),
                                                           [](uint32_t i) { return i >= kMaxIndexedVertices; });
    if (overflow && fresh) {
        expandToTriangles(out, baked, sourceOut);
        return;
    }
    if (overflow) { // added to an earlier bake: nothing drawable with 16-bit indices
        out.indexOverflow = true;
        out.indices.clear();
        return;
    }
    out.indices.reserve(out.indices.size() + baked.size());
    for (uint32_t i : baked) out.indices.push_back((uint16_t)i);
}

void bakeSkinnedMeshData(const SkinSource& source, MeshData& part, SkinData& skin,
                         std::span<const uint32_t> triangles, std::span<const Color> colors, bool seam) {
    std::vector<uint32_t> sourceIndex;
    bakeMeshData(part, source.surface, triangles, source.uvs, colors, seam, &sourceIndex);
    for (uint32_t i : sourceIndex) {
        skin.bindPositions.push_back(source.surface.positions[i]);
        skin.bindNormals.push_back(source.surface.normals[i]);
        skin.boneA.push_back(source.boneA[i]);
        skin.boneB.push_back(source.boneB[i]);
        skin.weightA.push_back(source.weightA[i]);
    }
}
