// Hoop nets: the rest shape, relaxing back to it, the rim's tilt, the ball's
// push, and the drawn diamond mesh of strands as ribbons turned to the eye.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "render/hoop_net.h"

namespace {

constexpr float kDt = 1.0f / 120.0f;

float radiusOf(Vector3 p) { return std::hypot(p.x, p.z); }

TEST(HoopNet, RestShapeNarrowsToTheBottomInADiamondMesh) {
    HoopNet net;
    initNet(net);
    EXPECT_NEAR(radiusOf(net.pos[0][3]), 0.2246f, 1e-6f);
    EXPECT_NEAR(radiusOf(net.pos[6][3]), 0.125f, 1e-6f);
    EXPECT_NEAR(net.pos[6][0].y, 3.038f - 0.43f, 1e-6f);
    EXPECT_NEAR(std::atan2(net.pos[1][0].x, net.pos[1][0].z), PI / 14, 1e-5f) << "odd rows half a column round";
}

TEST(HoopNet, RelaxesToRestAndTheRimStaysInItsRange) {
    HoopNet net;
    initNet(net);
    net.pos[4][5].x += 0.1f;
    net.rimVel = 50; // a hard kick
    float lo = 1, hi = -1;
    for (int i = 0; i < 1200; ++i) {
        stepNet(net, kDt, {0, 10, 10}, {0, 0, 0});
        lo = std::fmin(lo, net.rimAngle);
        hi = std::fmax(hi, net.rimAngle);
    }
    EXPECT_GE(lo, -0.05f);
    EXPECT_EQ(hi, 0.35f) << "the kick reached the stop and no further";
    EXPECT_NEAR(net.rimAngle, 0.0f, 1e-3f);
    for (int r = 0; r < kNetRows; ++r)
        for (int c = 0; c < kNetColumns; ++c) {
            EXPECT_NEAR(net.pos[r][c].x, netRestPoint(net, r, c).x, 1e-3f);
            EXPECT_NEAR(net.pos[r][c].y, netRestPoint(net, r, c).y, 1e-3f);
        }
}

// Floats never let a spring settle by itself; a net must still come to rest
// exactly, or it would be stepped for ever.
TEST(HoopNet, ASwishAndARimKickDieOutToTheExactRestShape) {
    HoopNet net, still;
    initNet(net);
    initNet(still);
    net.rimVel = 3;
    for (float y = 3.3f; y > 2.3f; y -= 0.05f) stepNet(net, kDt, {0, y, 0}, {0, -6, 0}); // through the net
    for (int i = 0; i < 60; ++i) stepNet(net, kDt, {0, 1, 3}, {0, 0, 0});
    float swing = 0;
    for (int r = 0; r < kNetRows; ++r)
        for (int c = 0; c < kNetColumns; ++c) swing = std::fmax(swing, Vector3Distance(net.pos[r][c], still.pos[r][c]));
    EXPECT_GT(swing, 1e-3f) << "half a second on, it still swings";
    for (int i = 0; i < 1200; ++i) stepNet(net, kDt, {0, 1, 3}, {0, 0, 0});
    EXPECT_EQ(net.rimAngle, 0.0f);
    EXPECT_EQ(net.rimVel, 0.0f);
    EXPECT_EQ(std::memcmp(net.pos, still.pos, sizeof net.pos), 0);
    EXPECT_EQ(std::memcmp(net.vel, still.vel, sizeof net.vel), 0);
}

TEST(HoopNet, BallPushesNodesOutExceptOneSittingOnItsCentre) {
    HoopNet net;
    initNet(net);
    const Vector3 node = net.pos[3][0], ball = {node.x, node.y, node.z - 0.05f};
    stepNet(net, kDt, ball, {0, -5, 0});
    EXPECT_NEAR(Vector3Distance(net.pos[3][0], ball), 0.133f, 1e-5f);
    EXPECT_LT(net.vel[3][0].y, -2.0f); // dragged along by the ball

    HoopNet still; // a node at rest does not move in the spring step, so the ball sits exactly on it
    initNet(still);
    const Vector3 on = still.pos[5][7];
    stepNet(still, kDt, on, {0, -5, 0});
    EXPECT_TRUE(still.pos[5][7].x == on.x && still.pos[5][7].y == on.y && still.pos[5][7].z == on.z);
}

TEST(NetStrands, DiagonalsAlternateByRowAndReachEveryNodeOnce) {
    for (int r = 0; r < kNetRows - 1; r++) {
        int reached[kNetColumns] = {};
        for (int c = 0; c < kNetColumns; c++) {
            const int d = netDiagonalColumn(r, c);
            EXPECT_EQ(d, (c + (r % 2 ? 1 : kNetColumns - 1)) % kNetColumns) << r << "," << c;
            if (d >= 0 && d < kNetColumns) reached[d]++;
        }
        for (int c = 0; c < kNetColumns; c++) EXPECT_EQ(reached[c], 1) << "row " << r + 1 << " node " << c;
    }
}

TEST(NetStrands, RibbonIsElevenMillimetresWideAcrossTheViewAndNoneAlongIt) {
    const Vector3 a = {0.2f, 3.0f, 0.05f}, b = {0.15f, 2.9f, 0.1f}, eye = {1.0f, 1.8f, 6.0f};
    Vector3 p[4];
    ASSERT_TRUE(netRibbonCorners(eye, a, b, p));
    const Vector3 across = Vector3Subtract(p[1], p[0]);
    EXPECT_NEAR(Vector3Length(across), 0.011f, 1e-6f);
    EXPECT_NEAR(Vector3DotProduct(across, Vector3Subtract(b, a)), 0, 1e-7f) << "across the strand";
    EXPECT_NEAR(Vector3DotProduct(across, Vector3Subtract(eye, a)), 0, 1e-6f) << "flat toward the eye";
    EXPECT_NEAR(Vector3Distance(Vector3Lerp(p[0], p[1], 0.5f), a), 0, 1e-7f);
    EXPECT_NEAR(Vector3Distance(Vector3Lerp(p[2], p[3], 0.5f), b), 0, 1e-7f);
    EXPECT_NEAR(Vector3Distance(Vector3Subtract(p[2], p[3]), across), 0, 1e-7f) << "parallel edges";
    EXPECT_FALSE(netRibbonCorners({0, 5, 0}, {0, 3, 0}, {0, 2.6f, 0}, p)) << "the eye looks along the strand";
    EXPECT_FALSE(netRibbonCorners({1, 1, 1}, a, a, p));
}

} // namespace
