// The frame's device input turned into the local player's per-tick input:
// the stick in the court frame of the camera, the aim yaw, and the sprint
// toggle's latch. The sampler's latch and idle-stick clock live here,
// outside MatchState; the unsampled path keeps its own in the Player.
#include "sim/input_sampling.h"

#include <cmath>

namespace {

constexpr float kIdleStick = 0.1f;        // a stick shorter than this counts as idle
constexpr float kIdleDropsSprint = 0.5f;  // seconds of idle stick that drop the latch
constexpr float kExhausted = 0.02f;
constexpr float kChaseBasisBlend = 0.5f;

struct InputSampler {
    uint8_t sprintLatch = 0;
    float idleStickTime = 0;
};

InputSampler sampler;

// Forward of the view on the court, as (x, z): the chase camera's heading
// once it dominates, else the first-person yaw.
void viewForward(const MatchState& s, float& fx, float& fz) {
    if (s.chaseBlend > kChaseBasisBlend) {
        fx = s.camera.target.x - s.camera.position.x;
        fz = s.camera.target.z - s.camera.position.z;
        const float len = std::sqrt(fx * fx + fz * fz);
        if (len > 1e-6f) {
            fx /= len;
            fz /= len;
        } else {
            fx = 0;
            fz = 1;
        }
    } else {
        fx = std::sin(s.eyeYaw);
        fz = std::cos(s.eyeYaw);
    }
}

} // namespace

Vector3 stickToCourt(const MatchState& s, float moveX, float moveY) {
    float fx, fz;
    viewForward(s, fx, fz);
    // right = (-f.z, f.x)
    float wx = moveY * fx - moveX * fz;
    float wz = moveY * fz + moveX * fx;
    const float len = std::sqrt(wx * wx + wz * wz);
    if (len > 1) {
        wx /= len;
        wz /= len;
    }
    return {wx, 0, wz};
}

uint8_t stepSprintLatch(uint8_t& latch, float& idleStickTime, bool pressed, float stick, float energy, float dt,
                        bool drop) {
    if (pressed) latch = !latch;
    if (stick < kIdleStick) idleStickTime += dt;
    else idleStickTime = 0;
    if (idleStickTime > kIdleDropsSprint || energy <= kExhausted || drop) latch = 0;
    return latch;
}

void resetInputSampler() { sampler = InputSampler{}; }

void sampleInput(PlayerInput& out, MatchState& s, const RawInput& in, float frameTime) {
    out = toPlayerInput(in);
    out.lookDX = out.lookDY = 0; // mouse look turns the camera per frame, not per tick
    out.valid = 1;
    const bool local = s.localIndex >= 0 && s.localIndex < 4;

    if (local) {
        const Vector3 w = stickToCourt(s, in.moveX, in.moveY);
        out.worldMoveX = w.x;
        out.worldMoveZ = w.z;
    }
    const bool live = s.phase == PHASE_LIVE;
    const bool attacking = local && s.players[s.localIndex].team == s.offense;
    out.aimWithYaw = live && (attacking || s.autopilot);
    out.yaw = s.eyeYaw;

    if (!s.sprintToggle) return;
    const float stick = std::sqrt(out.worldMoveX * out.worldMoveX + out.worldMoveZ * out.worldMoveZ);
    const float energy = local ? s.players[s.localIndex].energy : 1.0f;
    out.sprintDown =
        stepSprintLatch(sampler.sprintLatch, sampler.idleStickTime, in.sprintPressed, stick, energy, frameTime, !live);
}
