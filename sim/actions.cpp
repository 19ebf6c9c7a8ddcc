// The action state machine. Every player is in exactly one ActionState; one
// tick of it runs here for every present player after all of them have been
// moved by input or CPU. Actions start only from the move state (0), through
// the starters, so a pass or a steal reach always runs its full length.
#include "sim/actions.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/contact.h"
#include "sim/court.h"
#include "sim/input_sampling.h"
#include "sim/movement.h"
#include "sim/scoring.h"
#include "sim/shot_start.h"
#include "sim/sim_math.h"
#include "sim/starters.h"

namespace {

constexpr float kHangSeconds = 0.45f;
constexpr float kHangDropSpeed = 0.5f;
constexpr float kHangPushOff = 0.9f;
constexpr float kPassSeconds = 0.3f;
constexpr float kStealSeconds = 0.42f;
constexpr float kChargeStumbleSeconds = 0.7f;
constexpr float kAnklesStumbleSeconds = 1.25f;
constexpr float kStumbleDecay = 3.0f;
constexpr float kKnockedDownDecay = 5.0f;
constexpr float kKnockedDownSeconds = 1.55f;
constexpr float kLandingSeconds = 0.16f;
constexpr float kCelebrateSeconds = 1.8f;
constexpr float kCelebrateWish = 0.3f;

// Court bounds of a player.
constexpr float kCourtHalfWidth = 7.42f;
constexpr float kCourtMinZ = -1.42f;
constexpr float kHalfCourtMaxZ = 12.53f;
constexpr float kFullCourtMaxZ = 26.86f;

constexpr int kBounceSound = 0;
constexpr float kDribbleBaseRate = 1.8f;
constexpr float kDribbleSpeedRate = 0.12f;

// Dribble moves: crossover, spin, step-back.
constexpr float kMoveSeconds[3] = {0.3f, 0.46f, 0.36f};
constexpr float kCrossoverDecay = 3.2f;
constexpr float kStepBackDecay = 6.5f;
constexpr float kSpinForward = 5.0f;
constexpr float kSpinLateral = 2.2f;
constexpr float kAnkleTestAt = 0.12f;
constexpr float kAnkleReach = 1.9f;
constexpr float kAnkleFront = 0.15f;
constexpr float kAnkleBreakTable[4] = {1.35f, 1.0f, 0.85f, 0.7f};
constexpr int kAnklesSound = 15;
constexpr Color kAnklesColor = {255, 220, 90, 255};

// Human input.
constexpr float kLobRange = 4.2f;

void updateStumble(Player& p, float dt, float decay, float seconds) {
    p.vel = Vector3Scale(p.vel, std::exp(-decay * dt));
    p.pos.x += p.vel.x * dt;
    p.pos.z += p.vel.z * dt;
    if (p.actionTimer >= seconds) setAction(p, ACT_MOVE);
}

void moveFor(MatchState& s, Player& p, float dt, float speed, float accel, float seconds) {
    updatePlayerMovement(s, p, dt, speed, accel);
    if (seconds > 0 && p.actionTimer >= seconds) setAction(p, ACT_MOVE);
}

void updateRimHang(Player& p) {
    p.vel.x = p.vel.z = 0;
    p.rootHeight = p.hangHeight;
    if (p.actionTimer < kHangSeconds) return;
    p.vertSpeed = kHangDropSpeed;
    const Vector3 away = flatUnit(p.pos);
    p.vel.x = away.x * kHangPushOff;
    p.vel.z = away.z * kHangPushOff;
    setAction(p, ACT_AIRBORNE);
}

void runState(MatchState& s, Player& p, float dt) {
    switch (p.action) {
    case ACT_MOVE: moveFor(s, p, dt, 1.0f, 1.0f, 0); break;
    case ACT_JUMP_SHOT: updateJumpShot(s, p, dt); break;
    case ACT_FINISH: updateDriveFinish(s, p, dt); break;
    case ACT_DUNK:
    case ACT_ALLEY_OOP: updateDunk(s, p, dt); break;
    case ACT_HANG: updateRimHang(p); break;
    case ACT_PASS: moveFor(s, p, dt, 0.6f, 1.0f, kPassSeconds); break;
    case ACT_STEAL:
        updatePlayerMovement(s, p, dt, 0.45f, 0.7f);
        resolveStealReach(s, p);
        if (p.action == ACT_STEAL && p.actionTimer >= kStealSeconds) setAction(p, ACT_MOVE);
        break;
    case ACT_AIRBORNE:
        if (integrateVertical(s, p, dt)) {
            p.blockJump = 0;
            setAction(p, ACT_LANDING);
        }
        break;
    case ACT_STUMBLE:
        updateStumble(p, dt, kStumbleDecay, p.stumbleKind == 1 ? kChargeStumbleSeconds : kAnklesStumbleSeconds);
        break;
    case ACT_DRIBBLE_MOVE: updateDribbleMove(s, p, dt); break;
    case ACT_LANDING: moveFor(s, p, dt, 0.5f, 0.6f, kLandingSeconds); break;
    case ACT_CELEBRATE:
        p.moveWish = Vector3Scale(p.moveWish, kCelebrateWish);
        moveFor(s, p, dt, 0.4f, 1.0f, kCelebrateSeconds);
        break;
    case ACT_KNOCKED_DOWN: updateStumble(p, dt, kKnockedDownDecay, kKnockedDownSeconds); break;
    default: break;
    }
}

void clampToCourt(const MatchState& s, Player& p) {
    const float maxZ = s.fullCourt ? kFullCourtMaxZ : kHalfCourtMaxZ;
    p.pos.x = clampf(p.pos.x, -kCourtHalfWidth, kCourtHalfWidth);
    p.pos.z = clampf(p.pos.z, kCourtMinZ, maxZ);
    p.pos.y = 0;
}

void stepDribbleSound(MatchState& s, Player& p, float dt) {
    if (!holdsBall(s, p) || s.phase != PHASE_LIVE) return;
    if (p.action != ACT_MOVE && p.action != ACT_DRIBBLE_MOVE) return;
    const float before = p.dribblePhase - std::floor(p.dribblePhase);
    p.dribblePhase += (flatLength(p.vel) * kDribbleSpeedRate + kDribbleBaseRate) * dt;
    const float after = p.dribblePhase - std::floor(p.dribblePhase);
    if (before < 0.5f && after >= 0.5f) {
        const float r1 = matchRandomFloat(s);
        const float r2 = matchRandomFloat(s);
        postSound(s, kBounceSound, 0.35f + 0.1f * r2, 0.95f + 0.13f * r1, 0.5f);
    }
}

// The camera of the person whose ankles broke lurches toward the move.
void joltBrokenAnkles(MatchState& s, const Player& mover, const Player& defender) {
    const int local = s.localIndex >= 0 ? s.localIndex : 0;
    if (defender.index != local) return;
    s.cam.roll.velocity += flatDot(mover.jukeDir, rightOf(defender.yaw)) >= 0 ? 2.2f : -2.2f;
    s.cam.pitch.velocity -= 1.2f;
    s.cam.trauma = std::fmin(s.cam.trauma + 0.35f, 1.0f);
}

float ankleBreakChance(const MatchState& s, const Player& mover, const Player& d) {
    float chance = 0.1f + 0.5f * mover.ratings[RATING_HANDLES] - 0.38f * d.ratings[RATING_DEFENSE];
    const float speed = flatLength(d.vel);
    if (speed > 2.3f && flatDot(flatUnit(d.vel), mover.jukeDir) < -0.3f) chance += 0.2f;
    if (mover.moveKind == 1) chance += 0.05f;
    else if (mover.moveKind == 2) chance -= 0.06f;
    // Two separate terms: a defender reaching in his stance gets both.
    const bool offBalance = d.offBalance > 0;
    if (d.action == ACT_STEAL || offBalance) chance += 0.22f;
    if (d.stance && !offBalance) chance -= 0.07f;
    if (!teamHasHuman(s, d.team)) chance *= kAnkleBreakTable[difficultySetting(s)];
    if (isHuman(s, d.index)) chance *= 0.6f;
    return chance;
}

void testAnkles(MatchState& s, Player& mover) {
    const Vector3 m = mover.moveKind == 1 ? mover.jukeDir : forwardOf(mover.yaw);
    for (Player& d : s.players) {
        if (!d.present || d.team == mover.team || d.airborne) continue;
        if (d.action != ACT_MOVE && d.action != ACT_STEAL) continue;
        if (flatDistance(mover.pos, d.pos) > kAnkleReach) continue;
        if (flatDot(flatUnit(Vector3Subtract(d.pos, mover.pos)), m) < kAnkleFront) continue;
        const float chance = ankleBreakChance(s, mover, d);
        if (chance <= matchRandomFloat(s)) {
            d.homeSpot.x += (d.pos.x - d.homeSpot.x) * 0.5f;
            d.homeSpot.y += (d.pos.y - d.homeSpot.y) * 0.5f;
            d.homeSpot.z += (d.pos.z - d.homeSpot.z) * 0.5f;
            continue;
        }
        d.stance = 0;
        d.stumbleKind = 0;
        setAction(d, ACT_STUMBLE);
        d.vel = Vector3Scale(mover.jukeDir, -1.5f);
        postCallout(s, "ANKLES BROKEN!", kAnklesColor, 66, 1.6f);
        postSound(s, kAnklesSound, 0.9f, 1.0f, 0.5f);
        s.excitement = std::fmin(s.excitement + 0.45f, 1.0f);
        joltBrokenAnkles(s, mover, d);
    }
}

Vector3 limitToUnit(Vector3 v) {
    const float len = flatLength(v);
    return len > 1.0f ? Vector3Scale(v, 1.0f / len) : v;
}

// A sampled input carries the stick in the court frame and the sprint
// toggle applied; an unsampled one (offline play) is turned here by the same
// helpers, with the toggle's latch kept in the player.
void applyWantedMovement(MatchState& s, Player& p, const PlayerInput& in, float dt) {
    if (in.valid) {
        p.moveWish = limitToUnit({in.worldMoveX, 0, in.worldMoveZ});
        if (in.aimWithYaw) p.yaw = in.yaw;
        p.sprintWanted = in.sprintDown;
        return;
    }
    p.moveWish = limitToUnit(stickToCourt(s, in.moveX, in.moveY));
    if (!s.sprintToggle) p.sprintWanted = in.sprintDown;
    else p.sprintWanted = stepSprintLatch(p.sprintLatched, p.idleStickTime, in.sprintPressed, flatLength(p.moveWish),
                                          p.energy, dt, false);
}

bool defending(const MatchState& s, const Player& p) {
    const BallState& b = s.ball;
    if (b.phase == BALL_HELD && b.holder >= 0) return s.players[b.holder].team != p.team;
    if (b.phase == BALL_SHOT || b.phase == BALL_LOOSE) return s.offense != p.team;
    if (b.phase == BALL_PASS) return b.possessionTeam != p.team;
    return false;
}

void actWithBall(MatchState& s, Player& p, const PlayerInput& in) {
    const Player& mate = s.players[p.index ^ 1];
    if (in.leftMousePressed || in.shootPressed) {
        if (inFinishRange(s, p)) chooseFinish(s, p);
        else startJumpShot(s, p);
    } else if ((in.rightMousePressed || in.passPressed) && mate.present) {
        startPass(s, p, mate.index);
    } else if (in.movePressed) {
        startJuke(s, p, p.moveWish);
    }
}

void actBesideHolder(MatchState& s, Player& p, Player& mate, const PlayerInput& in) {
    if (in.shootPressed) {
        const bool lob = flatLength(p.pos) < kLobRange && mate.action == ACT_MOVE && !s.mustClear;
        if (lob) throwAlleyOop(s, p);
        else startJump(s, p, {0, 0, 0});
    }
    if (in.leftMousePressed || in.rightMousePressed || in.passPressed) {
        const bool canPass = s.ball.phase == BALL_HELD && s.ball.holder == mate.index && mate.action == ACT_MOVE;
        if (canPass && mate.passTimer <= 0 && p.present) startPass(s, mate, p.index);
    }
}

} // namespace

