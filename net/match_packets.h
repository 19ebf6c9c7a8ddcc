// The two binary messages of an online match, little-endian:
//
//   input (type 1):  type, sender's slot, first tick (uint32), count (1..255),
//                    then count NetInput records for first, first + 1, ...;
//                    exactly 7 + 8 x count bytes.
//   resync (type 2): type, tick T (uint32), state hash after T (uint32), then
//                    the match snapshot after T; sent by the host only.
//
// handleNetPacket checks a received message and stores what it carries in the
// netcode's rings. Anything malformed is dropped without a trace; ticks
// outside 0..2^31-1, or past the confirmation look-ahead, never reach a ring;
// a tick whose input is known already keeps it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/net_input.h"
#include "net/party.h"

constexpr uint8_t kInputPacketType = 1;
constexpr uint8_t kResyncPacketType = 2;
constexpr size_t kInputPacketHeader = 7;
constexpr size_t kResyncPacketHeader = 9;
constexpr int kMaxRecordsPerPacket = 32; // as sent; up to 255 are accepted

// Appends the value as 4 bytes, least significant first.
void putU32(std::string& out, uint32_t value);
// The value of 4 bytes, least significant first.
uint32_t getU32(const uint8_t* bytes);
// One input message of `count` (1..255) records of consecutive ticks.
void buildInputPacket(std::string& out, int slot, int32_t firstTick, const NetInput* records, int count);
void buildResyncPacket(std::string& out, int32_t tick, uint32_t hash, const MatchSnapshot& snapshot);

// Called for every received binary message, in arrival order.
void handleNetPacket(NetParty& party, const uint8_t* bytes, size_t size);
