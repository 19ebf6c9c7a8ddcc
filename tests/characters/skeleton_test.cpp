// Skeleton posing: joint points of the zero and bind poses worked out by hand
// from the joint chain, the hand/head/chest points, and the two-bone leg.
#include <cmath>
#include <gtest/gtest.h>
#include <raylib.h>
#include <raymath.h>

#include "characters/skeleton.h"

namespace {

constexpr float kTol = 1e-4f;

Vector3 origin(const Matrix& m) { return {m.m12, m.m13, m.m14}; }

void expectNear(Vector3 got, Vector3 want, float tol = kTol) {
    EXPECT_NEAR(got.x, want.x, tol);
    EXPECT_NEAR(got.y, want.y, tol);
    EXPECT_NEAR(got.z, want.z, tol);
}

// A body-frame point (yaw 0, root at the origin) turned by yaw and moved to root.
Vector3 place(Vector3 local, float yaw, Vector3 root) {
    return {local.x * std::cos(yaw) + local.z * std::sin(yaw) + root.x, local.y + root.y,
            -local.x * std::sin(yaw) + local.z * std::cos(yaw) + root.z};
}

TEST(Skeleton, ZeroPoseStandsOnTheFloorWithThePelvisAt0541h) {
    const float h = 1.9f;
    Skeleton sk;
    poseSkeleton(sk, {h, 1.0f}, Pose{}, {0, 0, 0}, 0.0f, true);

    // Straight legs end 0.5 h below the pelvis; the soles lie 0.041 h lower.
    EXPECT_NEAR(sk.groundLift, 0.021f * h, kTol);
    expectNear(origin(sk.joints[JOINT_PELVIS]), {0, 0.541f * h, 0});
    expectNear(origin(sk.joints[JOINT_SPINE]), {0, 0.601f * h, 0});
    expectNear(origin(sk.joints[JOINT_NECK]), {0, 0.873f * h, -0.004f * h});
    expectNear(origin(sk.joints[JOINT_HEAD]), {0, 0.897f * h, -0.004f * h});
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        expectNear(origin(sk.joints[thighJoint(side)]), {s * 0.056f * h, 0.521f * h, 0});
        expectNear(origin(sk.joints[thighJoint(side) + 1]), {s * 0.056f * h, 0.276f * h, 0});
        expectNear(origin(sk.joints[footJoint(side)]), {s * 0.056f * h, 0.041f * h, 0});
        // Hanging arms: shoulder, elbow 0.17 h and wrist 0.15 h lower.
        expectNear(origin(sk.joints[armJoint(side)]), {s * 0.108f * h, 0.849f * h, -0.006f * h});
        expectNear(origin(sk.joints[armJoint(side) + 2]), {s * 0.108f * h, 0.529f * h, -0.006f * h});
        expectNear(handPosition(sk, side), {s * 0.108f * h, 0.529f * h - 0.09f, -0.006f * h});
    }
    expectNear(headPosition(sk), {0, 0.897f * h + 0.22f, -0.004f * h});
    expectNear(chestPoint(sk), {0, 0.601f * h + 0.18f, 0.12f});
    expectNear(origin(headMatrix(sk, h)), {0, 0.949f * h, 0.004f * h});
}

TEST(Skeleton, BindPoseJointsFollowTheChain) {
    const float h = 2.03f, b = 1.08f;
    const float yaw = 0.7f;
    const Vector3 root = {1.5f, 0.0f, 4.0f};
    Skeleton sk;
    poseSkeleton(sk, {h, b}, bindPose(), root, yaw, true);

    // Spread legs stay level at the foot: the sole is 0.02 + 0.48 cos(0.04) + 0.041 h below the pelvis.
    const float spread = 0.04f;
    const float pelvisY = 0.02f * h + 0.48f * h * std::cos(spread) + 0.041f * h;
    EXPECT_NEAR(sk.groundLift, pelvisY - 0.52f * h, kTol);
    expectNear(origin(sk.joints[JOINT_PELVIS]), place({0, pelvisY, 0}, yaw, root));

    const float raise = 0.5f, elbow = 0.12f;
    const float spineY = pelvisY + 0.06f * h;
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        const Vector3 shoulder = {s * 0.108f * h * (0.9f + 0.1f * b), spineY + 0.248f * h, -0.006f * h};
        // Upper arm lifted sideways by the raise; forearm bent forward by the elbow.
        const Vector3 upper = {s * std::sin(raise), -std::cos(raise), 0};
        const Vector3 fore = {s * std::sin(raise) * std::cos(elbow), -std::cos(raise) * std::cos(elbow),
                              std::sin(elbow)};
        const Vector3 elbowPt = Vector3Add(shoulder, Vector3Scale(upper, 0.17f * h));
        const Vector3 wrist = Vector3Add(elbowPt, Vector3Scale(fore, 0.15f * h));
        const Vector3 hand = Vector3Add(wrist, Vector3Scale(fore, 0.09f));
        expectNear(origin(sk.joints[armJoint(side)]), place(shoulder, yaw, root));
        expectNear(origin(sk.joints[armJoint(side) + 1]), place(elbowPt, yaw, root));
        expectNear(origin(sk.joints[handJoint(side)]), place(wrist, yaw, root));
        expectNear(handPosition(sk, side), place(hand, yaw, root));

        const Vector3 hip = {s * 0.056f * h, pelvisY - 0.02f * h, 0};
        const Vector3 leg = {s * std::sin(spread), -std::cos(spread), 0};
        expectNear(origin(sk.joints[thighJoint(side)]), place(hip, yaw, root));
        expectNear(origin(sk.joints[footJoint(side)]), place(Vector3Add(hip, Vector3Scale(leg, 0.48f * h)), yaw, root));
    }
    expectNear(headPosition(sk), place({0, spineY + 0.296f * h + 0.22f, -0.004f * h}, yaw, root));
}

TEST(LegIk, AnglesFromTheLawOfCosines) {
    // h = 2: thigh 0.49, shin 0.47; a target 0.9 m straight down.
    float hip = 0, knee = 0;
    solveLegIk(2.0f, 0.9f, 0.0f, hip, knee);
    EXPECT_NEAR(knee, 0.7110f, 1e-4f);
    EXPECT_NEAR(hip, 0.3478f, 1e-4f);
    // Forward targets add atan2(forward, down) at the hip.
    float hip2 = 0, knee2 = 0;
    solveLegIk(2.0f, 0.9f * std::cos(0.3f), 0.9f * std::sin(0.3f), hip2, knee2);
    EXPECT_NEAR(knee2, knee, 1e-5f);
    EXPECT_NEAR(hip2, hip + 0.3f, 1e-5f);
}

} // namespace
