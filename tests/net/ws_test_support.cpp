// WebSocket test helpers (see ws_test_support.h).
#include "tests/net/ws_test_support.h"

#include <chrono>
#include <thread>

namespace {

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool waitForState(const WebSocket& ws, WsState state, int timeoutMs) {
    return waitUntil([&] { return ws.state() == state; }, timeoutMs);
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
    for (WsMessage m; found.kind == JsonKind::null && waitForMessage(ws, m, timeoutMs);) {
        JsonValue v = m.binary ? JsonValue{} : parseJson(m.bytes);
        if (jsonString(jsonGet(v, "t"), "") == type) found = std::move(v);
    }
    return found;
}

std::string helloText(const std::string& alias) { return "{\"t\":\"hello\",\"alias\":" + quoteJson(alias) + ",\"ver\":3}"; }

JsonValue enterParty(WebSocket& ws, const std::string& url, const std::string& alias) {
    ws.connect(url);
    if (!waitForState(ws, WsState::open)) return JsonValue{};
    ws.sendText(helloText(alias));
    return waitForType(ws, "welcome");
}
