// Match randomness, court queries, matchups and possession set-up.
//
// Court frame: the attacked hoop's axis is the origin, the attack goes toward
// smaller z, the half court lies at z >= 0. In full court the whole state is
// turned about the court centre on every change of offence (flipCourt), so the
// rules never need to know which end is being attacked.
#include "sim/court.h"

#include <cmath>
#include <raylib.h>
#include <raymath.h>

#include "sim/court_geometry.h"
#include "sim/match_arena.h"
#include "sim/sim_math.h"

namespace {

// Three-point line: the corner zone, then the arc (horizontal distance).
constexpr float kThreeCornerZ = 2.72f;
constexpr float kThreeCornerX = 6.71f;
constexpr float kThreeArc = 7.24f;

struct DistanceRow {
    float distance, chance;
};
constexpr DistanceRow kShotTable[] = {
    {0, 0.85f},    {1.2f, 0.8f},  {2.5f, 0.62f}, {4.5f, 0.52f}, {6.7f, 0.47f},  {7.3f, 0.41f},
    {8.3f, 0.31f}, {9.5f, 0.17f}, {12, 0.06f},   {16, 0.02f},   {40, 0.005f},
};
constexpr int kShotRows = sizeof kShotTable / sizeof kShotTable[0];

// Contest.
constexpr float kContestReach = 2.6f;
constexpr float kContestFacingBase = 0.55f;
constexpr float kContestFacingGain = 0.45f;
constexpr float kContestAirborne = 1.3f;
constexpr float kContestLevelGain = 0.22f;
constexpr float kContestStance = 1.08f;
constexpr float kContestBetween = 1.15f;
constexpr float kContestBetweenDot = 0.3f;

constexpr float kNoneNearer = 99.0f;
constexpr float kPassLaneEndGap = 0.3f;
constexpr float kMatchupSwitchMargin = 1.8f;

// Check-ball spots (x, z); x of the side roles is multiplied by the side sign.
struct CheckSpots {
    Vector3 handler, partner, checker, otherDefender;
};
constexpr CheckSpots kHalfCourtSpots = {{0, 0, 8.7f}, {5.4f, 0, 3.9f}, {0, 0, 7.5f}, {4.5f, 0, 3.3f}};
constexpr CheckSpots kFullCourtSpots = {{0, 0, 22.96f}, {4.5f, 0, 19.96f}, {0, 0, 21.56f}, {3.5f, 0, 17.46f}};
constexpr float kResetSnapDistance = 2.5f;
constexpr float kBallAboveChecker = 1.2f;

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

int teammateOf(int index) { return index ^ 1; }

Vector3 mirrorDirection(Vector3 v) { return {-v.x, v.y, -v.z}; }
float mirrorYaw(float yaw) { return wrapAngle(yaw + PI); }

void mirrorPlayer(Player& p) {
    for (Vector3* point : {&p.pos, &p.aiSpot, &p.homeSpot, &p.checkSpot, &p.facePoint, &p.releasePos,
                           &p.dunkStart, &p.dunkApproach})
        *point = mirrorToFarEnd(*point);
    for (Vector3* dir : {&p.vel, &p.moveWish, &p.prevVel, &p.jukeDir}) *dir = mirrorDirection(*dir);
    p.yaw = mirrorYaw(p.yaw);
    p.jukeStartYaw = mirrorYaw(p.jukeStartYaw);
    const bool ground = !p.airborne && p.rootHeight <= 0.01f;
    poseSkeleton(p.skeleton, p.measures, p.pose, {p.pos.x, p.rootHeight, p.pos.z}, p.yaw, ground);
}

void mirrorBall(BallState& b) {
    b.pos = mirrorToFarEnd(b.pos);
    b.prevPos = mirrorToFarEnd(b.prevPos);
    b.vel = mirrorDirection(b.vel);
    b.spin = mirrorDirection(b.spin);
    // A half turn about y, applied before the current orientation.
    const Quaternion halfTurn = {0, 1, 0, 0};
    b.spinRot = QuaternionNormalize(QuaternionMultiply(halfTurn, b.spinRot));
}

void mirrorCamera(MatchState& s) {
    s.eyeYaw = mirrorYaw(s.eyeYaw);
    for (Vector3* point : {&s.camera.position, &s.camera.target, &s.chasePos, &s.chaseTarget, &s.chasePosSmooth,
                           &s.chaseTargetSmooth, &s.cam.eye, &s.eyePoint})
        *point = mirrorToFarEnd(*point);
    for (Vector3* dir : {&s.camera.up, &s.cam.pendingKick, &s.cam.shake}) *dir = mirrorDirection(*dir);
    for (Callout& c : s.callouts) c.worldPos = mirrorToFarEnd(c.worldPos);
}

// The handler of a check ball: the first present person of the side, else
// the better ball handler of the two.
int chooseHandler(const MatchState& s, int team) {
    const int a = team * 2, b = a + 1;
    for (int i = a; i <= b; ++i)
        if (s.players[i].present && isHuman(s, i)) return i;
    const Player& p0 = s.players[a];
    const Player& p1 = s.players[b];
    if (!p1.present) return a;
    if (p0.present && p0.ratings[RATING_HANDLES] >= p1.ratings[RATING_HANDLES]) return a;
    return b;
}

} // namespace

