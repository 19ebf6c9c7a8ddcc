// Hoop nets: the simulation of the rim's tilt and the 7 x 14 net nodes. Each
// node is pulled toward its rest point by a damped spring and pushed out of
// the ball's way; nodes do not pull on each other, so the mesh keeps its
// shape from the rest points alone. Stepped in the match's fixed ticks.
#include "sim/hoop_net.h"

#include <cmath>
#include <raylib.h>
#include <xmmintrin.h>

#include "sim/court_geometry.h"

namespace {

constexpr float kTopRadius = 0.2246f;
constexpr float kNarrowing = 0.0996f;
constexpr float kNarrowingPower = 0.85f;
constexpr float kTopY = 3.038f;
constexpr float kNetLength = 0.43f;

constexpr float kRimStiffness = 260.0f;
constexpr float kRimDamping = 9.0f;
constexpr float kRimMinAngle = -0.05f;
constexpr float kRimMaxAngle = 0.35f;
constexpr float kRimDrag = 0.3f;

constexpr float kNodeStiffness = 110.0f;
constexpr float kNodeDamping = 7.0f;
constexpr float kBallPushRadius = 0.133f;
constexpr float kBallPushMin = 0.00001f;
constexpr float kBallVelocityShare = 0.55f;
constexpr float kNodeVelocityKeep = 0.4f;
constexpr float kPushReachSquared = 1.01f * kBallPushRadius * kBallPushRadius; // a margin over the exact test
// Below this a motion moves nothing (a node's coordinates are tenths of a
// metre): a spring at rest is settled instead of decaying into subnormal
// numbers that never reach zero and make every later step slow.
constexpr float kSettled = 1e-20f;

// The rest shape, without the tilt of the top ring: computed once.
struct RestShape {
    Vector3 p[kNetRows][kNetColumns];
};

const RestShape& restShape() {
    static const RestShape shape = [] {
        RestShape s;
        for (int r = 0; r < kNetRows; ++r)
            for (int c = 0; c < kNetColumns; ++c) {
                const float t = r / 6.0f;
                const float radius = kTopRadius - kNarrowing * std::pow(t, kNarrowingPower);
                const float angle = (c + 0.5f * (r % 2)) * 2.0f * PI / kNetColumns;
                s.p[r][c] = {std::sin(angle) * radius, kTopY - kNetLength * t, std::cos(angle) * radius};
            }
        return s;
    }();
    return shape;
}

// The top ring hangs on the rim, which tilts about its back edge.
float topRingY(float z, float tilt) { return kTopY - (z + kRimRadius) * tilt; }

// One axis of a node's spring, semi-implicit: velocity first, then position.
void springAxis(float& pos, float& vel, float target, float dt) {
    vel += ((target - pos) * kNodeStiffness - vel * kNodeDamping) * dt;
    pos += vel * dt;
    if (std::fabs(vel) < kSettled && std::fabs(pos - target) < kSettled) {
        vel = 0;
        pos = target;
    }
}

void pushOutOfBall(Vector3& pos, Vector3& vel, Vector3 ball, Vector3 ballVel) {
    const Vector3 d = {pos.x - ball.x, pos.y - ball.y, pos.z - ball.z};
    const float lengthSquared = d.x * d.x + d.y * d.y + d.z * d.z;
    if (lengthSquared > kPushReachSquared) return; // clearly out of reach: no square root
    const float len = std::sqrt(lengthSquared);
    if (!(len > kBallPushMin) || len >= kBallPushRadius) return;
    const float k = kBallPushRadius / len;
    pos = {ball.x + d.x * k, ball.y + d.y * k, ball.z + d.z * k};
    vel = {ballVel.x * kBallVelocityShare + vel.x * kNodeVelocityKeep,
           ballVel.y * kBallVelocityShare + vel.y * kNodeVelocityKeep,
           ballVel.z * kBallVelocityShare + vel.z * kNodeVelocityKeep};
}

// One node, every step of it.
void stepNode(Vector3& nodePos, Vector3& nodeVel, Vector3 target, float dt, Vector3 ball, Vector3 ballVel) {
    // Worked on in registers and stored once.
    Vector3 pos = nodePos;
    Vector3 vel = nodeVel;
    springAxis(pos.x, vel.x, target.x, dt);
    springAxis(pos.y, vel.y, target.y, dt);
    springAxis(pos.z, vel.z, target.z, dt);
    pushOutOfBall(pos, vel, ball, ballVel);
    nodePos = pos;
    nodeVel = vel;
}

// springAxis on four nodes at once, each lane with exactly the scalar steps.
void springLanes(__m128& pos, __m128& vel, __m128 target, __m128 dt) {
    const __m128 pull = _mm_mul_ps(_mm_sub_ps(target, pos), _mm_set1_ps(kNodeStiffness));
    vel = _mm_add_ps(vel, _mm_mul_ps(_mm_sub_ps(pull, _mm_mul_ps(vel, _mm_set1_ps(kNodeDamping))), dt));
    pos = _mm_add_ps(pos, _mm_mul_ps(vel, dt));
    const __m128 sign = _mm_set1_ps(-0.0f), settled = _mm_set1_ps(kSettled);
    const __m128 still = _mm_and_ps(_mm_cmplt_ps(_mm_andnot_ps(sign, vel), settled),
                                    _mm_cmplt_ps(_mm_andnot_ps(sign, _mm_sub_ps(pos, target)), settled));
    vel = _mm_andnot_ps(still, vel);
    pos = _mm_or_ps(_mm_and_ps(still, target), _mm_andnot_ps(still, pos));
}

// Four nodes of one row side by side; the few the ball reaches are pushed
// one by one afterwards.
void stepFourNodes(Vector3* pos, Vector3* vel, const Vector3* rest, float drop, float dt, Vector3 ball,
                   Vector3 ballVel) {
    __m128 px = _mm_setr_ps(pos[0].x, pos[1].x, pos[2].x, pos[3].x);
    __m128 py = _mm_setr_ps(pos[0].y, pos[1].y, pos[2].y, pos[3].y);
    __m128 pz = _mm_setr_ps(pos[0].z, pos[1].z, pos[2].z, pos[3].z);
    __m128 vx = _mm_setr_ps(vel[0].x, vel[1].x, vel[2].x, vel[3].x);
    __m128 vy = _mm_setr_ps(vel[0].y, vel[1].y, vel[2].y, vel[3].y);
    __m128 vz = _mm_setr_ps(vel[0].z, vel[1].z, vel[2].z, vel[3].z);
    const __m128 tx = _mm_setr_ps(rest[0].x, rest[1].x, rest[2].x, rest[3].x);
    const __m128 ty = _mm_sub_ps(_mm_setr_ps(rest[0].y, rest[1].y, rest[2].y, rest[3].y), _mm_set1_ps(drop));
    const __m128 tz = _mm_setr_ps(rest[0].z, rest[1].z, rest[2].z, rest[3].z);
    const __m128 step = _mm_set1_ps(dt);
    springLanes(px, vx, tx, step);
    springLanes(py, vy, ty, step);
    springLanes(pz, vz, tz, step);
    const __m128 dx = _mm_sub_ps(px, _mm_set1_ps(ball.x)), dy = _mm_sub_ps(py, _mm_set1_ps(ball.y));
    const __m128 dz = _mm_sub_ps(pz, _mm_set1_ps(ball.z));
    const __m128 lengthSquared = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
    const int reached = _mm_movemask_ps(_mm_cmple_ps(lengthSquared, _mm_set1_ps(kPushReachSquared)));
    float out[6][4];
    _mm_storeu_ps(out[0], px);
    _mm_storeu_ps(out[1], py);
    _mm_storeu_ps(out[2], pz);
    _mm_storeu_ps(out[3], vx);
    _mm_storeu_ps(out[4], vy);
    _mm_storeu_ps(out[5], vz);
    for (int i = 0; i < 4; ++i) {
        pos[i] = {out[0][i], out[1][i], out[2][i]};
        vel[i] = {out[3][i], out[4][i], out[5][i]};
        if (reached & (1 << i)) pushOutOfBall(pos[i], vel[i], ball, ballVel);
    }
}

} // namespace

