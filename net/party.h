// The party: the client side of a room of up to four players on the party
// server, and the state of the online match its members play.
//
// NetParty keeps the lobby view (members, sides, ready marks, the host's
// rules, notices and errors), sends the lobby messages the screens ask for,
// measures the round trip, and hands every binary message to the netcode,
// whose rings and counters live here too. One global instance, netParty;
// everything runs on the main thread.
//
// The lobby speaks JSON objects whose "t" names the type. Every incoming
// field has a default that stands in for anything missing, of another kind,
// or not finite; numbers are truncated toward zero, and team indices, sides
// and slots are brought into range before anything is indexed by them.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "net/net_input.h"
#include "net/net_smoothing.h"
#include "net/websocket.h"
#include "sim/callout.h"
#include "sim/snapshot.h"

enum PartyState : int32_t {
    PARTY_NONE = 0,       // not in a party
    PARTY_CONNECTING = 1, // createParty or joinParty ran
    PARTY_JOINED = 2,     // a "welcome" arrived
    PARTY_ENDED = 3,      // the connection or the server ended it; errorText says why
};

struct PartySettings {
    std::string mode = "2v2"; // "2v2", "1v1" or "coop"
    std::string court = "half"; // "half" or "full"
    int32_t gameTo = 11;
    int32_t difficulty = 1;
    int32_t teams[2] = {0, 1}; // roster indices, 0..3
};

struct PartyMember {
    int32_t id = 0;
    std::string alias;
    int32_t side = 0;   // 0 or 1
    int32_t ready = 0;  // 0 or 1
    int32_t slot = -1;  // -1..3
};

struct PartyEmote {
    int32_t slot = 0;  // 0..3
    int32_t emote = 0; // 0..7
};

struct DelayedMessage {
    double deliverAt = 0; // netClock seconds
    bool binary = false;
    std::string bytes;
};

constexpr int kNetSlots = 4;
constexpr int kInputRingSize = 2048;  // ticks of inputs and hashes kept
constexpr int kSnapshotRingSize = 128; // ticks a rollback can reach back, plus one
constexpr int32_t kNeverTick = 0x40000000; // "no tick": humanUntil and rollbackTick
constexpr int32_t kDefaultDelayTicks = 6;
constexpr int32_t kConfirmLookAhead = 1023; // ticks past the local input a confirmation may reach
constexpr int kLocalBatchMax = 64; // local records one frame can produce
constexpr int kProtocolVersion = 3;
constexpr float kNoticeSeconds = 4.0f;
constexpr float kLeftNoticeSeconds = 3.0f;
constexpr double kPingIntervalSeconds = 1.0;
constexpr double kPingSmoothing = 0.3;
// A ping unanswered and nothing else heard for this long: the server is gone
// (or stuck halfway through a message), though the socket never said so.
constexpr double kSilenceSeconds = 10.0;
// A connection not welcomed this long after its hello went out (or, while it
// is still opening, after it was begun) goes nowhere: the player is not kept
// at CONNECTING by a server that never lets him in.
constexpr double kWelcomeSeconds = 10.0;

struct NetLogLine {
    uint32_t humanMask = 0, rng = 0;
    int32_t phase = 0;
    float phaseTimer = 0;
    float ball[3] = {};
};

struct NetParty {
    NetParty();
    NetParty(const NetParty&) = delete;
    NetParty& operator=(const NetParty&) = delete;

    // ---- lobby
    PartyState state = PARTY_NONE;
    std::string errorText;
    bool refusedByServer = false; // the server's own "error" ended it (an unknown code, a full party)
    std::string notice;
    float noticeTimer = 0;
    WebSocket socket;
    std::string serverUrl;
    std::string alias;
    std::string code;
    int32_t ownId = 0, hostId = 0;
    std::string roomState = "lobby";
    PartySettings settings;
    std::vector<PartyMember> members;
    bool started = false; // a "start" arrived and the match has not begun yet
    bool inMatch = false;
    uint32_t seed = 1;
    int32_t delay = kDefaultDelayTicks;
    std::string slotAliases[kNetSlots];
    int32_t slotIds[kNetSlots] = {};
    int32_t ownSlot = -1;
    std::vector<PartyEmote> emotes;
    int32_t emoteCount = 0;
    float stallTime = 0;
    std::string waitingAlias;
    // statistics of the match
    int32_t resyncs = 0, rollbacks = 0, longestRollback = 0;
    double resimMs = 0;
    int32_t resimTicks = 0;
    float ping = 0; // ms, 0 = not measured
    float totalStall = 0;
    std::deque<DelayedMessage> delayed;
    size_t delayedBytes = 0; // what the delayed queue holds, each message with its record
    double pingSentAt = -1, nextPingAt = 0;
    bool helloSent = false; // the "hello" of this connection went out
    double welcomeWaitFrom = 0; // netClock when connectParty opened the connection, then when the hello went out
    double lastHeardAt = 0; // netClock of the last message received
    // When the socket's end is reported: after what arrived before it has
    // gone through the delayed queue; -1 while the socket lives.
    double socketEndAt = -1;

