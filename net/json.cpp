// JSON parsing, lookup and quoting for the lobby messages (see json.h).
// Every read checks the cursor against the end first: the text comes from
// the network and may stop anywhere.
#include "net/json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

const JsonValue jsonNull{};

namespace {

constexpr size_t kNumberCopyBytes = 40; // longest number text handed to strtod
constexpr size_t kUnicodeEscapeDigits = 4;

bool atEnd(const JsonCursor& c) { return c.pos >= c.end; }

size_t remaining(const JsonCursor& c) { return c.pos < c.end ? static_cast<size_t>(c.end - c.pos) : 0; }

void skipWhitespace(JsonCursor& c) {
    while (!atEnd(c) && (*c.pos == '\t' || *c.pos == '\n' || *c.pos == '\r' || *c.pos == ' ')) ++c.pos;
}

// True when the next byte (after whitespace) is `byte`; steps over it then.
bool acceptByte(JsonCursor& c, char byte) {
    skipWhitespace(c);
    if (atEnd(c) || *c.pos != byte) return false;
    ++c.pos;
    return true;
}

bool startsWith(const JsonCursor& c, const char* word) {
    size_t n = std::strlen(word);
    return remaining(c) >= n && std::memcmp(c.pos, word, n) == 0;
}

void appendUtf8(std::string& out, unsigned long unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | ((unit >> 12) & 0x0F));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

char escapedByte(char c) {
    switch (c) {
    case 'b': return 8;
    case 'f': return 12;
    case 'n': return 10;
    case 'r': return 13;
    case 't': return 9;
    default: return c; // quote, backslash, slash and anything else stand for themselves
    }
}

// After the separator of a container: true to read the next element or
// member, false when the container ended (closing byte) or failed.
bool continueContainer(JsonCursor& c, char closing) {
    skipWhitespace(c);
    if (atEnd(c)) {
        c.ok = false;
        return false;
    }
    if (*c.pos == ',') {
        ++c.pos;
        return c.ok;
    }
    if (*c.pos == closing) {
        ++c.pos;
        return false;
    }
    c.ok = false;
    return false;
}

void parseObjectMembers(JsonCursor& c, JsonValue& object, int depth) {
    if (acceptByte(c, '}')) return;
    do {
        skipWhitespace(c);
        if (atEnd(c) || *c.pos != '"') {
            c.ok = false;
            return;
        }
        std::string key = parseJsonString(c);
        if (!acceptByte(c, ':')) c.ok = false;
        if (!c.ok) return;
        JsonValue member = parseJsonValue(c, depth + 1);
        object.members.push_back(JsonMember{std::move(key), std::move(member)});
    } while (continueContainer(c, '}'));
}

void parseArrayItems(JsonCursor& c, JsonValue& array, int depth) {
    if (acceptByte(c, ']')) return;
    do {
        array.items.push_back(parseJsonValue(c, depth + 1));
    } while (continueContainer(c, ']'));
}

void parseNumber(JsonCursor& c, JsonValue& value) {
    char buffer[kNumberCopyBytes + 1];
    size_t n = std::min(remaining(c), kNumberCopyBytes);
    std::memcpy(buffer, c.pos, n);
    buffer[n] = '\0';
    char* stop = buffer;
    double number = std::strtod(buffer, &stop);
    if (stop == buffer) {
        c.ok = false;
        return;
    }
    value.kind = JsonKind::number;
    value.number = number;
    c.pos += stop - buffer;
}

} // namespace

std::string parseJsonString(JsonCursor& c) {
    std::string out;
    ++c.pos; // the opening quote
    while (!atEnd(c)) {
        char byte = *c.pos;
        if (byte == '"') {
            ++c.pos;
            return out;
        }
        if (byte != '\\' || remaining(c) < 2) {
            out += byte;
            ++c.pos;
            continue;
        }
        char kind = c.pos[1];
        c.pos += 2;
        if (kind == 'u' && remaining(c) >= kUnicodeEscapeDigits) {
            char digits[kUnicodeEscapeDigits + 1] = {};
            std::memcpy(digits, c.pos, kUnicodeEscapeDigits);
            appendUtf8(out, std::strtoul(digits, nullptr, 16));
            c.pos += kUnicodeEscapeDigits;
        } else {
            out += escapedByte(kind);
        }
    }
    c.ok = false;
    return out;
}

JsonValue parseJsonValue(JsonCursor& c, int depth) {
    JsonValue value;
    skipWhitespace(c);
    if (atEnd(c) || depth >= kJsonMaxDepth) {
        c.ok = false;
        return value;
    }
    switch (*c.pos) {
    case '{':
        value.kind = JsonKind::object;
        ++c.pos;
        parseObjectMembers(c, value, depth);
        return value;
    case '[':
        value.kind = JsonKind::array;
        ++c.pos;
        parseArrayItems(c, value, depth);
        return value;
    case '"':
        value.kind = JsonKind::string;
        value.text = parseJsonString(c);
        return value;
    default: break;
    }
    if (startsWith(c, "true")) {
        value.kind = JsonKind::boolean;
        value.boolean = true;
        c.pos += 4;
    } else if (startsWith(c, "false")) {
        value.kind = JsonKind::boolean;
        c.pos += 5;
    } else if (startsWith(c, "null")) {
        c.pos += 4;
    } else {
        parseNumber(c, value);
    }
    return value;
}

JsonValue parseJson(std::string_view text) {
    JsonCursor c{text.data(), text.data() + text.size(), true};
    JsonValue value = parseJsonValue(c, 0);
    if (!c.ok) return JsonValue{};
    return value;
}

const JsonValue& jsonGet(const JsonValue& value, const char* key) {
    if (value.kind != JsonKind::object) return jsonNull;
    for (const auto& member : value.members)
        if (member.key == key) return member.value;
    return jsonNull;
}

const JsonValue& jsonAt(const JsonValue& value, size_t index) {
    if (value.kind != JsonKind::array || index >= value.items.size()) return jsonNull;
    return value.items[index];
}

std::string quoteJson(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char byte : text) {
        auto u = static_cast<unsigned char>(byte);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += byte;
        } else if (u < 32) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += byte;
        }
    }
    out += '"';
    return out;
}

int64_t truncateJsonNumber(double number, int64_t fallback) {
    if (!std::isfinite(number)) return fallback;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (number >= kLimit) return std::numeric_limits<int64_t>::max();
    if (number <= -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(number);
}

int32_t jsonInt(const JsonValue& value, int32_t fallback) {
    if (value.kind == JsonKind::boolean) return value.boolean ? 1 : 0;
    if (value.kind != JsonKind::number || !std::isfinite(value.number)) return fallback;
    int64_t wide = truncateJsonNumber(value.number, fallback);
    if (wide > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (wide < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(wide);
}

std::string jsonString(const JsonValue& value, std::string_view fallback) {
    if (value.kind == JsonKind::string) return value.text;
    return std::string(fallback);
}
