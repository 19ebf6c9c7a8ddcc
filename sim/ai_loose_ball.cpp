// The CPU around a ball nobody holds: while a shot is young each player goes
// for his box-out spot near the rim; otherwise the one of each side nearer the
// ball's landing point chases it (both chase a ball rolling loose), the other
// holds back toward the top, and a player under a falling ball may jump for it.
#include "sim/ai.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai_support.h"
#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim/movement.h"

namespace {

constexpr float kEarlyShotFlight = 0.9f;
constexpr float kBoxOutRadius = 1.8f;
constexpr float kBoxOutMinZ = -0.6f;
constexpr float kPartnerEdge = 0.5f;

// Landing: where the ball comes down through catching height.
constexpr float kCatchHeight = 1.7f;
constexpr float kLookAhead = 1.2f;

constexpr float kChaseSlowRadius = 0.5f;
constexpr float kHoldSlowRadius = 1.0f;
constexpr float kHoldShare = 0.5f, kHoldPull = 0.4f, kHoldZ = 5.5f;

// Rebound jumps.
constexpr float kReboundReach = 1.2f;
constexpr float kReboundMinBallY = 2.0f;
constexpr float kReboundHeightShare = 1.3f, kReboundHeightExtra = 0.9f;
constexpr float kReboundMaxRise = 1.0f;
constexpr float kReboundChance = 0.25f;

Vector3 landingPoint(const BallState& b) {
    float t = 0;
    if (b.pos.y > kCatchHeight) {
        const float vy = b.vel.y;
        const float root = std::sqrt(std::fmax(vy * vy + 2.0f * kGravity * (b.pos.y - kCatchHeight), 0.0f));
        t = std::fmin((vy + root) / kGravity, kLookAhead);
    }
    return {b.pos.x + t * b.vel.x, 0, b.pos.z + t * b.vel.z};
}

// The partner is not clearly nearer the point (or plays no part).
bool nearerThanPartner(const Player& p, const Player& q, Vector3 point) {
    return !q.present || flatDistance(q.pos, point) + kPartnerEdge >= flatDistance(p.pos, point);
}

void maybeJumpForRebound(MatchState& s, Player& p) {
    const BallState& b = s.ball;
    const bool reboundable = b.phase == BALL_LOOSE || (b.phase == BALL_SHOT && (b.rimTouched || b.vel.y < 0));
    if (!reboundable || p.airborne || p.action != ACT_MOVE) return;
    if (flatDistance(p.pos, b.pos) > kReboundReach) return;
    const float reach = kReboundHeightShare * playerHeight(p) + kReboundHeightExtra;
    if (!(b.pos.y > kReboundMinBallY && b.pos.y < reach && b.vel.y < kReboundMaxRise)) return;
    if (matchRandomFloat(s) < kReboundChance) aiJumpAt(p, flatUnit(Vector3Subtract(b.pos, p.pos)));
}

} // namespace

void aiChaseLooseBall(MatchState& s, Player& p) {
    const BallState& b = s.ball;
    const Player& q = teammateOf(s, p);
    Vector3 point;
    bool going;
    if (b.phase == BALL_SHOT && !b.rimTouched && b.flightTime < kEarlyShotFlight) {
        point = Vector3Scale(flatUnit(p.pos), kBoxOutRadius);
        point.z = std::fmax(point.z, kBoxOutMinZ);
        going = nearerThanPartner(p, q, point);
    } else {
        point = landingPoint(b);
        going = b.phase == BALL_LOOSE || nearerThanPartner(p, q, point);
    }
    if (going) {
        steerToward(s, p, point, kChaseSlowRadius, true);
    } else {
        const float x = kHoldShare * p.pos.x;
        steerToward(s, p, {x + kHoldPull * (point.x - x), 0, kHoldZ + kHoldPull * (point.z - kHoldZ)},
                    kHoldSlowRadius, false);
    }
    faceToward(p, b.pos);
    maybeJumpForRebound(s, p);
}
