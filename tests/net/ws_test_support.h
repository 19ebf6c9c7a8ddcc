// Test helpers for WebSocket tests: the party server (tools/party-server) run
// on 127.0.0.1 for the life of one object, waiting with a time limit for a
// state or a message, and reading lobby messages by type.
#pragma once
#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "net/json.h"
#include "net/websocket.h"

class PartyServerProcess {
public:
    // Runs `node server.js --port 0 <options>` until its "listening PORT" line.
    explicit PartyServerProcess(const std::vector<std::string>& options = {});
    ~PartyServerProcess();
    PartyServerProcess(const PartyServerProcess&) = delete;
    PartyServerProcess& operator=(const PartyServerProcess&) = delete;

    bool running() const { return port_ > 0; }
    const std::string& problem() const { return problem_; }
    // "ws://127.0.0.1:PORT" + path (or wss:// and the given host).
    std::string url(const std::string& path, bool secure = false, const std::string& host = "127.0.0.1") const;

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
    std::string problem_;
};

constexpr int kWsTestTimeoutMs = 10000;

bool waitForState(const WebSocket& ws, WsState state, int timeoutMs = kWsTestTimeoutMs);
// The state once it has left connecting and open.
WsState waitWhileOpen(const WebSocket& ws, int timeoutMs = kWsTestTimeoutMs);
bool waitForMessage(WebSocket& ws, WsMessage& out, int timeoutMs = kWsTestTimeoutMs);
// The next text message whose "t" is the type, skipping others; null if none.
JsonValue waitForType(WebSocket& ws, const std::string& type, int timeoutMs = kWsTestTimeoutMs);
std::string helloText(const std::string& alias);
// Connects, says hello and returns the welcome (null on failure).
JsonValue enterParty(WebSocket& ws, const std::string& url, const std::string& alias = "P");

// A test suite sharing one plain party server among its tests.
class PartyServerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new PartyServerProcess(); }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override { ASSERT_TRUE(server->running()) << server->problem(); }
    static inline PartyServerProcess* server = nullptr;
};
