// Baking: a mesher surface (or a chosen subset of its triangles) becomes the
// CPU mesh record of one character part, with 16-bit indices. Cylindrically
// mapped parts get a seam fix: a triangle straddling the wrap-around of u
// takes shifted copies (u + 1) of its low-u vertices. The skinned variant
// also records bind positions, normals, bones and weights per baked vertex.
#pragma once
#include <cstdint>
#include <span>
#include <vector>
#include <raylib.h>

#include "characters/character_model.h"
#include "characters/surface_mesher.h"

// Vertices of one bake, made on first use: a surface vertex gives at most a
// plain and a shifted copy.
struct BakeContext {
    MeshData& out;
    const SurfaceMesh& surface;
    std::span<const Vector2> uvs;        // per surface vertex, or empty
    std::span<const Color> colors;       // per surface vertex, or empty (white)
    std::vector<uint32_t>* sourceOut;    // surface index of every baked vertex, or null
    std::vector<int32_t> plain;          // surface vertex -> baked vertex, -1 until made
    std::vector<int32_t> shifted;
};

// Returns the baked index of surface vertex i (its u moved by +1 when shifted).
int32_t seamVertex(BakeContext& bake, uint32_t i, bool shifted);

// Appends the given triangles (surface indices, three per triangle) to `out`.
// A part that reaches 65536 vertices cannot be drawn with 16-bit indices: it
// gets `indexOverflow` and no indices, and when baked in one call (out
// empty before) each triangle's corners become vertices of their own, three
// per triangle in order, so that it draws right without indices.
void bakeMeshData(MeshData& out, const SurfaceMesh& surface, std::span<const uint32_t> triangles,
                  std::span<const Vector2> uvs, std::span<const Color> colors, bool seam,
                  std::vector<uint32_t>* sourceOut = nullptr);

// The surface of a skinned part with its per-vertex uvs, bones and weights.
struct SkinSource {
    const SurfaceMesh& surface;
    std::span<const Vector2> uvs;
    std::span<const uint8_t> boneA;
    std::span<const uint8_t> boneB;
    std::span<const float> weightA;
};

void bakeSkinnedMeshData(const SkinSource& source, MeshData& part, SkinData& skin,
                         std::span<const uint32_t> triangles, std::span<const Color> colors, bool seam);
