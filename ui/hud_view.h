// What every layer of the match overlay shares: whose view it is, the teams'
// display colours, the names shown for players, and where a court point lands
// on the 1280x720 canvas. Projection is plain maths on the match camera, so
// all of this is usable without a window.
//
// Triangles: raylib culls back faces, and on the y-down canvas it draws a
// triangle only when its corners run counter-clockwise on screen, which is a
// negative signedArea below. Every triangle the overlay builds is returned in
// that order.
#pragma once
#include <raylib.h>

#include "render/colour.h"
#include "sim/match_state.h"

constexpr float kCanvasW = 1280.0f;
constexpr float kCanvasH = 720.0f;
constexpr Vector2 kCanvasCentre = {640.0f, 360.0f};

// The local player's index, or -1 when nobody plays locally.
int localPlayerIndex(const MatchState& state);
// The local player, or player 0 when nobody plays locally.
int viewPlayerIndex(const MatchState& state);

// Primary colour unless it is too dark to read (r + g + b below 150).
Color teamDisplayColor(const Team& team);
Color sideDisplayColor(const MatchState& state, int side);
// The online alias when set, else the roster last name.
const char* playerDisplayName(const MatchState& state, int index);

// The difficulty level 0..3 the overlay shows, whatever the settings say.
int shownDifficulty(int difficulty);
// Steal chances are shown scaled by this factor of the difficulty, so that
// the cue lights up about when a swipe is worth it.
float stealFactor(int difficulty);

// The point lies ahead of the camera (not beside or behind it).
bool inFrontOfCamera(const Camera3D& camera, Vector3 point);
Vector2 canvasPoint(const Camera3D& camera, Vector3 point);

struct Triangle2 {
    Vector2 a, b, c;
};
float signedArea(const Triangle2& t);
// A pointer hanging down to its tip (tag markers, the coverage marker and
// the bubble tails).
Triangle2 downPointer(Vector2 tip, float halfWidth, float height);
void drawTriangle2(const Triangle2& t, Color color);
// Both windings, for triangles whose orientation depends on the projection.
void drawTriangleBothWays(const Triangle2& t, Color color);

// A byte alpha from a 0..1 level, clamped.
unsigned char alphaOf(float level);
Color fade(Color c, float level);
