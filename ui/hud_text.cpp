#include "ui/hud_text.h"

#include <cmath>
#include <cstring>

#include "ui/font_text.h"
#include "ui/fonts.h"
#include "ui/hud_view.h"

namespace {

constexpr float kBannerShadowAlpha = 0.45f;
constexpr Color kBannerOutline = {8, 8, 12, 255};
constexpr float kMouseBadgeWidth = 18.0f;
constexpr float kKeycapMinWidth = 26.0f;
constexpr float kKeycapPadding = 14.0f;
constexpr float kBadgeLabelSize = 10.0f;
constexpr Color kKeycap = {236, 238, 244, 242};
constexpr Color kKeycapLip = {160, 165, 180, 242};
constexpr Color kKeycapLabel = {20, 22, 30, 255};
constexpr Color kMouseBody = {30, 32, 40, 229};
constexpr Color kMouseLines = {200, 205, 220, 255};
constexpr Color kMouseOutline = {220, 224, 236, 255};

} // namespace

void drawBannerText(const char* text, float y, float size, unsigned char r, unsigned char g, unsigned char b,
                    float alpha) {
    const float x = 640.0f - 0.5f * measureTitleText(text, size);
    drawTitleText(text, x + 3, y + 5, size, fade(BLACK, alpha * kBannerShadowAlpha));
    const Color outline = fade(kBannerOutline, alpha);
    for (int dy = -2; dy <= 2; dy += 2)
        for (int dx = -2; dx <= 2; dx += 2)
            if (dx || dy) drawTitleText(text, x + (float)dx, y + (float)dy, size, outline);
    drawTitleText(text, x, y, size, {r, g, b, alphaOf(alpha)});
}

bool isMouseBadge(const char* label) { return std::strcmp(label, "LMB") == 0 || std::strcmp(label, "RMB") == 0; }

float promptBadgeWidth(const char* label) {
    if (isMouseBadge(label)) return kMouseBadgeWidth;
    return std::fmax(measureUiText(label, kBadgeLabelSize) + kKeycapPadding, kKeycapMinWidth);
}

void drawPromptBadge(const char* label, float x, float y, unsigned char r, unsigned char g, unsigned char b) {
    if (!isMouseBadge(label)) {
        const float w = promptBadgeWidth(label);
        DrawRectangleRounded({x, y - 3, w, 24}, 0.3f, 6, kKeycap);
        DrawRectangleRounded({x, y + 15, w, 6}, 0.5f, 6, kKeycapLip);
        // The badge label is placed by hand at the UI face's drawn size for 10.
        const float s = effectiveUiSize(kBadgeLabelSize);
        const float spacing = 0.03f * s;
        const float lw = measureFontText(uiFont(), label, s, spacing);
        drawFontText(uiFont(), label, {x + 0.5f * (w - lw), y - 0.35f}, s, spacing, kKeycapLabel);
        return;
    }
    DrawRectangleRounded({x + 1, y - 2, 16, 24}, 0.9f, 8, kMouseBody);
    const float buttonX = label[0] == 'L' ? x + 2.5f : x + 9.5f;
    DrawRectangleRounded({buttonX, y - 0.5f, 6, 9}, 0.6f, 4, {r, g, b, 255});
    DrawLineEx({x + 9, y - 1}, {x + 9, y + 8}, 1.2f, kMouseLines);
    DrawLineEx({x + 2, y + 8.5f}, {x + 16, y + 8.5f}, 1.2f, kMouseLines);
    DrawRectangleRoundedLinesEx({x + 1, y - 2, 16, 24}, 0.9f, 8, 1.5f, kMouseOutline);
}
