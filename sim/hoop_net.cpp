// Hoop nets: the simulation of the rim's tilt and the 7 x 14 net nodes. Each
// node is pulled toward its rest point by a damped spring and pushed out of
// the ball's way; nodes do not pull on each other, so the mesh keeps its
// shape from the rest points alone. Stepped in the match's fixed ticks.
#include "sim/hoop_net.h"

#include <cmath>
#include <cstring>
#include <raylib.h>
#include <xmmintrin.h>

#include "sim/court_geometry.h"
#include "sim/vector_lanes.h"

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
constexpr float kBallClearSquared = 2.0f * kPushReachSquared; // the ball is far from a net at rest
// A node within these of its rest point and of standing still is put on it
// and stopped: a spring in floats never settles by itself (rounding keeps it
// wobbling by about a micrometre), and a net at rest is not stepped at all.
// The rim's tilt settles the same way, in radians.
constexpr float kSettledDistance = 1e-4f; // m
constexpr float kSettledSpeed = 1e-3f;    // m/s

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

// One axis of four nodes' springs, semi-implicit (velocity first, then
// position), each lane on its own node. Returns the lanes that are settled
// on this axis.
__m128 springLanes(__m128& pos, __m128& vel, __m128 target, __m128 dt) {
    const __m128 pull = _mm_mul_ps(_mm_sub_ps(target, pos), _mm_set1_ps(kNodeStiffness));
    vel = _mm_add_ps(vel, _mm_mul_ps(_mm_sub_ps(pull, _mm_mul_ps(vel, _mm_set1_ps(kNodeDamping))), dt));
    pos = _mm_add_ps(pos, _mm_mul_ps(vel, dt));
    const __m128 sign = _mm_set1_ps(-0.0f);
    return _mm_and_ps(_mm_cmplt_ps(_mm_andnot_ps(sign, vel), _mm_set1_ps(kSettledSpeed)),
                      _mm_cmplt_ps(_mm_andnot_ps(sign, _mm_sub_ps(pos, target)), _mm_set1_ps(kSettledDistance)));
}

// Settled lanes take the target and no velocity.
void settle(__m128 still, __m128& pos, __m128& vel, __m128 target) {
    vel = _mm_andnot_ps(still, vel);
    pos = _mm_or_ps(_mm_and_ps(still, target), _mm_andnot_ps(still, pos));
}

// Four nodes side by side (the rows below the rim, taken in order); the few
// the ball reaches are pushed one by one afterwards. drop: each node's row's.
void stepFourNodes(Vector3* pos, Vector3* vel, const Vector3* rest, __m128 drop, float dt, Vector3 ball,
                   Vector3 ballVel) {
    __m128 px, py, pz, vx, vy, vz, tx, ty, tz;
    loadFour(pos, px, py, pz);
    loadFour(vel, vx, vy, vz);
    loadFour(rest, tx, ty, tz);
    ty = _mm_sub_ps(ty, drop);
    const __m128 step = _mm_set1_ps(dt);
    const __m128 still =
        _mm_and_ps(_mm_and_ps(springLanes(px, vx, tx, step), springLanes(py, vy, ty, step)),
                   springLanes(pz, vz, tz, step)); // the whole node is settled
    settle(still, px, vx, tx);
    settle(still, py, vy, ty);
    settle(still, pz, vz, tz);
    const __m128 dx = _mm_sub_ps(px, _mm_set1_ps(ball.x)), dy = _mm_sub_ps(py, _mm_set1_ps(ball.y));
    const __m128 dz = _mm_sub_ps(pz, _mm_set1_ps(ball.z));
    const __m128 lengthSquared = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
    const int reached = _mm_movemask_ps(_mm_cmple_ps(lengthSquared, _mm_set1_ps(kPushReachSquared)));
    storeFour(&pos->x, px, py, pz);
    storeFour(&vel->x, vx, vy, vz);
    for (int i = 0; i < 4; ++i)
        if (reached & (1 << i)) pushOutOfBall(pos[i], vel[i], ball, ballVel);
}

// A net at rest (the rim level and still, every node exactly on its rest
// point with no velocity, to the bit) with the ball well clear of it: a step
// would leave every bit as it is, so it is skipped.
bool restsUntouched(const HoopNet& net, Vector3 ball) {
    static const HoopNet still = [] {
        HoopNet n;
        initNet(n);
        return n;
    }();
    if (std::memcmp(&net.rimAngle, &still.rimAngle, sizeof(float)) != 0 ||
        std::memcmp(&net.rimVel, &still.rimVel, sizeof(float)) != 0)
        return false;
    // The rest shape lies inside the rim's radius, between the rim and the net's bottom.
    const float away = std::sqrt(ball.x * ball.x + ball.z * ball.z) - kTopRadius;
    const float above = ball.y - kTopY, below = kTopY - kNetLength - ball.y;
    const float h = std::fmax(away, 0.0f), v = std::fmax(std::fmax(above, below), 0.0f);
    if (h * h + v * v <= kBallClearSquared) return false;
    return std::memcmp(net.pos, still.pos, sizeof net.pos) == 0 && std::memcmp(net.vel, still.vel, sizeof net.vel) == 0;
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
    if (restsUntouched(net, ball)) return; // most steps of a net between shots
    net.rimVel += (-kRimStiffness * net.rimAngle - kRimDamping * net.rimVel) * dt;
    net.rimAngle += net.rimVel * dt;
    net.rimAngle = std::fmax(kRimMinAngle, std::fmin(net.rimAngle, kRimMaxAngle));
    if (std::fabs(net.rimVel) < kSettledSpeed && std::fabs(net.rimAngle) < kSettledDistance)
        net.rimVel = net.rimAngle = 0;
    const float tilt = std::sin(net.rimAngle);

    const RestShape& shape = restShape();
    for (int c = 0; c < kNetColumns; ++c) {
        const Vector3 rest = shape.p[0][c];
        net.pos[0][c] = {rest.x, topRingY(rest.z, tilt), rest.z};
    }
    // A tilted rim drags the net down, most at the top.
    float drop[kNetRows];
    for (int r = 1; r < kNetRows; ++r) drop[r] = tilt * kRimDrag * (1.0f - r / 7.0f);
    constexpr int kLower = kNetColumns * (kNetRows - 1); // the nodes below the rim, row by row
    static_assert(kLower % 4 == 0);
    Vector3* pos = &net.pos[1][0];
    Vector3* vel = &net.vel[1][0];
    const Vector3* rest = &shape.p[1][0];
    for (int n = 0; n < kLower; n += 4) {
        auto dropOf = [&](int k) { return drop[1 + (n + k) / kNetColumns]; };
        const __m128 drops = _mm_setr_ps(dropOf(0), dropOf(1), dropOf(2), dropOf(3));
        stepFourNodes(pos + n, vel + n, rest + n, drops, dt, ball, ballVel);
    }
}
