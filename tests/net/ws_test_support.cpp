// WebSocket test helpers (see ws_test_support.h).
#include "tests/net/ws_test_support.h"

#include <chrono>
#include <thread>

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(1);

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

} // namespace

PartyServerProcess* PartyServerSuite::server = nullptr;

bool waitForState(const WebSocket& ws, WsState state, int timeoutMs) {
    return waitUntil([&] { return ws.state() == state; }, timeoutMs);
}

WsState waitWhileConnecting(const WebSocket& ws, int timeoutMs) {
    waitUntil([&] { return ws.state() != WsState::connecting; }, timeoutMs);
    return ws.state();
}

WsState waitWhileOpen(const WebSocket& ws, int timeoutMs) {
    waitUntil([&] { return ws.state() != WsState::connecting && ws.state() != WsState::open; }, timeoutMs);
    return ws.state();
}

bool waitForMessage(WebSocket& ws, WsMessage& out, int timeoutMs) {
    return waitUntil([&] { return ws.poll(out); }, timeoutMs);
}

JsonValue waitForType(WebSocket& ws, const std::string& type, int timeoutMs) {
    JsonValue found;
    waitUntil(
        [&] {
            WsMessage m;
            while (ws.poll(m)) {
                if (m.binary) continue;
                JsonValue v = parseJson(m.bytes);
                if (jsonString(jsonGet(v, "t"), "") != type) continue;
                found = std::move(v);
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

int countMessages(WebSocket& ws, int forMs) {
    int count = 0;
    waitUntil(
        [&] {
            WsMessage m;
            while (ws.poll(m)) ++count;
            return false;
        },
        forMs);
    return count;
}

std::string helloText(const std::string& alias) { return "{\"t\":\"hello\",\"alias\":" + quoteJson(alias) + ",\"ver\":3}"; }
