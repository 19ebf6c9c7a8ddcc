// A match-like light rig for renderer tests and benchmarks: a warm key from
// above, three cool fills, hemisphere ambient and a little fog.
#pragma once
#include "render/renderer.h"

inline SceneLighting sampleLighting() {
    SceneLighting l;
    l.keyDir = {0.3f, 1.0f, 0.45f};
    l.keyCol = {2.15f, 2.05f, 1.9f};
    l.fillDir[0] = {0, 0.5f, 1};
    l.fillDir[1] = {0.2f, 0.4f, -1};
    l.fillDir[2] = {-1, 0.3f, 0.2f};
    l.fillCol[0] = {0.28f, 0.28f, 0.32f};
    l.fillCol[1] = {0.3f, 0.3f, 0.34f};
    l.fillCol[2] = {0.14f, 0.13f, 0.14f};
    l.skyCol = {0.2f, 0.21f, 0.25f};
    l.groundCol = {0.19f, 0.13f, 0.08f};
    l.fogCol = {0.025f, 0.025f, 0.03f};
    l.fogDensity = 0.02f;
    l.exposure = 1.0f;
    return l;
}
