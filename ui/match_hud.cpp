#include "ui/match_hud.h"

#include <cmath>
#include <cstdio>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "characters/skeleton.h"
#include "sim/sim_math.h"
#include "ui/fonts.h"
#include "ui/hud_text.h"
#include "ui/minimap.h"
#include "ui/possession_hud.h"
#include "ui/shot_meter.h"
#include "ui/tips.h"

namespace {

constexpr float kChaseView = 0.5f; // chase blend from which the view counts as the chase camera
constexpr float kTagAboveHead = 0.3f;
constexpr float kTagMargin = 50.0f;
constexpr Color kOwnMarker = {255, 220, 120, 255};
constexpr Color kTeamMateTag = {200, 235, 255, 255}, kOpponentTag = {255, 205, 200, 255};
constexpr Color kCarrierDot = {230, 110, 30, 255};
constexpr float kEdgeGap = 30.0f; // the ball counts as off screen this close to an edge
constexpr float kPointerRadius = 120.0f;
constexpr Color kPointer = {240, 130, 40, 220};
constexpr float kGuideMinDistance = 2.6f;
constexpr Color kGuide = {255, 150, 50, 230};
constexpr Color kEdgeMarker = {255, 150, 50, 235};
constexpr Color kGuideLabel = {255, 190, 120, 255};
constexpr float kBannerTop = 150.0f, kBannerPitch = 84.0f;
constexpr float kShotClockRed = 5.0f;
constexpr Color kClockNormal = {255, 205, 90, 255}, kClockRed = {255, 80, 60, 255};
constexpr Color kPossessionBar = {255, 220, 120, 255};

bool offCanvasEdge(Vector2 p) {
    return p.x <= kEdgeGap || p.x >= kCanvasW - kEdgeGap || p.y <= kEdgeGap || p.y >= kCanvasH - kEdgeGap;
}

void drawNameTags(const MatchState& s) {
    const int view = viewPlayerIndex(s), local = localPlayerIndex(s);
    for (const Player& p : s.players) {
        if (!p.present) continue;
        if (p.index == view && !(s.chaseBlend >= kChaseView && local >= 0)) continue;
        Vector3 anchor = headPosition(p.skeleton);
        anchor.y += kTagAboveHead;
        if (!inFrontOfCamera(s.camera, anchor)) continue;
        const Vector2 at = canvasPoint(s.camera, anchor);
        if (at.x < -kTagMargin || at.x > kCanvasW + kTagMargin || at.y < -kTagMargin || at.y > kCanvasH + kTagMargin)
            continue;
        if (p.index == local) {
            drawTriangle2(downPointer(at, 9, 14), kOwnMarker);
            continue;
        }
        const float f = tagFade(distance3(s.camera.position, anchor));
        char text[32];
        nameTagText(s, p.index, text, sizeof text);
        const float w = measureUiText(text, 10);
        const float left = at.x - 0.5f * (w + 14);
        DrawRectangle((int)left, (int)(at.y - 18), (int)(w + 14), 17, fade({10, 10, 14, 255}, f * 0.6f));
        DrawRectangle((int)left, (int)(at.y - 18), 3, 17, fade(sideDisplayColor(s, p.team), f));
        const bool mate = local >= 0 && s.players[local].team == p.team;
        drawUiText(text, left + 8, at.y - 16, 10, fade(mate ? kTeamMateTag : kOpponentTag, f));
        if (p.hasBall) DrawCircle((int)(at.x + 0.5f * (w + 14) + 8), (int)(at.y - 10), 5, fade(kCarrierDot, f));
    }
}

void drawAimingDot(const MatchState& s) {
    if (s.chaseBlend >= kChaseView) return;
    const int local = localPlayerIndex(s);
    if (local < 0 || !s.players[local].hasBall) {
        DrawCircleV(kCanvasCentre, 2.5f, {255, 255, 255, 200});
        DrawRing(kCanvasCentre, 9, 10.5f, 0, 360, 32, {255, 255, 255, 70});
    } else {
        DrawCircleV(kCanvasCentre, 2.5f, {255, 160, 60, 230});
        DrawRing(kCanvasCentre, 9, 12, 0, 360, 32, {255, 140, 40, 170});
    }
}

void drawBallPointer(const MatchState& s) {
    if (s.players[viewPlayerIndex(s)].hasBall) return;
    const bool inFront = inFrontOfCamera(s.camera, s.ball.pos);
    if (inFront && !offCanvasEdge(canvasPoint(s.camera, s.ball.pos))) return;
    const Vector3 f = flatUnit({s.camera.target.x - s.camera.position.x, 0, s.camera.target.z - s.camera.position.z});
    const Vector3 to = {s.ball.pos.x - s.camera.position.x, 0, s.ball.pos.z - s.camera.position.z};
    const float forward = flatDot(to, f);
    const float right = flatDot(to, {-f.z, 0, f.x});
    drawTriangle2(ballPointerTriangle(std::atan2(right, forward)), kPointer);
}

// A floor arrow from the local player toward the ball, pulsing along its length.
void drawFloorArrow(const MatchState& s, const Player& L) {
    const Vector3 n = flatUnit({s.ball.pos.x - L.pos.x, 0, s.ball.pos.z - L.pos.z});
    const Vector3 side = {-n.z, 0, n.x};
    const float q = 0.1f * std::sin(7.0f * animClock);
    auto at = [&](float along, float across) {
        return Vector3{L.pos.x + n.x * along + side.x * across, L.pos.y, L.pos.z + n.z * along + side.z * across};
    };
    const Vector3 corners[7] = {at(0.75f + q, -0.32f), at(1.45f + q, 0), at(0.75f + q, 0.32f),
                                at(0.45f + q, -0.12f), at(0.75f + q, -0.12f), at(0.75f + q, 0.12f),
                                at(0.45f + q, 0.12f)};
    Vector2 p[7];
    for (int i = 0; i < 7; ++i) {
        // Should any corner fall behind the camera its projection is meaningless.
        if (!inFrontOfCamera(s.camera, corners[i])) return;
        p[i] = canvasPoint(s.camera, corners[i]);
    }
    drawTriangleBothWays({p[0], p[1], p[2]}, kGuide);
    drawTriangleBothWays({p[3], p[4], p[5]}, kGuide);
    drawTriangleBothWays({p[3], p[5], p[6]}, kGuide);
}

void drawChaseBallGuide(const MatchState& s) {
    const int local = localPlayerIndex(s);
    if (s.chaseBlend <= kChaseView || local < 0 || s.phase != PHASE_LIVE) return;
    const Player& L = s.players[local];
    if (L.hasBall) return;
    if (flatDistance(L.pos, s.ball.pos) > kGuideMinDistance) drawFloorArrow(s, L);
    const bool inFront = inFrontOfCamera(s.camera, s.ball.pos);
    const Vector2 p = canvasPoint(s.camera, s.ball.pos);
    if (inFront && !offCanvasEdge(p)) return;
    const EdgeMarker m = ballEdgeMarker(p, !inFront);
    if (!m.shown) return;
    drawTriangleBothWays(m.arrow, m.color);
    drawUiTextCentered("BALL", m.label.x, m.label.y - 6, 10, kGuideLabel, true);
}

float calloutFade(const Callout& c) {
    if (c.age < 0.1f) return c.age / 0.1f;
    if (c.age > c.duration - 0.3f) return clampf((c.duration - c.age) / 0.3f, 0, 1);
    return 1;
}

void drawCallouts(const MatchState& s) {
    int banner = 0;
    for (const Callout& c : s.callouts) {
        const float f = calloutFade(c);
        if (!c.world) {
            const float pop = c.age < 0.15f ? 1 + 2 * (0.15f - c.age) : 1;
            const float size = c.size * 1.1f * pop;
            drawBannerText(c.text.c_str(), kBannerTop + kBannerPitch * (float)banner - 0.5f * (size - c.size), size,
                           c.color.r, c.color.g, c.color.b, f);
            ++banner;
        } else if (inFrontOfCamera(s.camera, c.worldPos)) {
            const Vector2 p = canvasPoint(s.camera, c.worldPos);
            drawUiTextCentered(c.text.c_str(), p.x, p.y - 40.0f * c.age, c.size, fade(c.color, f), true);
        }
    }
}

void drawScoreboard(const MatchState& s) {
    DrawRectangle(334, 660, 620, 50, {0, 0, 0, 100});
    DrawRectangleGradientV(330, 654, 620, 50, {40, 42, 50, 240}, {12, 12, 16, 245});
    Color home = sideDisplayColor(s, 0), away = sideDisplayColor(s, 1);
    home.a = away.a = 242;
    DrawRectangleGradientH(330, 654, 250, 50, home, scaleRgb(home, 0.4f));
    DrawRectangleGradientH(700, 654, 250, 50, scaleRgb(away, 0.4f), away);
    DrawRectangleGradientV(330, 654, 620, 22, {255, 255, 255, 40}, {255, 255, 255, 6});
    const char* homeName = teams[s.teams[0]].name;
    const char* awayName = teams[s.teams[1]].name;
    drawTitleText(homeName, 346, 663, 32, WHITE);
    drawTitleText(awayName, 934 - measureTitleText(awayName, 32), 663, 32, WHITE);
    DrawRectangle(510, 658, 62, 42, {0, 0, 0, 120});
    DrawRectangle(708, 658, 62, 42, {0, 0, 0, 120});
    for (int side = 0; side < 2; ++side) {
        const char* score = TextFormat("%d", s.scores[side]);
        drawTitleText(score, (side ? 739.0f : 541.0f) - 0.5f * measureTitleText(score, 38), 660, 38, WHITE);
    }
    const ShotClockDisplay clock = shotClockDisplay(s);
    const char* digits = TextFormat("%d", clock.seconds);
    drawTitleText(digits, 640 - 0.5f * measureTitleText(digits, 34), 657, 34, clock.color);
    drawUiTextCentered(TextFormat("FIRST TO %d", s.gameTo), 640, 690, 10, {200, 200, 210, 255}, false);
}

void drawPossessionBarAndClearBanner(const MatchState& s) {
    if (s.phase == PHASE_CHECK_BALL || s.phase == PHASE_LIVE)
        DrawRectangle(s.offense == 0 ? 336 : 940, 660, 4, 38, kPossessionBar);
    if (s.phase != PHASE_LIVE || !s.mustClear) return;
    const int local = localPlayerIndex(s);
    const char* text = local >= 0 && s.players[local].team == s.offense ? "CLEAR THE BALL - TAKE IT BEHIND THE ARC"
                                                                         : "OPPONENT MUST CLEAR THE BALL";
    const unsigned char k = (unsigned char)((0.7f + 0.3f * std::sin(8.0f * animClock)) * 220.0f);
    const float w = measureUiText(text, 20) + 40;
    DrawRectangleGradientV((int)(640 - 0.5f * w), 22, (int)w, 34, {200, 80, 20, k}, {120, 40, 10, k});
    drawUiTextCentered(text, 640, 29, 20, WHITE, true);
}

void drawPlayerCard(const MatchState& s) {
    const int local = localPlayerIndex(s);
    if (local < 0) return;
    const Player& L = s.players[local];
    DrawRectangle(24, 643, 300, 62, {0, 0, 0, 90});
    DrawRectangleGradientV(20, 638, 300, 62, {36, 38, 46, 230}, {12, 12, 16, 235});
    DrawRectangle(20, 638, 5, 62, sideDisplayColor(s, L.team));
    const RosterPlayer* r = L.roster;
    if (r) drawTitleText(TextFormat("%d  %s %s", r->look.number, r->first, r->last), 36, 644, 22, WHITE);
    drawUiText(TextFormat("%d PTS   %d REB   %d AST", L.points, L.rebounds, L.assists), 36, 668, 10,
               {200, 200, 215, 255});
    const Color sprint = L.sprinting ? Color{90, 220, 255, 255} : Color{245, 200, 80, 255};
    drawUiText(s.sprintToggle && L.sprintLatched ? "SPRINT ON" : "SPRINT", 36, 682, 10, sprint);
    DrawRectangle(114, 684, 190, 8, {0, 0, 0, 160});
    DrawRectangleGradientH(114, 684, (int)(clampf(L.energy, 0, 1) * 190), 8, scaleRgb(sprint, 0.7f), sprint);
}

void drawCheckBall(const MatchState& s) {
    if (s.phase != PHASE_CHECK_BALL) return;
    drawBannerText("CHECK BALL", 74, 40, 255, 215, 110, 1);
    const int local = localPlayerIndex(s);
    if (local >= 0 && s.players[local].team == s.offense)
        drawUiTextCentered("YOUR BALL", 640, 122, 20, {140, 240, 170, 255}, true);
    else drawUiTextCentered("ON DEFENSE", 640, 122, 20, {255, 150, 140, 255}, true);
}

} // namespace

