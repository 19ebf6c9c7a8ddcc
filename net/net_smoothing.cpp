// Correction smoothing (see net_smoothing.h).
#include "net/net_smoothing.h"

#include <cmath>
#include <raymath.h>

#include "characters/pose_generators.h"
#include "sim/match_state.h"

namespace {

constexpr float kFirstPersonBlend = 0.5f; // below it the own body is not drawn
constexpr float kGroundedRoot = 0.01f;
constexpr float kBallAboveHands = 0.06f;

// A correction of more than 3 m is shown at once (whatever the frame time),
// a tiny one ends; the rest decays.
Vector3 decay(Vector3 offset, float k) {
    if (Vector3Length(offset) > kSmoothingSnapBeyond) return Vector3{0, 0, 0};
    offset = Vector3Scale(offset, k);
    return Vector3Length(offset) < kSmoothingEndsBelow ? Vector3{0, 0, 0} : offset;
}

bool isZero(Vector3 v) { return v.x == 0 && v.y == 0 && v.z == 0; }

void shiftSkeleton(Skeleton& skeleton, Vector3 by) {
    for (Matrix& joint : skeleton.joints) {
        joint.m12 += by.x;
        joint.m13 += by.y;
        joint.m14 += by.z;
    }
}

// Poses an emoting player at his displayed position. The blend goes into a
// pose of its own: the player's pose is simulation state, and a peer that
// shows an emote must not change it.
void poseEmote(MatchState& m, int i) {
    Player& p = m.players[i];
    const float height = p.measures.height;
    Pose emote;
    float lift = 0, yawOffset = 0;
    const float w = emotePose(m.emoteId[i], m.emoteTime[i], height, emote, lift, yawOffset);
    if (w <= 0) return;
    Pose shown;
    lerpPose(shown, p.pose, emote, w);
    const Vector3 root = {p.pos.x, lift * w + p.rootHeight, p.pos.z};
    poseSkeleton(p.skeleton, p.measures, shown, root, p.yaw + yawOffset * w, p.rootHeight < kGroundedRoot);
    if (m.ball.phase == BALL_HELD && m.ball.holder == i) {
        const Vector3 between = Vector3Lerp(handPosition(p.skeleton, 1), handPosition(p.skeleton, 0), 0.5f);
        m.ball.pos = Vector3Add(between, Vector3{0, kBallAboveHands, 0});
    }
}

} // namespace

void smoothNetCorrections(NetSmoothing& s, MatchState& m, float dt) {
    const float k = std::exp(-kSmoothingRate * dt);
    for (Vector3& offset : s.playerOffset) offset = decay(offset, k);
    s.ballOffset = decay(s.ballOffset, k);

    for (int i = 0; i < 4; ++i) {
        Player& p = m.players[i];
        s.savedPos[i] = p.pos;
        s.savedSkeleton[i] = p.skeleton;
        if (isZero(s.playerOffset[i])) continue;
        p.pos = Vector3Add(p.pos, s.playerOffset[i]);
        shiftSkeleton(p.skeleton, s.playerOffset[i]);
    }
    s.savedBallPos = m.ball.pos;
    const int holder = m.ball.holder;
    const bool held = m.ball.phase == BALL_HELD && holder >= 0 && holder < 4;
    m.ball.pos = Vector3Add(m.ball.pos, held ? s.playerOffset[holder] : s.ballOffset);

    for (int i = 0; i < 4; ++i) {
        const bool ownFirstPerson = i == m.localIndex && m.chaseBlend < kFirstPersonBlend;
        if (m.players[i].present && m.emoteId[i] >= 0 && !ownFirstPerson) poseEmote(m, i);
    }
    s.restorePending = true;
}

void undoNetSmoothing(NetSmoothing& s, MatchState& m) {
    if (!s.restorePending) return;
    for (int i = 0; i < 4; ++i) {
        m.players[i].skeleton = s.savedSkeleton[i];
        m.players[i].pos = s.savedPos[i];
    }
    m.ball.pos = s.savedBallPos;
    s.restorePending = false;
}
