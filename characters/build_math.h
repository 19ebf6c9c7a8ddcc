// Small helpers shared by the character builders: colours worked in floats
// and turned into bytes by clamping to 0..255 and truncating, smoothstep,
// and joint points of a skeleton matrix.
#pragma once
#include <algorithm>
#include <raylib.h>

#include "render/colour.h"

struct ColorF {
    float r = 0, g = 0, b = 0, a = 0;
};

inline ColorF toColorF(Color c) { return {(float)c.r, (float)c.g, (float)c.b, (float)c.a}; }

inline Color toColor(ColorF c) { return {colourByte(c.r), colourByte(c.g), colourByte(c.b), colourByte(c.a)}; }

// Moves a by t of the way toward b, every channel.
inline ColorF mixColor(ColorF a, ColorF b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

inline ColorF scaleRgb(ColorF c, float f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

// Darkness of a colour: 0 for white, 1 for black.
inline float darkness(Color c) { return 1.0f - (float)(c.r + c.g + c.b) / 765.0f; }

inline float smoothstep01(float c) { return c * c * (3.0f - 2.0f * c); }

inline Vector3 jointOrigin(const Matrix& m) { return {m.m12, m.m13, m.m14}; }
