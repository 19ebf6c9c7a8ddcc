// The connection worker: resolves, connects (TLS for "wss://"), asks for the
// WebSocket upgrade, then receives whole messages into the queue and writes
// what the main thread queued, until the server closes, an error fails the
// connection or close() sets the stop flag. It alone touches the socket.
//
// Time limits: 8 s each for the name lookup, the connection (TCP and TLS
// together), the upgrade (request and answer) and any send that makes no
// progress; receiving waits as long as it takes, since a quiet lobby is
// normal. Memory: see the bounds in websocket_impl.h; of the pongs owed to
// the server only the latest waits, so a ping flood costs nothing.
#include <poll.h>
#include <pthread.h>

#include <csignal>
#include <vector>

#include "net/net_stream.h"
#include "net/websocket_impl.h"
#include "net/ws_frames.h"
#include "net/ws_handshake.h"
#include "net/ws_url.h"

namespace {

constexpr auto kResolveTimeout = std::chrono::milliseconds(8000);
constexpr auto kConnectTimeout = std::chrono::milliseconds(8000);
constexpr auto kUpgradeTimeout = std::chrono::milliseconds(8000);
constexpr auto kSendTimeout = std::chrono::milliseconds(8000);
// close() waits this long at most for queued messages and the close frame:
// the main thread is blocked meanwhile.
constexpr auto kCloseFlushTimeout = std::chrono::milliseconds(1000);
constexpr size_t kReceiveBufferBytes = 65536;
constexpr uint16_t kNormalClosure = 1000;
// Reads per wake-up before the worker looks at its send queue again, so a
// flooding server cannot starve our sends.
constexpr int kReadsPerWake = 16;
constexpr int kMaxPort = 65535;

struct Connection {
    WebSocket::Impl& impl;
    NetWaiter waiter;
    NetStream stream;
    std::string pending;      // whole frames still to write
    size_t pendingOffset = 0; // bytes of `pending` already written
    size_t pongEnd = 0;       // end of a pong in `pending`; written once pendingOffset reaches it
    std::string duePong;      // payload of the latest ping not answered yet
    bool pongDue = false;
    NetClock::time_point lastProgress;
    short writeWaitsFor = 0;  // poll event a blocked write needs
    short readWaitsFor = 0;   // POLLOUT when TLS reading needs to write
    WsReceiver receiver;

