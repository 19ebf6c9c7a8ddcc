// Action starters for steals, passes, defence, jumps and jukes. Input and CPU
// decisions never change an action directly: they call these, which check
// that the action may start, set its state, timers and first push, set the
// ball up for a pass and play the action's sound.
#include "sim/starters.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/actions.h"
#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim/sim_math.h"

namespace {

// Steals.
constexpr float kHumanReach = 2.2f;
constexpr float kCpuReach = 1.8f;
constexpr float kStealFacingMin = 0.15f;
constexpr float kStealCap = 0.85f;
constexpr float kHumanStealCooldown = 0.45f;
constexpr float kCpuStealCooldown = 0.7f;
constexpr float kStealFaceRange = 2.6f;
constexpr float kLungeRange = 2.5f;
constexpr float kLungeFacing = 0.2f;
constexpr float kLungeSpeed = 1.6f;

// Passes.
constexpr float kPassStartMinY = 0.5f;
constexpr float kPassStartAbove = 1.2f;
constexpr float kChestFactor = 0.62f;
constexpr float kPassSpeed = 13.0f;
constexpr float kPassExtraTime = 0.05f;
constexpr float kPassLead = 0.85f;
constexpr float kCutLead = 0.1f;
constexpr float kPassSpin = 8.0f;
constexpr float kPassTimer = 0.45f;

// Defence.
constexpr float kLockHolderRange = 2.6f;
constexpr float kLockRange = 3.5f;
constexpr float kBlockJumpRange = 2.8f;
constexpr float kBlockPush = 1.8f;
constexpr float kExtraJump = 0.5f;

// Jumps.
constexpr float kJumpSpeed = 4.6f;
constexpr float kJumpBlockGain = 0.7f;

// Jukes.
constexpr float kJukeCooldown = 0.8f;
constexpr float kStickDeadZone = 0.15f;
constexpr float kStepBackDot = -0.55f;
constexpr float kSpinDot = 0.55f;
constexpr float kStepBackSpeed = 5.6f;
constexpr float kSpinSpeed = 5.4f;
constexpr float kCrossoverSide = 0.85f;
constexpr float kCrossoverForward = 0.4f;
constexpr float kCrossoverSpeed = 6.3f;
constexpr float kCrossoverDribble = 0.12f;

constexpr int kSneakerSound = 4;
constexpr int kPassSound = 16;

// The ball's share of the steal: held low and toward the stealer is easier.
float ballSideBonus(const MatchState& s, const Player& handler, Vector3 u) {
    const Vector3 b = flatUnit(Vector3Subtract(s.ball.pos, handler.pos));
    const float side = -flatDot(u, b);
    const float y = s.ball.pos.y;
    const float low = y < 0.35f ? 0.1f : 0.1f * (1.0f - std::fmin((y - 0.35f) / 0.7f, 1.0f));
    if (side >= 0) return 0.24f * std::fmin(side, 1.0f) + std::fmin(side + 0.4f, 1.0f) * low;
    if (side >= -0.4f) return (side + 0.4f) * low;
    return 0;
}

float handlerMomentBonus(const Player& h) {
    float bonus = 0;
    if (h.action == ACT_DRIBBLE_MOVE) bonus += (h.moveKind == 0 && h.actionTimer < 0.17f) ? 0.2f : -0.18f;
    if (h.action == ACT_JUMP_SHOT && !h.tookOff) bonus += 0.25f;
    if (h.sprinting) bonus += 0.05f;
    return bonus;
}

void jumpWithPush(Player& p, Vector3 push) {
    setAction(p, ACT_AIRBORNE);
    p.airborne = 1;
    p.vertSpeed = kJumpSpeed + kJumpBlockGain * p.ratings[RATING_BLOCK];
    p.vel = {0.5f * p.vel.x + push.x, push.y, 0.5f * p.vel.z + push.z};
}

// The player a defender's block jump goes at: the last opponent shooting or
// finishing, else the ball holder; -1 when there is neither.
int blockJumpTarget(const MatchState& s, const Player& p) {
    int target = -1;
    for (const Player& o : s.players) {
        if (!o.present || o.team == p.team) continue;
        if (o.action == ACT_JUMP_SHOT || o.action == ACT_FINISH || o.action == ACT_DUNK || o.action == ACT_ALLEY_OOP)
            target = o.index;
    }
    if (target < 0 && s.ball.phase == BALL_HELD) target = s.ball.holder;
    return target;
}

void lockOn(MatchState& s, Player& p, float dt) {
    const BallState& b = s.ball;
    if (b.phase != BALL_HELD || b.holder < 0) {
        p.stance = 0;
        return;
    }
    const Player& holder = s.players[b.holder];
    int target = b.holder;
    if (flatDistance(p.pos, holder.pos) > kLockHolderRange) {
        const bool markValid = p.matchup >= 0 && s.players[p.matchup].team != p.team;
        target = markValid ? p.matchup : b.holder;
    }
    const Player& t = s.players[target];
    const bool allowed = s.phase == PHASE_LIVE && !p.airborne && !p.sprintWanted;
    if (allowed && flatDistance(p.pos, t.pos) <= kLockRange) {
        p.stanceTime = p.stance ? p.stanceTime + dt : dt;
        p.stance = 1;
        p.faceTarget = 1;
        p.facePoint = t.pos;
    } else {
        p.stance = 0;
    }
}

void defensiveJump(MatchState& s, Player& p) {
    const int target = blockJumpTarget(s, p);
    Vector3 push = {0, 0, 0};
    if (target >= 0 && flatDistance(p.pos, s.players[target].pos) <= kBlockJumpRange) {
        push = Vector3Scale(flatUnit(Vector3Subtract(s.players[target].pos, p.pos)), kBlockPush);
        p.blockJump = 1;
        if (p.airborne) {
            p.vertSpeed += kExtraJump;
            return;
        }
    } else if (p.airborne) {
        if (p.blockJump) p.vertSpeed += kExtraJump;
        return;
    }
    jumpWithPush(p, push);
    if (p.blockJump) p.vertSpeed += kExtraJump;
}

} // namespace

