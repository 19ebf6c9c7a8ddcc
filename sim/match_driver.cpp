// Match driver. The order of the steps inside stepMatch is binding: the
// netcode re-simulates ticks and compares state hashes.
#include "sim/match_driver.h"

#include <cmath>

#include "characters/animation.h"
#include "sim/actions.h"
#include "sim/ai.h"
#include "sim/ball.h"
#include "sim/camera.h"
#include "sim/contact.h"
#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim/match_arena.h"
#include "sim/starters.h"
#include "sim/sim_math.h"

namespace {

constexpr float kOpeningSeconds = 2.6f;
constexpr float kCheckPassAfter = 1.05f;
constexpr float kCheckSnapDistance = 1.2f;
constexpr float kCheckSnapFraction = 0.7f;
constexpr float kDeadBallPlaceAfter = 0.9f;
constexpr float kDeadBallRestartAfter = 1.9f;
constexpr float kDeadBallRestartAfterDunk = 2.3f;
constexpr float kShotClockSeconds = 24.0f;
constexpr float kZeroTickSeconds = 0.0001f;
constexpr float kClearCornerZ = 2.72f;
constexpr float kClearCornerX = 6.76f;
constexpr float kClearArc = 7.29f;
constexpr Color kCallColor = {255, 170, 80, 255};
constexpr Color kClearedColor = {120, 255, 160, 255};
constexpr int kBuzzerSound = 6;
constexpr int kWhistleSound = 7;
constexpr int kNoMusic = 0;

void stepCheckBall(MatchState& s) {
    if (s.checkPassDone || s.phaseTimer <= kCheckPassAfter) return;
    for (Player& p : s.players) {
        if (!p.present || distance3(p.pos, p.checkSpot) <= kCheckSnapDistance) continue;
        p.pos.x += (p.checkSpot.x - p.pos.x) * kCheckSnapFraction;
        p.pos.y += (p.checkSpot.y - p.pos.y) * kCheckSnapFraction;
        p.pos.z += (p.checkSpot.z - p.pos.z) * kCheckSnapFraction;
    }
    if (s.checker >= 0 && s.checkHandler >= 0) {
        Player& checker = s.players[s.checker];
        const Player& handler = s.players[s.checkHandler];
        checker.yaw = std::atan2(handler.pos.x - checker.pos.x, handler.pos.z - checker.pos.z);
        if (checker.hasBall && handler.present) startPass(s, checker, s.checkHandler);
    }
    s.ball.checkPass = 1;
    s.checkPassDone = 1;
}

void stepDeadBall(MatchState& s) {
    if (s.phaseTimer <= kDeadBallPlaceAfter) return;
    if (s.fullCourt && s.nextOffense != s.offense) flipCourt(s);
    s.offense = s.nextOffense;
    int handler = -1, checker = -1;
    placeCheckBall(s, s.offense, &handler, &checker);
    const float restart = s.ball.dunk ? kDeadBallRestartAfterDunk : kDeadBallRestartAfter;
    if (s.phaseTimer <= restart) return;
    if (s.winner >= 0) {
        s.phase = PHASE_OVER;
        s.phaseTimer = 0;
        postMusic(s, kNoMusic);
    } else {
        resetPossession(s, s.nextOffense);
    }
}

void stepShotClock(MatchState& s, float dt) {
    const BallState& b = s.ball;
    const bool runs = b.phase == BALL_HELD || b.phase == BALL_PASS ||
                      (b.phase == BALL_SHOT && !b.rimTouched) || (b.phase == BALL_LOOSE && !b.shotRebound);
    if (!runs) return;
    s.shotClock -= dt;
    // Only a held ball or a pass lets the clock expire; a shot or a loose ball
    // in the air waits for the next touch.
    if ((b.phase == BALL_HELD || b.phase == BALL_PASS) && s.shotClock <= 0) {
        postSound(s, kBuzzerSound, 0.7f, 1.0f, 0.5f);
        callDeadBall(s, 1 - s.offense, "SHOT CLOCK");
    }
}

void stepClearRule(MatchState& s) {
    if (s.ball.phase != BALL_HELD || s.ball.holder < 0 || !s.mustClear) return;
    const Player& holder = s.players[s.ball.holder];
    if (!isBeyondClearLine(holder.pos)) return;
    s.mustClear = 0;
    postWorldCallout(s, "CLEARED", kClearedColor, {holder.pos.x, holder.pos.y + 2.4f, holder.pos.z}, 20);
}

void stepNets(MatchState& s, float dt) {
    MatchArena* a = s.arena;
    if (!a) return;
    const Vector3 ball = s.ball.pos, vel = s.ball.vel;
    HoopNet& attacked = s.flipped ? a->farNet : a->nearNet;
    stepNet(attacked, dt, ball, vel);
    if (s.fullCourt) {
        HoopNet& other = s.flipped ? a->nearNet : a->farNet;
        stepNet(other, dt, mirrorToFarEnd(ball), {-vel.x, vel.y, -vel.z});
    }
}

} // namespace

