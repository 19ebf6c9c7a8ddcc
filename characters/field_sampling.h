// Evaluating a part's field at many scattered points (the per-vertex passes
// of the builders): the points are grouped by position, and each group is
// worked with the field narrowed to the box around its points.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>
#include <raylib.h>

#include "characters/sdf_culling.h"

// Calls visit(box, indices) once per group of nearby points (cubes of side
// `bucket`); box holds every point of the group. Groups come in a fixed
// order, and within a group the indices ascend.
void forEachPointGroup(std::span<const Vector3> points, float bucket,
                       const std::function<void(const SdfBox& box, std::span<const uint32_t> indices)>& visit);

// out[i] = the field at points[i], through the narrowing of each group.
void sampleField(const SdfNarrowing& narrow, std::span<const Vector3> points, float bucket, std::vector<float>& out);

// Occlusion at each vertex (sdfOcclusion with offsets d1 and d2 along its normal).
std::vector<float> vertexOcclusion(const SdfNarrowing& narrow, std::span<const Vector3> positions,
                                   std::span<const Vector3> normals, float d1, float d2, float bucket);
