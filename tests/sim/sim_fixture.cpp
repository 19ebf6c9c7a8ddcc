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
    MatchSettings rules;
    rules.oneOnOne = o.oneOnOne;
    rules.fullCourt = o.fullCourt;
    rules.difficulty = o.difficulty;
    const CharacterModel* models[4] = {&characterModels[0], &characterModels[1], &characterModels[2],
                                       &characterModels[3]};
    auto s = std::make_unique<MatchState>();
    initMatchState(*s, 0, 1, o.localIndex, models, &arena, o.target, o.seed, rules);
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
    const Vector3 f = {std::sin(h.yaw), 0, std::cos(h.yaw)};
    const bool shooting = (h.action == ACT_JUMP_SHOT || h.action == ACT_FINISH) && h.tookOff;
    const bool dunking = h.action == ACT_DUNK || h.action == ACT_ALLEY_OOP || h.action == ACT_HANG;
    if (shooting) {
        // Over the head in the shooting hand.
        const Vector3 hand = handPosition(h.skeleton, 1);
        s.ball.pos = {hand.x + 0.05f * f.x, hand.y + 0.151f, hand.z + 0.05f * f.z};
    } else if (dunking) {
        const Vector3 a = handPosition(h.skeleton, 0), b = handPosition(h.skeleton, 1);
        s.ball.pos = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f + 0.06f, (a.z + b.z) * 0.5f};
    } else if (s.phase == PHASE_LIVE && (h.action == ACT_MOVE || h.action == ACT_DRIBBLE_MOVE)) {
        // Dribbling: bouncing between the floor in front and the ball hand.
        const Vector3 l = {std::cos(h.yaw), 0, -std::sin(h.yaw)};
        const float speed = std::hypot(h.vel.x, h.vel.z);
        const float d = 0.32f + 0.35f * std::fmin(speed / 6.5f, 1.0f);
        const float e = h.ballHand == 0 ? 0.25f : -0.25f;
        const Vector3 floor = {h.pos.x + d * f.x + e * l.x + 0.1f * h.vel.x, 0,
                               h.pos.z + d * f.z + e * l.z + 0.1f * h.vel.z};
        const Vector3 hand = handPosition(h.skeleton, h.ballHand);
        const float c = std::fabs(std::cos(PI * (h.dribblePhase - std::floor(h.dribblePhase))));
        s.ball.pos = {floor.x + (hand.x - floor.x) * c, 0.121f + (hand.y - 0.136f - 0.121f) * c,
                      floor.z + (hand.z - floor.z) * c};
    } else {
        s.ball.pos = {h.pos.x + 0.3f * f.x, 1.2f + h.rootHeight, h.pos.z + 0.3f * f.z};
    }
    s.ball.vel = {0, 0, 0};
}

void animateForTest(MatchState& s) {
    for (Player& p : s.players) {
        Pose pose;
        const bool shooting = (p.action == ACT_JUMP_SHOT || p.action == ACT_FINISH) && p.tookOff;
        const bool armsUp = p.action == ACT_DUNK || p.action == ACT_ALLEY_OOP || p.action == ACT_HANG ||
                            p.action == ACT_AIRBORNE || shooting;
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
