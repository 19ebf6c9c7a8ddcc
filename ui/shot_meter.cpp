#include "ui/shot_meter.h"

#include <cmath>

#include "ui/fonts.h"
#include "ui/hud_view.h"

namespace {

constexpr float kReleaseWindows[4] = {0.11f, 0.08f, 0.065f, 0.052f};
constexpr float kMeterFadeRate = 2.0f;
constexpr float kGradeSeconds = 0.9f;
constexpr float kMeterBottom = 420.0f, kMeterHeight = 120.0f, kMeterSpan = 1.3f;
constexpr Color kBandColor = {90, 230, 120, 255};

struct FillColors {
    Color left, right;
};
constexpr FillColors kLate = {{235, 90, 60, 255}, {164, 63, 42, 255}};
constexpr FillColors kEarly = {{245, 205, 80, 255}, {171, 143, 56, 255}};
constexpr FillColors kInWindow = {{90, 235, 120, 255}, {63, 164, 84, 255}};

FillColors fillColors(float h, float w) { return h > 1 + w ? kLate : h < 1 - w ? kEarly : kInWindow; }

} // namespace

float releaseWindow(int difficulty) { return kReleaseWindows[shownDifficulty(difficulty)]; }

MeterBand meterBand(int difficulty) {
    const float w = releaseWindow(difficulty);
    return {kMeterBottom - std::fmin((1 + w) / kMeterSpan, 1.0f) * kMeterHeight,
            kMeterBottom - ((1 - w) / kMeterSpan) * kMeterHeight};
}

GradeLabel releaseGradeLabel(int grade) {
    switch (grade) {
    case 0:
    case 5: return {};
    case 1: return {"PERFECT", {90, 235, 120, 255}};
    case 2: return {"GOOD", {245, 220, 120, 255}};
    case 3: return {"EARLY", {240, 110, 90, 255}};
    default: return {"LATE", {240, 110, 90, 255}};
    }
}

void updateMeterShow(MatchState& s, float dt) {
    const int local = localPlayerIndex(s);
    if (local >= 0 && s.players[local].action == ACT_JUMP_SHOT && !s.players[local].released) s.meterShow = 1;
    else s.meterShow = std::fmax(s.meterShow - kMeterFadeRate * dt, 0.0f);
}

void drawShotMeter(const MatchState& s, bool shown) {
    const bool graded = s.releaseAge < kGradeSeconds;
    if (!shown || !(s.meterShow > 0 || graded)) return;
    const float afterglow = graded ? 1 - s.releaseAge / kGradeSeconds : 0;
    const float a = std::fmax(s.meterShow, afterglow);
    DrawRectangle(707, 297, 18, 126, fade(BLACK, a * 0.6f));

    const MeterBand band = meterBand(s.difficulty);
    DrawRectangle(710, (int)band.top, 12, (int)(band.bottom - band.top), fade(kBandColor, a * 0.4f));

    const float h = s.releaseTiming;
    const float fill = std::fmin(std::fmax(h / kMeterSpan, 0.0f), 1.0f) * kMeterHeight;
    const FillColors c = fillColors(h, releaseWindow(s.difficulty));
    DrawRectangleGradientH(710, (int)(kMeterBottom - fill), 12, (int)fill, fade(c.left, a), fade(c.right, a));
    DrawRectangleLines(709, 299, 14, 122, fade(WHITE, a * 0.8f));

    const GradeLabel grade = releaseGradeLabel(s.releaseGrade);
    if (graded && grade.text)
        drawUiTextShadow(grade.text, 732, 336 - 30 * s.releaseAge, 20, fade(grade.color, afterglow), 2.0f,
                         {0, 0, 0, 200});
}
