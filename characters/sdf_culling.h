// Culling a shape list to a box: meshing and painting evaluate a field many
// times in a small region, and most shapes of a character part are far from
// any one region. The culled list gives exactly the same field there.
#pragma once
#include <span>
#include <vector>
#include <raylib.h>

#include "characters/sdf_kernel.h"
#include "characters/sdf_lanes.h"

// An axis-aligned box of points.
struct SdfBox {
    Vector3 lo, hi;
};

// Appends to `out`, in order, the shapes of `prims` that can change
// sceneDistance somewhere in `box`; the others would be skipped by their
// bounding-sphere test at every point of the box. sceneDistance over `out`
// then equals sceneDistance over `prims` at every point of the box, distance
// and material, bit for bit.
void cullPrimitives(std::span<const SdfPrimitive> prims, const SdfBox& box, std::vector<SdfPrimitive>& out);

// The box grown by m on every side.
SdfBox growBox(const SdfBox& box, float m);

// Hands out, for a box of points, a field that gives the same values as the
// whole field there (built from shape lists culled to the box).
using SdfNarrowing = std::function<SdfBatchField(const SdfBox& box)>;

// The narrowing of the plain field sceneDistance(prims, p), evaluated in
// lanes; `prims` must outlive it.
SdfNarrowing narrowSceneDistance(std::span<const SdfPrimitive> prims);
