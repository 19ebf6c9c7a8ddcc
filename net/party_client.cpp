// The party's connection, its outgoing lobby messages and the per-frame
// update (see party.h). Incoming lobby messages are read in
// lobby_messages.cpp, binary ones in match_packets.cpp.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/program_random.h"
#include "app/text_numbers.h"
#include "net/json.h"
#include "net/match_packets.h"
#include "net/net_clock.h"
#include "net/party.h"

NetParty netParty;

namespace {

constexpr const char* kNewPartyPath = "/api/party/new";
constexpr const char* kJoinPartyPath = "/api/party/";
constexpr const char* kDisconnected = "Disconnected from the party.";
constexpr size_t kSettingsMessageMax = 255;
// Messages wait in the delayed queue only for the frame between a "start" and
// the match it begins, or for the test switches' simulated lag; a four-player
// match brings a few kilobytes a second. 4 MiB is minutes of that, so only a
// server flooding us reaches it, and the party then ends as the socket does
// when its own queue overflows.
constexpr size_t kDelayedBytesMax = size_t(4) << 20;

// Test switches for lag and jitter on everything received, in seconds; read
// once for the life of the program.
struct SimulatedLag {
    double lag = 0, jitter = 0;
};

double envSeconds(const char* name) {
    const char* text = std::getenv(name);
    if (!text) return 0.0;
    double ms = parseFloatSaturating(text);
    return ms > 0 ? ms / 1000.0 : 0.0;
}

const SimulatedLag& simulatedLag() {
    static const SimulatedLag lag{envSeconds("KORVALO_LAG_MS"), envSeconds("KORVALO_JITTER_MS")};
    return lag;
}

size_t heldBytes(const DelayedMessage& message) { return sizeof message + message.bytes.size(); }

void deliver(NetParty& party, DelayedMessage& message) {
    if (message.binary)
        handleNetPacket(party, reinterpret_cast<const uint8_t*>(message.bytes.data()), message.bytes.size());
    else
        handleLobbyMessage(party, message.bytes);
}

// When something received at `now` is due: after lag and a draw of jitter,
// and never before what arrived earlier.
double delayedArrival(const std::deque<DelayedMessage>& queue, double now, double lag, double jitter) {
    double at = now + lag + static_cast<double>(programRand()) / kProgramRandMax * jitter;
    return queue.empty() ? at : std::max(at, queue.back().deliverAt);
}

// The connection ended: its reason is shown, and the match cannot go on.
void endParty(NetParty& party, const std::string& reason) {
    party.state = PARTY_ENDED;
    if (party.errorText.empty()) party.errorText = reason;
    party.inMatch = false;
}

// Ends the party from this side, with the reason shown.
void dropConnection(NetParty& party, const char* reason) {
    endParty(party, reason);
    party.socket.close();
}

// The server has said nothing at all for a long while, not even the answer
// to a ping that has long been out. Only a ping of ours counts as asking: a
// game that stood still (and sent none) does not blame the server.
bool serverFellSilent(const NetParty& party, double now) {
    return party.pingSentAt >= 0 && now - party.pingSentAt > kSilenceSeconds &&
           now - party.lastHeardAt > kSilenceSeconds;
}

// A "start" has been read but the match has not begun: what follows (the
// first inputs of the others among it) waits for startNetMatch, which empties
// the input rings.
bool awaitingMatchStart(const NetParty& party) { return party.started && !party.inMatch; }

} // namespace

NetParty::NetParty() {
    for (int k = 0; k < kNetSlots; ++k) {
        std::fill(std::begin(inputTags[k]), std::end(inputTags[k]), -1);
        newestTick[k] = -1;
        humanUntil[k] = kNeverTick;
    }
}

bool isPartyHost(const NetParty& party) { return party.ownId != 0 && party.ownId == party.hostId; }

const PartyMember* findSelfMember(const NetParty& party) {
    for (const PartyMember& m : party.members)
        if (m.id == party.ownId) return &m;
    return nullptr;
}

void connectParty(NetParty& party, const std::string& path, const std::string& alias) {
    leaveParty(party);
    party.alias = alias;
    party.helloSent = false;
    party.errorText.clear();
    party.refusedByServer = false;
    party.notice.clear();
    party.noticeTimer = 0;
    party.state = PARTY_CONNECTING;
    party.delayed.clear();
    party.delayedBytes = 0;
    party.welcomeWaitFrom = netClock();
    party.pingSentAt = -1;
    party.ping = 0;
    party.socketEndAt = -1;
    party.socket.connect(party.serverUrl + path);
}

void createParty(NetParty& party, const std::string& alias) { connectParty(party, kNewPartyPath, alias); }

void joinParty(NetParty& party, const std::string& code, const std::string& alias) {
    std::string path = kJoinPartyPath;
    for (char c : code) path += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    connectParty(party, path, alias);
}

