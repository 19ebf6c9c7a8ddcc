// Hoop nets: the simulation of the rim's tilt and the 7 x 14 net nodes. Each
// node is pulled toward its rest point by a damped spring and pushed out of
// the ball's way; nodes do not pull on each other, so the mesh keeps its
// shape from the rest points alone. Stepped in the match's fixed ticks.
#include "sim/hoop_net.h"

#include <cmath>
#include <raylib.h>

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

// One axis of a node's spring, semi-implicit: velocity first, then position.
void springAxis(float& pos, float& vel, float target, float dt) {
    vel += ((target - pos) * kNodeStiffness - vel * kNodeDamping) * dt;
    pos += vel * dt;
}

void pushOutOfBall(Vector3& pos, Vector3& vel, Vector3 ball, Vector3 ballVel) {
    const Vector3 d = {pos.x - ball.x, pos.y - ball.y, pos.z - ball.z};
    const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (!(len > kBallPushMin) || len >= kBallPushRadius) return;
    const float k = kBallPushRadius / len;
    pos = {ball.x + d.x * k, ball.y + d.y * k, ball.z + d.z * k};
    vel = {ballVel.x * kBallVelocityShare + vel.x * kNodeVelocityKeep,
           ballVel.y * kBallVelocityShare + vel.y * kNodeVelocityKeep,
           ballVel.z * kBallVelocityShare + vel.z * kNodeVelocityKeep};
}

} // namespace

Vector3 netRestPoint(const HoopNet& net, int row, int column) {
    const float t = row / 6.0f;
    const float radius = kTopRadius - kNarrowing * std::pow(t, kNarrowingPower);
    const float angle = (column + 0.5f * (row % 2)) * 2.0f * PI / kNetColumns;
    Vector3 p = {std::sin(angle) * radius, kTopY - kNetLength * t, std::cos(angle) * radius};
    if (row == 0) p.y = kTopY - (p.z + kRimRadius) * std::sin(net.rimAngle);
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
    const float tilt = std::sin(net.rimAngle);

    for (int c = 0; c < kNetColumns; ++c) net.pos[0][c] = netRestPoint(net, 0, c);
    for (int r = 1; r < kNetRows; ++r)
        for (int c = 0; c < kNetColumns; ++c) {
            const Vector3 rest = netRestPoint(net, r, c);
            const float targetY = rest.y - tilt * kRimDrag * (1.0f - r / 7.0f);
            Vector3& pos = net.pos[r][c];
            Vector3& vel = net.vel[r][c];
            springAxis(pos.x, vel.x, rest.x, dt);
            springAxis(pos.y, vel.y, targetY, dt);
            springAxis(pos.z, vel.z, rest.z, dt);
            pushOutOfBall(pos, vel, ball, ballVel);
        }
}
