// Callout list and the play-by-play lines printed with "--log".
#include "sim/callout.h"

#include <algorithm>
#include <cstdio>

#include "sim/match_state.h"

constexpr float kWorldCalloutDuration = 1.3f;

void postCallout(MatchState& s, const char* text, Color color, float size, float duration) {
    if (s.playByPlayLog) std::printf("[%6.1f] %d-%d  %s\n", s.clock, s.scores[0], s.scores[1], text);
    Callout c;
    c.text = text;
    c.color = color;
    c.size = size;
    c.duration = duration;
    s.callouts.push_back(std::move(c));
}

void postWorldCallout(MatchState& s, const char* text, Color color, Vector3 point, float size) {
    if (s.playByPlayLog) std::printf("[%6.1f]        (%s)\n", s.clock, text);
    Callout c;
    c.text = text;
    c.color = color;
    c.size = size;
    c.duration = kWorldCalloutDuration;
    c.world = 1;
    c.worldPos = point;
    s.callouts.push_back(std::move(c));
}

void ageCallouts(MatchState& s, float dt) {
    for (Callout& c : s.callouts) c.age += dt;
    std::erase_if(s.callouts, [](const Callout& c) { return c.age > c.duration; });
}
