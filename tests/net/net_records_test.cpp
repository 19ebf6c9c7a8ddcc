// The NetInput record and the binary match messages: quantisation, byte
// layout, what a received message stores, and what it must leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <raylib.h>

#include "net/match_packets.h"
#include "net/net_clock.h"

namespace {

double fakeNow = 0;
double fakeClock() { return fakeNow; }

NetInput packed(float moveX, float yaw, uint8_t PlayerInput::*button = nullptr) {
    PlayerInput in;
    in.worldMoveX = moveX;
    in.yaw = yaw;
    if (button) in.*button = 1;
    NetInput out;
    packInput(in, out);
    return out;
}

NetInput record(int8_t moveX, uint8_t ping = 0) { return NetInput{moveX, 0, 0x1234, 0x0A0B, ping, 0}; }

void deliver(NetParty& party, const std::string& bytes) {
    handleNetPacket(party, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void receive(NetParty& party, int slot, int32_t first, std::vector<NetInput> records, int lengthError = 0) {
    std::string bytes;
    buildInputPacket(bytes, slot, first, records.data(), int(records.size()));
    bytes.resize(bytes.size() + lengthError);
    deliver(party, bytes);
}

} // namespace

TEST(NetRecords, PackingQuantisesAndKeepsEveryButton) {
    EXPECT_EQ(packed(0.5f, 0).moveX, 64); // 63.5 rounds away from zero
    EXPECT_EQ(packed(-1.5f, 0).moveX, -127);
    EXPECT_EQ(packed(NAN, 0).moveX, 0);
    EXPECT_EQ(packed(0, PI).aim, 65535);
    EXPECT_EQ(packed(0, -PI).aim, 0);
    EXPECT_EQ(packed(0, 0.5f * PI + 4 * PI).aim, packed(0, 0.5f * PI).aim); // whole turns wrap
    packed(0, 1e30f);                                                       // and a huge yaw ends
    PlayerInput back;
    unpackInput(packed(-1, PI), back);
    EXPECT_FLOAT_EQ(back.yaw, PI);
    EXPECT_EQ(back.worldMoveX, -1.0f);
    uint8_t PlayerInput::*bits[12] = {&PlayerInput::sprintDown,      &PlayerInput::sprintPressed,
                                      &PlayerInput::shootPressed,    &PlayerInput::shootDown,
                                      &PlayerInput::shootReleased,   &PlayerInput::leftMousePressed,
                                      &PlayerInput::leftMouseDown,   &PlayerInput::rightMousePressed,
                                      &PlayerInput::rightMouseDown,  &PlayerInput::passPressed,
                                      &PlayerInput::movePressed,     &PlayerInput::aimWithYaw};
    for (int bit = 0; bit < 12; ++bit) {
        EXPECT_EQ(packed(0, 0, bits[bit]).buttons, 1u << bit);
        unpackInput(packed(0, 0, bits[bit]), back);
        for (int other = 0; other < 12; ++other) EXPECT_EQ(back.*bits[other], other == bit) << bit;
    }
    uint8_t wire[8];
    writeNetInput(record(-2, 9), wire);
    const uint8_t expected[8] = {0xFE, 0, 0x34, 0x12, 0x0B, 0x0A, 9, 0};
    EXPECT_EQ(std::memcmp(wire, expected, 8), 0);
}

TEST(NetRecords, InputMessagesFillTheRingsAndMalformedOnesChangeNothing) {
    netClock = fakeClock;
    auto party = std::make_unique<NetParty>();
    NetParty& p = *party;
    p.currentTick = 50;
    p.inputLead = 1;
    p.ping = 50;
    fakeNow = 7.5;
    receive(p, 2, 100, {record(1), record(2), record(3, 25)});
    EXPECT_EQ(p.inputTags[2][101], 101);
    EXPECT_EQ(p.inputRing[2][102].moveX, 3);
    EXPECT_EQ(p.newestTick[2], 102);
    EXPECT_DOUBLE_EQ(p.remoteEstimate[2], 102 + 4.5); // + (25 x 4 + 50) x 0.5 / 1000 x 60
    EXPECT_EQ(p.receiveTime[2], 7.5);
    receive(p, 2, 90, {record(9)}); // older: the newest stays
    EXPECT_EQ(p.newestTick[2], 102);
    receive(p, 2, 101, {record(7), record(7), record(7, 25)}); // known ticks: nothing changes
    EXPECT_EQ(p.inputRing[2][101].moveX, 2);
    EXPECT_EQ(p.inputRing[2][103].moveX, 7);
    EXPECT_DOUBLE_EQ(p.remoteEstimate[2], 103 + 4.5);
    fakeNow = 8.0;
    receive(p, 2, 100, {record(4)}); // nothing new: where the sender stands is not read from it
    EXPECT_EQ(p.receiveTime[2], 7.5);

    receive(p, 4, 200, {record(1)});
    receive(p, 1, 200, {record(1)}, +1);
    receive(p, 1, 200, {record(1)}, -1);
    receive(p, 1, 200, {}, +8); // count 0 with a record behind it
    receive(p, 1, -5, {record(1)});
    EXPECT_EQ(p.newestTick[1], -1);
    receive(p, 1, p.nextLocalTick + kConfirmLookAhead, {record(1), record(2)}); // the second is past the look-ahead
    EXPECT_EQ(p.newestTick[1], p.nextLocalTick + kConfirmLookAhead);
    receive(p, 3, 0x7ffffffe, {record(1)}); // far in the future: kept out of the ring
    EXPECT_EQ(p.newestTick[3], -1);
    EXPECT_EQ(p.inputTags[3][0x7ffffffe % kInputRingSize], -1);
    p.nextLocalTick = INT32_MAX - 100;
    receive(p, 3, INT32_MAX - 1, {record(1), record(2), record(3)}); // the last goes past 2^31 - 1
    EXPECT_EQ(p.newestTick[3], INT32_MAX);

    // A record for a simulated tick schedules a rollback only when bytes 0-5
    // differ from what was used; the earliest such tick wins. A tick's input
    // is final: another copy of it, whatever it holds, is no new input.
    p.nextLocalTick = 1100;
    p.usedRing[1][40] = p.usedRing[1][35] = p.usedRing[1][30] = record(5);
    receive(p, 1, 40, {record(5, 200)});
    receive(p, 1, 40, {record(6)});
    EXPECT_EQ(p.rollbackTick, kNeverTick);
    EXPECT_EQ(p.inputRing[1][40].moveX, 5);
    receive(p, 1, 35, {record(7)});
    receive(p, 1, 50, {record(8)}); // not simulated yet
    EXPECT_EQ(p.rollbackTick, 35);
    receive(p, 1, 30 + kInputRingSize, {record(9)});
    receive(p, 1, 30, {record(6)}); // older than the tick its ring entry holds
    EXPECT_EQ(p.inputTags[1][30], 30 + kInputRingSize);
    EXPECT_EQ(p.rollbackTick, 35);
}

TEST(NetRecords, ResyncsReachOnlyGuests) {
    auto party = std::make_unique<NetParty>();
    MatchSnapshot image(20, 7);
    std::string resync;
    buildResyncPacket(resync, 360, 0xDEADBEEF, image);
    ASSERT_EQ(resync.size(), 29u);
    deliver(*party, resync.substr(0, 9));
    std::string far = resync;
    far[4] = char(0x80); // tick 2^31 + 360
    deliver(*party, far);
    party->ownId = party->hostId = 3;
    deliver(*party, resync);
    EXPECT_FALSE(party->resyncPending);
    party->hostId = 4;
    deliver(*party, resync);
    ASSERT_TRUE(party->resyncPending);
    EXPECT_EQ(party->resyncTick, 360);
    EXPECT_EQ(party->resyncHash, 0xDEADBEEFu);
    EXPECT_EQ(party->resyncSnapshot, image);
}
