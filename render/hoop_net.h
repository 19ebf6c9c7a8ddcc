// Hoop nets: 7 rings of 14 nodes hanging from the rim on damped springs,
// pushed by the ball, on a rim that tilts on its own spring. Coordinates are
// in the near-hoop frame (rim centre at (0, 3.05, 0)); the far net uses the
// same frame with the ball mirrored into it. Simulated in match ticks.
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

// Drawing, in immediate mode so the nodes can move every frame: 168 strands
// (each node to the one below it and to one diagonal neighbour below, the
// diagonal alternating by row into a diamond mesh), each a thin ribbon turned
// toward the eye and visible from both sides. eye is in the net's frame.
void drawNet(const HoopNet& net, Vector3 eye);
void drawNetStrand(Vector3 eye, Vector3 a, Vector3 b, float shade);
// The column in the next row down that the diagonal strand of (row, column) reaches.
int netDiagonalColumn(int row, int column);
// The ribbon's corners a - w, a + w, b + w, b - w, w across the strand and
// across the view, 0.011 m wide; false when the eye lies on the strand's line.
bool netRibbonCorners(Vector3 eye, Vector3 a, Vector3 b, Vector3 corners[4]);
