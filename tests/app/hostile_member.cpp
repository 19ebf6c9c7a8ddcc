#include "tests/app/hostile_member.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "net/json.h"
#include "net/match_packets.h"
#include "net/party.h"
#include "net/websocket.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLeadTicks = 4;            // how far past the others' inputs it sends
constexpr int kTicksBeforeLeaving = 300; // of honest play before the gap
constexpr int32_t kFarFutureTick = 0x7ffffffe;
constexpr int kSkippedTicks = 5;
constexpr int kRewrittenTicks = 6; // ticks of earlier messages each message repeats
constexpr auto kReadyRetry = std::chrono::milliseconds(500);
constexpr auto kPollPause = std::chrono::milliseconds(2);

// What it sends for a tick: a walk with a turning aim, and in its rewritten
// copies something else entirely.
NetInput inputFor(int32_t tick, bool rewritten) {
    NetInput in;
    in.moveY = rewritten ? -127 : 50;
    in.moveX = rewritten ? 127 : 0;
    in.aim = static_cast<uint16_t>(tick * (rewritten ? 911 : 97));
    in.buttons = NET_AIM_WITH_YAW | (rewritten ? NET_SHOOT_PRESSED | NET_PASS_PRESSED : 0);
    return in;
}

// Ticks first..last, those before `fresh` rewritten.
void sendInputs(WebSocket& ws, int slot, int32_t first, int32_t last, int32_t fresh) {
    std::vector<NetInput> records;
    std::string packet;
    for (int32_t t = first; t <= last; ++t) {
        records.push_back(inputFor(t, t < fresh));
        if ((int)records.size() == kMaxRecordsPerPacket || t == last) {
            buildInputPacket(packet, slot, t + 1 - (int32_t)records.size(), records.data(), (int)records.size());
            ws.sendBinary(packet.data(), packet.size());
            records.clear();
        }
    }
}

// The last tick of another player's relayed input message, or -1.
int32_t lastTickOf(const std::string& bytes) {
    if (bytes.size() < kInputPacketHeader || (uint8_t)bytes[0] != kInputPacketType) return -1;
    const uint32_t first = getU32(reinterpret_cast<const uint8_t*>(bytes.data()) + 2);
    const int count = uint8_t(bytes[6]);
    return count > 0 && first < uint32_t(kFarFutureTick) ? int32_t(first) + count - 1 : -1;
}

} // namespace

std::string refusalIn(const std::string& text) {
    const JsonValue msg = parseJson(text);
    if (jsonString(jsonGet(msg, "t"), "") != "error") return {};
    return "refused: " + jsonString(jsonGet(msg, "msg"), "");
}

std::string endReason(const WebSocket& ws) {
    const std::string error = ws.lastError();
    return error.empty() ? "closed" : error;
}

std::string HostileMember::trouble() const {
    std::lock_guard<std::mutex> hold(troubleLock_);
    return trouble_;
}

HostileMember::HostileMember(std::string serverUrl, std::string code, Misbehaviour how)
    : url_(std::move(serverUrl) + "/api/party/" + code), how_(how) {}

HostileMember::~HostileMember() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void HostileMember::start() { thread_ = std::thread([this] { run(); }); }

void HostileMember::run() {
    WebSocket ws;
    ws.connect(url_);
    bool helloSent = false;
    int id = -1;
    int32_t delay = 0, nextTick = 0, seen = -1;
    auto lastReady = Clock::now() - kReadyRetry;
    const auto giveUp = [&](const std::string& why) {
        std::lock_guard<std::mutex> hold(troubleLock_);
        if (trouble_.empty()) trouble_ = why;
    };
    while (!stop_ && !left_) {
        // Read before polling: what came before the connection ended (a
        // refusal) is in the queue by then.
        const WsState state = ws.state();
        if (state == WsState::open && !helloSent) {
            ws.sendText("{\"t\":\"hello\",\"alias\":\"EVIL\",\"ver\":" + std::to_string(kProtocolVersion) + "}");
            helloSent = true;
        }
        for (WsMessage m; ws.poll(m);) {
            if (m.binary) {
                seen = std::max(seen, lastTickOf(m.bytes));
                continue;
            }
            if (slot_ < 0) {
                const std::string refused = refusalIn(m.bytes);
                if (!refused.empty()) giveUp(refused);
            }
            const JsonValue msg = parseJson(m.bytes);
            const std::string type = jsonString(jsonGet(msg, "t"), "");
            if (type == "welcome") id = jsonInt(jsonGet(msg, "id"), -1);
            if (type == "room" && slot_ < 0 && Clock::now() - lastReady >= kReadyRetry) {
                ws.sendText("{\"t\":\"ready\",\"ready\":true}");
                lastReady = Clock::now();
            }
            if (type == "start") {
                const JsonValue& slots = jsonGet(msg, "slots");
                for (int k = 0; k < kNetSlots; ++k)
                    if (jsonInt(jsonGet(jsonAt(slots, k), "id"), -2) == id) slot_ = k;
                delay = jsonInt(jsonGet(msg, "delay"), 0);
                nextTick = delay;
            }
        }
        if (state == WsState::closed || state == WsState::failed) {
            if (slot_ < 0)
                giveUp("its connection ended before the match began (" + endReason(ws) + ")");
            break;
        }
        if (slot_ >= 0 && seen >= delay && nextTick <= seen + kLeadTicks) {
            const int32_t last = seen + kLeadTicks;
            if (how_ == Misbehaviour::rewritesInputs) {
                const int32_t back = std::max(delay, nextTick - kRewrittenTicks);
                if (back < nextTick) sendInputs(ws, slot_, back, nextTick - 1, nextTick); // repeats alone
                sendInputs(ws, slot_, back, last, nextTick);                               // and with new ticks
            } else {
                sendInputs(ws, slot_, nextTick, last, nextTick);
            }
            nextTick = last + 1;
            if (how_ == Misbehaviour::leavesAfterAGap && nextTick > delay + kTicksBeforeLeaving) {
                sendInputs(ws, slot_, kFarFutureTick, kFarFutureTick, kFarFutureTick);
                sendInputs(ws, slot_, nextTick + kSkippedTicks, nextTick + kSkippedTicks + 3, 0);
                ws.close();
                left_ = true;
            }
        }
        std::this_thread::sleep_for(kPollPause);
    }
}
