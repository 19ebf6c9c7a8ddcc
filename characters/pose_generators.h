// Procedural pose generators. For now only the shared wobble used by the
// camera shake and the idle motions.
#pragma once

// A smooth pseudo-random wobble in about -1..1: three sines of unrelated
// frequencies, phase-shifted by the seed.
float sineNoise(float t, float seed);
