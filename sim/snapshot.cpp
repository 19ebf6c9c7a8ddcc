// Snapshot image and state hash. One field list (the visit functions below)
// serves three passes: writing, checking an incoming image without touching
// the state, and reading it into the state. The offsets in the list are the
// wire format; every value is packed little-endian by hand, so the image does
// not depend on how the compiler lays out MatchState.
//
// The check admits only what a match can reach, with room to spare, and in
// a way the match keeps: from an admitted image the match plays on with
// finite numbers and its own later images are admitted too, so a rollback
// can always restore them. Hence places near the court at both ends of a
// full court (it mirrors), player speeds and directions the movement keeps,
// the energy a ball or a jump can carry (a pass or a shot from anywhere on
// that ground stays below it), and timers up to where a tick no longer
// changes a float.
#include "sim/snapshot.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "sim/court.h"
#include "sim/court_geometry.h"
#include "sim/match_state.h"

namespace {

constexpr size_t kBallBlock = 64;
constexpr size_t kSecondCooldown = 192;
constexpr size_t kPlayerBlocks = 196;
constexpr size_t kPlayerBlockSize = 1536;
static_assert(kPlayerBlocks + 4 * kPlayerBlockSize == kSnapshotSize);

constexpr uint32_t kFnvOffset = 0x811C9DC5u;
constexpr uint32_t kFnvPrime = 16777619u;

// Allowed values of an int field; the writer and the reader ignore it.
struct Range {
    int32_t lo, hi;
};
constexpr Range kAnyInt = {INT32_MIN, INT32_MAX};
constexpr Range kPlayerOrNone = {-1, 3};
constexpr Range kSide = {0, 1};
constexpr Range kSideOrNone = {-1, 1};
constexpr Range kMatchPhases = {PHASE_OPENING, PHASE_OVER};
constexpr Range kBallPhases = {BALL_HELD, BALL_DEAD};
constexpr Range kActions = {ACT_MOVE, ACT_KNOCKED_DOWN};
constexpr Range kShotValues = {2, 3};
constexpr Range kMoveKinds = {0, 2};
constexpr Range kDunkVariants = {0, 2};
constexpr Range kCount = {0, 1 << 24}; // scores and box-score tallies: far from overflowing
// The actions a player can be off the ground in: only they let him fall.
constexpr uint32_t kAirActions = 1u << ACT_JUMP_SHOT | 1u << ACT_FINISH | 1u << ACT_DUNK | 1u << ACT_HANG |
                                 1u << ACT_AIRBORNE | 1u << ACT_ALLEY_OOP;
constexpr bool kNonZero = true;

// Allowed values of a float field (finite always).
struct FloatRange {
    float lo, hi;
};
// Clocks, timers, cooldowns and phases: at 2^24 a tick no longer moves a
// float, so a timer can never run past it; what the match derives from a
// timer (the release timing is 2.5 times the shot's) may be a few times that.
constexpr FloatRange kTimer = {-16777216.0f, 16777216.0f};
constexpr FloatRange kScalar = {-4 * kTimer.hi, 4 * kTimer.hi};
// Places, in metres from either hoop: anything of the players on court, or
// anywhere a player may wait off it (a one-on-one parks two far away).
constexpr float kCourtReach = 40.0f, kParkedReach = 100.0f;
constexpr FloatRange kCoordinate = {-kParkedReach, kParkedReach};
constexpr FloatRange kFloor = {-1.0f, 1.0f}; // players stand on it and rise by their root height
constexpr FloatRange kSpeed = {-100.0f, 100.0f};
constexpr FloatRange kPlayerSpeed = {-12.0f, 12.0f};  // running tops out near 7.5 m/s
constexpr FloatRange kSpinRate = {-1000.0f, 1000.0f}; // the floor sets it to speed / radius
constexpr FloatRange kDirection = {-2.0f, 2.0f};      // rotations and their matrices
constexpr FloatRange kUnitVector = {-1.01f, 1.01f};   // stick wishes and juke directions
constexpr FloatRange kAngle = {-2 * PI, 2 * PI};
constexpr FloatRange kUnitInterval = {0.0f, 1.0f};
// What falls: speed squared plus 2 g times height can only shrink in the air
// (drag, bounces), so it bounds how high and fast anything can ever go.
constexpr float kMaxBallRise = 200.0f;
constexpr float kMaxJumpRise = 10.0f;
constexpr FloatRange kHangHeight = {0.0f, kMaxJumpRise / 2}; // a dunker hangs there with a little speed
constexpr FloatRange kBallHeight = {-kMaxBallRise, kMaxBallRise};

// Little-endian words; on a little-endian machine that is a plain copy.
uint32_t getU32(const uint8_t* b, size_t at) {
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t v;
        std::memcpy(&v, b + at, sizeof v);
        return v;
    }
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

void putU32(uint8_t* b, size_t at, uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(b + at, &v, sizeof v);
        return;
    }
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
    b[at + 2] = (uint8_t)(v >> 16);
    b[at + 3] = (uint8_t)(v >> 24);
}

