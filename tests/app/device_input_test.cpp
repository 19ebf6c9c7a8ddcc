// Device input mapping: keys, mouse and gamepad into one RawInput, with the
// dead zones, the dropped mouse jump and the normalised move.
#include <cmath>
#include <gtest/gtest.h>

#include "app/device_input.h"

namespace {

DeviceState withPad() {
    DeviceState d;
    d.gamepad = true;
    return d;
}

TEST(DeviceInput, KeysGiveAMoveOfAtMostUnitLength) {
    DeviceState d;
    d.right = d.left = true;
    EXPECT_EQ(mapDeviceInput(d).moveX, 0.0f); // both held cancel
    d.left = false;
    EXPECT_EQ(mapDeviceInput(d).moveX, 1.0f);
    d.forward = true;
    const RawInput in = mapDeviceInput(d);
    EXPECT_NEAR(in.moveX, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(in.moveY, std::sqrt(0.5f), 1e-6f);
    d = DeviceState{};
    d.back = true;
    EXPECT_EQ(mapDeviceInput(d).moveY, -1.0f);
}

TEST(DeviceInput, StickAddsToKeysThenTheMoveIsNormalised) {
    DeviceState d = withPad();
    d.right = true;
    d.leftX = 0.5f;
    RawInput in = mapDeviceInput(d); // 1.5 before normalising
    EXPECT_FLOAT_EQ(in.moveX, 1.0f);
    EXPECT_FLOAT_EQ(in.moveY, 0.0f);
    d = withPad();
    d.leftX = 0.6f;
    d.leftY = -0.3f; // stick up is forward
    in = mapDeviceInput(d);
    EXPECT_FLOAT_EQ(in.moveX, 0.6f);
    EXPECT_FLOAT_EQ(in.moveY, 0.3f);
}

TEST(DeviceInput, DeadZonesIgnoreTheirExactThreshold) {
    DeviceState d = withPad();
    d.leftX = 0.2f;
    d.leftY = -0.2f;
    d.rightX = 0.15f;
    d.rightY = -0.15f;
    RawInput in = mapDeviceInput(d);
    EXPECT_EQ(in.moveX, 0.0f);
    EXPECT_EQ(in.moveY, 0.0f);
    EXPECT_EQ(in.lookDX, 0.0f);
    EXPECT_EQ(in.lookDY, 0.0f);
    d.leftX = 0.21f;
    d.rightX = 0.5f;
    d.rightY = -0.5f;
    in = mapDeviceInput(d);
    EXPECT_FLOAT_EQ(in.moveX, 0.21f);
    EXPECT_FLOAT_EQ(in.lookDX, 7.0f);  // x 14
    EXPECT_FLOAT_EQ(in.lookDY, -4.5f); // x 9
    d.gamepad = false; // an unplugged pad reports nothing
    in = mapDeviceInput(d);
    EXPECT_EQ(in.moveX, 0.0f);
    EXPECT_EQ(in.lookDX, 0.0f);
}

TEST(DeviceInput, MouseLooksOnlyWhenCapturedAndDropsJumps) {
    DeviceState d;
    d.mouseDelta = {399, 10};
    EXPECT_EQ(mapDeviceInput(d).lookDX, 0.0f) << "a visible cursor never turns the camera";
    d.cursorHidden = true;
    RawInput in = mapDeviceInput(d);
    EXPECT_EQ(in.lookDX, 399.0f);
    EXPECT_EQ(in.lookDY, 10.0f);
    d.mouseDelta = {400, 10};
    in = mapDeviceInput(d);
    EXPECT_EQ(in.lookDX, 0.0f);
    EXPECT_EQ(in.lookDY, 0.0f);
    d.mouseDelta = {5, -400};
    EXPECT_EQ(mapDeviceInput(d).lookDX, 0.0f);
    d = withPad(); // mouse and right stick add up
    d.cursorHidden = true;
    d.mouseDelta = {10, 0};
    d.rightX = 1.0f;
    EXPECT_EQ(mapDeviceInput(d).lookDX, 24.0f);
}

TEST(DeviceInput, PadButtonsJoinTheKeyboardOnes) {
    DeviceState d = withPad();
    d.padUp = d.padLeft = true;
    d.triggerDown = d.triggerPressed = true;
    d.padShootPressed = d.padShootDown = true;
    d.padPassPressed = d.padMovePressed = true;
    RawInput in = mapDeviceInput(d);
    EXPECT_NEAR(in.moveX, -std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(in.moveY, std::sqrt(0.5f), 1e-6f);
    EXPECT_EQ(in.sprintDown, 1);
    EXPECT_EQ(in.sprintPressed, 1);
    EXPECT_EQ(in.shootPressed, 1);
    EXPECT_EQ(in.shootDown, 1);
    EXPECT_EQ(in.shootReleased, 0);
    EXPECT_EQ(in.passPressed, 1);
    EXPECT_EQ(in.movePressed, 1);
    EXPECT_EQ(in.leftMouseDown, 0);
    d = DeviceState{};
    d.leftMousePressed = d.leftMouseDown = d.rightMouseDown = d.shootReleased = true;
    in = mapDeviceInput(d);
    EXPECT_EQ(in.leftMousePressed, 1);
    EXPECT_EQ(in.leftMouseDown, 1);
    EXPECT_EQ(in.rightMouseDown, 1);
    EXPECT_EQ(in.rightMousePressed, 0);
    EXPECT_EQ(in.shootReleased, 1);
}

} // namespace
