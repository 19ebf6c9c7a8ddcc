// Per-vertex sampling in groups: every point in exactly one group inside its box.
#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <raylib.h>

#include "characters/field_sampling.h"

namespace {

// Groups the points; returns how many groups, checking each point lands in
// exactly one group, inside its box, with indices ascending.
size_t checkGroups(const std::vector<Vector3>& points, float bucket) {
    std::vector<int> seen(points.size(), 0);
    size_t groups = 0;
    forEachPointGroup(points, bucket, [&](const SdfBox& box, std::span<const uint32_t> indices) {
        ++groups;
        for (size_t k = 0; k < indices.size(); ++k) {
            if (k) {
                EXPECT_LT(indices[k - 1], indices[k]);
            }
            const Vector3 p = points[indices[k]];
            ++seen[indices[k]];
            EXPECT_TRUE(p.x >= box.lo.x && p.x <= box.hi.x && p.y >= box.lo.y && p.y <= box.hi.y &&
                        p.z >= box.lo.z && p.z <= box.hi.z);
        }
    });
    EXPECT_EQ(seen, std::vector<int>(points.size(), 1));
    return groups;
}

TEST(FieldSampling, GroupsCoverEveryPointOnceInsideTheirBoxes) {
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<Vector3> points(5000);
    for (Vector3& p : points) p = {u(rng), u(rng) * 0.2f, u(rng) * 3};
    EXPECT_GT(checkGroups(points, 0.1f), 500u);
    // One point far away: the cubes grow coarser and nothing is lost.
    points.push_back({1e6f, 0, 0});
    EXPECT_GE(checkGroups(points, 0.1f), 2u);
    points.push_back({INFINITY, 0, 0}); // and one at infinity: still every point, once
    EXPECT_GE(checkGroups(points, 0.1f), 1u);
    forEachPointGroup({}, 0.1f, [&](const SdfBox&, std::span<const uint32_t>) { ADD_FAILURE(); });
}

} // namespace
