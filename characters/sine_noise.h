// A cheap, smooth, repeatable wobble: three incommensurate sines. Used for
// camera shake and small idle motions, where real noise would be overkill.
#pragma once

float sineNoise(float t, float seed);
