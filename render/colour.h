// Byte colour arithmetic shared by the arena, the character builder and the
// HUD. One definition for everybody: the characters' shading factors go above
// 1, so a channel is clamped rather than left to wrap.
#pragma once
#include <raylib.h>

// Clamped to 0..255 and truncated; NaN becomes 0.
inline unsigned char colourByte(float v) { return (unsigned char)(v > 0.0f ? (v < 255.0f ? v : 255.0f) : 0.0f); }

// Red, green and blue times k, clamped and truncated to bytes; alpha kept.
inline Color scaleRgb(Color c, float k) {
    return {colourByte((float)c.r * k), colourByte((float)c.g * k), colourByte((float)c.b * k), c.a};
}
