// animatePlayers: pose, stride, head and skeleton of every present player,
// then the held ball in the holder's hands. Runs once per frame after the
// ticks; with the rules it decides the hand points that the state hash covers.
#include "characters/animation.h"

#include <algorithm>
#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "characters/action_poses.h"
#include "characters/pose_generators.h"
#include "sim/court_geometry.h"
#include "sim/match_state.h"
#include "sim/sim_math.h"

namespace {

constexpr float kTwoPi = 2.0f * PI;
constexpr float kHeadTurnLimit = 0.9f;
constexpr float kLocalHeadPitchMin = -0.55f, kLocalHeadPitchMax = 0.6f;
constexpr float kGroundedHeight = 0.01f;
constexpr float kTeleportSpeed = 30.0f;
constexpr float kStillSpin = 0.001f;
constexpr float kDribbleSpin = 9.0f;


void advanceRunPhase(Player& p, const PlayerMotion& m, float dt) {
    if (!isLocomotionState(p.action)) return;
    p.runPhase += dt * m.speed * kTwoPi / (1.3f * std::fmin(m.fraction, 1.0f) + 1.4f);
}

void aimHead(const MatchState& s, const Player& p, Pose& target) {
    if (p.action == ACT_MOVE || p.action == ACT_LANDING) {
        const float toBall = std::atan2(s.ball.pos.x - p.pos.x, s.ball.pos.z - p.pos.z);
        target.v[POSE_HEAD_YAW] = std::clamp(wrapAngle(toBall - p.yaw), -kHeadTurnLimit, kHeadTurnLimit);
    }
    // The local player's own body follows the first-person camera.
    if (p.index == s.localIndex && !s.online && p.action != ACT_KNOCKED_DOWN) {
        target.v[POSE_HEAD_YAW] = 0.0f;
        target.v[POSE_HEAD_PITCH] = std::clamp(-0.8f * s.eyePitch, kLocalHeadPitchMin, kLocalHeadPitchMax);
    }
}

void animatePlayer(const MatchState& s, Player& p, float dt) {
    const PlayerMotion motion = playerMotion(p);
    advanceRunPhase(p, motion, dt);
    Pose target;
    const float rate = actionTargetPose(s, p, motion, target);
    aimHead(s, p, target);
    lerpPose(p.pose, p.pose, target, 1.0f - std::exp(-rate * dt));
    const bool grounded = !p.airborne && p.rootHeight <= kGroundedHeight;
    poseSkeleton(p.skeleton, p.measures, p.pose, {p.pos.x, p.rootHeight, p.pos.z}, p.yaw, grounded);
}

// The dribble: between the floor spot ahead of the ball hand and the hand.
Vector3 dribblePoint(const Player& h, Vector3 forward, Vector3 left, BallState& ball) {
    const float r = std::fmin(playerMotion(h).fraction, 1.0f);
    Vector3 floor;
    if (h.action == ACT_DRIBBLE_MOVE && h.moveKind == 0) { // crossover: in front, between the hands
        floor = Vector3Add(h.pos, Vector3Scale(forward, 0.35f));
    } else {
        const float ahead = 0.32f + 0.35f * r, aside = h.ballHand ? -0.25f : 0.25f;
        floor = Vector3Add(h.pos, Vector3Add(Vector3Scale(forward, ahead), Vector3Scale(left, aside)));
        floor = Vector3Add(floor, Vector3Scale(h.vel, 0.1f));
    }
    Vector3 hand = handPosition(h.skeleton, h.ballHand ? 1 : 0);
    hand.y -= 0.136f;
    const float c = std::fabs(std::cos(PI * (h.dribblePhase - std::floor(h.dribblePhase))));
    ball.spin = Vector3Scale(left, kDribbleSpin);
    return {floor.x + (hand.x - floor.x) * c, kBallRadius + (hand.y - kBallRadius) * c,
            floor.z + (hand.z - floor.z) * c};
}

Vector3 heldBallPoint(const MatchState& s, const Player& h, BallState& ball) {
    const Vector3 a = handPosition(h.skeleton, 0), b = handPosition(h.skeleton, 1);
    const Vector3 mid = Vector3Scale(Vector3Add(a, b), 0.5f);
    const float sinYaw = std::sin(h.yaw), cosYaw = std::cos(h.yaw);
    const Vector3 forward = {sinYaw, 0, cosYaw};
    const Vector3 left = {cosYaw, 0, -sinYaw};
    switch (h.action) {
    case ACT_JUMP_SHOT:
        if (!hasTakenOff(h)) return Vector3Add(mid, Vector3Scale(forward, 0.1f));
        return Vector3Add(Vector3Add(b, Vector3Scale(forward, 0.05f)), {0, 0.151f, 0});
    case ACT_FINISH:
        if (!hasTakenOff(h)) return Vector3Add(mid, Vector3Scale(forward, 0.08f));
        return Vector3Add(b, {0, kBallRadius, 0});
    case ACT_DUNK:
        if (h.dunkVariant == 1 || h.dunkVariant == 2) return Vector3Add(b, {0, 0.1f, 0});
        return Vector3Add(mid, {0, 0.06f, 0});
    case ACT_ALLEY_OOP: return Vector3Add(mid, {0, 0.06f, 0});
    case ACT_MOVE:
    case ACT_DRIBBLE_MOVE:
        if (s.phase == PHASE_LIVE) return dribblePoint(h, forward, left, ball);
        break;
    default: break;
    }
    return Vector3Add(mid, Vector3Scale(forward, 0.1f));
}

// Turns the orientation by |spin| dt about the spin axis.
void advanceSpin(BallState& ball, float dt) {
    const float rate = Vector3Length(ball.spin);
    if (rate <= kStillSpin) return;
    const Quaternion turn = QuaternionFromAxisAngle(Vector3Scale(ball.spin, 1.0f / rate), rate * dt);
    ball.spinRot = QuaternionNormalize(QuaternionMultiply(turn, ball.spinRot));
}

void placeHeldBall(MatchState& s, float dt) {
    BallState& ball = s.ball;
    if (ball.phase != BALL_HELD || ball.holder < 0 || ball.holder > 3) return;
    const Vector3 target = heldBallPoint(s, s.players[ball.holder], ball);
    Vector3 vel = {0, 0, 0};
    if (dt > 0) {
        vel = Vector3Scale(Vector3Subtract(target, ball.pos), 1.0f / dt);
        if (Vector3Length(vel) > kTeleportSpeed) vel = {0, 0, 0};
    }
    ball.vel = vel;
    ball.pos = target;
    advanceSpin(ball, dt);
}

} // namespace

void animatePlayers(MatchState& s, float dt) {
    animationClock = s.online ? s.clock : s.frontEndClock;
    for (Player& p : s.players)
        if (p.present) animatePlayer(s, p, dt);
    placeHeldBall(s, dt);
}
