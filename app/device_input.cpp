#include "app/device_input.h"

#include <cmath>

#include "app/run_flags.h"

namespace {

constexpr float kMoveDeadZone = 0.2f;
constexpr float kLookDeadZone = 0.15f;
constexpr float kStickLookX = 14.0f; // mouse pixels per frame at full deflection
constexpr float kStickLookY = 9.0f;
// A jump this large (after the cursor was recaptured) is no mouse movement.
constexpr float kMouseJump = 400.0f;
constexpr int kPad = 0;

float axis(bool positive, bool negative) { return (positive ? 1.0f : 0.0f) - (negative ? 1.0f : 0.0f); }

bool keyDown(int a, int b) { return IsKeyDown(a) || IsKeyDown(b); }

} // namespace

RawInput mapDeviceInput(const DeviceState& d) {
    RawInput in;
    in.moveX = axis(d.right, d.left);
    in.moveY = axis(d.forward, d.back);
    in.sprintDown = d.sprintDown;
    in.sprintPressed = d.sprintPressed;
    in.shootPressed = d.shootPressed;
    in.shootDown = d.shootDown;
    in.shootReleased = d.shootReleased;
    in.leftMousePressed = d.leftMousePressed;
    in.leftMouseDown = d.leftMouseDown;
    in.rightMousePressed = d.rightMousePressed;
    in.rightMouseDown = d.rightMouseDown;
    in.passPressed = d.passPressed;
    in.movePressed = d.movePressed;

    if (d.cursorHidden && std::fabs(d.mouseDelta.x) < kMouseJump && std::fabs(d.mouseDelta.y) < kMouseJump) {
        in.lookDX = d.mouseDelta.x;
        in.lookDY = d.mouseDelta.y;
    }

    if (d.gamepad) {
        if (std::fabs(d.leftX) > kMoveDeadZone) in.moveX += d.leftX;
        if (std::fabs(d.leftY) > kMoveDeadZone) in.moveY -= d.leftY; // stick y points down
        if (std::fabs(d.rightX) > kLookDeadZone) in.lookDX += d.rightX * kStickLookX;
        if (std::fabs(d.rightY) > kLookDeadZone) in.lookDY += d.rightY * kStickLookY;
        in.moveX += axis(d.padRight, d.padLeft);
        in.moveY += axis(d.padUp, d.padDown);
        in.sprintDown |= d.triggerDown;
        in.sprintPressed |= d.triggerPressed;
        in.shootPressed |= d.padShootPressed;
        in.shootDown |= d.padShootDown;
        in.shootReleased |= d.padShootReleased;
        in.passPressed |= d.padPassPressed;
        in.movePressed |= d.padMovePressed;
    }

    const float length = std::sqrt(in.moveX * in.moveX + in.moveY * in.moveY);
    if (length > 1.0f) {
        in.moveX /= length;
        in.moveY /= length;
    }
    return in;
}

DeviceState readDeviceState() {
    DeviceState d;
    d.right = keyDown(KEY_D, KEY_RIGHT);
    d.left = keyDown(KEY_A, KEY_LEFT);
    d.forward = keyDown(KEY_W, KEY_UP);
    d.back = keyDown(KEY_S, KEY_DOWN);
    d.sprintDown = keyDown(KEY_TAB, KEY_LEFT_SHIFT);
    d.sprintPressed = IsKeyPressed(KEY_TAB) || IsKeyPressed(KEY_LEFT_SHIFT);
    d.shootPressed = IsKeyPressed(KEY_SPACE);
    d.shootDown = IsKeyDown(KEY_SPACE);
    d.shootReleased = IsKeyReleased(KEY_SPACE);
    d.leftMousePressed = IsMouseButtonPressed(MOUSE_BUTTON_LEFT);
    d.leftMouseDown = IsMouseButtonDown(MOUSE_BUTTON_LEFT);
    d.rightMousePressed = IsMouseButtonPressed(MOUSE_BUTTON_RIGHT);
    d.rightMouseDown = IsMouseButtonDown(MOUSE_BUTTON_RIGHT);
    d.passPressed = IsKeyPressed(KEY_E);
    d.movePressed = IsKeyPressed(KEY_Q) || IsMouseButtonPressed(MOUSE_BUTTON_MIDDLE) ||
                    IsMouseButtonPressed(MOUSE_BUTTON_SIDE);
    d.cursorHidden = IsCursorHidden();
    d.mouseDelta = GetMouseDelta();

    d.gamepad = IsGamepadAvailable(kPad);
    if (!d.gamepad) return d;
    d.leftX = GetGamepadAxisMovement(kPad, GAMEPAD_AXIS_LEFT_X);
    d.leftY = GetGamepadAxisMovement(kPad, GAMEPAD_AXIS_LEFT_Y);
    d.rightX = GetGamepadAxisMovement(kPad, GAMEPAD_AXIS_RIGHT_X);
    d.rightY = GetGamepadAxisMovement(kPad, GAMEPAD_AXIS_RIGHT_Y);
    d.padRight = IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_LEFT_FACE_RIGHT);
    d.padLeft = IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_LEFT_FACE_LEFT);
    d.padUp = IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_LEFT_FACE_UP);
    d.padDown = IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_LEFT_FACE_DOWN);
    d.triggerDown = IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_RIGHT_TRIGGER_1) ||
                    IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_RIGHT_TRIGGER_2);
    d.triggerPressed = IsGamepadButtonPressed(kPad, GAMEPAD_BUTTON_RIGHT_TRIGGER_1) ||
                       IsGamepadButtonPressed(kPad, GAMEPAD_BUTTON_RIGHT_TRIGGER_2);
    d.padShootPressed = IsGamepadButtonPressed(kPad, GAMEPAD_BUTTON_RIGHT_FACE_DOWN);
    d.padShootDown = IsGamepadButtonDown(kPad, GAMEPAD_BUTTON_RIGHT_FACE_DOWN);
    d.padShootReleased = IsGamepadButtonReleased(kPad, GAMEPAD_BUTTON_RIGHT_FACE_DOWN);
    d.padPassPressed = IsGamepadButtonPressed(kPad, GAMEPAD_BUTTON_RIGHT_FACE_LEFT);
    d.padMovePressed = IsGamepadButtonPressed(kPad, GAMEPAD_BUTTON_RIGHT_FACE_RIGHT);
    return d;
}

RawInput readInput() { return mapDeviceInput(readDeviceState()); }

bool pausePressed() {
    return IsKeyPressed(KEY_ESCAPE) || IsKeyPressed(KEY_P) ||
           (IsGamepadAvailable(kPad) && IsGamepadButtonPressed(kPad, GAMEPAD_BUTTON_MIDDLE_RIGHT));
}

void setMouseCaptured(bool capture) {
    if (headlessRun) return;
    const bool hidden = IsCursorHidden();
    if (capture && !hidden) DisableCursor();
    else if (!capture && hidden) EnableCursor();
}
