// The distance kernel at four points at once, and fields that evaluate many
// points per call. Meshing and painting spend most of a character's build
// here; a lane gives exactly what the one-point kernel gives for its point.
#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <raylib.h>

#include "characters/lane_math.h"
#include "characters/sdf_kernel.h"

Lanes primitiveDistanceLanes(const SdfPrimitive& prim, const LanePoints& p);
// materialOut (may be null) receives each lane's material. When prefixOut is
// given it receives the distance to the first `prefix` shapes alone (the
// running distance at that point of the list).
Lanes sceneDistanceLanes(std::span<const SdfPrimitive> prims, const LanePoints& p, LaneMask* materialOut = nullptr,
                         size_t prefix = 0, Lanes* prefixOut = nullptr);

// A field at n points per call: out[i] = field(points[i]).
using SdfBatchField = std::function<void(const Vector3* points, float* out, size_t n)>;

LanePoints toLanes(const Vector3* points, size_t n); // n <= 4; missing lanes repeat the last point

// Runs a four-point field over n points, four at a time.
template <class Four>
void evaluateInLanes(const Vector3* points, float* out, size_t n, Four&& four) {
    for (size_t i = 0; i < n; i += kLanes) {
        const size_t count = n - i < (size_t)kLanes ? n - i : (size_t)kLanes;
        const Lanes d = four(toLanes(points + i, count));
        for (size_t k = 0; k < count; ++k) out[i + k] = d[k];
    }
}

// One point at a time through a one-point field.
SdfBatchField batchOf(SdfField field);
