// Hoop nets: 7 rings of 14 nodes hanging from the rim on damped springs,
// pushed by the ball, on a rim that tilts on its own spring. Coordinates are
// in the near-hoop frame (rim centre at (0, 3.05, 0)); the far net uses the
// same frame with the ball mirrored into it. Stepped in the match's ticks;
// the renderer draws them (render/hoop_net.h).
#pragma once
#include <raylib.h>

constexpr int kNetRows = 7;
constexpr int kNetColumns = 14;

struct HoopNet {
    Vector3 pos[kNetRows][kNetColumns] = {};
    Vector3 vel[kNetRows][kNetColumns] = {};
    float rimAngle = 0;
    float rimVel = 0;
};

Vector3 netRestPoint(const HoopNet& net, int row, int column);
void initNet(HoopNet& net);
void stepNet(HoopNet& net, float dt, Vector3 ball, Vector3 ballVel);
