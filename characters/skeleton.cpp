// Skeleton posing: translation first, then the listed rotations about the
// joint's own axes, parent before child. Matrices are raylib's; composing
// "a then b" is MatrixMultiply(a, b).
#include "characters/skeleton.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "characters/character_model.h"

namespace {

constexpr float kDefaultHeight = 2.0f;
constexpr float kDefaultBuild = 1.0f;
constexpr float kThigh = 0.245f; // x height
constexpr float kShin = 0.235f;  // x height

// Local transform: T(t) then RotX(rx), RotY(ry), RotZ(rz) about the moved axes.
Matrix local(Vector3 t, float rx, float ry, float rz) {
    Matrix m = MatrixRotateZ(rz);
    m = MatrixMultiply(m, MatrixRotateY(ry));
    m = MatrixMultiply(m, MatrixRotateX(rx));
    return MatrixMultiply(m, MatrixTranslate(t.x, t.y, t.z));
}

Vector3 origin(const Matrix& m) { return {m.m12, m.m13, m.m14}; }
Vector3 axisY(const Matrix& m) { return Vector3Normalize({m.m4, m.m5, m.m6}); }
Vector3 axisZ(const Matrix& m) { return Vector3Normalize({m.m8, m.m9, m.m10}); }

float pose(const Pose& p, int field, int side = 0) { return p.v[field + side]; }

} // namespace

float modelHeight(const CharacterModel* model) { return model ? model->height : kDefaultHeight; }
float modelBuild(const CharacterModel* model) { return model ? model->build : kDefaultBuild; }

void lerpPose(Pose& out, const Pose& a, const Pose& b, float t) {
    for (int i = 0; i < POSE_FIELD_COUNT; ++i) out.v[i] = a.v[i] + (b.v[i] - a.v[i]) * t;
}

void solveLegIk(float h, float down, float forward, float& hipAngle, float& kneeAngle) {
    const float l1 = kThigh * h, l2 = kShin * h;
    float d = std::sqrt(down * down + forward * forward);
    d = Clamp(d, 0.35f * (l1 + l2), 0.999f * (l1 + l2));
    kneeAngle = PI - std::acos(Clamp((l1 * l1 + l2 * l2 - d * d) / (2.0f * l1 * l2), -1.0f, 1.0f));
    hipAngle = std::acos(Clamp((l1 * l1 + d * d - l2 * l2) / (2.0f * l1 * d), -1.0f, 1.0f)) +
               std::atan2(forward, down);
}

void solveLegs(Pose& p, float h, float drop, float spread, float stagger) {
    p.v[POSE_PELVIS_DROP] = drop;
    const float down = (0.48f * h - drop) / std::cos(spread);
    for (int side = 0; side < 2; ++side) {
        float hip = 0, knee = 0;
        solveLegIk(h, down, side == 0 ? stagger : -stagger, hip, knee);
        p.v[POSE_HIP_PITCH + side] = hip;
        p.v[POSE_KNEE_BEND + side] = knee;
        p.v[POSE_LEG_SPREAD + side] = spread;
        p.v[POSE_ANKLE_PITCH + side] = 0.0f;
    }
}

Pose bindPose() {
    Pose p;
    for (int side = 0; side < 2; ++side) {
        p.v[POSE_LEG_SPREAD + side] = 0.04f;
        p.v[POSE_SHOULDER_RAISE + side] = 0.5f;
        p.v[POSE_ELBOW_BEND + side] = 0.12f;
    }
    return p;
}

