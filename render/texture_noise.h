// Integer hash and value noise shared by the texture painters. Pure functions
// of their arguments: the same coordinates give the same values everywhere.
#pragma once
#include <cmath>
#include <cstdint>

// Multipliers that combine coordinates (x or an index, and y) before hashing.
constexpr uint32_t kHashX = 374761393u;
constexpr uint32_t kHashY = 668265263u;

inline uint32_t hashMix(uint32_t u) { return ((u >> 13) ^ u) * 1274126177u; }

// A value in [0, 1] from the low 24 bits of the mixed hash.
inline float hashUnit(uint32_t u) {
    uint32_t m = hashMix(u);
    return (float)((m ^ (m >> 16)) & 0xFFFFFFu) / 16777215.0f;
}

// Lattice value of value noise at integer corner (i, j).
inline float noiseCorner(int i, int j) { return hashUnit((uint32_t)i * kHashX + (uint32_t)j * kHashY); }

// Smoothstep weight of a fraction.
inline float noiseWeight(float f) { return f * f * (3 - 2 * f); }

inline float lerpf(float a, float b, float t) { return a + (b - a) * t; }

// Smooth value noise in [0, 1].
inline float valueNoise2D(float x, float y) {
    float fx0 = std::floor(x), fy0 = std::floor(y);
    int ix = (int)fx0, iy = (int)fy0;
    float sx = noiseWeight(x - fx0), sy = noiseWeight(y - fy0);
    return lerpf(lerpf(noiseCorner(ix, iy), noiseCorner(ix + 1, iy), sx),
                 lerpf(noiseCorner(ix, iy + 1), noiseCorner(ix + 1, iy + 1), sx), sy);
}
