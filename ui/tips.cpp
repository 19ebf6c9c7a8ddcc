#include "ui/tips.h"

#include <cmath>
#include <cstdio>

#include "app/anim_clock.h"
#include "app/settings.h"
#include "sim/ai.h"
#include "sim/court.h"
#include "sim/shot_start.h"
#include "sim/sim_math.h"
#include "sim/starters.h"
#include "ui/fonts.h"
#include "ui/hud_text.h"
#include "ui/hud_view.h"

namespace {

constexpr float kToastFadeSeconds = 0.3f;
constexpr float kReminderSeconds = 12.0f; // "H: SHOW TIPS" stays this long into a match
constexpr float kLowStamina = 0.2f;

// Thresholds of the hint chain.
constexpr float kCanDunkRating = 0.55f, kSureDunkRating = 0.85f, kDunkRunSpeed = 3.5f;
constexpr float kShotClockUrgent = 6.0f;
constexpr float kFaceHoopRange = 8.5f, kFacingHoopMin = 0.6f;
constexpr float kPartnerOpenGap = 2.6f, kBetterShotMargin = 0.08f, kPassLaneRadius = 0.6f;
constexpr float kCrowdedGap = 1.4f;
constexpr float kAlleyOopRange = 4.2f, kOpenGap = 2.8f;
constexpr float kBlockRange = 2.8f, kStealCue = 0.28f;
constexpr float kChargeFacing = 0.7f, kChargeRange = 4.0f;
constexpr float kBeatenCoverage = 0.42f;
constexpr float kReboundReach = 1.4f, kReboundHeight = 2.0f;
constexpr float kBoxOutRange = 5.5f, kPassReach = 2.5f;

// Layout.
constexpr float kHintTop = 481.6f, kHintHeight = 40.0f;
constexpr Color kHintPanel = {8, 10, 16, 158};
constexpr float kRowsRight = 1258.0f, kRowsBottom = 612.0f, kRowPitch = 30.0f;
constexpr Color kRowsPanel = {8, 10, 16, 127};
constexpr Color kRowText = {228, 230, 240, 255};
constexpr Color kRowKeys = {255, 200, 90, 255};
constexpr Color kToastText = {200, 205, 220, 255};

TipHint hint(const char* text, const char* key, Color color, bool pulse = false) { return {text, key, color, pulse}; }

const char* sprintRowText(const MatchState& s) { return s.sprintToggle ? "SPRINT (TOGGLE)" : "SPRINT (HOLD)"; }

void waitingRows(std::vector<TipRow>& rows, const MatchState& s, int team) {
    if (s.offense == team) {
        pushTipRow(rows, {"LMB", "SPACE", "HOLD TO SHOOT, RELEASE AT THE TOP"});
        pushTipRow(rows, {"RMB", nullptr, "PASS"});
        pushTipRow(rows, {"Q", nullptr, "DRIBBLE MOVE"});
    } else {
        pushTipRow(rows, {"WASD", nullptr, "STAY BETWEEN YOUR MAN AND THE HOOP"});
        pushTipRow(rows, {"LMB", nullptr, "STEAL WHEN THE BALL GLOWS"});
        pushTipRow(rows, {"SPACE", nullptr, "BLOCK / CONTEST"});
    }
    pushTipRow(rows, {"SHIFT", nullptr, sprintRowText(s)});
    if (s.online) pushTipRow(rows, {"R", nullptr, "HOLD FOR EMOTES"});
}

bool partnerIsOpen(const MatchState& s, const Player& L, const Player& P) {
    if (!P.present || nearestOtherDistance(s, P) <= kPartnerOpenGap) return false;
    const bool better = shotQuality(s, P, P.pos) > shotQuality(s, L, L.pos) + kBetterShotMargin;
    return (P.cutting || better) && isPassLaneOpen(s, L.pos, P.pos, L.team, kPassLaneRadius);
}

void withTheBall(TipsModel& m, const MatchState& s, const Player& L, const Player& P) {
    if (L.action == ACT_JUMP_SHOT && !L.released) {
        m.hint = L.tookOff ? hint("RELEASE AT THE TOP OF YOUR JUMP", "LMB", kTipGreen, true)
                           : hint("KEEP HOLDING... (TAP = PUMP FAKE)", "LMB", kTipGreen);
    } else {
        const float dunk = L.ratings[RATING_DUNK];
        const bool canDunk =
            dunk >= kCanDunkRating && (L.sprinting || dunk > kSureDunkRating || flatLength(L.vel) > kDunkRunSpeed);
        const Vector3 toHoop = flatUnit({-L.pos.x, 0, -L.pos.z});
        if (s.mustClear) m.hint = hint("CLEAR IT: TAKE IT BEHIND THE ARC FIRST", nullptr, kTipAmber);
        else if (inFinishRange(s, L))
            m.hint = canDunk ? hint("DUNK IT!", "LMB", kTipGreen, true) : hint("LAYUP (SPRINT IN TO DUNK)", "LMB", kTipGreen);
        else if (s.shotClock < kShotClockUrgent) m.hint = hint("SHOT CLOCK! GET A SHOT UP", "LMB", kTipRed, true);
        else if (flatLength(L.pos) < kFaceHoopRange && flatDot(forwardOf(L.yaw), toHoop) < kFacingHoopMin)
            m.hint = hint("TURN TO FACE THE HOOP TO SHOOT", nullptr, kTipAmber);
        else if (partnerIsOpen(s, L, P)) {
            char text[64];
            std::snprintf(text, sizeof text, "PASS - %s IS OPEN", playerDisplayName(s, P.index));
            m.hint = hint(text, "RMB", kTipGreen);
        } else if (nearestOtherDistance(s, L) < kCrowdedGap)
            m.hint = hint("SHAKE HIM: CROSSOVER (+S = STEP-BACK)", "Q", kTipWhite);
    }
    pushTipRow(m.rows, {"LMB", "SPACE", "HOLD TO SHOOT, RELEASE AT THE TOP"});
    if (!s.oneOnOne) pushTipRow(m.rows, {"RMB", nullptr, "PASS TO TEAMMATE"});
    pushTipRow(m.rows, {"Q", nullptr, "CROSSOVER  /  +SPRINT SPIN  /  +S STEP-BACK"});
    pushTipRow(m.rows, {"SHIFT", nullptr, "SPRINT - DRIVE INTO THE LANE TO DUNK"});
}

// The holder is a team-mate, so his partner has the ball.
void teamMateHasIt(TipsModel& m, const MatchState& s, const Player& L) {
    if (flatLength(L.pos) < kAlleyOopRange && !s.mustClear)
        m.hint = hint("ALLEY-OOP!", "SPACE", kTipGreen, true);
    else if (nearestOtherDistance(s, L) > kOpenGap) m.hint = hint("YOU'RE OPEN - CALL FOR IT", "LMB", kTipGreen);
    pushTipRow(m.rows, {"LMB", "RMB", "CALL FOR THE BALL"});
    pushTipRow(m.rows, {"SPACE", nullptr, "NEAR THE RIM: ALLEY-OOP"});
    pushTipRow(m.rows, {"SHIFT", nullptr, "SPRINT TO THE RIM TO GET OPEN"});
}

bool chargeComing(const Player& L, const Player& H) {
    if (!H.sprinting || flatDistance(H.pos, L.pos) >= kChargeRange) return false;
    const Vector3 run = flatUnit(H.vel, {0, 0, 0});
    const Vector3 toL = flatUnit({L.pos.x - H.pos.x, 0, L.pos.z - H.pos.z}, {0, 0, 0});
    return flatDot(run, toL) > kChargeFacing;
}

void opponentHasIt(TipsModel& m, const MatchState& s, const Player& L, const Player& H) {
    const float steal = stealChanceOnHolder(s, L, H) * stealFactor(s.difficulty);
    const bool marked = L.matchup >= 0 && L.matchup < 4;
    const float cover = marked ? coverageScore(s, L.pos, s.players[L.matchup]) : 1.0f;
    const Player* shooter = nullptr;
    for (const Player& o : s.players)
        if (o.present && o.team != L.team && (o.action == ACT_JUMP_SHOT || o.action == ACT_FINISH || o.action == ACT_DUNK))
            shooter = &o;
    if (shooter && flatDistance(shooter->pos, L.pos) < kBlockRange && !L.airborne)
        m.hint = hint("BLOCK IT!", "SPACE", kTipRed, true);
    else if (steal > kStealCue && L.action == ACT_MOVE) m.hint = hint("STEAL!  (OR E)", "LMB", kTipGreen, true);
    else if (chargeComing(L, H) && L.stance) m.hint = hint("HOLD YOUR GROUND - TAKE THE CHARGE", nullptr, kTipAmber);
    else if (cover < kBeatenCoverage) m.hint = hint("GET BACK BETWEEN YOUR MAN AND THE HOOP", nullptr, kTipRed);
    pushTipRow(m.rows, {"WASD", nullptr, "MOVE - YOU SLIDE WHEN CLOSE TO YOUR MAN"});
    pushTipRow(m.rows, {"LMB", nullptr, "STEAL (OR E) - BEST WHEN THE BALL GLOWS"});
    pushTipRow(m.rows, {"SPACE", nullptr, "BLOCK / CONTEST THE SHOT"});
    pushTipRow(m.rows, {nullptr, nullptr, "STAND STILL IN STANCE TO DRAW CHARGES"});
}

void ballInTheAir(TipsModel& m, const MatchState& s, const Player& L) {
    const BallState& b = s.ball;
    const bool shot = b.phase == BALL_SHOT;
    const bool reachable = flatDistance(b.pos, L.pos) < kReboundReach && b.pos.y > kReboundHeight &&
                           (!shot || b.rimTouched || b.vel.y < 0);
    if (reachable) m.hint = hint("JUMP FOR THE BOARD!", "SPACE", kTipGreen, true);
    else if (!shot) m.hint = hint("LOOSE BALL - GO GET IT!", nullptr, kTipAmber);
    else if (L.boxingOut) m.hint = hint("BOXING OUT - HOLD YOUR SPOT", nullptr, kTipGreen);
    else if (flatLength(L.pos) < kBoxOutRange) m.hint = hint("GET BETWEEN YOUR MAN AND THE RIM", nullptr, kTipWhite);
    pushTipRow(m.rows, {"SPACE", nullptr, "JUMP FOR REBOUNDS"});
    pushTipRow(m.rows, {nullptr, nullptr, "STAY CLOSE TO THE RIM TO BOX OUT"});
}

void livePlay(TipsModel& m, const MatchState& s, const Player& L) {
    const BallState& b = s.ball;
    const Player& P = s.players[L.team * 2 + (1 - L.slot)];
    const int holder = b.phase == BALL_HELD && b.holder >= 0 && b.holder < 4 ? b.holder : -1;
    if (L.hasBall || holder == L.index) withTheBall(m, s, L, P);
    else if (holder >= 0 && s.players[holder].team == L.team) teamMateHasIt(m, s, L);
    else if (holder >= 0) opponentHasIt(m, s, L, s.players[holder]);
    else if (b.phase == BALL_SHOT || b.phase == BALL_LOOSE) ballInTheAir(m, s, L);
    else if (b.phase == BALL_PASS && b.passFrom >= 0 && b.passFrom < 4 && s.players[b.passFrom].team != L.team &&
             flatDistance(b.pos, L.pos) < kPassReach)
        m.hint = hint("REACH FOR THE PASS!", "LMB", kTipGreen, true);
    if (L.energy < kLowStamina) pushTipRow(m.rows, {nullptr, nullptr, "LOW STAMINA - EASE OFF THE SPRINT"});
}

float rowWidth(const TipRow& r) {
    float w = measureUiText(r.text.c_str(), 10);
    if (r.key) w += promptBadgeWidth(r.key) + 8;
    if (r.secondKey) w += promptBadgeWidth(r.secondKey) + 8;
    return w;
}

void drawToast(const TipsModel& m) {
    const float a = m.toastLevel;
    const float w = std::fmax(measureUiText(m.toastSubtitle, 10), measureTitleText(m.toastTitle, 30));
    DrawRectangleRounded({640 - 0.5f * (w + 40), 196, w + 40, 66}, 0.25f, 8, fade({10, 12, 18, 255}, a * 0.75f));
    drawTitleText(m.toastTitle, 640 - 0.5f * measureTitleText(m.toastTitle, 30), 202, 30, fade(WHITE, a));
    drawUiTextCentered(m.toastSubtitle, 640, 238, 10, fade(kToastText, a), false);
}

void drawHint(const TipHint& h) {
    const float wave = std::sin(12.0f * animClock);
    const float z = h.pulse ? 20.0f * (1.0f + 0.06f * wave) : 20.0f;
    const float badge = h.key ? promptBadgeWidth(h.key) + 12 : 0;
    const float w = measureUiText(h.text.c_str(), z) + badge + 34;
    const Rectangle panel = {640 - 0.5f * w, kHintTop, w, kHintHeight};
    DrawRectangleRounded(panel, 0.4f, 8, kHintPanel);
    if (h.pulse) DrawRectangleRoundedLinesEx(panel, 0.4f, 8, 2.0f, fade(h.color, 0.6f + 0.4f * wave));
    if (h.key) drawPromptBadge(h.key, panel.x + 17, kHintTop + 9, h.color.r, h.color.g, h.color.b);
    drawUiTextShadow(h.text.c_str(), panel.x + 17 + badge, kHintTop + 11 - 0.5f * (z - 20), z,
                     {h.color.r, h.color.g, h.color.b, 255}, 2.0f, {0, 0, 0, 200});
}

void drawRows(const std::vector<TipRow>& rows) {
    const int n = (int)rows.size();
    float widest = 0;
    for (const TipRow& r : rows) widest = std::fmax(widest, rowWidth(r));
    const float top = kRowsBottom - (float)(n - 1) * kRowPitch - 12;
    DrawRectangleRounded({kRowsRight - widest - 18, top, widest + 28, (float)n * kRowPitch + 26}, 0.12f, 8, kRowsPanel);
    drawUiTextRight("H: HIDE TIPS", 1256, 632, 10, {150, 155, 170, 220}, false);
    for (int j = 0; j < n; ++j) {
        const TipRow& r = rows[n - 1 - j];
        const float y = kRowsBottom - kRowPitch * (float)j;
        float x = kRowsRight - measureUiText(r.text.c_str(), 10);
        drawUiText(r.text.c_str(), x, y + 2, 10, kRowText);
        for (const char* key : {r.secondKey, r.key}) {
            if (!key) continue;
            x -= 8 + promptBadgeWidth(key);
            drawPromptBadge(key, x, y, kRowKeys.r, kRowKeys.g, kRowKeys.b);
        }
    }
}

} // namespace

