#include "sim_fixture.h"

#include "characters/animation.h"
#include "sim/court.h"
#include "sim/match_driver.h"

namespace {

// The roster the matches play with (its looks give the players' measures).
void fillRoster() {
    static const bool filled = (initTeams(), true);
    (void)filled;
}

MatchSettings settingsOf(const MatchOptions& o) {
    MatchSettings m;
    m.oneOnOne = o.oneOnOne;
    m.fullCourt = o.fullCourt;
    m.difficulty = o.difficulty;
    return m;
}

} // namespace

std::unique_ptr<TestMatch> newMatch(const MatchOptions& o) {
    fillRoster();
    auto s = std::make_unique<TestMatch>();
    initMatchState(*s, 0, 1, o.localIndex, nullptr, &s->hoops, o.target, o.seed, settingsOf(o));
    s->callouts.clear();
    s->events.clear();
    return s;
}

void startTestMatch(MatchState& s, int localIndex, bool oneOnOne, bool fullCourt, uint32_t seed) {
    s = MatchState{};
    const MatchOptions o = {.localIndex = localIndex, .oneOnOne = oneOnOne, .fullCourt = fullCourt, .target = 11};
    fillRoster();
    initMatchState(s, 0, 1, localIndex, nullptr, nullptr, 11, seed, settingsOf(o));
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
    poseSkeleton(p.skeleton, p.measures, p.pose, pos, yaw, true);
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
    animatePlayers(s, 0); // the ball into his hands
}

void tick(MatchState& s, const PlayerInput inputs[4]) {
    stepMatch(s, kTick, inputs);
    animatePlayers(s, kTick);
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

uint32_t trialSeed(uint32_t n) {
    uint32_t x = n + 0x9E3779B9u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x != 0 ? x : 1;
}