void poseSkeleton(Skeleton& out, const CharacterModel* model, const Pose& p, Vector3 root, float yaw,
                  bool ground) {
    const float h = modelHeight(model);
    const float b = modelBuild(model);
    Matrix* j = out.joints;

    Matrix pelvis = MatrixMultiply(MatrixRotateY(0.3f * pose(p, POSE_TRUNK_TWIST)),
                                   MatrixTranslate(0, 0.52f * h - pose(p, POSE_PELVIS_DROP), 0));
    j[JOINT_PELVIS] = MatrixMultiply(pelvis, MatrixRotateY(yaw));
    j[JOINT_SPINE] = MatrixMultiply(local({0, 0.06f * h, 0}, pose(p, POSE_TRUNK_PITCH),
                                          0.7f * pose(p, POSE_TRUNK_TWIST), pose(p, POSE_TRUNK_ROLL)),
                                    j[JOINT_PELVIS]);
    j[JOINT_NECK] = MatrixMultiply(local({0, 0.272f * h, -0.004f * h}, 0.35f * pose(p, POSE_HEAD_PITCH), 0, 0),
                                   j[JOINT_SPINE]);
    // Head: RotY(headYaw) before RotX, so compose it by hand.
    Matrix head = MatrixMultiply(MatrixRotateX(0.65f * pose(p, POSE_HEAD_PITCH)),
                                 MatrixRotateY(pose(p, POSE_HEAD_YAW)));
    head = MatrixMultiply(head, MatrixTranslate(0, 0.024f * h, 0));
    j[JOINT_HEAD] = MatrixMultiply(head, j[JOINT_NECK]);

    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        // Upper arm: RotX, RotZ, RotY in that order.
        Matrix arm = MatrixMultiply(MatrixRotateY(s * pose(p, POSE_SHOULDER_TWIST, side)),
                                    MatrixRotateZ(s * pose(p, POSE_SHOULDER_RAISE, side)));
        arm = MatrixMultiply(arm, MatrixRotateX(-pose(p, POSE_SHOULDER_PITCH, side)));
        arm = MatrixMultiply(arm, MatrixTranslate(s * 0.108f * h * (0.9f + 0.1f * b), 0.248f * h, -0.006f * h));
        const int a = armJoint(side);
        j[a] = MatrixMultiply(arm, j[JOINT_SPINE]);
        j[a + 1] = MatrixMultiply(local({0, -0.17f * h, 0}, -pose(p, POSE_ELBOW_BEND, side), 0, 0), j[a]);
        j[a + 2] = MatrixMultiply(local({0, -0.15f * h, 0}, -pose(p, POSE_WRIST_BEND, side), 0, 0), j[a + 1]);

        const int t = thighJoint(side);
        const float hip = pose(p, POSE_HIP_PITCH, side), spread = pose(p, POSE_LEG_SPREAD, side);
        const float knee = pose(p, POSE_KNEE_BEND, side);
        j[t] = MatrixMultiply(local({s * 0.056f * h, -0.02f * h, 0}, -hip, 0, s * spread), j[JOINT_PELVIS]);
        j[t + 1] = MatrixMultiply(local({0, -0.245f * h, 0}, knee, 0, 0), j[t]);
        j[t + 2] = MatrixMultiply(
            local({0, -0.235f * h, 0}, hip - knee + pose(p, POSE_ANKLE_PITCH, side), 0, -s * spread), j[t + 1]);
    }

    float lift = 0.0f;
    if (ground) {
        float lowest = origin(j[JOINT_PELVIS]).y - 0.11f * h;
        for (int side = 0; side < 2; ++side) {
            const Matrix& foot = j[footJoint(side)];
            lowest = std::fmin(lowest, Vector3Transform({0, -0.041f * h, 0.085f * h}, foot).y);
            lowest = std::fmin(lowest, Vector3Transform({0, -0.041f * h, -0.03f * h}, foot).y);
            lowest = std::fmin(lowest, origin(j[thighJoint(side) + 1]).y - 0.05f * h);
        }
        lift = -lowest;
    }
    const Matrix place = MatrixTranslate(root.x, root.y + lift, root.z);
    for (int i = 0; i < JOINT_COUNT; ++i) j[i] = MatrixMultiply(j[i], place);
    out.groundLift = lift;
}

Vector3 handPosition(const Skeleton& s, int side) {
    const Matrix& m = s.joints[handJoint(side)];
    return Vector3Subtract(origin(m), Vector3Scale(axisY(m), 0.09f));
}

Vector3 headPosition(const Skeleton& s) { return Vector3Transform({0, 0.22f, 0}, s.joints[JOINT_HEAD]); }

Vector3 chestPoint(const Skeleton& s) { return Vector3Transform({0, 0.18f, 0.12f}, s.joints[JOINT_SPINE]); }

Matrix headMatrix(const Skeleton& s, const CharacterModel* model) {
    const float h = modelHeight(model);
    Matrix m = s.joints[JOINT_HEAD];
    const Vector3 shift = Vector3Add(Vector3Scale(axisY(m), 0.052f * h), Vector3Scale(axisZ(m), 0.008f * h));
    m.m12 += shift.x;
    m.m13 += shift.y;
    m.m14 += shift.z;
    return m;
}
