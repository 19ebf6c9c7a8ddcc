// The framing layer of the WebSocket protocol, client side: building masked
// frames to send, and reading the server's unmasked frames back into whole
// messages and control events. Pure byte work, no sockets, so it can be
// tested on its own.
//
// Incoming rules: frames must be unmasked with no reserved bits; control
// frames are final and at most 125 bytes; fragments continue the message that
// a text or binary frame started; a message larger than kWsMaxMessageBytes
// (the largest real one is a few kilobytes) is refused before it is buffered.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kWsMaxMessageBytes = size_t(1) << 20;

enum class WsOpcode : uint8_t { continuation = 0, text = 1, binary = 2, close = 8, ping = 9, pong = 10 };

// One complete client frame (final bit set, payload masked with the key).
std::string encodeWsFrame(WsOpcode opcode, const void* data, size_t size, const uint8_t mask[4]);
// The same with a fresh random masking key.
std::string encodeWsFrame(WsOpcode opcode, const void* data, size_t size);
// The payload of a close frame: the status code, big-endian.
std::string wsCloseStatus(uint16_t status);

enum class WsEventKind { needMore, message, ping, pong, close, protocolError, tooLarge };

struct WsEvent {
    WsEventKind kind = WsEventKind::needMore;
    bool binary = false;  // for message
    std::string bytes;    // message bytes, or the control frame's payload
};

// Incoming bytes not yet made into frames, and the message being assembled.
struct WsReceiver {
    std::string buffer;
    size_t offset = 0;       // first byte of buffer not yet consumed
    std::string message;     // fragments gathered so far
    bool inMessage = false;  // a text or binary frame without the final bit came
    bool binary = false;     // kind of the message being gathered
    WsEventKind error = WsEventKind::needMore; // first error; after it nothing more is read
};

void feedWsReceiver(WsReceiver& receiver, const char* data, size_t size);
// The next event from what was fed; needMore when no complete frame remains.
// Errors are sticky: once failed, the same error kind keeps coming back.
WsEvent nextWsEvent(WsReceiver& receiver);
