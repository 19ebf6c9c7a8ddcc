// The WebSocket handle used by the main thread (see websocket.h); the worker
// that does the network work is in websocket_worker.cpp.
#include "net/websocket.h"

#include <system_error>

#include "net/websocket_impl.h"
#include "net/ws_frames.h"

WebSocket::WebSocket() : impl(std::make_shared<Impl>()) {}

WebSocket::~WebSocket() { close(); }

void WebSocket::connect(const std::string& url) {
    close();
    auto fresh = std::make_shared<Impl>();
    impl = fresh;
    fresh->state.exchange(WsState::connecting);
    if (!openWakePipe(fresh->wake)) {
        failWebSocket(*fresh, kWsErrorStartNetworking);
        return;
    }
    try {
        fresh->worker = std::thread(runWebSocket, fresh, url);
    } catch (const std::system_error&) {
        failWebSocket(*fresh, kWsErrorStartNetworking);
    }
}

void WebSocket::send(bool binary, const void* data, size_t size) {
    if (!impl || impl->state.load() != WsState::open) return;
    std::string frame = encodeWsFrame(binary ? WsOpcode::binary : WsOpcode::text, data, size);
    bool tooMuch;
    {
        std::lock_guard<std::mutex> hold(impl->sendLock);
        tooMuch = impl->outgoing.size() + frame.size() > kWsMaxUnsentBytes;
        if (!tooMuch) impl->outgoing += frame;
    }
    // The server stopped reading: give up rather than hold ever more.
    if (tooMuch) failWebSocket(*impl, kWsErrorLostConnection);
    signalWakePipe(impl->wake);
}

void WebSocket::sendText(const std::string& text) { send(false, text.data(), text.size()); }

void WebSocket::sendBinary(const void* data, size_t size) { send(true, data, size); }

bool WebSocket::poll(WsMessage& out) {
    if (!impl) return false;
    std::lock_guard<std::mutex> hold(impl->queueLock);
    if (impl->queue.empty()) return false;
    out = std::move(impl->queue.front());
    impl->queue.pop_front();
    impl->queuedBytes -= out.bytes.size();
    return true;
}

WsState WebSocket::state() const { return impl ? impl->state.load() : WsState::idle; }

std::string WebSocket::lastError() const {
    if (!impl) return {};
    std::lock_guard<std::mutex> hold(impl->queueLock);
    return impl->lastError;
}

void WebSocket::close() {
    if (!impl) return;
    impl->stop.store(true);
    WsState expected = WsState::connecting;
    if (!impl->state.compare_exchange_strong(expected, WsState::closed)) {
        expected = WsState::open;
        impl->state.compare_exchange_strong(expected, WsState::closed);
    }
    signalWakePipe(impl->wake);
    if (impl->worker.joinable()) impl->worker.join();
}

std::string wsRefusedSentence(int status) {
    return "The server turned the connection down (HTTP " + std::to_string(status) + ").";
}

void failWebSocket(WebSocket::Impl& impl, const std::string& sentence) {
    if (impl.stop.load()) return;
    {
        std::lock_guard<std::mutex> hold(impl.queueLock);
        if (impl.lastError.empty()) impl.lastError = sentence;
    }
    impl.state.exchange(WsState::failed);
}