// The checks that only the Checker makes.
struct NoChecks {
    void fall(size_t, std::initializer_list<size_t>, float, float) {}
    void airborneIn(size_t, size_t, uint32_t) {}
    void onCourtIfPresent(size_t, size_t) {}
    void presentOrNone(size_t, size_t = 0) {}
};

struct Writer : NoChecks {
    uint8_t* out;
    void u32(size_t at, uint32_t v, bool = false) { putU32(out, at, v); }
    void i32(size_t at, int32_t v, Range) { putU32(out, at, (uint32_t)v); }
    void f32(size_t at, float v, FloatRange = kScalar) { putU32(out, at, std::bit_cast<uint32_t>(v)); }
    void flag(size_t at, uint8_t v) { out[at] = v ? 1 : 0; }
    void point(size_t at, Vector3 v, float = 0, FloatRange = kFloor) {
        for (int k = 0; k < 3; ++k) f32(at + 4 * (size_t)k, (&v.x)[k]);
    }
};

// Marks the bytes that the field list writes.
struct Coverage : NoChecks {
    bool* written;
    void mark(size_t at, size_t n) { std::fill(written + at, written + at + n, true); }
    void u32(size_t at, uint32_t, bool = false) { mark(at, 4); }
    void i32(size_t at, int32_t, Range) { mark(at, 4); }
    void f32(size_t at, float, FloatRange = kScalar) { mark(at, 4); }
    void flag(size_t at, uint8_t) { mark(at, 1); }
    void point(size_t at, Vector3, float = 0, FloatRange = kFloor) { mark(at, 12); }
};

