#include "app/scripted_input.h"

#include <cmath>
#include <raylib.h>

#include "app/program_random.h"
#include "app/settings.h"
#include "sim/match_state.h"
#include "sim/sim_math.h"

namespace {

constexpr float kShotHoldSeconds = 0.43f;
constexpr float kCallStep = 1.0f / 60.0f;
constexpr float kActionInterval = 1.2f;
constexpr float kArrivedDistance = 0.4f;

} // namespace

void scriptedInput(RawInput& out, float t, ScriptedInputState& st) {
    out = RawInput{};
    const MatchState& s = matchState;
    if (s.phase != PHASE_LIVE || s.localIndex < 0) return;
    const Player& L = s.players[s.localIndex];
    const bool attacking = L.team == s.offense;

    Vector3 aim, run;
    if (L.hasBall) {
        aim = {0, 0, 0};
        run = {2.5f, 0, 5.5f};
    } else if (attacking) {
        aim = run = {-4.0f, 0, 4.0f};
    } else {
        aim = run = s.ball.pos;
    }

    const float turn = wrapAngle(std::atan2(aim.x - L.pos.x, aim.z - L.pos.z) - s.eyeYaw);
    out.lookDX = -turn / (0.0007f + 0.00042f * (float)settings.mouseSens) * 0.2f;

    const float dx = run.x - L.pos.x, dz = run.z - L.pos.z;
    const float dist = std::sqrt(dx * dx + dz * dz);
    if (dist > kArrivedDistance) {
        const float ux = dx / dist, uz = dz / dist;
        const float sn = std::sin(s.eyeYaw), cs = std::cos(s.eyeYaw);
        out.moveX = sn * uz - cs * ux;
        out.moveY = cs * uz + sn * ux;
    }
    if (!attacking && s.ball.phase == BALL_HELD) {
        out.moveX = 0.8f * std::sin(1.3f * t);
        out.moveY = 0.3f;
    }

    if (st.holdTimer >= 0) {
        st.holdTimer += kCallStep;
        if (st.holdTimer < kShotHoldSeconds) out.leftMouseDown = 1;
        else st.holdTimer = -1.0f;
        return;
    }
    if (t <= st.nextActionTime || L.action != ACT_MOVE) return;
    st.nextActionTime = t + kActionInterval;
    if (L.hasBall) {
        const int r = programRand() % 4;
        if (r <= 1) {
            ++st.shots;
            out.leftMousePressed = out.leftMouseDown = 1;
            st.holdTimer = 0;
        } else if (r == 2) {
            ++st.passes;
            out.rightMousePressed = 1;
        } else {
            ++st.moves;
            out.movePressed = 1;
        }
    } else if (!attacking) {
        ++st.stealTries;
        out.leftMousePressed = 1;
    }
}
