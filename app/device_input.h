// The local player's devices read once per frame: keyboard, mouse and gamepad
// 0 into one RawInput; the pause key; capturing the mouse for mouse look.
//
// readInput samples the devices into a DeviceState and maps it with
// mapDeviceInput, which holds every rule (dead zones, the dropped mouse jump,
// the normalised move) and needs no window.
#pragma once
#include <raylib.h>

#include "sim/player_input.h"

struct DeviceState {
    // keyboard and mouse
    bool right = false, left = false, forward = false, back = false; // D/RIGHT, A/LEFT, W/UP, S/DOWN held
    bool sprintDown = false, sprintPressed = false;                    // TAB or LEFT_SHIFT
    bool shootPressed = false, shootDown = false, shootReleased = false; // SPACE
    bool leftMousePressed = false, leftMouseDown = false;
    bool rightMousePressed = false, rightMouseDown = false;
    bool passPressed = false; // E
    bool movePressed = false; // Q, middle or side mouse button
    bool cursorHidden = false;
    Vector2 mouseDelta = {0, 0};
    // gamepad 0
    bool gamepad = false;
    float leftX = 0, leftY = 0, rightX = 0, rightY = 0; // stick axes 0..3
    bool padRight = false, padLeft = false, padUp = false, padDown = false; // d-pad held
    bool triggerDown = false, triggerPressed = false; // right trigger 1 or 2
    bool padShootPressed = false, padShootDown = false, padShootReleased = false; // right face down
    bool padPassPressed = false; // right face left
    bool padMovePressed = false; // right face right
};

RawInput mapDeviceInput(const DeviceState& d);
DeviceState readDeviceState();

RawInput readInput();
bool pausePressed();
// Hides and locks the cursor, or frees it; nothing in a headless run.
void setMouseCaptured(bool capture);