float matchRandomFloat(MatchState& s) { return (float)(xorshift32(s.rng) >> 8) / 16777215.0f; }

uint32_t matchRandomInt(MatchState& s) { return xorshift32(s.rng) >> 1; }

bool teamHasHuman(const MatchState& s, int team) { return ((s.humanMask >> (team * 2)) & 3u) != 0; }

bool isCpuPlayer(const MatchState& s, const Player& p) { return !teamHasHuman(s, p.team); }

int difficultySetting(const MatchState& s) { return s.difficulty < 0 ? 0 : s.difficulty > 3 ? 3 : s.difficulty; }

int playerDifficulty(const MatchState& s, const Player& p) { return isCpuPlayer(s, p) ? difficultySetting(s) : 1; }

float playerHeight(const Player& p) { return p.measures.height; }
float playerBuild(const Player& p) { return p.measures.build; }

bool isThreePointSpot(Vector3 p) {
    if (p.z < kThreeCornerZ) return std::fabs(p.x) > kThreeCornerX;
    return flatLength(p) > kThreeArc;
}

float shotDistanceBase(float r) {
    if (!(r < kShotTable[kShotRows - 1].distance)) return kShotTable[kShotRows - 1].chance;
    if (r <= 0) return kShotTable[0].chance;
    for (int i = 0; i + 1 < kShotRows; ++i) {
        const DistanceRow lo = kShotTable[i], hi = kShotTable[i + 1];
        if (r >= lo.distance && r < hi.distance)
            return lo.chance + (hi.chance - lo.chance) * (r - lo.distance) / (hi.distance - lo.distance);
    }
    return kShotTable[kShotRows - 1].chance;
}

float contestFactor(const MatchState& s, const Player& shooter, Vector3 point) {
    const Vector3 hoop = {0, 0, 0};
    float best = 0;
    for (const Player& d : s.players) {
        if (!d.present || d.team == shooter.team || d.action == ACT_STUMBLE) continue;
        const float dist = flatDistance(d.pos, point);
        if (dist > kContestReach) continue;
        const Vector3 u = flatUnit(Vector3Subtract(point, d.pos));
        const float f = flatDot(forwardOf(d.yaw), u);
        const float facing = f < 0 ? kContestFacingBase : kContestFacingBase + kContestFacingGain * std::fmin(f, 1.0f);
        const float proximity = std::fmin(1.0f - (dist - 0.6f) * 0.5f, 1.0f);
        float c = proximity * facing;
        if (d.airborne) c *= kContestAirborne;
        c *= 1.0f + kContestLevelGain * d.contest;
        if (d.stance) c *= kContestStance;
        c *= clampf(playerHeight(d) / playerHeight(shooter), 0.85f, 1.15f);
        const Vector3 toDefender = flatUnit(Vector3Subtract(d.pos, point));
        const Vector3 toHoop = flatUnit(Vector3Subtract(hoop, point));
        if (flatDot(toDefender, toHoop) > kContestBetweenDot) c *= kContestBetween;
        best = std::fmax(best, c);
    }
    return clampf(best, 0.0f, 1.0f);
}

float shotQuality(const MatchState& s, const Player& shooter, Vector3 point) {
    const float base = shotDistanceBase(flatLength(point));
    const float rating = isThreePointSpot(point) ? shooter.ratings[RATING_THREE] : shooter.ratings[RATING_SHOOTING];
    return base * (0.5f * rating + 0.68f) * (1.0f - 0.6f * contestFactor(s, shooter, point));
}

float nearestOtherDistance(const MatchState& s, const Player& p) {
    float best = kNoneNearer;
    for (const Player& o : s.players)
        if (o.present && o.team != p.team) best = std::fmin(best, flatDistance(p.pos, o.pos));
    return best;
}

bool isPassLaneOpen(const MatchState& s, Vector3 from, Vector3 to, int team, float radius) {
    const float len = flatDistance(from, to);
    if (len < 0.01f) return true;
    const Vector3 dir = flatUnit(Vector3Subtract(to, from));
    for (const Player& p : s.players) {
        if (!p.present || p.team == team) continue;
        const Vector3 rel = {p.pos.x - from.x, 0, p.pos.z - from.z};
        const float t = flatDot(rel, dir);
        if (t < kPassLaneEndGap || t > len - kPassLaneEndGap) continue;
        const float perp = std::fabs(rel.x * dir.z - rel.z * dir.x);
        if (perp < radius) return false;
    }
    return true;
}

