// A match-like light rig for renderer tests and benchmarks: the match's own
// lights (a warm key from above, three cool fills, hemisphere ambient and a
// little fog).
#pragma once
#include "render/match_world.h"

inline SceneLighting sampleLighting() { return matchLighting(false); }
