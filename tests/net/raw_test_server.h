// Test helper: a bare TCP listener on 127.0.0.1 that the test thread drives
// by hand, for answers no real server gives, while the client's worker
// connects on its own thread. It reads the client's frames with a parser of
// its own, so a framing fault the client shares with its own reader shows.
#pragma once
#include <cstddef>
#include <string>

// One frame as the client sent it, unmasked.
struct ClientFrame {
    int opcode = -1;
    bool final = false;
    bool masked = false;
    std::string payload;
};

class RawTestServer {
public:
    RawTestServer(); // listens on a free port; port() is 0 on failure
    ~RawTestServer();
    RawTestServer(const RawTestServer&) = delete;
    RawTestServer& operator=(const RawTestServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;
    bool accept(); // false when no connection comes in time
    // What arrives within the time, or up to and including `until`.
    std::string readFor(int timeoutMs, const std::string& until = "");
    std::string readHead() { return readFor(10000, "\r\n\r\n"); }
    // Exactly `count` bytes, or fewer when the time runs out or the client is gone.
    std::string readBytes(size_t count, int timeoutMs = 10000);
    // The next frame; false when none comes whole in time or its length
    // passes `maxPayload` (a length field read wrong would ask for gigabytes).
    bool readClientFrame(ClientFrame& out, size_t maxPayload, int timeoutMs = 10000);
    // False when the client stopped taking bytes for `timeoutMs` or is gone.
    bool write(const std::string& bytes, int timeoutMs = 10000);
    // Answers the upgrade request head properly, then sends `after`.
    bool answerUpgrade(const std::string& head, const std::string& after = "");
    bool completeUpgrade() { return answerUpgrade(readHead()); }
    void closeConnection();

private:
    int listener_ = -1;
    int connection_ = -1;
    int port_ = 0;
};

// A frame as a server sends it: unmasked, final unless told otherwise, with
// any extra header bits (reserved ones, to test refusals).
std::string serverFrameForTest(int opcode, const std::string& payload, bool final = true, int extraBits = 0);
