#include "sim_fixture.h"

#include <cmath>

#include "app/settings.h"
#include "characters/character_model.h"
#include "render/arena.h"
#include "sim/court.h"
#include "sim/match_driver.h"

std::unique_ptr<MatchState> newMatch(const MatchOptions& o) {
    initTeams();
    for (int t = 0; t < kRosterTeams; ++t)
        for (int p = 0; p < 2; ++p) applyAppearance(characterModels[2 * t + p], teams[t].players[p].look);
    settings.oneOnOne = o.oneOnOne;
    settings.fullCourt = o.fullCourt;
    settings.difficulty = o.difficulty;
    const CharacterModel* models[4] = {&characterModels[0], &characterModels[1], &characterModels[2],
                                       &characterModels[3]};
    auto s = std::make_unique<MatchState>();
    initMatchState(*s, 0, 1, o.localIndex, models, &arena, o.target, o.seed);
    s->callouts.clear();
    return s;
}

void placePlayer(Player& p, Vector3 pos, float yaw) {
    p.pos = pos;
    p.vel = p.prevVel = p.moveWish = {0, 0, 0};
    p.yaw = yaw;
    p.action = ACT_MOVE;
    p.actionTimer = 0;
    p.airborne = 0;
    p.rootHeight = p.vertSpeed = 0;
    p.stance = 0;
}

void giveBall(MatchState& s, int holder) {
    for (Player& p : s.players) p.hasBall = 0;
    Player& h = s.players[holder];
    s.phase = PHASE_LIVE;
    s.phaseTimer = 0;
    s.offense = h.team;
    s.shotClock = 24;
    s.mustClear = 0;
    s.ball = BallState{};
    s.ball.phase = BALL_HELD;
    s.ball.holder = holder;
    s.ball.possessionTeam = h.team;
    h.hasBall = 1;
    carryHeldBall(s);
}

void carryHeldBall(MatchState& s) {
    if (s.ball.phase != BALL_HELD || s.ball.holder < 0) return;
    const Player& h = s.players[s.ball.holder];
    s.ball.pos = {h.pos.x + 0.3f * std::sin(h.yaw), 1.2f + h.rootHeight, h.pos.z + 0.3f * std::cos(h.yaw)};
    s.ball.vel = {0, 0, 0};
}

void animateForTest(MatchState& s) {
    for (Player& p : s.players) {
        Pose pose;
        const bool armsUp = p.action == ACT_DUNK || p.action == ACT_ALLEY_OOP || p.action == ACT_HANG ||
                            p.action == ACT_AIRBORNE;
        if (armsUp) pose.v[POSE_SHOULDER_PITCH] = pose.v[POSE_SHOULDER_PITCH + 1] = 2.9f;
        const bool ground = !p.airborne && p.rootHeight <= 0.01f;
        poseSkeleton(p.skeleton, p.model, pose, {p.pos.x, p.rootHeight, p.pos.z}, p.yaw, ground);
    }
    carryHeldBall(s);
}

void tick(MatchState& s, const PlayerInput inputs[4]) {
    stepMatch(s, 1.0f / 120.0f, inputs);
    animateForTest(s);
}

void tick(MatchState& s) {
    const PlayerInput none[4] = {};
    tick(s, none);
}

void setNextDraw(MatchState& s, float lo, float hi) {
    for (uint32_t seed = s.rng;; ++seed) {
        if (seed == 0) continue;
        MatchState probe;
        probe.rng = seed;
        const float r = matchRandomFloat(probe);
        if (r >= lo && r < hi) {
            s.rng = seed;
            return;
        }
    }
}
