#include "ui/widgets.h"

#include <algorithm>
#include <cmath>

#include "render/renderer.h"

namespace {

constexpr unsigned char kSegmentGlowAlpha = 63;
constexpr unsigned char kSegmentOffAlpha = 25;
constexpr unsigned char kBarOffAlpha = 30;
constexpr int kDigitPatterns[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr int kStars = 90;
constexpr int kSunGlows = 6;
constexpr int kMountains = 24;

Color withAlpha(Color c, unsigned char a) { return {c.r, c.g, c.b, a}; }

float fract(float x) { return x - std::floor(x); }

int powerOfTen(int n) {
    int p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

void drawSegment(Rectangle r, bool lit, Color color) {
    if (lit) {
        DrawRectangleRec({r.x - 2, r.y - 2, r.width + 4, r.height + 4}, withAlpha(color, kSegmentGlowAlpha));
        DrawRectangleRec(r, color);
    } else {
        DrawRectangleRec(r, withAlpha(color, kSegmentOffAlpha));
    }
}

void drawStars(float w, float hz, float t) {
    for (int i = 0; i < kStars; ++i) {
        const float x = std::fmod(i * 137.5f * 7.31f, w);
        const float y = std::fmod(i * 91.7f * 3.17f, 0.6f * hz);
        const float b = (std::sin(((i % 5) + 1.5f) * t + i) * 0.5f + 0.5f) * 0.7f + 0.3f;
        const float side = i % 7 == 0 ? 2.0f : 1.0f;
        DrawRectangleRec({x, y, side, side}, {255, 255, 255, (unsigned char)std::clamp(b * 255, 0.0f, 255.0f)});
    }
}

// The sun as 1 px lines; gaps scroll down its lower half and widen toward
// the horizon.
void drawSun(float w, float h, float hz, float t) {
    const float r = 0.27f * h;
    const Vector2 c = {0.5f * w, hz - 0.35f * r};
    for (int j = 0; j < kSunGlows; ++j) DrawCircleV(c, (1.25f + 0.12f * j) * r, {255, 60, 140, 8});
    const int lines = (int)(2 * r);
    for (int j = 0; j < lines; ++j) {
        const float y = c.y - r + j;
        if (y > hz) break;
        const float f = (float)j / (float)lines;
        if (f > 0.5f && (f - 0.5f) * 0.9f + 0.12f > fract(14 * (f - 0.5f) - 0.6f * t)) continue;
        const float half = std::sqrt(std::fmax(r * r - (y - c.y) * (y - c.y), 0.0f));
        const float k = std::fmin(f, 1.0f);
        DrawRectangleRec({c.x - half, y, 2 * half, 1},
                         {255, (unsigned char)(230 - 190 * k), (unsigned char)(90 + 60 * k), 255});
    }
}

void drawMountains(float w, float h, float hz) {
    for (int k = 1; k <= kMountains; ++k) {
        const float x0 = (k - 1) * w / kMountains - 0.02f * w;
        const float x1 = k * w / kMountains + 0.02f * w;
        const float lift = 0.035f + 0.05f * std::fabs(std::sin(1.7f * (k - 1))) + 0.03f * std::fabs(std::sin(3.1f * (k - 1)));
        const Vector2 peak = {(x0 + x1) / 2, hz - lift * h};
        DrawTriangle(peak, {x0, hz}, {x1, hz}, {20, 6, 40, 255});
        DrawLineEx({x0, hz}, peak, 1.5f, {255, 60, 200, 127});
        DrawLineEx(peak, {x1, hz}, 1.5f, {255, 60, 200, 127});
    }
}

} // namespace

void drawPanel(Rectangle rect, Color accent) {
    const int x = (int)rect.x, y = (int)rect.y, w = (int)rect.width, h = (int)rect.height;
    DrawRectangle(x + 6, y + 8, w, h, {0, 0, 0, 90});
    DrawRectangleGradientV(x, y, w, h, {28, 30, 38, 228}, {10, 11, 16, 236});
    DrawRectangleGradientV(x, y, w, (int)(h * 0.18f), {255, 255, 255, 26}, {255, 255, 255, 0});
    DrawRectangleLinesEx(rect, 1.5f, {120, 125, 140, 160});
    DrawRectangle(x, y, w, 4, accent);
}

void drawBox(Rectangle rect, Color fill, Color outline, float thickness) {
    DrawRectangleRec(rect, fill);
    DrawRectangleLinesEx(rect, thickness, outline);
}

void drawScanlines(float strength) {
    const unsigned char a = (unsigned char)std::clamp(strength * 255, 0.0f, 255.0f);
    for (int y = 0; y < kCanvasHeight; y += 4) DrawRectangle(0, y, kCanvasWidth, 2, {0, 0, 0, a});
}

int segmentBarLit(float fraction, int segments) {
    return (int)std::lround(segments * std::clamp(fraction, 0.0f, 1.0f));
}

void drawSegmentBar(Rectangle r, float fraction, Color color, Color background, int n) {
    DrawRectangleRec(r, background);
    if (n < 1) return;
    const float sw = r.width / n;
    const int lit = segmentBarLit(fraction, n);
    for (int i = 0; i < n; ++i)
        DrawRectangleRec({r.x + i * sw + 1, r.y + 1, sw - 2, r.height - 2}, i < lit ? color : withAlpha(color, kBarOffAlpha));
}

int sevenSegmentPattern(int value, int digits, int i, bool leadingZeros) {
    const int place = powerOfTen(digits - 1 - i);
    if (!leadingZeros && i < digits - 1 && value < place) return 0;
    return kDigitPatterns[(value / place) % 10];
}

void drawSevenSegment(int value, int digits, float x, float y, float s, Color color, bool leadingZeros) {
    if (digits < 1) return;
    const float t = 0.12f * s, w = 0.55f * s, tall = s / 2 - 1.5f * t;
    for (int i = 0; i < digits; ++i) {
        const float xi = x + i * 0.77f * s;
        const int bits = sevenSegmentPattern(value, digits, i, leadingZeros);
        const Rectangle segments[7] = {
            {xi + t, y, w - 2 * t, t},                   // a: top
            {xi + w - t, y + t, t, tall},                // b: top right
            {xi + w - t, y + s / 2 + t / 2, t, tall},    // c: bottom right
            {xi + t, y + s - t, w - 2 * t, t},           // d: bottom
            {xi, y + s / 2 + t / 2, t, tall},            // e: bottom left
            {xi, y + t, t, tall},                        // f: top left
            {xi + t, y + s / 2 - t / 2, w - 2 * t, t},   // g: middle
        };
        for (int k = 0; k < 7; ++k) drawSegment(segments[k], bits >> k & 1, color);
    }
}

void drawNightSky(float w, float h, float t, float hf) {
    const float hz = hf * h;
    DrawRectangleGradientV(0, 0, (int)w, (int)(0.55f * hz), {6, 2, 24, 255}, {40, 6, 70, 255});
    DrawRectangleGradientV(0, (int)(0.55f * hz), (int)w, (int)(0.45f * hz) + 1, {40, 6, 70, 255}, {150, 20, 110, 255});
    DrawRectangle(0, (int)hz, (int)w, (int)(h - hz) + 1, {8, 2, 20, 255});
    drawStars(w, hz, t);
    drawSun(w, h, hz, t);
    drawMountains(w, h, hz);
    DrawRectangle(0, (int)hz - 1, (int)w, 2, {255, 120, 220, 255});
}
