#include "app/emote_wheel.h"

#include <algorithm>
#include <cmath>

#include "ui/fonts.h"
#include "ui/player_tags.h"

EmoteWheel emoteWheel;

namespace {

constexpr int kSectors = 8;
constexpr float kSectorAngle = PI / 4.0f;
constexpr Vector2 kTestHoldStep = {6.0f, -4.0f};
constexpr float kFadeInSeconds = 0.12f;
constexpr Vector2 kCentre = {640.0f, 360.0f};
constexpr float kDiscRadius = 175.0f;
constexpr float kRingInner = 172.0f, kRingOuter = 176.0f;
constexpr float kSpokeInner = 52.0f, kSpokeOuter = 172.0f;
constexpr float kLabelRadius = 118.0f;
constexpr float kHubRadius = 50.0f;
constexpr float kCursorScale = 0.9f;
constexpr float kCursorDot = 6.0f;
constexpr Color kLabelColor = {220, 220, 230, 255};
constexpr Color kNumberColor = {150, 150, 165, 255};
constexpr Color kCursorColor = {255, 215, 130, 255};

// Screen angle in degrees of a sector's centre: 0 points right, sector 0 up.
float sectorDegrees(int k) { return 45.0f * k - 90.0f; }

Vector2 onCircle(float radius, float degrees) {
    const float r = degrees * DEG2RAD;
    return {kCentre.x + radius * std::cos(r), kCentre.y + radius * std::sin(r)};
}

void drawSectorLabel(int k, bool selected, float a) {
    const EmoteLabel* label = emoteLabel(k);
    const Vector2 at = onCircle(kLabelRadius, sectorDegrees(k));
    const float size = selected ? 20.0f : 16.0f;
    const Color color = selected ? label->color : kLabelColor;
    drawUiTextCentered(label->text, at.x, at.y - 0.6f * size, size, Fade(color, a), false);
    drawUiTextCentered(TextFormat("%d", k + 1), at.x, at.y + 0.5f * size + 2.0f, 10, Fade(kNumberColor, a),
                       false);
}

} // namespace

int emoteWheelSector(Vector2 c) {
    if (std::hypot(c.x, c.y) <= kWheelDeadZone) return -1;
    const int step = (int)std::round(std::atan2(c.x, -c.y) / kSectorAngle); // halves away from zero
    return (step + kSectors) % kSectors;
}

int updateEmoteWheel(EmoteWheel& w, const EmoteWheelInput& in) {
    if (!in.allowed || !in.held) {
        const int fire = w.open && w.selected >= 0 && !w.fired ? w.selected : -1;
        w.open = false;
        return fire;
    }
    if (!w.open) w = EmoteWheel{true, false, {0, 0}, -1, 0};
    w.holdTime += in.dt;
    w.cursor.x += in.motion.x;
    w.cursor.y += in.motion.y;
    const float length = std::hypot(w.cursor.x, w.cursor.y);
    if (length > kWheelCursorMax) {
        w.cursor.x *= kWheelCursorMax / length;
        w.cursor.y *= kWheelCursorMax / length;
    }
    w.selected = emoteWheelSector(w.cursor);
    if (!w.fired && in.digitKey >= 1 && in.digitKey <= kSectors) {
        w.fired = true;
        return in.digitKey - 1;
    }
    return -1;
}

void closeEmoteWheel(EmoteWheel& w) { w = EmoteWheel{}; }

EmoteWheelInput readEmoteWheelInput(bool allowed, bool testHold, float dt) {
    EmoteWheelInput in;
    in.allowed = allowed;
    in.held = testHold || IsKeyDown(KEY_R);
    in.motion = testHold ? kTestHoldStep : GetMouseDelta();
    for (int k = 1; k <= kSectors && in.digitKey == 0; ++k)
        if (IsKeyPressed(KEY_ONE + k - 1)) in.digitKey = k;
    in.dt = dt;
    return in;
}

void drawEmoteWheel(const EmoteWheel& w) {
    const float a = std::clamp(w.holdTime / kFadeInSeconds, 0.0f, 1.0f);
    DrawCircleV(kCentre, kDiscRadius, Fade({8, 8, 14, 255}, 0.72f * a));
    DrawRing(kCentre, kRingInner, kRingOuter, 0, 360, 64, Fade(WHITE, 0.25f * a));
    if (w.selected >= 0) {
        const float mid = sectorDegrees(w.selected);
        DrawCircleSector(kCentre, kSpokeOuter, mid - 22.5f, mid + 22.5f, 16,
                         Fade(emoteLabel(w.selected)->color, 0.28f * a));
    }
    for (int k = 0; k < kSectors; ++k) {
        const float edge = sectorDegrees(k) + 22.5f;
        DrawLineEx(onCircle(kSpokeInner, edge), onCircle(kSpokeOuter, edge), 1.5f, Fade(WHITE, 0.18f * a));
    }
    for (int k = 0; k < kSectors; ++k) drawSectorLabel(k, k == w.selected, a);
    DrawCircleV(kCentre, kHubRadius, Fade({20, 20, 28, 255}, 0.95f * a));
    drawUiTextCentered(w.selected >= 0 ? "LET GO" : "EMOTES", 640, 351, 14, Fade(WHITE, 0.85f * a), false);
    DrawCircleV({kCentre.x + kCursorScale * w.cursor.x, kCentre.y + kCursorScale * w.cursor.y}, kCursorDot,
                Fade(kCursorColor, a));
}