float stealChance(const MatchState& s, const Player& stealer, const Player& handler) {
    const bool human = isHuman(s, stealer.index);
    const float reach = human ? kHumanReach : kCpuReach;
    const float d = flatDistance(stealer.pos, handler.pos);
    if (d > reach) return 0;
    const Vector3 u = flatUnit(Vector3Subtract(handler.pos, stealer.pos));
    const float f = flatDot(forwardOf(stealer.yaw), u);
    if (f < kStealFacingMin) return 0;

    float chance = 0.1f + 0.3f * stealer.ratings[RATING_STEAL] - 0.2f * handler.ratings[RATING_HANDLES];
    if (human) chance += 0.08f;
    chance += ballSideBonus(s, handler, u);
    chance += handlerMomentBonus(handler);
    chance *= (0.6f + 0.4f * std::fmin(f, 1.0f)) * std::fmin((reach - d) / 0.6f, 1.0f);
    if (stealer.stance) chance *= 1.1f;
    return clampf(chance, 0.0f, kStealCap);
}

float stealChanceOnHolder(const MatchState& s, const Player& stealer, const Player& p) {
    if (!p.hasBall || !holdsBall(s, p)) return 0;
    return stealChance(s, stealer, p);
}

void startSteal(MatchState& s, Player& p) {
    p.moveDecided = 0;
    setAction(p, ACT_STEAL);
    p.stealCooldown = isHuman(s, p.index) ? kHumanStealCooldown : kCpuStealCooldown;
    const BallState& b = s.ball;
    if (b.phase == BALL_HELD && b.holder >= 0) {
        const Player& h = s.players[b.holder];
        if (h.team != p.team && flatDistance(p.pos, h.pos) <= kStealFaceRange) p.yaw = yawToward(p.pos, h.pos);
    }
    const Vector3 toBall = {b.pos.x - p.pos.x, 0, b.pos.z - p.pos.z};
    p.stealSide = flatDot(toBall, leftOf(p.yaw)) < 0 ? 1 : 0;
    const Vector3 dir = flatUnit(toBall);
    if (flatLength(toBall) <= kLungeRange && flatDot(forwardOf(p.yaw), dir) > kLungeFacing) {
        p.vel.x += dir.x * kLungeSpeed;
        p.vel.z += dir.z * kLungeSpeed;
    }
    postSound(s, kSneakerSound, 0.25f, 1.1f + 0.2f * matchRandomFloat(s), 0.5f);
}

void trySteal(MatchState& s, Player& p) {
    if (p.action == ACT_MOVE && !p.airborne && p.stealCooldown <= 0) startSteal(s, p);
}

