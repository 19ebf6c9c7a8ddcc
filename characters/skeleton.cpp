// Skeleton posing: translation first, then the listed rotations about the
// joint's own axes, parent before child. Matrices are raylib's; composing
// "a then b" is MatrixMultiply(a, b).
#include "characters/skeleton.h"

#include <cmath>
#include <cstddef>
#include <raylib.h>
#include <raymath.h>
#include <xmmintrin.h>

namespace {

constexpr float kThigh = 0.245f; // x height
constexpr float kShin = 0.235f;  // x height

// Posing composes some fifty matrices per skeleton, and the state hash covers
// the posed hands, so every product here is raylib's MatrixMultiply to the
// last bit: each element is the same four products summed left to right. The
// matrices stay in registers as their memory blocks (m0 m4 m8 m12)
// (m1 m5 m9 m13) (m2 m6 m10 m14); block k of l x r is l's blocks weighted by
// the four elements of r's block k. The fourth block (m3 m7 m11 m15) of every
// matrix here is (+0, +0, +0, 1), and so is that of each product, bit for bit:
// it is not kept, and its share of a product's other blocks, (+0, +0, +0, 1)
// times r's fourth element, is added as before. The helpers are forced
// inline and their loops unrolled, so the blocks stay in registers.
static_assert(sizeof(Matrix) == 16 * sizeof(float) && offsetof(Matrix, m1) == 4 * sizeof(float));

struct Blocks {
    __m128 b[3];
};

[[gnu::always_inline]] inline __m128 lanes(float a, float b, float c, float d) { return _mm_setr_ps(a, b, c, d); }
template <int J> [[gnu::always_inline]] inline __m128 splat(__m128 v) {
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(J, J, J, J));
}

[[gnu::always_inline]] inline Blocks compose(const Blocks& l, const Blocks& r) {
    const __m128 lastBlock = lanes(0, 0, 0, 1);
    Blocks out;
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
        const __m128 w = r.b[k];
        __m128 sum = _mm_mul_ps(l.b[0], splat<0>(w));
        sum = _mm_add_ps(sum, _mm_mul_ps(l.b[1], splat<1>(w)));
        sum = _mm_add_ps(sum, _mm_mul_ps(l.b[2], splat<2>(w)));
        sum = _mm_add_ps(sum, _mm_mul_ps(lastBlock, splat<3>(w)));
        out.b[k] = sum;
    }
    return out;
}

[[gnu::always_inline]] inline Matrix store(const Blocks& m) {
    Matrix out;
    float* f = &out.m0;
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) _mm_storeu_ps(f + 4 * k, m.b[k]);
    _mm_storeu_ps(f + 12, lanes(0, 0, 0, 1));
    return out;
}

// raylib's cos and sin of a rotation; a zero angle (most joints turn about
// one axis only) gives them without the trigonometry: cos 0 = 1, sin(+-0) = +-0.
struct Turn {
    float c, s;
};
[[gnu::always_inline]] inline Turn turn(float a) { return a == 0 ? Turn{1.0f, a} : Turn{std::cos(a), std::sin(a)}; }

// MatrixRotateX, MatrixRotateY, MatrixRotateZ and MatrixTranslate.
[[gnu::always_inline]] inline Blocks rotateX(float a) {
    const Turn t = turn(a);
    return {{lanes(1, 0, 0, 0), lanes(0, t.c, -t.s, 0), lanes(0, t.s, t.c, 0)}};
}
[[gnu::always_inline]] inline Blocks rotateY(float a) {
    const Turn t = turn(a);
    return {{lanes(t.c, 0, t.s, 0), lanes(0, 1, 0, 0), lanes(-t.s, 0, t.c, 0)}};
}
[[gnu::always_inline]] inline Blocks rotateZ(float a) {
    const Turn t = turn(a);
    return {{lanes(t.c, -t.s, 0, 0), lanes(t.s, t.c, 0, 0), lanes(0, 0, 1, 0)}};
}
[[gnu::always_inline]] inline Blocks translate(float x, float y, float z) {
    return {{lanes(1, 0, 0, x), lanes(0, 1, 0, y), lanes(0, 0, 1, z)}};
}

// Local transform: T(t) then RotX(rx), RotY(ry), RotZ(rz) about the moved axes.
[[gnu::always_inline]] inline Blocks local(Vector3 t, float rx, float ry, float rz) {
    Blocks m = rotateZ(rz);
    m = compose(m, rotateY(ry));
    m = compose(m, rotateX(rx));
    return compose(m, translate(t.x, t.y, t.z));
}

// The same for a joint that turns about x only: RotZ(0) RotY(0) is the same
// product every time, so it is made once.
[[gnu::always_inline]] inline Blocks localX(Vector3 t, float rx) {
    static const Blocks noTurn = compose(rotateZ(0), rotateY(0));
    return compose(compose(noTurn, rotateX(rx)), translate(t.x, t.y, t.z));
}

