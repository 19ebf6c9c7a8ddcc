// The shared state of one WebSocket connection, held by the WebSocket handle
// and by its worker thread. Internal to net/.
//
// Locks: queueLock guards queue, queuedBytes and lastError; sendLock guards
// outgoing. The two are never held together. state and stop are atomic. The
// worker alone does socket and TLS work; the main thread only hands it framed
// bytes in `outgoing` and wakes it through the pipe.
#pragma once
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/wake_pipe.h"
#include "net/websocket.h"

// Memory bounds against a server that floods us or never reads: passing one
// fails the connection with "Lost connection to the server.". The received
// queue allows a main thread stalled for many seconds in a busy match.
constexpr size_t kWsMaxQueuedMessages = 8192;
constexpr size_t kWsMaxQueuedBytes = size_t(16) << 20;
// Bytes handed to the worker and not yet written (besides the batch the
// worker is writing, which is never larger).
constexpr size_t kWsMaxUnsentBytes = size_t(4) << 20;

struct WebSocket::Impl {
    std::atomic<WsState> state{WsState::idle};
    std::mutex queueLock;
    std::mutex sendLock;
    std::deque<WsMessage> queue;
    size_t queuedBytes = 0;
    std::string lastError; // empty until the first error, then never replaced
    std::string outgoing;  // whole frames waiting for the worker
    WakePipe wake;
    std::thread worker;
    std::atomic<bool> stop{false}; // set by close()

    ~Impl() { closeWakePipe(wake); }
};

// The worker: connects, upgrades, then receives until closed, failed or
// stopped.
void runWebSocket(std::shared_ptr<WebSocket::Impl> impl, std::string url);
// Records the sentence (when no error is recorded yet) and fails the
// connection; does nothing once close() asked the worker to stop, so that
// closing never turns into an error.
void failWebSocket(WebSocket::Impl& impl, const std::string& sentence);
