// Test helper: raw sockets on 127.0.0.1 that the test thread drives by hand,
// for what no well-behaved peer does: a server giving answers no real server
// gives (while the client's worker connects on its own thread), and a client
// that stops reading.
#pragma once
#include <string>

class RawSocket {
public:
    RawSocket() = default;
    ~RawSocket() { closeConnection(); }
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;

    // What arrives within the time, or up to and including `until`.
    std::string readFor(int timeoutMs, const std::string& until = "");
    std::string readHead() { return readFor(10000, "\r\n\r\n"); }
    // False when the peer stopped taking bytes for `timeoutMs` or is gone.
    bool write(const std::string& bytes, int timeoutMs = 10000);
    void closeConnection();

protected:
    int fd_ = -1;
};

class RawTestServer : public RawSocket {
public:
    RawTestServer(); // listens on a free port; port() is 0 on failure
    ~RawTestServer();

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;
    bool accept(); // false when no connection comes in time
    // Answers the upgrade request head properly, then sends `after`.
    bool answerUpgrade(const std::string& head, const std::string& after = "");
    bool completeUpgrade() { return answerUpgrade(readHead()); }

private:
    int listener_ = -1;
    int port_ = 0;
};

// A client of the party server on the port: connects with a small receive
// buffer (so a server's unsent data piles up at once when it stops reading)
// and completes the upgrade; sendText and sendBinary send masked frames.
class RawTestClient : public RawSocket {
public:
    bool open(int port, const std::string& path);
    bool sendText(const std::string& text);
    bool sendBinary(const std::string& bytes);
};

// A frame as a server sends it: unmasked, final unless told otherwise, with
// any extra header bits (reserved ones, to test refusals).
std::string serverFrameForTest(int opcode, const std::string& payload, bool final = true, int extraBits = 0);