Vector3 netRestPoint(const HoopNet& net, int row, int column) {
    Vector3 p = restShape().p[row][column];
    if (row == 0) p.y = topRingY(p.z, std::sin(net.rimAngle));
    return p;
}

void initNet(HoopNet& net) {
    net.rimAngle = 0;
    net.rimVel = 0;
    for (int r = 0; r < kNetRows; ++r)
        for (int c = 0; c < kNetColumns; ++c) {
            net.pos[r][c] = netRestPoint(net, r, c);
            net.vel[r][c] = {0, 0, 0};
        }
}

void stepNet(HoopNet& net, float dt, Vector3 ball, Vector3 ballVel) {
    net.rimVel += (-kRimStiffness * net.rimAngle - kRimDamping * net.rimVel) * dt;
    net.rimAngle += net.rimVel * dt;
    net.rimAngle = std::fmax(kRimMinAngle, std::fmin(net.rimAngle, kRimMaxAngle));
    if (std::fabs(net.rimVel) < kSettled && std::fabs(net.rimAngle) < kSettled) net.rimVel = net.rimAngle = 0;
    const float tilt = std::sin(net.rimAngle);

    const RestShape& shape = restShape();
    for (int c = 0; c < kNetColumns; ++c) {
        const Vector3 rest = shape.p[0][c];
        net.pos[0][c] = {rest.x, topRingY(rest.z, tilt), rest.z};
    }
    for (int r = 1; r < kNetRows; ++r) {
        // A tilted rim drags the net down, most at the top.
        const float drop = tilt * kRimDrag * (1.0f - r / 7.0f);
        int c = 0;
        for (; c + 4 <= kNetColumns; c += 4)
            stepFourNodes(&net.pos[r][c], &net.vel[r][c], &shape.p[r][c], drop, dt, ball, ballVel);
        for (; c < kNetColumns; ++c) {
            const Vector3 rest = shape.p[r][c];
            stepNode(net.pos[r][c], net.vel[r][c], {rest.x, rest.y - drop, rest.z}, dt, ball, ballVel);
        }
    }
}
