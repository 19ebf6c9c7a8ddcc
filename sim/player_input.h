// Per-frame device input (RawInput) and per-tick player input (PlayerInput).
// RawInput is the leading part of PlayerInput: the device reader fills a
// zeroed PlayerInput-sized record, the sampler adds the camera-relative fields.
#pragma once
#include <cstdint>

struct RawInput {
    float moveX = 0, moveY = 0;   // strafe (+right), forward (+forward)
    float lookDX = 0, lookDY = 0; // mouse pixels
    uint8_t sprintDown = 0, sprintPressed = 0;
    uint8_t shootPressed = 0, shootDown = 0, shootReleased = 0;
    uint8_t leftMousePressed = 0, leftMouseDown = 0;
    uint8_t rightMousePressed = 0, rightMouseDown = 0;
    uint8_t passPressed = 0, movePressed = 0;
};

struct PlayerInput : RawInput {
    uint8_t valid = 0;
    uint8_t aimWithYaw = 0;
    float worldMoveX = 0, worldMoveZ = 0;
    float yaw = 0;
};

inline PlayerInput toPlayerInput(const RawInput& raw) {
    PlayerInput in;
    static_cast<RawInput&>(in) = raw;
    return in;
}

// Clears the one-frame press bytes so a press reaches only one tick.
inline void clearPressBytes(RawInput& in) {
    in.sprintPressed = in.shootPressed = in.shootReleased = 0;
    in.leftMousePressed = in.rightMousePressed = in.passPressed = in.movePressed = 0;
}

inline bool hasPressByte(const RawInput& in) {
    return in.sprintPressed || in.shootPressed || in.shootReleased || in.leftMousePressed ||
           in.rightMousePressed || in.passPressed || in.movePressed;
}
