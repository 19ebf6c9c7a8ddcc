// The shot meter beside the aiming point and the release grade that floats
// up from it after the local player lets a shot go.
#pragma once
#include <raylib.h>

#include "sim/match_state.h"

// The release window of a difficulty, in release-timing units (1.0 is perfect).
float releaseWindow(int difficulty);

// The green band of good releases on the meter: canvas y of its top and
// bottom edge (the meter runs from timing 0 at y 420 up to 1.3 at y 300).
struct MeterBand {
    float top = 0, bottom = 0;
};
MeterBand meterBand(int difficulty);

// Grade text and colour; none for no grade and for finishes.
struct GradeLabel {
    const char* text = nullptr;
    Color color = {0, 0, 0, 0};
};
GradeLabel releaseGradeLabel(int grade);

// The meter shows at once while the local player holds a jump shot, then
// fades out at 2 per second of frame time.
void updateMeterShow(MatchState& state, float frameTime);
// shown: the user's shot meter option.
void drawShotMeter(const MatchState& state, bool shown);
