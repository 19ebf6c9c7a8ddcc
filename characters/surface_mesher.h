// Surface nets: a distance field sampled on a regular grid over a box becomes
// a closed triangle surface (one vertex per cell the surface crosses, pulled
// onto the surface; one quad per crossed grid edge), plus a Laplacian
// smoother. Pure CPU code: the character builder threads mesh with it.
#pragma once
#include <cstdint>
#include <vector>
#include <raylib.h>

#include "characters/sdf_culling.h"
#include "characters/sdf_kernel.h"
#include "characters/sdf_lanes.h"

struct SurfaceMesh {
    std::vector<Vector3> positions;
    std::vector<Vector3> normals;  // unit length; zero where the gradient vanished
    std::vector<uint32_t> indices; // three per triangle, counter-clockwise from outside
};

struct MeshingOptions {
    // Points in 6x6x6 blocks far from the surface take the block's middle
    // value without being evaluated. Switching it off evaluates every point;
    // the mesh is the same wherever the field is an honest distance bound.
    bool skipFarBlocks = true;
    // When set, each block of points and each block of vertices is worked
    // with this field for its box instead of the whole field; it must give
    // the whole field's values at every point of the box.
    SdfNarrowing narrow;
};

// The grid has ceil((max - min) / cell) cells per axis and its points lie at
// min + cell * (i, j, k), so the last point may be up to a cell beyond max.
// An empty or inverted box, a cell that is not positive and more than 65536
// cells along an axis give an empty mesh.
SurfaceMesh polygonizeSdf(const SdfField& field, Vector3 min, Vector3 max, float cell,
                          const MeshingOptions& options = {});

// Moves each vertex `lambda` of the way toward the mean of its triangle
// neighbours, `iterations` times; normals are left as they are.
void smoothMesh(SurfaceMesh& mesh, int iterations, float lambda);

// Appends a triangle wound to agree with its vertex normals.
void emitTriangle(SurfaceMesh& mesh, uint32_t i0, uint32_t i1, uint32_t i2);
