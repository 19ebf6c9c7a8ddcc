#include "ui/hud_view.h"

#include <cmath>

namespace {

constexpr int kDarkColourSum = 150;
constexpr float kInFrontMin = 0.05f;
constexpr float kStealFactors[4] = {1.9f, 1.6f, 1.4f, 1.2f};

} // namespace

int localPlayerIndex(const MatchState& s) { return s.localIndex >= 0 && s.localIndex < 4 ? s.localIndex : -1; }

int viewPlayerIndex(const MatchState& s) {
    const int local = localPlayerIndex(s);
    return local >= 0 ? local : 0;
}

Color teamDisplayColor(const Team& t) {
    return t.primary.r + t.primary.g + t.primary.b >= kDarkColourSum ? t.primary : t.secondary;
}

Color sideDisplayColor(const MatchState& s, int side) { return teamDisplayColor(teams[s.teams[side & 1]]); }

const char* playerDisplayName(const MatchState& s, int i) {
    if (!s.aliases[i].empty()) return s.aliases[i].c_str();
    const RosterPlayer* r = s.players[i].roster;
    return r && r->last ? r->last : "";
}

int shownDifficulty(int d) { return d < 0 ? 0 : d > 3 ? 3 : d; }

float stealFactor(int d) { return kStealFactors[shownDifficulty(d)]; }

bool inFrontOfCamera(const Camera3D& cam, Vector3 p) {
    const Vector3 view = {cam.target.x - cam.position.x, cam.target.y - cam.position.y, cam.target.z - cam.position.z};
    const Vector3 to = {p.x - cam.position.x, p.y - cam.position.y, p.z - cam.position.z};
    return view.x * to.x + view.y * to.y + view.z * to.z > kInFrontMin;
}

Vector2 canvasPoint(const Camera3D& cam, Vector3 p) { return GetWorldToScreenEx(p, cam, (int)kCanvasW, (int)kCanvasH); }

float signedArea(const Triangle2& t) {
    return 0.5f * ((t.b.x - t.a.x) * (t.c.y - t.a.y) - (t.b.y - t.a.y) * (t.c.x - t.a.x));
}

Triangle2 downPointer(Vector2 tip, float halfWidth, float height) {
    return {{tip.x - halfWidth, tip.y - height}, tip, {tip.x + halfWidth, tip.y - height}};
}

void drawTriangle2(const Triangle2& t, Color color) { DrawTriangle(t.a, t.b, t.c, color); }

void drawTriangleBothWays(const Triangle2& t, Color color) {
    DrawTriangle(t.a, t.b, t.c, color);
    DrawTriangle(t.a, t.c, t.b, color);
}

unsigned char alphaOf(float level) {
    const float v = level * 255.0f;
    return (unsigned char)(v <= 0 ? 0 : v >= 255 ? 255 : v);
}

Color fade(Color c, float level) { return {c.r, c.g, c.b, alphaOf(level)}; }
