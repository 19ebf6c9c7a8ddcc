// sineNoise: roughly in [-1, 1], the same value for the same (t, seed).
#include "characters/sine_noise.h"

#include <cmath>

float sineNoise(float t, float seed) {
    return 0.5f * std::sin(19.0f * t + seed) + 0.3f * std::sin(31.7f * t + 2.1f * seed) +
           0.2f * std::sin(53.3f * t + 3.7f * seed);
}
