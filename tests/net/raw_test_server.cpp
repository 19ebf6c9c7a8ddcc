// Hand-driven loopback server for WebSocket fault tests (see raw_test_server.h).
#include "tests/net/raw_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "net/ws_handshake.h"

namespace {

bool ready(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

} // namespace

RawTestServer::RawTestServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener_, 4) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    port_ = ntohs(address.sin_port);
}

RawTestServer::~RawTestServer() {
    closeConnection();
    if (listener_ >= 0) close(listener_);
}

std::string RawTestServer::url(const std::string& path) const {
    return "ws://127.0.0.1:" + std::to_string(port_) + path;
}

bool RawTestServer::accept() {
    if (!ready(listener_, POLLIN, 10000)) return false;
    connection_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return connection_ >= 0;
}

std::string RawTestServer::readFor(int timeoutMs, const std::string& until) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!until.empty() && got.find(until) != std::string::npos) break;
        if (!ready(connection_, POLLIN, 10)) continue;
        char byte[4096]; // one byte at a time up to `until`: never read past it
        ssize_t n = read(connection_, byte, until.empty() ? sizeof byte : 1);
        if (n <= 0) break;
        got.append(byte, static_cast<size_t>(n));
    }
    return got;
}

std::string RawTestServer::readBytes(size_t count, int timeoutMs) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        if (!ready(connection_, POLLIN, 10)) continue;
        char bytes[65536];
        ssize_t n = read(connection_, bytes, std::min(sizeof bytes, count - got.size()));
        if (n <= 0) break;
        got.append(bytes, static_cast<size_t>(n));
    }
    return got;
}

bool RawTestServer::readClientFrame(ClientFrame& out, size_t maxPayload, int timeoutMs) {
    std::string head = readBytes(2, timeoutMs);
    if (head.size() < 2) return false;
    out.final = (head[0] & 0x80) != 0;
    out.opcode = head[0] & 0x0F;
    out.masked = (head[1] & 0x80) != 0;
    uint64_t length = static_cast<uint8_t>(head[1]) & 0x7F;
    const size_t extra = length == 126 ? 2 : length == 127 ? 8 : 0;
    if (extra > 0) {
        const std::string field = readBytes(extra, timeoutMs);
        if (field.size() < extra) return false;
        length = 0;
        for (char c : field) length = (length << 8) | static_cast<uint8_t>(c);
    }
    if (length > maxPayload) return false;
    const std::string mask = out.masked ? readBytes(4, timeoutMs) : std::string(4, '\0');
    out.payload = readBytes(static_cast<size_t>(length), timeoutMs);
    if (mask.size() < 4 || out.payload.size() < length) return false;
    for (size_t i = 0; i < out.payload.size(); ++i) out.payload[i] ^= mask[i & 3];
    return true;
}

bool RawTestServer::write(const std::string& bytes, int timeoutMs) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (!ready(connection_, POLLOUT, timeoutMs)) return false;
        ssize_t n = send(connection_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool RawTestServer::answerUpgrade(const std::string& head, const std::string& after) {
    const std::string name = "Sec-WebSocket-Key: ";
    size_t at = head.find(name);
    if (at == std::string::npos) return false;
    std::string key = head.substr(at + name.size(), head.find("\r\n", at) - at - name.size());
    return write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                 "Sec-WebSocket-Accept: " + wsAcceptFor(key) + "\r\n\r\n" + after);
}

void RawTestServer::closeConnection() {
    if (connection_ >= 0) close(connection_);
    connection_ = -1;
}

std::string serverFrameForTest(int opcode, const std::string& payload, bool final, int extraBits) {
    std::string f;
    f += static_cast<char>((final ? 0x80 : 0) | extraBits | opcode);
    uint64_t n = payload.size();
    if (n <= 125) {
        f += static_cast<char>(n);
    } else {
        int bytes = n <= 0xFFFF ? 2 : 8;
        f += static_cast<char>(bytes == 2 ? 126 : 127);
        for (int i = bytes - 1; i >= 0; --i) f += static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    return f + payload;
}