void leaveParty(NetParty& party) {
    party.socket.close();
    party.members.clear();
    party.state = PARTY_NONE;
    party.code.clear();
    party.ownId = party.hostId = 0;
    party.started = party.inMatch = false;
    party.roomState = "lobby";
}

void sendPartyMessage(NetParty& party, bool binary, const std::string& bytes) {
    if (party.outbox)
        party.outbox->push_back(WsMessage{binary, bytes});
    else
        party.socket.send(binary, bytes.data(), bytes.size());
}

void sendSettings(NetParty& party, const PartySettings& s) {
    char text[kSettingsMessageMax + 1];
    std::snprintf(text, sizeof text,
                  "{\"t\":\"settings\",\"settings\":{\"mode\":\"%s\",\"court\":\"%s\",\"gameTo\":%d,"
                  "\"difficulty\":%d,\"teams\":[%d,%d]}}",
                  s.mode.c_str(), s.court.c_str(), s.gameTo, s.difficulty, s.teams[0], s.teams[1]);
    sendPartyMessage(party, false, text);
}

void sendSide(NetParty& party, int side) {
    sendPartyMessage(party, false, "{\"t\":\"side\",\"side\":" + std::to_string(side) + "}");
}

void sendReady(NetParty& party, bool ready) {
    sendPartyMessage(party, false, std::string("{\"t\":\"ready\",\"ready\":") + (ready ? "true" : "false") + "}");
}

void sendStart(NetParty& party) { sendPartyMessage(party, false, "{\"t\":\"start\"}"); }

void sendEnd(NetParty& party) { sendPartyMessage(party, false, "{\"t\":\"end\"}"); }

void sendEmote(NetParty& party, int emote) {
    sendPartyMessage(party, false, "{\"t\":\"emote\",\"e\":" + std::to_string(emote) + "}");
}

void delayMessage(std::deque<DelayedMessage>& queue, WsMessage&& message, double now, double lag, double jitter) {
    const double at = delayedArrival(queue, now, lag, jitter);
    queue.push_back(DelayedMessage{at, message.binary, std::move(message.bytes)});
}

void updateParty(NetParty& party, float dt) {
    party.noticeTimer = std::max(party.noticeTimer - dt, 0.0f);
    if (party.state == PARTY_NONE || party.state == PARTY_ENDED) return;

    // Read before polling: whatever arrived before the socket ended is in
    // the queue by then.
    const WsState socketState = party.socket.state();
    const double now = netClock();
    if (socketState == WsState::open && !party.helloSent) {
        party.helloSent = true;
        party.lastHeardAt = now;
        // The server can only welcome us from here: a first frame that took
        // seconds (a loaded machine, a window being made) is not its fault.
        party.welcomeWaitFrom = now;
        sendPartyMessage(party, false,
                         "{\"t\":\"hello\",\"alias\":" + quoteJson(party.alias) + ",\"ver\":" +
                             std::to_string(kProtocolVersion) + "}");
    }
    const SimulatedLag& lag = simulatedLag();
    WsMessage message;
    while (party.socket.poll(message)) {
        party.lastHeardAt = now;
        delayMessage(party.delayed, std::move(message), now, lag.lag, lag.jitter);
        party.delayedBytes += heldBytes(party.delayed.back());
        if (party.delayedBytes > kDelayedBytesMax) {
            party.delayed.clear();
            party.delayedBytes = 0;
            dropConnection(party, kWsErrorLostConnection);
            return;
        }
    }
    // The end of the socket is received like a message: after what came first.
    const bool socketEnded = socketState == WsState::closed || socketState == WsState::failed;
    if (socketEnded && party.socketEndAt < 0) party.socketEndAt = delayedArrival(party.delayed, now, lag.lag, lag.jitter);

    while (!party.delayed.empty() && party.delayed.front().deliverAt <= now && !awaitingMatchStart(party)) {
        DelayedMessage next = std::move(party.delayed.front());
        party.delayed.pop_front();
        party.delayedBytes -= heldBytes(next);
        deliver(party, next);
        if (party.state == PARTY_ENDED) return;
    }

    if (socketState == WsState::open && party.helloSent && serverFellSilent(party, now)) {
        dropConnection(party, kWsErrorLostConnection);
        return;
    }
    // A socket that ended has its own reason, shown below.
    if (party.state == PARTY_CONNECTING && !socketEnded && now - party.welcomeWaitFrom > kWelcomeSeconds) {
        dropConnection(party, kWsErrorReachServer);
        return;
    }
    if (socketState == WsState::open && party.helloSent && party.pingSentAt < 0 && now >= party.nextPingAt) {
        party.pingSentAt = now;
        sendPartyMessage(party, false, "{\"t\":\"ping\"}");
    }
    // Messages held for a match that can no longer begin do not keep the end
    // from being heard.
    const bool heardAllBeforeEnd = party.delayed.empty() || awaitingMatchStart(party);
    if (socketEnded && now >= party.socketEndAt && heardAllBeforeEnd)
        endParty(party, socketState == WsState::failed ? party.socket.lastError() : kDisconnected);
}
