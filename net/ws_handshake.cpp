// WebSocket opening handshake (see ws_handshake.h).
#include "net/ws_handshake.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cctype>
#include <cstdint>

namespace {

constexpr const char* kAcceptGuid = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
constexpr size_t kKeyBytes = 16;
constexpr int kMaxStatus = 999;

std::string base64(const unsigned char* data, size_t size) {
    std::string out(4 * ((size + 2) / 3), '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, static_cast<int>(size));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// True when the comma-separated header value holds the token (any case).
bool hasToken(std::string_view value, std::string_view token) {
    std::string wanted = lower(token);
    while (!value.empty()) {
        size_t comma = value.find(',');
        if (lower(trim(value.substr(0, comma))) == wanted) return true;
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    return false;
}

// "HTTP/1.1 101 Switching Protocols": the three digits after the first
// space, or -1 when the line is not an HTTP status line.
int readStatus(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") return -1;
    size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    std::string_view rest = line.substr(space + 1);
    int status = 0;
    size_t digits = 0;
    while (digits < rest.size() && digits < 3 && std::isdigit(static_cast<unsigned char>(rest[digits])))
        status = status * 10 + (rest[digits++] - '0');
    return digits == 3 && status <= kMaxStatus ? status : 0;
}

struct UpgradeHeaders {
    bool upgrade = false;
    bool connection = false;
    std::string accept;
};

UpgradeHeaders readHeaders(std::string_view lines) {
    UpgradeHeaders h;
    while (!lines.empty()) {
        size_t eol = lines.find("\r\n");
        std::string_view line = lines.substr(0, eol);
        lines.remove_prefix(eol == std::string_view::npos ? lines.size() : eol + 2);
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string name = lower(trim(line.substr(0, colon)));
        std::string_view value = trim(line.substr(colon + 1));
        if (name == "upgrade") h.upgrade = h.upgrade || hasToken(value, "websocket");
        if (name == "connection") h.connection = h.connection || hasToken(value, "upgrade");
        if (name == "sec-websocket-accept") h.accept = std::string(value);
    }
    return h;
}

} // namespace

std::string makeWsKey() {
    unsigned char bytes[kKeyBytes];
    if (RAND_bytes(bytes, sizeof bytes) != 1) return {};
    return base64(bytes, sizeof bytes);
}

std::string wsAcceptFor(const std::string& key) {
    std::string joined = key + kAcceptGuid;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(joined.data(), joined.size(), digest, &size, EVP_sha1(), nullptr) != 1) return {};
    return base64(digest, size);
}

std::string buildUpgradeRequest(const WsUrl& url, const std::string& key) {
    return "GET " + url.path + " HTTP/1.1\r\n"
           "Host: " + wsHostHeader(url) + "\r\n"
           "User-Agent: " + kWsUserAgent + "\r\n"
           "Upgrade: websocket\r\n"
           "Connection: Upgrade\r\n"
           "Sec-WebSocket-Key: " + key + "\r\n"
           "Sec-WebSocket-Version: 13\r\n"
           "\r\n";
}

size_t findResponseHeadEnd(std::string_view text) {
    size_t end = text.find("\r\n\r\n");
    return end == std::string_view::npos ? 0 : end + 4;
}

UpgradeAnswer judgeUpgradeResponse(std::string_view head, const std::string& key) {
    UpgradeAnswer answer;
    size_t eol = head.find("\r\n");
    int status = readStatus(head.substr(0, eol));
    if (status < 0) return answer;
    answer.status = status;
    if (status != 101) {
        answer.verdict = UpgradeVerdict::refused;
        return answer;
    }
    UpgradeHeaders h = readHeaders(eol == std::string_view::npos ? std::string_view{} : head.substr(eol + 2));
    std::string expected = wsAcceptFor(key);
    bool valid = h.upgrade && h.connection && !expected.empty() && h.accept == expected;
    answer.verdict = valid ? UpgradeVerdict::accepted : UpgradeVerdict::badUpgrade;
    return answer;
}
