// Splits a party server address ("ws://host:port/path" or "wss://...") into
// what the connection needs. Like the rest of the game it is lenient: any
// five-character prefix counts as a plain scheme, a malformed port reads as
// 0; only an address too short for its scheme or without a host is refused.
#pragma once
#include <cstdint>
#include <string>

struct WsUrl {
    bool secure = false;  // "wss://": TLS, default port 443
    std::string host;
    int32_t port = 80;
    std::string path = "/"; // from the first slash after the host, with unsafe bytes escaped
};

// False when the address is shorter than its scheme or names no usable host.
bool parseWsUrl(const std::string& url, WsUrl& out);

// The Host header value: the host, with ":port" when the port is not the
// scheme's default.
std::string wsHostHeader(const WsUrl& url);