    explicit Connection(WebSocket::Impl& owner) : impl(owner), waiter{&owner.wake, &owner.stop} {}
    ~Connection() { closeStream(stream); }
};

bool fail(Connection& c, const std::string& sentence) {
    failWebSocket(c.impl, sentence);
    return false;
}

bool hasPending(const Connection& c) { return c.pendingOffset < c.pending.size(); }

// Drops what was written once everything was.
void startBatchIfDone(Connection& c) {
    if (hasPending(c)) return;
    c.pending.clear();
    c.pendingOffset = 0;
    c.pongEnd = 0;
    c.lastProgress = NetClock::now();
}

// Moves what the main thread queued into the batch: only once the batch is
// written, unless `all` (the goodbye), so the two together stay bounded.
void takeOutgoing(Connection& c, bool all = false) {
    if (hasPending(c) && !all) return;
    std::lock_guard<std::mutex> hold(c.impl.sendLock);
    if (c.impl.outgoing.empty()) return;
    startBatchIfDone(c);
    c.pending += c.impl.outgoing;
    c.impl.outgoing.clear();
}

// Writes what it can without blocking; false on a broken connection.
bool writeSome(Connection& c) {
    c.writeWaitsFor = 0;
    while (hasPending(c)) {
        IoResult r = writeStream(c.stream, c.pending.data() + c.pendingOffset, c.pending.size() - c.pendingOffset);
        if (r.status == IoStatus::wantWrite || r.status == IoStatus::wantRead) {
            c.writeWaitsFor = r.status == IoStatus::wantWrite ? POLLOUT : POLLIN;
            return true;
        }
        if (r.status != IoStatus::ok) return false;
        c.pendingOffset += r.bytes;
        c.lastProgress = NetClock::now();
    }
    return true;
}

// Writes everything pending before the deadline; false when the connection
// broke, the time ran out or the worker was stopped.
bool flushPending(Connection& c, const NetWaiter& waiter, NetClock::time_point deadline) {
    while (true) {
        if (!writeSome(c)) return false;
        if (!hasPending(c)) return true;
        WaitResult w = waitForSocket(c.stream.fd, c.writeWaitsFor, waiter, deadline, false, false);
        if (w != WaitResult::ready) return false;
    }
}

void queueFrame(Connection& c, WsOpcode opcode, const std::string& payload) {
    startBatchIfDone(c);
    c.pending += encodeWsFrame(opcode, payload.data(), payload.size());
}

// Queues the owed pong unless one is still being written.
void queueDuePong(Connection& c) {
    if (!c.pongDue || c.pendingOffset < c.pongEnd) return;
    queueFrame(c, WsOpcode::pong, c.duePong);
    c.pongEnd = c.pending.size();
    c.pongDue = false;
}

// Sends our close frame (and whatever is still queued before it) as a last
// courtesy; the connection ends either way. It ignores the wake pipe: a
// wake-up from close() must not cut it short.
void sayGoodbye(Connection& c, const std::string& status) {
    takeOutgoing(c, true);
    queueFrame(c, WsOpcode::close, status);
    flushPending(c, NetWaiter{}, NetClock::now() + kCloseFlushTimeout);
}

bool resolveAndConnect(Connection& c, const WsUrl& url) {
    if (url.port < 1 || url.port > kMaxPort) return fail(c, kWsErrorReachServer);
    AddrList addresses;
    ResolveResult found = resolveHost(url.host, url.port, int(kResolveTimeout.count()), c.impl.stop, addresses);
    if (found == ResolveResult::stopped) return false;
    if (found == ResolveResult::noThread) return fail(c, kWsErrorStartNetworking);
    if (found == ResolveResult::notFound) return fail(c, kWsErrorFindServer);
    NetClock::time_point deadline = NetClock::now() + kConnectTimeout;
    OpenResult opened = connectTcp(c.stream, addresses.get(), c.waiter, deadline);
    if (opened == OpenResult::ok && url.secure) opened = startTls(c.stream, url.host, c.waiter, deadline);
    if (opened == OpenResult::stopped) return false;
    if (opened == OpenResult::noSocket) return fail(c, kWsErrorStartNetworking);
    if (opened != OpenResult::ok) return fail(c, kWsErrorReachServer);
    return true;
}

// Reads the answer's head before the deadline; bytes that came after it stay
// in `head` past `headBytes`.
bool readResponseHead(Connection& c, std::string& head, size_t& headBytes, std::vector<char>& buffer,
                      NetClock::time_point deadline) {
    while ((headBytes = findResponseHeadEnd(head)) == 0) {
        if (head.size() > kMaxResponseHeadBytes) return fail(c, kWsErrorReachServer);
        IoResult r = readStream(c.stream, buffer.data(), buffer.size());
        if (r.status == IoStatus::ok) {
            head.append(buffer.data(), r.bytes);
            continue;
        }
        if (r.status != IoStatus::wantRead && r.status != IoStatus::wantWrite) return fail(c, kWsErrorReachServer);
        short events = r.status == IoStatus::wantRead ? POLLIN : POLLOUT;
        WaitResult w = waitForSocket(c.stream.fd, events, c.waiter, deadline, false, false);
        if (w == WaitResult::stopped) return false;
        if (w != WaitResult::ready) return fail(c, kWsErrorReachServer);
    }
    return true;
}

bool upgrade(Connection& c, const WsUrl& url, std::vector<char>& buffer) {
    std::string key = makeWsKey();
    if (key.empty()) return fail(c, kWsErrorStartNetworking);
    c.pending = buildUpgradeRequest(url, key);
    c.pendingOffset = 0;
    // One limit for the whole exchange: a server that answers a byte at a
    // time must not keep us connecting for ever.
    NetClock::time_point deadline = NetClock::now() + kUpgradeTimeout;
    if (!flushPending(c, c.waiter, deadline)) return fail(c, kWsErrorReachServer);
    std::string head;
    size_t headBytes = 0;
    if (!readResponseHead(c, head, headBytes, buffer, deadline)) return false;
    UpgradeAnswer answer = judgeUpgradeResponse(std::string_view(head).substr(0, headBytes), key);
    if (answer.verdict == UpgradeVerdict::notHttp) return fail(c, kWsErrorReachServer);
    if (answer.verdict == UpgradeVerdict::refused) return fail(c, wsRefusedSentence(answer.status));
    if (answer.verdict == UpgradeVerdict::badUpgrade) return fail(c, kWsErrorOpenConnection);
    feedWsReceiver(c.receiver, head.data() + headBytes, head.size() - headBytes);
    // close() may have come first; a closed connection never reopens.
    WsState expected = WsState::connecting;
    return c.impl.state.compare_exchange_strong(expected, WsState::open);
}

enum class Flow { keepGoing, moreToRead, ended };

// Appends a received message; false when it would pass the queue's bounds.
bool enqueue(WebSocket::Impl& impl, WsEvent& e) {
    std::lock_guard<std::mutex> hold(impl.queueLock);
    if (impl.queue.size() >= kWsMaxQueuedMessages || impl.queuedBytes + e.bytes.size() > kWsMaxQueuedBytes)
        return false;
    impl.queuedBytes += e.bytes.size();
    impl.queue.push_back(WsMessage{e.binary, std::move(e.bytes)});
    return true;
}

// Acts on every complete frame received so far.
Flow handleEvents(Connection& c) {
    while (true) {
        WsEvent e = nextWsEvent(c.receiver);
        switch (e.kind) {
        case WsEventKind::needMore: return Flow::keepGoing;
        case WsEventKind::message:
            if (!enqueue(c.impl, e)) {
                fail(c, kWsErrorLostConnection);
                return Flow::ended;
            }
            break;
        case WsEventKind::ping:
            c.duePong = std::move(e.bytes);
            c.pongDue = true;
            queueDuePong(c);
            break;
        case WsEventKind::pong: break;
        case WsEventKind::close: {
            WsState expected = WsState::open;
            c.impl.state.compare_exchange_strong(expected, WsState::closed);
            // Answer with the server's own status, as the protocol asks.
            sayGoodbye(c, e.bytes.size() >= 2 ? e.bytes.substr(0, 2) : std::string());
            return Flow::ended;
        }
        case WsEventKind::protocolError:
        case WsEventKind::tooLarge: fail(c, kWsErrorLostConnection); return Flow::ended;
        }
    }
}

// The end of the stream or an error: quiet when we are closing anyway.
Flow streamBroke(Connection& c) {
    if (!c.impl.stop.load() && c.impl.state.load() == WsState::open) fail(c, kWsErrorLostConnection);
    return Flow::ended;
}

Flow readSome(Connection& c, std::vector<char>& buffer) {
    c.readWaitsFor = 0;
    for (int i = 0; i < kReadsPerWake; ++i) {
        IoResult r = readStream(c.stream, buffer.data(), buffer.size());
        if (r.status == IoStatus::wantRead) return Flow::keepGoing;
        if (r.status == IoStatus::wantWrite) {
            c.readWaitsFor = POLLOUT;
            return Flow::keepGoing;
        }
        if (r.status != IoStatus::ok) return streamBroke(c);
        feedWsReceiver(c.receiver, buffer.data(), r.bytes);
        if (handleEvents(c) == Flow::ended) return Flow::ended;
    }
    return Flow::moreToRead;
}

void receiveLoop(Connection& c, std::vector<char>& buffer) {
    if (handleEvents(c) == Flow::ended) return;
    while (!c.impl.stop.load()) {
        if (c.impl.state.load() == WsState::failed) return; // send() passed its bound
        takeOutgoing(c);
        if (!writeSome(c)) {
            streamBroke(c);
            return;
        }
        queueDuePong(c);
        Flow flow = readSome(c, buffer);
        if (flow == Flow::ended) return;
        if (!writeSome(c)) { // the pong the reads queued
            streamBroke(c);
            return;
        }
        bool sending = hasPending(c);
        NetClock::time_point deadline = flow == Flow::moreToRead ? NetClock::now() : c.lastProgress + kSendTimeout;
        bool forever = !sending && flow != Flow::moreToRead;
        short events = POLLIN | c.readWaitsFor | (sending ? c.writeWaitsFor : 0);
        WaitResult w = waitForSocket(c.stream.fd, events, c.waiter, deadline, forever, true);
        if (w == WaitResult::stopped) break;
        bool sendStuck = sending && NetClock::now() >= c.lastProgress + kSendTimeout;
        if (w == WaitResult::failed || (w == WaitResult::timedOut && sendStuck)) {
            fail(c, kWsErrorLostConnection);
            return;
        }
    }
    sayGoodbye(c, wsCloseStatus(kNormalClosure));
}

void runConnection(WebSocket::Impl& impl, const std::string& address) {
    Connection c(impl);
    WsUrl url;
    if (!parseWsUrl(address, url)) {
        fail(c, kWsErrorFindServer);
        return;
    }
    std::vector<char> buffer(kReceiveBufferBytes);
    if (!resolveAndConnect(c, url) || !upgrade(c, url, buffer)) return;
    receiveLoop(c, buffer);
}

} // namespace

void runWebSocket(std::shared_ptr<WebSocket::Impl> impl, std::string url) {
    // A write to a socket the server already closed must fail with EPIPE, not
    // kill the game; the signal is per thread, and this thread does all the
    // writing.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    try {
        runConnection(*impl, url);
    } catch (...) { // out of memory: never let an exception leave the thread
        failWebSocket(*impl, kWsErrorLostConnection);
    }
}
