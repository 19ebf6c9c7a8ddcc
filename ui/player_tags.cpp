#include "ui/player_tags.h"

#include <cmath>

#include "characters/skeleton.h"
#include "ui/fonts.h"
#include "ui/hud_view.h"

namespace {

constexpr EmoteLabel kEmotes[kEmoteCount] = {
    {"NICE!", {120, 230, 140, 255}},      {"PASS IT!", {120, 200, 255, 255}}, {"LET'S GO!", {255, 200, 60, 255}},
    {"MY BAD", {255, 160, 120, 255}},     {"HELP ON D!", {255, 110, 110, 255}}, {"TOO EASY", {200, 150, 255, 255}},
    {"OOF", {230, 230, 240, 255}},        {"GG", {255, 215, 130, 255}},
};

constexpr float kPopSeconds = 0.15f;
constexpr float kFadeSeconds = 0.4f;
constexpr float kFirstPersonBlend = 0.5f;
constexpr float kOwnBubbleY = 550.0f;
constexpr float kOwnRise = 6.0f;   // px per second
constexpr float kOtherRise = 10.0f; // px per second
constexpr float kAboveHead = 0.75f;
constexpr Color kBubbleFill = {12, 12, 18, 255};

} // namespace

const EmoteLabel* emoteLabel(int emote) { return emote >= 0 && emote < kEmoteCount ? &kEmotes[emote] : nullptr; }

BubbleLook emoteBubbleLook(int emote, float a) {
    BubbleLook look;
    if (!emoteLabel(emote) || a > kEmoteShowSeconds) return look;
    look.shown = true;
    if (a < kPopSeconds) look.scale = 0.6f + 0.4f * (a / kPopSeconds) + 0.12f * std::sin(PI * a / kPopSeconds);
    look.fade = std::fmin((kEmoteShowSeconds - a) / kFadeSeconds, 1.0f);
    return look;
}

BubbleAnchor emoteBubbleAnchor(const MatchState& s, int i) {
    BubbleAnchor anchor;
    const float age = s.emoteTime[i];
    if (i == viewPlayerIndex(s) && localPlayerIndex(s) >= 0 && s.chaseBlend < kFirstPersonBlend) {
        anchor = {true, true, {640.0f, kOwnBubbleY - kOwnRise * age}};
        return anchor;
    }
    Vector3 head = headPosition(s.players[i].skeleton);
    head.y += kAboveHead;
    if (!inFrontOfCamera(s.camera, head)) return anchor;
    const Vector2 p = canvasPoint(s.camera, head);
    anchor = {true, false, {p.x, p.y - kOtherRise * age}};
    return anchor;
}

void drawPlayerTags(const MatchState& s) {
    for (int i = 0; i < 4; ++i) {
        if (!s.players[i].present) continue;
        const BubbleLook look = emoteBubbleLook(s.emoteId[i], s.emoteTime[i]);
        if (!look.shown) continue;
        const BubbleAnchor anchor = emoteBubbleAnchor(s, i);
        if (!anchor.shown) continue;
        const EmoteLabel& e = *emoteLabel(s.emoteId[i]);
        const float x = anchor.point.x, y = anchor.point.y;
        const float z = 22.0f * look.scale;
        const float w = measureUiText(e.text, z) + 30.0f;
        const float h = 22.0f * look.scale + 18.0f;
        const Rectangle box = {x - 0.5f * w, y - h, w, h};
        const Color edge = fade(e.color, look.fade);
        DrawRectangleRounded(box, 0.5f, 8, fade(kBubbleFill, look.fade * 0.8f));
        DrawRectangleRoundedLinesEx(box, 0.5f, 8, 2.0f, edge);
        drawTriangle2(downPointer({x, y + 9.0f}, 8.0f, 10.0f), edge);
        if (anchor.ownLabel) {
            const float lw = measureUiText("YOU", 12);
            drawUiText("YOU", box.x - 10.0f - lw, box.y + 0.5f * h - 7.0f, 12, fade(WHITE, look.fade * 0.7f));
        }
        drawUiText(e.text, box.x + 15.0f, box.y + 8.0f, z, edge);
    }
}
