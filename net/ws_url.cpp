// Address splitting for the WebSocket client (see ws_url.h).
#include "net/ws_url.h"

#include "app/text_numbers.h"

namespace {

constexpr const char* kSecureScheme = "wss://";
constexpr size_t kSecureSchemeLength = 6;
constexpr size_t kPlainSchemeLength = 5; // "ws://", not checked
constexpr int32_t kSecurePort = 443;
constexpr int32_t kPlainPort = 80;

// Bytes that may not stand raw in a request line; they would end it early or
// smuggle in a header.
bool needsEscape(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return true;
    switch (c) {
    case '"': case '#': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
        return true;
    default: return false;
    }
}

std::string escapePath(const std::string& path) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (char byte : path) {
        auto c = static_cast<unsigned char>(byte);
        if (!needsEscape(c)) {
            out += byte;
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

bool usableHost(const std::string& host) {
    if (host.empty()) return false;
    for (char byte : host) {
        auto c = static_cast<unsigned char>(byte);
        if (c <= 0x20 || c >= 0x7F || c == '/' || c == '@') return false;
    }
    return true;
}

} // namespace

bool parseWsUrl(const std::string& url, WsUrl& out) {
    out = WsUrl{};
    out.secure = url.compare(0, kSecureSchemeLength, kSecureScheme) == 0;
    size_t skip = out.secure ? kSecureSchemeLength : kPlainSchemeLength;
    if (url.size() < skip) return false;
    out.port = out.secure ? kSecurePort : kPlainPort;
    size_t slash = url.find('/', skip);
    std::string hostPort = url.substr(skip, slash == std::string::npos ? std::string::npos : slash - skip);
    out.path = slash == std::string::npos ? "/" : escapePath(url.substr(slash));
    size_t colon = hostPort.find(':');
    if (colon == std::string::npos) {
        out.host = hostPort;
    } else {
        out.host = hostPort.substr(0, colon);
        out.port = parseIntSaturating(hostPort.c_str() + colon + 1);
    }
    return usableHost(out.host);
}

std::string wsHostHeader(const WsUrl& url) {
    int32_t standard = url.secure ? kSecurePort : kPlainPort;
    if (url.port == standard) return url.host;
    return url.host + ":" + std::to_string(url.port);
}