// Reads the image without storing anything; ok turns false on the first
// value a sound state could never hold.
struct Checker {
    const uint8_t* in;
    bool ok = true;
    void u32(size_t at, uint32_t, bool nonZero = false) {
        if (nonZero && getU32(in, at) == 0) ok = false;
    }
    void i32(size_t at, int32_t, Range r) {
        const int32_t v = (int32_t)getU32(in, at);
        if (v < r.lo || v > r.hi) ok = false;
    }
    float get(size_t at) const { return std::bit_cast<float>(getU32(in, at)); }
    void f32(size_t at, float, FloatRange r = kScalar) {
        const float v = get(at);
        if (!(v >= r.lo && v <= r.hi)) ok = false; // NaN fails too
    }
    void flag(size_t, uint8_t) {}
    // A place within reach of the hoop at this end and, mirrored, the other,
    // at a height in the range.
    void point(size_t at, Vector3, float reach = kCourtReach, FloatRange height = kFloor) {
        f32(at, 0, {-reach, reach});
        f32(at + 4, 0, height);
        f32(at + 8, 0, {-reach, reach});
        const Vector3 far = mirrorToFarEnd({get(at), get(at + 4), get(at + 8)});
        if (!(std::fabs(far.z) <= reach)) ok = false;
    }
    void onCourtIfPresent(size_t presentAt, size_t pointAt) {
        if (in[presentAt] != 0) point(pointAt, {});
    }
    // A player the play refers to is one on court (a one-on-one parks two);
    // with `ifPresentAt`, only when that flag is set.
    void presentOrNone(size_t indexAt, size_t ifPresentAt = 0) {
        const int32_t i = (int32_t)getU32(in, indexAt);
        if (ifPresentAt != 0 && in[ifPresentAt] == 0) return;
        if (i >= 0 && i < 4 && in[kPlayerBlocks + (size_t)i * kPlayerBlockSize + 12] == 0) ok = false;
    }
    void fall(size_t heightAt, std::initializer_list<size_t> speedsAt, float gravity, float maxRise) {
        double energy = 2.0 * gravity * std::max(0.0f, get(heightAt));
        for (size_t at : speedsAt) energy += (double)get(at) * get(at);
        if (!(energy <= 2.0 * gravity * maxRise)) ok = false;
    }
    void airborneIn(size_t flagAt, size_t actionAt, uint32_t actions) {
        const uint32_t action = getU32(in, actionAt);
        if (in[flagAt] != 0 && (action >= 32 || !(actions >> action & 1u))) ok = false;
    }
};

struct Reader : NoChecks {
    const uint8_t* in;
    void u32(size_t at, uint32_t& v, bool = false) { v = getU32(in, at); }
    void i32(size_t at, int32_t& v, Range) { v = (int32_t)getU32(in, at); }
    void f32(size_t at, float& v, FloatRange = kScalar) { v = std::bit_cast<float>(getU32(in, at)); }
    void flag(size_t at, uint8_t& v) { v = in[at] != 0; }
    void point(size_t at, Vector3& v, float = 0, FloatRange = kFloor) {
        for (size_t k = 0; k < 3; ++k) f32(at + 4 * k, (&v.x)[k]);
    }
};

template <class Io, class V> void vec3(Io& io, size_t at, V& v, FloatRange r) {
    io.f32(at, v.x, r);
    io.f32(at + 4, v.y, r);
    io.f32(at + 8, v.z, r);
}

// raylib's Matrix in its declaration order.
constexpr float Matrix::*kMatrixOrder[16] = {&Matrix::m0, &Matrix::m4, &Matrix::m8,  &Matrix::m12,
                                             &Matrix::m1, &Matrix::m5, &Matrix::m9,  &Matrix::m13,
                                             &Matrix::m2, &Matrix::m6, &Matrix::m10, &Matrix::m14,
                                             &Matrix::m3, &Matrix::m7, &Matrix::m11, &Matrix::m15};

// The sixteen elements of a matrix, each named at compile time; the fourth
// of each row is a translation.
template <class Io, class M, size_t... E> void visitMatrix(Io& io, size_t at, M& m, std::index_sequence<E...>) {
    (io.f32(at + 4 * E, m.*kMatrixOrder[E], E % 4 == 3 ? kCoordinate : kDirection), ...);
}

template <class Io, class S> void visitHeader(Io& io, S& s) {
    io.u32(4, s.rng, kNonZero);
    io.i32(8, s.scores[0], kCount);
    io.i32(12, s.scores[1], kCount);
    io.i32(16, s.offense, kSide);
    io.i32(20, s.nextOffense, kSide);
    io.i32(24, s.checker, kPlayerOrNone);
    io.i32(28, s.checkHandler, kPlayerOrNone);
    io.presentOrNone(24);
    io.presentOrNone(28);
    io.i32(32, s.winner, kSideOrNone);
    io.i32(36, s.lastScorer, kPlayerOrNone);
    io.f32(40, s.shotClock);
    io.f32(44, s.phaseTimer);
    io.f32(48, s.clock);
    io.f32(52, s.excitement);
    io.i32(56, s.phase, kMatchPhases);
    io.flag(60, s.mustClear);
    io.flag(61, s.checkPassDone);
    io.flag(62, s.flipped);
    io.f32(kSecondCooldown, s.ballContactCooldown2);
}