void updatePlayerAction(MatchState& s, Player& p, float dt) {
    p.actionTimer += dt;
    runState(s, p, dt);
    if (!p.airborne && p.action != ACT_HANG) p.rootHeight = 0;
    clampToCourt(s, p);
    stepDribbleSound(s, p, dt);
}

void updateDribbleMove(MatchState& s, Player& p, float dt) {
    const float t = p.actionTimer;
    const int kind = p.moveKind >= 0 && p.moveKind <= 2 ? p.moveKind : 0;
    if (kind == 1) {
        const float u = clampf(t / kMoveSeconds[1], 0.0f, 1.0f);
        const float lateral = kSpinLateral * std::sin(PI * u);
        p.yaw = wrapAngle(p.jukeStartYaw + 2.0f * PI * (3 * u * u - 2 * u * u * u));
        p.vel = {p.jukeDir.x * kSpinForward - p.jukeDir.z * lateral, 0,
                 p.jukeDir.z * kSpinForward + p.jukeDir.x * lateral};
    } else {
        p.vel = Vector3Scale(p.vel, std::exp(-(kind == 0 ? kCrossoverDecay : kStepBackDecay) * dt));
    }
    p.pos.x += p.vel.x * dt;
    p.pos.z += p.vel.z * dt;
    if (!p.moveDecided && t >= kAnkleTestAt) {
        p.moveDecided = 1;
        testAnkles(s, p);
    }
    if (t >= kMoveSeconds[kind]) setAction(p, ACT_MOVE);
}

void applyPlayerInput(MatchState& s, Player& p, const PlayerInput& in, float dt) {
    applyWantedMovement(s, p, in, dt);
    p.shootHeld = in.shootDown ? in.shootDown : in.leftMouseDown;
    p.faceTarget = 0;

    if (defending(s, p)) {
        applyDefenseInput(s, p, in, dt);
        return;
    }
    p.stance = 0;
    if (p.action != ACT_MOVE) return;

    Player& mate = s.players[p.index ^ 1];
    const bool held = s.ball.phase == BALL_HELD && s.ball.holder >= 0;
    if (held && s.ball.holder == p.index) actWithBall(s, p, in);
    else if (held && s.ball.holder == mate.index) actBesideHolder(s, p, mate, in);
    else if (in.shootPressed) startJump(s, p, {0, 0, 0});
}
