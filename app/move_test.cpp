#include "app/move_test.h"

#include <cmath>
#include <cstdio>

#include "app/anim_clock.h"
#include "app/match_frame.h"
#include "app/match_start.h"
#include "app/run_flags.h"
#include "net/net_input.h"
#include "sim/camera.h"
#include "sim/input_sampling.h"
#include "sim/match_driver.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;
constexpr int kMaxSettleSteps = 1800;
constexpr float kSettledAfter = 0.5f; // seconds of live play
constexpr int kExtraSettleSteps = 60;
constexpr int kMeasureSteps = 90; // 1.5 s
constexpr float kMovingSpeed = 0.5f;

// One frame the way a networked tick runs it: the local input sampled and
// sent through the wire record like everybody else's.
void onlineStep(MatchState& s, const RawInput& raw) {
    PlayerInput wire[4] = {};
    applyMouseLook(s, raw, cameraOptions());
    if (s.localIndex >= 0 && s.localIndex < 4) sampleInput(wire[s.localIndex], s, raw, kStep);
    PlayerInput inputs[4];
    for (int k = 0; k < 4; ++k) {
        NetInput record;
        packInput(wire[k], record);
        unpackInput(record, inputs[k]);
    }
    stepMatchFrame(s, inputs);
    updatePresentationClamped(s, kStep);
}

void step(MatchState& s, const RawInput& raw, bool online) {
    s.frontEndClock = animClock;
    if (online) onlineStep(s, raw);
    else updateMatch(s, kStep, toPlayerInput(raw), cameraOptions());
    playMatchEvents(s);
}

float planarDistance(Vector3 a, Vector3 b) { return std::hypot(a.x - b.x, a.z - b.z); }

void runPass(bool online, const char* label) {
    startMatch();
    MatchState& s = matchState;
    s.online = online ? 1 : 0;
    RawInput raw;
    for (int k = 0; k < kMaxSettleSteps; ++k) {
        if (s.phase == PHASE_LIVE && s.phaseTimer > kSettledAfter) break;
        step(s, raw, online);
    }
    for (int k = 0; k < kExtraSettleSteps; ++k) step(s, raw, online);

    const Player& local = s.players[s.localIndex];
    const Vector3 start = local.pos;
    raw.moveY = 1.0f; // full forward
    float topSpeed = 0;
    int firstMoving = -1;
    for (int k = 0; k < kMeasureSteps; ++k) {
        const Vector3 before = local.pos;
        step(s, raw, online);
        const float v = planarDistance(local.pos, before) * 60.0f;
        topSpeed = std::fmax(topSpeed, v);
        if (firstMoving < 0 && v > kMovingSpeed) firstMoving = k;
    }
    std::printf("%s: moved %.2f m in 1.5 s, top speed %.2f m/s, starts moving after %d frames, phase %d, hasBall %d\n",
                label, planarDistance(local.pos, start), topSpeed, firstMoving, s.phase, local.hasBall);
}

} // namespace

void runMoveTest() {
    demoMode = false; // "--demo" or "--sim" must not take the local player away
    squadTeam = 0;
    squadOpponent = 1;
    runPass(false, "OFFLINE");
    runPass(true, "ONLINE ");
}
