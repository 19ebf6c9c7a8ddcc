// Callouts: short texts the HUD shows for a moment, as a screen banner or
// floating at a court point. The simulation appends them to the match's list;
// the per-frame presentation ages and removes them. With the match's
// play-by-play flag ("--log") every callout is also printed as one line.
#pragma once
#include <string>
#include <raylib.h>

struct MatchState;

struct Callout {
    std::string text;
    Color color = {0, 0, 0, 0};
    float age = 0.0f;
    float duration = 1.6f;
    float size = 60.0f;
    unsigned char world = 0;
    Vector3 worldPos = {0, 0, 0};
};

void postCallout(MatchState& state, const char* text, Color color, float size, float duration);
void postWorldCallout(MatchState& state, const char* text, Color color, Vector3 point, float size);
// Ages every callout by dt and drops those past their duration, keeping order.
void ageCallouts(MatchState& state, float dt);
