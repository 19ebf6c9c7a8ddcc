// Skeleton and poses: a character is posed from 24 joint angles through a fixed
// chain of 16 joints whose lengths are fractions of the character's height.
// poseSkeleton turns a Pose, a root point and a yaw into world matrices; the
// gameplay asks the result for hand, head and chest points.
#pragma once
#include <raylib.h>

enum PoseField {
    POSE_PELVIS_DROP = 0,
    POSE_TRUNK_PITCH = 1,
    POSE_TRUNK_TWIST = 2,
    POSE_TRUNK_ROLL = 3,
    POSE_HEAD_PITCH = 4,
    POSE_HEAD_YAW = 5,
    POSE_HIP_PITCH = 6,       // + side
    POSE_LEG_SPREAD = 8,      // + side
    POSE_KNEE_BEND = 10,      // + side
    POSE_ANKLE_PITCH = 12,    // + side
    POSE_SHOULDER_PITCH = 14, // + side
    POSE_SHOULDER_RAISE = 16, // + side
    POSE_ELBOW_BEND = 18,     // + side
    POSE_SHOULDER_TWIST = 20, // + side
    POSE_WRIST_BEND = 22,     // + side
    POSE_FIELD_COUNT = 24,
};

enum Joint {
    JOINT_PELVIS = 0,
    JOINT_SPINE = 1,
    JOINT_NECK = 2,
    JOINT_HEAD = 3,
    JOINT_UPPER_ARM = 4, // side 1: 7
    JOINT_FOREARM = 5,   // side 1: 8
    JOINT_HAND = 6,      // side 1: 9
    JOINT_THIGH = 10,    // side 1: 13
    JOINT_SHIN = 11,     // side 1: 14
    JOINT_FOOT = 12,     // side 1: 15
    JOINT_COUNT = 16,
};

struct Pose {
    float v[POSE_FIELD_COUNT] = {};
};

struct Skeleton {
    Matrix joints[JOINT_COUNT] = {};
    float groundLift = 0.0f;
};

// The arm and leg joints of one side: side 0 (+x) or side 1.
inline int armJoint(int side) { return JOINT_UPPER_ARM + 3 * side; }
inline int handJoint(int side) { return JOINT_HAND + 3 * side; }
inline int thighJoint(int side) { return JOINT_THIGH + 3 * side; }
inline int footJoint(int side) { return JOINT_FOOT + 3 * side; }

void lerpPose(Pose& out, const Pose& a, const Pose& b, float t);
void solveLegIk(float h, float down, float forward, float& hipAngle, float& kneeAngle);
void solveLegs(Pose& pose, float h, float drop, float spread, float stagger);
Pose bindPose();
// What posing needs of a character's body: its height (m) and build factor.
// The defaults are a 2.0 m average build.
struct BodyMeasures {
    float height = 2.0f;
    float build = 1.0f;
};

void poseSkeleton(Skeleton& out, BodyMeasures body, const Pose& pose, Vector3 root, float yaw, bool ground);
Vector3 handPosition(const Skeleton& skeleton, int side);
Vector3 headPosition(const Skeleton& skeleton);
Vector3 chestPoint(const Skeleton& skeleton);
Matrix headMatrix(const Skeleton& skeleton, float height);
