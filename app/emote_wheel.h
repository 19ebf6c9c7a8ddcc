// The emote wheel of an online match: held open on R, steered by the mouse,
// fired by letting go over a sector or by the keys 1 to 8 while it is open.
// The wheel's rules are plain functions of one frame's input, so they are
// tested without a window; the frame reads the devices and draws it.
#pragma once
#include <raylib.h>

struct EmoteWheel {
    bool open = false;
    bool fired = false;     // an emote went out during this opening
    Vector2 cursor = {0, 0}; // wheel pixels from the centre, y down
    int selected = -1;      // sector 0..7 (0 straight up, clockwise), -1 none
    float holdTime = 0;     // seconds since it opened
};

// One frame of what the wheel reads.
struct EmoteWheelInput {
    bool allowed = false; // overlay closed, match not over, a local player with a slot
    bool held = false;    // R down, or the test driver holding it
    Vector2 motion = {0, 0};
    int digitKey = 0;     // 1..8: the first of the keys 1 to 8 pressed this frame, else 0
    float dt = 0;
};

// The local player's wheel during an online match.
extern EmoteWheel emoteWheel;

constexpr float kWheelCursorMax = 120.0f;
constexpr float kWheelDeadZone = 26.0f;

// The sector a cursor points at, or -1 within the dead zone.
int emoteWheelSector(Vector2 cursor);
// Advances the wheel by one frame; returns the emote to fire (0..7) or -1.
int updateEmoteWheel(EmoteWheel& wheel, const EmoteWheelInput& in);
// Shuts the wheel without firing: a match that ends under an open wheel must
// not send its sector when the next match's first frame lets go of it.
void closeEmoteWheel(EmoteWheel& wheel);
// Reads R, the mouse and the keys 1 to 8 (testHold: the scripted run holds it
// open and moves the cursor by a fixed step instead of the mouse).
EmoteWheelInput readEmoteWheelInput(bool allowed, bool testHold, float dt);
void drawEmoteWheel(const EmoteWheel& wheel);
