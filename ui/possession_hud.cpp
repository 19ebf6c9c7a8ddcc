#include "ui/possession_hud.h"

#include <cmath>

#include "app/anim_clock.h"
#include "characters/skeleton.h"
#include "sim/ai.h"
#include "sim/sim_math.h"
#include "sim/starters.h"
#include "ui/fonts.h"
#include "ui/hud_text.h"
#include "ui/hud_view.h"

namespace {

constexpr float kFlashSeconds = 0.9f;
constexpr Color kGlow = {255, 140, 30, 255};
constexpr float kPillTop = 614.0f, kPillHeight = 34.0f;
constexpr Color kPillFill = {8, 10, 16, 183};
constexpr Color kIconBall = {236, 118, 40, 255}, kIconShine = {255, 170, 90, 127}, kIconSeams = {40, 20, 12, 255};
constexpr float kLockedDown = 0.7f, kBeaten = 0.42f;
constexpr float kStealRingMin = 0.15f, kStealRingBright = 0.2f;
constexpr Color kStealRing = {120, 255, 170, 255};

void drawFlash(float t) {
    const unsigned char g = alphaOf((1 - t / kFlashSeconds) * 0.55f);
    const Color on = {kGlow.r, kGlow.g, kGlow.b, g}, off = {kGlow.r, kGlow.g, kGlow.b, 0};
    DrawRectangleGradientV(0, 0, 1280, 70, on, off);
    DrawRectangleGradientV(0, 650, 1280, 70, off, on);
    DrawRectangleGradientH(0, 0, 90, 720, on, off);
    DrawRectangleGradientH(1190, 0, 90, 720, off, on);
    drawBannerText("YOUR BALL", 406, 34 + 10 * std::exp(-8 * t), 255, 170, 70, 1 - t / kFlashSeconds);
}

void drawBallIcon(Vector2 c) {
    DrawCircleV(c, 10, kIconBall);
    DrawCircleV({c.x - 3, c.y - 3}, 4.5f, kIconShine);
    DrawLineEx({c.x - 10, c.y}, {c.x + 10, c.y}, 1.5f, kIconSeams);
    DrawLineEx({c.x, c.y - 10}, {c.x, c.y + 10}, 1.5f, kIconSeams);
    DrawRingLines(c, 10, 10, 0, 360, 24, kIconSeams);
}

void drawPill(const PossessionLine& line) {
    const float pulse = line.ownBall ? 0.85f + 0.15f * std::sin(6.0f * animClock) : 1.0f;
    const float w = measureUiText(line.text.c_str(), 20) + (line.ownBall ? 52 : 30);
    const Rectangle pill = {640 - 0.5f * w, kPillTop, w, kPillHeight};
    DrawRectangleRounded(pill, 0.5f, 10, kPillFill);
    DrawRectangleRoundedLinesEx(pill, 0.5f, 10, 2.0f, fade(line.color, pulse * 0.8f));
    if (line.ownBall) drawBallIcon({pill.x + 24, 631});
    drawUiText(line.text.c_str(), pill.x + (line.ownBall ? 42 : 15), 621, 20, fade(line.color, pulse));
}

void drawCoverageMarker(const MatchState& s, const Player& L) {
    if (L.matchup < 0 || L.matchup >= 4) return;
    const Player& man = s.players[L.matchup];
    if (man.team == L.team) return;
    const CoverageLabel label = coverageLabel(coverageScore(s, L.pos, man));
    Vector3 anchor = headPosition(man.skeleton);
    anchor.y += 0.08f;
    if (!inFrontOfCamera(s.camera, anchor) || !inFrontOfCamera(s.camera, man.pos)) return;
    const Vector2 p = canvasPoint(s.camera, anchor);
    const float y = p.y - 26;
    drawTriangle2(downPointer({p.x, y}, 9, 11), {label.color.r, label.color.g, label.color.b, 229});
    drawUiTextCentered(label.text, p.x, y - 34, 10, label.color, true);
}

void drawStealRing(const MatchState& s, const Player& L, const Player& holder) {
    if (L.action != ACT_MOVE || !holder.hasBall) return;
    const StealRing ring = stealRing(stealChance(s, L, holder) * stealFactor(s.difficulty));
    if (!ring.shown || !inFrontOfCamera(s.camera, s.ball.pos)) return;
    const float r = 16 + 5 * std::sin(14.0f * animClock);
    DrawRing(canvasPoint(s.camera, s.ball.pos), r, r + 3 + 2 * ring.k, 0, 360, 32,
             {kStealRing.r, kStealRing.g, kStealRing.b, ring.alpha});
}

} // namespace

PossessionLine possessionLine(const MatchState& s) {
    PossessionLine line;
    const int local = localPlayerIndex(s);
    if (local < 0 || s.phase != PHASE_LIVE) return line;
    const Player& L = s.players[local];
    const BallState& b = s.ball;
    if (L.hasBall) {
        line = {"YOU HAVE THE BALL", {255, 150, 50, 255}, true};
    } else if (b.phase == BALL_HELD && b.holder >= 0 && b.holder < 4) {
        const char* name = playerDisplayName(s, b.holder);
        if (s.players[b.holder].team == L.team) line = {TextFormat("%s HAS THE BALL", name), {120, 200, 255, 255}};
        else line = {TextFormat("DEFENSE - %s HAS IT", name), {255, 120, 110, 255}};
    } else if (b.phase == BALL_LOOSE) {
        line = {"LOOSE BALL!", {255, 220, 90, 255}};
    } else if (b.phase == BALL_PASS) {
        line = {b.passTo == local ? "INCOMING PASS" : "PASS IN THE AIR", {200, 210, 230, 255}};
    }
    return line;
}

CoverageLabel coverageLabel(float c) {
    if (c > kLockedDown) return {"LOCKED DOWN", {90, 255, 140, 255}};
    if (c > kBeaten) return {"STAY IN FRONT", {255, 220, 90, 255}};
    return {"BEATEN - RECOVER!", {255, 90, 80, 255}};
}

StealRing stealRing(float chance) {
    StealRing ring;
    if (!(chance > kStealRingMin)) return ring;
    ring.shown = true;
    if (chance < kStealRingBright) {
        ring.alpha = 89;
    } else {
        ring.k = std::fmin(std::fmax((chance - kStealRingBright) * 4, 0.0f), 1.0f);
        ring.alpha = alphaOf(0.55f * ring.k + 0.35f);
    }
    return ring;
}

void drawPossessionHud(const MatchState& s) {
    const int local = localPlayerIndex(s);
    if (local < 0 || s.phase != PHASE_LIVE) return;
    if (s.players[local].hasBall && s.ballReceivedAge < kFlashSeconds) drawFlash(s.ballReceivedAge);
    const PossessionLine line = possessionLine(s);
    if (!line.text.empty()) drawPill(line);
}

void drawDefenseIndicator(const MatchState& s) {
    const int local = localPlayerIndex(s);
    if (local < 0 || s.phase != PHASE_LIVE) return;
    const BallState& b = s.ball;
    if (b.phase != BALL_HELD || b.holder < 0 || b.holder >= 4) return;
    const Player& L = s.players[local];
    const Player& holder = s.players[b.holder];
    if (holder.team == L.team) return;
    drawCoverageMarker(s, L);
    drawStealRing(s, L, holder);
}
