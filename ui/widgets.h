// The small drawing widgets of the UI canvas: the panel behind every screen's
// content, and a retro set (boxes, scanlines, segment meters, seven-segment
// digits, a night-sky backdrop). All draw at once in 1280x720 canvas units and
// keep no state.
#pragma once
#include <raylib.h>

// Drop shadow, dark gradient body, gloss, outline and a 4 px accent bar on top.
void drawPanel(Rectangle rect, Color accent);
void drawBox(Rectangle rect, Color fill, Color outline, float thickness);
// A 2 px black bar every 4 px down the canvas; strength 0..1 is its alpha.
void drawScanlines(float strength);
// n segments, the nearest whole number of them to n x fraction lit.
void drawSegmentBar(Rectangle rect, float fraction, Color color, Color background, int segments);
int segmentBarLit(float fraction, int segments);
void drawSevenSegment(int value, int digits, float x, float y, float height, Color color, bool leadingZeros);
// Segments (bit 0 top, then clockwise, bit 6 middle) of digit i (0 = leftmost)
// of value shown in `digits` places; 0 for a blank leading digit.
int sevenSegmentPattern(int value, int digits, int i, bool leadingZeros);
// Sky gradient, twinkling stars, a striped setting sun, mountains and the
// horizon line at horizonFraction x height.
void drawNightSky(float width, float height, float time, float horizonFraction);
