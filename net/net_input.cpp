// Packing and unpacking of the NetInput record (see net_input.h).
#include "net/net_input.h"

#include <cmath>
#include <raylib.h>

namespace {

constexpr float kMoveScale = 127.0f;
constexpr float kAimSteps = 65535.0f;
constexpr float kTwoPi = 2.0f * PI;

int8_t packMove(float v) {
    if (!std::isfinite(v)) return 0;
    v = v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
    return static_cast<int8_t>(std::lroundf(v * kMoveScale));
}

// Into -pi..pi by whole turns. A huge yaw is first reduced with fmodf, where
// subtracting 2 pi would no longer change the float.
float wrapYaw(float yaw) {
    if (!std::isfinite(yaw)) return 0.0f;
    if (std::fabs(yaw) > 64.0f * PI) yaw = std::fmod(yaw, kTwoPi);
    while (yaw > PI) yaw -= kTwoPi;
    while (yaw < -PI) yaw += kTwoPi;
    return yaw;
}

} // namespace

void packInput(const PlayerInput& in, NetInput& out) {
    out = NetInput{};
    out.moveX = packMove(in.worldMoveX);
    out.moveY = packMove(in.worldMoveZ);
    long aim = std::lroundf((wrapYaw(in.yaw) + PI) / kTwoPi * kAimSteps);
    out.aim = static_cast<uint16_t>(aim < 0 ? 0 : (aim > 65535 ? 65535 : aim));
    const uint8_t bytes[12] = {in.sprintDown,      in.sprintPressed,     in.shootPressed,   in.shootDown,
                               in.shootReleased,   in.leftMousePressed,  in.leftMouseDown,  in.rightMousePressed,
                               in.rightMouseDown,  in.passPressed,       in.movePressed,    in.aimWithYaw};
    for (int bit = 0; bit < 12; ++bit)
        if (bytes[bit]) out.buttons |= static_cast<uint16_t>(1u << bit);
}

void unpackInput(const NetInput& in, PlayerInput& out) {
    out = PlayerInput{};
    out.valid = 1;
    out.worldMoveX = in.moveX / kMoveScale;
    out.worldMoveZ = in.moveY / kMoveScale;
    out.yaw = in.aim / kAimSteps * kTwoPi - PI;
    auto bit = [&](uint16_t b) { return static_cast<uint8_t>((in.buttons & b) ? 1 : 0); };
    out.sprintDown = bit(NET_SPRINT_DOWN);
    out.sprintPressed = bit(NET_SPRINT_PRESSED);
    out.shootPressed = bit(NET_SHOOT_PRESSED);
    out.shootDown = bit(NET_SHOOT_DOWN);
    out.shootReleased = bit(NET_SHOOT_RELEASED);
    out.leftMousePressed = bit(NET_LEFT_MOUSE_PRESSED);
    out.leftMouseDown = bit(NET_LEFT_MOUSE_DOWN);
    out.rightMousePressed = bit(NET_RIGHT_MOUSE_PRESSED);
    out.rightMouseDown = bit(NET_RIGHT_MOUSE_DOWN);
    out.passPressed = bit(NET_PASS_PRESSED);
    out.movePressed = bit(NET_MOVE_PRESSED);
    out.aimWithYaw = bit(NET_AIM_WITH_YAW);
}

void writeNetInput(const NetInput& in, uint8_t* out) {
    out[0] = static_cast<uint8_t>(in.moveX);
    out[1] = static_cast<uint8_t>(in.moveY);
    out[2] = static_cast<uint8_t>(in.aim & 0xFF);
    out[3] = static_cast<uint8_t>(in.aim >> 8);
    out[4] = static_cast<uint8_t>(in.buttons & 0xFF);
    out[5] = static_cast<uint8_t>(in.buttons >> 8);
    out[6] = in.senderPing;
    out[7] = in.zero;
}

NetInput readNetInput(const uint8_t* bytes) {
    NetInput in;
    in.moveX = static_cast<int8_t>(bytes[0]);
    in.moveY = static_cast<int8_t>(bytes[1]);
    in.aim = static_cast<uint16_t>(bytes[2] | bytes[3] << 8);
    in.buttons = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    in.senderPing = bytes[6];
    in.zero = bytes[7];
    return in;
}

bool sameNetInput(const NetInput& a, const NetInput& b) {
    return a.moveX == b.moveX && a.moveY == b.moveY && a.aim == b.aim && a.buttons == b.buttons;
}
