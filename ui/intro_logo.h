// The maker's logo of the intro: a chameleon on a branch, drawn procedurally
// with colour-per-vertex triangles. Its body is a strip along a spine (a
// Catmull-Rom curve through hand-placed circles that ends in a curled tail);
// it sits grey, looks around, catches a glowing spark with its tongue, and a
// wave of colour runs up from the tail to the head.
//
// Logo units: x right, y down; the eye turret stands at (150, -40). The caller
// sets up the transform (the intro draws at 4.5 texture pixels per unit).
// Everything here runs on the main thread inside one open triangle batch.
#pragma once
#include <vector>
#include <raylib.h>

struct SpinePoint {
    float x = 0, y = 0;
    float nx = 0, ny = -1; // unit normal, toward the back
    float width = 0;       // half-width on the back side (along the normal)
    float width2 = 0;      // half-width on the belly side
    float s = 0;           // arc length, 0 at the head, 1 at the tail's tip
};

// Built once for the run: the body from head to tail, then the closing spiral.
std::vector<SpinePoint> buildLogoSpine();

// Body colour at spine parameter s, intro time t and animation clock: grey
// until 1.95 s, then coloured from the tail to the head by about 2.7 s, with
// a white glint riding the front of the wave.
Color logoBodyColour(float s, float t, float clock);

// Draws the whole logo as it stands at intro time t.
void drawLogo(const std::vector<SpinePoint>& spine, float t, float clock);

// The drawing kit. All of it emits into the open triangle batch, which is
// split every 300 triangles so the render batch never overflows.
void beginLogoTriangles();
void endLogoTriangles();
void drawShadedTriangle(Vector2 a, Color ca, Vector2 b, Color cb, Vector2 c, Color cc);
void fillEllipseFan(Vector2 centre, float rx, float ry, float rotation, Color inner, Color outer, int segments);
void drawCapsule(Vector2 a, Vector2 b, float halfWidthA, float halfWidthB, Color ca, Color cb);
void drawDottedRing(Color colour, float innerRadius, float outerRadius);
void drawLogoEye(Vector2 centre, float radius, float angle, float alpha);
void drawLogoBody(const std::vector<SpinePoint>& spine, int first, int end, float t, float clock);

// Colour helpers shared by the intro's drawing.
Color scaleColour(Color c, float k);             // r, g, b times k (alpha kept)
Color blendColour(Color a, Color b, float k);    // a toward b by k, every channel
float wrapHue(float hue);                        // into 0..360
