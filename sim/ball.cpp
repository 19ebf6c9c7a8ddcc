// Ball flight: one tick of a ball nobody holds. Ballistic flight, the rim,
// the backboard and its support, the pole base, the net's drag, the made-shot
// test, the floor, the arena walls, then (in check ball and live play) blocks
// of jump shots, pass catches and interceptions, and loose-ball pick-ups.
// A held ball is carried by the animation; only its spin decays here.
#include "sim/ball.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/hoop_net.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim/match_driver.h"
#include "sim/scoring.h"
#include "sim/sim_math.h"

namespace {

constexpr float kRimContact = 0.132f;
constexpr float kRimRestitution = 0.55f;
constexpr float kRimTangentKeep = 0.82f;
constexpr float kRimCooldown = 0.08f;
constexpr float kMadeRadius = 0.2086f;
constexpr float kHeldSpinKeep = 0.9f;

// Net drag below the rim.
constexpr float kNetBottom = 2.6f;
constexpr float kNetDragSide = 6.0f;
constexpr float kNetDragDown = 2.2f;

// Backboard, its support and the pole base (ball centre).
constexpr float kBehindRimZ = -0.1f;
constexpr float kBoardFrontZ = -0.26f;
constexpr float kBoardBackZ = -0.431f;
constexpr float kBoardBackRest = -0.552f;
constexpr float kBoardHalfWidth = 0.9513f;
constexpr float kBoardLow = 2.8637f, kBoardHigh = 4.0063f;
constexpr float kSupportFrontZ = -0.381f;
constexpr float kSupportHalfWidth = 0.191f;
constexpr float kSupportY = 3.03f, kSupportHalfHeight = 0.151f;
constexpr float kPoleFrontZ = -2.6f, kPoleBackZ = -4.9f, kPoleFrontSide = -2.9f;
constexpr float kPoleHalfWidth = 0.9f, kPoleTop = 1.3f;

// Floor and walls.
constexpr float kFloorKeep = 0.93f;
constexpr float kFloorBounce = 0.74f;
constexpr float kFloorBounceMin = 0.6f;
constexpr float kRollingFriction = 0.8f;
constexpr float kFloorCooldown = 0.05f;
constexpr float kWallX = 12.5f, kWallBackZ = -6.5f, kWallFrontZ = 25.0f, kWallFrontZFull = 31.96f;
constexpr float kWallKeep = -0.5f;

// Out of bounds in live play.
constexpr float kOutX = 7.62f, kOutBaseline = -1.6f, kOutFront = 12.73f, kOutFrontFull = 27.06f;
constexpr float kAirBallAfter = 0.4f;

// Blocks of jump shots.
constexpr float kBlockWindow = 0.6f;
constexpr float kCpuBlockWindow = 0.45f;
constexpr float kCpuBlockReach = 0.36f, kCpuBlockJumpReach = 0.42f, kHumanBlockReach = 0.62f;
constexpr float kBlockTable[4] = {0.55f, 0.8f, 1.0f, 1.15f};
constexpr float kBlockCap = 0.92f;

// Passes.
constexpr float kChestFactor = 0.62f;
constexpr float kCatchReach = 0.8f;
constexpr float kReachingReach = 1.0f, kHelpReach = 0.88f;
constexpr float kPassLoseAfter = 1.8f;

// Pick-ups.
constexpr float kPickupReach = 0.75f;
constexpr float kReboundAfter = 0.5f, kReboundBelow = 2.8f;
constexpr float kShooterPickupAfter = 0.6f;
constexpr float kRimZoneHeight = 2.95f, kRimZoneRadius = 0.3786f;

constexpr int kBounceSound = 0, kRimSound = 1, kBoardSound = 2, kCrowdSound = 15;
constexpr Color kAirBallColor = {200, 200, 200, 255};
constexpr Color kOwnBlockColor = {120, 255, 170, 255};
constexpr Color kOtherBlockColor = {255, 90, 90, 255};

bool shotInFlight(const BallState& b) { return b.phase == BALL_SHOT; }

void bounceOffRim(MatchState& s) {
    BallState& b = s.ball;
    // The nearest point of the rim circle; (0, 3.05, 0.2286) for a ball on the axis.
    const Vector3 toward = flatUnit(b.pos);
    const Vector3 q = {toward.x * kRimRadius, kRimHeight, toward.z * kRimRadius};
    const Vector3 off = Vector3Subtract(b.pos, q);
    const float d = Vector3Length(off);
    if (!(d > 0.00001f) || d >= kRimContact) return;
    const Vector3 n = safeNormalize(off);
    b.pos = Vector3Add(q, Vector3Scale(n, kRimContact));
    const float vn = Vector3DotProduct(b.vel, n);
    if (vn >= 0) return;
    b.vel = Vector3Subtract(Vector3Scale(Vector3Subtract(b.vel, Vector3Scale(n, vn)), kRimTangentKeep),
                            Vector3Scale(n, kRimRestitution * vn));
    if (shotInFlight(b)) b.rimTouched = 1;
    if (b.ballContactCooldown > 0 || vn >= -0.4f) return;
    const float pitch = 0.95f + 0.11f * matchRandomFloat(s);
    postSound(s, kRimSound, clampf(0.25f * -vn, 0.15f, 1.0f), pitch, 0.5f);
    b.ballContactCooldown = kRimCooldown;
    if (HoopNet* net = attackedNet(s)) net->rimVel += -vn * 0.3f;
}

void bounceOffBoard(MatchState& s) {
    BallState& b = s.ball;
    Vector3& p = b.pos;
    Vector3& v = b.vel;
    if (p.z >= kBehindRimZ) return;
    if (p.z > kSupportFrontZ && std::fabs(p.x) < kSupportHalfWidth && std::fabs(p.y - kSupportY) < kSupportHalfHeight &&
        v.y < 0)
        v.y = std::fabs(v.y) * 0.4f;
    const bool onBoard = std::fabs(p.x) < kBoardHalfWidth && p.y > kBoardLow && p.y < kBoardHigh;
    if (onBoard && p.z < kBoardFrontZ && p.z > kBoardBackZ && v.z < 0) {
        p.z = kBoardFrontZ;
        v.z *= -0.58f;
        v.x *= 0.88f;
        v.y *= 0.9f;
        if (shotInFlight(b)) b.rimTouched = 1;
        if (b.ballContactCooldown <= 0) {
            postSound(s, kBoardSound, clampf(0.3f * v.z, 0.2f, 1.0f), 1.0f, 0.5f);
            b.ballContactCooldown = kRimCooldown;
        }
    } else if (onBoard && p.z <= kBoardBackZ && p.z > kBoardBackRest && v.z > 0) {
        p.z = kBoardBackRest;
        v.z *= -0.5f;
    }
    if (p.z > kPoleBackZ && p.z < kPoleFrontZ && std::fabs(p.x) < kPoleHalfWidth && p.y < kPoleTop) {
        if (v.z < 0 && p.z > kPoleFrontSide) {
            p.z = kPoleFrontZ;
            v.z *= -0.5f;
        } else if (v.y < 0) {
            p.y = kPoleTop;
            v.y *= -0.5f;
        }
    }
}

void dragThroughNet(BallState& b, float dt) {
    if (flatLength(b.pos) >= kRimRadius || b.pos.y <= kNetBottom || b.pos.y >= kRimHeight) return;
    b.vel.x *= 1.0f - kNetDragSide * dt;
    b.vel.z *= 1.0f - kNetDragSide * dt;
    b.vel.y *= 1.0f - kNetDragDown * dt;
}

// True when the shot went through the hoop this tick (and was dealt with).
bool checkMadeShot(MatchState& s) {
    BallState& b = s.ball;
    if (!shotInFlight(b) || !(b.prevPos.y >= kRimHeight && b.pos.y < kRimHeight) || b.vel.y >= 0) return false;
    const float t = (b.prevPos.y - kRimHeight) / (b.prevPos.y - b.pos.y);
    const Vector3 cross = Vector3Lerp(b.prevPos, b.pos, t);
    if (flatLength(cross) >= kMadeRadius) return false;
    if (s.phase == PHASE_LIVE) scoreMadeShot(s);
    else b.phase = BALL_DEAD;
    return true;
}

bool outOfBounds(const MatchState& s, Vector3 p) {
    return std::fabs(p.x) > kOutX || p.z < kOutBaseline || p.z > (s.fullCourt ? kOutFrontFull : kOutFront);
}

void touchFloor(MatchState& s, float dt) {
    BallState& b = s.ball;
    if (b.pos.y >= kBallRadius) return;
    b.pos.y = kBallRadius;
    if (b.vel.y < 0) {
        const float falling = -b.vel.y;
        b.vel.x *= kFloorKeep;
        b.vel.z *= kFloorKeep;
        b.vel.y = b.vel.y < -kFloorBounceMin ? -kFloorBounce * b.vel.y : 0.0f;
        b.spin = {b.vel.z / kBallRadius, 0, -b.vel.x / kBallRadius};
        if (s.ballContactCooldown2 <= 0) {
            const float pitch = 0.95f + 0.1f * matchRandomFloat(s);
            postSound(s, kBounceSound, std::fmin(0.18f * falling, 0.9f), pitch, 0.5f);
            s.ballContactCooldown2 = kFloorCooldown;
        }
    }
    if (std::fabs(b.vel.y) < 0.01f) {
        b.vel.x *= 1.0f - kRollingFriction * dt;
        b.vel.z *= 1.0f - kRollingFriction * dt;
    }
    if (b.phase == BALL_SHOT) {
        b.phase = BALL_LOOSE;
        if (!b.rimTouched && s.phase == PHASE_LIVE && b.flightTime > kAirBallAfter) {
            postCallout(s, "AIRBALL!", kAirBallColor, 54, 1.6f);
            postSound(s, kCrowdSound, 0.5f, 1.2f, 0.5f);
        }
    } else if (b.phase == BALL_PASS) {
        b.phase = BALL_LOOSE;
    }
    if (s.phase == PHASE_LIVE && b.phase == BALL_LOOSE && outOfBounds(s, b.pos))
        callDeadBall(s, 1 - b.possessionTeam, "OUT OF BOUNDS");
}

void keepInsideWalls(const MatchState& s, BallState& b) {
    if (std::fabs(b.pos.x) > kWallX) {
        b.pos.x = b.pos.x > 0 ? kWallX : -kWallX;
        b.vel.x *= kWallKeep;
    }
    const float front = s.fullCourt ? kWallFrontZFull : kWallFrontZ;
    if (b.pos.z < kWallBackZ || b.pos.z > front) {
        b.pos.z = b.pos.z < kWallBackZ ? kWallBackZ : front;
        b.vel.z *= kWallKeep;
    }
}

void turnSpin(BallState& b, float dt) {
    const float rate = Vector3Length(b.spin);
    if (rate <= 0.001f) return;
    const Quaternion step = QuaternionFromAxisAngle(safeNormalize(b.spin), rate * dt);
    b.spinRot = QuaternionNormalize(QuaternionMultiply(step, b.spinRot));
}

Vector3 higherHand(const Player& p) {
    const Vector3 a = handPosition(p.skeleton, 0), c = handPosition(p.skeleton, 1);
    return a.y >= c.y ? a : c;
}

Vector3 chestOf(const Player& p) { return {p.pos.x, p.pos.y + kChestFactor * playerHeight(p) + p.rootHeight, p.pos.z}; }

int localOrFirst(const MatchState& s) { return s.localIndex >= 0 ? s.localIndex : 0; }

void blockShot(MatchState& s, Player& blocker) {
    BallState& b = s.ball;
    b.phase = BALL_LOOSE;
    b.shotRebound = 1;
    b.possessionTeam = blocker.team;
    const Vector3 u = flatUnit(b.pos);
    const float r1 = matchRandomFloat(s);
    const float r2 = matchRandomFloat(s);
    const float r3 = matchRandomFloat(s);
    const float out = 2.5f + 2.0f * r3;
    b.vel = {u.x * out + 4.0f * r1 - 2.0f, 2.5f * r2 - 1.5f, u.z * out};
    blocker.blocks += 1;
    const bool own = s.localIndex >= 0 && s.players[s.localIndex].team == blocker.team;
    postCallout(s, own ? "REJECTED!" : "BLOCKED!", own ? kOwnBlockColor : kOtherBlockColor, 80, 1.6f);
    postSound(s, kBoardSound, 0.8f, 1.3f, 0.5f);
    postSound(s, kCrowdSound, 0.8f, 1.0f, 0.5f);
    s.excitement = std::fmin(s.excitement + 0.5f, 1.0f);
    s.cam.pendingTrauma = 0.25f;
    if (blocker.index == localOrFirst(s)) s.cam.pitch.velocity += 1.0f;
}

void tryBlocks(MatchState& s) {
    BallState& b = s.ball;
    if (!shotInFlight(b) || b.rimTouched || b.flightTime >= kBlockWindow || b.dunk) return;
    for (Player& p : s.players) {
        if (!p.present || p.team == b.shootingTeam || !p.airborne || (b.blockTried >> p.index) & 1u) continue;
        const bool human = isHuman(s, p.index);
        if (!human && b.flightTime >= kCpuBlockWindow) continue;
        const float reach = human ? kHumanBlockReach : p.blockJump ? kCpuBlockJumpReach : kCpuBlockReach;
        if (Vector3Distance(higherHand(p), b.pos) > reach) continue;
        b.blockTried |= 1u << p.index;
        float factor = human ? 1.6f : teamHasHuman(s, p.team) ? 1.15f : kBlockTable[difficultySetting(s)];
        const float chance = std::fmin((0.3f + 0.5f * p.ratings[RATING_BLOCK]) * factor, kBlockCap);
        if (chance > matchRandomFloat(s)) {
            blockShot(s, p);
            return;
        }
    }
}

float interceptChance(const MatchState& s, const Player& p) {
    float chance;
    if (isHuman(s, p.index)) chance = p.action == ACT_STEAL ? 0.75f : (p.stance || p.helpSide) ? 0.45f : 0.35f;
    else {
        chance = 0.1f + 0.38f * p.ratings[RATING_STEAL];
        if (!teamHasHuman(s, p.team)) chance *= 0.6f + 0.25f * difficultySetting(s);
    }
    if (s.ball.lob) chance *= 0.6f;
    return chance;
}

void flyPass(MatchState& s) {
    BallState& b = s.ball;
    if (b.passTo >= 0 && b.passTo < 4) {
        Player& r = s.players[b.passTo];
        const bool ready = r.present && r.action != ACT_HANG && r.action != ACT_STUMBLE;
        if (ready && !b.lob && Vector3Distance(b.pos, chestOf(r)) <= kCatchReach) {
            gainPossession(s, r, GAIN_CATCH);
            return;
        }
    }
    const int passerTeam = b.passFrom >= 0 && b.passFrom < 4 ? s.players[b.passFrom].team : b.possessionTeam;
    if (!b.checkPass) {
        for (Player& p : s.players) {
            if (!p.present || p.team == passerTeam || (b.interceptTried >> p.index) & 1) continue;
            const float reach = (p.action == ACT_STEAL || p.airborne) ? kReachingReach
                                : p.helpSide                         ? kHelpReach
                                                                     : kCatchReach;
            if (Vector3Distance(b.pos, chestOf(p)) > reach) continue;
            b.interceptTried |= 1 << p.index;
            if (interceptChance(s, p) > matchRandomFloat(s)) {
                gainPossession(s, p, GAIN_INTERCEPTION);
                return;
            }
        }
    }
    if (b.flightTime > kPassLoseAfter) b.phase = BALL_LOOSE;
}

bool reboundOpen(const BallState& b) {
    if (b.phase == BALL_LOOSE) return true;
    if (b.phase != BALL_SHOT) return false;
    if (!b.rimTouched) return b.flightTime > kReboundAfter && b.vel.y < 0 && b.pos.y < kReboundBelow;
    return !(b.pos.y > kRimZoneHeight && flatLength(b.pos) < kRimZoneRadius);
}

void pickUp(MatchState& s) {
    BallState& b = s.ball;
    if (!reboundOpen(b)) return;
    const bool freshShot = b.phase == BALL_SHOT && !b.rimTouched;
    int best = -1;
    float bestScore = 0;
    for (Player& p : s.players) {
        if (!p.present) continue;
        if (p.action == ACT_DUNK || p.action == ACT_HANG || p.action == ACT_STUMBLE || p.action == ACT_ALLEY_OOP)
            continue;
        if (freshShot && p.index == b.shooter && b.flightTime <= kShooterPickupAfter) continue;
        const float d = flatDistance(p.pos, b.pos);
        if (d > kPickupReach) continue;
        if (b.pos.y < p.rootHeight + 0.12f || b.pos.y > p.rootHeight + 1.3f * playerHeight(p)) continue;
        float score = d - 0.15f * p.ratings[RATING_BLOCK];
        if (p.airborne) score -= 0.25f;
        if (p.boxingOut) score -= 0.15f;
        score += 0.1f * matchRandomFloat(s);
        if (best < 0 || score < bestScore) {
            best = p.index;
            bestScore = score;
        }
    }
    if (best >= 0) gainPossession(s, s.players[best], GAIN_RECOVERY);
}

} // namespace

void updateBall(MatchState& s, float dt) {
    BallState& b = s.ball;
    b.ballContactCooldown -= dt;
    s.ballContactCooldown2 -= dt;
    if (b.phase == BALL_HELD) {
        b.spin = Vector3Scale(b.spin, kHeldSpinKeep);
        return;
    }
    b.prevPos = b.pos;
    b.flightTime += dt;
    b.vel.y -= kGravity * dt;
    b.pos = Vector3Add(b.pos, Vector3Scale(b.vel, dt));

    bounceOffRim(s);
    bounceOffBoard(s);
    dragThroughNet(b, dt);
    checkMadeShot(s);
    touchFloor(s, dt);
    keepInsideWalls(s, b);
    turnSpin(b, dt);

    if (s.phase != PHASE_CHECK_BALL && s.phase != PHASE_LIVE) return;
    if (b.phase == BALL_SHOT) tryBlocks(s);
    if (b.phase == BALL_PASS) flyPass(s);
    pickUp(s);
}
