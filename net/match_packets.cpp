// Building and receiving the binary match messages (see match_packets.h).
#include "net/match_packets.h"

#include <algorithm>
#include <cstdint>

#include "net/net_clock.h"

namespace {

constexpr int64_t kLastTick = INT32_MAX;
constexpr size_t kResyncMinimum = 10;

void receiveInputs(NetParty& party, const uint8_t* bytes, size_t size) {
    const int slot = bytes[1];
    const int count = bytes[6];
    if (slot >= kNetSlots || count < 1 || size != kInputPacketHeader + size_t(kNetInputBytes) * count) return;
    // The tick is sent unsigned and read signed: a negative first tick is no
    // tick at all, and the sums below run in 64 bits so that none wraps.
    const int64_t first = static_cast<int32_t>(getU32(bytes + 2));
    if (first < 0) return;
    // Ticks the game will not confirm for a long while yet would push out of
    // the ring inputs still needed: past the look-ahead nothing is kept.
    const int64_t horizon = std::min<int64_t>(kLastTick, int64_t(party.nextLocalTick) + kConfirmLookAhead);
    NetInput record;
    bool stored = false;
    for (int k = 0; k < count && first + k <= horizon; ++k) {
        const int64_t t = first + k;
        const int i = ringIndex(t, kInputRingSize);
        // A tick's input, once known, is final: a repeat, whatever it holds,
        // changes nothing, so every peer simulates the same history.
        if (party.inputTags[slot][i] >= t) continue;
        record = readNetInput(bytes + kInputPacketHeader + size_t(kNetInputBytes) * k);
        stored = true;
        party.inputRing[slot][i] = record;
        party.inputTags[slot][i] = static_cast<int32_t>(t);
        party.newestTick[slot] = std::max(party.newestTick[slot], static_cast<int32_t>(t));
        if (t < party.currentTick && !sameNetInput(record, party.usedRing[slot][i]))
            party.rollbackTick = std::min(party.rollbackTick, static_cast<int32_t>(t));
    }
    if (!stored) return;
    // Where the sender stands now: its newest tick, carried forward by half
    // of both round trips.
    const float pings = record.senderPing * 4.0f + party.ping;
    party.remoteEstimate[slot] =
        static_cast<double>(first + count - party.inputLead) + static_cast<double>(pings) * 0.5 / 1000.0 * 60.0;
    party.receiveTime[slot] = netClock();
}

void receiveResync(NetParty& party, const uint8_t* bytes, size_t size) {
    if (size < kResyncMinimum || isPartyHost(party)) return;
    const uint32_t tick = getU32(bytes + 1);
    if (tick > kLastTick) return;
    party.resyncPending = true;
    party.resyncTick = static_cast<int32_t>(tick);
    party.resyncHash = getU32(bytes + 5);
    party.resyncSnapshot.assign(bytes + kResyncPacketHeader, bytes + size);
}

} // namespace

uint32_t getU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void putU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void buildInputPacket(std::string& out, int slot, int32_t firstTick, const NetInput* records, int count) {
    out.clear();
    out += static_cast<char>(kInputPacketType);
    out += static_cast<char>(slot);
    putU32(out, static_cast<uint32_t>(firstTick));
    out += static_cast<char>(count);
    uint8_t bytes[kNetInputBytes];
    for (int k = 0; k < count; ++k) {
        writeNetInput(records[k], bytes);
        out.append(reinterpret_cast<const char*>(bytes), kNetInputBytes);
    }
}

void buildResyncPacket(std::string& out, int32_t tick, uint32_t hash, const MatchSnapshot& snapshot) {
    out.clear();
    out += static_cast<char>(kResyncPacketType);
    putU32(out, static_cast<uint32_t>(tick));
    putU32(out, hash);
    out.append(reinterpret_cast<const char*>(snapshot.data()), snapshot.size());
}

void handleNetPacket(NetParty& party, const uint8_t* bytes, size_t size) {
    if (size < kInputPacketHeader) return;
    if (bytes[0] == kInputPacketType)
        receiveInputs(party, bytes, size);
    else if (bytes[0] == kResyncPacketType)
        receiveResync(party, bytes, size);
}
