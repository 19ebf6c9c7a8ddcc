// A new match: players from the roster at their starting spots, the ball at
// rest, the nets at rest and the opening banner.
#include "sim/match_state.h"

#include <cmath>
#include <cstdio>

#include "sim/match_arena.h"

MatchState matchState;

namespace {

constexpr Color kBannerGold = {255, 230, 120, 255};
constexpr Vector3 kParkedLeft = {-30, 0, -60};
constexpr Vector3 kParkedRight = {30, 0, -60};
constexpr int kWhistleSound = 7;
constexpr float kOpeningCrowd = 0.6f;
constexpr int kDifficultyLevels = 4;
constexpr int kCameraMotionLevels = 3;

int clampLevel(int value, int levels) { return value < 0 ? 0 : value >= levels ? levels - 1 : value; }

} // namespace

void applyMatchSettings(MatchState& s, const MatchSettings& settings) {
    s.difficulty = clampLevel(settings.difficulty, kDifficultyLevels);
    s.sprintToggle = settings.sprintToggle != 0;
    s.cameraMotion = clampLevel(settings.cameraMotion, kCameraMotionLevels);
    s.playByPlayLog = settings.playByPlayLog != 0;
}

void initMatchState(MatchState& s, int teamA, int teamB, int localIndex,
                    const CharacterModel* const models[4], MatchArena* arena, int target, uint32_t seed,
                    const MatchSettings& settings) {
    s.teams[0] = teamA;
    s.teams[1] = teamB;
    s.arena = arena;
    s.localIndex = localIndex;
    s.flipped = 0;
    s.humanMask = localIndex >= 0 ? (1u << localIndex) : 0u;
    s.gameTo = target;
    s.rng = seed != 0 ? seed : 1;

    s.oneOnOne = settings.oneOnOne != 0;
    s.fullCourt = settings.fullCourt != 0;
    applyMatchSettings(s, settings);
    s.events.clear();

    if (arena) {
        arena->courtMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        arena->fullCourt = s.fullCourt;
        initNet(arena->farNet);
    }

    s.scores[0] = s.scores[1] = 0;
    s.callouts.clear();

    const int activeSlot = localIndex >= 0 ? localIndex % 2 : 0;
    for (int i = 0; i < 4; ++i) {
        Player& p = s.players[i];
        p = Player{};
        p.index = i;
        p.team = i / 2;
        p.slot = i % 2;
        p.roster = &teams[s.teams[p.team]].players[p.slot];
        for (int r = 0; r < RATING_COUNT; ++r) p.ratings[r] = p.roster->ratings[r];
        p.measures = {p.roster->look.height, p.roster->look.build};
        p.model = models ? models[i] : nullptr;
        const float t = (float)(i / 2);
        p.pos = {(1.2f + 1.6f * t) * (p.slot == 1 ? 1.0f : -1.0f), 0, 6.5f + 0.8f * t};
        p.homeSpot = p.pos;
        p.matchup = p.slot + 2 * (1 - p.team);
        if (s.oneOnOne && p.slot != activeSlot) {
            p.present = 0;
            p.pos = p.team == 1 ? kParkedRight : kParkedLeft;
        } else {
            p.present = 1;
        }
        poseSkeleton(p.skeleton, p.measures, p.pose, p.pos, PI, true);
    }
    if (s.oneOnOne) {
        s.players[activeSlot].matchup = activeSlot + 2;
        s.players[activeSlot + 2].matchup = activeSlot;
    }

    s.ball = BallState{};
    s.ball.pos = {0, 1.2f, 7};
    s.ballContactCooldown2 = 0;

    s.winner = -1;
    s.phase = PHASE_OPENING;
    s.phaseTimer = 0;
    s.offense = 0;
    s.excitement = 0.3f;
    s.clock = 0;
    if (arena) initNet(arena->nearNet);

    s.eyeYaw = PI;
    s.eyePitch = -0.22f;
    s.eyeFov = 70;
    s.camera.position = {0, 14, 30};
    s.camera.target = {0, 2, 4};
    s.camera.up = {0, 1, 0};
    s.camera.fovy = 50;
    s.camera.projection = CAMERA_PERSPECTIVE;
    s.cam = CameraMotion{};

    char text[32];
    std::snprintf(text, sizeof text, "FIRST TO %d", target);
    postCallout(s, text, kBannerGold, 70, 2.4f);
    postSound(s, kWhistleSound, 0.8f, 1.0f, 0.5f);
    postCrowdLevel(s, kOpeningCrowd);
}

void emoteCameraKick(MatchState& s, int emote) {
    CameraMotion& c = s.cam;
    switch (emote) {
    case 0: c.pitch.velocity += 1.4f; break;
    case 1: c.height.velocity -= 2.0f; c.roll.velocity += 1.6f; break;
    case 2: c.yaw.velocity += 5.0f; c.trauma = std::fmin(c.trauma + 0.35f, 1.0f); break;
    case 3: c.pitch.velocity -= 2.4f; c.roll.velocity -= 0.8f; break;
    case 4: c.trauma = 1.0f; break;
    case 5: c.pitch.velocity += 2.6f; c.roll.velocity -= 1.8f; break;
    case 6:
        c.roll.velocity += 5.0f;
        c.pitch.velocity += 3.0f;
        c.height.velocity -= 3.5f;
        c.trauma = std::fmin(c.trauma + 0.5f, 1.0f);
        break;
    case 7: c.pitch.velocity -= 3.0f; break;
    default: break;
    }
}
