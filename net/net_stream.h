// The byte stream under one WebSocket connection: a non-blocking TCP socket,
// optionally wrapped in TLS. Only the connection's worker thread touches it,
// so the TLS session is never read and written from two threads.
//
// TLS always verifies: the server's chain against the system trust store
// (which honours SSL_CERT_FILE and SSL_CERT_DIR), and its name or address
// against the host we asked for; the host name also goes out as SNI.
#pragma once
#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

#include "net/host_resolver.h"
#include "net/wake_pipe.h"

using NetClock = std::chrono::steady_clock;

struct NetStream {
    int fd = -1;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;
    bool tlsBroken = false; // a fatal TLS error happened: no close_notify then
};

// What a blocking step waits on besides its socket: the wake pipe, and the
// stop flag that tells a wake-up from close() from one from send().
struct NetWaiter {
    const WakePipe* wake = nullptr;
    const std::atomic<bool>* stop = nullptr;
};

enum class WaitResult { ready, stopped, timedOut, woken, failed };

// Waits for the events on the socket, a wake-up or the deadline (none when
// `forever`). A wake-up without stop returns woken only when returnOnWake is
// set; otherwise the wait goes on.
WaitResult waitForSocket(int fd, short events, const NetWaiter& waiter, NetClock::time_point deadline,
                         bool forever, bool returnOnWake);

enum class OpenResult { ok, unreachable, stopped, noSocket };

// Connects to the first address of the list that answers before the
// deadline.
OpenResult connectTcp(NetStream& stream, const addrinfo* addresses, const NetWaiter& waiter,
                      NetClock::time_point deadline);
// TLS handshake over the connected socket. noSocket when TLS itself cannot
// be set up, unreachable when the handshake or the verification fails.
OpenResult startTls(NetStream& stream, const std::string& host, const NetWaiter& waiter,
                    NetClock::time_point deadline);

enum class IoStatus { ok, wantRead, wantWrite, closed, failed };

struct IoResult {
    IoStatus status = IoStatus::failed;
    size_t bytes = 0;
};

IoResult readStream(NetStream& stream, char* buffer, size_t capacity);
IoResult writeStream(NetStream& stream, const char* data, size_t size);
// Sends TLS close_notify when it can go out at once, then frees everything.
void closeStream(NetStream& stream);