template <class Io, class B> void visitBall(Io& io, B& b) {
    const size_t o = kBallBlock;
    io.i32(o + 0, b.phase, kBallPhases);
    io.point(o + 4, b.pos, kMaxBallRise, kBallHeight); // the walls and the energy keep it
    vec3(io, o + 16, b.vel, kSpeed);
    io.fall(o + 8, {o + 16, o + 20, o + 24}, kGravity, kMaxBallRise);
    io.point(o + 28, b.prevPos, kMaxBallRise, kBallHeight);
    io.f32(o + 40, b.spinRot.x, kDirection);
    io.f32(o + 44, b.spinRot.y, kDirection);
    io.f32(o + 48, b.spinRot.z, kDirection);
    io.f32(o + 52, b.spinRot.w, kDirection);
    vec3(io, o + 56, b.spin, kSpinRate);
    io.i32(o + 68, b.holder, kPlayerOrNone);
    io.i32(o + 72, b.shooter, kPlayerOrNone);
    io.i32(o + 76, b.passFrom, kPlayerOrNone);
    io.i32(o + 80, b.passTo, kPlayerOrNone);
    for (size_t at : {o + 68, o + 72, o + 76, o + 80}) io.presentOrNone(at); // holder, shooter, passer, receiver
    io.i32(o + 84, b.possessionTeam, kSide);
    io.i32(o + 88, b.lastPasser, kPlayerOrNone);
    io.f32(o + 92, b.launchTime);
    io.f32(o + 96, b.flightTime);
    io.i32(o + 100, b.shootingTeam, kSide);
    io.i32(o + 104, b.shotValue, kShotValues);
    io.u32(o + 108, b.blockTried);
    io.i32(o + 112, b.interceptTried, kAnyInt);
    io.flag(o + 116, b.rimTouched);
    io.flag(o + 117, b.unclearedAtRelease);
    io.flag(o + 118, b.checkPass);
    io.flag(o + 119, b.lob);
    io.flag(o + 120, b.shotRebound);
    io.flag(o + 121, b.dunk);
    io.flag(o + 122, b.finishRelease);
    io.flag(o + 123, b.perfectRelease);
    io.f32(o + 124, b.ballContactCooldown);
}

