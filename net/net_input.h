// NetInput: one player's input for one tick in 8 bytes, the same bytes on the
// wire and in the netcode's input ring. Move is quantised to 1/127, the aim
// yaw to 65536 steps over a full turn, and each button byte to one bit.
//
// Byte layout (little-endian): 0 moveX (int8), 1 moveY (int8), 2-3 aim
// (uint16), 4-5 buttons (uint16), 6 the sender's ping / 4 ms, 7 zero. Only
// bytes 0-5 say what the player did; byte 6 is never compared.
#pragma once
#include <cstdint>

#include "sim/player_input.h"

struct NetInput {
    int8_t moveX = 0;
    int8_t moveY = 0;
    uint16_t aim = 0;
    uint16_t buttons = 0;
    uint8_t senderPing = 0;
    uint8_t zero = 0;
};

constexpr int kNetInputBytes = 8;

// Button bits, in PlayerInput's byte order; bit 11 is the aim-with-yaw flag.
enum NetButton : uint16_t {
    NET_SPRINT_DOWN = 1 << 0,
    NET_SPRINT_PRESSED = 1 << 1,
    NET_SHOOT_PRESSED = 1 << 2,
    NET_SHOOT_DOWN = 1 << 3,
    NET_SHOOT_RELEASED = 1 << 4,
    NET_LEFT_MOUSE_PRESSED = 1 << 5,
    NET_LEFT_MOUSE_DOWN = 1 << 6,
    NET_RIGHT_MOUSE_PRESSED = 1 << 7,
    NET_RIGHT_MOUSE_DOWN = 1 << 8,
    NET_PASS_PRESSED = 1 << 9,
    NET_MOVE_PRESSED = 1 << 10,
    NET_AIM_WITH_YAW = 1 << 11,
};

// The buttons that are held rather than pressed: a prediction repeats these
// and never a press.
constexpr uint16_t kNetHeldButtons = 0x949;

// Fills all 8 bytes; senderPing and zero become 0.
void packInput(const PlayerInput& in, NetInput& out);
// A valid PlayerInput with the record's move, yaw and buttons and nothing
// else; bytes 6 and 7 are not read.
void unpackInput(const NetInput& in, PlayerInput& out);

void writeNetInput(const NetInput& in, uint8_t* out);
NetInput readNetInput(const uint8_t* bytes);
// Bytes 0-5 equal: the same input, whatever the sender's ping.
bool sameNetInput(const NetInput& a, const NetInput& b);
