// Drawing the hoop nets, in immediate mode so the nodes can move every frame:
// 168 strands (each node to the one below it and to one diagonal neighbour
// below, the diagonal alternating by row into a diamond mesh), each a thin
// ribbon turned toward the eye and visible from both sides. eye is in the
// net's frame. The nets themselves are simulated by the match (sim/hoop_net.h).
#pragma once
#include <raylib.h>

#include "sim/hoop_net.h"

void drawNet(const HoopNet& net, Vector3 eye);
void drawNetStrand(Vector3 eye, Vector3 a, Vector3 b, float shade);
// The column in the next row down that the diagonal strand of (row, column) reaches.
int netDiagonalColumn(int row, int column);
// The ribbon's corners a - w, a + w, b + w, b - w, w across the strand and
// across the view, 0.011 m wide; false when the eye lies on the strand's line.
bool netRibbonCorners(Vector3 eye, Vector3 a, Vector3 b, Vector3 corners[4]);