float tagFade(float d) { return clampf(1.6f - d / 14.0f, 0, 1); }

void nameTagText(const MatchState& s, int i, char* out, int size) {
    const RosterPlayer* r = s.players[i].roster;
    std::snprintf(out, (size_t)size, "%d %s", r ? r->look.number : 0, playerDisplayName(s, i));
}

Triangle2 ballPointerTriangle(float a) {
    const Vector2 u = {std::sin(a), -std::cos(a)};
    const Vector2 across = {std::cos(a), std::sin(a)};
    const Vector2 p = {kCanvasCentre.x + kPointerRadius * u.x, kCanvasCentre.y + kPointerRadius * u.y};
    return {{p.x + 14 * u.x, p.y + 14 * u.y}, {p.x - 9 * across.x, p.y - 9 * across.y},
            {p.x + 9 * across.x, p.y + 9 * across.y}};
}

EdgeMarker ballEdgeMarker(Vector2 p, bool behind) {
    EdgeMarker m;
    if (behind) p = {kCanvasW - p.x, kCanvasH - p.y};
    Vector2 v = {p.x - kCanvasCentre.x, p.y - kCanvasCentre.y};
    const float len = std::sqrt(v.x * v.x + v.y * v.y);
    // A point exactly on the centre gives no direction: no marker.
    if (!(len > 1e-6f) || !std::isfinite(len)) return m;
    v = {v.x / len, v.y / len};
    const float tx = std::fabs(v.x) > 0 ? 600.0f / std::fabs(v.x) : 1e9f;
    const float ty = std::fabs(v.y) > 0 ? 320.0f / std::fabs(v.y) : 1e9f;
    const float t = std::fmin(tx, ty);
    const Vector2 tip = {kCanvasCentre.x + t * v.x, kCanvasCentre.y + t * v.y};
    const Vector2 back = {tip.x - 22 * v.x, tip.y - 22 * v.y};
    const Vector2 across = {-v.y * 12, v.x * 12};
    m.shown = true;
    m.color = kEdgeMarker;
    m.arrow = {tip, {back.x + across.x, back.y + across.y}, {back.x - across.x, back.y - across.y}};
    m.label = {tip.x - 40 * v.x, tip.y - 40 * v.y};
    return m;
}

ShotClockDisplay shotClockDisplay(const MatchState& s) {
    ShotClockDisplay d;
    d.color = kClockNormal;
    if (s.phase != PHASE_LIVE) return d;
    d.seconds = (int)std::ceil(std::fmax(s.shotClock, 0.0f));
    if (s.shotClock < kShotClockRed) d.color = kClockRed;
    return d;
}

void drawMatchHud(MatchState& s, float frameTime) {
    drawNameTags(s);
    drawAimingDot(s);
    drawBallPointer(s);
    drawChaseBallGuide(s);
    updateMeterShow(s, frameTime);
    drawShotMeter(s, settings.shotMeter != 0);
    drawCallouts(s);
    drawMinimap(s);
    drawScoreboard(s);
    drawPossessionBarAndClearBanner(s);
    drawPlayerCard(s);
    drawPossessionHud(s);
    drawDefenseIndicator(s);
    drawTips(s);
    drawCheckBall(s);
}
