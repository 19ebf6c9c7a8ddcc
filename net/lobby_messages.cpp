// Incoming lobby messages: each JSON object's "t" picks its reader, and each
// field falls back to its default when it is missing, of another kind or not
// finite. Unknown types and texts that do not parse are ignored.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "net/json.h"
#include "net/net_clock.h"
#include "net/party.h"

namespace {

constexpr const char* kDefaultError = "Something went wrong.";
constexpr int32_t kMinDelay = 2, kMaxDelay = 20;
constexpr int kRosterTeams = 4;

int32_t readInt(const JsonValue& object, const char* key, int32_t fallback) {
    return jsonInt(jsonGet(object, key), fallback);
}

std::string readString(const JsonValue& object, const char* key, std::string_view fallback) {
    return jsonString(jsonGet(object, key), fallback);
}

// A team index 0..3, else the default of that side.
int32_t readTeam(const JsonValue& teams, size_t side) {
    int32_t team = jsonInt(jsonAt(teams, side), int32_t(side));
    return team >= 0 && team < kRosterTeams ? team : int32_t(side);
}

PartySettings readSettings(const JsonValue& object) {
    PartySettings s;
    s.mode = readString(object, "mode", s.mode);
    s.court = readString(object, "court", s.court);
    s.gameTo = readInt(object, "gameTo", s.gameTo);
    s.difficulty = readInt(object, "difficulty", s.difficulty);
    const JsonValue& teams = jsonGet(object, "teams");
    s.teams[0] = readTeam(teams, 0);
    s.teams[1] = readTeam(teams, 1);
    return s;
}

PartyMember readMember(const JsonValue& object) {
    PartyMember m;
    m.id = readInt(object, "id", 0);
    m.alias = readString(object, "alias", "");
    const int32_t side = readInt(object, "side", 0);
    m.side = side == 1 ? 1 : 0;
    const JsonValue& ready = jsonGet(object, "ready");
    m.ready = (ready.kind == JsonKind::boolean && ready.boolean) ||
              (ready.kind == JsonKind::number && std::isfinite(ready.number) && ready.number != 0);
    const int32_t slot = readInt(object, "slot", -1);
    m.slot = slot >= 0 && slot < kNetSlots ? slot : -1;
    return m;
}

void readRoom(NetParty& party, const JsonValue& msg) {
    party.code = readString(msg, "code", party.code);
    party.hostId = readInt(msg, "host", 0);
    party.roomState = readString(msg, "state", "lobby");
    party.settings = readSettings(jsonGet(msg, "settings"));
    party.members.clear();
    for (const JsonValue& member : jsonGet(msg, "members").items) party.members.push_back(readMember(member));
}

// A start is the lobby's: before the welcome the own id is unknown, and
// during a match the slots are already in play.
bool readsStart(const NetParty& party) { return party.state == PARTY_JOINED && !party.inMatch; }

int32_t readSlotId(const JsonValue& entry) { return entry.kind == JsonKind::null ? 0 : readInt(entry, "id", 0); }

// Every player in one slot at most: a match would wait for one who stands in
// two slots in the second one too, where he never plays.
bool slotsHoldDistinctPlayers(const JsonValue& slots) {
    for (int k = 0; k < kNetSlots; ++k) {
        const int32_t id = readSlotId(jsonAt(slots, size_t(k)));
        for (int j = 0; id != 0 && j < k; ++j)
            if (readSlotId(jsonAt(slots, size_t(j))) == id) return false;
    }
    return true;
}

void readStart(NetParty& party, const JsonValue& msg) {
    const JsonValue& slots = jsonGet(msg, "slots");
    if (!readsStart(party) || !slotsHoldDistinctPlayers(slots)) return;
    // The seed is the low 32 bits of the number, whatever kind "seed" is (so
    // anything but a finite number gives 0).
    party.seed = static_cast<uint32_t>(truncateJsonNumber(jsonGet(msg, "seed").number, 0));
    party.delay = std::clamp(readInt(msg, "delay", kDefaultDelayTicks), kMinDelay, kMaxDelay);
    party.settings = readSettings(jsonGet(msg, "settings"));
    party.ownSlot = -1;
    for (int k = 0; k < kNetSlots; ++k) {
        const JsonValue& entry = jsonAt(slots, size_t(k));
        party.slotIds[k] = readSlotId(entry);
        party.slotAliases[k] = entry.kind == JsonKind::null ? "" : readString(entry, "alias", "");
        if (party.slotIds[k] != 0 && party.slotIds[k] == party.ownId) party.ownSlot = k;
    }
    party.started = true;
}

void readEmote(NetParty& party, const JsonValue& msg) {
    const int32_t slot = readInt(msg, "slot", -1);
    const JsonValue& e = jsonGet(msg, "e");
    if (e.kind == JsonKind::number || e.kind == JsonKind::boolean) {
        const int32_t emote = jsonInt(e, -1);
        if (uint32_t(slot) < kNetSlots && uint32_t(emote) <= 7) party.emotes.push_back(PartyEmote{slot, emote});
    }
    party.emoteCount += 1;
}

void readPong(NetParty& party) {
    if (party.pingSentAt < 0) return;
    const double now = netClock();
    const double sample = (now - party.pingSentAt) * 1000.0;
    party.ping = party.ping <= 0 ? float(sample) : float(party.ping + (sample - party.ping) * kPingSmoothing);
    party.pingSentAt = -1;
    party.nextPingAt = now + kPingIntervalSeconds;
}

// A member left during the match: the slot stays human up to "after" (the
// last input tick the server relayed from it) and the CPU plays it from the
// tick after, on every client alike. A tick of his whose input never came
// before the drop never will, and nobody could confirm it: the CPU takes over
// there if that is sooner. Every client holds the same inputs of his, relayed
// in the same order, so every client picks the same tick.
void readDrop(NetParty& party, const JsonValue& msg) {
    const JsonValue& slot = jsonGet(msg, "slot");
    int64_t k = -1;
    if (slot.kind == JsonKind::boolean) k = slot.boolean ? 1 : 0;
    if (slot.kind == JsonKind::number) k = truncateJsonNumber(slot.number, -1);
    if (k >= 0 && k < kNetSlots) {
        // "after" + 1 in 64 bits, from a value already held below "never".
        const JsonValue& after = jsonGet(msg, "after");
        int64_t from = 0;
        if (after.kind == JsonKind::boolean) from = (after.boolean ? 1 : 0) + 1;
        if (after.kind == JsonKind::number && std::isfinite(after.number))
            from = std::min<int64_t>(truncateJsonNumber(after.number, 0), kNeverTick) + 1;
        from = std::min<int64_t>(std::clamp<int64_t>(from, party.delay, kNeverTick), party.humanUntil[k]);
        // Every tick up to the confirmed one has his input, so the search
        // starts after it; the ring holds no run longer than itself.
        for (int64_t t = std::max<int64_t>(party.confirmedTick + 1, party.delay); t < from; ++t) {
            if (!hasTickInput(party, int(k), t)) {
                from = t;
                break;
            }
        }
        party.humanUntil[k] = static_cast<int32_t>(from);
        if (party.humanUntil[k] < party.currentTick)
            party.rollbackTick = std::min(party.rollbackTick, party.humanUntil[k]);
    }
    party.notice = readString(msg, "alias", "") + " LEFT - THE CPU TAKES OVER";
    party.noticeTimer = kNoticeSeconds;
}

} // namespace

void handleLobbyMessage(NetParty& party, const std::string& text) {
    const JsonValue msg = parseJson(text);
    const std::string type = readString(msg, "t", "");
    if (type == "welcome") {
        party.ownId = readInt(msg, "id", 0);
        party.code = readString(msg, "code", "");
        party.state = PARTY_JOINED;
    } else if (type == "room") {
        readRoom(party, msg);
    } else if (type == "start") {
        readStart(party, msg);
    } else if (type == "ended") {
        party.started = party.inMatch = false;
    } else if (type == "emote") {
        readEmote(party, msg);
    } else if (type == "error") {
        party.errorText = readString(msg, "msg", kDefaultError);
        party.refusedByServer = true;
        party.state = PARTY_ENDED;
        party.inMatch = false;
        party.socket.close();
    } else if (type == "notice") {
        party.notice = readString(msg, "msg", "");
        party.noticeTimer = kNoticeSeconds;
    } else if (type == "pong") {
        readPong(party);
    } else if (type == "drop") {
        readDrop(party, msg);
    } else if (type == "left") {
        party.notice = readString(msg, "alias", "") + " LEFT THE PARTY";
        party.noticeTimer = kLeftNoticeSeconds;
    }
}