void assignMatchups(MatchState& s) {
    const int a0 = s.offense * 2, a1 = a0 + 1;
    const int defense = 1 - s.offense;
    const int d0 = defense * 2, d1 = d0 + 1;
    Player* P = s.players;
    const bool h0 = isHuman(s, d0), h1 = isHuman(s, d1);
    if (h0 != h1) {
        const int human = h0 ? d0 : d1;
        const float to0 = flatDistance(P[human].pos, P[a0].pos);
        const float to1 = flatDistance(P[human].pos, P[a1].pos);
        const int mark = to0 < to1 ? a0 : a1;
        P[human].matchup = mark;
        P[teammateOf(human)].matchup = mark == a0 ? a1 : a0;
        return;
    }
    const float straight = flatDistance(P[d0].pos, P[a0].pos) + flatDistance(P[d1].pos, P[a1].pos);
    const float cross = flatDistance(P[d0].pos, P[a1].pos) + flatDistance(P[d1].pos, P[a0].pos);
    bool straightNow = P[d0].matchup == a0;
    if (straightNow && straight > cross + kMatchupSwitchMargin) straightNow = false;
    else if (!straightNow && cross > straight + kMatchupSwitchMargin) straightNow = true;
    P[d0].matchup = straightNow ? a0 : a1;
    P[d1].matchup = straightNow ? a1 : a0;
}

void updateMatchups(MatchState& s) {
    if (!s.oneOnOne) assignMatchups(s);
}

void placeCheckBall(MatchState& s, int team, int* handlerOut, int* checkerOut) {
    const int handler = chooseHandler(s, team);
    const int partner = teammateOf(handler);
    const int sameSlot = (1 - team) * 2 + s.players[handler].slot;
    const int checker = s.players[sameSlot].present ? sameSlot : teammateOf(sameSlot);
    const int otherDefender = teammateOf(checker);

    const CheckSpots& spots = s.fullCourt ? kFullCourtSpots : kHalfCourtSpots;
    const float side = s.players[partner].pos.x >= 0 ? 1.0f : -1.0f;
    s.players[handler].checkSpot = spots.handler;
    s.players[partner].checkSpot = {spots.partner.x * side, 0, spots.partner.z};
    s.players[checker].checkSpot = spots.checker;
    s.players[otherDefender].checkSpot = {spots.otherDefender.x * side, 0, spots.otherDefender.z};
    s.players[checker].matchup = handler;
    s.players[otherDefender].matchup = partner;
    if (handlerOut) *handlerOut = handler;
    if (checkerOut) *checkerOut = checker;
}

void flipCourt(MatchState& s) {
    s.flipped = !s.flipped;
    if (s.arena) s.arena->courtMatrix = s.flipped ? mirrorEndMatrix() : kIdentity;
    for (Player& p : s.players)
        if (p.present) mirrorPlayer(p);
    mirrorBall(s.ball);
    mirrorCamera(s);
}

void setOffenseTeam(MatchState& s, int team) {
    if (s.fullCourt && team != s.offense) flipCourt(s);
    s.offense = team;
}

void resetPossession(MatchState& s, int team) {
    setOffenseTeam(s, team);
    int handler = -1, checker = -1;
    placeCheckBall(s, team, &handler, &checker);

    s.mustClear = 0;
    s.checkPassDone = 0;
    s.phaseTimer = 0;
    s.shotClock = 24;
    s.phase = PHASE_CHECK_BALL;
    s.checker = checker;
    s.checkHandler = handler;

    for (Player& p : s.players) {
        if (!p.present) continue;
        p.action = ACT_MOVE;
        p.actionTimer = 0;
        p.hasBall = 0;
        p.rootHeight = 0;
        p.vertSpeed = 0;
        p.airborne = 0;
        p.cutting = 0;
        p.reactionTimer = -1;
        if (distance3(p.pos, p.checkSpot) > kResetSnapDistance) {
            const float r1 = matchRandomFloat(s);
            const float r2 = matchRandomFloat(s);
            p.pos = {p.checkSpot.x + (r1 * 1.2f - 0.6f), p.checkSpot.y, p.checkSpot.z + (r2 * 0.6f + 0.4f)};
        }
        p.homeSpot = p.pos;
    }

    BallState& b = s.ball;
    b = BallState{};
    b.phase = BALL_HELD;
    b.pos = b.vel = b.prevPos = b.spin = {0, 0, 0};
    b.holder = checker;
    b.possessionTeam = 1 - team;
    b.launchTime = -10;
    b.shotValue = 2;
    if (checker >= 0) {
        Player& c = s.players[checker];
        c.hasBall = 1;
        b.pos = {c.pos.x, c.pos.y + kBallAboveChecker, c.pos.z};
    }
    if (HoopNet* net = attackedNet(s)) initNet(*net);
}

HoopNet* attackedNet(MatchState& s) {
    if (!s.arena) return nullptr;
    return s.flipped ? &s.arena->farNet : &s.arena->nearNet;
}