Vector3 origin(const Matrix& m) { return {m.m12, m.m13, m.m14}; }
Vector3 axisY(const Matrix& m) { return Vector3Normalize({m.m4, m.m5, m.m6}); }
Vector3 axisZ(const Matrix& m) { return Vector3Normalize({m.m8, m.m9, m.m10}); }

float pose(const Pose& p, int field, int side = 0) { return p.v[field + side]; }

} // namespace

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

void poseSkeleton(Skeleton& out, BodyMeasures body, const Pose& p, Vector3 root, float yaw, bool ground) {
    const float h = body.height;
    const float b = body.build;
    Matrix* j = out.joints;

    const Blocks pelvis = compose(compose(rotateY(0.3f * pose(p, POSE_TRUNK_TWIST)),
                                          translate(0, 0.52f * h - pose(p, POSE_PELVIS_DROP), 0)),
                                  rotateY(yaw));
    const Blocks spine = compose(local({0, 0.06f * h, 0}, pose(p, POSE_TRUNK_PITCH), 0.7f * pose(p, POSE_TRUNK_TWIST),
                                       pose(p, POSE_TRUNK_ROLL)),
                                 pelvis);
    const Blocks neck = compose(localX({0, 0.272f * h, -0.004f * h}, 0.35f * pose(p, POSE_HEAD_PITCH)), spine);
    // Head: RotY(headYaw) before RotX, so compose it by hand.
    Blocks head = compose(rotateX(0.65f * pose(p, POSE_HEAD_PITCH)), rotateY(pose(p, POSE_HEAD_YAW)));
    head = compose(compose(head, translate(0, 0.024f * h, 0)), neck);
    Blocks world[JOINT_COUNT];
    world[JOINT_PELVIS] = pelvis;
    world[JOINT_SPINE] = spine;
    world[JOINT_NECK] = neck;
    world[JOINT_HEAD] = head;

    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        // Upper arm: RotX, RotZ, RotY in that order.
        Blocks arm = compose(rotateY(s * pose(p, POSE_SHOULDER_TWIST, side)),
                             rotateZ(s * pose(p, POSE_SHOULDER_RAISE, side)));
        arm = compose(arm, rotateX(-pose(p, POSE_SHOULDER_PITCH, side)));
        arm = compose(arm, translate(s * 0.108f * h * (0.9f + 0.1f * b), 0.248f * h, -0.006f * h));
        const int a = armJoint(side);
        world[a] = compose(arm, spine);
        world[a + 1] = compose(localX({0, -0.17f * h, 0}, -pose(p, POSE_ELBOW_BEND, side)), world[a]);
        world[a + 2] = compose(localX({0, -0.15f * h, 0}, -pose(p, POSE_WRIST_BEND, side)), world[a + 1]);

        const int t = thighJoint(side);
        const float hip = pose(p, POSE_HIP_PITCH, side), spread = pose(p, POSE_LEG_SPREAD, side);
        const float knee = pose(p, POSE_KNEE_BEND, side);
        world[t] = compose(local({s * 0.056f * h, -0.02f * h, 0}, -hip, 0, s * spread), pelvis);
        world[t + 1] = compose(localX({0, -0.245f * h, 0}, knee), world[t]);
        world[t + 2] = compose(local({0, -0.235f * h, 0}, hip - knee + pose(p, POSE_ANKLE_PITCH, side), 0, -s * spread),
                               world[t + 1]);
    }
    float lift = 0.0f;
    if (ground) {
        float lowest = origin(store(pelvis)).y - 0.11f * h;
        for (int side = 0; side < 2; ++side) {
            const Matrix foot = store(world[footJoint(side)]);
            lowest = std::fmin(lowest, Vector3Transform({0, -0.041f * h, 0.085f * h}, foot).y);
            lowest = std::fmin(lowest, Vector3Transform({0, -0.041f * h, -0.03f * h}, foot).y);
            lowest = std::fmin(lowest, origin(store(world[thighJoint(side) + 1])).y - 0.05f * h);
        }
        lift = -lowest;
    }
    const Blocks place = translate(root.x, root.y + lift, root.z);
    for (int i = 0; i < JOINT_COUNT; ++i) j[i] = store(compose(world[i], place));
    out.groundLift = lift;
}

Vector3 handPosition(const Skeleton& s, int side) {
    const Matrix& m = s.joints[handJoint(side)];
    return Vector3Subtract(origin(m), Vector3Scale(axisY(m), 0.09f));
}

Vector3 headPosition(const Skeleton& s) { return Vector3Transform({0, 0.22f, 0}, s.joints[JOINT_HEAD]); }

Vector3 chestPoint(const Skeleton& s) { return Vector3Transform({0, 0.18f, 0.12f}, s.joints[JOINT_SPINE]); }

Matrix headMatrix(const Skeleton& s, float h) {
    Matrix m = s.joints[JOINT_HEAD];
    const Vector3 shift = Vector3Add(Vector3Scale(axisY(m), 0.052f * h), Vector3Scale(axisZ(m), 0.008f * h));
    m.m12 += shift.x;
    m.m13 += shift.y;
    m.m14 += shift.z;
    return m;
}
