// Device input mapping: keys, mouse and gamepad into one RawInput, with the
// dead zones, the dropped mouse jump and the normalised move.
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "app/device_input.h"

namespace {

struct Case {
    const char* what;
    std::function<void(DeviceState&)> set;
    float moveX, moveY, lookDX, lookDY;
};

TEST(DeviceInput, MoveAndLookFromKeysSticksAndMouse) {
    const float h = std::sqrt(0.5f);
    const Case cases[] = {
        {"both held cancel", [](DeviceState& d) { d.right = d.left = true; }, 0, 0, 0, 0},
        {"right", [](DeviceState& d) { d.right = true; }, 1, 0, 0, 0},
        {"diagonal keys are unit length", [](DeviceState& d) { d.right = d.forward = true; }, h, h, 0, 0},
        {"back", [](DeviceState& d) { d.back = true; }, 0, -1, 0, 0},
        {"stick adds to keys, then normalised", [](DeviceState& d) { d.gamepad = d.right = true; d.leftX = 0.5f; },
         1, 0, 0, 0},
        {"stick up is forward", [](DeviceState& d) { d.gamepad = true; d.leftX = 0.6f; d.leftY = -0.3f; }, 0.6f,
         0.3f, 0, 0},
        {"dead zones ignore their exact threshold",
         [](DeviceState& d) { d.gamepad = true; d.leftX = 0.2f; d.leftY = -0.2f; d.rightX = 0.15f; d.rightY = -0.15f; },
         0, 0, 0, 0},
        {"just past the dead zone; right stick x 14 and x 9",
         [](DeviceState& d) { d.gamepad = true; d.leftX = 0.21f; d.leftY = -0.2f; d.rightX = 0.5f; d.rightY = -0.5f; },
         0.21f, 0, 7, -4.5f},
        {"an unplugged pad reports nothing", [](DeviceState& d) { d.leftX = 0.21f; d.rightX = 0.5f; }, 0, 0, 0, 0},
        {"a visible cursor never turns the camera", [](DeviceState& d) { d.mouseDelta = {399, 10}; }, 0, 0, 0, 0},
        {"captured mouse", [](DeviceState& d) { d.cursorHidden = true; d.mouseDelta = {399, 10}; }, 0, 0, 399, 10},
        {"a jump in x is dropped", [](DeviceState& d) { d.cursorHidden = true; d.mouseDelta = {400, 10}; }, 0, 0, 0, 0},
        {"a jump in y is dropped", [](DeviceState& d) { d.cursorHidden = true; d.mouseDelta = {5, -400}; }, 0, 0, 0, 0},
        {"mouse and right stick add up",
         [](DeviceState& d) { d.gamepad = d.cursorHidden = true; d.mouseDelta = {10, 0}; d.rightX = 1.0f; }, 0, 0, 24,
         0},
    };
    for (const Case& c : cases) {
        DeviceState d;
        c.set(d);
        const RawInput in = mapDeviceInput(d);
        EXPECT_FLOAT_EQ(in.moveX, c.moveX) << c.what;
        EXPECT_FLOAT_EQ(in.moveY, c.moveY) << c.what;
        EXPECT_FLOAT_EQ(in.lookDX, c.lookDX) << c.what;
        EXPECT_FLOAT_EQ(in.lookDY, c.lookDY) << c.what;
    }
}

} // namespace
