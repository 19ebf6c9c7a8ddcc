// Test helper: a bare TCP listener on 127.0.0.1 that the test thread drives
// by hand, for answers no real server gives (a wrong accept value, garbage,
// an oversized frame, silence). The client's worker connects on its own
// thread while the test plays the server.
#pragma once
#include <string>

class RawTestServer {
public:
    RawTestServer(); // listens on a free port; port() is 0 on failure
    ~RawTestServer();
    RawTestServer(const RawTestServer&) = delete;
    RawTestServer& operator=(const RawTestServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;
    // Accepts one connection; false when none comes in time.
    bool accept(int timeoutMs = 10000);
    // Reads the client's request head (through the blank line).
    std::string readRequestHead(int timeoutMs = 10000);
    // Whatever arrives within the time (empty when nothing does).
    std::string readFor(int timeoutMs);
    void write(const std::string& bytes);
    // Answers the upgrade request properly (reading it first).
    bool completeUpgrade();
    void closeConnection();

private:
    int listener_ = -1;
    int connection_ = -1;
    int port_ = 0;
};

// A frame as a server sends it: unmasked, with the final bit unless told
// otherwise and any extra header bits (reserved ones, to test refusals).
std::string serverFrameForTest(int opcode, const std::string& payload, bool final = true, int extraBits = 0);
