// The connection to the party server: one WebSocket per party, run by a
// worker thread of its own that connects, performs the upgrade and receives
// whole messages into a queue. The main thread sends, polls the queue, reads
// the state and the last error, and closes.
//
// Every failure ends as one of six sentences in lastError(), which the lobby
// shows as it is; the first error wins. Nothing is retried: a new connect()
// starts over with fresh state.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

enum class WsState : uint32_t {
    idle = 0,       // constructed
    connecting = 1, // connect() was called
    open = 2,       // the upgrade is done
    closed = 3,     // the server closed, or close() was called while connecting or open
    failed = 4,     // any error; lastError() says which
};

struct WsMessage {
    bool binary = false; // false: a UTF-8 text message
    std::string bytes;
};

class WebSocket {
public:
    struct Impl;

    WebSocket();
    ~WebSocket(); // close()
    WebSocket(const WebSocket&) = delete;
    WebSocket& operator=(const WebSocket&) = delete;

    // Closes the current connection and starts a fresh one to the URL
    // ("ws://host[:port]/path" or "wss://..."). Returns at once.
    void connect(const std::string& url);
    // Queues one whole message for the worker to send; does nothing unless
    // the connection is open.
    void send(bool binary, const void* data, size_t size);
    void sendText(const std::string& text);
    void sendBinary(const void* data, size_t size);
    // Moves the oldest received message into `out`; false (out untouched)
    // when none is waiting.
    bool poll(WsMessage& out);
    WsState state() const;
    std::string lastError() const;
    // Sends what is queued and a close frame (status 1000) when open, stops
    // the worker and waits for it. Harmless when idle, failed or closed.
    void close();

private:
    std::shared_ptr<Impl> impl;
};

// The sentences of lastError().
constexpr const char* kWsErrorStartNetworking = "Can't start networking.";
constexpr const char* kWsErrorFindServer = "Can't find the server. Check your internet connection.";
constexpr const char* kWsErrorReachServer = "Can't reach the server.";
constexpr const char* kWsErrorOpenConnection = "Can't open the game connection.";
constexpr const char* kWsErrorLostConnection = "Lost connection to the server.";
// "The server turned the connection down (HTTP <status>)."
std::string wsRefusedSentence(int status);
