// The HTTP side of opening a WebSocket: the GET request that asks for the
// upgrade, and the judgement of the server's answer (status 101, the upgrade
// headers and the Sec-WebSocket-Accept value derived from our random key).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "net/ws_url.h"

constexpr const char* kWsUserAgent = "KorvaloVantero/2";
// Larger answer heads are not a WebSocket server talking.
constexpr size_t kMaxResponseHeadBytes = 16 * 1024;

// A fresh Sec-WebSocket-Key: 16 random bytes in base64. Empty when the
// random generator fails.
std::string makeWsKey();
// The Sec-WebSocket-Accept value a server must answer for this key.
std::string wsAcceptFor(const std::string& key);
std::string buildUpgradeRequest(const WsUrl& url, const std::string& key);

// Length of the head (status line and headers with the blank line after
// them) at the start of the text, or 0 while it is incomplete.
size_t findResponseHeadEnd(std::string_view text);

enum class UpgradeVerdict {
    accepted,   // 101 with the right upgrade headers
    refused,    // any other status (status says which; 0 when unreadable)
    badUpgrade, // 101 without a valid upgrade
    notHttp,    // not an HTTP answer at all
};

struct UpgradeAnswer {
    UpgradeVerdict verdict = UpgradeVerdict::notHttp;
    int status = 0;
};

UpgradeAnswer judgeUpgradeResponse(std::string_view head, const std::string& key);
