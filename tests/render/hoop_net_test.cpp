// Hoop nets: the rest shape, relaxing back to it, the rim's tilt and the
// ball's push.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>

#include "render/hoop_net.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;
constexpr Vector3 kFarBall = {0, 10, 10};

float radiusOf(Vector3 p) { return std::hypot(p.x, p.z); }

TEST(HoopNet, RestShapeNarrowsToTheBottomInADiamondMesh) {
    HoopNet net;
    initNet(net);
    EXPECT_NEAR(radiusOf(net.pos[0][3]), 0.2246f, 1e-6f);
    EXPECT_NEAR(radiusOf(net.pos[6][3]), 0.125f, 1e-6f);
    EXPECT_NEAR(net.pos[6][0].y, 3.038f - 0.43f, 1e-6f);
    // Odd rows sit half a column round.
    EXPECT_NEAR(std::atan2(net.pos[1][0].x, net.pos[1][0].z), PI / 14, 1e-5f);
}

TEST(HoopNet, RelaxesToRestAndTheRimStaysInItsRange) {
    HoopNet net;
    initNet(net);
    net.pos[4][5].x += 0.1f;
    net.rimVel = 50; // a hard kick
    float lo = 1, hi = -1;
    for (int i = 0; i < 1200; ++i) {
        stepNet(net, kDt, kFarBall, {0, 0, 0});
        lo = std::fmin(lo, net.rimAngle);
        hi = std::fmax(hi, net.rimAngle);
    }
    EXPECT_GE(lo, -0.05f);
    EXPECT_LE(hi, 0.35f);
    EXPECT_EQ(hi, 0.35f); // the kick reached the stop
    EXPECT_NEAR(net.rimAngle, 0.0f, 1e-3f);
    for (int r = 0; r < kNetRows; ++r)
        for (int c = 0; c < kNetColumns; ++c) {
            const Vector3 rest = netRestPoint(net, r, c);
            EXPECT_NEAR(net.pos[r][c].x, rest.x, 1e-3f);
            EXPECT_NEAR(net.pos[r][c].y, rest.y, 1e-3f);
        }
}

TEST(HoopNet, BallPushesNodesOutExceptOneSittingOnItsCentre) {
    HoopNet net;
    initNet(net);
    const Vector3 node = net.pos[3][0];
    stepNet(net, kDt, {node.x, node.y, node.z - 0.05f}, {0, -5, 0});
    const Vector3 moved = net.pos[3][0];
    const float d = std::sqrt((moved.x - node.x) * (moved.x - node.x) + (moved.y - node.y) * (moved.y - node.y) +
                              (moved.z - node.z + 0.05f) * (moved.z - node.z + 0.05f));
    EXPECT_NEAR(d, 0.133f, 1e-5f);
    EXPECT_LT(net.vel[3][0].y, -2.0f); // dragged along by the ball

    HoopNet still;
    initNet(still);
    // The spring step does not move a node at rest, so the ball sits exactly on it.
    const Vector3 on = still.pos[5][7];
    stepNet(still, kDt, on, {0, -5, 0});
    EXPECT_EQ(still.pos[5][7].x, on.x);
    EXPECT_EQ(still.pos[5][7].y, on.y);
    EXPECT_EQ(still.pos[5][7].z, on.z);
}

} // namespace
