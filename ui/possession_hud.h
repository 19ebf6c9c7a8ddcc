// Who has the ball and how the local player defends it: the possession pill
// above the scoreboard with the flash when he gains the ball, and, on
// defence, the coverage marker over his man and the steal ring round the ball.
#pragma once
#include <string>
#include <raylib.h>

#include "sim/match_state.h"

// The pill's text by situation; empty when it shows nothing.
struct PossessionLine {
    std::string text;
    Color color = {0, 0, 0, 0};
    bool ownBall = false; // the local player holds it: pulsing, with a ball icon
};
PossessionLine possessionLine(const MatchState& state);

struct CoverageLabel {
    const char* text;
    Color color;
};
CoverageLabel coverageLabel(float coverage);

// The ring round the ball while a steal is on: shown from a chance of 0.15,
// growing and brightening above 0.2.
struct StealRing {
    bool shown = false;
    float k = 0;
    unsigned char alpha = 0;
};
StealRing stealRing(float chance);

void drawPossessionHud(const MatchState& state);
void drawDefenseIndicator(const MatchState& state);