bool isBeyondClearLine(Vector3 p) {
    if (p.z < kClearCornerZ) return std::fabs(p.x) > kClearCornerX;
    return std::sqrt(p.x * p.x + p.z * p.z) > kClearArc;
}

void stepMatch(MatchState& s, float dt, const PlayerInput inputs[4]) {
    if (dt <= 0) {
        if (s.localIndex >= 0 && s.phase == PHASE_LIVE)
            applyPlayerInput(s, s.players[s.localIndex], inputs[s.localIndex], kZeroTickSeconds);
        return;
    }
    s.clock += dt;
    s.phaseTimer += dt;

    switch (s.phase) {
    case PHASE_OPENING:
        if (s.phaseTimer > kOpeningSeconds) resetPossession(s, 0);
        break;
    case PHASE_CHECK_BALL: stepCheckBall(s); break;
    case PHASE_DEAD_BALL: stepDeadBall(s); break;
    default: break;
    }

    for (Player& p : s.players) {
        p.jukeCooldown -= dt;
        p.stealCooldown -= dt;
        p.passTimer -= dt;
        p.squeakCooldown -= dt;
        p.chargeCooldown -= dt;
        p.offBalance = std::fmax(p.offBalance - dt, 0.0f);
    }

    for (Player& p : s.players) {
        if (!p.present) continue;
        const bool human = isHuman(s, p.index) && !(p.index == s.localIndex && s.autopilot);
        if (!human) {
            aiThink(s, p, dt);
        } else if (s.phase == PHASE_LIVE) {
            applyPlayerInput(s, p, inputs[p.index], dt);
        } else {
            aiThink(s, p, dt);
            p.stance = 0;
            const PlayerInput& in = inputs[p.index];
            p.shootHeld = in.shootDown ? in.shootDown : in.leftMouseDown;
        }
    }

    aiAwareness(s, dt);
    for (Player& p : s.players)
        if (p.present) updatePlayerAction(s, p, dt);
    resolvePlayerCollisions(s);
    followCameraYaw(s, dt);
    updateBall(s, dt);
    stepNets(s, dt);

    if (s.phase == PHASE_LIVE) {
        stepShotClock(s, dt);
        stepClearRule(s);
    }
}

void updateMatch(MatchState& s, float frameTime, const PlayerInput& localInput, const CameraOptions& camera) {
    const float dt = std::fmin(frameTime, kFrameTimeCap);
    applyMouseLook(s, localInput, camera);
    PlayerInput inputs[4] = {};
    float simTime = dt;
    if (s.slowMotion > 0) {
        simTime = kSlowMotionFactor * dt;
        s.slowMotion -= dt;
    }
    s.accumulator += simTime;
    const bool local = s.localIndex >= 0;
    if (local) inputs[s.localIndex] = localInput;

    int ticks = 0;
    while (s.accumulator >= kTickSeconds && ticks < kMaxTicksPerFrame) {
        stepMatch(s, kTickSeconds, inputs);
        s.accumulator -= kTickSeconds;
        if (ticks == 0 && local) clearPressBytes(inputs[s.localIndex]);
        ++ticks;
    }
    if (ticks == 0 && local && hasPressByte(localInput)) {
        inputs[s.localIndex] = localInput;
        stepMatch(s, 0, inputs);
    }
    animatePlayers(s, simTime);
    updatePresentation(s, dt);
}

void stepMatchFrame(MatchState& s, const PlayerInput inputs[4]) {
    PlayerInput copy[4] = {inputs[0], inputs[1], inputs[2], inputs[3]};
    stepMatch(s, kTickSeconds, copy);
    for (PlayerInput& in : copy) clearPressBytes(in);
    stepMatch(s, kTickSeconds, copy);
    animatePlayers(s, kNetFrameSeconds);
}

void callDeadBall(MatchState& s, int side, const char* text) {
    if (s.phase != PHASE_LIVE) return;
    s.nextOffense = side;
    s.phase = PHASE_DEAD_BALL;
    s.phaseTimer = 0;
    for (Player& p : s.players) p.hasBall = 0;
    if (s.ball.phase == BALL_HELD) s.ball.vel = {0, 1.5f, 0};
    s.ball.dunk = 0;
    s.ball.phase = BALL_DEAD;
    s.ball.holder = -1;
    postCallout(s, text, kCallColor, 56, 1.6f);
    postSound(s, kWhistleSound, 0.6f, 1.0f, 0.5f);
}
