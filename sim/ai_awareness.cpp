// The awareness pass, once per tick for every present player, people and CPU
// alike: how hard he is contesting the shooter, whether he is boxing out for
// a rebound, whether he is helping off his man (and on which side the ball
// is), and the stance timer. The rules and the animation read these flags.
#include "sim/ai.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/ai_support.h"

namespace {

constexpr float kYoungShot = 0.35f;
constexpr float kReboundWatchAfter = 0.15f;

constexpr float kContestReach = 2.6f;
constexpr float kContestFacing = 0.2f;
constexpr float kContestRise = 9.0f;
constexpr float kContestFall = 4.0f;

constexpr float kBoxOutZone = 5.5f;
constexpr float kBoxOutContact = 1.4f;
constexpr float kBoxOutBehind = 0.2f;

constexpr float kHelpNearMan = 2.2f;
constexpr float kHelpManNearBall = 7.5f;

// The shooter the defence is reacting to: the last player shooting or
// finishing, else the shooter of a shot just released; -1 for none.
int currentShooter(const MatchState& s) {
    int shooter = -1;
    for (const Player& p : s.players)
        if (p.present && isShootingAction(p.action)) shooter = p.index;
    if (shooter < 0 && s.ball.phase == BALL_SHOT && s.ball.flightTime < kYoungShot) shooter = s.ball.shooter;
    return shooter >= 0 && shooter <= 3 ? shooter : -1;
}

bool contesting(const MatchState& s, const Player& p, int shooter) {
    if (s.phase != PHASE_LIVE || shooter < 0 || p.airborne) return false;
    const Player& sh = s.players[shooter];
    if (sh.team == p.team || flatDistance(p.pos, sh.pos) > kContestReach) return false;
    return flatDot(forwardOf(p.yaw), flatUnit(Vector3Subtract(sh.pos, p.pos))) > kContestFacing;
}

bool boxingOut(const MatchState& s, const Player& p) {
    if (p.airborne) return false;
    const float r = axisDistance(p.pos);
    if (r > kBoxOutZone) return false;
    for (const Player& o : s.players) {
        if (!o.present || o.index == p.index) continue;
        if (flatDistance(o.pos, p.pos) <= kBoxOutContact && axisDistance(o.pos) > r + kBoxOutBehind) return true;
    }
    return false;
}

void updateHelpSide(const MatchState& s, Player& p) {
    p.helpSide = 0;
    const BallState& b = s.ball;
    if (s.phase != PHASE_LIVE || b.phase != BALL_HELD || b.holder < 0 || b.holder > 3) return;
    const Player& holder = s.players[b.holder];
    const int m = p.matchup;
    if (holder.team == p.team || p.hasBall || m < 0 || m > 3 || m == b.holder) return;
    const Player& man = s.players[m];
    if (flatDistance(man.pos, p.pos) > kHelpNearMan || flatDistance(man.pos, holder.pos) > kHelpManNearBall) return;
    p.helpSide = 1;
    p.ballSide = flatDot(flatUnit(Vector3Subtract(holder.pos, p.pos)), leftOf(p.yaw)) < 0;
}

} // namespace

void aiAwareness(MatchState& s, float dt) {
    const int shooter = currentShooter(s);
    const BallState& b = s.ball;
    const bool reboundWatch = s.phase == PHASE_LIVE && b.phase == BALL_SHOT && b.flightTime > kReboundWatchAfter && !b.dunk;
    for (Player& p : s.players) {
        if (!p.present) continue;
        if (contesting(s, p, shooter)) {
            if (p.contest < 1) p.contest += kContestRise * dt;
        } else {
            p.contest -= kContestFall * dt;
        }
        p.contest = clampf(p.contest, 0.0f, 1.0f);
        p.boxingOut = reboundWatch && boxingOut(s, p);
        updateHelpSide(s, p);
        if (!p.stance) p.stanceTime = 0;
    }
}