    // Tests: outgoing messages land here instead of on the socket.
    std::vector<WsMessage>* outbox = nullptr;

    // ---- netcode: every tick signed 32-bit; ring entry of tick t at t mod size
    int32_t currentTick = 0;   // the next tick to simulate
    int32_t nextLocalTick = 0; // the next tick whose local input is still to be made
    int32_t confirmedTick = -1; // every human input up to this tick is known
    int32_t inputLead = 2;
    NetInput inputRing[kNetSlots][kInputRingSize];
    int32_t inputTags[kNetSlots][kInputRingSize]; // tick held by each entry, -1 none
    int32_t newestTick[kNetSlots];
    NetInput usedRing[kNetSlots][kInputRingSize]; // what the simulation used
    MatchSnapshot snapshotRing[kSnapshotRingSize]; // state at the start of each tick
    uint32_t hashRing[kInputRingSize] = {};        // state hash after each tick
    int32_t humanUntil[kNetSlots]; // first tick the CPU plays the slot
    uint32_t slotMask = 0;         // slots with a human at the start
    float tickAccumulator = 0;
    RawInput inputAccumulator;
    int32_t rollbackTick = kNeverTick;
    double remoteEstimate[kNetSlots] = {};
    double receiveTime[kNetSlots] = {};
    int32_t nextResyncTick = 60;
    bool resyncPending = false;
    int32_t resyncTick = 0;
    uint32_t resyncHash = 0;
    MatchSnapshot resyncSnapshot;

    NetSmoothing smoothing;

    // KORVALO_NETLOG: each tick's line as last simulated; written once the
    // tick's inputs are all known, so two peers' logs compare line for line.
    NetLogLine netLogRing[kInputRingSize];
    int32_t netLogNext = 0; // the next tick to write

    // ---- work buffers, kept so that a frame allocates nothing
    NetInput localBatch[kLocalBatchMax];
    int localBatchCount = 0;
    int32_t localBatchFirst = 0;
    std::string packetBuffer;
    std::vector<Callout> keptCallouts;
    MatchSnapshot freshSnapshot;
};

extern NetParty netParty;

// Ring index of a tick; never negative.
inline int ringIndex(int64_t tick, int size) { return static_cast<int>(((tick % size) + size) % size); }

// The slot's input for the tick arrived, or was produced here.
inline bool hasTickInput(const NetParty& party, int slot, int64_t tick) {
    return party.inputTags[slot][ringIndex(tick, kInputRingSize)] == tick;
}

bool isPartyHost(const NetParty& party);
const PartyMember* findSelfMember(const NetParty& party);

// ---- connection
void connectParty(NetParty& party, const std::string& path, const std::string& alias);
void createParty(NetParty& party, const std::string& alias);
void joinParty(NetParty& party, const std::string& code, const std::string& alias);
void leaveParty(NetParty& party);

// ---- outgoing lobby messages (nothing goes out unless the socket is open)
void sendPartyMessage(NetParty& party, bool binary, const std::string& bytes);
void sendSettings(NetParty& party, const PartySettings& settings);
void sendSide(NetParty& party, int side);
void sendReady(NetParty& party, bool ready);
void sendStart(NetParty& party);
void sendEnd(NetParty& party);
void sendEmote(NetParty& party, int emote);

// Once per frame, in every screen: hello, received messages through the
// delayed queue, ping, and the end of the connection.
void updateParty(NetParty& party, float dt);
void handleLobbyMessage(NetParty& party, const std::string& text);

// The delayed queue that KORVALO_LAG_MS and KORVALO_JITTER_MS stand on: a
// message received at `now` is delivered at now + lag + a draw of 0..jitter,
// never before one that arrived earlier.
void delayMessage(std::deque<DelayedMessage>& queue, WsMessage&& message, double now, double lag, double jitter);
