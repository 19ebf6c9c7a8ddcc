// WebSocket frame building and reading (see ws_frames.h).
#include "net/ws_frames.h"

#include <openssl/rand.h>

#include <cstring>

namespace {

constexpr uint8_t kFinalBit = 0x80;
constexpr uint8_t kReservedBits = 0x70;
constexpr uint8_t kOpcodeBits = 0x0F;
constexpr uint8_t kMaskBit = 0x80;
constexpr uint8_t kLength16 = 126;
constexpr uint8_t kLength64 = 127;
constexpr size_t kMaxControlPayload = 125;
// Keep consumed bytes at the front of the buffer until they are this many,
// then drop them in one move.
constexpr size_t kCompactThreshold = 64 * 1024;

bool isControl(uint8_t opcode) { return (opcode & 0x08) != 0; }

void putBigEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct FrameHeader {
    bool final = false;
    uint8_t opcode = 0;
    uint64_t length = 0;
    size_t headerBytes = 0;
};

enum class HeaderResult { incomplete, ready, invalid };

HeaderResult readHeader(const uint8_t* p, size_t available, FrameHeader& h) {
    if (available < 2) return HeaderResult::incomplete;
    if ((p[0] & kReservedBits) != 0 || (p[1] & kMaskBit) != 0) return HeaderResult::invalid;
    h.final = (p[0] & kFinalBit) != 0;
    h.opcode = p[0] & kOpcodeBits;
    uint8_t shortLength = p[1] & 0x7F;
    size_t extra = shortLength == kLength16 ? 2 : shortLength == kLength64 ? 8 : 0;
    if (available < 2 + extra) return HeaderResult::incomplete;
    h.length = shortLength;
    if (extra > 0) {
        h.length = 0;
        for (size_t i = 0; i < extra; ++i) h.length = (h.length << 8) | p[2 + i];
        if (h.length >> 63) return HeaderResult::invalid;
    }
    h.headerBytes = 2 + extra;
    return HeaderResult::ready;
}

WsEvent failure(WsReceiver& r, WsEventKind kind) {
    r.error = kind;
    r.message.clear();
    WsEvent e;
    e.kind = kind;
    return e;
}

// Checks a header against the rules of the current message; needMore when
// it is acceptable.
WsEventKind judgeHeader(const WsReceiver& r, const FrameHeader& h) {
    if (isControl(h.opcode)) {
        bool known = h.opcode == uint8_t(WsOpcode::close) || h.opcode == uint8_t(WsOpcode::ping) ||
                     h.opcode == uint8_t(WsOpcode::pong);
        if (!known || !h.final || h.length > kMaxControlPayload) return WsEventKind::protocolError;
        return WsEventKind::needMore;
    }
    bool starts = h.opcode == uint8_t(WsOpcode::text) || h.opcode == uint8_t(WsOpcode::binary);
    bool continues = h.opcode == uint8_t(WsOpcode::continuation);
    if (!starts && !continues) return WsEventKind::protocolError;
    if (starts == r.inMessage) return WsEventKind::protocolError; // new message inside one, or a stray fragment
    size_t gathered = continues ? r.message.size() : 0;
    if (h.length > kWsMaxMessageBytes - gathered) return WsEventKind::tooLarge;
    return WsEventKind::needMore;
}

void compact(WsReceiver& r) {
    if (r.offset == r.buffer.size()) {
        r.buffer.clear();
        r.offset = 0;
    } else if (r.offset >= kCompactThreshold) {
        r.buffer.erase(0, r.offset);
        r.offset = 0;
    }
}

} // namespace

std::string encodeWsFrame(WsOpcode opcode, const void* data, size_t size, const uint8_t mask[4]) {
    std::string frame;
    frame.reserve(size + 14);
    frame += static_cast<char>(kFinalBit | uint8_t(opcode));
    if (size <= 125) {
        frame += static_cast<char>(kMaskBit | size);
    } else if (size <= 0xFFFF) {
        frame += static_cast<char>(kMaskBit | kLength16);
        putBigEndian(frame, size, 2);
    } else {
        frame += static_cast<char>(kMaskBit | kLength64);
        putBigEndian(frame, size, 8);
    }
    frame.append(reinterpret_cast<const char*>(mask), 4);
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t start = frame.size();
    frame.resize(start + size);
    for (size_t i = 0; i < size; ++i) frame[start + i] = static_cast<char>(bytes[i] ^ mask[i & 3]);
    return frame;
}

std::string encodeWsFrame(WsOpcode opcode, const void* data, size_t size) {
    uint8_t mask[4] = {};
    if (RAND_bytes(mask, sizeof mask) != 1) {
        // The key only has to be unpredictable to scripts in a browser; a
        // failed generator is not worth dropping the message for.
        static const uint8_t fallback[4] = {0x5A, 0xC3, 0x96, 0x2F};
        std::memcpy(mask, fallback, sizeof mask);
    }
    return encodeWsFrame(opcode, data, size, mask);
}

std::string wsCloseStatus(uint16_t status) {
    std::string out;
    putBigEndian(out, status, 2);
    return out;
}

void feedWsReceiver(WsReceiver& r, const char* data, size_t size) {
    if (r.error != WsEventKind::needMore) return;
    compact(r);
    r.buffer.append(data, size);
}

WsEvent nextWsEvent(WsReceiver& r) {
    if (r.error != WsEventKind::needMore) return failure(r, r.error);
    while (true) {
        const auto* p = reinterpret_cast<const uint8_t*>(r.buffer.data()) + r.offset;
        size_t available = r.buffer.size() - r.offset;
        FrameHeader h;
        HeaderResult header = readHeader(p, available, h);
        if (header == HeaderResult::invalid) return failure(r, WsEventKind::protocolError);
        if (header == HeaderResult::incomplete) return WsEvent{};
        WsEventKind verdict = judgeHeader(r, h);
        if (verdict != WsEventKind::needMore) return failure(r, verdict);
        if (available - h.headerBytes < h.length) return WsEvent{};

        const char* payload = reinterpret_cast<const char*>(p) + h.headerBytes;
        size_t length = static_cast<size_t>(h.length);
        r.offset += h.headerBytes + length;
        WsEvent e;
        if (isControl(h.opcode)) {
            e.kind = h.opcode == uint8_t(WsOpcode::close)  ? WsEventKind::close
                     : h.opcode == uint8_t(WsOpcode::ping) ? WsEventKind::ping
                                                           : WsEventKind::pong;
            e.bytes.assign(payload, length);
            return e;
        }
        if (!r.inMessage) r.binary = h.opcode == uint8_t(WsOpcode::binary);
        r.message.append(payload, length);
        r.inMessage = !h.final;
        if (r.inMessage) continue;
        e.kind = WsEventKind::message;
        e.binary = r.binary;
        e.bytes = std::move(r.message);
        r.message.clear();
        return e;
    }
}
