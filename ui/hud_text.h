// The big outlined banner text of the match overlay (callouts, "CHECK BALL",
// "YOUR BALL") and the key and mouse-button badges the tips show beside
// their texts.
#pragma once
#include <raylib.h>

// A title-face banner centred on the canvas, with a drop shadow and a dark
// outline; alpha is 0..1.
void drawBannerText(const char* text, float y, float size, unsigned char r, unsigned char g, unsigned char b,
                    float alpha);

// "LMB" and "RMB" draw as a mouse, every other label as a keycap.
bool isMouseBadge(const char* label);
float promptBadgeWidth(const char* label);
// Top-left at (x, y); r, g, b colour the pressed button of a mouse badge.
void drawPromptBadge(const char* label, float x, float y, unsigned char r, unsigned char g, unsigned char b);
