// The frame's device input turned into the local player's per-tick input:
// the stick in the court frame of the camera, the aim yaw, and the sprint
// toggle's latch. The latch and its idle-stick clock live here, outside
// MatchState, as the sampler's own state.
#include <cmath>

#include "app/settings.h"
#include "sim/camera.h"

namespace {

constexpr float kIdleStick = 0.1f;        // a stick shorter than this counts as idle
constexpr float kIdleDropsSprint = 0.5f;  // seconds of idle stick that drop the latch
constexpr float kExhausted = 0.02f;
constexpr float kChaseBasisBlend = 0.5f;

struct InputSampler {
    bool sprintLatch = false;
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

void resetInputSampler() { sampler = InputSampler{}; }

void sampleInput(PlayerInput& out, MatchState& s, const RawInput& in, float frameTime) {
    out = toPlayerInput(in);
    out.lookDX = out.lookDY = 0; // mouse look turns the camera per frame, not per tick
    out.valid = 1;
    const bool local = s.localIndex >= 0 && s.localIndex < 4;

    if (local) {
        float fx, fz;
        viewForward(s, fx, fz);
        // right = (-f.z, f.x)
        float wx = in.moveY * fx - in.moveX * fz;
        float wz = in.moveY * fz + in.moveX * fx;
        const float len = std::sqrt(wx * wx + wz * wz);
        if (len > 1) {
            wx /= len;
            wz /= len;
        }
        out.worldMoveX = wx;
        out.worldMoveZ = wz;
    }
    const bool live = s.phase == PHASE_LIVE;
    const bool attacking = local && s.players[s.localIndex].team == s.offense;
    out.aimWithYaw = live && (attacking || s.autopilot);
    out.yaw = s.eyeYaw;

    if (settings.sprintToggle != 1) return;
    if (in.sprintPressed) sampler.sprintLatch = !sampler.sprintLatch;
    const float stick = std::sqrt(out.worldMoveX * out.worldMoveX + out.worldMoveZ * out.worldMoveZ);
    if (stick < kIdleStick) sampler.idleStickTime += frameTime;
    else sampler.idleStickTime = 0;
    const bool exhausted = local && s.players[s.localIndex].energy <= kExhausted;
    if (sampler.idleStickTime > kIdleDropsSprint || exhausted || !live) sampler.sprintLatch = false;
    out.sprintDown = sampler.sprintLatch;
}
