#include "ui/minimap.h"

#include <cmath>

namespace {

constexpr float kCourtHalfWidth = 7.62f;
constexpr float kBaseline = -1.6f;
constexpr float kHalfCourtDepth = 12.73f, kFullCourtDepth = 27.06f;
constexpr float kFarHoopZ = 25.46f; // the far hoop, mirrored about mid court
constexpr float kLaneHalfWidth = 2.44f, kLaneDepth = 4.19f;
constexpr float kCornerX = 6.71f, kCornerDepth = 2.72f;
constexpr float kArcRadius = 7.24f, kArcStart = 0.38512293f, kArcSweep = 2.3713467f;
constexpr int kArcSteps = 24;
constexpr Color kLines = {220, 215, 205, 140};
constexpr Color kNearHoop = {240, 110, 40, 255}, kFarHoop = {150, 150, 160, 255};
constexpr Color kBall = {255, 150, 50, 255};

void line(const MinimapFrame& f, float x0, float z0, float x1, float z1) {
    DrawLineEx(minimapPoint(f, x0, z0), minimapPoint(f, x1, z1), 1.0f, kLines);
}

// One end of the court; z runs from the hoop toward mid court by `toward`
// (+1 for the attacked end, -1 for the far end of a full court).
void drawEnd(const MinimapFrame& f, float hoopZ, float toward, Color hoopColor) {
    const float base = hoopZ + toward * kBaseline, laneEnd = hoopZ + toward * kLaneDepth;
    line(f, -kLaneHalfWidth, base, -kLaneHalfWidth, laneEnd);
    line(f, kLaneHalfWidth, base, kLaneHalfWidth, laneEnd);
    line(f, -kLaneHalfWidth, base, kLaneHalfWidth, base);
    line(f, -kLaneHalfWidth, laneEnd, kLaneHalfWidth, laneEnd);
    const float cornerEnd = hoopZ + toward * kCornerDepth;
    line(f, -kCornerX, base, -kCornerX, cornerEnd);
    line(f, kCornerX, base, kCornerX, cornerEnd);
    for (int i = 0; i < kArcSteps; ++i) {
        const float a0 = kArcStart + kArcSweep * (float)i / kArcSteps;
        const float a1 = kArcStart + kArcSweep * (float)(i + 1) / kArcSteps;
        line(f, kArcRadius * std::cos(a0), hoopZ + toward * kArcRadius * std::sin(a0), kArcRadius * std::cos(a1),
             hoopZ + toward * kArcRadius * std::sin(a1));
    }
    DrawCircleV(minimapPoint(f, 0, hoopZ), 3, hoopColor);
}

} // namespace

MinimapFrame minimapFrame(bool fullCourt) {
    if (fullCourt) return {{1140, 20, 120, 236}, kFullCourtDepth};
    return {{1070, 20, 190, 178}, kHalfCourtDepth};
}

Vector2 minimapPoint(const MinimapFrame& f, float x, float z) {
    return {f.rect.x + 8 + (x + kCourtHalfWidth) / (2 * kCourtHalfWidth) * (f.rect.width - 16),
            28 + (z - kBaseline) / (f.depth - kBaseline) * (f.rect.height - 16)};
}

Triangle2 minimapWedge(Vector2 dot, float yaw) {
    const Vector2 dir = {std::sin(yaw), std::cos(yaw)};
    const Vector2 base = {dot.x + 18 * dir.x, dot.y + 18 * dir.y};
    const Vector2 across = {-8 * dir.y, 8 * dir.x};
    return {dot, {base.x + across.x, base.y + across.y}, {base.x - across.x, base.y - across.y}};
}

void drawMinimap(const MatchState& s) {
    const MinimapFrame f = minimapFrame(s.fullCourt);
    const Rectangle r = f.rect;
    DrawRectangle((int)r.x + 4, (int)r.y + 5, (int)r.width, (int)r.height, {0, 0, 0, 80});
    DrawRectangleGradientV((int)r.x, (int)r.y, (int)r.width, (int)r.height, {30, 26, 22, 210}, {16, 14, 12, 220});
    DrawRectangleLinesEx(r, 1.5f, {150, 150, 160, 150});
    drawEnd(f, 0, 1, kNearHoop);
    if (s.fullCourt) {
        drawEnd(f, kFarHoopZ, -1, kFarHoop);
        line(f, -kCourtHalfWidth, kHalfCourtDepth, kCourtHalfWidth, kHalfCourtDepth);
    }
    const int local = localPlayerIndex(s);
    for (const Player& p : s.players) {
        if (!p.present) continue;
        const Vector2 dot = minimapPoint(f, p.pos.x, p.pos.z);
        if (p.index == local) {
            drawTriangle2(minimapWedge(dot, p.yaw), {255, 255, 255, 50});
            DrawCircleV(dot, 6, WHITE);
        }
        DrawCircleV(dot, 4.5f, sideDisplayColor(s, p.team));
    }
    DrawCircleV(minimapPoint(f, s.ball.pos.x, s.ball.pos.z), 2.5f, kBall);
}
