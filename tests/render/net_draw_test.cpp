// The nets' drawn shape without a window: the diamond mesh of strands and
// the ribbons turned toward the eye.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "render/hoop_net.h"

TEST(NetStrands, DiagonalsAlternateByRowAndReachEveryNodeOnce) {
    for (int r = 0; r < kNetRows - 1; r++) {
        int reached[kNetColumns] = {};
        for (int c = 0; c < kNetColumns; c++) {
            const int d = netDiagonalColumn(r, c);
            ASSERT_GE(d, 0);
            ASSERT_LT(d, kNetColumns);
            // Odd rows lean one way, even rows the other, wrapping at the seam.
            EXPECT_EQ(d, (c + (r % 2 ? 1 : kNetColumns - 1)) % kNetColumns) << r << "," << c;
            reached[d]++;
        }
        for (int c = 0; c < kNetColumns; c++) EXPECT_EQ(reached[c], 1) << "row " << r + 1 << " node " << c;
    }
}

TEST(NetStrands, RibbonIsElevenMillimetresWideAcrossTheView) {
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
}

TEST(NetStrands, NoRibbonWhenTheEyeLooksAlongTheStrand) {
    const Vector3 a = {0, 3, 0}, b = {0, 2.6f, 0};
    Vector3 p[4];
    EXPECT_FALSE(netRibbonCorners({0, 5, 0}, a, b, p));
    EXPECT_FALSE(netRibbonCorners({1, 1, 1}, a, a, p));
}