// Player i's block. Index, team and slot never change in a match, so an image
// that says otherwise is refused.
template <class Io, class P> void visitPlayer(Io& io, P& p, int i) {
    const size_t o = kPlayerBlocks + (size_t)i * kPlayerBlockSize;
    io.i32(o + 0, p.index, {i, i});
    io.i32(o + 4, p.team, {i / 2, i / 2});
    io.i32(o + 8, p.slot, {i % 2, i % 2});
    io.flag(o + 12, p.present);
    for (int r = 0; r < RATING_COUNT; ++r) io.f32(o + 32 + 4 * (size_t)r, p.ratings[r], kUnitInterval);
    for (int j = 0; j < JOINT_COUNT; ++j)
        visitMatrix(io, o + 64 + 64 * (size_t)j, p.skeleton.joints[j], std::make_index_sequence<16>());
    io.f32(o + 1088, p.skeleton.groundLift, kCoordinate);
    for (int f = 0; f < POSE_FIELD_COUNT; ++f) io.f32(o + 1092 + 4 * (size_t)f, p.pose.v[f], kAngle);
    io.point(o + 1188, p.pos, kParkedReach);
    io.onCourtIfPresent(o + 12, o + 1188);
    vec3(io, o + 1200, p.vel, kPlayerSpeed);
    io.f32(o + 1212, p.yaw, kAngle);
    io.f32(o + 1216, p.rootHeight, kCoordinate);
    io.f32(o + 1220, p.vertSpeed, kSpeed);
    io.fall(o + 1216, {o + 1220}, kPlayerGravity, kMaxJumpRise);
    io.flag(o + 1224, p.airborne);
    io.i32(o + 1228, p.action, kActions);
    io.airborneIn(o + 1224, o + 1228, kAirActions);
    io.f32(o + 1232, p.actionTimer, kTimer);
    io.f32(o + 1236, p.energy, kUnitInterval);
    io.flag(o + 1240, p.sprinting);
    io.flag(o + 1241, p.sprintLatched);
    io.f32(o + 1244, p.idleStickTime);
    io.flag(o + 1248, p.hasBall);
    vec3(io, o + 1252, p.moveWish, kUnitVector);
    io.flag(o + 1264, p.sprintWanted);
    io.flag(o + 1265, p.faceTarget);
    io.point(o + 1268, p.facePoint, kCourtReach, kBallHeight); // a player or the ball
    io.f32(o + 1280, p.releaseTiming);
    io.f32(o + 1284, p.cpuReleaseTiming);
    io.f32(o + 1288, p.gatherSpeed);
    io.flag(o + 1292, p.tookOff);
    io.flag(o + 1293, p.released);
    io.flag(o + 1294, p.shootHeld);
    io.flag(o + 1295, p.moveDecided);
    io.point(o + 1296, p.releasePos);
    io.point(o + 1308, p.dunkStart);
    io.point(o + 1320, p.dunkApproach);
    vec3(io, o + 1332, p.jukeDir, kUnitVector);
    io.i32(o + 1344, p.moveKind, kMoveKinds);
    io.i32(o + 1348, p.dunkVariant, kDunkVariants);
    io.f32(o + 1352, p.jukeStartYaw, kAngle);
    io.f32(o + 1356, p.hangHeight, kHangHeight);
    io.f32(o + 1360, p.jukeCooldown);
    io.f32(o + 1364, p.stealCooldown);
    io.f32(o + 1368, p.passTimer);
    io.f32(o + 1372, p.dribblePhase);
    io.i32(o + 1376, p.ballHand, kSide);
    io.f32(o + 1380, p.runPhase);
    io.flag(o + 1384, p.stance);
    io.flag(o + 1385, p.boxingOut);
    io.flag(o + 1386, p.helpSide);
    io.flag(o + 1387, p.blockJump);
    io.f32(o + 1388, p.stanceTime);
    io.f32(o + 1392, p.offBalance);
    io.f32(o + 1396, p.contest);
    io.f32(o + 1400, p.chargeCooldown);
    io.i32(o + 1404, p.stealSide, kAnyInt);
    io.i32(o + 1408, p.stumbleKind, kSide);
    io.flag(o + 1412, p.ballSide);
    io.f32(o + 1416, p.aiTimer);
    io.f32(o + 1420, p.aiSpotTimer);
    io.f32(o + 1424, p.reactionTimer);
    io.f32(o + 1428, p.receivedAt);
    io.f32(o + 1432, p.cutTimer);
    io.point(o + 1436, p.aiSpot);
    io.point(o + 1448, p.homeSpot);
    io.point(o + 1460, p.checkSpot);
    io.i32(o + 1472, p.matchup, kPlayerOrNone);
    io.presentOrNone(o + 1472, o + 12); // a player on court guards one on court
    io.flag(o + 1476, p.cutting);
    io.flag(o + 1477, p.driving);
    io.i32(o + 1480, p.points, kCount);
    io.i32(o + 1484, p.fga, kCount);
    io.i32(o + 1488, p.fgm, kCount);
    io.i32(o + 1492, p.tpa, kCount);
    io.i32(o + 1496, p.tpm, kCount);
    io.i32(o + 1500, p.rebounds, kCount);
    io.i32(o + 1504, p.assists, kCount);
    io.i32(o + 1508, p.steals, kCount);
    io.i32(o + 1512, p.blocks, kCount);
    io.i32(o + 1516, p.dunks, kCount);
    io.f32(o + 1520, p.squeakCooldown);
    vec3(io, o + 1524, p.prevVel, kPlayerSpeed);
}

