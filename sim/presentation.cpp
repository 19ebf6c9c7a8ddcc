// The per-frame presentation of a match: emote clocks, the camera, callout
// ageing, the crowd level, the HUD clocks and the local player's
// ball-received cue. Runs after the frame's ticks, offline and online alike.
#include <algorithm>

#include "sim/camera.h"

namespace {

constexpr float kExcitementDecay = 0.12f;
constexpr float kExcitementFloor = 0.15f;
constexpr float kCrowdBase = 0.45f, kCrowdPerExcitement = 0.5f;
constexpr float kPresentationStepCap = 0.05f;
constexpr int kBallReceivedSound = 8;

} // namespace

void updatePresentation(MatchState& s, float dt) {
    for (float& t : s.emoteTime) t += dt;
    updateMatchCamera(s, dt, false);
    ageCallouts(s, dt);

    s.excitement = std::max(s.excitement - kExcitementDecay * dt, kExcitementFloor);
    postCrowdLevel(s, kCrowdBase + kCrowdPerExcitement * s.excitement);

    s.releaseAge += dt;
    s.presentTime += dt;
    s.ballReceivedAge += dt;
    // The toast of the tips key fades in every match: H works with nobody
    // playing locally too (a demo or autopilot match).
    s.tipsToast = std::max(s.tipsToast - dt, 0.0f);

    if (s.localIndex < 0 || s.localIndex >= 4) return;
    const bool hasBall = s.players[s.localIndex].hasBall;
    if (hasBall && s.phase == PHASE_LIVE && !s.localHadBall) {
        s.ballReceivedAge = 0;
        postSound(s, kBallReceivedSound, 0.7f, 0.8f, 0.5f);
    }
    s.localHadBall = hasBall;
}

void updatePresentationClamped(MatchState& s, float dt) { updatePresentation(s, std::min(dt, kPresentationStepCap)); }
