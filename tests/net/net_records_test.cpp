// The NetInput record and the binary match messages: quantisation, byte
// layout, what a received message stores, and what it must leave alone.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <raylib.h>
#include <memory>
#include <string>

#include "net/match_packets.h"
#include "net/net_clock.h"

namespace {

double fakeNow = 0;
double fakeClock() { return fakeNow; }

NetInput packed(float moveX, float moveZ, float yaw) {
    PlayerInput in;
    in.worldMoveX = moveX;
    in.worldMoveZ = moveZ;
    in.yaw = yaw;
    NetInput out;
    packInput(in, out);
    return out;
}

// The twelve bytes that travel as button bits, in bit order.
std::array<uint8_t*, 12> buttonBytes(PlayerInput& in) {
    return {&in.sprintDown,     &in.sprintPressed,    &in.shootPressed,  &in.shootDown,
            &in.shootReleased,  &in.leftMousePressed, &in.leftMouseDown, &in.rightMousePressed,
            &in.rightMouseDown, &in.passPressed,      &in.movePressed,   &in.aimWithYaw};
}

NetInput record(int8_t moveX, uint8_t ping = 0) {
    NetInput r;
    r.moveX = moveX;
    r.aim = 0x1234;
    r.buttons = NET_SHOOT_DOWN;
    r.senderPing = ping;
    return r;
}

std::string inputMessage(int slot, int32_t first, std::vector<NetInput> records) {
    std::string bytes;
    buildInputPacket(bytes, slot, first, records.data(), int(records.size()));
    return bytes;
}

void receive(NetParty& party, const std::string& bytes) {
    handleNetPacket(party, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class NetRecords : public ::testing::Test {
protected:
    void SetUp() override {
        netClock = fakeClock;
        party->currentTick = 50;
        party->inputLead = 1;
    }
    std::unique_ptr<NetParty> party = std::make_unique<NetParty>();
};

} // namespace

TEST(NetInputRecord, QuantisesMoveAndYaw) {
    EXPECT_EQ(packed(0.5f, -1.5f, 0).moveX, 64); // 63.5 rounds away from zero
    EXPECT_EQ(packed(0.5f, -1.5f, 0).moveY, -127);
    EXPECT_EQ(packed(NAN, INFINITY, 0).moveX, 0);
    EXPECT_EQ(packed(0, 0, PI).aim, 65535);
    EXPECT_EQ(packed(0, 0, -PI).aim, 0);
    EXPECT_EQ(packed(0, 0, 0.5f * PI + 4 * PI).aim, packed(0, 0, 0.5f * PI).aim); // whole turns wrap
    packed(0, 0, 1e30f);                                                          // and a huge yaw ends

    PlayerInput back;
    unpackInput(packed(0, 0, PI), back);
    EXPECT_FLOAT_EQ(back.yaw, PI);
    unpackInput(packed(-1, 1, -PI), back);
    EXPECT_FLOAT_EQ(back.yaw, -PI);
    EXPECT_EQ(back.worldMoveX, -1.0f);
    EXPECT_EQ(back.worldMoveZ, 1.0f);
}

TEST(NetInputRecord, EveryButtonHasItsBitAndTheBytesAreLittleEndian) {
    for (int bit = 0; bit < 12; ++bit) {
        PlayerInput in;
        in.moveX = 0.7f; // raw fields do not travel
        *buttonBytes(in)[bit] = 1;
        NetInput net;
        packInput(in, net);
        EXPECT_EQ(net.buttons, 1u << bit);
        PlayerInput out;
        unpackInput(net, out);
        EXPECT_EQ(out.valid, 1);
        EXPECT_EQ(out.moveX, 0.0f);
        for (int other = 0; other < 12; ++other) EXPECT_EQ(*buttonBytes(out)[other], other == bit) << bit;
    }
    NetInput r = record(-2, 9);
    r.buttons = 0x0A0B;
    uint8_t wire[8];
    writeNetInput(r, wire);
    const uint8_t expected[8] = {0xFE, 0, 0x34, 0x12, 0x0B, 0x0A, 9, 0};
    EXPECT_EQ(std::memcmp(wire, expected, 8), 0);
    EXPECT_TRUE(sameNetInput(readNetInput(wire), r));
}

TEST_F(NetRecords, InputMessagesFillTheRingsAndOnlyWellFormedOnesCount) {
    const std::string three = inputMessage(2, 100, {record(1), record(2), record(3, 25)});
    ASSERT_EQ(three.size(), 7u + 24u);
    EXPECT_EQ(three[6], 3);
    party->ping = 50;
    fakeNow = 7.5;
    receive(*party, three);
    for (int t = 100; t < 103; ++t) {
        EXPECT_EQ(party->inputTags[2][t % kInputRingSize], t);
        EXPECT_EQ(party->inputRing[2][t % kInputRingSize].moveX, t - 99);
    }
    EXPECT_EQ(party->newestTick[2], 102);
    // (100 + 3 - 1) + (25 x 4 + 50) x 0.5 / 1000 x 60
    EXPECT_DOUBLE_EQ(party->remoteEstimate[2], 102 + 4.5);
    EXPECT_EQ(party->receiveTime[2], 7.5);
    receive(*party, inputMessage(2, 90, {record(9)})); // late and older: the newest stays
    EXPECT_EQ(party->newestTick[2], 102);

    std::string bad[] = {inputMessage(4, 200, {record(1)}), inputMessage(1, 200, {record(1)}) + '\0',
                         inputMessage(1, 200, {record(1)}).substr(0, 14), inputMessage(1, 200, {record(1)}),
                         inputMessage(1, -5, {record(1)}), std::string("\x01\x01\0\0", 4)};
    bad[3][6] = 0; // count 0 with one record behind it
    for (const std::string& b : bad) receive(*party, b);
    for (int k = 0; k < kNetSlots; ++k)
        EXPECT_EQ(party->newestTick[k], k == 2 ? 102 : -1) << k;

    // Records past the last signed tick are dropped; the ones before it stay.
    receive(*party, inputMessage(3, INT32_MAX - 1, {record(1), record(2), record(3)}));
    EXPECT_EQ(party->newestTick[3], INT32_MAX);
    EXPECT_EQ(party->inputTags[3][INT32_MAX % kInputRingSize], INT32_MAX);
}

TEST_F(NetRecords, ALateInputRollsBackOnlyWhenItDiffersFromWhatWasUsed) {
    party->usedRing[1][40] = record(5);
    party->usedRing[1][35] = record(5);
    receive(*party, inputMessage(1, 40, {record(5, 200)})); // differs in the ping byte only
    EXPECT_EQ(party->rollbackTick, kNeverTick);
    receive(*party, inputMessage(1, 40, {record(6)}));
    EXPECT_EQ(party->rollbackTick, 40);
    receive(*party, inputMessage(1, 35, {record(7)}));
    EXPECT_EQ(party->rollbackTick, 35);
    receive(*party, inputMessage(1, 50, {record(8)})); // not simulated yet
    EXPECT_EQ(party->rollbackTick, 35);
}

TEST_F(NetRecords, ResyncsWaitOnGuestsAndNeverReachTheHost) {
    MatchSnapshot image(20, 7);
    std::string resync;
    buildResyncPacket(resync, 360, 0xDEADBEEF, image);
    ASSERT_EQ(resync.size(), 9u + 20u);
    receive(*party, resync.substr(0, 9));
    EXPECT_FALSE(party->resyncPending);
    std::string far = resync;
    far[4] = char(0x80); // tick 2^31 + 360
    receive(*party, far);
    EXPECT_FALSE(party->resyncPending);
    party->ownId = party->hostId = 3;
    receive(*party, resync);
    EXPECT_FALSE(party->resyncPending);
    party->hostId = 4;
    receive(*party, resync);
    ASSERT_TRUE(party->resyncPending);
    EXPECT_EQ(party->resyncTick, 360);
    EXPECT_EQ(party->resyncHash, 0xDEADBEEFu);
    EXPECT_EQ(party->resyncSnapshot, image);
}
