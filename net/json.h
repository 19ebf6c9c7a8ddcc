// The lobby's small JSON layer: a value type for any parsed value, a
// recursive-descent parser with one sticky failure flag, lookups that never
// fail (anything missing reads as the shared null value), quoting of a string
// for outgoing messages, and the conversions callers use to turn a value into
// a field with a default.
//
// The parser never throws, never reads past the end it was given (the text
// need not end with a zero byte) and refuses containers nested more than
// kJsonMaxDepth deep.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class JsonKind : int32_t { null = 0, boolean = 1, number = 2, string = 3, array = 4, object = 5 };

struct JsonMember;

struct JsonValue {
    JsonKind kind = JsonKind::null;
    bool boolean = false;
    double number = 0.0;
    std::string text; // decoded bytes of a string (UTF-8)
    std::vector<JsonValue> items; // array elements in text order
    std::vector<JsonMember> members; // object members in text order, duplicates kept
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

// The value every lookup returns for anything missing.
extern const JsonValue jsonNull;

// Depth of a value inside which no further value may be read: the top level is
// depth 0, so at most 33 arrays or objects nest.
constexpr int kJsonMaxDepth = 33;

struct JsonCursor {
    const char* pos = nullptr;
    const char* end = nullptr;
    bool ok = true; // cleared by the first error and never set again
};

// Parses one value from the start of the text; bytes after it are not looked
// at. Returns a null value when the text holds no complete value.
JsonValue parseJson(std::string_view text);
// Reads one value at the cursor and leaves the cursor behind it.
JsonValue parseJsonValue(JsonCursor& cursor, int depth);
// Called on an opening double quote; returns the decoded string and leaves the
// cursor behind the closing quote.
std::string parseJsonString(JsonCursor& cursor);

// First member with exactly this key, or jsonNull (also for non-objects).
const JsonValue& jsonGet(const JsonValue& value, const char* key);
// Element at index, or jsonNull (also for non-arrays).
const JsonValue& jsonAt(const JsonValue& value, size_t index);

// The text as a JSON string literal: quote and backslash escaped, control
// bytes as \u00XX, everything else (UTF-8 included) copied unchanged.
std::string quoteJson(std::string_view text);

// A number truncated toward zero and saturated to 64 bits; infinities and
// not-a-number give the fallback (servers may send "nan" or "1e999").
int64_t truncateJsonNumber(double number, int64_t fallback);
// An integer field: a number truncated toward zero (saturated to 32 bits,
// fallback when not finite), a boolean as 0 or 1, anything else the fallback.
int32_t jsonInt(const JsonValue& value, int32_t fallback);
// A string field: the string's bytes, anything else the fallback.
std::string jsonString(const JsonValue& value, std::string_view fallback);
