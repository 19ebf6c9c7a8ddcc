// Player movement. A player's wanted move (from the input or the CPU) becomes
// velocity through a capped acceleration; sprinting drains energy and resting
// restores it; he turns toward his motion or a face-target at a limited rate.
#include "sim/movement.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/court.h"
#include "sim/sim_math.h"

namespace {

constexpr float kBaseSpeed = 0.86f;
constexpr float kSpeedRatingGain = 0.2f;
constexpr float kSprintFactor = 6.5f;
constexpr float kRunFactor = 4.4f;
constexpr float kBallFactor = 0.93f;
constexpr float kStanceBase = 1.04f;
constexpr float kStanceDefenseGain = 0.08f;
constexpr float kOffBalanceFactor = 0.5f;
constexpr float kCpuSpeedTable[4] = {0.9f, 0.97f, 1.01f, 1.05f};
constexpr float kSprintEnergyMin = 0.03f;

constexpr float kAccelSpeedUp = 17.0f;
constexpr float kAccelSlowDown = 24.0f;
constexpr float kStanceAccel = 1.45f;
constexpr float kSprintingSpeed = 3.0f;
constexpr float kSprintDrain = 0.16f;
constexpr float kRestRecovery = 0.17f;
constexpr float kMovingRecovery = 0.09f;
constexpr float kRestSpeed = 1.0f;
constexpr float kTurnFromSpeed = 0.4f;
constexpr float kFastTurnSpeed = 4.5f;
constexpr float kFastTurnRate = 7.0f;
constexpr float kTurnRate = 11.0f;

constexpr int kSqueakSound = 4;
constexpr float kSqueakAccel = 13.0f;
constexpr float kSqueakSpeed = 1.5f;

constexpr float kPlayerGravity = 15.0f;
constexpr float kAirDrag = 0.4f;

constexpr float kSteerArrive = 0.05f;
constexpr float kSteerSprintDistance = 2.6f;
constexpr float kSteerSprintEnergy = 0.25f;

void playSqueak(MatchState& s, Player& p, float dt, float speed) {
    if (dt <= 0) return;
    const float accel = distance3(p.vel, p.prevVel) / dt;
    if (accel <= kSqueakAccel || p.squeakCooldown > 0 || speed <= kSqueakSpeed) return;
    const float r1 = matchRandomFloat(s);
    const float r2 = matchRandomFloat(s);
    postSound(s, kSqueakSound, 0.25f + 0.2f * r2, 0.85f + 0.35f * r1, 0.5f);
    p.squeakCooldown = 0.5f + 0.4f * matchRandomFloat(s);
}

} // namespace

float playerMaxSpeed(const MatchState& s, const Player& p) {
    float v = kBaseSpeed + kSpeedRatingGain * p.ratings[RATING_SPEED];
    v *= (p.sprintWanted && p.energy > kSprintEnergyMin && !p.stance) ? kSprintFactor : kRunFactor;
    if (p.hasBall) v *= kBallFactor;
    if (p.stance) v *= kStanceBase + kStanceDefenseGain * p.ratings[RATING_DEFENSE];
    if (p.offBalance > 0) v *= kOffBalanceFactor;
    if (isCpuPlayer(s, p)) v *= kCpuSpeedTable[difficultySetting(s)];
    return v;
}

void updatePlayerMovement(MatchState& s, Player& p, float dt, float speedScale, float accelScale) {
    const float vmax = playerMaxSpeed(s, p) * speedScale;
    const Vector3 target = {p.moveWish.x * vmax, 0, p.moveWish.z * vmax};
    float accel = Vector3Length(target) > Vector3Length(p.vel) ? kAccelSpeedUp : kAccelSlowDown;
    accel *= accelScale;
    if (p.stance) accel *= kStanceAccel;
    Vector3 change = Vector3Subtract(target, p.vel);
    const float changeLen = Vector3Length(change);
    const float maxChange = accel * dt;
    if (changeLen > maxChange) change = Vector3Scale(change, maxChange / changeLen);
    p.vel = Vector3Add(p.vel, change);
    p.pos.x += p.vel.x * dt;
    p.pos.z += p.vel.z * dt;

    const float speed = flatLength(p.vel);
    p.sprinting = p.sprintWanted && p.energy > kSprintEnergyMin && speed > kSprintingSpeed;
    if (p.sprinting) p.energy -= kSprintDrain * dt;
    else p.energy += (speed < kRestSpeed ? kRestRecovery : kMovingRecovery) * dt;
    p.energy = clampf(p.energy, 0.0f, 1.0f);

    if (p.faceTarget || speed > kTurnFromSpeed) {
        const float wanted = p.faceTarget ? yawToward(p.pos, p.facePoint) : std::atan2(p.vel.x, p.vel.z);
        const float rate = speed > kFastTurnSpeed ? kFastTurnRate : kTurnRate;
        p.yaw = turnToward(p.yaw, wanted, rate * dt);
    }

    playSqueak(s, p, dt, speed);
    p.prevVel = p.vel;
}

bool integrateVertical(MatchState&, Player& p, float dt) {
    p.vertSpeed -= kPlayerGravity * dt;
    p.rootHeight += p.vertSpeed * dt;
    p.pos.x += p.vel.x * dt;
    p.pos.z += p.vel.z * dt;
    p.vel = Vector3Scale(p.vel, 1.0f - kAirDrag * dt);
    if (p.rootHeight <= 0 && p.vertSpeed < 0) {
        p.rootHeight = 0;
        p.vertSpeed = 0;
        p.airborne = 0;
        return true;
    }
    return false;
}

void steerToward(MatchState&, Player& p, Vector3 target, float slowRadius, bool sprintAllowed) {
    const float d = flatDistance(p.pos, target);
    if (d < kSteerArrive) {
        p.moveWish = {0, 0, 0};
        p.sprintWanted = 0;
        return;
    }
    const float scale = slowRadius > 0 ? clampf(d / slowRadius, 0.0f, 1.0f) : 1.0f;
    p.moveWish = Vector3Scale(flatUnit(Vector3Subtract(target, p.pos)), scale);
    p.sprintWanted = sprintAllowed && d > kSteerSprintDistance && p.energy > kSteerSprintEnergy;
}