void pushTipRow(std::vector<TipRow>& rows, TipRow row) { rows.push_back(std::move(row)); }

TipsModel buildTips(const MatchState& s, bool tipsOn) {
    TipsModel m;
    if (s.tipsToast > 0) {
        m.toastLevel = std::fmin(s.tipsToast / kToastFadeSeconds, 1.0f);
        m.toastTitle = tipsOn ? "TIPS ON" : "TIPS OFF";
        m.toastSubtitle = tipsOn ? "PRESS H TO HIDE" : "PRESS H TO SHOW THEM AGAIN";
    }
    const int local = localPlayerIndex(s);
    if (local < 0) return m;
    if (!tipsOn) {
        m.showReminder = s.clock < kReminderSeconds;
        return m;
    }
    const Player& L = s.players[local];
    if (s.phase == PHASE_OPENING || s.phase == PHASE_CHECK_BALL) waitingRows(m.rows, s, L.team);
    else if (s.phase == PHASE_LIVE) livePlay(m, s, L);
    return m;
}

void drawTips(const MatchState& s) {
    const TipsModel m = buildTips(s, settings.tooltips != 0);
    if (m.toastLevel > 0) drawToast(m);
    if (m.showReminder) drawUiTextRight("H: SHOW TIPS", kRowsRight, 620, 10, {200, 205, 220, 200}, true);
    if (!m.hint.text.empty()) drawHint(m.hint);
    if (!m.rows.empty()) drawRows(m.rows);
}