template <class Io, class S> void visitAll(Io& io, S& s) {
    visitHeader(io, s);
    visitBall(io, s.ball);
    for (int i = 0; i < 4; ++i) visitPlayer(io, s.players[i], i);
}

// Only a full-court match ever mirrors its court.
bool imageFits(const MatchState& state, const uint8_t* bytes) {
    Checker check{bytes};
    visitAll(check, state);
    const bool flipped = bytes[62] != 0;
    return check.ok && (!flipped || state.fullCourt);
}

// The four-byte words of the image that hold bytes no field writes (between
// fields and after the flags): only they are cleared before an image is
// written, not the whole image. Fields overwrite their own bytes after.
const std::vector<uint16_t>& gapWords(const MatchState& any) {
    static const std::vector<uint16_t> words = [&any] {
        bool written[kSnapshotSize] = {};
        Coverage cover{{}, written};
        cover.u32(0, kSnapshotMagic);
        visitAll(cover, any);
        std::vector<uint16_t> at;
        for (size_t w = 0; w < kSnapshotSize; w += 4)
            if (!(written[w] && written[w + 1] && written[w + 2] && written[w + 3])) at.push_back((uint16_t)w);
        return at;
    }();
    return words;
}

struct Fnv {
    uint32_t h = kFnvOffset;
    void u32(uint32_t v) {
        for (int b = 0; b < 4; ++b) {
            h ^= (v >> (8 * b)) & 0xFFu;
            h *= kFnvPrime;
        }
    }
    void i32(int32_t v) { u32((uint32_t)v); }
    void f32(float v) { u32(std::bit_cast<uint32_t>(v)); }
    void flag(uint8_t v) { u32(v ? 1u : 0u); }
    void vec3(Vector3 v) {
        f32(v.x);
        f32(v.y);
        f32(v.z);
    }
};

} // namespace

void saveSnapshot(const MatchState& state, MatchSnapshot& out) {
    if (out.size() != kSnapshotSize) out.resize(kSnapshotSize);
    for (uint16_t at : gapWords(state)) putU32(out.data(), at, 0);
    Writer write{{}, out.data()};
    write.u32(0, kSnapshotMagic);
    visitAll(write, state);
}

bool loadSnapshot(MatchState& state, const uint8_t* bytes, size_t length) {
    if (!bytes || length != kSnapshotSize || getU32(bytes, 0) != kSnapshotMagic) return false;
    if (!imageFits(state, bytes)) return false;
    if ((bytes[62] != 0) != (state.flipped != 0)) flipCourt(state);
    Reader read{{}, bytes};
    visitAll(read, state);
    return true;
}

uint32_t hashMatchState(const MatchState& s) {
    Fnv f;
    f.u32(s.rng);
    f.i32(s.scores[0]);
    f.i32(s.scores[1]);
    f.i32(s.offense);
    f.i32(s.phase);
    f.f32(s.phaseTimer);
    f.f32(s.shotClock);
    f.flag(s.flipped);
    f.vec3(s.ball.pos);
    f.vec3(s.ball.vel);
    f.i32(s.ball.phase);
    f.i32(s.ball.holder);
    for (const Player& p : s.players) {
        f.vec3(p.pos);
        f.vec3(p.vel);
        f.f32(p.yaw);
        f.f32(p.rootHeight);
        f.f32(p.vertSpeed);
        f.i32(p.action);
        f.f32(p.actionTimer);
        f.flag(p.hasBall);
        f.f32(p.energy);
        f.vec3(handPosition(p.skeleton, 0));
    }
    return f.h;
}