void startPass(MatchState& s, Player& passer, int receiver) {
    if (receiver < 0 || receiver > 3) return;
    const Player& r = s.players[receiver];
    BallState& b = s.ball;
    const Vector3 start =
        b.pos.y < kPassStartMinY ? Vector3{passer.pos.x, passer.pos.y + kPassStartAbove, passer.pos.z} : b.pos;
    Vector3 aim = {r.pos.x, kChestFactor * playerHeight(r) + r.rootHeight, r.pos.z};
    const float t = Vector3Distance(aim, start) / kPassSpeed + kPassExtraTime;
    float lead = kPassLead * t;
    if (r.cutting) lead += kCutLead;
    aim.x += lead * r.vel.x;
    aim.z += lead * r.vel.z;

    b.vel = Vector3Add(Vector3Scale(Vector3Subtract(aim, start), 1.0f / t), {0, 0.5f * kGravity * t, 0});
    b.phase = BALL_PASS;
    b.pos = b.prevPos = start;
    b.holder = -1;
    b.passFrom = passer.index;
    b.passTo = receiver;
    b.possessionTeam = passer.team;
    b.lastPasser = passer.index;
    b.launchTime = s.clock;
    b.flightTime = 0;
    b.interceptTried = 0;
    b.checkPass = 0;
    b.lob = 0;
    const Vector3 dir = flatUnit(b.vel);
    b.spin = {-dir.z * kPassSpin, 0, dir.x * kPassSpin};

    passer.hasBall = 0;
    setAction(passer, ACT_PASS);
    passer.passTimer = kPassTimer;
    passer.driving = 0;
    passer.yaw = yawToward(passer.pos, r.pos);
    postSound(s, kPassSound, 0.55f, 0.9f + 0.2f * matchRandomFloat(s), 0.5f);
}

void tryPass(MatchState& s, Player& passer, int receiver) {
    if (receiver < 0 || receiver > 3 || !s.players[receiver].present) return;
    if (!passer.hasBall) return;
    if (passer.action == ACT_MOVE || s.phase == PHASE_CHECK_BALL) startPass(s, passer, receiver);
}

void applyDefenseInput(MatchState& s, Player& p, const PlayerInput& in, float dt) {
    lockOn(s, p, dt);
    if (p.action != ACT_MOVE) return;
    if (!in.shootPressed) {
        if ((in.leftMousePressed || in.passPressed) && p.stealCooldown <= 0 && !p.airborne) startSteal(s, p);
        return;
    }
    defensiveJump(s, p);
}

void startJump(MatchState&, Player& p, Vector3 push) {
    if (p.airborne || p.action != ACT_MOVE) return;
    jumpWithPush(p, push);
}

void startJuke(MatchState& s, Player& p, Vector3 wanted) {
    if (!holdsBall(s, p) || p.action != ACT_MOVE || p.jukeCooldown > 0) return;
    const Vector3 f = forwardOf(p.yaw);
    const Vector3 l = leftOf(p.yaw);
    const float m = flatLength(wanted);
    const Vector3 w = flatUnit(wanted);

    setAction(p, ACT_DRIBBLE_MOVE);
    p.moveDecided = 0;
    p.jukeCooldown = kJukeCooldown;
    p.jukeStartYaw = p.yaw;
    if (m > kStickDeadZone && flatDot(w, f) < kStepBackDot) {
        p.moveKind = 2;
        p.jukeDir = Vector3Negate(f);
        p.vel = Vector3Scale(f, -kStepBackSpeed);
        p.ballHand = 1 - p.ballHand;
    } else if (p.sprinting && (m <= kStickDeadZone || flatDot(w, f) > kSpinDot)) {
        p.moveKind = 1;
        p.jukeDir = f;
        p.vel = Vector3Scale(f, kSpinSpeed);
        p.ballHand = 1 - p.ballHand;
    } else {
        p.moveKind = 0;
        float side;
        if (m > kStickDeadZone) side = flatDot(w, l) < 0 ? -kCrossoverSide : kCrossoverSide;
        else side = p.ballHand == 1 ? kCrossoverSide : -kCrossoverSide;
        p.ballHand = side < 0 ? 1 : 0;
        p.jukeDir = flatUnit(Vector3Add(Vector3Scale(l, side), Vector3Scale(f, kCrossoverForward)));
        p.vel = Vector3Scale(p.jukeDir, kCrossoverSpeed);
        p.dribblePhase = std::floor(p.dribblePhase) + kCrossoverDribble;
    }
    postSound(s, kSneakerSound, 0.5f, 1.0f + 0.25f * matchRandomFloat(s), 0.5f);
}
